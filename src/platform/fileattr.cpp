#include "fileattr.h"

#include <QFile>
#include <sys/stat.h>

namespace platform {

std::optional<unsigned> FileMode(const QString &path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return unsigned(st.st_mode & 07777);
}

bool SetFileMode(const QString &path, unsigned mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode_t(mode & 07777)) == 0;
}

bool fileIsReadOnly(const QString &path)
{
    const auto mode = FileMode(path);
    return mode && (*mode & S_IWUSR) == 0;
}

bool setFileReadOnly(const QString &path, bool readOnly)
{
    const auto mode = FileMode(path);
    if (!mode)
        return false;
    return SetFileMode(path, readOnly ? (*mode & ~unsigned(S_IWUSR)) : (*mode | S_IWUSR));
}

namespace {
FileIdentity identityOf(const struct stat &st, bool throughLink)
{
    return FileIdentity{uint64_t(st.st_dev), uint64_t(st.st_ino), throughLink};
}
} // namespace

std::optional<FileIdentity> identifyFile(const QString &name)
{
    const QByteArray encoded = QFile::encodeName(name);
    struct stat atName {};
    struct stat st {};
    if (::lstat(encoded.constData(), &atName) != 0 || ::stat(encoded.constData(), &st) != 0)
        return std::nullopt;
    return identityOf(st, S_ISLNK(atName.st_mode));
}

std::optional<FileIdentity> identifyOpenFile(int fd)
{
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0)
        return std::nullopt;
    return identityOf(st, false);
}
} // namespace platform
