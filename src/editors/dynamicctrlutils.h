#pragma once
// Adjustments of the code editors shared by the shell and the property panel.
#include <QFont>

class QsciScintilla;

// Tab and Shift+Tab indent and unindent only together with Ctrl (Ctrl+Tab, Ctrl+Shift+Tab);
// plain Tab and Shift+Tab no longer reach the editor's tab commands.
void RebindTabKeys(QsciScintilla *Editor);

// A font laid out for 96 dots per inch, adapted to Dpi: above 96 the default rendering
// quality; at any other resolution than 96 a size given in pixels becomes the same size in
// points, which then follows the screen. A font sized in points is already independent.
QFont ScaleFontToDpi(QFont Font, int Dpi);
// ScaleFontToDpi on the editor's font and its highlighter's fonts at the editor's resolution.
void ScaleSynEditToDpi(QsciScintilla *Editor);
