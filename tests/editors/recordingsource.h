#pragma once
// A graph source over plain boxes that records the calls the editor makes, and an editor
// that counts its notifications.
#include "editors/grapheditor.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace pellorin_test {

struct Box {
    Box(Rect r = {}, bool groupable = true) : r(r), groupable(groupable) {}
    Rect r;
    bool groupable = true;
    QString caption;
};

class RecordingSource : public TGraphEditorSource {
public:
    explicit RecordingSource(std::vector<Box> boxes = {}) : boxes(std::move(boxes)) {}

    std::vector<Box> boxes;
    // Set to rebuild the editor from MoveItem, as a model binding does.
    TGraphEditor *editor = nullptr;
    QStringList moves; // "index:dx,dy" in call order
    QStringList painted; // "bg off", "item index x,y sel", "overlay off"
    TGraphPaintInfo lastInfo;
    int throwOnMove = -1; // MoveItem raises for this index
    bool *destroyed = nullptr;

    ~RecordingSource() override
    {
        if (destroyed)
            *destroyed = true;
    }

    int indexOf(void *data) const { return int(static_cast<Box *>(data) - boxes.data()); }
    void *data(int index) { return &boxes[size_t(index)]; }

    void GetItems(DataList &list) override
    {
        for (Box &b : boxes)
            list.push_back(&b);
    }
    void GetItemInfo(void *data, Rect &r, bool &groupable, QString &caption) override
    {
        const Box &b = *static_cast<Box *>(data);
        r = b.r;
        groupable = b.groupable;
        if (!b.caption.isEmpty())
            caption = b.caption;
    }
    void MoveItem(void *data, int dx, int dy) override
    {
        const int i = indexOf(data);
        if (i == throwOnMove)
            throw std::runtime_error("move failed");
        moves << QStringLiteral("%1:%2,%3").arg(i).arg(dx).arg(dy);
        boxes[size_t(i)].r = boxes[size_t(i)].r.offset(dx, dy);
        if (editor)
            editor->Rebuild();
    }
    void PaintBackground(DrawingSurface &, int offsetX, int offsetY, const TGraphPaintInfo &info) override
    {
        lastInfo = info;
        painted << QStringLiteral("bg %1,%2").arg(offsetX).arg(offsetY);
    }
    void PaintItem(DrawingSurface &, void *data, int x, int y, bool selected, const TGraphPaintInfo &) override
    {
        painted << QStringLiteral("item %1 %2,%3%4").arg(indexOf(data)).arg(x).arg(y).arg(selected ? " sel" : "");
    }
    void PaintOverlay(DrawingSurface &, int offsetX, int offsetY, const TGraphPaintInfo &) override
    {
        painted << QStringLiteral("overlay %1,%2").arg(offsetX).arg(offsetY);
    }
};

// Counts the notifications of any editor class.
template <class Base> class Counting : public Base {
public:
    using Base::Base;
    int selectionChanges = 0;
    int invalidates = 0;
    void SelectionChanged() override
    {
        ++selectionChanges;
        Base::SelectionChanged();
    }
    void Invalidate() override
    {
        ++invalidates;
        Base::Invalidate();
    }
};

inline QString selectionText(const TGraphEditor &editor, const RecordingSource &source)
{
    DataList list;
    editor.GetSelected(&list);
    QStringList parts;
    for (void *d : list)
        parts << QString::number(source.indexOf(d));
    return parts.join(QLatin1Char(','));
}

} // namespace pellorin_test
