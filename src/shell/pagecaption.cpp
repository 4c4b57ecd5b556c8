// The window caption and title from the naming plug-in.
#include "pagecaption.h"

#include "checks/pellorinplugin.h"
#include "platform/apptitle.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QPixmap>
#include <QWidget>

PageCaption captionOfFile(const QString &fileName)
{
    QString caption, title, icon;
    if (TNamingPlugin *plugin = GetNamingPlugin()) {
        plugin->NotifyFileName(fileName);
        caption = plugin->GetCaption();
        title = plugin->GetAppTitle();
        icon = plugin->GetIconFileName();
    }
    return {QStringLiteral("Pellorin: ") + (caption.isEmpty() ? fileName : caption),
            title.isEmpty() ? QFileInfo(fileName).fileName() : title, icon};
}

void showPageCaption(QWidget *window, const PageCaption &caption)
{
    window->setWindowTitle(caption.windowTitle);
    // Not Qt's display name: the window system would append it to every window's title.
    platform::setApplicationTitle(caption.applicationTitle);
    QPixmap picture;
    if (!caption.iconFile.isEmpty() && picture.load(caption.iconFile)) {
        QApplication::setWindowIcon(QIcon(picture));
        window->setWindowIcon(QIcon(picture));
    }
}
