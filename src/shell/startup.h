#pragma once
// The program's start-up and shut-down, shared by main() and the tests.
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class TMainFrm;

struct StartOptions {
    // Empty: the per-user configuration folder.
    QString configDir;
    // Empty: the program's own file name (argument 0); the settings file is named after it.
    QString programFileName;
    // The program's folder, where the description folders lie; empty: the program's own.
    QString programFolder;
    // None: the program's own arguments.
    std::optional<QStringList> commandLine;
};

// The options with the program folder named, ending with "/": the program's own for none.
// The one place where the program folder is decided; everything after takes it as given.
StartOptions withProgramFolder(StartOptions options);
// Sets the modules up in start-up order; the application object must exist. options as
// withProgramFolder gives them.
void initModules(const StartOptions &options);
// Finalises them in reverse order: the options are written, the settings file closed, the
// plug-ins freed.
void doneModules();

// One run of the program: the modules and then the windows (main window, find dialog, the
// empty form2, Preferences, search results), in order; destroyed in reverse, so the windows store their
// state before the options are written.
class Program {
public:
    explicit Program(const StartOptions &options = StartOptions());
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    TMainFrm *mainForm() const { return m_mainForm.get(); }

private:
    void freeWindows();

    std::unique_ptr<TMainFrm> m_mainForm;
};
