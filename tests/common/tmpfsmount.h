#pragma once
// A tiny tmpfs of its own for tests of a full disk. Mounting needs root (the tests run as
// root here and in CI); elsewhere the test skips and says why.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <unistd.h>

namespace pellorin_test {

class TmpfsMount {
public:
    explicit TmpfsMount(int kibibytes)
    {
        if (::geteuid() != 0) {
            m_whyNot = QStringLiteral("mounting a tmpfs needs root");
            return;
        }
        if (!m_dir.isValid()) {
            m_whyNot = QStringLiteral("no temporary folder for the mount point");
            return;
        }
        QProcess mount;
        mount.start(QStringLiteral("mount"),
                    {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                     QStringLiteral("size=%1k").arg(kibibytes), QStringLiteral("tmpfs"), m_dir.path()});
        if (!mount.waitForFinished(10000) || mount.exitStatus() != QProcess::NormalExit || mount.exitCode() != 0) {
            m_whyNot =
                QStringLiteral("mount failed: ") + QString::fromLocal8Bit(mount.readAllStandardError()).trimmed();
            return;
        }
        m_mounted = true;
    }
    ~TmpfsMount()
    {
        if (!m_mounted)
            return;
        QProcess umount;
        umount.start(QStringLiteral("umount"), {m_dir.path()});
        umount.waitForFinished(10000);
    }
    TmpfsMount(const TmpfsMount &) = delete;
    TmpfsMount &operator=(const TmpfsMount &) = delete;

    bool mounted() const { return m_mounted; }
    const QString &whyNot() const { return m_whyNot; }
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // Writes a filler file until the file system refuses more; true when it is full.
    bool fill() const
    {
        QFile filler(path(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(512, 'f');
        for (int i = 0; i < 1 << 20; ++i)
            if (filler.write(block) != block.size())
                return true;
        return false;
    }

    // The names in the mounted folder, to see that no temporary file was left behind.
    QStringList entries() const { return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System); }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    QString m_whyNot;
};

} // namespace pellorin_test

// Skips the calling test, with the reason, when the mount could not be made.
#define PELLORIN_REQUIRE_MOUNT(mount)                                                                                  \
    do {                                                                                                               \
        if (!(mount).mounted())                                                                                        \
            QSKIP(qPrintable(QStringLiteral("no full-disk test: ") + (mount).whyNot()));                               \
    } while (false)
