// The program's folder and the per-user configuration folder.
#include "appdirs.h"
#include "paths.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {
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

QString programName() { return WithoutExtension(ProgramFileName()); }

QString ProgramFolder() { return WithTrailingSlash(QCoreApplication::applicationDirPath()); }

QString appConfigDir()
{
    return WithTrailingSlash(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)) + programName() +
           u'/';
}
} // namespace platform
