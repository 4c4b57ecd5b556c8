// Recent items, drops and the command line.
#include "openrequests.h"

#include "base/exception.h"
#include "model/wqftypes.h"
#include "openpage.h"
#include "platform/launcher.h"
#include "platform/slotguard.h"
#include "windowhost.h"

#include <QFileInfo>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

OpenRequests::OpenRequests(WindowHost &window) : m_window(window) {}

void OpenRequests::recentFileClick(const QString &fileName)
{
    if (QFileInfo(fileName).isFile())
        m_window.page().open(fileName);
    else
        m_window.page().showMessage(u'"' + fileName + QStringLiteral("\" file doesn't exists or unavailable"));
}

void OpenRequests::formDropFiles(const QStringList &fileNames)
{
    OpenPage &page = m_window.page();
    OpenPage::Busy busy(page);
    bool first = true;
    for (const QString &name : fileNames) {
        try {
            if (!IsWQFFile(name))
                continue;
            if (first) {
                first = false;
                page.open(name);
            } else {
                platform::startSecondInstance(name);
            }
        } catch (const std::exception &) {
            page.showMessage(QStringLiteral("on drop files: ") + currentExceptionMessage());
        }
    }
}

void OpenRequests::dropped(const QMimeData &data)
{
    QStringList names;
    for (const QUrl &url : data.urls())
        if (url.isLocalFile())
            names << url.toLocalFile();
    QTimer::singleShot(0, this, guarded([this, names] { formDropFiles(names); }));
}

void OpenRequests::openCommandLineFile(const QStringList &arguments)
{
    QString last;
    for (const QString &argument : arguments)
        if (QFileInfo(argument).isFile())
            last = argument;
    if (!last.isEmpty())
        m_window.page().open(last);
}
