// The application object and the last-resort handler.
#include "pellorinapp.h"

#include "base/exception.h"
#include "platform/prompter.h"

#include <cstdlib>
#include <exception>

QString unhandledExceptionText(const QString &message)
{
    return QStringLiteral("%1%2Press OK to ignore and risk data corruption.%3Press Abort to kill the program.")
        .arg(message, QStringLiteral("\n\n"), QStringLiteral("\n"));
}

bool askIgnoreException(const QString &message, QWidget *parent)
{
    Prompt prompt;
    prompt.text = unhandledExceptionText(message);
    prompt.icon = PromptIcon::Error;
    prompt.buttons = pbOK | pbAbort;
    prompt.defaultButton = pbOK;
    return prompter().ask(parent, prompt) == pbOK;
}

void handleCurrentException(QWidget *parent)
{
    QString message;
    try {
        throw;
    } catch (const EAbort &) {
        // Ends a command silently.
        return;
    } catch (...) {
        message = currentExceptionMessage();
    }
    bool ignore = false;
    try {
        ignore = askIgnoreException(message, parent);
    } catch (...) {
        // No way to ask: ending is the only safe answer.
    }
    if (!ignore)
        std::_Exit(EXIT_FAILURE);
}

PellorinApplication::PellorinApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool PellorinApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        handleCurrentException(activeWindow());
    }
    return false;
}
