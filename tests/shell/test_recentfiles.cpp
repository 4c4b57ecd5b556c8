#include "common/testmain.h"
#include "common/testutil.h"
#include "shell/recentfiles.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using pellorin_test::readBytes;
using pellorin_test::writeBytes;

// The list on its own and the menu that shows it; the window's use of them is in TestOpenSave.
class TestRecentFiles : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString folder() const { return path("cfg/"); }
    QString page(int n) const
    {
        const QString name = path(QString("p%1.wqf").arg(n));
        if (!QFileInfo::exists(name))
            writeBytes(name, "<wqf/>");
        return name;
    }
    static QStringList shown(const QMenu &menu)
    {
        QStringList names;
        for (const QAction *item : menu.actions())
            names << item->data().toString();
        return names;
    }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void addingAndMovingUp()
    {
        RecentFiles list(folder());
        QSignalSpy changed(&list, &RecentFiles::changed);
        QStringList pages;
        for (int i = 0; i < 21; ++i) {
            pages.prepend(page(i));
            list.addRecentFile(pages.front());
        }
        QCOMPARE(changed.size(), 21);
        QCOMPARE(list.files(), pages.mid(0, 20));
        QCOMPARE(readBytes(folder() + recentFilesName), (pages.mid(0, 20).join('\n') + '\n').toUtf8());

        // Named in other letter case: moved up with its own spelling, the file left for later.
        const QByteArray written = readBytes(folder() + recentFilesName);
        list.addRecentFile(page(5).toUpper());
        QCOMPARE(list.files().first(), page(5));
        QCOMPARE(list.files().size(), 20);
        QCOMPARE(readBytes(folder() + recentFilesName), written);
        // The top one again changes nothing.
        changed.clear();
        list.addRecentFile(page(5));
        QCOMPARE(changed.size(), 0);
        list.saveRecentFiles();
        QCOMPARE(readBytes(folder() + recentFilesName).split('\n').first(), page(5).toUtf8());
    }

    void loadedFromTheFile()
    {
        QStringList lines;
        for (int i = 0; i < 25; ++i)
            lines << (i < 5 ? path(QString("gone%1.wqf").arg(i)) : page(i));
        QDir().mkpath(folder());
        writeBytes(folder() + recentFilesName, lines.join("\r\n").toUtf8());
        RecentFiles list(folder());
        list.loadRecentFiles();
        QCOMPARE(list.files(), lines.mid(5, 15));
    }

    void withoutAFolder()
    {
        RecentFiles list{QString()};
        list.addRecentFile(page(1));
        list.saveRecentFiles();
        QCOMPARE(list.files(), QStringList{page(1)});
        QVERIFY(!QFileInfo::exists(folder()));
    }

    void theMenuShowsTheList()
    {
        RecentFiles list(folder());
        list.addRecentFile(page(1));
        QMenu menu;
        RecentFilesMenu items(list, &menu);
        QCOMPARE(shown(menu), QStringList{page(1)});
        const QString ampersand = path("a & b.wqf");
        writeBytes(ampersand, "<wqf/>");
        list.addRecentFile(ampersand);
        QCOMPARE(shown(menu), QStringList({ampersand, page(1)}));
        QCOMPARE(menu.actions().first()->text(), QString(ampersand).replace("&", "&&"));

        // An item keeps its place; a click names the file it shows now.
        QAction *second = menu.actions()[1];
        list.addRecentFile(page(1));
        QCOMPARE(menu.actions()[1], second);
        QSignalSpy chosen(&items, &RecentFilesMenu::chosen);
        second->trigger();
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.front().front().toString(), ampersand);
    }
};

PELLORIN_TEST_CLASS(TestRecentFiles)
#include "test_recentfiles.moc"
