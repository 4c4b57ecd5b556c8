#pragma once
// The property panel beside each diagram: rows of labels, edits, drop-downs and code editors
// built for the selected component, note or macro component, each control writing what the
// user types straight back into the page (or the note) and reporting the change. Which
// elements become rows is valueentries' walk; the panel in its scroll area is
// scrolledtagseditor.
#include "codeeditors.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <Qt>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QComboBox;
class QEvent;
class QLabel;
class QLineEdit;
class QObject;
class QPushButton;
class QWidget;
class TCommentRect;
class TComponentDescr;
struct TComponentField;
class TWQFItem;
struct ValueEntry;
class XmlElement;

// With dblQuote every "'" doubled (DoubleQuotes) or every "''" made one (UndoubleQuotes);
// otherwise the text unchanged.
QString DoubleQuotes(bool dblQuote, const QString &text);
QString UndoubleQuotes(bool dblQuote, const QString &text);

// The editor's text, and its client height made room for every line and one more.
void SetScriptText(QsciScintilla *editor, const QString &text);
// The height a code editor of the panel takes for its text: a line more than it holds, and
// room for the horizontal scroll bar.
int FitCodeEditorHeight(QsciScintilla *editor);
// The combo box's items replaced by those of the comma text.
void SetComboItems(QComboBox *combo, const QString &commaText);

// The number a panel control carries: 0 for a row of its own, 1 for a control that has the
// next one beside it, a macro parameter's index, -1 for the generated script.
int controlTag(const QObject *control);
void setControlTag(QObject *control, int tag);

// One control of the panel and the element whose text it edits. The binding owns the control.
class TControlBind {
public:
    TControlBind(XmlElement *node, QWidget *control, bool useCData);
    // A control without element: a label or a button.
    static std::unique_ptr<TControlBind> CreateForControl(QWidget *control);
    // A control of a note or macro panel, owned but not placed by the layout.
    static std::unique_ptr<TControlBind> createUnplaced(QWidget *control);
    ~TControlBind();
    TControlBind(const TControlBind &) = delete;
    TControlBind &operator=(const TControlBind &) = delete;

    XmlElement *Node;
    QPointer<QWidget> Control;
    bool DblQuote = false;
    bool UseCData;
    bool placed = true; // LayoutRows positions the control
    // Only a "Delete" button's binding has them: the bindings of its entry's elements.
    std::vector<TControlBind *> Linked;
    // The element a "Delete" button removes when the entry has one wrapping it.
    XmlElement *Host = nullptr;

    // The element's text, apostrophes undoubled for a DblQuote binding.
    QString GetValue() const;
    // Writes the text (apostrophes doubled for DblQuote, trailing characters up to U+0020
    // dropped): into the element's CDATA when it holds one, else as one new CDATA section with
    // UseCData, else as plain text.
    void SetValue(const QString &text);
    void AddLinked(TControlBind *binding) { Linked.push_back(binding); }
    // The control is no longer deleted with the binding.
    QWidget *releaseControl();
};

using BindList = std::vector<std::unique_ptr<TControlBind>>;

// Deletes a control of the panel; later takes it out of the panel at once and deletes it when
// the events running now are over, for a control whose own signal may have led here.
void discardControl(QWidget *control, bool later);

// Holds the place of a row's code editor while the row lies far from the view: as high as the
// editor its text asks for, in the editor's place among the container's children and in the
// focus chain. The panel puts the editor there once the row comes near the view, when the
// place takes the focus, or when it is asked for it.
class CodeEditorStandIn : public QWidget {
    Q_OBJECT
public:
    explicit CodeEditorStandIn(QWidget *parent = nullptr);
    // Makes the editor in this place and answers it; set by the panel.
    std::function<QsciScintilla *()> onMaterialize;
    QsciScintilla *materialize();

protected:
    void focusInEvent(QFocusEvent *event) override;
    // Never meant to be seen: a paint means the panel missed it, so the editor comes now.
    void paintEvent(QPaintEvent *event) override;
};

// The first code editor among the container's own children, in child order; one whose row
// was put off is made now. None when there is none.
QsciScintilla *firstCodeEditor(QWidget *container);

class TTagsEditor {
public:
    TTagsEditor();
    virtual ~TTagsEditor();
    TTagsEditor(const TTagsEditor &) = delete;
    TTagsEditor &operator=(const TTagsEditor &) = delete;

    // Keys in the panel's code editors, and wheel turns over any of its controls; nothing in
    // the base, where a turn goes on to the container's parents.
    virtual void ControlKeyDown(QObject *sender, int &key, Qt::KeyboardModifiers shift);
    virtual void ControlKeyUp(QObject *sender, int &key, Qt::KeyboardModifiers shift);
    virtual void ControlMouseWheel(QObject *sender, Qt::KeyboardModifiers shift, int wheelDelta, QPoint mousePos,
                                   bool &handled);
    // Steps of a build and of a clear; nothing in the base.
    virtual void AfterBuild();
    virtual void BeforeClear();
    virtual void AfterClear();
    // The "Add" and "Delete" buttons of a component panel.
    virtual void AddClick(QWidget *sender);
    virtual void DeleteClick(QWidget *sender);
    // Empties the panel and forgets the component; the container and the kind stay.
    virtual void Clear();

    // The rows of a component of the kind in the container; an empty panel for no component
    // or no kind; the macro panel for a component that carries a macro.
    void BuildPropertyPanel(TWQFItem *item, QWidget *panel, TComponentDescr *descr);
    // Title, "Show notes in the editor" and text of a note; does not clear the panel first.
    void BuildNotesPanel(TCommentRect *note, QWidget *panel);
    // The generated-script editor of a macro panel shows text; nothing without one.
    void SetGeneratedScript(const QString &text);

    // Places every bound control of a component panel; answers the first free top.
    int LayoutRows();

    void DoChange();
    // SetValue on every binding of control, then a change, also when none matched.
    void WriteBack(QWidget *control, const QString &text);

    const BindList &Owned() const { return m_owned; }
    QWidget *Panel() const { return m_panel; }
    TWQFItem *Item() const { return m_item; }
    TComponentDescr *Descr() const { return m_descr; }

    // After every change the panel writes.
    std::function<void(TTagsEditor *Sender)> OnChange;

    // The change handlers the panel connects to its controls, reachable for the window's own
    // controls too.
    void EditChange(QLineEdit *edit);
    void ComboChange(QComboBox *combo);
    void CodeEditorChange(QsciScintilla *editor);
    void NoteTitleChange(QLineEdit *edit, TCommentRect *note);
    void NoteTextChange(QsciScintilla *editor, TCommentRect *note);
    void NoteShowClick(bool checked, TCommentRect *note);
    void MacroParamChange(QLineEdit *edit);

protected:
    // Controls of the note and macro panels: on parent at (Left, top), as wide as the parent
    // leaves beside parent's own left edge, stretched with it.
    QLabel *AddLabel(const QString &text, QWidget *parent, bool bold, int left, int top);
    QLineEdit *AddEdit(const QString &text, QWidget *parent, int left, int top);
    TWheelSynEdit *AddCodeEditor(QWidget *parent, int left, int top);

    void AddVariableEntry(XmlElement *nameNode, XmlElement *typeNode, XmlElement *valueNode,
                          const TComponentField &field, const QString &suffix);
    QWidget *CreateValueEditor(const TComponentField &field);
    void RegisterBinding(TControlBind *binding, const TComponentField &field);
    TControlBind *append(std::unique_ptr<TControlBind> binding);

    // A panel that AfterBuild does not finish (the macro panel) has placed its rows.
    virtual void rowsPlaced();
    // A code editor's new height moved the rows below it.
    virtual void rowsMoved();
    // Whether the code editors of a component panel start as stand-ins (CodeEditorStandIn);
    // not in the base, whose rows are all seen.
    virtual bool defersCodeEditors() const;
    // The editor in the place of the binding's stand-in, made now; the editor itself when it
    // is one already.
    QsciScintilla *materializeCodeEditor(TControlBind &binding);

    // The height in which the container is seen: a scroll area's visible part when the
    // container is the widget it scrolls.
    int panelVisibleHeight() const;

    // Every wheel turn over the widget or its parts goes to ControlMouseWheel, with the widget
    // as the sender, before any of them sees it; none of them takes the focus on a turn. Every
    // control the panel appends is routed so. A turn left unhandled goes on to the parents.
    void routeWheel(QWidget *widget);
    void unrouteWheel(QWidget *widget);

private:
    class Events;
    friend class Events;
    class WheelRoute;
    friend class WheelRoute;

    void buildMacroPanel();
    // The rows of one entry of the values: its label and editors, and a "Delete" button for an
    // entry of a variable field.
    void appendEntryRows(const ValueEntry &entry);
    void appendAddButton(int top);
    // The component's panel built anew after a click of its Add or Delete button, which the
    // panel has let go of already; reported as a change.
    void rebuildAfterClick(QWidget *button);
    void fillControl(TControlBind &binding);
    // The height of a line in a code editor with the highlighter, as the panel's editors have it.
    int codeLineHeight(HighlighterKind kind);
    // Every control below Editor's top on its parent moves by delta.
    static void moveRowsBelow(const QWidget *editor, int delta);
    void keyEvent(QObject *sender, QEvent *event);
    // Runs one of the handlers the controls call; a clear inside it deletes them later.
    void handle(const std::function<void()> &work);

    BindList m_owned;
    QPointer<QWidget> m_panel;
    TWQFItem *m_item = nullptr;
    TComponentDescr *m_descr = nullptr;
    std::vector<QPointer<QWidget>> m_trash;
    int m_handling = 0;
    // Receives the controls' signals and key events, so none reaches a panel that is gone.
    std::unique_ptr<Events> m_events;
    std::unique_ptr<WheelRoute> m_wheelRoute;
    // Line heights by highlighter, measured on the container they were measured for.
    std::map<HighlighterKind, int> m_lineHeights;
    QPointer<QWidget> m_measuredOn;
};

// SetGeneratedScript when there is a panel.
void UpdateGeneratedScript(TTagsEditor *editor, const QString &text);
