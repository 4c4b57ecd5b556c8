#pragma once
// The prompter that shows real message boxes and file dialogs.
#include "platform/prompter.h"

class QtPrompter : public Prompter {
public:
    PromptButton ask(QWidget *parent, const Prompt &prompt) override;
    QString openFileName(QWidget *parent, const FileDialogOptions &options) override;
    QString saveFileName(QWidget *parent, const FileDialogOptions &options) override;
};
