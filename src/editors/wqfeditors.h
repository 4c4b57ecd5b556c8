#pragma once
// The flow diagram of one page section as a graph source: the section's components as boxes
// on a 32 x 26 grid, the section's notes with a resize handle each, and the painting of it
// all: ground, margin line, notes, pictures or boxes, arrows with their labels, captions.
#include "grapheditor.h"
#include "lclgrapheditor.h"
#include "model/commentrects.h"
#include "model/wqftypes.h"
#include "scrolledtagseditor.h"
#include "wqfdrawutils.h"

#include <QHash>
#include <QImage>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// The resize handle at a note's bottom-right corner.
class TCmtDrag {
public:
    explicit TCmtDrag(TCommentRect *comment = nullptr) : Comment(comment) {}
    TCommentRect *Comment;
    // 15 x 15 model units inside the note's bottom-right corner; (-1, -1, -1, -1) without a note.
    Rect GetRect() const;
};

// What a data pointer of the diagram stands for.
enum DiagramItemKind : uint8_t { dikNone, dikComponent, dikNote, dikHandle };

// A component's picture for its type, or none for the drawn box. The pictures stay the
// answerer's and must outlive the paint.
using GetImageEvent = std::function<const QImage *(TWQFItem *Item, const QString &Kind)>;

constexpr Color clMarginLine = rgbToColor(128, 128, 128);
constexpr Color clPlainBox = rgbToColor(166, 202, 240);
constexpr Color clNoteBar = rgbToColor(255, 255, 0);
constexpr Color clSelectedNoteBar = rgbToColor(0, 255, 0);

// Each edge times the zoom, rounded half to even.
Rect ScaleRect(const Rect &r, double zoom);

class TWQFEditorSource : public TGraphEditorSource {
public:
    // Neither is owned; comments holds the notes of every section and may be none.
    TWQFEditorSource(TWQFSection *section, CommentRectList *comments);
    ~TWQFEditorSource() override;
    TWQFEditorSource(const TWQFEditorSource &) = delete;
    TWQFEditorSource &operator=(const TWQFEditorSource &) = delete;

    TWQFSection *Section() const { return m_section; }
    // The owner rebuilds the editor afterwards.
    void setSection(TWQFSection *section);
    CommentRectList *Comments() const { return m_comments; }
    double Zoom() const { return m_zoom; }
    // Nothing is rebuilt; the owner does that.
    void SetZoom(double value);

    // The editor served; not owned (the editor owns the source).
    TGraphEditor *Editor = nullptr;
    // x of the margin line in view pixels, not scaled; -1 for none.
    int VertSplit = -1;
    TDstArrowMode DstArrow = damNever;
    GetImageEvent OnGetImage;

    const QImage *GetImage(TWQFItem *item, const QString &kind) const;
    // The handles of the listed notes, in listing order. A note keeps its handle from one
    // listing to the next, so a selected handle stays selected across a rebuild.
    const std::vector<std::unique_ptr<TCmtDrag>> &Handles() const { return m_handles; }
    TCmtDrag *HandleOf(const TCommentRect *note) const;
    // The note of a handle; none for anything else.
    TCommentRect *CommentOf(const void *data) const;
    // Of the data of the last listing.
    DiagramItemKind kindOf(const void *data) const;
    TWQFItem *componentOf(const void *data) const;
    TCommentRect *noteOf(const void *data) const;

    // Painting draws the components from what was read of them at the last listing, so that
    // a paint costs what is in view. Call this after changing a component's name, type,
    // comment, position or exits without rebuilding the editor.
    void refresh();

    void GetItems(DataList &list) override;
    void GetItemInfo(void *data, Rect &r, bool &groupable, QString &caption) override;
    // DX, dy in view pixels. Components snap to the grid and are written to the page; notes
    // and handles change the note's rectangle.
    void MoveItem(void *data, int dx, int dy) override;
    void PaintBackground(DrawingSurface &canvas, int offsetX, int offsetY, const TGraphPaintInfo &info) override;
    void PaintItem(DrawingSurface &canvas, void *data, int x, int y, bool selected,
                   const TGraphPaintInfo &info) override;
    void PaintOverlay(DrawingSurface &canvas, int offsetX, int offsetY, const TGraphPaintInfo &info) override;

    // One note with its top-left corner at x, y of the canvas; a drag in info moves a selected
    // note and resizes one whose handle is dragged.
    void DrawComment(DrawingSurface &canvas, TCommentRect *note, int x, int y, bool selected,
                     const TGraphPaintInfo &info);

private:
    // What painting needs of one component, read once per listing.
    struct Drawn {
        TWQFItem *item = nullptr;
        QString type;
        QString caption; // "name: comment"
        LinkBox box; // name and stored position
        QStringList exits;
    };

    bool listsNote(const TCommentRect &note) const;
    bool isSelected(const void *data) const;
    int componentIndex(const void *data) const;
    void readComponent(Drawn &drawn) const;
    void takeSnapshot();
    void updateHandles();
    // The size painted: the view's or the whole graph's; none known without an editor.
    Point paintSize(const TGraphPaintInfo &info) const;
    Rect paintArea(int offsetX, int offsetY, const TGraphPaintInfo &info) const;
    void paintComments(DrawingSurface &canvas, const Rect &visible, const TGraphPaintInfo &info);
    // The positions drawn in this paint: the stored ones, the dragged components shifted.
    void shiftDragged(const TGraphPaintInfo &info);
    void unshift();

    TWQFSection *m_section;
    CommentRectList *m_comments;
    double m_zoom = 1.0;
    std::vector<std::unique_ptr<TCmtDrag>> m_handles;
    QHash<const void *, DiagramItemKind> m_noteKinds; // notes and handles of the last listing
    std::vector<Drawn> m_drawn;
    QHash<const void *, int> m_componentIndex;
    QHash<QString, int> m_byName; // first of equal names
    std::vector<Point> m_paintPos;
    std::vector<int> m_shifted;
};

// The diagram editor of one section with its property panel beside it: one selected
// component shows its parameters, one selected note its title, text and flag, a selected
// resize handle leaves the panel as it is, and anything else empties it.
class TPanelChanger : public TImageGraphEditor {
public:
    // Panel is the container the rows are built in; the editor owns the tags editor.
    TPanelChanger(QWidget *panel, TImage *host, QScrollBar *hScrollBar, QScrollBar *vScrollBar,
                  std::unique_ptr<TGraphEditorSource> source);
    TPanelChanger(QWidget *panel, TImage *host, QScrollBar *hScrollBar, QScrollBar *vScrollBar,
                  TGraphEditorSource *source);

    QWidget *Panel() const { return m_panel; }
    TScrolledTagsEditor *TagsEditor() const { return m_tagsEditor.get(); }

    // After every edit in the panel, once the diagram has been repainted.
    std::function<void(TTagsEditor *Sender)> OnChange;

    void SelectionChanged() override;
    // Also inside a batch the panel is emptied at once: its rows may name items that go.
    // Outside a batch the graph then grows to reach every item.
    void Rebuild() override;
    void PanelChange(TTagsEditor *sender);

private:
    void init(QWidget *panel);

    QPointer<QWidget> m_panel;
    std::unique_ptr<TScrolledTagsEditor> m_tagsEditor;
};
