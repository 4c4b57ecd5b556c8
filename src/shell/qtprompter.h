#pragma once
// The prompter that shows real message boxes and file dialogs.
#include "platform/prompter.h"

class QtPrompter : public Prompter {
public:
    PromptButton Ask(QWidget *Parent, const Prompt &prompt) override;
    QString OpenFileName(QWidget *Parent, const FileDialogOptions &Options) override;
    QString SaveFileName(QWidget *Parent, const FileDialogOptions &Options) override;
};
