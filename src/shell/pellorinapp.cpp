#include "pellorinapp.h"

#include "base/exception.h"
#include "platform/prompter.h"

#include <cstdlib>
#include <exception>

QString UnhandledExceptionText(const QString &Message)
{
    return QStringLiteral("%1%2Press OK to ignore and risk data corruption.%3Press Abort to kill the program.")
        .arg(Message, QStringLiteral("\n\n"), QStringLiteral("\n"));
}

bool AskIgnoreException(const QString &Message, QWidget *Parent)
{
    TPrompt prompt;
    prompt.Text = UnhandledExceptionText(Message);
    prompt.Icon = TPromptIcon::Error;
    prompt.Buttons = pbOK | pbAbort;
    prompt.Default = pbOK;
    return Prompter().Ask(Parent, prompt) == pbOK;
}

TPellorinApplication::TPellorinApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool TPellorinApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const EAbort &) {
        // Ends a command silently.
    } catch (const Exception &e) {
        HandleException(e.message());
    } catch (const std::exception &e) {
        HandleException(QString::fromUtf8(e.what()));
    } catch (...) {
        HandleException(QStringLiteral("Unknown exception"));
    }
    return false;
}

void TPellorinApplication::HandleException(const QString &Message)
{
    bool ignore = false;
    try {
        ignore = AskIgnoreException(Message, activeWindow());
    } catch (...) {
        // No way to ask: ending is the only safe answer.
    }
    if (!ignore)
        std::_Exit(EXIT_FAILURE);
}
