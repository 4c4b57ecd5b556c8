#pragma once
// The base of a test class of the started main window: folders of its own, a scripted
// prompter and, once started, the program with its main window. A test makes them in init()
// with prepare() and ends them in cleanup() with finish(), which fails the test when a scripted
// answer was never asked for.
#include "common/scriptedprompter.h"
#include "programdirs.h"
#include "shell/mainform.h"
#include "shell/startup.h"

#include <QObject>
#include <QStringList>
#include <QTest>
#include <memory>

namespace pellorin_test {
class WindowTest : public QObject {
protected:
    void prepare()
    {
        m_dir = std::make_unique<ProgramDirs>();
        m_prompter = std::make_unique<PrompterGuard>();
    }
    TMainFrm *startWith(const StartOptions &options)
    {
        m_program = std::make_unique<Program>(options);
        form = m_program->mainForm();
        return form;
    }
    // With these page files on the command line.
    TMainFrm *start(const QStringList &commandLine = {}) { return startWith(m_dir->options(commandLine)); }
    void stop()
    {
        m_program.reset();
        form = nullptr;
    }
    void finish()
    {
        stop();
        const int unanswered = m_prompter ? (*m_prompter)->unanswered : 0;
        m_prompter.reset();
        m_dir.reset();
        QCOMPARE(unanswered, 0);
    }

    ScriptedPrompter &prompter() const { return **m_prompter; }
    // The texts of the boxes asked so far.
    QStringList promptTexts() const
    {
        QStringList texts;
        for (const auto &asked : prompter().prompts)
            texts << asked.text;
        return texts;
    }

    std::unique_ptr<ProgramDirs> m_dir;
    std::unique_ptr<PrompterGuard> m_prompter;
    std::unique_ptr<Program> m_program;
    TMainFrm *form = nullptr;
};
} // namespace pellorin_test
