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

void readInto(QFile &file, const QString &path, const char *what, QByteArray &bytes)
{
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        fail(QStringLiteral("cannot read the %1 \"%2\": %3").arg(QLatin1String(what), path, file.errorString()));
}

#ifdef Q_OS_UNIX
// An existing plain file, opened without following a link at its name and without waiting
// on a pipe placed there.
int openPlainFile(const QString &path, bool forWriting, const char *what)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          (forWriting ? O_WRONLY : O_RDONLY) | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    const QString action =
        forWriting ? QStringLiteral("write the verdict to") : QStringLiteral("read the %1").arg(QLatin1String(what));
    if (fd < 0)
        fail(QStringLiteral("cannot %1 \"%2\": %3")
                 .arg(action, path,
                      errno == ELOOP ? QStringLiteral("it is a link") : QString::fromLocal8Bit(std::strerror(errno))));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        fail(QStringLiteral("cannot %1 \"%2\": it is not a plain file").arg(action, path));
    }
    if (forWriting && ::ftruncate(fd, 0) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        ::close(fd);
        fail(QStringLiteral("cannot %1 \"%2\": %3").arg(action, path, reason));
    }
    return fd;
}
#endif

} // namespace

QByteArray readFile(const QString &path, const char *what)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("cannot read the %1 \"%2\": %3").arg(QLatin1String(what), path, file.errorString()));
    QByteArray bytes;
    readInto(file, path, what, bytes);
    return bytes;
}

QByteArray readStatement(const QString &path)
{
#ifdef Q_OS_UNIX
    QFile file;
    file.open(openPlainFile(path, false, "statement file"), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    QByteArray bytes;
    readInto(file, path, "statement file", bytes);
    return bytes;
#else
    return readFile(path, "statement file");
#endif
}

void writeVerdict(const QString &path, const QString &verdict)
{
    QFile file;
#ifdef Q_OS_UNIX
    const bool opened =
        file.open(openPlainFile(path, true, "statement file"), QIODevice::WriteOnly, QFileDevice::AutoCloseHandle);
#else
    file.setFileName(path);
    const bool opened = file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::ExistingOnly);
#endif
    const QByteArray bytes = verdict.toUtf8();
    if (!opened || file.write(bytes) != bytes.size() || !file.flush())
        fail(QStringLiteral("cannot write the verdict to \"%1\": %2").arg(path, file.errorString()));
}

Job readJob(const QString &path)
{
    Job job;
    QString *const connection[] = {&job.host, &job.user, &job.password, &job.database};
    const char *const names[] = {"hostname", "username", "password", "database"};
    bool given[4] = {};
    qlonglong lastNumber = -1;
    const QStringList lines = QString::fromUtf8(readFile(path, "job file")).split(u'\n');
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
