#include "filehelpers.h"

#include "base/exception.h"
#include "platform/folderlist.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace {

// Qt names no temporary folder at all while the one TMPDIR names does not exist yet.
QString tempFolder()
{
    const QString path = QDir::tempPath();
    return path.isEmpty() ? QDir::cleanPath(qEnvironmentVariable("TMPDIR")) : path;
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

} // namespace

std::unique_ptr<QTemporaryFile> newTempFile()
{
    const QString folder = tempFolder();
    if (!QDir().mkpath(folder))
        throw Exception(QStringLiteral("Unable to create directory \"%1\"").arg(folder));
    auto file = std::make_unique<QTemporaryFile>(folder + QStringLiteral("/TMPXXXXXX.tmp"));
    file->setAutoRemove(false);
    if (!file->open())
        throw Exception(
            QStringLiteral("Unable to create file \"%1\": %2").arg(file->fileTemplate(), file->errorString()));
    return file;
}

QString TempFileName() { return newTempFile()->fileName(); }

void ListFolder(const QString &dir, const QString &mask, unsigned attr, QStringList *list)
{
    if (!list)
        return;
    const QString folder = platform::WithTrailingSlash(dir);
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
    const std::unique_ptr<QTemporaryFile> file = newTempFile();
    fileName = file->fileName();
    return writeAll(*file, text);
}
