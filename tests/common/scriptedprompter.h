#pragma once
// A prompter for tests: records every box and file dialog and answers from a script.
#include "platform/prompter.h"

#include <QList>
#include <QStringList>
#include <memory>

namespace pellorin_test {

class ScriptedPrompter : public Prompter {
public:
    struct Asked {
        QString Caption;
        QString Text;
        PromptIcon Icon;
        PromptButtons Buttons;
        PromptButton Default;
    };

    // Answers in order; a box asked with none left is counted in Unanswered and gets pbCancel.
    QList<PromptButton> Answers;
    // Paths the file dialogs answer in order; empty: cancelled.
    QStringList FileAnswers;

    QList<Asked> Prompts;
    QList<FileDialogOptions> FileDialogs;
    int Unanswered = 0;

    PromptButton Ask(QWidget *, const Prompt &prompt) override
    {
        Prompts.append({prompt.Caption, prompt.Text, prompt.Icon, prompt.Buttons, prompt.Default});
        if (Answers.isEmpty()) {
            ++Unanswered;
            return pbCancel;
        }
        return Answers.takeFirst();
    }
    QString OpenFileName(QWidget *, const FileDialogOptions &Options) override { return fileAnswer(Options); }
    QString SaveFileName(QWidget *, const FileDialogOptions &Options) override { return fileAnswer(Options); }

private:
    QString fileAnswer(const FileDialogOptions &options)
    {
        FileDialogs.append(options);
        if (FileAnswers.isEmpty()) {
            ++Unanswered;
            return QString();
        }
        return FileAnswers.takeFirst();
    }
};

// Installs a scripted prompter for the guard's lifetime and puts the previous one back.
class PrompterGuard {
public:
    PrompterGuard()
    {
        auto own = std::make_unique<ScriptedPrompter>();
        m_prompter = own.get();
        m_previous = SetPrompter(std::move(own));
    }
    ~PrompterGuard() { SetPrompter(std::move(m_previous)); }
    PrompterGuard(const PrompterGuard &) = delete;
    PrompterGuard &operator=(const PrompterGuard &) = delete;

    ScriptedPrompter &operator*() const { return *m_prompter; }
    ScriptedPrompter *operator->() const { return m_prompter; }

private:
    ScriptedPrompter *m_prompter;
    std::unique_ptr<Prompter> m_previous;
};

} // namespace pellorin_test
