#include "atomicfile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QScopeGuard>

#include <cerrno>
#include <cstdio>
#include <optional>
#include <unistd.h>

namespace {
// The mode bits alone, without the User flags: those tell what the running user may do (root
// may write a read-only file), and setting them sets the owner's bits.
constexpr QFileDevice::Permissions kOwnerOnly =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
constexpr QFileDevice::Permissions kModeBits = kOwnerOnly | QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                               QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                               QFileDevice::WriteOther | QFileDevice::ExeOther;

// The permissions the new bytes get: an existing file's exact mode, narrowed as access says;
// nothing to change for a new file of default access.
std::optional<QFileDevice::Permissions> permissionsFor(const QString &fileName, FileAccess access)
{
    std::optional<QFileDevice::Permissions> mode;
    if (QFileInfo::exists(fileName))
        mode = QFile::permissions(fileName) & kModeBits;
    if (access == FileAccess::OwnerOnly)
        mode = mode.value_or(QFileDevice::ReadOwner | QFileDevice::WriteOwner) & kOwnerOnly;
    return mode;
}

void setReason(QString *error, const QString &reason)
{
    if (error)
        *error = reason.isEmpty() ? QStringLiteral("Unknown error") : reason;
}

// An empty file of the owner's alone, so that the temporary file that replaces it starts as
// narrow as its permissions: a file made wider and narrowed later could be opened meanwhile.
bool createOwnerOnly(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

// QSaveFile::commit() syncs too, but carries on with the rename when that fails.
SyncFileFunction g_sync = ::fdatasync;

// Writes bytes into file, opened, with the given mode, and renames it over its name; file is
// cancelled on any failure, with error given the reason.
bool writeAndCommit(QSaveFile &file, const QByteArray &bytes, const std::optional<QFileDevice::Permissions> &mode,
                    QString *error)
{
    const auto failed = [&](const QString &reason) {
        setReason(error, reason);
        file.cancelWriting();
        return false;
    };
    if (mode && !file.setPermissions(*mode))
        return failed(file.errorString());
    if (file.write(bytes) != bytes.size())
        return failed(file.errorString());
    // commit() would rename the temporary file over the old one even when this last flush of
    // its buffer failed: a full disk would leave an empty file and report success.
    if (!file.flush())
        return failed(file.errorString());
    if (g_sync(file.handle()) != 0)
        return failed(qt_error_string(errno));
    return file.commit() || failed(file.errorString());
}

// Writes bytes into file, open and of our own making, syncs and closes it; on a failure error
// receives the reason and the file stays for the caller to remove.
bool fillAndClose(QFile &file, const QByteArray &bytes, QString *error)
{
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        setReason(error, file.errorString());
        return false;
    }
    if (g_sync(file.handle()) != 0) {
        setReason(error, qt_error_string(errno));
        return false;
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        setReason(error, file.errorString());
        return false;
    }
    return true;
}

// Opens file as a new, empty file beside fileName under a name no one has; false when none
// could be made, with error given the reason.
bool openSibling(QFile &file, const QString &fileName, QString *error)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name =
            fileName + QStringLiteral(".%1.new").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        file.setFileName(name);
        // Created exclusively: a link someone put at this name is never followed.
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return true;
        if (!nameTaken(name)) {
            setReason(error, file.errorString());
            return false;
        }
    }
    setReason(error, QStringLiteral("No free name for a temporary file"));
    return false;
}
} // namespace

bool writeFileAtomically(const QString &fileName, const QByteArray &bytes, QString *error, FileAccess access)
{
    const bool ownerOnly = access == FileAccess::OwnerOnly;
    const bool created = ownerOnly && !nameTaken(fileName) && createOwnerOnly(fileName);
    QSaveFile file(fileName);
    bool written = file.open(QIODevice::WriteOnly);
    if (!written)
        setReason(error, file.errorString());
    else
        // Qt copies an existing file's permissions with the running user's rights mixed in; and
        // a secret's file is narrowed before its first byte is in it.
        written = writeAndCommit(file, bytes, permissionsFor(fileName, access), error);
    if (!written && created)
        QFile::remove(fileName);
    return written;
}

bool replaceNameAtomically(const QString &fileName, const QByteArray &bytes, QString *error)
{
    // The mode of what has the name, never of what a link there leads to.
    const QFileInfo atName(fileName);
    std::optional<QFileDevice::Permissions> mode;
    if (!atName.isSymLink() && atName.isFile())
        mode = atName.permissions() & kModeBits;
    // The bytes go to a file of our own beside the name, which a rename then puts in its place:
    // a rename replaces a link itself.
    QFile file;
    if (!openSibling(file, fileName, error))
        return false;
    auto removeSibling = qScopeGuard([&] { file.remove(); });
    if (mode && !file.setPermissions(*mode)) {
        setReason(error, file.errorString());
        return false;
    }
    if (!fillAndClose(file, bytes, error))
        return false;
    if (::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(fileName).constData()) != 0) {
        setReason(error, qt_error_string(errno));
        return false;
    }
    removeSibling.dismiss();
    return true;
}

SyncFileFunction setSyncFileFunction(SyncFileFunction sync)
{
    const SyncFileFunction previous = g_sync;
    g_sync = sync;
    return previous;
}

bool nameTaken(const QString &fileName)
{
    const QFileInfo info(fileName);
    return info.exists() || info.isSymLink();
}

bool writeNewFile(const QString &fileName, const QByteArray &bytes, QString *error,
                  QFileDevice::Permissions permissions)
{
    QFile file(fileName);
    // NewOnly is an exclusive creation: it refuses any name that exists, a link included,
    // without following it.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, permissions)) {
        setReason(error, nameTaken(fileName) ? QStringLiteral("A file or link of that name exists already")
                                             : file.errorString());
        return false;
    }
    if (fillAndClose(file, bytes, error))
        return true;
    file.remove();
    return false;
}
