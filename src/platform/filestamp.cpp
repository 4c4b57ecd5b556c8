// A file's time stamp in the packed form the changed-on-disk check compares.
#include "filestamp.h"

#include <QFileInfo>
#include <algorithm>

namespace platform {

int32_t packFileTime(const QDateTime &local)
{
    const QDate date = local.date();
    const QTime time = local.time();
    const int year = std::clamp(date.year(), 1980, 2107);
    const uint32_t packed = uint32_t(year - 1980) << 25 | uint32_t(date.month()) << 21 | uint32_t(date.day()) << 16 |
                            uint32_t(time.hour()) << 11 | uint32_t(time.minute()) << 5 | uint32_t(time.second() / 2);
    return int32_t(packed);
}

bool GetFileStamp(const QString &path, int32_t &stamp)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return false;
    stamp = packFileTime(info.lastModified().toLocalTime());
    return true;
}
} // namespace platform
