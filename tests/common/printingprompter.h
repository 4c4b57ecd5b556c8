#pragma once
// For programs nobody answers (benchmarks, a second instance): every box is printed and
// cancelled, every file dialog cancelled.
#include "platform/prompter.h"

#include <cstdio>

namespace pellorin_test {

class PrintingPrompter : public Prompter {
public:
    PromptButton ask(QWidget *, const Prompt &prompt) override
    {
        std::fprintf(stderr, "asked: %s\n", qPrintable(prompt.text));
        return pbCancel;
    }
    QString openFileName(QWidget *, const FileDialogOptions &) override { return QString(); }
    QString saveFileName(QWidget *, const FileDialogOptions &) override { return QString(); }
};

} // namespace pellorin_test
