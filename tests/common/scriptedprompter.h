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
        QString caption;
        QString text;
        PromptIcon icon;
        PromptButtons buttons;
        PromptButton defaultButton;
    };

    // answers in order; a box asked with none left is counted in unanswered and gets pbCancel.
    QList<PromptButton> answers;
    // Paths the file dialogs answer in order; empty: cancelled.
    QStringList fileAnswers;

    QList<Asked> prompts;
    QList<FileDialogOptions> fileDialogs;
    int unanswered = 0;

    PromptButton ask(QWidget *, const Prompt &prompt) override
    {
        prompts.append({prompt.caption, prompt.text, prompt.icon, prompt.buttons, prompt.defaultButton});
        if (answers.isEmpty()) {
            ++unanswered;
            return pbCancel;
        }
        return answers.takeFirst();
    }
    QString openFileName(QWidget *, const FileDialogOptions &options) override { return fileAnswer(options); }
    QString saveFileName(QWidget *, const FileDialogOptions &options) override { return fileAnswer(options); }

private:
    QString fileAnswer(const FileDialogOptions &options)
    {
        fileDialogs.append(options);
        if (fileAnswers.isEmpty()) {
            ++unanswered;
            return QString();
        }
        return fileAnswers.takeFirst();
    }
};

// Installs a scripted prompter for the guard's lifetime and puts the previous one back.
class PrompterGuard {
public:
    PrompterGuard()
    {
        auto own = std::make_unique<ScriptedPrompter>();
        m_prompter = own.get();
        m_previous = setPrompter(std::move(own));
    }
    ~PrompterGuard() { setPrompter(std::move(m_previous)); }
    PrompterGuard(const PrompterGuard &) = delete;
    PrompterGuard &operator=(const PrompterGuard &) = delete;

    ScriptedPrompter &operator*() const { return *m_prompter; }
    ScriptedPrompter *operator->() const { return m_prompter; }

private:
    ScriptedPrompter *m_prompter;
    std::unique_ptr<Prompter> m_previous;
};

} // namespace pellorin_test
