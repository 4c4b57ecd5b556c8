#pragma once
// Path tests that settings written on other platforms rely on.
#include <QString>

namespace platform {
// Whether path names a place of its own rather than one below another folder: a drive letter
// and colon ("D:"), a network share (two delimiters, a server and a share name), or an
// absolute path of this platform. Both "/" and "\" count as delimiters.
bool HasDrive(const QString &path);

// folder with a "/" at its end, as the names of its files are joined onto it.
QString withTrailingSlash(const QString &folder);
} // namespace platform
