#include "common/scriptedprompter.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "platform/apptitle.h"
#include "programdirs.h"
#include "shell/mainform.h"
#include "shell/openpage.h"
#include "shell/qtprompter.h"
#include "shell/startup.h"
#include "windowparts.h"
#include "windowtitles.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTimer>
#include <functional>

using pellorin_test::part;
using pellorin_test::readBytes;
using pellorin_test::writeBytes;

namespace {
// Runs act on the first modal dialog that shows.
void whenDialogShows(QObject *context, std::function<void(QDialog *)> act)
{
    auto *poll = new QTimer(context);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        act(dialog);
    });
    poll->start();
}

// Moves the file's modification time, as another program's write would.
void touch(const QString &path, int seconds)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QFileInfo(path).lastModified().addSecs(seconds), QFileDevice::FileModificationTime));
}
} // namespace

// The titles the user reads over the main window and the program's dialogs, taken from the
// window system: the main window names the open page only, whatever was open before, and a
// dialog shows its own caption and nothing more. Run by CTest offscreen and, where Xvfb and
// xdotool are installed, on a virtual X display.
class TestWindowTitles : public QObject {
    Q_OBJECT

    std::unique_ptr<pellorin_test::WindowTitles> m_titles;
    std::unique_ptr<pellorin_test::ProgramDirs> m_dir;
    std::unique_ptr<Program> m_program;
    TMainFrm *form = nullptr;

    QString page(const QString &name) { return m_dir->copyOf(pellorin_test::kSamplePage, name); }

private slots:
    void init()
    {
        m_titles = std::make_unique<pellorin_test::WindowTitles>();
        m_dir = std::make_unique<pellorin_test::ProgramDirs>();
        m_program = std::make_unique<Program>(m_dir->options());
        form = m_program->mainForm();
        form->move(0, 0);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
    }
    void cleanup()
    {
        m_program.reset();
        form = nullptr;
        m_dir.reset();
        m_titles.reset();
    }

    void mainWindowNamesTheOpenPageOnly()
    {
        pellorin_test::PrompterGuard prompter;
        const QString first = page("first.wqf");
        const QString second = page("second.wqf");
        const QString renamed = m_dir->filePath("renamed.wqf");
        form->OpenFile(first);
        QCOMPARE(m_titles->shown(form), "Pellorin: " + first);
        form->OpenFile(second);
        QCOMPARE(m_titles->shown(form), "Pellorin: " + second);
        prompter->fileAnswers << renamed;
        part<QAction>(form, "mnuSaveAs")->trigger();
        QCOMPARE(form->openPage()->fileName(), renamed);
        QCOMPARE(m_titles->shown(form), "Pellorin: " + renamed);
        // The application's title follows the page too, for the boxes that name no caption.
        QCOMPARE(platform::applicationTitle(), QString("renamed.wqf"));
        QCOMPARE(prompter->prompts.size(), 0);
    }

    void dialogTitles_data()
    {
        QTest::addColumn<QString>("dialog");
        // Empty: the dialog's own caption, which the settings' version decides.
        QTest::addColumn<QString>("expected");
        QTest::newRow("close question") << "Exit"
                                        << "Exit";
        QTest::newRow("changed on disk") << "Changed"
                                         << "Changed";
        QTest::newRow("open dialog") << "Open"
                                     << "Open";
        QTest::newRow("save dialog") << "Save As"
                                     << "Save As";
        QTest::newRow("About box") << "About" << QString();
        QTest::newRow("message without caption") << "message"
                                                 << "customer_orders.wqf";
    }
    void dialogTitles()
    {
        QFETCH(QString, dialog);
        QFETCH(QString, expected);
        auto previous = setPrompter(std::make_unique<QtPrompter>());
        const QString path = page("customer_orders.wqf");
        form->OpenFile(path);
        QVERIFY(form->GetCurrentDoc());

        QString shown, own;
        whenDialogShows(this, [&](QDialog *box) {
            shown = m_titles->shown(box);
            own = box->windowTitle();
            box->reject();
        });
        if (dialog == "Exit") {
            form->SetModified(true);
            part<QAction>(form, "mnuExit")->trigger();
            QVERIFY(form->isVisible()); // cancelled
        } else if (dialog == "Changed") {
            touch(path, 10);
            form->CheckFileChanged();
        } else if (dialog == "Open") {
            part<QAction>(form, "mnuOpen")->trigger();
        } else if (dialog == "Save As") {
            part<QAction>(form, "mnuSaveAs")->trigger();
        } else if (dialog == "About") {
            part<QAction>(form, "mnAbout")->trigger();
        } else {
            form->OpenFile(m_dir->filePath("missing.wqf"));
        }
        setPrompter(std::move(previous));
        QVERIFY2(!own.isEmpty(), "no dialog showed");
        QCOMPARE(shown, expected.isEmpty() ? own : expected);
        QCOMPARE(shown, own);
    }
};

PELLORIN_TEST_CLASS(TestWindowTitles)
#include "test_windowtitles.moc"
