// The one door of every message box, question and file dialog.
#include "prompter.h"

#include "base/exception.h"
#include "base/moduleslot.h"

namespace {
ModuleSlot<Prompter> g_prompter;
}

std::unique_ptr<Prompter> setPrompter(std::unique_ptr<Prompter> next)
{
    std::unique_ptr<Prompter> replaced = g_prompter.take();
    g_prompter.reset(std::move(next));
    return replaced;
}

Prompter &prompter()
{
    if (!g_prompter)
        throw ERunError::nilReference();
    return *g_prompter;
}

void showMessage(const QString &text, QWidget *parent)
{
    Prompt prompt;
    prompt.text = text;
    prompter().ask(parent, prompt);
}
