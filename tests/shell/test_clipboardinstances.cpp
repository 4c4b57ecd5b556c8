#include "common/scriptedprompter.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "editors/lclgrapheditor.h"
#include "programdirs.h"
#include "shell/mainform.h"
#include "shell/openpage.h"
#include "shell/startup.h"
#include "windowparts.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QProcess>
#include <QTabWidget>
#include <QTest>

using pellorin_test::part;
using pellorin_test::writeBytes;

namespace {
QByteArray component(const QByteArray &name, const QByteArray &type, const QByteArray &exit0, const QByteArray &exit1,
                     int x, int y)
{
    return "<c><n>" + name + "</n><t>" + type + "</t><c>from " + name + "</c><j>" + exit0 + "</j><j>" + exit1 +
           "</j><x>" + QByteArray::number(x) + "</x><y>" + QByteArray::number(y) + "</y><values/></c>";
}

QByteArray page(const QByteArray &components)
{
    return "<wqf><function><fn>p</fn></function><preproc>" + components + "</preproc><postproc/></wqf>";
}

// "name:type:exit0:exit1:comment" of each component of the page's pre process.
QStringList components(const QString &path)
{
    TWQFFile file;
    if (!file.LoadFromFile(path, {}))
        return {"unreadable: " + file.LastError()};
    QStringList out;
    for (const auto &c : file.FindSection("preproc")->Items())
        out << c->GetName() + u':' + c->GetType() + u':' + c->GetJump(0) + u':' + c->GetJump(1) + u':' +
                   c->GetComment();
    return out;
}
} // namespace

// Components copied in one running instance of the program and pasted in another through the
// system clipboard. Needs a display that both processes share, so it runs under xvfb-run only.
class TestClipboardInstances : public QObject {
    Q_OBJECT
private slots:
    void copyHereAndPasteInASecondInstance()
    {
        if (QGuiApplication::platformName() != "xcb")
            QSKIP("needs a display shared by two processes");
        pellorin_test::PrompterGuard prompter;
        pellorin_test::ProgramDirs dir;
        const QString source = dir.filePath("source.wqf");
        const QString target = dir.filePath("target.wqf");
        const QString saved = dir.filePath("saved.wqf");
        // 1 leads to 2 and to 9 outside the copied group, 2 loops back to 1.
        writeBytes(source, page(component("1", "SELECTQUERY", "2", "9", 64, 52) +
                                component("2", "IF", "1", "", 160, 130) + component("9", "SET", "", "", 256, 52)));
        // The names 0 to 2 are taken in the second page, so the pasted components get 3 and 4.
        writeBytes(target, page(component("0", "SET", "1", "", 0, 0) + component("1", "SET", "2", "", 96, 0) +
                                component("2", "SET", "", "", 192, 0)));

        Program program(dir.shippedOptions({source}));
        TMainFrm *form = program.mainForm();
        QVERIFY(form->GetCurrentDoc());
        form->show();
        // No window manager: the window takes the input focus itself once it is mapped.
        QVERIFY(QTest::qWaitForWindowExposed(form));
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        part<QTabWidget>(form, "PageControl1")->setFocus();
        TWQFSection *section = form->GetCurrentDoc()->FindSection("preproc");
        const DataList group{section->Items()[0].get(), section->Items()[1].get()};
        form->PreEditor()->SetSelected(&group, true);
        part<QAction>(form, "mnuMainCopy")->trigger();
        QVERIFY(QGuiApplication::clipboard()->text().contains("<n>2</n>"));

        // The clipboard stays served by this process's event loop while the other one reads it.
        QProcess peer;
        peer.setProcessChannelMode(QProcess::SeparateChannels);
        peer.start(PELLORIN_CLIPBOARD_PEER, {dir.filePath("peercfg/pellorin/"), target, saved});
        QVERIFY(peer.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(peer.state() == QProcess::NotRunning, 30000);
        const QString output = QString::fromUtf8(peer.readAllStandardOutput());
        const QString errors = QString::fromUtf8(peer.readAllStandardError());
        QVERIFY2(peer.exitStatus() == QProcess::NormalExit && peer.exitCode() == 0, qPrintable(errors));
        QCOMPARE(output.split('\n', Qt::SkipEmptyParts),
                 QStringList({"pre process editor pasting!", "arranging pasted items 2"}));

        QCOMPARE(components(saved), QStringList({"0:SET:1::from 0", "1:SET:2::from 1", "2:SET:::from 2",
                                                 "3:SELECTQUERY:4::from 1", "4:IF:3::from 2"}));
        // This instance's page is as it was.
        QVERIFY(!form->openPage()->isModified());
        QCOMPARE(prompter->prompts.size(), 0);
    }
};

// Registered without an offscreen entry of its own: CTest runs it on a virtual display.
static const bool registered = ::pellorin_test::registerTestClass(
    "TestClipboardInstances", [] { return std::unique_ptr<QObject>(new TestClipboardInstances); });
#include "test_clipboardinstances.moc"
