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
    QStringList Moves; // "index:dx,dy" in call order
    QStringList Painted; // "bg off", "item index x,y sel", "overlay off"
    TGraphPaintInfo LastInfo;
    int ThrowOnMove = -1; // MoveItem raises for this index
    bool *Destroyed = nullptr;

    ~RecordingSource() override
    {
        if (Destroyed)
            *Destroyed = true;
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
        if (i == ThrowOnMove)
            throw std::runtime_error("move failed");
        Moves << QStringLiteral("%1:%2,%3").arg(i).arg(DX).arg(DY);
        Boxes[size_t(i)].R = Boxes[size_t(i)].R.Offset(DX, DY);
        if (Editor)
            Editor->Rebuild();
    }
    void PaintBackground(DrawingSurface &, int OffsetX, int OffsetY, const TGraphPaintInfo &Info) override
    {
        LastInfo = Info;
        Painted << QStringLiteral("bg %1,%2").arg(OffsetX).arg(OffsetY);
    }
    void PaintItem(DrawingSurface &, void *Data, int X, int Y, bool Selected, const TGraphPaintInfo &) override
    {
        Painted << QStringLiteral("item %1 %2,%3%4").arg(indexOf(Data)).arg(X).arg(Y).arg(Selected ? " sel" : "");
    }
    void PaintOverlay(DrawingSurface &, int OffsetX, int OffsetY, const TGraphPaintInfo &) override
    {
        Painted << QStringLiteral("overlay %1,%2").arg(OffsetX).arg(OffsetY);
    }
};

// Counts the notifications of any editor class.
template <class Base> class Counting : public Base {
public:
    using Base::Base;
    int SelectionChanges = 0;
    int Invalidates = 0;
    void SelectionChanged() override
    {
        ++SelectionChanges;
        Base::SelectionChanged();
    }
    void Invalidate() override
    {
        ++Invalidates;
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
