// The diagram commands: delete, copy, paste, link, flip, flush and the section picture.
#include "diagramcommands.h"

#include "base/atomicfile.h"
#include "base/exception.h"
#include "base/mathutils.h"
#include "diagramtab.h"
#include "editors/dynamicctrlutils.h"
#include "editors/lclgrapheditor.h"
#include "editors/wqfeditors.h"
#include "editors/wqfmacros.h"
#include "globaloptions.h"
#include "model/clipboardxml.h"
#include "model/sqlparams.h"
#include "model/xmlwrite2.h"
#include "openpage.h"
#include "pageviews.h"
#include "windowhost.h"

#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSet>
#include <QTabWidget>
#include <QTextEdit>
#include <algorithm>
#include <limits>

namespace {
const QString kSelectQuery = QStringLiteral("SELECTQUERY");
const QString kInsertUpdateQuery = QStringLiteral("INSERTUPDATEQUERY");

// A bound of our own on the pixels of a picture, far below what would exhaust the memory, so
// that a huge graph is refused with a message instead.
constexpr qint64 kMaxPicturePixels = qint64(1) << 28;

// The line edit of an editable combo box belongs to the combo box.
bool insideComboBox(const QWidget *control)
{
    return qobject_cast<const QLineEdit *>(control) && control->parentWidget() &&
           qobject_cast<const QComboBox *>(control->parentWidget());
}

// Runs command on the control as the text control it is: a code editor, a line edit outside a
// combo box, a plain or a rich text edit; nothing for any other control.
template <class Command> void onEditControl(QWidget *control, Command command)
{
    if (insideComboBox(control))
        return;
    if (auto *editor = qobject_cast<QsciScintilla *>(control))
        command(editor);
    else if (auto *edit = qobject_cast<QLineEdit *>(control))
        command(edit);
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(control))
        command(plain);
    else if (auto *rich = qobject_cast<QTextEdit *>(control))
        command(rich);
}

QString controlDescription(const QWidget *control)
{
    return control->objectName() + u':' + QLatin1String(control->metaObject()->className());
}
} // namespace

bool IsEditControl(const QWidget *control)
{
    return qobject_cast<const QsciScintilla *>(control) || qobject_cast<const QLineEdit *>(control) ||
           qobject_cast<const QPlainTextEdit *>(control) || qobject_cast<const QTextEdit *>(control) ||
           qobject_cast<const QComboBox *>(control);
}

void CopyFromEditControl(QWidget *control)
{
    onEditControl(control, [](auto *edit) { edit->copy(); });
}

void PasteIntoEditControl(QWidget *control)
{
    onEditControl(control, [](auto *edit) { edit->paste(); });
}

void DeleteItems(TWQFSection *section, const std::vector<TWQFItem *> &items)
{
    if (!section || items.empty())
        return;
    // One pass over the section for all of them, whatever their number.
    const QSet<const TWQFItem *> listed(items.begin(), items.end());
    QSet<const TWQFItem *> doomed;
    QSet<QString> names;
    for (const auto &item : section->Items())
        if (listed.contains(item.get())) {
            doomed.insert(item.get());
            names.insert(item->GetName());
        }
    if (doomed.isEmpty())
        return;
    for (const auto &item : section->Items()) {
        bool cleared = false;
        for (int exit = 0; exit < 2; ++exit)
            if (names.contains(item->GetJump(exit))) {
                item->SetJump(exit, QString());
                cleared = true;
            }
        // A macro component's code calls its exit's target, which is gone now.
        if (cleared && !doomed.contains(item.get()))
            regenerateMacroCode(item.get());
    }
    std::erase_if(section->Items(), [&](const std::unique_ptr<TWQFItem> &item) {
        if (!doomed.contains(item.get()))
            return false;
        if (XmlElement *node = item->Node(); node && node->parentNode())
            node->parentNode()->removeChild(node);
        return true;
    });
}

void PlaceItemsAt(int x, int y, const std::vector<TWQFItem *> &items)
{
    int minX = std::numeric_limits<int>::max();
    int minY = std::numeric_limits<int>::max();
    bool any = false;
    for (const TWQFItem *item : items)
        if (item) {
            minX = std::min(minX, item->GetX());
            minY = std::min(minY, item->GetY());
            any = true;
        }
    if (!any)
        return;
    for (TWQFItem *item : items)
        if (item) {
            item->SetX(clampToInt(int64_t(x) + (int64_t(item->GetX()) - minX)));
            item->SetY(clampToInt(int64_t(y) + (int64_t(item->GetY()) - minY)));
        }
}

Point pasteLandingPoint(Point scrollPos, double screenDpi, int x, int y)
{
    const double scale = screenDpi / 96.0;
    return {clampedAdd(x, roundToInt(scrollPos.x / scale)), clampedAdd(y, roundToInt(scrollPos.y / scale))};
}

QString sectionPictureName(const QString &pageFileName, const QDateTime &when)
{
    // Only the file name's own last dot starts the extension, never one of a folder.
    const qsizetype folderEnd = std::max(pageFileName.lastIndexOf(u'/'), pageFileName.lastIndexOf(u'\\'));
    const qsizetype dot = pageFileName.lastIndexOf(u'.');
    const QString stem = dot > folderEnd ? pageFileName.left(dot) : pageFileName;
    return stem + u'-' + when.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QStringLiteral(".png");
}

// ---- DiagramCommands ----

DiagramCommands::DiagramCommands(WindowHost &window) : m_window(window) {}

void DiagramCommands::log(const QString &line) { emit diagnostic(line); }

double DiagramCommands::screenDpi() const { return m_screenDpi ? m_screenDpi() : screenDpiOf(m_window.windowWidget()); }

TWQFEditorSource *DiagramCommands::sourceOf(const TGraphEditor *editor) const
{
    return editor ? dynamic_cast<TWQFEditorSource *>(editor->Source()) : nullptr;
}

TImageGraphEditor *DiagramCommands::activeEditor() const
{
    const DiagramTab *tab = m_window.views().activeDiagramTab();
    return tab ? tab->editor() : nullptr;
}

TWQFItem *DiagramCommands::selectedQuery(TGraphEditor *editor) const
{
    TWQFItem *item = singleSelectedComponent(editor);
    const QString type = item ? item->GetType() : QString();
    return type == kSelectQuery || type == kInsertUpdateQuery ? item : nullptr;
}

TWQFItem *DiagramCommands::singleSelectedComponent(TGraphEditor *editor) const
{
    TWQFEditorSource *source = sourceOf(editor);
    if (!source || editor->SelectedCount() != 1)
        return nullptr;
    DataList selected;
    editor->GetSelected(&selected);
    return selected.empty() ? nullptr : source->componentOf(selected.front());
}

void DiagramCommands::rebuildSelecting(TGraphEditor *editor, TWQFItem *item)
{
    editor->Rebuild();
    const DataList again{item};
    editor->SetSelected(&again, true);
}

// ---- delete ----

void DiagramCommands::deleteSelected(TGraphEditor *editor)
{
    TWQFEditorSource *source = sourceOf(editor);
    OpenPage &page = m_window.page();
    PageViews &views = m_window.views();
    TWQFFile *doc = page.document();
    if (!source || !doc)
        return;
    const DiagramTab *tab = diagramTabOf(views.diagramTabs(), editor);
    TWQFSection *section = tab ? doc->FindSection(tab->section()) : nullptr;

    DataList selected;
    editor->GetSelected(&selected);
    std::erase_if(selected, [source](void *data) { return source->kindOf(data) == dikHandle; });
    if (selected.empty())
        return;

    Prompt question;
    question.caption = QStringLiteral("Delete");
    question.text = QStringLiteral("Delete selected %1 item(s)?").arg(selected.size());
    question.buttons = pbYes | pbNo;
    if (page.ask(question) == pbYes) {
        // What each entry is, read before the listing changes.
        std::vector<TWQFItem *> components;
        QSet<const TCommentRect *> notes;
        for (void *data : selected) {
            if (TCommentRect *note = source->noteOf(data))
                notes.insert(note);
            else if (TWQFItem *item = source->componentOf(data))
                components.push_back(item);
        }
        // The property panel must let go of what is about to go.
        if (selected.size() == 1)
            editor->SetSelected(nullptr, false);
        editor->Rebuild();
        std::erase_if(views.notes(),
                      [&](const std::unique_ptr<TCommentRect> &note) { return notes.contains(note.get()); });
        DeleteItems(section, components);
        editor->Rebuild();
    } else {
        views.tabWidget()->setFocus();
    }
    // The deleted notes leave the page's tree only when the notes are next written, and a
    // delete counts as a change whatever the answer.
    page.setModified(true);
}

// ---- copy and paste ----

namespace {
// Empty unless the components from first on would make the page too deep to write indented, so
// that every save without "Preserve XML whitespaces" would fail.
QString nestingError(const TWQFFile &page, const XmlNode *first)
{
    if (OpenPage::optionsFromSettings().testFlag(poWhitespace))
        return {};
    IndentationCost cost = measureIndentation(*page.Doc());
    for (const XmlNode *node = first; node; node = node->nextSibling())
        cost += measureIndentation(*node, 2); // inside the root and its section
    if (!indentationTooLarge(cost))
        return {};
    return QStringLiteral("Nothing was pasted: the components are nested too deeply to save the page indented; turn "
                          "on \"Preserve XML whitespaces\" in Preferences to paste them (%1 levels would need %2 MB "
                          "of blanks)")
        .arg(cost.depth)
        .arg(cost.blanks >> 20);
}
} // namespace

void DiagramCommands::copyCommand()
{
    QWidget *form = QApplication::activeWindow();
    if (!form) {
        log(QStringLiteral("no focused form"));
        return;
    }
    if (QWidget *focused = form->focusWidget(); IsEditControl(focused)) {
        CopyFromEditControl(focused);
        log(QStringLiteral("text control ") + controlDescription(focused));
        return;
    }
    if (form != m_window.windowWidget()) {
        log(QStringLiteral("other form is focused"));
        return;
    }
    const PageViews &views = m_window.views();
    const int page = views.tabWidget()->currentIndex();
    if (page < 0) {
        log(QStringLiteral("no page active!"));
        return;
    }
    const DiagramTab *tab = diagramTabOfSheet(views.diagramTabs(), views.tabWidget()->currentWidget());
    if (!tab) {
        log(QStringLiteral("page active: ") + views.tabWidget()->tabText(page) + QStringLiteral(" nothing to copy"));
        return;
    }
    log(tab == views.diagramTabs().front() ? QStringLiteral("pre process focused")
                                           : QStringLiteral("post process focused"));
    std::vector<TWQFItem *> components;
    if (TWQFEditorSource *source = sourceOf(tab->editor())) {
        DataList selected;
        tab->editor()->GetSelected(&selected);
        // Notes and their handles stay behind; the components keep the diagram's order.
        for (void *data : selected)
            if (TWQFItem *item = source->componentOf(data))
                components.push_back(item);
    }
    SystemClipboardText clipboard;
    try {
        WriteClipboardXML(components, clipboard);
    } catch (const Exception &e) {
        // Nothing of the page is at stake: a message of the command's own, not the last-resort one.
        m_window.page().showMessage(QStringLiteral("The components cannot be copied: ") + e.message());
        return;
    }
    log(QStringLiteral("copied!") + QString::number(components.size()) + QStringLiteral(" items"));
}

void DiagramCommands::pasteCommand(int x, int y)
{
    QWidget *form = QApplication::activeWindow();
    if (!form) {
        log(QStringLiteral("Screen form is not focused!"));
        return;
    }
    if (QWidget *focused = form->focusWidget(); IsEditControl(focused)) {
        log(QStringLiteral("is edit control focused ") + controlDescription(focused));
        PasteIntoEditControl(focused);
        return;
    }
    if (form != m_window.windowWidget()) {
        log(QStringLiteral("other form focused, not the main"));
        return;
    }
    const PageViews &views = m_window.views();
    const int page = views.tabWidget()->currentIndex();
    const DiagramTab *tab = diagramTabOfSheet(views.diagramTabs(), views.tabWidget()->currentWidget());
    if (!tab) {
        log(page < 0 ? QStringLiteral("No active page ")
                     : QStringLiteral("a different page is focused: ") + views.tabWidget()->tabText(page));
        return;
    }
    const bool isPre = tab == views.diagramTabs().front();
    log(isPre ? QStringLiteral("pre process editor pasting!") : QStringLiteral("post process editor pasting!"));
    std::vector<TWQFItem *> pasted;
    if (!pasteClipIntoSection(isPre, &pasted)) {
        log(QStringLiteral("failed to paste any controls. bad XML?"));
        return;
    }
    log(QStringLiteral("arranging pasted items ") + QString::number(pasted.size()));
    TImageGraphEditor *editor = tab->editor();
    if (!editor)
        return;
    const Point at = pasteLandingPoint(editor->GetScrollPos(), screenDpi(), x, y);
    PlaceItemsAt(at.x, at.y, pasted);
    for (TWQFItem *item : pasted) {
        if (item->GetX() < 0)
            item->SetX(0);
        if (item->GetY() < 0)
            item->SetY(0);
    }
    editor->Rebuild();
    const DataList selection(pasted.begin(), pasted.end());
    editor->SetSelected(&selection, true);
    editor->Invalidate();
}

bool DiagramCommands::pasteClipIntoSection(bool isPre, std::vector<TWQFItem *> *outList)
{
    TWQFFile *doc = m_window.page().document();
    if (!doc) {
        log(QStringLiteral("file not opened"));
        return false;
    }
    TWQFSection *section = doc->FindSection(m_window.views().diagramTabs()[isPre ? 0 : 1]->section());
    if (!section) {
        log(QStringLiteral("no paste section"));
        return false;
    }
    const std::unique_ptr<XmlDocument> clip = ReadClipboardRoot(SystemClipboardText(), QStringLiteral("clip"));
    if (!clip) {
        log(QStringLiteral("unable to prepare clipping XML"));
        return false;
    }
    const XmlElement *root = clip->firstChildElement(QStringLiteral("clip"));
    if (!root) {
        log(QStringLiteral("Internal error: Clip tag not found."));
        return false;
    }
    const XmlElement *first = root->firstChildElement(QStringLiteral("c"));
    if (!first) {
        log(QStringLiteral("Internal error: no component in clip"));
        return false;
    }
    if (const QString error = nestingError(*doc, first); !error.isEmpty()) {
        log(QStringLiteral("components too deeply nested to indent"));
        m_window.page().showMessage(error);
        return false;
    }
    std::vector<TWQFItem *> pasted;
    PasteItems(first, section, pasted);
    // A copied macro component stays one, as it is when its page is opened.
    ApplyMacros(pasted, QStringLiteral("macro:"));
    // Their exits now name the pasted copies (or nothing), so the code must call those.
    for (TWQFItem *item : pasted)
        regenerateMacroCode(item);
    if (outList)
        *outList = pasted;
    return true;
}

// ---- exit linking ----

void DiagramCommands::image1MouseUp(QObject *sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    if (!m_window.page().document())
        return;
    // The pre-process image stands for its diagram; any other for the post-process one.
    const std::span<DiagramTab *const> tabs = m_window.views().diagramTabs();
    DiagramTab *tab = tabs.back();
    if (sender && sender == tabs.front()->image())
        tab = tabs.front();
    TImageGraphEditor *editor = tab->editor();
    TWQFEditorSource *source = sourceOf(editor);
    if (!source)
        return;
    if (!shift.testFlag(Qt::ShiftModifier)) {
        if (button == Qt::RightButton)
            emit diagramMenuRequested();
        return;
    }
    if (button != Qt::LeftButton && button != Qt::RightButton)
        return;
    if (editor->SelectedCount() != 1)
        return;
    DataList selected;
    editor->GetSelected(&selected);
    void *from = selected.empty() ? nullptr : selected.front();
    void *target = editor->DataAt(x, y);
    if (!from || target == from)
        return;
    // Exits join components only: a note or a handle at either end links nothing.
    TWQFItem *item = source->componentOf(from);
    TWQFItem *to = target ? source->componentOf(target) : nullptr;
    if (!item || (target && !to))
        return;

    const int exit = button == Qt::LeftButton ? 0 : 1;
    item->SetJump(exit, to ? to->GetName() : QString());
    if (regenerateMacroCode(item))
        if (auto *changer = dynamic_cast<TPanelChanger *>(editor))
            UpdateGeneratedScript(changer->TagsEditor(), GetCode(item));
    // The selection and the property panel stay; the diagram shows the new arrow.
    source->refresh();
    editor->Invalidate();
}

// ---- query components ----

void DiagramCommands::flipQueryType()
{
    TGraphEditor *editor = activeEditor();
    TWQFItem *item = selectedQuery(editor);
    if (!item)
        return;
    item->SetType(item->GetType() == kSelectQuery ? kInsertUpdateQuery : kSelectQuery);
    rebuildSelecting(editor, item);
}

void DiagramCommands::flushQueryParams()
{
    TGraphEditor *editor = activeEditor();
    TWQFItem *item = selectedQuery(editor);
    if (!item)
        return;
    const bool forceCDATA = OptionStore().GetBoolDef(opt::ForceCDATA, false);
    if (FlushParams(item, item->GetQuery(), forceCDATA, true))
        rebuildSelecting(editor, item);
}

// ---- the picture ----

void DiagramCommands::sectionScreenShot()
{
    TImageGraphEditor *editor = activeEditor();
    if (!editor)
        return;
    OpenPage &page = m_window.page();
    const QString fileName = sectionPictureName(page.fileName(), page.now());
    const Point size = editor->GetGraphSize();
    QString reason;
    if (qint64(size.x) * qint64(size.y) > kMaxPicturePixels) {
        reason = QStringLiteral("the diagram of %1 x %2 pixels is too large for a picture").arg(size.x).arg(size.y);
    } else {
        const QImage picture = editor->paintToImage();
        QByteArray bytes;
        QBuffer buffer(&bytes);
        if (picture.isNull())
            reason =
                QStringLiteral("there is not enough memory for a picture of %1 x %2 pixels").arg(size.x).arg(size.y);
        else if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG"))
            reason = QStringLiteral("the picture could not be encoded");
        else
            // The name can be foreseen: a link put there in advance must not lead the picture
            // over another file.
            writeNewFile(fileName, bytes, &reason);
    }
    if (!reason.isEmpty())
        page.showMessage(QStringLiteral("Unable to save the picture: ") + fileName + QStringLiteral(" Reason: ") +
                         reason);
}
