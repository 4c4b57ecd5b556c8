#include "checks/sqlquerycheck.h"
#include "common/scriptedprompter.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "platform/fileattr.h"
#include "programdirs.h"
#include "shell/appini.h"
#include "shell/mainform.h"
#include "shell/sqlcfgform.h"
#include "shell/startup.h"
#include "windowparts.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QDir>
#include <QFocusEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>

using namespace pellorin_test;

namespace {
QAction *testParamsEntry(TMainFrm *form) { return form->findChild<QAction *>("mnuSqlTestParams"); }

QPlainTextEdit *memo() { return SQLConnWindow()->findChild<QPlainTextEdit *>("Memo1"); }
QsciScintilla *valuesEditor() { return SQLConnWindow()->findChild<QsciScintilla *>("SynMemo1"); }

QStringList values()
{
    const SQLCheckState &s = sqlCheckState();
    return {s.SQLHost, s.SQLUser, s.SQLPassword, s.SQLDatabase};
}

void leave(QWidget *widget)
{
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(widget, &out);
}
} // namespace

class TestSQLCfgForm : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramDirs> m_dir;
    std::unique_ptr<PrompterGuard> m_prompter;

private slots:
    void init()
    {
        m_dir = std::make_unique<ProgramDirs>();
        m_prompter = std::make_unique<PrompterGuard>();
    }
    void cleanup()
    {
        m_prompter.reset();
        m_dir.reset();
    }

    void toolsEntryCreatesTheWindowOnce()
    {
        Program program(m_dir->options());
        QAction *entry = testParamsEntry(program.mainForm());
        QVERIFY(entry);
        QVERIFY(entry->isEnabled());
        QCOMPARE(entry->text(), QString("SQL test params"));
        QCOMPARE(entry->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));
        QVERIFY(!SQLConnWindow());
        entry->trigger();
        TSQLConn *window = SQLConnWindow();
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QVERIFY(!window->isModal());
        QCOMPARE(window->objectName(), QString("SQLConn"));
        QCOMPARE(window->windowTitle(), QString("SQL Settings"));
        QCOMPARE(window->findChild<QLabel *>("Label1")->text(), QString("Testing #S variables"));
        // No settings file: the four lines with nothing after "=".
        QCOMPARE(memo()->toPlainText(), QString("Hostname=\nUsername=\nPassword=\nDatabase="));
        QCOMPARE(valuesEditor()->text(), QString());
        entry->trigger();
        QCOMPARE(SQLConnWindow(), window);
    }

    void memoSetsTheValuesAtOnce_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("values");
        QTest::newRow("all four") << "Hostname=h\nUsername=u\nPassword=p=w;\nDatabase=d"
                                  << QStringList{"h", "u", "p=w;", "d"};
        QTest::newRow("password line deleted")
            << "Hostname=h\nUsername=u\nDatabase=d" << QStringList{"h", "u", "", "d"};
        QTest::newRow("name in capitals") << "HOSTNAME=h\ndatabase=d" << QStringList{"h", "", "", "d"};
        QTest::newRow("line without =") << "Hostname\nUsername=u" << QStringList{"", "u", "", ""};
        QTest::newRow("first of two") << "Hostname=a\nHostname=b" << QStringList{"a", "", "", ""};
        QTest::newRow("empty") << "" << QStringList{"", "", "", ""};
    }
    void memoSetsTheValuesAtOnce()
    {
        QFETCH(QString, text);
        Program program(m_dir->options());
        ShowSQLSettings();
        memo()->setPlainText(text);
        QTEST(values(), "values");
    }

    void typingInTheMemo()
    {
        Program program(m_dir->options());
        ShowSQLSettings();
        QTextCursor cursor = memo()->textCursor();
        cursor.movePosition(QTextCursor::Start);
        cursor.movePosition(QTextCursor::EndOfLine);
        memo()->setTextCursor(cursor);
        QTest::keyClicks(memo(), "db");
        QCOMPARE(sqlCheckState().SQLHost, QString("db"));
        QTest::keyClicks(memo(), ".local");
        QCOMPARE(sqlCheckState().SQLHost, QString("db.local"));
        QTest::keyClick(memo(), Qt::Key_Backspace);
        QCOMPARE(sqlCheckState().SQLHost, QString("db.loca"));
    }

    void blankMemoLeftIsRefilled()
    {
        Program program(m_dir->options());
        ShowSQLSettings();
        memo()->setPlainText("Hostname=h\nDatabase=d");
        leave(memo());
        QCOMPARE(memo()->toPlainText(), QString("Hostname=h\nDatabase=d"));
        memo()->setPlainText("  \n\n ");
        QCOMPARE(values(), QStringList({"", "", "", ""}));
        leave(memo());
        QCOMPARE(memo()->toPlainText(), QString("Hostname=\nUsername=\nPassword=\nDatabase="));
        QCOMPARE(values(), QStringList({"", "", "", ""}));
    }

    void testValuesEditor()
    {
        Program program(m_dir->options());
        ShowSQLSettings();
        QsciScintilla *editor = valuesEditor();
        QCOMPARE(editor->font().family(), QString("Courier New"));
        editor->setText("UserId=42\nname=x\n");
        QCOMPARE(sqlCheckState().TestValues, QStringList({"UserId=42", "name=x"}));
        editor->setCursorPosition(0, 9);
        QTest::keyClicks(editor, "7");
        QCOMPARE(sqlCheckState().TestValues, QStringList({"UserId=427", "name=x"}));
    }

    void closedAndShownAgainKeepsWhatWasLeft()
    {
        Program program(m_dir->options());
        ShowSQLSettings();
        memo()->setPlainText("Hostname=h\njunk");
        SQLConnWindow()->close();
        QVERIFY(!SQLConnWindow()->isVisible());
        sqlCheckState().SQLHost = "elsewhere";
        testParamsEntry(program.mainForm())->trigger();
        QVERIFY(SQLConnWindow()->isVisible());
        QCOMPARE(memo()->toPlainText(), QString("Hostname=h\njunk"));
    }

    void valuesSurviveARestart()
    {
        QRect bounds;
        {
            Program program(m_dir->options());
            ShowSQLSettings();
            memo()->setPlainText("Hostname=db.local\nUsername=sa\nPassword=p;a=ss%\nDatabase=orders");
            valuesEditor()->setText("UserId=42\nname=x");
            SQLConnWindow()->setGeometry(40, 50, 400, 300);
            bounds = SQLConnWindow()->geometry();
            SQLConnWindow()->close();
        }
        const QByteArray ini = readBytes(m_dir->iniPath());
        QVERIFY(ini.contains("[SQLCHECK]\nHOSTNAME=db.local\nUSERNAME=sa\nPASSWORD=p;a=ss%\nDATABASE=orders\n"));
        QVERIFY(ini.contains("[SQLConn]\n"));
        QCOMPARE(readBytes(m_dir->filePath("cfg/pellorin/pounds.txt")), QByteArray("UserId=42\nname=x\n"));

        Program program(m_dir->options());
        QCOMPARE(values(), QStringList({"db.local", "sa", "p;a=ss%", "orders"}));
        QCOMPARE(sqlCheckState().TestValues, QStringList({"UserId=42", "name=x"}));
        ShowSQLSettings();
        QCOMPARE(memo()->toPlainText(), QString("Hostname=db.local\nUsername=sa\nPassword=p;a=ss%\nDatabase=orders"));
        QCOMPARE(valuesEditor()->text(), QString("UserId=42\nname=x"));
        QCOMPARE(SQLConnWindow()->geometry(), bounds);
        // Shown, not changed: the same values go back at the end.
        QCOMPARE(values(), QStringList({"db.local", "sa", "p;a=ss%", "orders"}));
    }

    // The settings file holds the password and pounds.txt the test values: the owner's alone
    // from their first write, and never wider than they were.
    void secretsAreTheOwnersAlone_data()
    {
        QTest::addColumn<int>("before"); // mode of both files before the run; -1 for none
        QTest::addColumn<int>("after");
        QTest::newRow("first run") << -1 << 0600;
        QTest::newRow("read-only") << 0400 << 0400;
        QTest::newRow("readable by all") << 0644 << 0600;
    }
    void secretsAreTheOwnersAlone()
    {
        QFETCH(int, before);
        QFETCH(int, after);
        const QString values = m_dir->filePath("cfg/pellorin/pounds.txt");
        if (before >= 0) {
            m_dir->writeSettings("[SQLCHECK]\nPASSWORD=old\n");
            writeBytes(values, "UserId=1\n");
            QVERIFY(platform::setFileMode(m_dir->iniPath(), unsigned(before)));
            QVERIFY(platform::setFileMode(values, unsigned(before)));
        }
        {
            Program program(m_dir->options());
            ShowSQLSettings();
            memo()->setPlainText("Password=secret");
            valuesEditor()->setText("UserId=42");
        }
        QVERIFY(readBytes(m_dir->iniPath()).contains("PASSWORD=secret\n"));
        QCOMPARE(readBytes(values), QByteArray("UserId=42\n"));
        QCOMPARE(*platform::fileMode(m_dir->iniPath()) & 0777, unsigned(after));
        QCOMPARE(*platform::fileMode(values) & 0777, unsigned(after));
    }

    void sampleDatabaseWhenNothingIsStored_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<bool>("sample");
        QTest::newRow("no settings file") << QByteArray() << true;
        QTest::newRow("settings without SQLCHECK") << QByteArray("[Global]\nBackup=0\n") << true;
        // The user's section wins, even with nothing in it.
        QTest::newRow("empty SQLCHECK") << QByteArray("[SQLCHECK]\n") << false;
        QTest::newRow("own database") << QByteArray("[sqlcheck]\nDATABASE=mine.db\n") << false;
    }
    void sampleDatabaseWhenNothingIsStored()
    {
        QFETCH(QByteArray, settings);
        QFETCH(bool, sample);
        if (!settings.isEmpty())
            m_dir->writeSettings(settings);
        const QString db = m_dir->filePath("app/samples/customer_orders.sqlite");
        QDir().mkpath(m_dir->filePath("app/samples"));
        writeBytes(db, "x");
        Program program(m_dir->options());
        const QString stored = settings.contains("mine.db") ? QString("mine.db") : QString();
        QCOMPARE(sqlCheckState().SQLDatabase, sample ? db : stored);
    }

    void fullCheckOfTheSamplePageRunsTheProber()
    {
        // The program's own folder, with the prober and the sample database the build put
        // there, and no settings: the sample page is checked on the sample database.
        StartOptions options = m_dir->options();
        options.programFolder = PELLORIN_BIN_DIR "/";
        QByteArray page = readBytes(pellorin_test::kSamplePage);
        page.replace("o.total", "o.totl");
        const QString path = m_dir->filePath("customer_orders.wqf");
        writeBytes(path, page);
        Program program(options);
        TMainFrm *form = program.mainForm();
        form->OpenFile(path);
        QVERIFY(form->GetCurrentDoc());
        pellorin_test::part<QAction>(form, "MenuItem9")->trigger();
        const QStringList lines = form->messageLines();
        QVERIFY2(lines.contains("preproc 2: no such column: o.totl"), qPrintable(lines.join('\n')));
        QVERIFY2(lines.filter("qverify").isEmpty(), qPrintable(lines.join('\n')));
    }
};

PELLORIN_TEST_CLASS(TestSQLCfgForm)
#include "test_sqlcfgform.moc"
