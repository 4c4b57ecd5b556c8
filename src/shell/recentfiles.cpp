// The recent-files list and its menu.
#include "recentfiles.h"

#include "base/atomicfile.h"
#include "formparts.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <algorithm>

QStringList readRecentFiles(const QString &Path)
{
    QStringList files;
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return files;
    for (int line = 0; line < maxRecentFiles && !file.atEnd(); ++line) {
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

void writeRecentFiles(const QString &Path, const QStringList &Files)
{
    QDir().mkpath(QFileInfo(Path).path());
    QByteArray bytes;
    for (const QString &name : Files.mid(0, maxRecentFiles))
        bytes += name.toUtf8() + '\n';
    writeFileAtomically(Path, bytes);
}

bool sameRecentFile(const QString &a, const QString &b) { return a.toUpper() == b.toUpper(); }

RecentFiles::RecentFiles(const QString &configFolder, QObject *parent)
    : QObject(parent), m_path(configFolder.isEmpty() ? QString() : configFolder + recentFilesName)
{}

void RecentFiles::LoadRecentFiles()
{
    if (m_path.isEmpty())
        return;
    m_files = readRecentFiles(m_path);
    emit changed();
}

void RecentFiles::SaveRecentFiles() const
{
    if (!m_path.isEmpty())
        writeRecentFiles(m_path, m_files);
}

void RecentFiles::AddRecentFile(const QString &FileName)
{
    const auto listed = std::find_if(m_files.begin(), m_files.end(),
                                     [&](const QString &name) { return sameRecentFile(name, FileName); });
    if (listed != m_files.end()) {
        if (listed != m_files.begin()) {
            m_files.move(listed - m_files.begin(), 0);
            emit changed();
        }
        return;
    }
    while (m_files.size() >= maxRecentFiles)
        m_files.removeLast();
    m_files.prepend(FileName);
    emit changed();
    SaveRecentFiles();
}

RecentFilesMenu::RecentFilesMenu(const RecentFiles &list, QMenu *menu) : m_list(list), m_menu(menu)
{
    connect(&list, &RecentFiles::changed, this, &RecentFilesMenu::showList);
    showList();
}

void RecentFilesMenu::showList()
{
    const QStringList &files = m_list.files();
    QList<QAction *> items = m_menu->actions();
    for (qsizetype i = 0; i < files.size(); ++i) {
        QAction *item = i < items.size() ? items[i] : nullptr;
        if (!item) {
            item = m_menu->addAction(QString());
            connect(item, &QAction::triggered, this, [this, item] { emit chosen(item->data().toString()); });
        }
        item->setText(literalCaption(files[i]));
        item->setData(files[i]);
    }
    for (qsizetype i = files.size(); i < items.size(); ++i) {
        m_menu->removeAction(items[i]);
        items[i]->deleteLater();
    }
}
