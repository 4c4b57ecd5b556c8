// Whole files as bytes, folder listings, temporary files, the private folder of a child program's
// run.
#include "filehelpers.h"

#include "base/exception.h"
#include "platform/folderlist.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
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
    // Held from now on: another user who renames the folder away and puts one of their own
    // under its name changes nothing that is read through it.
    m_fd = ::open(QFile::encodeName(m_dir.path()).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0 || st.st_uid != ::geteuid() || (st.st_mode & 077) != 0) {
        const QString reason = m_fd < 0 ? systemReason(errno) : QStringLiteral("another folder has taken its name");
        if (m_fd >= 0)
            ::close(m_fd);
        throw Exception(QStringLiteral("Unable to create directory \"%1\": %2").arg(m_dir.path(), reason));
    }
#endif
}

RunFolder::~RunFolder()
{
#ifdef Q_OS_UNIX
    ::close(m_fd);
#endif
}

std::unique_ptr<QTemporaryFile> RunFolder::newFile() const { return newFileIn(m_dir.path()); }

bool RunFolder::saveFile(const QByteArray &text, QString &fileName) const
{
    const std::unique_ptr<QTemporaryFile> file = newFile();
    fileName = file->fileName();
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
