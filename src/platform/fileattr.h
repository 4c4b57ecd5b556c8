#pragma once
// The read-only attribute of a file is its owner-write bit; and which file a name leads to.
#include <QString>
#include <cstdint>
#include <optional>

namespace platform {
// The file's full mode bits, or nothing when it cannot be examined.
std::optional<unsigned> FileMode(const QString &path);
bool SetFileMode(const QString &path, unsigned mode);

bool fileIsReadOnly(const QString &path);
// Clears or sets the owner-write bit only; false when the file cannot be changed.
bool setFileReadOnly(const QString &path, bool readOnly);

// Which file a name led to when it was looked at: the file's device and inode, and whether
// the name was a link to it.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    bool throughLink = false;
    bool operator==(const FileIdentity &) const = default;
    bool sameFileAs(const FileIdentity &other) const { return device == other.device && inode == other.inode; }
};
// What name leads to now; nothing when it leads to no file (nothing has the name, or a link
// leads nowhere).
std::optional<FileIdentity> identifyFile(const QString &name);
// The file an open descriptor reads or writes.
std::optional<FileIdentity> identifyOpenFile(int fd);
} // namespace platform
