#include "base/inifile.h"
#include "checks/extappplugin.h"
#include "checks/pellorinplugin.h"
#include "common/scriptedprompter.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "platform/appdirs.h"
#include "platform/apptitle.h"
#include "platform/folderlist.h"
#include "programdirs.h"
#include "shell/mainform.h"
#include "shell/startup.h"
#include "windowparts.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QTest>

using pellorin_test::copyFolder;
using pellorin_test::readBytes;
using pellorin_test::writeBytes;

namespace {
const QString kResources = QStringLiteral(PELLORIN_RESOURCES);
} // namespace

// The plug-ins the program sets up at start-up, and the shipped check program at work.
class TestStartupPlugins : public QObject {
    Q_OBJECT

    std::unique_ptr<pellorin_test::ProgramDirs> m_dir;
    std::unique_ptr<pellorin_test::PrompterGuard> m_prompter;

private slots:
    void init()
    {
        m_dir = std::make_unique<pellorin_test::ProgramDirs>();
        m_prompter = std::make_unique<pellorin_test::PrompterGuard>();
        copyFolder(kResources + "/plugins", m_dir->filePath("app/plugins"));
    }
    void cleanup()
    {
        m_prompter.reset();
        m_dir.reset();
    }

    // Every shipped description names a program of its folder, copied beside the program
    // with its mode.
    void shippedDescriptions()
    {
        const QStringList files = platform::listFolderEntries(kResources + "/plugins", "*.ini", platform::faAnyFile);
        QVERIFY(!files.isEmpty());
        for (const QString &file : files) {
            const IniFile ini(kResources + "/plugins/" + file);
            QVERIFY(!ini.readString("Main", "Name").isEmpty());
            const QStringList command = QProcess::splitCommand(ini.readString("Main", "Cmd"));
            QVERIFY(!command.isEmpty());
            const QString program = QFileInfo(file).completeBaseName() + "/" + command.first();
            const QFileInfo shipped(kResources + "/plugins/" + program);
            QVERIFY2(shipped.isExecutable(), qPrintable(program));
            const QFileInfo copied(platform::programFolder() + "plugins/" + program);
            QVERIFY2(copied.isExecutable(), qPrintable(copied.filePath()));
            QCOMPARE(readBytes(copied.filePath()), readBytes(shipped.filePath()));
        }
    }

    // Company naming first, the external programs in file order, the SQL checks, the shortcuts
    // before the component checks; the programs' Tools entries before those of the windows.
    void registrationOrder()
    {
        writeBytes(m_dir->filePath("app/plugins/a tidy.ini"), "[Main]\nName=Tidy\nCmd=tidy.sh\nMenu=Tidy the page\n");
        Program program(m_dir->options());
        QStringList names;
        for (TPellorinPlugin *p : pluginRegistry().plugins())
            names << p->className();
        QCOMPARE(names.mid(0, 8),
                 QStringList({"TCompanyNamingPlugin", "TExtAppWarnPlugin", "TExtAppWarnPlugin", "TSQLParamCheck",
                              "TGroupSQLCheck", "TOpenExternalFile", "TMoveWQFComponents", "TRequote"}));
        QCOMPARE(names.count("TCompanyNamingPlugin") + names.count("TNamingPlugin"), 1);
        QList<TWarningPlugin *> checks;
        GetWarningPlugins(checks);
        QCOMPARE(checks[0]->GetDescription(), QString("Tidy"));
        QCOMPARE(checks[1]->GetDescription(), QString("Components without a comment"));

        // The modules' entries follow the window's own, the last of which is the screen shot.
        const QList<QAction *> entries = pellorin_test::part<QMenu>(program.mainForm(), "mnuTools")->actions();
        const qsizetype lastOwn = entries.indexOf(pellorin_test::part<QAction>(program.mainForm(), "MenuItem6"));
        QVERIFY(lastOwn >= 0);
        QStringList tools;
        for (QAction *a : entries.mid(lastOwn + 1))
            tools << a->text();
        QCOMPARE(tools, QStringList({"Tidy the page", "SQL test params", "Preferences"}));
    }

    // Tools > Check WQF file runs the shipped program on the sample page; a component
    // without a comment gets its own line.
    void shippedProgramOnTheSamplePage()
    {
        QByteArray page = readBytes(pellorin_test::kSamplePage);
        const QString path = m_dir->copyOf(pellorin_test::kSamplePage, "customer_orders.wqf");
        Program program(m_dir->options());
        TMainFrm *form = program.mainForm();
        form->OpenFile(path);
        QVERIFY(form->GetCurrentDoc());
        pellorin_test::part<QAction>(form, "MenuItem9")->trigger();
        QVERIFY2(form->messageLines().contains("HINT 0 of 10 components without a comment"),
                 qPrintable(form->messageLines().join('\n')));

        QVERIFY(page.contains("<c>Count the orders</c>"));
        page.replace("<c>Count the orders</c>", "<c/>");
        writeBytes(path, page);
        form->OpenFile(path);
        pellorin_test::part<QAction>(form, "MenuItem9")->trigger();
        const QStringList lines = form->messageLines();
        QVERIFY2(lines.contains("preproc 3: HINT Component without a comment"), qPrintable(lines.join('\n')));
        QVERIFY(lines.contains("HINT 1 of 10 components without a comment"));
    }

    // The sample as it ships, checked in full as a newcomer's first run does it: the built-in
    // checks, the shipped check program and the SQL prober on the sample's test database. It
    // lists no warning and no error: only the program's count, a hint.
    void sampleChecksClean()
    {
        const QString path = m_dir->copyOf(pellorin_test::kSamplePage, "customer_orders.wqf");
        Program program(m_dir->shippedOptions({path}));
        TMainFrm *form = program.mainForm();
        QVERIFY(form->GetCurrentDoc());
        pellorin_test::part<QAction>(form, "MenuItem9")->trigger();
        // A finding of the prober has no kind of its own, so every line is named here.
        QCOMPARE(form->messageLines(), QStringList({"Slow check, please be patient...",
                                                    "HINT 0 of 10 components without a comment", "Check complete."}));
        QCOMPARE(readBytes(path), readBytes(pellorin_test::kSamplePage));
    }

    // The window's title and icon follow the company folder of the page's path; a company
    // without an icon keeps the icon shown.
    void companyTitleAndIcon()
    {
        QDir().mkpath(m_dir->filePath("app/companies"));
        QImage picture(16, 16, QImage::Format_ARGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(m_dir->filePath("app/companies/Acme.ico")));
        Program program(m_dir->options());
        TMainFrm *form = program.mainForm();
        const qint64 before = form->windowIcon().cacheKey();
        form->SetFileName("/sites/mtMorivane_Nobody/list.wqf");
        QCOMPARE(platform::applicationTitle(), QString("(Nobody) list.wqf"));
        QCOMPARE(form->windowIcon().cacheKey(), before);
        form->SetFileName("C:\\Sites\\mtmorivane_Acme\\pages\\list.wqf");
        QCOMPARE(platform::applicationTitle(), QString("(Acme) list.wqf"));
        QVERIFY(form->windowIcon().cacheKey() != before);
        QCOMPARE(form->windowIcon().pixmap(16, 16).toImage().pixelColor(8, 8), QColor(Qt::red));
        form->SetFileName("/home/me/list.wqf");
        QCOMPARE(platform::applicationTitle(), QString("list.wqf"));
    }
};

PELLORIN_TEST_CLASS(TestStartupPlugins)
#include "test_startupplugins.moc"
