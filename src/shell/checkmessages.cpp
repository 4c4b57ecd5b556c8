// The check message list: running checks into it and going from a line to its place.
#include "checkmessages.h"

#include "base/textutils.h"
#include "diagramtab.h"
#include "editors/dynamicctrlutils.h"
#include "editors/pascompiler.h"
#include "formparts.h"
#include "globaloptions.h"
#include "model/stylescan.h"
#include "model/wqftypes.h"
#include "openpage.h"
#include "pageviews.h"
#include "platform/slotguard.h"
#include "windowhost.h"

#include <Qsci/qsciscintilla.h>

#include <QListWidget>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QStringList>
#include <QVBoxLayout>

namespace {
// A row shows at most this many characters of its line: drawing a row lays out all the text
// it shows, and a check program may print a line of megabytes.
constexpr qsizetype kShownLineLength = 4000;
// The whole line of a row that shows only its start.
constexpr int kWholeLineRole = Qt::UserRole;

QString messageLineOf(const QListWidgetItem &row)
{
    const QVariant whole = row.data(kWholeLineRole);
    return whole.isValid() ? whole.toString() : row.text();
}
} // namespace

QString shownMessageLine(const QString &line)
{
    if (line.size() <= kShownLineLength)
        return line;
    // A cut between the halves of a surrogate pair would show a broken character.
    const qsizetype length = line[kShownLineLength - 1].isHighSurrogate() ? kShownLineLength - 1 : kShownLineLength;
    return line.left(length) + u'\u2026';
}

void addMessageLines(QListWidget *list, const QStringList &lines)
{
    QStringList shown = lines;
    QList<qsizetype> cut;
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (lines[i].size() > kShownLineLength) {
            shown[i] = shownMessageLine(lines[i]);
            cut << i;
        }
    const int first = list->count();
    list->addItems(shown);
    for (qsizetype i : cut)
        list->item(first + int(i))->setData(kWholeLineRole, lines[i]);
}

void runChecksInto(QListWidget *list, TWQFFile *page, bool quickOnly)
{
    list->clear();
    if (!quickOnly) {
        list->addItem(QStringLiteral("Slow check, please be patient..."));
        // The run blocks the window; the line shows before it starts.
        list->repaint();
    }
    list->setUpdatesEnabled(false);
    auto endUpdate = qScopeGuard([list] { list->setUpdatesEnabled(true); });
    try {
        CheckMessageList messages;
        RunWarningPlugins(page, quickOnly, &messages);
        // In one insertion: a program's findings may be hundreds of thousands of lines.
        QStringList lines;
        lines.reserve(messages.size() + 1);
        for (const CheckMessage &message : messages)
            lines << checkMessageLine(message);
        lines << QStringLiteral("Check complete.");
        addMessageLines(list, lines);
    } catch (...) {
        // A run that broke off ends quietly with the lines it had; the missing last line tells.
    }
}

int MessageComponentNumber(const QString &line)
{
    static const CharSet blank(" ");
    static const CharSet numberEnd(" :");
    const QString trimmed = trim(line);
    qsizetype pos = 1;
    TakeUntil(trimmed, pos, blank);
    TakeWhile(trimmed, pos, blank);
    int number;
    return tryDecimalToInt(TakeUntil(trimmed, pos, numberEnd), number) ? number : -1;
}

QString checkMessageLine(const CheckMessage &message)
{
    if (!message.item)
        return message.text;
    const TWQFSection *section = message.item->Section();
    return (section ? section->GetName() : QString()) + u' ' + message.item->GetName() + QStringLiteral(": ") +
           message.text;
}

void showCompilerErrorPlace(QScrollArea *propertyPanel, const QString &line)
{
    int col, row;
    ParseErrorLine(line, col, row);
    // A row far from the view may not have its editor yet; it is made now.
    QsciScintilla *editor = firstCodeEditor(propertyPanel->widget());
    if (!editor)
        return;
    editor->setCursorPosition(std::max(row - 1, 0), std::max(col - 1, 0));
    const int lineHeight = std::max(editor->textHeight(std::max(row - 1, 0)), 0);
    const int offset = lineHeight * row + editor->y();
    QScrollBar *scroll = propertyPanel->verticalScrollBar();
    if (scroll->value() - editor->height() - editor->y() < offset)
        scroll->setValue(propertyPanel->viewport()->height() > offset ? 0 : offset - 3 * lineHeight);
    editor->setFocus();
}

CheckMessagePanel::CheckMessagePanel(WindowHost &window, const QString &programFolder)
    : m_window(window), m_unitsFolder(programFolder + QStringLiteral("pascal")), m_panel(named(new QWidget, "Panel5")),
      m_list(named(new QListWidget(m_panel), "ListBox1"))
{
    // Every line is one line high; without this the list would measure each of a program's
    // hundreds of thousands of lines before showing any.
    m_list->setUniformItemSizes(true);
    auto *layout = new QVBoxLayout(m_panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    connect(m_list, &QListWidget::itemDoubleClicked, this, guarded([this] { listBox1DblClick(); }));
}

void CheckMessagePanel::addLines(const QStringList &lines) { addMessageLines(m_list, lines); }

void CheckMessagePanel::debugLog(const QString &line)
{
    if (OptionStore().GetDbgClip())
        addMessageLines(m_list, {line});
}

void CheckMessagePanel::runChecks(bool quickOnly)
{
    // The save has done this before its quick check.
    if (!quickOnly)
        m_window.page().storeViewTexts();
    runChecksInto(m_list, m_window.page().document(), quickOnly);
}

void CheckMessagePanel::saveCheck()
{
    LoadUnits(m_unitsFolder);
    runChecks(true);
}

QStringList CheckMessagePanel::messageLines() const
{
    QStringList lines;
    for (int i = 0; i < m_list->count(); ++i)
        lines << messageLineOf(*m_list->item(i));
    return lines;
}

void CheckMessagePanel::listBox1DblClick()
{
    const QListWidgetItem *selected = m_list->currentItem();
    if (!m_window.page().document() || !selected || !selected->isSelected())
        return;
    const QString line = messageLineOf(*selected);
    PageViews &views = m_window.views();
    // A line naming both sections goes to the later tab.
    const std::span<DiagramTab *const> tabs = views.diagramTabs();
    DiagramTab *target = nullptr;
    for (auto tab = tabs.rbegin(); tab != tabs.rend() && !target; ++tab)
        if (line.contains((*tab)->section()))
            target = *tab;
    if (!target)
        return;
    const int number = MessageComponentNumber(line);
    if (number == -1)
        return;
    views.showTab(target);
    views.selectItemByName(QString::number(number));
    if (line.contains(u"[Error]"))
        showCompilerErrorPlace(target->propertyScroll(), line);
}
