#pragma once
// A folder held open by its descriptor. A name looked up in it is looked up in that folder,
// whatever its path leads to by then, and a link at the name is never followed; so another
// user who shares the folder's parent cannot turn a later step into a write elsewhere by
// renaming the folder or putting a link in its place.
//
// On Linux every look-up goes through the descriptor. Elsewhere the folder is only its path
// and files have no identity; the answers are then the best a path can give.
#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <cstdint>
#include <optional>

// Set where folders are held by descriptor; a build may clear it to try the path-only way.
#if defined(__linux__) && !defined(PELLORIN_PATH_ONLY_FILES)
#define PELLORIN_HELD_FOLDERS 1
#endif

// Which file something is, whatever names lead to it.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator==(const FileIdentity &) const = default;
};

// What a name in a folder holds, looked at without following a link at the name.
struct NameStatus {
    // None where the system gives files no identity.
    std::optional<FileIdentity> identity;
    // The mode bits (permissions with set-id and sticky bits); the link's own for a link.
    unsigned mode = 0;
    bool isLink = false;
    bool isFile = false;
    // The name holds that file; where files have no identity, any plain file counts.
    bool holds(const NameStatus &file) const { return isFile && file.isFile && identity == file.identity; }
};

// Mode bits (0777 at most) and Qt's permissions, each way.
unsigned modeBits(QFileDevice::Permissions permissions);
QFileDevice::Permissions permissionsOf(unsigned mode);

class HeldFolder {
public:
    // Holds nothing.
    HeldFolder() = default;
    // The folder path leads to now, links on the way followed, as the user names it; nothing
    // held (and error given the reason) when it is no folder or cannot be opened.
    static HeldFolder open(const QString &path, QString *error = nullptr);
    // The folder relativePath ("a/b") leads to inside this one, each step made first when
    // missing; a link on the way is never followed, so it makes the answer nothing.
    HeldFolder subfolder(const QString &relativePath, QString *error = nullptr) const;
    ~HeldFolder();
    HeldFolder(HeldFolder &&other) noexcept;
    HeldFolder &operator=(HeldFolder &&other) noexcept;
    HeldFolder(const HeldFolder &) = delete;
    HeldFolder &operator=(const HeldFolder &) = delete;

    bool isHeld() const { return !m_path.isEmpty(); }
    // The path the folder had when it was opened, with a final "/"; for messages.
    const QString &path() const { return m_path; }
    // -1 where the folder is only its path.
    int descriptor() const { return m_fd; }
    // Of the folder itself.
    std::optional<FileIdentity> identity() const { return m_identity; }
    // What name holds now; nothing when nothing has it (or the folder is not held).
    std::optional<NameStatus> status(const QString &name) const;
    // True when path leads to this folder now.
    bool isWherePathLeads(const QString &path) const;
    // The whole regular file name holds, opened without following a link at the name and
    // without waiting on a pipe; with only, nothing unless the file opened is that one. mode
    // (when given) receives its mode; error (when given) why there is nothing.
    std::optional<QByteArray> read(const QString &name, const std::optional<FileIdentity> &only = std::nullopt,
                                   unsigned *mode = nullptr, QString *error = nullptr) const;
    // Removes what has name (a link itself, never its target); false when nothing was removed.
    bool remove(const QString &name) const;

private:
    QString m_path;
    int m_fd = -1;
    std::optional<FileIdentity> m_identity;
};
