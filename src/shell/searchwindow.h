#pragma once
// The find dialog: a search text, "Whole Word", "Case Sensitive" and a panel that the
// dialog's owner fills with controls of its own, kept in an extension object. "Find" hands
// the options to the owner's callback with the control the dialog was opened for.
#include "searchutils.h"

#include <QDialog>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TSearchForm : public QDialog {
    Q_OBJECT
public:
    using FindEvent = std::function<void(TSearchForm *Sender, QWidget *Target, const TSearchOptions &options)>;
    // Fills the panel; may make the extension.
    using InitPanelEvent =
        std::function<void(TSearchForm *Sender, QWidget *Panel, std::unique_ptr<TSearchExtension> &Extension)>;
    // Reads the panel into the extension.
    using ReadPanelEvent = std::function<void(TSearchForm *Sender, QWidget *Panel, TSearchExtension *Extension)>;

    explicit TSearchForm(QWidget *parent = nullptr);
    ~TSearchForm() override;

    // The design size; the height follows the extension panel.
    static constexpr int designWidth = 356;
    static constexpr int designHeight = 163;

    // "Find": remembers the text as LastSearch, searches, hides the dialog.
    void Button1Click();
    // The options of the controls to OnFind; nothing without OnFind.
    void DoSearch();
    // Rebuilds the extension panel through OnInitPanel and fits the dialog to it.
    void InitCustomPanel();
    // Frees the panel's controls, the last first.
    void ClearCustomPanel();
    // The search text gets the focus, all of it selected.
    void focusSearchText();

    // Made by OnInitPanel on first use and kept for the rest of the run.
    std::unique_ptr<TSearchExtension> ExtObj;
    TSearchOptions LastOptions;
    FindEvent OnFind;
    InitPanelEvent OnInitPanel;
    ReadPanelEvent OnReadPanel;
    // Where the search applies; none when no control had the focus or it is gone.
    QPointer<QWidget> Target;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QLabel *m_searchLabel;
    QLineEdit *m_searchEdit;
    QCheckBox *m_wholeWordBox;
    QCheckBox *m_caseSensitiveBox;
    QWidget *m_customPanel;
    QPushButton *m_findButton;
};

// The dialog while it exists; set before its constructor's steps run.
TSearchForm *searchForm();
// Makes the dialog once; it lives until freeSearchForm.
TSearchForm *createSearchForm();
void freeSearchForm();

// Opens the dialog (made when missing) for target, or for the focused control when none is
// given, with the three callbacks; rebuilds the panel, shows the dialog in front, not modal,
// with the search text selected. Texts, check boxes and extension keep their last state.
TSearchForm *ShowSearchForm(TSearchForm::FindEvent onFind, TSearchForm::InitPanelEvent onInitPanel,
                            TSearchForm::ReadPanelEvent onReadPanel, QWidget *target = nullptr);

// The text of the last Find; empty at start. Find Next searches for it.
QString &LastSearch();
