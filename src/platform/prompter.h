#pragma once
// Every message box, question and file dialog of the program goes through one prompter, so
// that tests can script the answers and read the exact texts. The program installs the one
// that shows real dialogs at start-up; the layers below the shell see only this interface.
#include <QFlags>
#include <QString>
#include <memory>

class QWidget;

enum class PromptIcon { None, Information, Warning, Error, Question };

enum PromptButton : unsigned {
    pbNone = 0,
    pbOK = 0x01,
    pbCancel = 0x02,
    pbYes = 0x04,
    pbNo = 0x08,
    pbAbort = 0x10,
    pbRetry = 0x20,
    pbIgnore = 0x40,
};
Q_DECLARE_FLAGS(PromptButtons, PromptButton)
Q_DECLARE_OPERATORS_FOR_FLAGS(PromptButtons)

struct Prompt {
    // Empty: the application's title (platform::applicationTitle).
    QString caption;
    QString text;
    PromptIcon icon = PromptIcon::None;
    PromptButtons buttons = pbOK;
    // The button Enter presses; pbNone: the first of buttons in the order above.
    PromptButton defaultButton = pbNone;
};

struct FileDialogOptions {
    QString caption;
    // Filter lines as file dialogs take them ("Pages (*.wqf);;All files (*)"); empty: none.
    QString filter;
    QString folder;
    QString fileName;
    // Appended to a typed name without extension (save dialogs only); without the dot.
    QString defaultSuffix;
};

class Prompter {
public:
    virtual ~Prompter() = default;
    // The button the user chose; pbCancel (or the last button) when the box was closed.
    virtual PromptButton ask(QWidget *parent, const Prompt &prompt) = 0;
    // The chosen file's path, empty when cancelled.
    virtual QString openFileName(QWidget *parent, const FileDialogOptions &options) = 0;
    virtual QString saveFileName(QWidget *parent, const FileDialogOptions &options) = 0;
};

// Installs next (none removes it) and answers the one it replaces.
std::unique_ptr<Prompter> setPrompter(std::unique_ptr<Prompter> next);
// The installed prompter; raises "Object reference is Nil" while none is installed.
Prompter &prompter();

// A box with text, the application's title and an OK button.
void showMessage(const QString &text, QWidget *parent = nullptr);
