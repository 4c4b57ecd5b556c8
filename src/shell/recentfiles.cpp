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

QStringList readRecentFiles(const QString &path)
{
    QStringList files;
    QFile file(path);
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

void writeRecentFiles(const QString &path, const QStringList &files)
{
    QDir().mkpath(QFileInfo(path).path());
    QByteArray bytes;
    for (const QString &name : files.mid(0, maxRecentFiles))
        bytes += name.toUtf8() + '\n';
    writeFileAtomically(path, bytes);
}

bool sameRecentFile(const QString &a, const QString &b) { return a.toUpper() == b.toUpper(); }

RecentFiles::RecentFiles(const QString &configFolder, QObject *parent)
    : QObject(parent), m_path(configFolder.isEmpty() ? QString() : configFolder + recentFilesName)
{}

void RecentFiles::loadRecentFiles()
{
    if (m_path.isEmpty())
        return;
    m_files = readRecentFiles(m_path);
    emit changed();
}

void RecentFiles::saveRecentFiles() const
{
    if (!m_path.isEmpty())
        writeRecentFiles(m_path, m_files);
}

void RecentFiles::addRecentFile(const QString &fileName)
{
    const auto listed = std::find_if(m_files.begin(), m_files.end(),
                                     [&](const QString &name) { return sameRecentFile(name, fileName); });
    if (listed != m_files.end()) {
        if (listed != m_files.begin()) {
            m_files.move(listed - m_files.begin(), 0);
            emit changed();
        }
        return;
    }
    while (m_files.size() >= maxRecentFiles)
        m_files.removeLast();
    m_files.prepend(fileName);
    emit changed();
    saveRecentFiles();
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
