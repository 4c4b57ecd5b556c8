// Every whole-file write: a new file beside the name in a held folder, its mode first, one sync,
// the rename, the folder's sync; exclusive new files, owner-only modes.
#include "atomicfile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>

#include <cerrno>
#include <utility>

#ifdef PELLORIN_HELD_FOLDERS
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QSaveFile>
#endif

namespace {
const QString kNameTaken = QStringLiteral("A file or link of that name exists already");

void setReason(QString *error, const QString &reason)
{
    if (error)
        *error = reason.isEmpty() ? QStringLiteral("Unknown error") : reason;
}

WriteResult failed(QString *error, const QString &reason)
{
    setReason(error, reason);
    return WriteResult::Failed;
}

#ifdef PELLORIN_HELD_FOLDERS
SyncFileFunction g_syncFile = ::fdatasync;
SyncFileFunction g_syncFolder = ::fsync;
#else
// QSaveFile syncs on its own.
SyncFileFunction g_syncFile = nullptr;
SyncFileFunction g_syncFolder = nullptr;
#endif

#ifdef PELLORIN_HELD_FOLDERS
// A name beside name that no one has yet, for the new bytes.
QString siblingName(const QString &name)
{
    return name + QStringLiteral(".%1.new").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
}

QByteArray encoded(const QString &name) { return QFile::encodeName(name); }

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

// Writes bytes into fd, a file of our own just made, syncs and closes it; false with error
// given the reason. fd is closed either way.
bool fillAndClose(int fd, const QByteArray &bytes, QString *error, std::optional<NameStatus> *made = nullptr)
{
    struct stat st {};
    const bool filled = writeAll(fd, bytes) && g_syncFile(fd) == 0 && ::fstat(fd, &st) == 0;
    const int reason = errno;
    if (::close(fd) != 0 && filled) {
        setReason(error, qt_error_string(errno));
        return false;
    }
    if (!filled) {
        setReason(error, qt_error_string(reason));
        return false;
    }
    if (made) {
        NameStatus status;
        status.identity = FileIdentity{uint64_t(st.st_dev), uint64_t(st.st_ino)};
        status.mode = unsigned(st.st_mode & 07777);
        status.isFile = true;
        *made = status;
    }
    return true;
}
#endif
} // namespace

#ifdef PELLORIN_HELD_FOLDERS

WriteResult replaceInFolder(const HeldFolder &folder, const QString &name, const QByteArray &bytes,
                            const ReplaceOptions &options, QString *error, std::optional<NameStatus> *written)
{
    const int at = folder.descriptor();
    if (at < 0 || name.isEmpty())
        return failed(error, QStringLiteral("No folder to write into"));
    // Created exclusively and never through a link; as narrow as the owner's alone until it
    // has its mode, so that no one can open it in between.
    QByteArray sibling;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        sibling = encoded(siblingName(name));
        fd = ::openat(at, sibling.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      options.mode ? 0600 : 0666);
        if (fd < 0 && errno != EEXIST)
            return failed(error, qt_error_string(errno));
    }
    if (fd < 0)
        return failed(error, QStringLiteral("No free name for a temporary file"));
    auto removeSibling = qScopeGuard([&] { ::unlinkat(at, sibling.constData(), 0); });
    if (options.mode && ::fchmod(fd, mode_t(*options.mode & 0777)) != 0) {
        const int reason = errno;
        ::close(fd);
        return failed(error, qt_error_string(reason));
    }
    std::optional<NameStatus> made;
    if (!fillAndClose(fd, bytes, error, &made))
        return WriteResult::Failed;
    if (options.beforeRename && !options.beforeRename())
        return WriteResult::Cancelled;
    if (::renameat(at, sibling.constData(), at, encoded(name).constData()) != 0)
        return failed(error, qt_error_string(errno));
    removeSibling.dismiss();
    if (written)
        *written = made;
    if (g_syncFolder(at) != 0) {
        setReason(error, qt_error_string(errno));
        return WriteResult::NotDurable;
    }
    return WriteResult::Written;
}

bool writeNewFileIn(const HeldFolder &folder, const QString &name, const QByteArray &bytes, unsigned mode,
                    QString *error)
{
    const int at = folder.descriptor();
    if (at < 0 || name.isEmpty()) {
        setReason(error, QStringLiteral("No folder to write into"));
        return false;
    }
    const QByteArray fileName = encoded(name);
    // An exclusive creation refuses any name that exists, a link included, without following
    // it.
    const int fd =
        ::openat(at, fileName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode_t(mode & 0777));
    if (fd < 0) {
        setReason(error, errno == EEXIST ? kNameTaken : qt_error_string(errno));
        return false;
    }
    bool made = fillAndClose(fd, bytes, error);
    if (made && g_syncFolder(at) != 0) {
        setReason(error, qt_error_string(errno));
        made = false;
    }
    if (!made)
        ::unlinkat(at, fileName.constData(), 0);
    return made;
}

#else

WriteResult replaceInFolder(const HeldFolder &folder, const QString &name, const QByteArray &bytes,
                            const ReplaceOptions &options, QString *error, std::optional<NameStatus> *written)
{
    if (!folder.isHeld() || name.isEmpty())
        return failed(error, QStringLiteral("No folder to write into"));
    QSaveFile file(folder.path() + name);
    // Without a descriptor for the folder, a link at the name is followed here.
    if (!file.open(QIODevice::WriteOnly))
        return failed(error, file.errorString());
    const auto cancel = [&](const QString &reason) {
        file.cancelWriting();
        return failed(error, reason);
    };
    if (options.mode && !file.setPermissions(permissionsOf(*options.mode)))
        return cancel(file.errorString());
    // commit() renames even after a failed last flush of the buffer.
    if (file.write(bytes) != bytes.size() || !file.flush())
        return cancel(file.errorString());
    if (options.beforeRename && !options.beforeRename()) {
        file.cancelWriting();
        return WriteResult::Cancelled;
    }
    if (!file.commit())
        return failed(error, file.errorString());
    if (written)
        *written = folder.status(name);
    return WriteResult::Written;
}

bool writeNewFileIn(const HeldFolder &folder, const QString &name, const QByteArray &bytes, unsigned mode,
                    QString *error)
{
    QFile file(folder.path() + name);
    if (!folder.isHeld() || !file.open(QIODevice::WriteOnly | QIODevice::NewOnly, permissionsOf(mode))) {
        setReason(error, folder.isHeld() && nameTaken(file.fileName()) ? kNameTaken : file.errorString());
        return false;
    }
    if (file.write(bytes) == bytes.size() && file.flush()) {
        file.close();
        if (file.error() == QFileDevice::NoError)
            return true;
    }
    setReason(error, file.errorString());
    file.remove();
    return false;
}

#endif

namespace {
// Replaces the name fileName itself in its folder; a plain file there passes on its mode,
// narrowed as access says.
bool replaceName(const QString &fileName, const QByteArray &bytes, QString *error, FileAccess access)
{
    const QFileInfo info(fileName);
    const HeldFolder folder = HeldFolder::open(info.path(), error);
    if (!folder.isHeld())
        return false;
    // The mode of what has the name, never of what a link there leads to.
    ReplaceOptions options;
    if (const std::optional<NameStatus> there = folder.status(info.fileName()); there && there->isFile)
        options.mode = there->mode & 0777;
    if (access == FileAccess::OwnerOnly)
        options.mode = options.mode.value_or(0600) & 0700;
    return replaceInFolder(folder, info.fileName(), bytes, options, error) == WriteResult::Written;
}
} // namespace

bool writeFileAtomically(const QString &fileName, const QByteArray &bytes, QString *error, FileAccess access)
{
    // A link at the name is followed, once: its target gets the bytes.
    const QFileInfo info(fileName);
    QString target = fileName;
    if (info.isSymLink())
        target = info.canonicalFilePath().isEmpty() ? info.symLinkTarget() : info.canonicalFilePath();
    return replaceName(target, bytes, error, access);
}

bool replaceNameAtomically(const QString &fileName, const QByteArray &bytes, QString *error)
{
    return replaceName(fileName, bytes, error, FileAccess::Default);
}

bool writeNewFile(const QString &fileName, const QByteArray &bytes, QString *error,
                  QFileDevice::Permissions permissions)
{
    const QFileInfo info(fileName);
    const HeldFolder folder = HeldFolder::open(info.path(), error);
    return folder.isHeld() && writeNewFileIn(folder, info.fileName(), bytes, modeBits(permissions), error);
}

SyncFileFunction setSyncFileFunction(SyncFileFunction sync) { return std::exchange(g_syncFile, sync); }

SyncFileFunction setSyncFolderFunction(SyncFileFunction sync) { return std::exchange(g_syncFolder, sync); }

bool nameTaken(const QString &fileName)
{
    const QFileInfo info(fileName);
    return info.exists() || info.isSymLink();
}
