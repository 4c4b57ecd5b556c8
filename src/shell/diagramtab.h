#pragma once
// One diagram tab of the main window ("Pre process", "Post process"): the tab's sheet with the
// palette across its top, the diagram with its scroll bars and the property panel beside it,
// named as the window's design names them, and, while a page is open, the editor of its
// diagram, which keeps the property panel in step with the selection. The page's views hold
// the two and loop over them.
#include "editors/wqfdrawutils.h"
#include "model/commentrects.h"

#include <QString>
#include <QStringView>
#include <QWidget>
#include <Qt>
#include <functional>
#include <memory>
#include <span>

class QImage;
class QScrollArea;
class QScrollBar;
class TGraphEditor;
class TImage;
class TPanelChanger;
class TWQFEditorSource;
class TWQFItem;
class TWQFSection;

// What a diagram is built with: read from the settings and the screen when a page's views are
// built.
struct DiagramSettings {
    // View coordinates are model coordinates times this (the window font's dots per inch / 96).
    double zoom = 1.0;
    // The screen's dots per inch, which scale the diagram's size.
    double screenDpi = 96.0;
    int vertSplit = -1;
    TDstArrowMode dstArrow = damOutOfSight;
    std::function<const QImage *(TWQFItem *, const QString &)> getImage;
};

class DiagramTab : public QWidget {
    Q_OBJECT
public:
    // Tab 0 ("Pre process") or 1 ("Post process").
    explicit DiagramTab(int index, QWidget *parent = nullptr);
    ~DiagramTab() override;

    // "preproc" or "postproc", as the page names the section.
    const QString &section() const { return m_section; }
    const QString &caption() const { return m_caption; }
    QWidget *palette() const { return m_palette; }
    TImage *image() const { return m_image; }
    QScrollBar *horzScroll() const { return m_horzScroll; }
    QScrollBar *vertScroll() const { return m_vertScroll; }
    QScrollArea *propertyScroll() const { return m_propertyScroll; }
    // None while no page is open.
    TPanelChanger *editor() const { return m_editor.get(); }
    TWQFEditorSource *source() const;

    // Binds the editor to the section (making it first when there is none), sizes the diagram
    // to the section's components and rebuilds it.
    void build(TWQFSection *sectionOfPage, CommentRectList *notes, const DiagramSettings &settings);
    // Frees the editor, which lets go of the page and the notes.
    void clear();
    // The scroll bars above what the editor put over the image.
    void raiseScrollBars();

signals:
    // Something on the diagram was moved, or the property panel changed the page or a note.
    void changed();
    // A mouse button was released over the image, at its client coordinates.
    void imageReleased(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString m_section;
    QString m_caption;
    QWidget *m_palette;
    QWidget *m_diagramPanel;
    TImage *m_image;
    QScrollBar *m_horzScroll;
    QScrollBar *m_vertScroll;
    QWidget *m_propertyPanel;
    QScrollArea *m_propertyScroll;
    // The widget the property scroll box scrolls: the property panel's rows are built on it.
    QWidget *m_propertyRows;
    std::unique_ptr<TPanelChanger> m_editor;
};

// The tab whose diagram editor is editor; none for any other editor and for none.
DiagramTab *diagramTabOf(std::span<DiagramTab *const> tabs, const TGraphEditor *editor);
// The tab that shows the section of exactly that name; none for any other name.
DiagramTab *diagramTabOf(std::span<DiagramTab *const> tabs, QStringView section);
// The tab that is that sheet; none for any other widget and for none.
DiagramTab *diagramTabOfSheet(std::span<DiagramTab *const> tabs, const QWidget *sheet);

// The image with its scroll bars right of it and below it, filling panel; the HTML-UI tab lays
// out its place the same way.
void layoutDiagramPlace(QWidget *panel, QWidget *image, QScrollBar *horz, QScrollBar *vert);

// The logical dots per inch of the window's screen (the primary screen for none); 96 without
// any screen.
double screenDpiOf(const QWidget *window);

// A diagram's size: the extent of its components plus 32 pixels, scaled from 96 dots per inch
// to the screen's (halves to even), at least 1024 x 1024.
Point diagramSize(const TWQFSection *section, double screenDpi);

// The destination-arrow mode of the setting DstArrow: "NEVER", "ALWAYS" in any case, else
// out of sight.
TDstArrowMode ParseArrowMode(const QString &text);
