// Whole files as bytes, folder listings, temporary files, the private folder of a child program's
// run.
#include "filehelpers.h"

#include "base/exception.h"
#include "platform/folderlist.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// The temporary folder, made with its parents when missing.
QString madeTempFolder()
{
    // Qt names no temporary folder at all while the one TMPDIR names does not exist yet.
    QString folder = QDir::tempPath();
    if (folder.isEmpty())
        folder = QDir::cleanPath(qEnvironmentVariable("TMPDIR"));
    if (!QDir().mkpath(folder))
        throw Exception(QStringLiteral("Unable to create directory \"%1\"").arg(folder));
    return folder;
}

// Creates a new empty file in folder exclusively, for its owner only, open for reading and
// writing. Neither closing it nor letting it go removes it.
std::unique_ptr<QTemporaryFile> newFileIn(const QString &folder)
{
    auto file = std::make_unique<QTemporaryFile>(folder + QStringLiteral("/TMPXXXXXX.tmp"));
    file->setAutoRemove(false);
    if (!file->open())
        throw Exception(
            QStringLiteral("Unable to create file \"%1\": %2").arg(file->fileTemplate(), file->errorString()));
    return file;
}

// Writes text to the open file and closes it; false on any error.
bool writeAll(QFileDevice &file, const QByteArray &text)
{
    if (!text.isEmpty() && file.write(text) != text.size())
        return false;
    if (!file.flush())
        return false;
    file.close();
    return file.error() == QFileDevice::NoError;
}

#ifdef Q_OS_UNIX
QString systemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }
#endif

} // namespace

QString TempFileName() { return newFileIn(madeTempFolder())->fileName(); }

void ListFolder(const QString &dir, const QString &mask, unsigned attr, QStringList *list)
{
    if (!list)
        return;
    const QString folder = platform::withTrailingSlash(dir);
    list->append(platform::listFolderEntries(folder, mask, attr));
}

QByteArray LoadFileToString(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly) || QFileInfo(file).isDir())
        return QByteArray();
    const qint64 size = file.size();
    if (size <= 0)
        return QByteArray();
    QByteArray bytes = file.read(size);
    return bytes.size() == size ? bytes : QByteArray();
}

bool SaveStringToFile(const QByteArray &text, const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return writeAll(file, text);
}

bool SaveToTempFile(const QByteArray &text, QString &fileName)
{
    const std::unique_ptr<QTemporaryFile> file = newFileIn(madeTempFolder());
    fileName = file->fileName();
    return writeAll(*file, text);
}

RunFolder::RunFolder() : m_dir(madeTempFolder() + QStringLiteral("/runXXXXXX"))
{
    if (!m_dir.isValid())
        throw Exception(QStringLiteral("Unable to create directory \"%1\": %2").arg(m_dir.path(), m_dir.errorString()));
#ifdef Q_OS_UNIX
    // Removed through the descriptor, never by its path: what has the name by then may be a
    // link to someone's own folder, whose files a removal by path would take.
    m_dir.setAutoRemove(false);
    // Held from now on: another user who renames the folder away and puts one of their own
    // under its name changes nothing that is read through it.
    m_fd = ::open(QFile::encodeName(m_dir.path()).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0 || st.st_uid != ::geteuid() || (st.st_mode & 077) != 0) {
        const QString reason = m_fd < 0 ? systemReason(errno) : QStringLiteral("another folder has taken its name");
        if (m_fd >= 0)
            ::close(m_fd);
        // An empty folder only, and never through a link.
        ::rmdir(QFile::encodeName(m_dir.path()).constData());
        throw Exception(QStringLiteral("Unable to create directory \"%1\": %2").arg(m_dir.path(), reason));
    }
#endif
}

#ifdef Q_OS_UNIX
namespace {
// Everything below the folder fd, a child's folders included, removed next to the descriptors.
void removeContents(int fd)
{
    const int listing = ::dup(fd);
    DIR *entries = listing < 0 ? nullptr : ::fdopendir(listing);
    if (!entries) {
        if (listing >= 0)
            ::close(listing);
        return;
    }
    std::vector<std::string> names;
    while (const dirent *entry = ::readdir(entries))
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.emplace_back(entry->d_name);
    ::closedir(entries);
    for (const std::string &name : names) {
        if (::unlinkat(fd, name.c_str(), 0) == 0)
            continue;
        const int folder = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (folder >= 0) {
            removeContents(folder);
            ::close(folder);
            ::unlinkat(fd, name.c_str(), AT_REMOVEDIR);
        }
    }
}
} // namespace
#endif

RunFolder::~RunFolder()
{
#ifdef Q_OS_UNIX
    removeContents(m_fd);
    // The name goes only while it still is this folder.
    struct stat held {};
    struct stat named {};
    const QByteArray path = QFile::encodeName(m_dir.path());
    if (::fstat(m_fd, &held) == 0 && ::lstat(path.constData(), &named) == 0 && held.st_dev == named.st_dev &&
        held.st_ino == named.st_ino)
        ::rmdir(path.constData());
    ::close(m_fd);
#endif
}

std::unique_ptr<QFile> RunFolder::newFile(QString &fileName) const
{
#ifdef Q_OS_UNIX
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name =
            QStringLiteral("TMP%1.tmp").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        const int fd = ::openat(m_fd, QFile::encodeName(name).constData(),
                                O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST)
            continue;
        fileName = m_dir.filePath(name);
        auto file = std::make_unique<QFile>();
        if (fd < 0 || !file->open(fd, QIODevice::ReadWrite, QFileDevice::AutoCloseHandle)) {
            const QString reason = fd < 0 ? systemReason(errno) : file->errorString();
            if (fd >= 0)
                ::close(fd);
            throw Exception(QStringLiteral("Unable to create file \"%1\": %2").arg(fileName, reason));
        }
        return file;
    }
    throw Exception(QStringLiteral("Unable to create file in \"%1\": no free name").arg(m_dir.path()));
#else
    std::unique_ptr<QTemporaryFile> file = newFileIn(m_dir.path());
    fileName = file->fileName();
    return file;
#endif
}

bool RunFolder::saveFile(const QByteArray &text, QString &fileName) const
{
    const std::unique_ptr<QFile> file = newFile(fileName);
    return writeAll(*file, text);
}

std::unique_ptr<QFile> RunFolder::openFile(const QString &fileName, QString &error) const
{
    const QFileInfo info(fileName);
    if (info.path() != m_dir.path()) {
        error = QStringLiteral("\"%1\" is not a file of this run").arg(fileName);
        return nullptr;
    }
    auto file = std::make_unique<QFile>();
#ifdef Q_OS_UNIX
    // Never waits on a pipe a child left at the name.
    const int fd =
        ::openat(m_fd, QFile::encodeName(info.fileName()).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = errno == ELOOP ? QStringLiteral("\"%1\" is a link").arg(fileName) : systemReason(errno);
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        error = QStringLiteral("\"%1\" is not a plain file").arg(fileName);
        return nullptr;
    }
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        error = file->errorString();
        return nullptr;
    }
#else
    file->setFileName(fileName);
    if (!file->open(QIODevice::ReadOnly)) {
        error = file->errorString();
        return nullptr;
    }
#endif
    return file;
}

QByteArray RunFolder::loadFile(const QString &fileName) const
{
    QString error;
    const std::unique_ptr<QFile> file = openFile(fileName, error);
    if (!file)
        return QByteArray();
    QByteArray bytes = file->readAll();
    return file->error() == QFileDevice::NoError ? bytes : QByteArray();
}
