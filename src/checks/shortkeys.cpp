// The window's key combinations served through the host interface.
#include "shortkeys.h"

#include "base/mathutils.h"
#include "model/wqftypes.h"

#include <Qsci/qsciscintilla.h>

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSet>
#include <QSignalBlocker>
#include <QTextEdit>
#include <algorithm>

namespace {
// The control a focused viewport belongs to.
const QWidget *owningControl(const QWidget *control)
{
    if (!control)
        return nullptr;
    if (auto *area = qobject_cast<const QAbstractScrollArea *>(control->parentWidget()))
        if (area->viewport() == control)
            return area;
    return control;
}

QWidget *focusedControl() { return const_cast<QWidget *>(owningControl(QApplication::focusWidget())); }

QString controlText(QWidget *control, TextControlKind kind)
{
    switch (kind) {
    case TextControlKind::LineEdit:
        return static_cast<QLineEdit *>(control)->text();
    case TextControlKind::SourceEditor:
        return static_cast<QsciScintilla *>(control)->text();
    case TextControlKind::OtherEdit:
        if (auto *line = qobject_cast<QLineEdit *>(control))
            return line->text();
        if (auto *spin = qobject_cast<QAbstractSpinBox *>(control))
            return spin->text();
        if (auto *plain = qobject_cast<QPlainTextEdit *>(control))
            return plain->toPlainText();
        if (auto *rich = qobject_cast<QTextEdit *>(control))
            return rich->toPlainText();
        return QString();
    case TextControlKind::None:
        break;
    }
    return QString();
}

// Doubles every quote of the editor, or takes the first of every pair away, in one step that
// its undo takes back. The second quote goes in before each one and the first of a pair goes,
// so a caret beside a quote stays on its side, and the view stays on the text it showed: setting
// the whole text would empty the undo history and jump to the top. The change handler hears of
// it once, at the end.
void requoteEditor(QsciScintilla *editor, bool doubling)
{
    const int firstLine = editor->firstVisibleLine();
    const long xOffset = editor->SendScintilla(QsciScintillaBase::SCI_GETXOFFSET);
    const QByteArray pattern = doubling ? QByteArray("'") : QByteArray("''");
    {
        const QSignalBlocker blocker(editor);
        editor->SendScintilla(QsciScintillaBase::SCI_BEGINUNDOACTION);
        editor->SendScintilla(QsciScintillaBase::SCI_SETSEARCHFLAGS, 0UL);
        long start = 0;
        for (;;) {
            const long end = editor->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
            editor->SendScintilla(QsciScintillaBase::SCI_SETTARGETRANGE, uintptr_t(start), intptr_t(end));
            const long found = editor->SendScintilla(QsciScintillaBase::SCI_SEARCHINTARGET, uintptr_t(pattern.size()),
                                                     pattern.constData());
            if (found < 0)
                break;
            if (doubling) {
                editor->SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, uintptr_t(found), "'");
                start = found + 2;
            } else {
                editor->SendScintilla(QsciScintillaBase::SCI_DELETERANGE, uintptr_t(found), intptr_t(1));
                start = found + 1;
            }
        }
        editor->SendScintilla(QsciScintillaBase::SCI_ENDUNDOACTION);
    }
    editor->setFirstVisibleLine(firstLine);
    editor->SendScintilla(QsciScintillaBase::SCI_SETXOFFSET, xOffset);
    emit editor->textChanged();
}

// The selection's components among the items of the sections; notes and their handles are
// selected too and must be left alone.
QList<TWQFItem *> selectedComponents(const QList<void *> &selection, const std::vector<const TWQFSection *> &sections)
{
    QSet<const void *> components;
    for (const TWQFSection *section : sections)
        for (const auto &item : section->Items())
            components.insert(item.get());
    QList<TWQFItem *> out;
    for (void *data : selection)
        if (components.contains(data))
            out.append(static_cast<TWQFItem *>(data));
    return out;
}

// The folder part of a path with its final delimiter, "/" or "\".
QString folderOf(const QString &path)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i)
        if (path[i] == u'/' || path[i] == u'\\')
            return path.left(i + 1);
    return QString();
}

// The name with its extension replaced by ".wqf", or ".wqf" added when it has none.
QString withPageExtension(const QString &name)
{
    for (qsizetype i = name.size() - 1; i >= 0; --i) {
        if (name[i] == u'.')
            return name.left(i) + QStringLiteral(".wqf");
        if (name[i] == u'/' || name[i] == u'\\')
            break;
    }
    return name + QStringLiteral(".wqf");
}
} // namespace

TextControlKind textControlKind(const QWidget *control)
{
    control = owningControl(control);
    if (!control)
        return TextControlKind::None;
    if (qobject_cast<const QsciScintilla *>(control))
        return TextControlKind::SourceEditor;
    if (auto *line = qobject_cast<const QLineEdit *>(control)) {
        // A combo box's edit part is no edit control of its own; a spin box is one, but not a
        // plain single-line edit.
        if (qobject_cast<const QComboBox *>(line->parentWidget()))
            return TextControlKind::None;
        if (qobject_cast<const QAbstractSpinBox *>(line->parentWidget()))
            return TextControlKind::OtherEdit;
        return TextControlKind::LineEdit;
    }
    if (qobject_cast<const QAbstractSpinBox *>(control) || qobject_cast<const QPlainTextEdit *>(control) ||
        qobject_cast<const QTextEdit *>(control))
        return TextControlKind::OtherEdit;
    return TextControlKind::None;
}

// ---- Ctrl+Enter ----

bool TOpenExternalFile::Accepts(uint16_t key, TShiftState shift) { return key == VK_RETURN && shift == ssCtrl; }

void TOpenExternalFile::Execute(uint16_t, TShiftState, bool &)
{
    TPellorinAppIntf *host = GetAppIntf();
    QList<void *> selection;
    host->GetSelection(selection);
    TWQFFile *doc = nullptr;
    host->GetCurrent(doc);
    if (!doc)
        return;
    std::vector<const TWQFSection *> sections;
    for (const auto &section : doc->Sections())
        sections.push_back(section.get());
    const QList<TWQFItem *> components = selectedComponents(selection, sections);
    if (components.size() != 1 || components.first()->GetType() != u"EXTERNAL")
        return;
    host->OpenFile(folderOf(host->GetFileName()) + withPageExtension(components.first()->GetValueN()));
}

// ---- Alt+arrows ----

bool TMoveWQFComponents::Accepts(uint16_t key, TShiftState shift)
{
    const uint16_t code = key & 0xFF;
    return code >= VK_LEFT && code <= VK_DOWN && shift.testFlag(ssAlt);
}

void TMoveWQFComponents::Execute(uint16_t key, TShiftState, bool &)
{
    if (textControlKind(focusedControl()) != TextControlKind::None)
        return;
    int dx = 0, dy = 0;
    switch (key & 0xFF) {
    case VK_LEFT:
        dx = -32;
        break;
    case VK_UP:
        dy = -24;
        break;
    case VK_RIGHT:
        dx = 32;
        break;
    default:
        dy = 24;
        break;
    }
    TPellorinAppIntf *host = GetAppIntf();
    QList<void *> selection;
    host->GetSelection(selection);
    TWQFFile *doc = nullptr;
    const QString sectionName = host->GetCurrent(doc);
    const TWQFSection *section = doc && !sectionName.isEmpty() ? doc->FindSection(sectionName) : nullptr;
    // A component that moves changes the page's tree, which makes the page modified; one
    // held at the edge changes nothing.
    if (section)
        for (TWQFItem *item : selectedComponents(selection, {section})) {
            // Left of or above the diagram a component can be neither seen nor clicked: as a
            // drag or a paste does, the move stops at the edge.
            item->SetX(std::max(0, clampedAdd(item->GetX(), dx)));
            item->SetY(std::max(0, clampedAdd(item->GetY(), dy)));
        }
    host->RefreshSection(sectionName);
}

// ---- Ctrl+' ----

bool TRequote::Accepts(uint16_t key, TShiftState shift) { return key == VK_OEM_7 && shift.testFlag(ssCtrl); }

void TRequote::Execute(uint16_t, TShiftState shift, bool &handled)
{
    QWidget *control = focusedControl();
    const TextControlKind kind = textControlKind(control);
    QString text = controlText(control, kind);
    handled = !text.isEmpty();
    if (!handled)
        return;
    if (shift == ssCtrl)
        text.replace(u'\'', QStringLiteral("''"));
    else if (shift == (ssShift | ssCtrl))
        text.replace(QStringLiteral("''"), QStringLiteral("'"));
    // The whole text goes back, and the control's change handler runs even when nothing
    // changed, as after any edit.
    if (kind == TextControlKind::LineEdit) {
        auto *edit = static_cast<QLineEdit *>(control);
        if (edit->text() != text)
            edit->setText(text);
        else
            emit edit->textChanged(text);
    } else if (kind == TextControlKind::SourceEditor) {
        auto *editor = static_cast<QsciScintilla *>(control);
        if (editor->text() == text)
            emit editor->textChanged();
        else
            requoteEditor(editor, shift == ssCtrl);
    }
}

void initShortKeys()
{
    RegisterPlugin(std::make_unique<TOpenExternalFile>());
    RegisterPlugin(std::make_unique<TMoveWQFComponents>());
    RegisterPlugin(std::make_unique<TRequote>());
}
