// Reading the component and macro description files beside the program.
#include "descriptionfiles.h"

#include "base/exception.h"
#include "model/filehelpers.h"
#include "platform/folderlist.h"
#include "platform/paths.h"

#include <QFile>
#include <QStringDecoder>

QString readDescriptionFile(const QString &fileName, qsizetype *byteCount)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("Cannot read the file \"%1\": %2").arg(fileName, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Exception(QStringLiteral("Cannot read the file \"%1\": %2").arg(fileName, file.errorString()));
    if (byteCount)
        *byteCount = bytes.size();
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    if (decoder.hasError() || bytes.contains('\0'))
        throw Exception(QStringLiteral("The file \"%1\" is not UTF-8 text").arg(fileName));
    return text;
}

QStringList loadDescriptionFolder(const QString &dir, const QString &skipped,
                                  const std::function<void(const QString &folder, const QString &file)> &load)
{
    QStringList messages;
    QStringList files;
    ListFolder(dir, QStringLiteral("*.ini"), platform::faAnyFile, &files);
    const QString folder = platform::withTrailingSlash(dir);
    for (const QString &file : files) {
        try {
            load(folder, file);
        } catch (const Exception &e) {
            messages.append(skipped + e.message());
        }
    }
    return messages;
}
