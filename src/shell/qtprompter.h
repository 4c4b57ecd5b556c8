#pragma once
// The prompter that shows real message boxes and file dialogs.
#include "platform/prompter.h"

class QtPrompter : public Prompter {
public:
    PromptButton ask(QWidget *Parent, const Prompt &prompt) override;
    QString openFileName(QWidget *Parent, const FileDialogOptions &options) override;
    QString saveFileName(QWidget *Parent, const FileDialogOptions &options) override;
};
