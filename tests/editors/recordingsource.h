#pragma once
// A graph source over plain boxes that records the calls the editor makes, and an editor
// that counts its notifications.
#include "editors/grapheditor.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace pellorin_test {

struct Box {
    Box(Rect r = {}, bool groupable = true) : R(r), Groupable(groupable) {}
    Rect R;
    bool Groupable = true;
    QString Caption;
};

class RecordingSource : public TGraphEditorSource {
public:
    explicit RecordingSource(std::vector<Box> boxes = {}) : Boxes(std::move(boxes)) {}

    std::vector<Box> Boxes;
    // Set to rebuild the editor from MoveItem, as a model binding does.
    TGraphEditor *Editor = nullptr;
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

    int indexOf(void *data) const { return int(static_cast<Box *>(data) - Boxes.data()); }
    void *data(int index) { return &Boxes[size_t(index)]; }

    void GetItems(DataList &List) override
    {
        for (Box &b : Boxes)
            List.push_back(&b);
    }
    void GetItemInfo(void *Data, Rect &R, bool &Groupable, QString &Caption) override
    {
        const Box &b = *static_cast<Box *>(Data);
        R = b.R;
        Groupable = b.Groupable;
        if (!b.Caption.isEmpty())
            Caption = b.Caption;
    }
    void MoveItem(void *Data, int DX, int DY) override
    {
        const int i = indexOf(Data);
        if (i == throwOnMove)
            throw std::runtime_error("move failed");
        moves << QStringLiteral("%1:%2,%3").arg(i).arg(DX).arg(DY);
        Boxes[size_t(i)].R = Boxes[size_t(i)].R.offset(DX, DY);
        if (Editor)
            Editor->Rebuild();
    }
    void PaintBackground(DrawingSurface &, int offsetX, int offsetY, const TGraphPaintInfo &info) override
    {
        lastInfo = info;
        painted << QStringLiteral("bg %1,%2").arg(offsetX).arg(offsetY);
    }
    void PaintItem(DrawingSurface &, void *Data, int X, int Y, bool Selected, const TGraphPaintInfo &) override
    {
        painted << QStringLiteral("item %1 %2,%3%4").arg(indexOf(Data)).arg(X).arg(Y).arg(Selected ? " sel" : "");
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
