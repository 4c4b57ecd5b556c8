#include "backupname.h"

#include "base/atomicfile.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <optional>

namespace {
bool isDelimiter(QChar c) { return c == u'/' || c == u'\\'; }

QString withDelimiter(const QString &folder)
{
    return folder.isEmpty() || isDelimiter(folder.back()) ? folder : folder + u'/';
}

// The folder part of a path, without its trailing delimiter; empty without one.
QString folderPart(const QString &path)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i)
        if (isDelimiter(path[i]))
            return path.left(i);
    return QString();
}

// The long time format has a time zone on many locales; the time stamp has none.
QString timeFormatWithoutZone(const QLocale &locale)
{
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(u't');
    return format.trimmed();
}

bool makeFolder(const QString &folder) { return QDir().mkpath(folder) && QFileInfo(folder).isDir(); }

// The whole file; with only, nothing unless the file opened is that one.
std::optional<QByteArray> readAll(const QString &path, const std::optional<platform::FileIdentity> &only = std::nullopt)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (only) {
        const std::optional<platform::FileIdentity> opened = platform::identifyOpenFile(file.handle());
        if (!opened || !opened->sameFileAs(*only))
            return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}
} // namespace

QString BackupTimeStamp(const QDateTime &when, const QLocale &locale)
{
    QString text = locale.toString(when.date(), QLocale::ShortFormat) + u' ' +
                   locale.toString(when.time(), timeFormatWithoutZone(locale));
    for (QChar &c : text) {
        if (c == u' ')
            c = u'_';
        else if (c == u'/' || c == u':' || c == u'\\')
            c = u'-';
    }
    return text;
}

QString makeBackupPath(const QString &pagePath, const QString &BackupPath, const QDateTime &when, const QLocale &locale)
{
    const QString pageFolder = withDelimiter(QFileInfo(pagePath).path());
    const QString &b = BackupPath;
    QString folder;
    if (b.isEmpty() || folderPart(b) == u".")
        folder = pageFolder;
    else if (!platform::HasDrive(b))
        folder = withDelimiter(pageFolder + QString(b).replace(u'\\', u'/'));
    else if (QDir::isAbsolutePath(b))
        folder = b;
    else
        // A drive or share of another platform is no place here.
        folder = pageFolder;
    if (!makeFolder(folder))
        folder = pageFolder;

    const QString base =
        withDelimiter(folder) + QFileInfo(pagePath).completeBaseName() + u'.' + BackupTimeStamp(when, locale);
    QString name = base + QStringLiteral(".bak");
    for (int n = 2; nameTaken(name); ++n)
        name = base + u'-' + QString::number(n) + QStringLiteral(".bak");
    return name;
}

bool copyFileVerified(const QString &from, const QString &to, const std::optional<platform::FileIdentity> &only)
{
    const std::optional<QByteArray> bytes = readAll(from, only);
    if (!bytes)
        return false;
    // A copy is never readable by more users than its page.
    if (!writeNewFile(to, *bytes, nullptr, QFile::permissions(from) & kReadWriteForAll))
        return false;
    if (readAll(to) == bytes)
        return true;
    QFile::remove(to);
    return false;
}

bool restoreBackup(const QString &BackupPath, const QString &pagePath)
{
    const std::optional<QByteArray> backup = readAll(BackupPath);
    if (!backup)
        return false;
    if (readAll(pagePath) == backup)
        return true;
    return writeFileAtomically(pagePath, *backup);
}
