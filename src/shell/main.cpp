// main(): the application object, the prompter with real dialogs, the program's modules and
// windows, and the event loop.
#include "base/exception.h"
#include "mainform.h"
#include "pellorinapp.h"
#include "platform/prompter.h"
#include "qtprompter.h"
#include "startup.h"

#include <exception>

int main(int argc, char **argv)
{
    PellorinApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pellorin"));
    setPrompter(std::make_unique<QtPrompter>());
    int result = 0;
    try {
        Program program;
        QObject::connect(program.mainForm(), &TMainFrm::closed, &app, [] { QCoreApplication::exit(0); });
        program.mainForm()->show();
        result = app.exec();
    } catch (const std::exception &) {
        // Start-up itself failed: there is no window to go on with.
        showMessage(currentExceptionMessage());
        result = 1;
    }
    setPrompter(nullptr);
    return result;
}
