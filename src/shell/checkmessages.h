#pragma once
// The check message list below the tabs: the lines of a check run, and what a double-click on
// a line names.
#include "checks/pellorinplugin.h"

#include <QString>

class QListWidget;
class QScrollArea;
class TWQFFile;

// Replaces the list's lines by the check run over page: the quick check of a save
// (quickOnly), or the full check of Tools > "Check WQF file", which first shows a line asking
// for patience. "Check complete." ends a run that did not break off.
void runChecksInto(QListWidget *list, TWQFFile *page, bool quickOnly);

// The component number a check message line names: its second word up to a blank or colon,
// read as a decimal number; -1 when there is none.
int MessageComponentNumber(const QString &Line);
// A check message as the message list shows it: a line about a component after the
// component's section and name.
QString CheckMessageLine(const TCheckMessage &Message);

// For a compiler error line ("[Error] (row,col) ..."): the caret at that place in the first
// code editor among the property panel's own controls (made now when its row was put off),
// the panel scrolled to show it, and the focus there. Nothing without such an editor.
void showCompilerErrorPlace(QScrollArea *propertyPanel, const QString &line);
