#include "appdirs.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {
namespace {
QString withDelimiter(const QString &folder) { return folder.endsWith(u'/') ? folder : folder + u'/'; }
} // namespace

QString ProgramFileName()
{
    QString path;
    if (QCoreApplication::instance())
        path = QCoreApplication::arguments().value(0);
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? QStringLiteral("pellorin") : name;
}

QString WithoutExtension(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot > 0 ? fileName.left(dot) : fileName;
}

QString ProgramName() { return WithoutExtension(ProgramFileName()); }

QString ProgramFolder() { return withDelimiter(QCoreApplication::applicationDirPath()); }

QString AppConfigDir()
{
    return withDelimiter(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)) + ProgramName() +
           u'/';
}
} // namespace platform
