#include "prompter.h"

#include "base/exception.h"
#include "base/moduleslot.h"

namespace {
ModuleSlot<TPrompter> g_prompter;
}

std::unique_ptr<TPrompter> SetPrompter(std::unique_ptr<TPrompter> Prompter)
{
    std::unique_ptr<TPrompter> replaced = g_prompter.take();
    g_prompter.reset(std::move(Prompter));
    return replaced;
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
