#include "base/atomicfile.h"
#include "common/scriptedprompter.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "model/wqftypes.h"
#include "platform/fileattr.h"
#include "platform/filestamp.h"
#include "shell/appini.h"
#include "shell/backupname.h"
#include "shell/globaloptions.h"
#include "shell/openpage.h"
#include "shell/windowhost.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

using pellorin_test::dataPath;
using pellorin_test::PrompterGuard;
using pellorin_test::readBytes;
using pellorin_test::writeBytes;

namespace {
QByteArray smallPage(const QByteArray &fn, const QByteArray &function = {})
{
    return "<wqf><function><fn>" + fn + "</fn>" + function + "</function><preproc/><postproc/></wqf>";
}

// Moves the file's modification time, as another program's write would.
void touch(const QString &path, int seconds)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QFileInfo(path).lastModified().addSecs(seconds), QFileDevice::FileModificationTime));
}

QString functionChild(const OpenPage &page, const QString &name)
{
    const XmlElement *child = page.document() ? page.document()->FindFunctionChild(name) : nullptr;
    return child ? child->textContent() : QString("(none)");
}
} // namespace

// The open page on its own, without a window: the settings module and a scripted prompter are
// all it needs.
namespace {
// Save steps that run the functions they are given.
struct ScriptedSteps : SaveSteps {
    std::function<void(TWQFFile &)> write;
    std::function<void()> check;
    void writeViews(TWQFFile &page) override
    {
        if (write)
            write(page);
    }
    void quickCheck() override
    {
        if (check)
            check();
    }
};
} // namespace

class TestOpenPage : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<PrompterGuard> m_prompter;
    ScriptedSteps m_steps;
    std::unique_ptr<OpenPage> m_page;

    // The save steps of a window, done by these.
    void useSteps(std::function<void(TWQFFile &)> write, std::function<void()> check = {})
    {
        m_steps.write = std::move(write);
        m_steps.check = std::move(check);
        m_page->setSaveSteps(&m_steps);
    }

    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString writePage(const QString &name, const QByteArray &bytes) const
    {
        writeBytes(path(name), bytes);
        return path(name);
    }
    pellorin_test::ScriptedPrompter &prompter() const { return **m_prompter; }
    QStringList promptTexts() const
    {
        QStringList texts;
        for (const auto &p : prompter().prompts)
            texts << p.text;
        return texts;
    }
    QStringList backups() const { return QDir(m_dir->path()).entryList({"*.bak"}, QDir::Files, QDir::Name); }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_prompter = std::make_unique<PrompterGuard>();
        initAppIni(path("cfg/"), "pellorin");
        initGlobalOptions();
        m_page = std::make_unique<OpenPage>();
    }
    void cleanup()
    {
        m_page.reset();
        doneGlobalOptions();
        doneAppIni();
        const int unanswered = prompter().unanswered;
        m_prompter.reset();
        QCOMPARE(unanswered, 0);
    }

    void openReadsThePage()
    {
        const QString page = writePage("a.wqf", readBytes(dataPath("shell/page.wqf")));
        QSignalSpy named(m_page.get(), &OpenPage::fileNameChanged);
        QSignalSpy opened(m_page.get(), &OpenPage::opened);
        // Filling the views marks the page modified through their change handlers.
        connect(m_page.get(), &OpenPage::opened, this, [this] {
            QVERIFY(m_page->document());
            m_page->setModified(true);
        });
        m_page->setModified(true); // left over without a page: nothing to ask about
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(m_dir->path());
        const bool opens = m_page->open("a.wqf");
        QDir::setCurrent(cwd);
        QVERIFY(opens);
        QCOMPARE(promptTexts(), QStringList());
        QCOMPARE(m_page->fileName(), page); // a full path, whatever was given
        QCOMPARE(named.count(), 1);
        QCOMPARE(opened.count(), 1);
        QVERIFY(!m_page->isModified());
        QVERIFY(m_page->document()->FindSection("preproc") && m_page->document()->FindSection("postproc"));
        QCOMPARE(m_page->document()->GetFunctionName(), QString("page"));
        int32_t stamp = 0;
        QVERIFY(platform::GetFileStamp(page, stamp));
        QCOMPARE(m_page->fileTime(), stamp);
    }

    void openRefuses_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("not a page") << QByteArray("text\n") << "In 'stream:' (line 1 pos 1): ";
        QTest::newRow("no preproc") << QByteArray("<wqf><postproc/></wqf>")
                                    << "unable to find PreProcess section. Won't open!";
        QTest::newRow("no postproc") << QByteArray("<wqf><preproc/></wqf>")
                                     << "unable to find PostProcess section. Won't open!";
    }
    void openRefuses()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const QString good = writePage("good.wqf", smallPage("good"));
        QVERIFY(m_page->open(good));
        QSignalSpy closed(m_page.get(), &OpenPage::closed);
        QSignalSpy opened(m_page.get(), &OpenPage::opened);
        prompter().answers << pbOK;
        QVERIFY(!m_page->open(writePage("bad.wqf", bytes)));
        QCOMPARE(prompter().prompts.size(), 1);
        QVERIFY2(prompter().prompts[0].text.startsWith(message), qPrintable(prompter().prompts[0].text));
        // The page before is closed and nothing takes its place; the name stays.
        QCOMPARE(closed.count(), 1);
        QCOMPARE(opened.count(), 0);
        QVERIFY(!m_page->document());
        QCOMPARE(m_page->fileName(), good);
    }

    void closeAsksFirst_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<bool>("saved");
        QTest::newRow("Yes") << int(pbYes) << true << true;
        QTest::newRow("No") << int(pbNo) << true << false;
        QTest::newRow("Cancel") << int(pbCancel) << false << false;
    }
    void closeAsksFirst()
    {
        QFETCH(int, answer);
        QFETCH(bool, closed);
        QFETCH(bool, saved);
        OptionStore().SetString(opt::Backup, "0");
        const QString page = writePage("a.wqf", smallPage("a"));
        const QByteArray before = readBytes(page);
        QVERIFY(m_page->open(page));
        m_page->document()->SetFunctionName("b");
        m_page->setModified(true);
        // The views let go of the page while it still exists.
        bool hadPage = false;
        connect(m_page.get(), &OpenPage::aboutToClose, this, [&] { hadPage = m_page->document() != nullptr; });
        QSignalSpy modified(m_page.get(), &OpenPage::modifiedChanged);
        prompter().answers << PromptButton(answer);
        QCOMPARE(m_page->close(true), closed);
        QCOMPARE(prompter().prompts.size(), 1);
        QCOMPARE(prompter().prompts[0].text, QString("Do you want to save changes before exit?"));
        QCOMPARE(hadPage, closed);
        QCOMPARE(bool(m_page->document()), !closed);
        QCOMPARE(m_page->isModified(), !closed);
        QCOMPARE(modified.count(), closed ? 1 : 0);
        QCOMPARE(readBytes(page) != before, saved);
        QCOMPARE(m_page->fileName(), page);
    }

    void saveMakesABackupFirst()
    {
        const QByteArray original = smallPage("a", "<preHeight>5</preHeight>");
        const QString page = writePage("a.wqf", original);
        m_page->setClock([] { return QDateTime(QDate(2021, 2, 19), QTime(14, 5, 9)); });
        QVERIFY(m_page->open(page));
        // The views write first, the diagram heights follow, the quick check runs last.
        QStringList steps;
        useSteps(
            [&](TWQFFile &doc) {
                steps << "views:" + functionChild(*m_page, "preHeight");
                doc.SetFunctionName("renamed");
            },
            [&] { steps << "check:" + functionChild(*m_page, "preHeight"); });
        m_page->setModified(true);
        QSignalSpy named(m_page.get(), &OpenPage::fileNameChanged);
        QVERIFY(m_page->save(page));
        QCOMPARE(steps, QStringList({"views:5", "check:1000"}));
        QCOMPARE(promptTexts(), QStringList());
        QVERIFY(readBytes(page).contains("<fn>renamed</fn>"));
        QVERIFY(!m_page->isModified());
        QCOMPARE(named.count(), 0);
        int32_t stamp = 0;
        QVERIFY(platform::GetFileStamp(page, stamp));
        QCOMPARE(m_page->fileTime(), stamp);
        // The backup holds the bytes from before the save, under the name of the clock's time.
        const QString backup = m_page->makeBackupName(page);
        QCOMPARE(backups(), QStringList{"a." + backupTimeStamp(m_page->now(), QLocale::system()) + ".bak"});
        QCOMPARE(readBytes(path(backups()[0])), original);
        QVERIFY(backup.endsWith("-2.bak")); // the next save would not replace it
    }

    void readOnlyRefused()
    {
        OptionStore().SetString(opt::ReadOnly, "STOP");
        const QString page = writePage("p.wqf", smallPage("p"));
        const QByteArray before = readBytes(page);
        QVERIFY(m_page->open(page));
        m_page->document()->SetFunctionName("changed");
        m_page->setModified(true);
        QVERIFY(platform::setFileMode(page, 0444));
        prompter().answers << pbOK << pbOK;
        QVERIFY(!m_page->save(page));
        QCOMPARE(promptTexts(), QStringList({"Cannot save file. Please check out p.wqf first!",
                                             "Unable to save the file: " + page + " Reason: p.wqf is read-only"}));
        QCOMPARE(readBytes(page), before);
        QCOMPARE(*platform::fileMode(page), 0444u);
        QVERIFY(m_page->isModified());
    }

    void failedSaveKeepsTheOldBytes()
    {
        const QString page = writePage("p.wqf", smallPage("p"));
        const QByteArray before = readBytes(page);
        QVERIFY(m_page->open(page));
        useSteps([](TWQFFile &doc) { doc.SetFunctionName(QString("bad") + QChar(1)); });
        m_page->setModified(true);
        prompter().answers << pbOK;
        QVERIFY(!m_page->save(page));
        QCOMPARE(promptTexts(), QStringList{"Unable to save the file: " + page + " Reason: Illegal character"});
        QCOMPARE(readBytes(page), before);
        QVERIFY(m_page->isModified());
        // The backup made before the write is an exact copy.
        QCOMPARE(backups().size(), 1);
        QCOMPARE(readBytes(path(backups()[0])), before);
    }

    // Another program puts something else at the page's name after it was opened: nothing is
    // written through the name or copied from it unless the user says so, and a Yes replaces
    // the name itself, never what it leads to.
    void nameLeadsElsewhere_data()
    {
        QTest::addColumn<QString>("swap"); // what takes the page's place
        QTest::addColumn<bool>("throughLink"); // the page was opened through a link
        QTest::addColumn<int>("answer");
        for (const int answer : {int(pbYes), int(pbNo)}) {
            const char *row = answer == pbYes ? "Yes" : "No";
            QTest::addRow("link, %s", row) << "link" << false << answer;
            QTest::addRow("link to another file, %s", row) << "link" << true << answer;
            QTest::addRow("dangling link, %s", row) << "dangling link" << false << answer;
            QTest::addRow("another file, %s", row) << "file" << false << answer;
        }
    }
    void nameLeadsElsewhere()
    {
        QFETCH(QString, swap);
        QFETCH(bool, throughLink);
        QFETCH(int, answer);
        const QByteArray victimBytes = "the user's own file";
        const QString victim = writePage("victim.txt", victimBytes);
        QVERIFY(platform::setFileMode(victim, 0640));
        const QString name = path("a.wqf");
        const QString real = writePage(throughLink ? "real.wqf" : "a.wqf", smallPage("a"));
        if (throughLink)
            QVERIFY(QFile::link("real.wqf", name));
        QVERIFY(m_page->open(name));
        m_page->document()->SetFunctionName("mine");

        if (swap == "file") {
            // Written beside it and renamed into its place, as programs save their files.
            writeBytes(path("incoming"), "another program's file");
            QCOMPARE(std::rename(qPrintable(path("incoming")), qPrintable(name)), 0);
        } else {
            QVERIFY(QFile::remove(name));
            QVERIFY(QFile::link(swap == "link" ? victim : path("nowhere"), name));
        }
        prompter().answers << PromptButton(answer);
        QCOMPARE(m_page->save(name), answer == pbYes);

        QCOMPARE(prompter().prompts.size(), 1);
        QCOMPARE(prompter().prompts[0].caption, QString("Changed"));
        QCOMPARE(prompter().prompts[0].text,
                 '"' + name +
                     "\" has been changed by another program. \r\nWould you like to overwrite it with this page?");
        QCOMPARE(prompter().prompts[0].buttons, pbYes | pbNo);
        QCOMPARE(readBytes(victim), victimBytes);
        QCOMPARE(*platform::fileMode(victim), 0640u);
        QVERIFY(!QFileInfo::exists(path("nowhere")));
        QCOMPARE(backups(), QStringList());
        if (throughLink)
            QCOMPARE(readBytes(real), smallPage("a"));
        QCOMPARE(m_page->isModified(), answer == pbNo);
        if (answer == pbYes) {
            QVERIFY(!QFileInfo(name).isSymLink());
            QVERIFY(readBytes(name).contains("<fn>mine</fn>"));
            // What the name holds now is the page's: the next save asks nothing.
            QVERIFY(m_page->save(name));
            QCOMPARE(prompter().prompts.size(), 1);
        } else if (swap == "file") {
            QCOMPARE(readBytes(name), QByteArray("another program's file"));
        } else {
            QVERIFY(QFileInfo(name).isSymLink());
        }
    }

    // A page whose file was removed meanwhile is written as a new file, without a question:
    // nothing else has the name.
    void removedPageIsWrittenAnew()
    {
        const QString page = writePage("a.wqf", smallPage("a"));
        QVERIFY(m_page->open(page));
        m_page->document()->SetFunctionName("mine");
        QVERIFY(QFile::remove(page));
        QVERIFY(m_page->save(page));
        QCOMPARE(promptTexts(), QStringList());
        QVERIFY(readBytes(page).contains("<fn>mine</fn>"));
        QCOMPARE(backups(), QStringList());
    }

    // A page whose name was a link when it was opened is saved into the link's target, every
    // time, and the link stays; the mode changes of a read-only page are the target's.
    void pageBehindALink_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("writable") << 0640;
        QTest::newRow("read-only") << 0440;
    }
    void pageBehindALink()
    {
        QFETCH(int, mode);
        OptionStore().SetString(opt::ReadOnly, "IGNORE");
        const QString real = writePage("real.wqf", smallPage("a"));
        const QString name = path("a.wqf");
        QVERIFY(QFile::link("real.wqf", name));
        QVERIFY(platform::setFileMode(real, unsigned(mode)));
        m_page->setClock([] { return QDateTime(QDate(2021, 2, 19), QTime(14, 5, 9)); });
        QVERIFY(m_page->open(name));
        for (const QString fn : {"one", "two"}) {
            m_page->document()->SetFunctionName(fn);
            QVERIFY(m_page->save(name));
            QVERIFY(readBytes(real).contains("<fn>" + fn.toUtf8() + "</fn>"));
        }
        QCOMPARE(promptTexts(), QStringList());
        QVERIFY(QFileInfo(name).isSymLink());
        QCOMPARE(QFileInfo(name).symLinkTarget(), real);
        QCOMPARE(*platform::fileMode(real), unsigned(mode));
        // The first backup holds what the target held when the page was opened.
        QCOMPARE(backups().size(), 2);
        QCOMPARE(readBytes(path("a." + backupTimeStamp(m_page->now(), QLocale::system()) + ".bak")), smallPage("a"));
    }

    // The new bytes are synced before they replace the old ones: a sync that fails is a
    // failed save.
    void failedSyncKeepsTheOldBytes()
    {
        const QString page = writePage("p.wqf", smallPage("p"));
        QVERIFY(m_page->open(page));
        m_page->document()->SetFunctionName("changed");
        const SyncFileFunction sync = setSyncFileFunction([](int) {
            errno = EIO;
            return -1;
        });
        const auto restore = qScopeGuard([sync] { setSyncFileFunction(sync); });
        prompter().answers << pbOK;
        QVERIFY(!m_page->save(page));
        QCOMPARE(promptTexts(), QStringList{"Unable to save the file: " + page + " Reason: Unable to write file \"" +
                                            page + "\": Input/output error"});
        QCOMPARE(readBytes(page), smallPage("p"));
        QVERIFY(m_page->isModified());
    }

    // Another user renames a link over the page while the save runs: after the backup, or
    // after the new bytes are written and synced. The check right before the rename sees it,
    // and the link's target gets nothing whatever the answer.
    void linkSwappedInDuringTheSave_data()
    {
        QTest::addColumn<QString>("when");
        QTest::addColumn<int>("answer");
        for (const int answer : {int(pbYes), int(pbNo)}) {
            const char *row = answer == pbYes ? "Yes" : "No";
            QTest::addRow("after the backup, %s", row) << "backup" << answer;
            QTest::addRow("after the new bytes, %s", row) << "bytes" << answer;
        }
    }
    void linkSwappedInDuringTheSave()
    {
        QFETCH(QString, when);
        QFETCH(int, answer);
        const QByteArray victimBytes = "the user's own file";
        const QString victim = writePage("victim.txt", victimBytes);
        QVERIFY(platform::setFileMode(victim, 0640));
        const QString page = writePage("a.wqf", smallPage("a"));
        QVERIFY(platform::setFileMode(page, 0600));
        QVERIFY(m_page->open(page));
        m_page->document()->SetFunctionName("mine");
        static std::function<void()> swap;
        swap = [&] {
            QVERIFY(QFile::link(victim, path("swap")));
            QCOMPARE(std::rename(qPrintable(path("swap")), qPrintable(page)), 0);
            swap = nullptr;
        };
        if (when == "backup")
            useSteps({}, [] { swap(); });
        // The page's new bytes are synced once they are all written, right before the rename.
        const SyncFileFunction sync = setSyncFileFunction([](int fd) {
            if (swap && QFileInfo(QFile::decodeName(QByteArray("/proc/self/fd/") + QByteArray::number(fd)))
                            .symLinkTarget()
                            .endsWith(".new"))
                swap();
            return ::fdatasync(fd);
        });
        const auto restore = qScopeGuard([sync] {
            setSyncFileFunction(sync);
            swap = nullptr;
        });
        prompter().answers << PromptButton(answer);
        QCOMPARE(m_page->save(page), answer == pbYes);
        QVERIFY(!swap);
        QCOMPARE(prompter().prompts.size(), 1);
        QCOMPARE(prompter().prompts[0].caption, QString("Changed"));
        QCOMPARE(readBytes(victim), victimBytes);
        QCOMPARE(*platform::fileMode(victim), 0640u);
        // The backup was made before the swap, from the page's own file.
        QCOMPARE(backups().size(), 1);
        QCOMPARE(readBytes(path(backups()[0])), smallPage("a"));
        QCOMPARE(QFileInfo(page).isSymLink(), answer == pbNo);
        QCOMPARE(m_page->isModified(), answer == pbNo);
        QCOMPARE(QDir(m_dir->path()).entryList({"*.new"}, QDir::Files | QDir::Hidden), QStringList());
        if (answer == pbYes) {
            QVERIFY(readBytes(page).contains("<fn>mine</fn>"));
            QCOMPARE(*platform::fileMode(page), 0600u);
        }
    }

    // The page's folder is renamed and a link to another folder put in its place: the save asks
    // before it writes anything into the other folder, and a Yes puts the page there.
    void folderSwapped_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("Yes") << int(pbYes);
        QTest::newRow("No") << int(pbNo);
    }
    void folderSwapped()
    {
        QFETCH(int, answer);
        QVERIFY(QDir(m_dir->path()).mkpath("pages"));
        QVERIFY(QDir(m_dir->path()).mkpath("other"));
        const QString page = writePage("pages/a.wqf", smallPage("a"));
        QVERIFY(platform::setFileMode(page, 0600));
        QVERIFY(m_page->open(page));
        m_page->document()->SetFunctionName("mine");
        QCOMPARE(std::rename(qPrintable(path("pages")), qPrintable(path("pages.old"))), 0);
        QVERIFY(QFile::link(path("other"), path("pages")));

        prompter().answers << PromptButton(answer);
        QCOMPARE(m_page->save(page), answer == pbYes);
        QCOMPARE(promptTexts(), QStringList{'"' + page +
                                            "\" has been changed by another program. \r\nWould you like to "
                                            "overwrite it with this page?"});
        QCOMPARE(readBytes(path("pages.old/a.wqf")), smallPage("a"));
        QCOMPARE(QDir(path("pages.old")).entryList(QDir::Files), QStringList{"a.wqf"});
        if (answer == pbNo) {
            QCOMPARE(QDir(path("other")).entryList(QDir::Files | QDir::Hidden), QStringList());
            QVERIFY(m_page->isModified());
            return;
        }
        QCOMPARE(QDir(path("other")).entryList(QDir::Files | QDir::Hidden), QStringList{"a.wqf"});
        QVERIFY(readBytes(path("other/a.wqf")).contains("<fn>mine</fn>"));
        QCOMPARE(*platform::fileMode(path("other/a.wqf")), 0600u);
        // The page lives there now: the next save asks nothing and backs up that file.
        m_page->document()->SetFunctionName("again");
        QVERIFY(m_page->save(page));
        QCOMPARE(prompter().prompts.size(), 1);
        QVERIFY(readBytes(path("other/a.wqf")).contains("<fn>again</fn>"));
        QCOMPARE(QDir(path("other")).entryList({"*.bak"}, QDir::Files).size(), 1);
    }

    // The new file takes the page's own mode, also where it replaces something else at the
    // name: a page its owner keeps to themselves stays so.
    void keepsItsMode_data()
    {
        QTest::addColumn<QString>("swap"); // what has the page's name at the save
        QTest::newRow("the page") << "";
        QTest::newRow("a link, Yes") << "link";
        QTest::newRow("another file, Yes") << "file";
    }
    void keepsItsMode()
    {
        QFETCH(QString, swap);
        const QString page = writePage("a.wqf", smallPage("a"));
        QVERIFY(platform::setFileMode(page, 0600));
        const QString victim = writePage("victim.txt", "readable by all");
        QVERIFY(platform::setFileMode(victim, 0644));
        QVERIFY(m_page->open(page));
        m_page->document()->SetFunctionName("mine");
        if (!swap.isEmpty()) {
            // Made beside the page and renamed over it, as another program would.
            if (swap == "link")
                QVERIFY(QFile::link(victim, path("incoming")));
            else
                QVERIFY(QFile::copy(victim, path("incoming")));
            QCOMPARE(std::rename(qPrintable(path("incoming")), qPrintable(page)), 0);
            prompter().answers << pbYes;
        }
        QVERIFY(m_page->save(page));
        QVERIFY(!QFileInfo(page).isSymLink());
        QVERIFY(readBytes(page).contains("<fn>mine</fn>"));
        QCOMPARE(*platform::fileMode(page), 0600u);
        QCOMPARE(*platform::fileMode(victim), 0644u);
    }

    // The folder's entry is synced after the rename: a sync that fails is reported, the page
    // stays modified, and the backup is put back, since the save did not end as it should.
    void failedFolderSyncIsReported()
    {
        const QString page = writePage("p.wqf", smallPage("p"));
        QVERIFY(m_page->open(page));
        m_page->document()->SetFunctionName("changed");
        static int syncs;
        syncs = 0;
        // The backup's folder sync succeeds; the page's fails.
        const SyncFileFunction sync = setSyncFolderFunction([](int) {
            if (++syncs == 1)
                return 0;
            errno = EIO;
            return -1;
        });
        const auto restore = qScopeGuard([sync] { setSyncFolderFunction(sync); });
        prompter().answers << pbOK;
        QVERIFY(!m_page->save(page));
        QCOMPARE(promptTexts(), QStringList{"Unable to save the file: " + page + " Reason: Unable to write file \"" +
                                            page + "\": Input/output error"});
        QVERIFY(m_page->isModified());
        QCOMPARE(backups().size(), 1);
        QCOMPARE(readBytes(page), smallPage("p"));
    }

    // A backup folder below the page's is reached from the page's folder, never through a
    // link another user put in its place.
    void backupFolderNeverALink()
    {
        OptionStore().SetString(opt::BackupPath, "bak");
        QVERIFY(QDir(m_dir->path()).mkpath("elsewhere"));
        const QString page = writePage("a.wqf", smallPage("a"));
        QVERIFY(m_page->open(page));
        QVERIFY(QFile::link(path("elsewhere"), path("bak")));
        m_page->document()->SetFunctionName("mine");
        QVERIFY(m_page->save(page));
        QCOMPARE(QDir(path("elsewhere")).entryList(QDir::Files), QStringList());
        // The page's own folder takes the backup instead.
        QCOMPARE(backups().size(), 1);
        QCOMPARE(readBytes(path(backups()[0])), smallPage("a"));
    }

    void saveAsRenames()
    {
        const QString page = writePage("a.wqf", smallPage("a"));
        QVERIFY(m_page->open(page));
        QSignalSpy named(m_page.get(), &OpenPage::fileNameChanged);
        prompter().fileAnswers << path("b.wqf") << QString();
        QVERIFY(m_page->saveAs());
        QCOMPARE(prompter().fileDialogs[0].fileName, page);
        QCOMPARE(m_page->fileName(), path("b.wqf"));
        QCOMPARE(named.count(), 1);
        QVERIFY(QFile::exists(path("b.wqf")));
        QVERIFY(!m_page->saveAs()); // cancelled
        QCOMPARE(m_page->fileName(), path("b.wqf"));
    }

    void changedOnDiskReopens()
    {
        const QString page = writePage("a.wqf", smallPage("a"));
        QVERIFY(m_page->open(page));
        m_page->checkChangedOnDisk();
        QCOMPARE(prompter().prompts.size(), 0);
        writeBytes(page, smallPage("rewritten"));
        touch(page, 10);
        QSignalSpy opened(m_page.get(), &OpenPage::opened);
        prompter().answers << pbYes;
        m_page->checkChangedOnDisk();
        QCOMPARE(prompter().prompts.size(), 1);
        QCOMPARE(prompter().prompts[0].caption, QString("Changed"));
        QCOMPARE(opened.count(), 1);
        QCOMPARE(m_page->document()->GetFunctionName(), QString("rewritten"));
        m_page->checkChangedOnDisk(); // asked once per change
        QCOMPARE(prompter().prompts.size(), 1);
    }

    void busyPutsTheCheckOff()
    {
        const QString page = writePage("a.wqf", smallPage("a"));
        QVERIFY(m_page->open(page));
        touch(page, 10);
        prompter().answers << pbNo;
        {
            OpenPage::Busy busy(*m_page);
            m_page->checkChangedOnDisk();
            QCOMPARE(prompter().prompts.size(), 0);
        }
        // After the busy work, not inside it.
        QCOMPARE(prompter().prompts.size(), 0);
        QTRY_COMPARE(prompter().prompts.size(), 1);
    }

    void contentReplaced()
    {
        const QString page = writePage("a.wqf", smallPage("a"));
        QVERIFY(m_page->open(page));
        QSignalSpy reloaded(m_page.get(), &OpenPage::reloaded);
        m_page->contentReplaced();
        QCOMPARE(reloaded.count(), 1);
        QVERIFY(m_page->isModified());
        // Views that could not be built closed the page: it is not modified then.
        connect(m_page.get(), &OpenPage::reloaded, this, [this] { m_page->close(false); });
        m_page->contentReplaced();
        QVERIFY(!m_page->document());
        QVERIFY(!m_page->isModified());
    }

    // The views let go of the page before it is swapped and freed, and are built from the new
    // one after; a document without a diagram section changes nothing.
    void replaceSwapsThePage()
    {
        const QString page = writePage("a.wqf", smallPage("a"));
        QVERIFY(m_page->open(page));
        TWQFFile *old = m_page->document();
        QStringList steps;
        connect(m_page.get(), &OpenPage::aboutToReplace, this,
                [&] { steps << "let go of " + m_page->document()->GetFunctionName(); });
        connect(m_page.get(), &OpenPage::replaced, this, [&] {
            steps << "build from " + m_page->document()->GetFunctionName() +
                         (m_page->isModified() ? " modified" : " unmodified");
        });
        QSignalSpy closed(m_page.get(), &OpenPage::closed);

        auto broken = std::make_unique<TWQFFile>();
        QVERIFY(broken->LoadFromFile(writePage("b.wqf", "<wqf><preproc/></wqf>"), {}));
        TWQFFile *brokenDoc = broken.get();
        prompter().answers << pbOK;
        QVERIFY(!m_page->replace(broken));
        QCOMPARE(promptTexts(), QStringList{"unable to find PostProcess section. Won't open!"});
        QCOMPARE(broken.get(), brokenDoc);
        QCOMPARE(m_page->document(), old);
        QCOMPARE(steps, QStringList());
        QVERIFY(!m_page->isModified());

        auto next = std::make_unique<TWQFFile>();
        QVERIFY(next->LoadFromFile(writePage("c.wqf", smallPage("c")), {}));
        next->SetFileName(page);
        TWQFFile *nextDoc = next.get();
        QVERIFY(m_page->replace(next));
        QCOMPARE(steps, (QStringList{"let go of a", "build from c unmodified"}));
        QCOMPARE(m_page->document(), nextDoc);
        QVERIFY(!next);
        QVERIFY(m_page->isModified());
        QCOMPARE(m_page->fileName(), page);
        QCOMPARE(closed.count(), 0);

        // Nothing to replace without an open page.
        m_page->close(false);
        auto more = std::make_unique<TWQFFile>();
        QVERIFY(!m_page->replace(more));
        QVERIFY(more);
    }

    // The save's first step is the one a copy of the page takes before a check program runs.
    void storeViewTexts()
    {
        int stored = 0;
        useSteps([&](TWQFFile &page) {
            ++stored;
            page.SetFunctionName("typed");
        });
        m_page->storeViewTexts(); // no page: nothing
        QCOMPARE(stored, 0);
        const QString page = writePage("a.wqf", smallPage("a"));
        QVERIFY(m_page->open(page));
        m_page->storeViewTexts();
        QCOMPARE(stored, 1);
        QCOMPARE(m_page->document()->GetFunctionName(), QString("typed"));
        QVERIFY(!m_page->isModified());
        QVERIFY(m_page->save(page));
        QCOMPARE(stored, 2);
    }
};

PELLORIN_TEST_CLASS(TestOpenPage)
#include "test_openpage.moc"
