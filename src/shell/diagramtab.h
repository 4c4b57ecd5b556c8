#pragma once
// One diagram tab of the main window ("Pre process", "Post process"): its section, its widgets
// under the names the window's design gives them, and, while a page is open, the editor of its
// diagram, which keeps the property panel inside propertyScroll in step with the selection.
// The window holds the two in an array and loops over them.
#include "editors/wqfdrawutils.h"
#include "model/commentrects.h"

#include <QString>
#include <QStringView>
#include <functional>
#include <memory>
#include <span>

class QImage;
class QObject;
class QScrollArea;
class QScrollBar;
class QSplitter;
class QWidget;
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
    // Something on the diagram was moved, or the property panel changed the page or a note.
    std::function<void()> changed;
};

struct DiagramTab {
    DiagramTab();
    ~DiagramTab();
    DiagramTab(DiagramTab &&) noexcept;
    DiagramTab &operator=(DiagramTab &&) noexcept;

    // "preproc" or "postproc", as the page names the section.
    QString section;
    QString caption;
    QWidget *sheet = nullptr;
    QWidget *palette = nullptr;
    QWidget *diagramPanel = nullptr;
    TImage *image = nullptr;
    QScrollBar *horzScroll = nullptr;
    QScrollBar *vertScroll = nullptr;
    QSplitter *splitter = nullptr;
    QWidget *propertyPanel = nullptr;
    QScrollArea *propertyScroll = nullptr;
    // The widget propertyScroll scrolls: the property panel's rows are built on it.
    QWidget *propertyRows = nullptr;
    // None while no page is open; made at the first build, freed with the page's views.
    std::unique_ptr<TPanelChanger> editor;

    TWQFEditorSource *source() const;
    // Binds the editor to the section (making it first when there is none), sizes the diagram
    // to the section's components and rebuilds it.
    void build(TWQFSection *sectionOfPage, TCommentRectList *notes, const DiagramSettings &settings);
};

// The widgets of tab 0 ("Pre process") or 1 ("Post process"), named as the window's design
// names them; the property scroll box reports its resizes to resizeWatcher.
DiagramTab createDiagramTab(int index, QObject *resizeWatcher);

// The tab whose diagram editor is editor; none for any other editor and for none.
DiagramTab *diagramTabOf(std::span<DiagramTab> tabs, const TGraphEditor *editor);
// The tab that shows the section of exactly that name; none for any other name.
const DiagramTab *diagramTabOf(std::span<const DiagramTab> tabs, QStringView section);
// The tab whose sheet that is; none for any other widget and for none.
const DiagramTab *diagramTabOfSheet(std::span<const DiagramTab> tabs, const QWidget *sheet);

// The image with its scroll bars right of it and below it, filling panel; the HTML-UI tab lays
// out its place the same way.
void layoutDiagramPlace(QWidget *panel, QWidget *image, QScrollBar *horz, QScrollBar *vert);

// The logical dots per inch of the window's screen (the primary screen for none); 96 without
// any screen.
double ScreenDpiOf(const QWidget *window);

// A diagram's size: the extent of its components plus 32 pixels, scaled from 96 dots per inch
// to the screen's (halves to even), at least 1024 x 1024.
TPoint diagramSize(const TWQFSection *section, double screenDpi);

// The destination-arrow mode of the setting DstArrow: "NEVER", "ALWAYS" in any case, else
// out of sight.
TDstArrowMode ParseArrowMode(const QString &Text);
