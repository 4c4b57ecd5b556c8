#pragma once
// The ways a page file reaches the window besides the open dialog: a click on a recent item,
// files dropped on the window, and the command line. Each ends in the open page's open.
#include <QObject>
#include <QString>
#include <QStringList>

class QMimeData;
class WindowHost;

class OpenRequests : public QObject {
    Q_OBJECT
public:
    explicit OpenRequests(WindowHost &window);

    // The file of a recent item: opened when it exists, else a message names it.
    void recentFileClick(const QString &fileName);
    // Page files are opened, the first here and each further one by a new instance; other
    // files are skipped. An error with one name is shown and the next is taken.
    void formDropFiles(const QStringList &fileNames);
    // What was dropped on the window: its local files, opened once the drop is over, since
    // the drop's source waits for it.
    void dropped(const QMimeData &data);
    // The last argument that names an existing file.
    void openCommandLineFile(const QStringList &arguments);

private:
    WindowHost &m_window;
};
