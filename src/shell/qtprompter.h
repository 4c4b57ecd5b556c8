#pragma once
// The prompter that shows real message boxes and file dialogs.
#include "platform/prompter.h"

class TQtPrompter : public TPrompter {
public:
    TPromptButton Ask(QWidget *Parent, const TPrompt &Prompt) override;
    QString OpenFileName(QWidget *Parent, const TFileDialogOptions &Options) override;
    QString SaveFileName(QWidget *Parent, const TFileDialogOptions &Options) override;
};
