#pragma once
// The commands that change the components and notes of the two diagrams as a whole: delete,
// copy and paste through the clipboard text, Shift-click exit linking, flipping a query's
// kind, flushing a query's parameters, and the picture of a diagram. All but the Shift-click
// work on the diagram of the active tab; copy and paste serve a focused text control first.
// Every command that changes the page makes it modified.
#include "editors/grapheditor.h"
#include "model/wqftypes.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <Qt>
#include <functional>
#include <vector>

class TImageGraphEditor;
class TWQFEditorSource;
class QWidget;
class WindowHost;

// A control whose own copy and paste the commands use: a code editor, a line or text edit,
// or a combo box (which gets neither).
bool IsEditControl(const QWidget *control);
// The control's own clipboard operations; nothing for a combo box or any other control.
void CopyFromEditControl(QWidget *control);
void PasteIntoEditControl(QWidget *control);

// Removes the components from the section and the page; every exit of the section that
// named one of them is cleared first. Notes are not touched. Nothing for a missing section.
void DeleteItems(TWQFSection *section, const std::vector<TWQFItem *> &items);
// Moves the group so that its top-left bound lands on x, y, keeping its layout.
void PlaceItemsAt(int x, int y, const std::vector<TWQFItem *> &items);
// Where a paste lands: x, y plus the scroll position brought back from the screen's dots per
// inch to 96 (halves to even).
Point pasteLandingPoint(Point scrollPos, double screenDpi, int x, int y);
// The page file's path with its extension replaced by "-", the time as "YYYYMMDD-HHNNSS" and
// ".png".
QString sectionPictureName(const QString &pageFileName, const QDateTime &when);

class DiagramCommands : public QObject {
    Q_OBJECT
public:
    explicit DiagramCommands(WindowHost &window);

    // Asks, then deletes the selected components and notes of the editor's diagram. The page
    // counts as modified whatever the answer.
    void deleteSelected(TGraphEditor *editor);
    // The focused text control's selection, or the selected components of the active diagram
    // as clipboard text.
    void copyCommand();
    // Into the focused text control, or the clipboard's components into the active diagram
    // at the scroll position plus x, y.
    void pasteCommand(int x, int y);
    // Imports the clipboard's components into "preproc" (isPre) or "postproc" with fresh names;
    // outList, when given, receives them. False, with a diagnostic, when there is nothing to
    // import.
    bool pasteClipIntoSection(bool isPre, std::vector<TWQFItem *> *outList);
    // A mouse release on a diagram's image (client coordinates): shift with the left or right
    // button links exit 0 or 1 of the one selected component to the component under the mouse,
    // or clears it over empty space; a plain right release asks for the diagram menu.
    void image1MouseUp(QObject *sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    // "SELECTQUERY" and "INSERTUPDATEQUERY" swapped on the one selected component.
    void flipQueryType();
    // The stored parameters of the one selected query component from the annotations of its SQL.
    void flushQueryParams();
    // A PNG picture of the whole active diagram beside the page file, as a new file: when
    // anything has its name already, a link included, a message says so and nothing is
    // written.
    void sectionScreenShot();

    // The screen's dots per inch, which scale the landing point of a paste; the window's
    // screen unless set.
    void setScreenDpi(std::function<double()> dpi) { m_screenDpi = std::move(dpi); }

signals:
    // The copy and paste diagnostics; the window writes them when the option DbgClip is on.
    void diagnostic(const QString &line);
    // A plain right release on a diagram: the diagram menu at the mouse.
    void diagramMenuRequested();

private:
    // The editor of the active tab's diagram while a page is open; none otherwise.
    TImageGraphEditor *activeEditor() const;
    TWQFEditorSource *sourceOf(const TGraphEditor *editor) const;
    // The one selected object of the editor when it is a component; none otherwise.
    TWQFItem *singleSelectedComponent(TGraphEditor *editor) const;
    // The one selected component of the editor when it is a query ("SELECTQUERY" or
    // "INSERTUPDATEQUERY", exactly); none otherwise.
    TWQFItem *selectedQuery(TGraphEditor *editor) const;
    // The editor rebuilt, and the component selected again.
    void rebuildSelecting(TGraphEditor *editor, TWQFItem *item);
    void log(const QString &line);
    double screenDpi() const;

    WindowHost &m_window;
    std::function<double()> m_screenDpi;
};
