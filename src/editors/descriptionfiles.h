#pragma once
// Reading the description files beside the program (component kinds, macros): unlike the page
// model's file routines, a file that cannot be read is an error the loaders report.
#include <QString>
#include <QStringList>
#include <functional>

// The whole file as text. Raises Exception naming the file when it cannot be opened or read,
// or when its bytes are not UTF-8 text (invalid sequences or a character 0).
// byteCount, when given, receives the file's size in bytes.
QString readDescriptionFile(const QString &fileName, qsizetype *byteCount = nullptr);

// Hands every "*.ini" file of the folder, in name order without case, to load with the folder
// (ending in "/") and the file's name. A file whose load raises Exception is skipped; the
// answer holds a line for each: skipped followed by the message.
QStringList loadDescriptionFolder(const QString &dir, const QString &skipped,
                                  const std::function<void(const QString &folder, const QString &file)> &load);
