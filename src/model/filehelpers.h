#pragma once
// Whole files as byte strings (no conversion of encoding or line breaks), folder listings
// and temporary files.
#include <QByteArray>
#include <QString>
#include <QStringList>

// Creates a new empty file in the temporary folder (made with its parents when missing),
// readable and writable by its owner only, and gives its name. The file is created here
// rather than only named, so that no one else can take the name over before the caller
// writes to it; the caller removes it. Raises Exception when neither can be made.
QString TempFileName();

// Appends the names (without folder) of the entries of dir that match mask and attr (kinds
// of platform::FileAttr), sorted by name without case, never "." or "..". The list is not
// cleared first; nothing happens without a list; a missing folder adds nothing.
void ListFolder(const QString &dir, const QString &mask, unsigned attr, QStringList *list);

// The whole file; '' for an empty file and on any error.
QByteArray LoadFileToString(const QString &fileName);
// Makes the file hold exactly text (an existing file is truncated); false on any error.
bool SaveStringToFile(const QByteArray &text, const QString &fileName);
// Writes text to a new temporary file. fileName is set even when writing fails; raises where
// TempFileName does.
bool SaveToTempFile(const QByteArray &text, QString &fileName);
