#pragma once
// The time stamp a directory search reports for a file: its modification time as the packed
// local date and time of the original platform (two-second steps), read as a signed 32-bit
// number. The changed-on-disk check compares these.
#include <QDateTime>
#include <QString>
#include <cstdint>

namespace platform {
// Bits 25-31 year - 1980, 21-24 month, 16-20 day, 11-15 hour, 5-10 minute, 0-4 second / 2;
// years outside 1980-2107 are clamped to that range.
int32_t packFileTime(const QDateTime &local);
// True and stamp for an existing file (not a folder); false and stamp untouched otherwise.
bool GetFileStamp(const QString &path, int32_t &stamp);
} // namespace platform
