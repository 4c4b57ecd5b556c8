// The read-only attribute as the owner-write bit.
#include "fileattr.h"

#include <QFile>
#include <sys/stat.h>

namespace platform {

std::optional<unsigned> fileMode(const QString &path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return unsigned(st.st_mode & 07777);
}

bool setFileMode(const QString &path, unsigned mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode_t(mode & 07777)) == 0;
}

bool modeIsReadOnly(unsigned mode) { return (mode & S_IWUSR) == 0; }

bool fileIsReadOnly(const QString &path)
{
    const auto mode = fileMode(path);
    return mode && modeIsReadOnly(*mode);
}

bool setFileReadOnly(const QString &path, bool readOnly)
{
    const auto mode = fileMode(path);
    if (!mode)
        return false;
    return setFileMode(path, readOnly ? (*mode & ~unsigned(S_IWUSR)) : (*mode | S_IWUSR));
}

} // namespace platform
