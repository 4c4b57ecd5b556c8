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

QString BackupTimeStamp(const QDateTime &When, const QLocale &Locale)
{
    QString text = Locale.toString(When.date(), QLocale::ShortFormat) + u' ' +
                   Locale.toString(When.time(), timeFormatWithoutZone(Locale));
    for (QChar &c : text) {
        if (c == u' ')
            c = u'_';
        else if (c == u'/' || c == u':' || c == u'\\')
            c = u'-';
    }
    return text;
}

QString MakeBackupPath(const QString &PagePath, const QString &BackupPath, const QDateTime &When, const QLocale &Locale)
{
    const QString pageFolder = withDelimiter(QFileInfo(PagePath).path());
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
        withDelimiter(folder) + QFileInfo(PagePath).completeBaseName() + u'.' + BackupTimeStamp(When, Locale);
    QString name = base + QStringLiteral(".bak");
    for (int n = 2; NameTaken(name); ++n)
        name = base + u'-' + QString::number(n) + QStringLiteral(".bak");
    return name;
}

bool CopyFileVerified(const QString &From, const QString &To, const std::optional<platform::FileIdentity> &only)
{
    const std::optional<QByteArray> bytes = readAll(From, only);
    if (!bytes)
        return false;
    // A copy is never readable by more users than its page.
    if (!WriteNewFile(To, *bytes, nullptr, QFile::permissions(From) & kReadWriteForAll))
        return false;
    if (readAll(To) == bytes)
        return true;
    QFile::remove(To);
    return false;
}

bool RestoreBackup(const QString &BackupPath, const QString &PagePath)
{
    const std::optional<QByteArray> backup = readAll(BackupPath);
    if (!backup)
        return false;
    if (readAll(PagePath) == backup)
        return true;
    return WriteFileAtomically(PagePath, *backup);
}
