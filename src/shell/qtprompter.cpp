// The prompter with real dialogs.
#include "qtprompter.h"

#include "platform/apptitle.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include <array>
#include <utility>

namespace {
// In the order in which a box without a named default takes its first button.
constexpr std::array<std::pair<PromptButton, QMessageBox::StandardButton>, 7> kButtons{{
    {pbOK, QMessageBox::Ok},
    {pbCancel, QMessageBox::Cancel},
    {pbYes, QMessageBox::Yes},
    {pbNo, QMessageBox::No},
    {pbAbort, QMessageBox::Abort},
    {pbRetry, QMessageBox::Retry},
    {pbIgnore, QMessageBox::Ignore},
}};

QMessageBox::Icon toQtIcon(PromptIcon icon)
{
    switch (icon) {
    case PromptIcon::Information:
        return QMessageBox::Information;
    case PromptIcon::Warning:
        return QMessageBox::Warning;
    case PromptIcon::Error:
        return QMessageBox::Critical;
    case PromptIcon::Question:
        return QMessageBox::Question;
    case PromptIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QString captionOf(const QString &caption) { return caption.isEmpty() ? platform::applicationTitle() : caption; }

QString runFileDialog(QWidget *parent, const FileDialogOptions &options, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, options.caption, options.folder, options.filter);
    dialog.setAcceptMode(mode);
    // A typed name need not exist: the opener completes a name without extension itself.
    dialog.setFileMode(QFileDialog::AnyFile);
    if (mode == QFileDialog::AcceptSave)
        dialog.setDefaultSuffix(options.defaultSuffix);
    if (!options.fileName.isEmpty())
        dialog.selectFile(options.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}
} // namespace

PromptButton QtPrompter::ask(QWidget *parent, const Prompt &prompt)
{
    QMessageBox box(toQtIcon(prompt.icon), captionOf(prompt.caption), prompt.text, QMessageBox::NoButton, parent);
    const PromptButtons buttons = prompt.buttons ? prompt.buttons : PromptButtons(pbOK);
    PromptButton fallback = pbNone;
    for (const auto &[ours, qt] : kButtons) {
        if (!buttons.testFlag(ours))
            continue;
        box.addButton(qt);
        if (fallback == pbNone)
            fallback = ours;
        if (ours == prompt.defaultButton)
            box.setDefaultButton(qt);
    }
    const auto answer = QMessageBox::StandardButton(box.exec());
    for (const auto &[ours, qt] : kButtons)
        if (qt == answer)
            return ours;
    // Closed without a button: the box's escape answer.
    return buttons.testFlag(pbCancel) ? pbCancel : buttons.testFlag(pbNo) ? pbNo : fallback;
}

QString QtPrompter::openFileName(QWidget *parent, const FileDialogOptions &options)
{
    return runFileDialog(parent, options, QFileDialog::AcceptOpen);
}

QString QtPrompter::saveFileName(QWidget *parent, const FileDialogOptions &options)
{
    return runFileDialog(parent, options, QFileDialog::AcceptSave);
}
