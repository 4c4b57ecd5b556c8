// Path tests that settings written on other machines rely on.
#include "paths.h"

#include <QDir>

namespace platform {
namespace {
bool isDelimiter(QChar c) { return c == u'/' || c == u'\\'; }
bool isAsciiLetter(QChar c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

// "\\server\share": two delimiters, a server name, a delimiter and a share name.
bool isShare(const QString &path)
{
    if (path.size() < 5 || !isDelimiter(path[0]) || !isDelimiter(path[1]))
        return false;
    qsizetype i = 2;
    const qsizetype serverStart = i;
    while (i < path.size() && !isDelimiter(path[i]))
        ++i;
    if (i == serverStart || i == path.size())
        return false;
    ++i;
    return i < path.size() && !isDelimiter(path[i]);
}
} // namespace

bool HasDrive(const QString &path)
{
    if (path.size() >= 2 && isAsciiLetter(path[0]) && path[1] == u':')
        return true;
    return isShare(path) || QDir::isAbsolutePath(path);
}

QString withTrailingSlash(const QString &folder) { return folder.endsWith(u'/') ? folder : folder + u'/'; }
} // namespace platform
