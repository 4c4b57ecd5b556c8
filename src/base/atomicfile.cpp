#include "atomicfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <optional>

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
} // namespace

bool WriteFileAtomically(const QString &fileName, const QByteArray &bytes, QString *error, FileAccess access)
{
    const bool ownerOnly = access == FileAccess::OwnerOnly;
    const bool created = ownerOnly && !NameTaken(fileName) && createOwnerOnly(fileName);
    QSaveFile file(fileName);
    const auto failed = [&](const QString &reason) {
        setReason(error, reason);
        file.cancelWriting();
        if (created)
            QFile::remove(fileName);
        return false;
    };
    if (!file.open(QIODevice::WriteOnly))
        return failed(file.errorString());
    // Qt copies an existing file's permissions with the running user's rights mixed in; and a
    // secret's file is narrowed before its first byte is in it.
    const std::optional<QFileDevice::Permissions> mode = permissionsFor(fileName, access);
    if (mode && !file.setPermissions(*mode))
        return failed(file.errorString());
    if (file.write(bytes) != bytes.size())
        return failed(file.errorString());
    // commit() would rename the temporary file over the old one even when this last flush of
    // its buffer failed: a full disk would leave an empty file and report success.
    if (!file.flush())
        return failed(file.errorString());
    return file.commit() || failed(file.errorString());
}

bool NameTaken(const QString &fileName)
{
    const QFileInfo info(fileName);
    return info.exists() || info.isSymLink();
}

bool WriteNewFile(const QString &fileName, const QByteArray &bytes, QString *error,
                  QFileDevice::Permissions permissions)
{
    QFile file(fileName);
    // NewOnly is an exclusive creation: it refuses any name that exists, a link included,
    // without following it.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, permissions)) {
        setReason(error, NameTaken(fileName) ? QStringLiteral("A file or link of that name exists already")
                                             : file.errorString());
        return false;
    }
    if (file.write(bytes) == bytes.size() && file.flush()) {
        file.close();
        if (file.error() == QFileDevice::NoError)
            return true;
    }
    setReason(error, file.errorString());
    file.close();
    file.remove();
    return false;
}
