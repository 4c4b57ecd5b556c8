#pragma once
// Compiler messages about a component's code.
#include <QString>

// Whether Line is a compiler error naming a place: "[Error]", nothing but blanks and control
// characters, "(", the row's digits, and after them the first run of digits as the column.
// Row and Col are 0 where no number stands (or it does not fit) and when the line is not of
// that form.
bool ParseErrorLine(const QString &Line, int &Col, int &Row);
