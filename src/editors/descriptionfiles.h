#pragma once
// Reading the description files beside the program (component kinds, macros): unlike the page
// model's file routines, a file that cannot be read is an error the loaders report.
#include <QString>

// The whole file as text. Raises Exception naming the file when it cannot be opened or read,
// or when its bytes are not UTF-8 text (invalid sequences or a character 0).
// byteCount, when given, receives the file's size in bytes.
QString ReadDescriptionFile(const QString &fileName, qsizetype *byteCount = nullptr);
