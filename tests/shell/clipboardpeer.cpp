// A second instance of the program for the clipboard test: it starts the editor on a page,
// waits until the clipboard holds text, pastes it into the pre-process diagram through the
// Edit menu, saves the page under another name and ends.
//   clipboard_peer <config folder> <page> <saved page>
// It prints the diagnostics of the paste and any message it was shown; exit code 0 when the
// page was saved.
#include "common/printingprompter.h"
#include "shell/globaloptions.h"
#include "shell/mainform.h"
#include "shell/openpage.h"
#include "shell/startup.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QThread>
#include <QWindow>
#include <cstdio>
#include <functional>

namespace {

bool waitFor(const std::function<bool()> &done, int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
    return true;
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: clipboard_peer <config folder> <page> <saved page>\n");
        return 2;
    }
    setPrompter(std::make_unique<pellorin_test::PrintingPrompter>());
    int result = 1;
    {
        StartOptions options;
        options.configDir = args[1];
        options.programFileName = QStringLiteral("pellorin");
        options.commandLine = QStringList{args[2]};
        Program program(options);
        TMainFrm *form = program.mainForm();
        OptionStore().SetDbgClip(true);
        form->findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(0);
        form->show();
        // No window manager: the window takes the input focus itself once it is mapped.
        const bool shown = waitFor([form] { return form->windowHandle() && form->windowHandle()->isExposed(); }, 10000);
        form->activateWindow();
        if (!shown || !waitFor([form] { return QApplication::activeWindow() == form; }, 10000))
            std::fprintf(stderr, "the window did not become active\n");
        else if (!waitFor([] { return !QGuiApplication::clipboard()->text().isEmpty(); }, 10000))
            std::fprintf(stderr, "the clipboard stayed empty\n");
        else {
            form->findChild<QAction *>(QStringLiteral("mnuMainPaste"))->trigger();
            for (const QString &line : form->messageLines())
                std::fprintf(stdout, "%s\n", qPrintable(line));
            if (form->openPage()->isModified() && form->SaveFile(args[3]))
                result = 0;
            form->SetModified(false);
        }
    }
    setPrompter(nullptr);
    return result;
}
