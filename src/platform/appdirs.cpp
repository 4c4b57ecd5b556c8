// The program's folder and the per-user configuration folder.
#include "appdirs.h"
#include "paths.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {
QString programFileName()
{
    QString path;
    if (QCoreApplication::instance())
        path = QCoreApplication::arguments().value(0);
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? QStringLiteral("pellorin") : name;
}

QString withoutExtension(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot > 0 ? fileName.left(dot) : fileName;
}

QString programName() { return withoutExtension(programFileName()); }

QString programFolder() { return withTrailingSlash(QCoreApplication::applicationDirPath()); }

QString appConfigDir()
{
    return withTrailingSlash(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)) + programName() +
           u'/';
}
} // namespace platform
