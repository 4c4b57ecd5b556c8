#pragma once
// For programs nobody answers (benchmarks, a second instance): every box is printed and
// cancelled, every file dialog cancelled.
#include "platform/prompter.h"

#include <cstdio>

namespace pellorin_test {

class PrintingPrompter : public TPrompter {
public:
    TPromptButton Ask(QWidget *, const TPrompt &Prompt) override
    {
        std::fprintf(stderr, "asked: %s\n", qPrintable(Prompt.Text));
        return pbCancel;
    }
    QString OpenFileName(QWidget *, const TFileDialogOptions &) override { return QString(); }
    QString SaveFileName(QWidget *, const TFileDialogOptions &) override { return QString(); }
};

} // namespace pellorin_test
