#pragma once
// Every message box, question and file dialog of the program goes through one prompter, so
// that tests can script the answers and read the exact texts. The program installs the one
// that shows real dialogs at start-up; the layers below the shell see only this interface.
#include <QFlags>
#include <QString>
#include <memory>

class QWidget;

enum class TPromptIcon { None, Information, Warning, Error, Question };

enum TPromptButton : unsigned {
    pbNone = 0,
    pbOK = 0x01,
    pbCancel = 0x02,
    pbYes = 0x04,
    pbNo = 0x08,
    pbAbort = 0x10,
    pbRetry = 0x20,
    pbIgnore = 0x40,
};
Q_DECLARE_FLAGS(TPromptButtons, TPromptButton)
Q_DECLARE_OPERATORS_FOR_FLAGS(TPromptButtons)

struct TPrompt {
    // Empty: the application's title (platform::ApplicationTitle).
    QString Caption;
    QString Text;
    TPromptIcon Icon = TPromptIcon::None;
    TPromptButtons Buttons = pbOK;
    // The button Enter presses; pbNone: the first of Buttons in the order above.
    TPromptButton Default = pbNone;
};

struct TFileDialogOptions {
    QString Caption;
    // Filter lines as file dialogs take them ("Pages (*.wqf);;All files (*)"); empty: none.
    QString Filter;
    QString Folder;
    QString FileName;
    // Appended to a typed name without extension (save dialogs only); without the dot.
    QString DefaultSuffix;
};

class TPrompter {
public:
    virtual ~TPrompter() = default;
    // The button the user chose; pbCancel (or the last button) when the box was closed.
    virtual TPromptButton Ask(QWidget *Parent, const TPrompt &Prompt) = 0;
    // The chosen file's path, empty when cancelled.
    virtual QString OpenFileName(QWidget *Parent, const TFileDialogOptions &Options) = 0;
    virtual QString SaveFileName(QWidget *Parent, const TFileDialogOptions &Options) = 0;
};

// Installs Prompter (none removes it) and answers the one it replaces.
std::unique_ptr<TPrompter> SetPrompter(std::unique_ptr<TPrompter> Prompter);
// The installed prompter; raises "Object reference is Nil" while none is installed.
TPrompter &Prompter();

// A box with Text, the application's title and an OK button.
void ShowMessage(const QString &Text, QWidget *Parent = nullptr);
