// The property panel, its bindings and its rows.
#include "dynamicctrlutils.h"

#include "anchors.h"
#include "morivanecomponents.h"
#include "valueentries.h"
#include "wqfmacros.h"

#include "base/stringlist.h"
#include "base/textutils.h"
#include "model/commentrects.h"
#include "model/wqftypes.h"
#include "model/xmldom.h"
#include "platform/prompter.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QVariant>
#include <QWheelEvent>
#include <algorithm>

namespace {
constexpr const char *kTagProperty = "Tag";

// An entry's name edit across the panel lies under the entry's "Delete" button at its right
// end: what is typed there stops short of the button. Both follow the panel's right edge, so
// the margin stays right when the panel is resized.
void keepTextClearOf(const QWidget *button, const std::vector<TControlBind *> &entry)
{
    for (const TControlBind *binding : entry)
        if (auto *edit = qobject_cast<QLineEdit *>(binding->Control.data())) {
            const QRect under = edit->geometry().intersected(button->geometry());
            QMargins margins = edit->textMargins();
            margins.setRight(under.isEmpty() ? 0 : edit->geometry().right() - button->x() + 3);
            edit->setTextMargins(margins);
        }
}

// The lines a code editor shows for the text: CR LF, a lone CR and a lone LF each end one.
int editorLines(const QString &text)
{
    int lines = 1;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i] == u'\r') {
            ++lines;
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else if (text[i] == u'\n') {
            ++lines;
        }
    return lines;
}

// A line more than the text holds, and room for the horizontal scroll bar; the stand-in of a
// deferred editor takes the same height, so that making the editor moves no row.
int fittedHeight(int lines, int lineHeight) { return (lines + 1) * lineHeight + 20; }

void setBold(QLabel *label, bool bold)
{
    QFont font = label->font();
    font.setBold(bold);
    label->setFont(font);
}
} // namespace

QString DoubleQuotes(bool dblQuote, const QString &text)
{
    if (!dblQuote)
        return text;
    QString out = text;
    return out.replace(u'\'', QStringLiteral("''"));
}

QString UndoubleQuotes(bool dblQuote, const QString &text)
{
    if (!dblQuote)
        return text;
    QString out = text;
    return out.replace(QStringLiteral("''"), QStringLiteral("'"));
}

void SetScriptText(QsciScintilla *editor, const QString &text)
{
    if (!editor)
        return;
    editor->setText(text);
    const int lineHeight = int(editor->SendScintilla(QsciScintillaBase::SCI_TEXTHEIGHT, 0));
    const int frame = editor->height() - editor->viewport()->height();
    editor->resize(editor->width(), (editor->lines() + 1) * lineHeight + std::max(0, frame));
}

int FitCodeEditorHeight(QsciScintilla *editor)
{
    if (!editor)
        return 0;
    return fittedHeight(editor->lines(), int(editor->SendScintilla(QsciScintillaBase::SCI_TEXTHEIGHT, 0)));
}

void SetComboItems(QComboBox *combo, const QString &commaText)
{
    if (!combo)
        return;
    combo->clear();
    combo->addItems(splitCommaText(commaText));
}

int controlTag(const QObject *control) { return control ? control->property(kTagProperty).toInt() : 0; }

void setControlTag(QObject *control, int tag)
{
    if (control)
        control->setProperty(kTagProperty, tag);
}

void discardControl(QWidget *control, bool later)
{
    if (!control)
        return;
    if (!later) {
        delete control;
        return;
    }
    control->hide();
    control->setParent(nullptr);
    control->deleteLater();
}

// ---- CodeEditorStandIn ----

CodeEditorStandIn::CodeEditorStandIn(QWidget *parent) : QWidget(parent) { setFocusPolicy(Qt::StrongFocus); }

QsciScintilla *CodeEditorStandIn::materialize() { return onMaterialize ? onMaterialize() : nullptr; }

void CodeEditorStandIn::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    // The editor takes the focus in this place.
    materialize();
}

void CodeEditorStandIn::paintEvent(QPaintEvent *)
{
    QMetaObject::invokeMethod(
        this, [this] { materialize(); }, Qt::QueuedConnection);
}

QsciScintilla *firstCodeEditor(QWidget *container)
{
    if (!container)
        return nullptr;
    // A copy: making an editor changes the list.
    const QObjectList children = container->children();
    for (QObject *child : children) {
        if (auto *editor = qobject_cast<QsciScintilla *>(child))
            return editor;
        if (auto *standIn = qobject_cast<CodeEditorStandIn *>(child))
            if (QsciScintilla *made = standIn->materialize())
                return made;
    }
    return nullptr;
}

// ---- TControlBind ----

TControlBind::TControlBind(XmlElement *node, QWidget *control, bool useCData)
    : Node(node), Control(control), UseCData(useCData)
{}

std::unique_ptr<TControlBind> TControlBind::CreateForControl(QWidget *control)
{
    return std::make_unique<TControlBind>(nullptr, control, true);
}

std::unique_ptr<TControlBind> TControlBind::createUnplaced(QWidget *control)
{
    auto binding = CreateForControl(control);
    binding->placed = false;
    return binding;
}

TControlBind::~TControlBind() { delete Control.data(); }

QWidget *TControlBind::releaseControl()
{
    QWidget *control = Control;
    Control = nullptr;
    return control;
}

QString TControlBind::GetValue() const { return Node ? UndoubleQuotes(DblQuote, Node->textContent()) : QString(); }

void TControlBind::SetValue(const QString &text)
{
    storeElementValue(Node, trimRight(DoubleQuotes(DblQuote, text)), UseCData, true);
}

// ---- TTagsEditor ----

// The panel's receiver of its controls' signals and events.
class TTagsEditor::Events : public QObject {
public:
    explicit Events(TTagsEditor *panel) : m_panel(panel) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
            m_panel->handle([&] { m_panel->keyEvent(watched, event); });
        return false;
    }

private:
    TTagsEditor *m_panel;
};

namespace {
// Marks a widget whose wheel turns go to ControlMouseWheel; the turns over its parts go on to it.
constexpr const char *kWheelRouteProperty = "wheelToPanel";

// The widget and its parts that are no windows of their own (a drop-down's list is one).
void forEachPart(QWidget *widget, const std::function<void(QWidget *)> &visit)
{
    visit(widget);
    for (QObject *child : widget->children())
        if (auto *part = qobject_cast<QWidget *>(child); part && !part->isWindow())
            forEachPart(part, visit);
}
} // namespace

// Takes every wheel turn over the panel before a control sees it: a control never scrolls,
// steps its item or takes the focus on the wheel, whatever kind it is.
class TTagsEditor::WheelRoute : public QObject {
public:
    explicit WheelRoute(TTagsEditor *panel) : m_panel(panel) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Wheel)
            return false;
        auto *turn = static_cast<QWheelEvent *>(event);
        bool handled = false;
        // A part hands the turn on to its parent, up to the widget that was routed.
        if (watched->property(kWheelRouteProperty).toBool())
            m_panel->handle([&] {
                m_panel->ControlMouseWheel(watched, turn->modifiers() & ~Qt::KeypadModifier, turn->angleDelta().y(),
                                           turn->position().toPoint(), handled);
            });
        // An unhandled turn goes on to the parents.
        turn->setAccepted(handled);
        return true;
    }

private:
    TTagsEditor *m_panel;
};

void TTagsEditor::routeWheel(QWidget *widget)
{
    if (!widget)
        return;
    widget->setProperty(kWheelRouteProperty, true);
    forEachPart(widget, [this](QWidget *part) {
        if (part->focusPolicy() == Qt::WheelFocus)
            part->setFocusPolicy(Qt::StrongFocus);
        part->installEventFilter(m_wheelRoute.get());
    });
}

void TTagsEditor::unrouteWheel(QWidget *widget)
{
    if (!widget)
        return;
    widget->setProperty(kWheelRouteProperty, QVariant());
    forEachPart(widget, [this](QWidget *part) { part->removeEventFilter(m_wheelRoute.get()); });
}

void TTagsEditor::handle(const std::function<void()> &work)
{
    const QScopedValueRollback<int> inside(m_handling, m_handling + 1);
    work();
}

TTagsEditor::TTagsEditor() : m_events(std::make_unique<Events>(this)), m_wheelRoute(std::make_unique<WheelRoute>(this))
{}

TTagsEditor::~TTagsEditor() { TTagsEditor::Clear(); }

void TTagsEditor::ControlKeyDown(QObject *, int &, Qt::KeyboardModifiers) {}
void TTagsEditor::ControlKeyUp(QObject *, int &, Qt::KeyboardModifiers) {}
void TTagsEditor::ControlMouseWheel(QObject *, Qt::KeyboardModifiers, int, QPoint, bool &) {}
void TTagsEditor::AfterBuild() {}
void TTagsEditor::BeforeClear() {}
void TTagsEditor::AfterClear() {}
void TTagsEditor::rowsPlaced() {}
void TTagsEditor::rowsMoved() {}
bool TTagsEditor::defersCodeEditors() const { return false; }

void TTagsEditor::Clear()
{
    BeforeClear();
    // Inside a handler of the panel's own controls one of them may be the sender.
    const bool later = m_handling > 0;
    for (QPointer<QWidget> &control : m_trash)
        discardControl(control, later);
    m_trash.clear();
    m_item = nullptr;
    for (auto &binding : m_owned) {
        if (QWidget *control = binding->releaseControl()) {
            QObject::disconnect(control, nullptr, m_events.get(), nullptr);
            control->removeEventFilter(m_events.get());
            if (auto *standIn = qobject_cast<CodeEditorStandIn *>(control))
                standIn->onMaterialize = nullptr;
            discardControl(control, later);
        }
    }
    m_owned.clear();
    AfterClear();
}

TControlBind *TTagsEditor::append(std::unique_ptr<TControlBind> binding)
{
    routeWheel(binding->Control);
    m_owned.push_back(std::move(binding));
    return m_owned.back().get();
}

void TTagsEditor::DoChange()
{
    if (OnChange)
        OnChange(this);
}

void TTagsEditor::WriteBack(QWidget *control, const QString &text)
{
    for (auto &binding : m_owned)
        if (binding->Control == control)
            binding->SetValue(text);
    DoChange();
}

void TTagsEditor::EditChange(QLineEdit *edit) { WriteBack(edit, edit->text()); }

void TTagsEditor::ComboChange(QComboBox *combo) { WriteBack(combo, combo->currentText()); }

void TTagsEditor::CodeEditorChange(QsciScintilla *editor)
{
    QPointer<QsciScintilla> guard(editor);
    WriteBack(editor, editor->text());
    if (!guard || !editor->parentWidget())
        return;
    const int old = editor->height();
    const int height = FitCodeEditorHeight(editor);
    if (height == old)
        return;
    editor->resize(editor->width(), height);
    moveRowsBelow(editor, height - old);
    rowsMoved();
}

void TTagsEditor::moveRowsBelow(const QWidget *editor, int delta)
{
    for (QObject *child : editor->parentWidget()->children())
        if (auto *widget = qobject_cast<QWidget *>(child); widget && widget != editor && widget->y() > editor->y())
            widget->move(widget->x(), widget->y() + delta);
}

void TTagsEditor::NoteTitleChange(QLineEdit *edit, TCommentRect *note)
{
    if (note)
        note->Title = oneLineTitle(edit->text());
    DoChange();
}

void TTagsEditor::NoteTextChange(QsciScintilla *editor, TCommentRect *note)
{
    if (note)
        note->Text = editor->text();
    DoChange();
}

void TTagsEditor::NoteShowClick(bool checked, TCommentRect *note)
{
    if (note)
        note->ShowText = checked;
    DoChange();
}

void TTagsEditor::keyEvent(QObject *sender, QEvent *event)
{
    auto *keyEvent = static_cast<QKeyEvent *>(event);
    int key = keyEvent->key();
    if (event->type() == QEvent::KeyPress)
        ControlKeyDown(sender, key, keyEvent->modifiers());
    else
        ControlKeyUp(sender, key, keyEvent->modifiers());
}

int TTagsEditor::panelVisibleHeight() const { return visibleHeightOf(m_panel); }

QLabel *TTagsEditor::AddLabel(const QString &text, QWidget *parent, bool bold, int left, int top)
{
    auto *label = new QLabel(text, parent);
    setBold(label, bold);
    label->adjustSize();
    label->move(left, top);
    label->show();
    return label;
}

QLineEdit *TTagsEditor::AddEdit(const QString &text, QWidget *parent, int left, int top)
{
    auto *edit = new QLineEdit(text, parent);
    edit->setGeometry(left, top, parent->contentsRect().width() - parent->x() - 10, edit->sizeHint().height());
    setAnchors(edit, akLeft | akTop | akRight);
    edit->show();
    return edit;
}

TWheelSynEdit *TTagsEditor::AddCodeEditor(QWidget *parent, int left, int top)
{
    auto *editor = new TWheelSynEdit(parent);
    editor->setGeometry(left, top, parent->contentsRect().width() - parent->x() - 10, editor->height());
    setAnchors(editor, akLeft | akTop | akRight);
    editor->show();
    return editor;
}

void TTagsEditor::SetGeneratedScript(const QString &text)
{
    for (auto &binding : m_owned)
        if (auto *editor = qobject_cast<QsciScintilla *>(binding->Control.data()); editor && controlTag(editor) < 0) {
            SetScriptText(editor, text);
            return;
        }
}

void UpdateGeneratedScript(TTagsEditor *editor, const QString &text)
{
    if (editor)
        editor->SetGeneratedScript(text);
}

// ---- note panel ----

void TTagsEditor::BuildNotesPanel(TCommentRect *note, QWidget *panel)
{
    m_panel = panel;
    if (!panel || !note)
        return;
    const int width = panel->contentsRect().width() - 5;

    auto *title = new QLineEdit(note->Title, panel);
    title->setGeometry(0, 5, width, title->sizeHint().height());
    setAnchors(title, akLeft | akTop | akRight);
    QObject::connect(title, &QLineEdit::textChanged, m_events.get(),
                     [this, title, note] { handle([&] { NoteTitleChange(title, note); }); });

    auto *show = new QCheckBox(QStringLiteral("Show notes in the editor"), panel);
    show->adjustSize();
    show->move(0, title->y() + title->height() + 5);
    show->setChecked(note->ShowText);
    QObject::connect(show, &QCheckBox::clicked, m_events.get(),
                     [this, note](bool checked) { handle([&] { NoteShowClick(checked, note); }); });

    auto *text = new TWheelSynEdit(panel);
    const int top = show->y() + show->height() + 5;
    text->setGeometry(0, top, width, std::max(0, panelVisibleHeight() - top - 5));
    setAnchors(text, akLeft | akTop | akRight | akBottom);
    text->setText(note->Text);
    QObject::connect(text, &QsciScintilla::textChanged, m_events.get(),
                     [this, text, note] { handle([&] { NoteTextChange(text, note); }); });

    for (QWidget *control : std::initializer_list<QWidget *>{title, show, text}) {
        control->show();
        append(TControlBind::createUnplaced(control));
    }
    AfterBuild();
}

// ---- component panel ----

QWidget *TTagsEditor::CreateValueEditor(const TComponentField &field)
{
    if (trim(field.Values).isEmpty()) {
        if (defersCodeEditors())
            return new CodeEditorStandIn(m_panel);
        return new TWheelSynEdit(m_panel);
    }
    auto *combo = new QComboBox(m_panel);
    combo->setEditable(false);
    QStringList items = splitCommaText(trim(field.Values));
    for (QString &item : items)
        item = trim(item);
    combo->addItems(items);
    return combo;
}

void TTagsEditor::RegisterBinding(TControlBind *binding, const TComponentField &field)
{
    binding->DblQuote = field.DblQuote;
    binding->UseCData = !field.NoCData;
}

void TTagsEditor::AddVariableEntry(XmlElement *nameNode, XmlElement *typeNode, XmlElement *valueNode,
                                   const TComponentField &field, const QString &suffix)
{
    append(TControlBind::CreateForControl(new QLabel(field.Name + suffix, m_panel)));
    if (nameNode) {
        auto *edit = new QLineEdit(m_panel);
        setControlTag(edit, typeNode ? 1 : 0);
        append(std::make_unique<TControlBind>(nameNode, edit, true));
    }
    if (typeNode) {
        auto *combo = new TWheelComboBox(m_panel);
        combo->makeEditable();
        SetComboItems(combo, field.Types);
        append(std::make_unique<TControlBind>(typeNode, combo, false));
    }
    if (valueNode)
        RegisterBinding(append(std::make_unique<TControlBind>(valueNode, CreateValueEditor(field), true)), field);
}

void TTagsEditor::BuildPropertyPanel(TWQFItem *item, QWidget *panel, TComponentDescr *descr)
{
    Clear();
    m_item = item;
    m_descr = descr;
    m_panel = panel;
    if (!item || !descr || !panel)
        return;
    if (HasMacro(item)) {
        buildMacroPanel();
        return;
    }
    // A row shown on a shown container has Qt look for the widget under the mouse each time;
    // rows shown with their container cost that once. Hiding a container that holds the
    // keyboard focus would move it, so such a container stays shown.
    const bool hidden = panel->isVisible() && !panel->isAncestorOf(QApplication::focusWidget());
    if (hidden)
        panel->hide();
    auto showAgain = qScopeGuard([panel, hidden] {
        if (hidden)
            panel->show();
    });

    TControlBind *header = append(TControlBind::CreateForControl(
        new QLabel(NodeText(item->Node()->firstChildElement(QStringLiteral("n"))) + QStringLiteral(": ") +
                       NodeText(item->Node()->firstChildElement(QStringLiteral("t"))),
                   panel)));
    if (XmlElement *comment = item->Node()->firstChildElement(QStringLiteral("c")))
        append(std::make_unique<TControlBind>(comment, new QLineEdit(panel), false));

    XmlElement *values = item->Node()->firstChildElement(QStringLiteral("values"));
    if (!values) {
        // Nothing is placed: the header and the comment edit go with the next clear.
        for (auto &binding : m_owned)
            if (binding->Control)
                binding->Control->hide();
        return;
    }

    const std::vector<TComponentField> &fields = descr->Fields;
    const ValueEntries walk = walkValueEntries(values, fields);
    for (const ValueEntry &entry : walk.entries)
        appendEntryRows(entry);

    const int nextTop = LayoutRows();
    if (std::any_of(fields.begin(), fields.end(), [](const auto &f) { return f.Variable; }))
        appendAddButton(nextTop);

    if (const QString summary = entrySummary(fields, walk.counts); !summary.isEmpty())
        if (auto *label = qobject_cast<QLabel *>(header->Control.data())) {
            label->setText(label->text() + QStringLiteral(" (") + summary + QStringLiteral(")"));
            label->adjustSize();
        }

    // The scroll range and position follow what shows.
    showAgain.dismiss();
    if (hidden)
        panel->show();
    AfterBuild();
}

void TTagsEditor::appendEntryRows(const ValueEntry &entry)
{
    const TComponentField &field = *entry.field;
    const size_t before = m_owned.size();
    AddVariableEntry(entry.nameNode, entry.typeNode, entry.valueNode, field,
                     entry.number > 0 ? QStringLiteral(" #") + QString::number(entry.number) : QString());
    if (!field.Variable)
        return;
    auto *button = new QPushButton(m_panel);
    TControlBind *del = append(TControlBind::CreateForControl(button));
    QObject::connect(button, &QPushButton::clicked, m_events.get(),
                     [this, button] { handle([&] { DeleteClick(button); }); });
    for (size_t i = before; i < m_owned.size() - 1; ++i)
        if (m_owned[i]->Node)
            del->AddLinked(m_owned[i].get());
    del->Host = entry.host;
}

void TTagsEditor::appendAddButton(int top)
{
    auto *add = new QPushButton(QStringLiteral("Add"), m_panel);
    add->move(0, top);
    add->resize(72, add->sizeHint().height());
    add->show();
    QObject::connect(add, &QPushButton::clicked, m_events.get(), [this, add] { handle([&] { AddClick(add); }); });
    append(TControlBind::CreateForControl(add));
}

void TTagsEditor::fillControl(TControlBind &binding)
{
    QWidget *control = binding.Control;
    const QString text = binding.GetValue();
    if (auto *standIn = qobject_cast<CodeEditorStandIn *>(control)) {
        standIn->resize(standIn->width(), fittedHeight(editorLines(text), codeLineHeight(GuessHighlighter(text))));
        TControlBind *place = &binding;
        standIn->onMaterialize = [this, place] {
            QsciScintilla *made = nullptr;
            handle([&] { made = materializeCodeEditor(*place); });
            return made;
        };
        return;
    }
    if (auto *editor = qobject_cast<TWheelSynEdit *>(control)) {
        editor->setText(text);
        editor->setHighlighter(GuessHighlighter(text));
        editor->resize(editor->width(), FitCodeEditorHeight(editor));
        RebindTabKeys(editor);
        editor->setWantTabs(false);
        // No line numbers or symbols: a 5-pixel strip before the text.
        editor->setMarginWidth(0, 0);
        editor->setMarginWidth(1, 5);
        editor->setMarginWidth(2, 0);
        QObject::connect(editor, &QsciScintilla::textChanged, m_events.get(),
                         [this, editor] { handle([&] { CodeEditorChange(editor); }); });
        editor->installEventFilter(m_events.get());
    } else if (auto *edit = qobject_cast<QLineEdit *>(control)) {
        edit->setText(text);
        QObject::connect(edit, &QLineEdit::textChanged, m_events.get(),
                         [this, edit] { handle([&] { EditChange(edit); }); });
    } else if (auto *combo = qobject_cast<QComboBox *>(control)) {
        if (combo->isEditable()) {
            combo->setEditText(text);
        } else {
            int index = -1;
            for (int i = 0; i < combo->count() && index < 0; ++i)
                if (sameTextAscii(combo->itemText(i), text))
                    index = i;
            combo->setCurrentIndex(index);
        }
        QObject::connect(combo, &QComboBox::currentTextChanged, m_events.get(),
                         [this, combo] { handle([&] { ComboChange(combo); }); });
    }
}

QsciScintilla *TTagsEditor::materializeCodeEditor(TControlBind &binding)
{
    auto *standIn = qobject_cast<CodeEditorStandIn *>(binding.Control.data());
    if (!standIn)
        return qobject_cast<QsciScintilla *>(binding.Control.data());
    // Before the layout has placed it, the stand-in has neither its place nor its text.
    if (!standIn->property("placed").toBool())
        return nullptr;
    standIn->onMaterialize = nullptr;
    auto *editor = new TWheelSynEdit(standIn->parentWidget());
    editor->setGeometry(standIn->geometry());
    setControlTag(editor, controlTag(standIn));
    editor->setProperty("placed", standIn->property("placed"));
    binding.Control = editor;
    routeWheel(editor);
    fillControl(binding);
    setAnchors(editor, getAnchors(standIn));
    // The editor's place among the children and in the focus chain is the stand-in's.
    editor->stackUnder(standIn);
    QWidget::setTabOrder(standIn, editor);
    editor->setVisible(!standIn->isHidden());
    if (standIn->hasFocus())
        editor->setFocus(Qt::OtherFocusReason);
    const int delta = editor->height() - standIn->height();
    // Its own events may have led here.
    discardControl(standIn, true);
    if (delta != 0) {
        moveRowsBelow(editor, delta);
        rowsMoved();
    }
    return editor;
}

int TTagsEditor::codeLineHeight(HighlighterKind kind)
{
    if (m_measuredOn != m_panel) {
        m_lineHeights.clear();
        m_measuredOn = m_panel;
    }
    if (auto it = m_lineHeights.find(kind); it != m_lineHeights.end())
        return it->second;
    // An editor made as the rows' editors are, on their container: the same fonts and resolution.
    TWheelSynEdit probe(m_panel);
    probe.setHighlighter(kind);
    return m_lineHeights[kind] = probe.lineHeight();
}

int TTagsEditor::LayoutRows()
{
    int top = 0, left = 0, rowTop = 0;
    if (!m_panel)
        return 0;
    const int clientWidth = m_panel->contentsRect().width();
    for (auto &binding : m_owned) {
        QWidget *control = binding->Control;
        // A button taken out during its own click has no control any more.
        if (!binding->placed || !control)
            continue;
        const bool relaid = control->parentWidget() == m_panel && control->property("placed").toBool();
        if (control->parentWidget() != m_panel)
            control->setParent(m_panel);
        control->move(left, top);
        auto *label = qobject_cast<QLabel *>(control);
        if (!label) {
            // Code editors take their height from their text below; the others their own.
            const bool ownHeight =
                qobject_cast<QsciScintilla *>(control) || qobject_cast<CodeEditorStandIn *>(control) || relaid;
            control->resize(left > 0 ? 100 : clientWidth - 3,
                            ownHeight ? control->height() : control->sizeHint().height());
            if (left == 0 && controlTag(control) == 0)
                setAnchors(control, getAnchors(control) | akRight);
        }
        if (binding->Node) {
            if (!relaid)
                fillControl(*binding);
        } else if (label) {
            setBold(label, true);
            label->adjustSize();
            rowTop = top;
        }
        if (auto *button = qobject_cast<QPushButton *>(control)) {
            if (button->text() != QStringLiteral("Add")) {
                button->setText(QStringLiteral("Delete"));
                button->setGeometry(clientWidth - 72, rowTop + 16, 72, 20);
                setAnchors(button, akTop | akRight);
                keepTextClearOf(button, binding->Linked);
            } else {
                button->move(button->x(), top);
                button->resize(72, button->height());
            }
        } else if (label) {
            left = 0;
            top += QFontMetrics(label->font()).height();
        } else if (controlTag(control) == 0) {
            left = 0;
            top += control->height() + 2;
        } else {
            control->resize(100, control->height());
            left = control->x() + control->width() + 2;
        }
        control->setProperty("placed", true);
        control->show();
    }
    return top;
}

void TTagsEditor::rebuildAfterClick(QWidget *button)
{
    TWQFItem *item = m_item;
    Clear();
    BuildPropertyPanel(item, m_panel, m_descr);
    // The button whose click this is goes once the click is over.
    if (button)
        m_trash.push_back(button);
    DoChange();
}

void TTagsEditor::AddClick(QWidget *sender)
{
    if (!m_item || !m_descr)
        return;
    const QString error = m_descr->variableParamNodesError();
    if (!error.isEmpty()) {
        // The kind cannot make the entry: say so and leave page and panel as they are.
        showMessage(error, m_panel);
        return;
    }
    for (auto &binding : m_owned)
        if (binding->Control == sender)
            binding->releaseControl();
    if (sender)
        sender->hide();
    m_descr->AddVariableParamNodes(m_item);
    rebuildAfterClick(sender);
}

void TTagsEditor::DeleteClick(QWidget *sender)
{
    auto it = std::find_if(m_owned.begin(), m_owned.end(), [sender](const auto &b) { return b->Control == sender; });
    if (it == m_owned.end())
        return;
    TControlBind *entry = it->get();
    if (!entry->Host && entry->Linked.empty())
        return;
    entry->releaseControl();
    if (sender)
        sender->hide();
    if (XmlElement *host = entry->Host) {
        if (XmlNode *parent = host->parentNode())
            parent->removeChild(host);
    } else {
        for (TControlBind *linked : entry->Linked)
            if (linked->Node && linked->Node->parentNode())
                linked->Node->parentNode()->removeChild(linked->Node);
        entry->Linked.clear();
    }
    rebuildAfterClick(sender);
}

// ---- macro panel ----

void TTagsEditor::buildMacroPanel()
{
    TWQFPasMacro *attached = itemPasMacro(m_item);
    TPascalMacro *macro = attached ? attached->Macro : nullptr;
    if (!attached || !macro)
        return;
    QWidget *panel = m_panel;
    int top = 0;
    auto place = [&](QWidget *control, int gap) {
        append(TControlBind::createUnplaced(control));
        top += control->height() + gap;
    };
    auto addParamEdit = [&](const QString &text, int tag) {
        QLineEdit *edit = AddEdit(text, panel, 0, top);
        setControlTag(edit, tag);
        QObject::connect(edit, &QLineEdit::textChanged, m_events.get(),
                         [this, edit] { handle([&] { MacroParamChange(edit); }); });
        place(edit, 2);
    };

    place(AddLabel(m_item->GetName() + QStringLiteral(": ") + macro->Caption, panel, true, 0, top), 2);
    addParamEdit(m_item->GetComment(), -1);
    for (qsizetype i = 0; i < macro->ParamTypes.count(); ++i) {
        const QString name = macro->ParamTypes.name(i);
        place(AddLabel(name, panel, true, 0, top), 2);
        addParamEdit(attached->Values.value(name), int(i));
    }
    place(AddLabel(QStringLiteral("Generated Script (Read Only)"), panel, true, 0, top), 0);
    TWheelSynEdit *script = AddCodeEditor(panel, 0, top);
    SetScriptText(script, GetCode(m_item));
    script->setReadOnly(true);
    setControlTag(script, -1);
    append(TControlBind::createUnplaced(script));
    rowsPlaced();
}

void TTagsEditor::MacroParamChange(QLineEdit *edit)
{
    const int index = controlTag(edit);
    const QString text = edit->text();
    if (index < 0) {
        if (m_item)
            m_item->SetComment(text);
        DoChange();
        return;
    }
    TWQFPasMacro *attached = itemPasMacro(m_item);
    if (!attached || !attached->Macro || index >= attached->Macro->ParamTypes.count())
        return;
    attached->Values.setValue(attached->Macro->ParamTypes.name(index), text);
    regenerateMacroCode(m_item);
    SetGeneratedScript(GetCode(m_item));
    DoChange();
}
