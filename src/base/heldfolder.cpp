// A folder held open by its descriptor, and what a name in it holds, looked at without following a
// link.
#include "heldfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <utility>

#ifdef PELLORIN_HELD_FOLDERS
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
QString withSlash(const QString &path) { return path.endsWith(u'/') ? path : path + u'/'; }

void setReason(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
}

const QString kALink = QStringLiteral("It is a link");
const QString kNotPlain = QStringLiteral("It is not a plain file");
const QString kAnother = QStringLiteral("It has been changed by another program");

// The rest of an open file; nothing, and error given the reason, when reading fails.
std::optional<QByteArray> readRest(QFile &file, QString *error)
{
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        setReason(error, file.errorString());
        return std::nullopt;
    }
    return bytes;
}

#ifdef PELLORIN_HELD_FOLDERS
FileIdentity identityOf(const struct stat &st) { return FileIdentity{uint64_t(st.st_dev), uint64_t(st.st_ino)}; }

std::optional<FileIdentity> identityOfOpen(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return std::nullopt;
    return identityOf(st);
}
#endif
} // namespace

#ifdef PELLORIN_HELD_FOLDERS

HeldFolder HeldFolder::open(const QString &path, QString *error)
{
    HeldFolder folder;
    const QString name = path.isEmpty() ? QStringLiteral(".") : path;
    const int fd = ::open(QFile::encodeName(name).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        setReason(error, qt_error_string(errno));
        return folder;
    }
    folder.m_fd = fd;
    folder.m_path = withSlash(name);
    folder.m_identity = identityOfOpen(fd);
    return folder;
}

HeldFolder HeldFolder::subfolder(const QString &relativePath, QString *error) const
{
    HeldFolder folder;
    if (!isHeld()) {
        setReason(error, QStringLiteral("No folder"));
        return folder;
    }
    int current = ::dup(m_fd);
    int reason = errno;
    for (const QString &step : relativePath.split(u'/', Qt::SkipEmptyParts)) {
        if (current < 0)
            break;
        const QByteArray name = QFile::encodeName(step);
        int next = -1;
        if (::mkdirat(current, name.constData(), 0777) == 0 || errno == EEXIST)
            // A link put on the way is refused, never followed.
            next = ::openat(current, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        reason = errno;
        ::close(current);
        current = next;
    }
    if (current < 0) {
        setReason(error, qt_error_string(reason));
        return folder;
    }
    folder.m_fd = current;
    folder.m_path = withSlash(QDir::cleanPath(m_path + relativePath));
    folder.m_identity = identityOfOpen(current);
    return folder;
}

HeldFolder::~HeldFolder()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::optional<NameStatus> HeldFolder::status(const QString &name) const
{
    struct stat st {};
    if (m_fd < 0 || name.isEmpty() ||
        ::fstatat(m_fd, QFile::encodeName(name).constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    NameStatus status;
    status.identity = identityOf(st);
    status.mode = unsigned(st.st_mode & 07777);
    status.isLink = S_ISLNK(st.st_mode);
    status.isFile = S_ISREG(st.st_mode);
    return status;
}

bool HeldFolder::isWherePathLeads(const QString &path) const
{
    struct stat st {};
    return m_identity && ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           identityOf(st) == *m_identity;
}

std::optional<QByteArray> HeldFolder::read(const QString &name, const std::optional<FileIdentity> &only, unsigned *mode,
                                           QString *error) const
{
    if (m_fd < 0 || name.isEmpty()) {
        setReason(error, QStringLiteral("No folder to read from"));
        return std::nullopt;
    }
    // Never waits on a pipe put at the name.
    const int fd = ::openat(m_fd, QFile::encodeName(name).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        setReason(error, errno == ELOOP ? kALink : qt_error_string(errno));
        return std::nullopt;
    }
    struct stat st {};
    QString reason;
    if (::fstat(fd, &st) != 0)
        reason = qt_error_string(errno);
    else if (!S_ISREG(st.st_mode))
        reason = kNotPlain;
    else if (only && identityOf(st) != *only)
        reason = kAnother;
    QFile file;
    if (reason.isEmpty() && !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        reason = file.errorString();
    if (!reason.isEmpty()) {
        if (!file.isOpen())
            ::close(fd);
        setReason(error, reason);
        return std::nullopt;
    }
    std::optional<QByteArray> bytes = readRest(file, error);
    if (bytes && mode)
        *mode = unsigned(st.st_mode & 0777);
    return bytes;
}

bool HeldFolder::remove(const QString &name) const
{
    return m_fd >= 0 && !name.isEmpty() && ::unlinkat(m_fd, QFile::encodeName(name).constData(), 0) == 0;
}

#else

HeldFolder HeldFolder::open(const QString &path, QString *error)
{
    HeldFolder folder;
    const QString name = path.isEmpty() ? QStringLiteral(".") : path;
    if (!QFileInfo(name).isDir()) {
        setReason(error, QStringLiteral("No such folder"));
        return folder;
    }
    folder.m_path = withSlash(name);
    return folder;
}

HeldFolder HeldFolder::subfolder(const QString &relativePath, QString *error) const
{
    const QString path = withSlash(QDir::cleanPath(m_path + relativePath));
    if (!isHeld() || !QDir().mkpath(path))
        setReason(error, QStringLiteral("The folder cannot be made"));
    return isHeld() ? open(path, error) : HeldFolder();
}

HeldFolder::~HeldFolder() = default;

std::optional<NameStatus> HeldFolder::status(const QString &name) const
{
    const QFileInfo info(m_path + name);
    if (!isHeld() || name.isEmpty() || (!info.exists() && !info.isSymLink()))
        return std::nullopt;
    NameStatus status;
    status.isLink = info.isSymLink();
    status.isFile = !status.isLink && info.isFile();
    status.mode = modeBits(info.permissions());
    return status;
}

bool HeldFolder::isWherePathLeads(const QString &path) const
{
    return isHeld() && QFileInfo(path).canonicalFilePath() == QFileInfo(m_path).canonicalFilePath();
}

std::optional<QByteArray> HeldFolder::read(const QString &name, const std::optional<FileIdentity> &, unsigned *mode,
                                           QString *error) const
{
    const std::optional<NameStatus> at = status(name);
    QFile file(m_path + name);
    if (!at || !at->isFile || !file.open(QIODevice::ReadOnly)) {
        setReason(error, !at           ? QStringLiteral("No such file")
                         : at->isLink  ? kALink
                         : !at->isFile ? kNotPlain
                                       : file.errorString());
        return std::nullopt;
    }
    std::optional<QByteArray> bytes = readRest(file, error);
    if (bytes && mode)
        *mode = at->mode;
    return bytes;
}

bool HeldFolder::remove(const QString &name) const { return isHeld() && QFile::remove(m_path + name); }

#endif

namespace {
// The bits of each permission, owner's first; the user's permissions are the owner's here.
constexpr std::pair<QFileDevice::Permission, unsigned> kModeBits[] = {
    {QFileDevice::ReadOwner, 0400}, {QFileDevice::WriteOwner, 0200}, {QFileDevice::ExeOwner, 0100},
    {QFileDevice::ReadGroup, 040},  {QFileDevice::WriteGroup, 020},  {QFileDevice::ExeGroup, 010},
    {QFileDevice::ReadOther, 04},   {QFileDevice::WriteOther, 02},   {QFileDevice::ExeOther, 01}};
} // namespace

unsigned modeBits(QFileDevice::Permissions permissions)
{
    unsigned mode = 0;
    for (const auto &[permission, bit] : kModeBits)
        if (permissions & permission)
            mode |= bit;
    return mode;
}

QFileDevice::Permissions permissionsOf(unsigned mode)
{
    QFileDevice::Permissions permissions;
    for (const auto &[permission, bit] : kModeBits)
        if (mode & bit)
            permissions |= permission;
    return permissions;
}

HeldFolder::HeldFolder(HeldFolder &&other) noexcept
    : m_path(std::exchange(other.m_path, QString())), m_fd(std::exchange(other.m_fd, -1)),
      m_identity(std::exchange(other.m_identity, std::nullopt))
{}

HeldFolder &HeldFolder::operator=(HeldFolder &&other) noexcept
{
    if (this != &other) {
        HeldFolder old(std::move(*this));
        m_path = std::exchange(other.m_path, QString());
        m_fd = std::exchange(other.m_fd, -1);
        m_identity = std::exchange(other.m_identity, std::nullopt);
    }
    return *this;
}
