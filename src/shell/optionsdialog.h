#pragma once
// The Preferences dialog: the options of the "Global" section and the enabled state and run
// order of the check plug-ins, edited in memory; the option store writes them at shut-down.
// Created at start-up, hidden, shown modally by Tools > "Preferences".
#include <QDialog>
#include <QList>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class TGlobalOptions;
class TWarningPlugin;

// Enabled and Priority of each plug-in (registration order, I its index, N their number)
// from its class's keys: enabled when missing, I + N when missing or not a number.
void applyCheckSettings(const QList<TWarningPlugin *> &plugins, const TGlobalOptions &options);

class TGlobalOptForm : public QDialog {
    Q_OBJECT
public:
    explicit TGlobalOptForm(QWidget *parent = nullptr);
    ~TGlobalOptForm() override;

    static constexpr int designWidth = 417;
    static constexpr int designHeight = 452;

    // The controls from the option store.
    void LoadOptions();
    // The option store from the controls; OK runs it before the dialog closes.
    void SaveOptions();
    // The check plug-ins in priority order, renumbered 0, 1, 2, ... as they are listed.
    void FillWarnList();
    void SaveWarnList();
    // The selected row one place up or down.
    void PriorUpClick();
    void PriorDwnClick();
    // The page-option presets: they set the three check boxes only.
    void btnDefPellorinClick();
    void btnDefMorivaneClick();
    // Leaving "Vertical Margin": its text as a number, 600 when it is none.
    void Edit1Exit();

    void done(int result) override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *createFilesTab();
    QWidget *createVisualTab();
    QWidget *createMessagesTab();
    void moveRow(int from, int to);
    void placeButtons();

    QWidget *m_panel;
    QTabWidget *m_pages;
    QPushButton *m_okButton;
    QPushButton *m_cancelButton;
    // "Files".
    QComboBox *m_readOnlyCombo;
    QCheckBox *m_backupBox;
    QLineEdit *m_backupPathEdit;
    QCheckBox *m_forceCdataBox;
    QCheckBox *m_whitespaceBox;
    QCheckBox *m_forceHeaderBox;
    QCheckBox *m_removeEolBox;
    QPushButton *m_classicButton;
    QPushButton *m_compatButton;
    // "Visual".
    QLineEdit *m_marginEdit;
    QComboBox *m_arrowCombo;
    // "Messages".
    QListWidget *m_checkList;
    QPushButton *m_upButton;
    QPushButton *m_downButton;
    QCheckBox *m_debugBox;
    // Only a dialog that was shown has bounds of its own to keep.
    bool m_shown = false;
};

// The dialog while it exists; set before its constructor's steps run.
TGlobalOptForm *globalOptForm();
// Makes the dialog once; it lives until freeGlobalOptForm, which stores its bounds.
TGlobalOptForm *createGlobalOptForm();
void freeGlobalOptForm();

// Fills the dialog (made when missing) from the options and shows it modally.
void ShowPreferences();
// Queues the Tools entry "Preferences" (Ctrl+P); the menu queue must exist.
void initOptionsDialog();
