#include "prompter.h"

#include "base/exception.h"

namespace {
std::unique_ptr<TPrompter> g_prompter;
}

std::unique_ptr<TPrompter> SetPrompter(std::unique_ptr<TPrompter> Prompter)
{
    std::swap(g_prompter, Prompter);
    return Prompter;
}

TPrompter &Prompter()
{
    if (!g_prompter)
        throw ERunError::nilReference();
    return *g_prompter;
}

void ShowMessage(const QString &Text, QWidget *Parent)
{
    TPrompt prompt;
    prompt.Text = Text;
    Prompter().Ask(Parent, prompt);
}
