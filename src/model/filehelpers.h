#pragma once
// Whole files as byte strings (no conversion of encoding or line breaks), folder listings
// and temporary files.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>

#include <memory>

// Creates a new empty file in the temporary folder (made with its parents when missing),
// readable and writable by its owner only, and gives it open for reading and writing. Write
// through it, never by its name: in a folder others can write, the name may lead elsewhere by
// then. Neither closing it nor letting it go removes it; the caller does. Raises Exception
// when the folder or the file cannot be made.
std::unique_ptr<QTemporaryFile> newTempFile();
// The name of a file newTempFile made and closed again, so that no one else can take the name
// over; the caller removes it.
QString TempFileName();

// Appends the names (without folder) of the entries of dir that match mask and attr (kinds
// of platform::FileAttr), sorted by name without case, never "." or "..". The list is not
// cleared first; nothing happens without a list; a missing folder adds nothing.
void ListFolder(const QString &dir, const QString &mask, unsigned attr, QStringList *list);

// The whole file; '' for an empty file and on any error.
QByteArray LoadFileToString(const QString &fileName);
// Makes the file hold exactly text (an existing file is truncated); false on any error.
bool SaveStringToFile(const QByteArray &text, const QString &fileName);
// Writes text to a new temporary file through the handle it was created with. fileName is set
// even when writing fails; raises where newTempFile does.
bool SaveToTempFile(const QByteArray &text, QString &fileName);
