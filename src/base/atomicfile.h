#pragma once
// Every file the program writes whole (pages, INI files, the recent list, backup copies) goes
// through here, so that no writer can leave a truncated or empty file behind.
#include <QByteArray>
#include <QString>

// Makes fileName hold exactly bytes, or leaves it as it was. The bytes go to a temporary file
// in the same folder, which is flushed and checked at each step before it is renamed over the
// file; on any failure the temporary file is removed. An existing file's permissions carry
// over. On failure error (when given) receives the system's reason, such as "No space left on
// device".
bool WriteFileAtomically(const QString &fileName, const QByteArray &bytes, QString *error = nullptr);
