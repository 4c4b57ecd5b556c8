#pragma once
// The check message list below the tabs: the lines of a check run, the notes on description
// files the start-up could not read and the copy and paste diagnostics, and the way from a
// line to the component and the place it names.
#include "checks/pellorinplugin.h"

#include <QObject>
#include <QString>
#include <QStringList>

class QListWidget;
class QScrollArea;
class TWQFFile;
class WindowHost;

// The list "ListBox1" on its panel "Panel5".
class CheckMessagePanel : public QObject {
    Q_OBJECT
public:
    // The Pascal units of a save's quick check lie in programFolder + "pascal".
    CheckMessagePanel(WindowHost &window, const QString &programFolder);

    // The window lays it out, and owns it from then on.
    QWidget *panel() const { return m_panel; }

    // Appends the lines.
    void addLines(const QStringList &lines);
    // Appends line when the option DbgClip is on.
    void debugLog(const QString &line);
    // The check run over the open page, filling the list: the quick check of the save
    // (quickOnly) or the full check of Tools > "Check WQF file", which first brings the texts
    // typed since the last save into the page.
    void runChecks(bool quickOnly);
    // What a save checks: the Pascal units read again, then the quick check.
    void saveCheck();
    // The double-click on a line: the tab of the section it names, the component of the number
    // it names, and for a compiler error the place in that component's first code editor.
    void listBox1DblClick();
    // The whole lines of the rows.
    QStringList messageLines() const;

private:
    WindowHost &m_window;
    QString m_unitsFolder;
    QWidget *m_panel;
    QListWidget *m_list;
};

// Appends a row for each line. A row shows a long line's start and an ellipsis, and keeps the
// whole line for what the row stands for.
void addMessageLines(QListWidget *list, const QStringList &lines);
// What a row shows of line: all of it, or its first 4000 characters and an ellipsis.
QString shownMessageLine(const QString &line);

// Replaces the list's lines by the check run over page: the quick check of a save
// (quickOnly), or the full check of Tools > "Check WQF file", which first shows a line asking
// for patience. "Check complete." ends a run that did not break off.
void runChecksInto(QListWidget *list, TWQFFile *page, bool quickOnly);

// The component number a check message line names: its second word up to a blank or colon,
// read as a decimal number; -1 when there is none.
int MessageComponentNumber(const QString &line);
// A check message as the message list shows it: a line about a component after the
// component's section and name.
QString checkMessageLine(const CheckMessage &message);

// For a compiler error line ("[Error] (row,col) ..."): the caret at that place in the first
// code editor among the property panel's own controls (made now when its row was put off),
// the panel scrolled to show it, and the focus there. Nothing without such an editor.
void showCompilerErrorPlace(QScrollArea *propertyPanel, const QString &line);
