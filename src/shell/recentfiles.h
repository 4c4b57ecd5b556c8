#pragma once
// The recent-files list: the page files opened last, newest first, at most 20, kept in the
// file recentfiles.txt (one path a line) of the per-user configuration folder. RecentFiles is
// the list; File > "Open Recent" only shows it (RecentFilesMenu).
#include <QObject>
#include <QString>
#include <QStringList>

class QAction;
class QMenu;

constexpr int maxRecentFiles = 20;
inline const QString recentFilesName = QStringLiteral("recentfiles.txt");

// Of the file's first 20 lines, those that name an existing file, in file order; what was
// read before an error; nothing for a missing file.
QStringList readRecentFiles(const QString &path);
// Writes the first 20 names as the file's lines, creating the folder; errors are ignored.
void writeRecentFiles(const QString &path, const QStringList &files);
// Whether two paths name the same recent file: compared upper-cased.
bool sameRecentFile(const QString &a, const QString &b);

class RecentFiles : public QObject {
    Q_OBJECT
public:
    // The list of recentfiles.txt in configFolder (ending with "/"); without a folder (no
    // settings module) the list is neither read nor written.
    explicit RecentFiles(const QString &configFolder, QObject *parent = nullptr);

    // Newest first.
    const QStringList &files() const { return m_files; }

    // The list from the file.
    void loadRecentFiles();
    // The list into the file.
    void saveRecentFiles() const;
    // fileName at the top: a file listed already (letter case aside) moves up, keeping its
    // spelling, and the file is written only at the next saveRecentFiles; a new one comes
    // first, the oldest beyond 20 go, and the file is written at once.
    void addRecentFile(const QString &fileName);

signals:
    void changed();

private:
    // Empty without a configuration folder.
    QString m_path;
    QStringList m_files;
};

// The items of a menu showing the list: one per file, newest first, the caption the path as
// it stands, in step with every change of the list. An item keeps its place in the menu while
// its file changes, so the item whose click is running is never deleted under it.
class RecentFilesMenu : public QObject {
    Q_OBJECT
public:
    // The menu holds nothing else.
    RecentFilesMenu(const RecentFiles &list, QMenu *menu);

signals:
    // An item was clicked.
    void chosen(const QString &fileName);

private:
    void showList();

    const RecentFiles &m_list;
    QMenu *m_menu;
};
