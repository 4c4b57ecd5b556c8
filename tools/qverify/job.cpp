// The job file and the statement files it names, taken only as private plain files of the prober's
// user and read and rewritten through one descriptor.
#include "job.h"

#include "failure.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_UNIX
QString systemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// Bits that let someone other than the owner read or change the file.
constexpr mode_t kOthersMayReadOrWrite = S_IRGRP | S_IWGRP | S_IROTH | S_IWOTH;

// Why a file just opened is no file of this job, or empty when it is one.
QString untrusted(const struct stat &st)
{
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("it is not a plain file");
    if (st.st_uid != ::geteuid())
        return QStringLiteral("it belongs to another user");
    if (st.st_mode & kOthersMayReadOrWrite)
        return QStringLiteral("others may read or write it");
    return QString();
}
#endif

} // namespace

JobFile::JobFile(const QString &path, const char *what, bool forRewriting) : m_path(path), m_what(what)
{
#ifdef Q_OS_UNIX
    // Never waits on a pipe placed at the name.
    m_fd = ::open(QFile::encodeName(path).constData(),
                  (forRewriting ? O_RDWR : O_RDONLY) | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    const auto refuse = [&](const QString &why) {
        fail(QStringLiteral("cannot read the %1 \"%2\": %3").arg(QLatin1String(what), path, why));
    };
    if (m_fd < 0)
        refuse(errno == ELOOP ? QStringLiteral("it is a link") : systemReason(errno));
    struct stat st {};
    if (::fstat(m_fd, &st) != 0) {
        const int error = errno;
        ::close(m_fd);
        refuse(systemReason(error));
    }
    if (const QString why = untrusted(st); !why.isEmpty()) {
        ::close(m_fd);
        refuse(why);
    }
#else
    Q_UNUSED(forRewriting);
#endif
}

JobFile::~JobFile()
{
#ifdef Q_OS_UNIX
    ::close(m_fd);
#endif
}

QByteArray JobFile::readAll()
{
    const auto cannot = [&](const QString &why) {
        fail(QStringLiteral("cannot read the %1 \"%2\": %3").arg(QLatin1String(m_what), m_path, why));
    };
#ifdef Q_OS_UNIX
    QByteArray bytes;
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(m_fd, chunk, sizeof chunk);
        if (got == 0)
            return bytes;
        if (got > 0)
            bytes.append(chunk, got);
        else if (errno != EINTR)
            cannot(systemReason(errno));
    }
#else
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        cannot(file.errorString());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        cannot(file.errorString());
    return bytes;
#endif
}

void JobFile::rewrite(const QByteArray &bytes)
{
    const auto cannot = [&](const QString &why) {
        fail(QStringLiteral("cannot write the verdict to \"%1\": %2").arg(m_path, why));
    };
#ifdef Q_OS_UNIX
    if (::ftruncate(m_fd, 0) != 0 || ::lseek(m_fd, 0, SEEK_SET) != 0)
        cannot(systemReason(errno));
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t put = ::write(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (put > 0)
            done += put;
        else if (put < 0 && errno != EINTR)
            cannot(systemReason(errno));
    }
#else
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::ExistingOnly) ||
        file.write(bytes) != bytes.size() || !file.flush())
        cannot(file.errorString());
#endif
}

Job readJob(const QString &path)
{
    Job job;
    QString *const connection[] = {&job.host, &job.user, &job.password, &job.database};
    const char *const names[] = {"hostname", "username", "password", "database"};
    bool given[4] = {};
    qlonglong lastNumber = -1;
    const QStringList lines = QString::fromUtf8(JobFile(path, "job file", false).readAll()).split(u'\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QString line = lines[n];
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const auto refuse = [&](const QString &why) {
            fail(QStringLiteral("line %1 of the job file \"%2\" %3").arg(n + 1).arg(path, why));
        };
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            refuse(QStringLiteral("is not a name=value line"));
        const QString name = line.left(eq).toLower();
        const QString value = line.mid(eq + 1);
        if (name.startsWith(u"wqf")) {
            bool isNumber = false;
            const qlonglong number = name.mid(3).toLongLong(&isNumber);
            if (!isNumber || number < 0 || number < lastNumber)
                refuse(QStringLiteral("names no statement file in its place"));
            lastNumber = number;
            job.statementFiles << value;
            continue;
        }
        const auto *key = std::find(std::begin(names), std::end(names), name.toLatin1());
        if (key == std::end(names))
            refuse(QStringLiteral("has an unknown name"));
        const auto index = key - std::begin(names);
        if (given[index] || lastNumber >= 0)
            refuse(QStringLiteral("gives a connection value again or after the statement files"));
        given[index] = true;
        *connection[index] = value;
    }
    return job;
}
