#include "common/scriptedprompter.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "shell/mainform.h"
#include "shell/openpage.h"
#include "shell/startup.h"
#include "windowparts.h"
#include "windowtest.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>

using pellorin_test::part;
using pellorin_test::writeBytes;

namespace {
QByteArray smallPage(const QByteArray &fn)
{
    return "<wqf><function><fn>" + fn + "</fn></function><preproc/><postproc/></wqf>";
}

// Another program's write: new bytes and a later modification time.
void rewrite(const QString &path, const QByteArray &fn, int seconds)
{
    const QDateTime before = QFileInfo(path).lastModified();
    writeBytes(path, smallPage(fn));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(before.addSecs(seconds), QFileDevice::FileModificationTime));
}

bool onX() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

// Gives the keyboard focus to the X server's root window, away from every window of ours; the
// pointer goes to a corner outside them first, or the window under it would keep the keys.
void focusElsewhere(const QWidget *window)
{
    const QRect screen = window->screen()->geometry();
    const QPoint corner = screen.bottomRight();
    QVERIFY(!window->frameGeometry().contains(corner));
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"),
                               {QStringLiteral("mousemove"), QString::number(corner.x()), QString::number(corner.y())}),
             0);
    QProcess xwininfo;
    xwininfo.start(QStringLiteral("xwininfo"), {QStringLiteral("-root")});
    QVERIFY(xwininfo.waitForFinished(5000));
    const QString out = QString::fromUtf8(xwininfo.readAllStandardOutput());
    const qsizetype at = out.indexOf(QStringLiteral("Window id: "));
    QVERIFY(at >= 0);
    const QString root = out.mid(at + 11).section(u' ', 0, 0);
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), root}), 0);
}
} // namespace

// The changed-on-disk question as the application's activation brings it, not called by hand:
// offscreen the program's first activation, on a virtual X display also the user coming back
// from another window. Each CTest entry runs in a process of its own, whose application has
// not been active before.
class TestActivation : public pellorin_test::WindowTest {
    Q_OBJECT

    QString m_page;

    void start()
    {
        m_page = m_dir->filePath("a.wqf");
        writeBytes(m_page, smallPage("first"));
        WindowTest::start({m_page});
        QVERIFY(form->GetCurrentDoc());
    }
    void activate()
    {
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QCOMPARE(QGuiApplication::applicationState(), Qt::ApplicationActive);
    }
    QString functionName() const { return part<QLineEdit>(form, "txtFuncName")->text(); }

private slots:
    void init() { prepare(); }
    void cleanup() { finish(); }

    // The page changed on disk before the window ever showed: becoming active asks, and Yes
    // reloads it.
    void firstActivationAsks()
    {
        if (QGuiApplication::applicationState() == Qt::ApplicationActive)
            QSKIP("the application was made active before this test; run the class on its own");
        start();
        rewrite(m_page, "rewritten", 10);
        (*m_prompter)->answers << pbYes;
        QCOMPARE((*m_prompter)->prompts.size(), 0);
        activate();
        QTRY_COMPARE((*m_prompter)->prompts.size(), 1);
        QCOMPARE((*m_prompter)->prompts[0].caption, QString("Changed"));
        QCOMPARE(functionName(), QString("rewritten"));
        QVERIFY(!form->openPage()->isModified());
    }

    // Coming back from another window asks once per change, and never after the program's
    // own save.
    void comingBackAsksOncePerChange()
    {
        if (!onX() || QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            QSKIP("only a window system with another window to go to can take the activation away");
        start();
        activate();
        QVERIFY(form->SaveFile(m_page));
        const auto away = [this] {
            focusElsewhere(form);
            QTRY_COMPARE(QGuiApplication::applicationState(), Qt::ApplicationInactive);
        };
        const auto back = [this] {
            QCOMPARE(QProcess::execute(QStringLiteral("xdotool"),
                                       {QStringLiteral("windowfocus"), QString::number(form->winId())}),
                     0);
            QVERIFY(QTest::qWaitForWindowActive(form));
            QCOMPARE(QGuiApplication::applicationState(), Qt::ApplicationActive);
        };
        away();
        back();
        QCOMPARE((*m_prompter)->prompts.size(), 0);

        away();
        rewrite(m_page, "elsewhere", 10);
        (*m_prompter)->answers << pbNo;
        back();
        QCOMPARE((*m_prompter)->prompts.size(), 1);
        QCOMPARE((*m_prompter)->prompts[0].caption, QString("Changed"));
        QCOMPARE(functionName(), QString("first"));
        away();
        back();
        QCOMPARE((*m_prompter)->prompts.size(), 1);
    }
};

PELLORIN_TEST_CLASS(TestActivation)
#include "test_activation.moc"
