#include "checkmessages.h"

#include "base/textutils.h"
#include "editors/dynamicctrlutils.h"
#include "editors/pascompiler.h"
#include "model/stylescan.h"
#include "model/wqftypes.h"

#include <Qsci/qsciscintilla.h>

#include <QListWidget>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QStringList>

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
        TCheckMessages messages;
        RunWarningPlugins(page, quickOnly, &messages);
        // In one insertion: a program's findings may be hundreds of thousands of lines.
        QStringList lines;
        lines.reserve(messages.size() + 1);
        for (const TCheckMessage &message : messages)
            lines << CheckMessageLine(message);
        lines << QStringLiteral("Check complete.");
        list->addItems(lines);
    } catch (...) {
        // A run that broke off ends quietly with the lines it had; the missing last line tells.
    }
}

int MessageComponentNumber(const QString &Line)
{
    static const CharSet blank(" ");
    static const CharSet numberEnd(" :");
    const QString line = Trim(Line);
    qsizetype pos = 1;
    TakeUntil(line, pos, blank);
    TakeWhile(line, pos, blank);
    int number;
    return TryDecimalToInt(TakeUntil(line, pos, numberEnd), number) ? number : -1;
}

QString CheckMessageLine(const TCheckMessage &Message)
{
    if (!Message.Item)
        return Message.Text;
    const TWQFSection *section = Message.Item->Section();
    return (section ? section->GetName() : QString()) + u' ' + Message.Item->GetName() + QStringLiteral(": ") +
           Message.Text;
}

void showCompilerErrorPlace(QScrollArea *propertyPanel, const QString &line)
{
    int col, row;
    ParseErrorLine(line, col, row);
    // A row far from the view may not have its editor yet; it is made now.
    QsciScintilla *editor = FirstCodeEditor(propertyPanel->widget());
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
