#pragma once
// The read-only attribute of a file is its owner-write bit.
#include <QString>
#include <optional>

namespace platform {
// The file's full mode bits, or nothing when it cannot be examined.
std::optional<unsigned> fileMode(const QString &path);
bool setFileMode(const QString &path, unsigned mode);

// The attribute as mode bits tell it.
bool modeIsReadOnly(unsigned mode);
bool fileIsReadOnly(const QString &path);
// Clears or sets the owner-write bit only; false when the file cannot be changed.
bool setFileReadOnly(const QString &path, bool readOnly);
} // namespace platform
