// Where backup copies go, their names and their safe creation beside the page's held folder.
#include "backupname.h"

#include "base/atomicfile.h"
#include "model/pagefile.h"
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

// Where the backups go under the setting: a folder below the page's (empty: the page's own),
// or a folder of its own.
struct BackupFolder {
    bool belowPage = true;
    QString path;
};

BackupFolder backupFolder(const QString &backupPath)
{
    const QString &b = backupPath;
    if (b.isEmpty() || folderPart(b) == u".")
        return {};
    if (!platform::HasDrive(b))
        return {true, QString(b).replace(u'\\', u'/')};
    if (QDir::isAbsolutePath(b))
        return {false, b};
    // A drive or share of another platform is no place here.
    return {};
}

QString backupBaseName(const QString &pagePath, const QDateTime &when, const QLocale &locale)
{
    return QFileInfo(pagePath).completeBaseName() + u'.' + backupTimeStamp(when, locale);
}

QString numbered(const QString &base, int n)
{
    return base + (n < 2 ? QString() : u'-' + QString::number(n)) + QStringLiteral(".bak");
}

// Writes bytes to the new file name in folder and reads them back; a copy that is not exact is
// removed.
bool copyExactly(const QByteArray &bytes, unsigned mode, const HeldFolder &folder, const QString &name)
{
    // A copy is never readable by more users than its page.
    if (!writeNewFileIn(folder, name, bytes, mode & 0666))
        return false;
    if (folder.read(name) == bytes)
        return true;
    folder.remove(name);
    return false;
}
} // namespace

QString backupTimeStamp(const QDateTime &when, const QLocale &locale)
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

QString makeBackupPath(const QString &pagePath, const QString &backupPath, const QDateTime &when, const QLocale &locale)
{
    const QString pageFolder = withDelimiter(QFileInfo(pagePath).path());
    const BackupFolder where = backupFolder(backupPath);
    QString folder = where.belowPage ? withDelimiter(pageFolder + where.path) : where.path;
    if (!makeFolder(folder))
        folder = pageFolder;
    const QString base = withDelimiter(folder) + backupBaseName(pagePath, when, locale);
    QString name = numbered(base, 1);
    for (int n = 2; nameTaken(name); ++n)
        name = numbered(base, n);
    return name;
}

QString makeBackup(const HeldFolder &pageFolder, const QString &pagePath, const QString &backupPath,
                   const QByteArray &bytes, unsigned mode, const QDateTime &when, const QLocale &locale)
{
    const BackupFolder where = backupFolder(backupPath);
    HeldFolder own;
    if (where.belowPage && !where.path.isEmpty())
        own = pageFolder.subfolder(where.path);
    else if (!where.belowPage && makeFolder(where.path))
        own = HeldFolder::open(where.path);
    const HeldFolder &folder = own.isHeld() ? own : pageFolder;
    const QString base = backupBaseName(pagePath, when, locale);
    for (int n = 1; n < 10000; ++n) {
        const QString name = numbered(base, n);
        if (folder.status(name))
            continue;
        if (copyExactly(bytes, mode, folder, name))
            return folder.path() + name;
        // Anything but another file taking the name first ends it.
        if (!folder.status(name))
            break;
    }
    return QString();
}

bool copyFileVerified(const QString &from, const QString &to, const std::optional<FileIdentity> &only)
{
    const QFileInfo source(from);
    const QFileInfo copy(to);
    unsigned mode = 0;
    const std::optional<QByteArray> bytes = HeldFolder::open(source.path()).read(source.fileName(), only, &mode);
    if (!bytes)
        return false;
    const HeldFolder folder = HeldFolder::open(copy.path());
    return folder.isHeld() && copyExactly(*bytes, mode, folder, copy.fileName());
}

bool restoreBackup(const QByteArray &backup, PageFile &page)
{
    if (page.read() == backup)
        return true;
    return page.write(backup) == WriteResult::Written;
}

bool restoreBackup(const QString &backupPath, const QString &pagePath)
{
    const QFileInfo backup(backupPath);
    const std::optional<QByteArray> bytes = HeldFolder::open(backup.path()).read(backup.fileName());
    if (!bytes)
        return false;
    PageFile page(pagePath);
    return restoreBackup(*bytes, page);
}
