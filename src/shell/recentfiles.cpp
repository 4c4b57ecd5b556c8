#include "recentfiles.h"

#include "base/atomicfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QStringList ReadRecentFiles(const QString &Path)
{
    QStringList files;
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return files;
    for (int line = 0; line < MaxRecentFiles && !file.atEnd(); ++line) {
        const QByteArray bytes = file.readLine();
        if (bytes.isEmpty() && file.error() != QFileDevice::NoError)
            break;
        QString name = QString::fromUtf8(bytes);
        while (name.endsWith(u'\n') || name.endsWith(u'\r'))
            name.chop(1);
        if (!name.isEmpty() && QFileInfo(name).isFile())
            files << name;
    }
    return files;
}

void WriteRecentFiles(const QString &Path, const QStringList &Files)
{
    QDir().mkpath(QFileInfo(Path).path());
    QByteArray bytes;
    for (const QString &name : Files.mid(0, MaxRecentFiles))
        bytes += name.toUtf8() + '\n';
    WriteFileAtomically(Path, bytes);
}

bool SameRecentFile(const QString &A, const QString &B) { return A.toUpper() == B.toUpper(); }
