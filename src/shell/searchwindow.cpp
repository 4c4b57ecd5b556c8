// The find dialog.
#include "searchwindow.h"

#include "base/moduleslot.h"
#include "platform/keys.h"
#include "platform/slotguard.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace {
// Where the panel starts; the dialog is as high as the panel's bottom and this margin.
constexpr int kPanelTop = 88;
constexpr int kBelowPanel = 50;

WindowSlot<TSearchForm> g_form;
} // namespace

QString &LastSearch()
{
    static QString text;
    return text;
}

TSearchForm::TSearchForm(QWidget *parent) : QDialog(parent)
{
    g_form.constructed(this);
    setObjectName(QStringLiteral("SearchForm"));
    setWindowTitle(QStringLiteral("SearchForm"));
    resize(designWidth, designHeight);

    m_searchLabel = new QLabel(QStringLiteral("Search:"), this);
    m_searchLabel->setObjectName(QStringLiteral("Label1"));
    m_searchLabel->setGeometry(8, 12, 56, 17);
    m_searchEdit = new QLineEdit(this);
    m_searchEdit->setObjectName(QStringLiteral("edtSearch"));
    m_searchEdit->setGeometry(64, 8, 284, 23);
    m_searchLabel->setBuddy(m_searchEdit);
    m_wholeWordBox = new QCheckBox(QStringLiteral("&Whole Word"), this);
    m_wholeWordBox->setObjectName(QStringLiteral("chkWholeWord"));
    m_wholeWordBox->setGeometry(8, 40, 340, 21);
    m_caseSensitiveBox = new QCheckBox(QStringLiteral("&Case Sensitive"), this);
    m_caseSensitiveBox->setObjectName(QStringLiteral("chkCaseSensitive"));
    m_caseSensitiveBox->setGeometry(8, 62, 340, 21);
    m_customPanel = new QWidget(this);
    m_customPanel->setObjectName(QStringLiteral("CustomPanel"));
    m_customPanel->setGeometry(8, kPanelTop, 340, designHeight - kBelowPanel - kPanelTop);
    m_findButton = new QPushButton(QStringLiteral("Find"), this);
    m_findButton->setObjectName(QStringLiteral("Button1"));
    m_findButton->setDefault(true);

    setTabOrder(m_searchEdit, m_wholeWordBox);
    setTabOrder(m_wholeWordBox, m_caseSensitiveBox);
    setTabOrder(m_caseSensitiveBox, m_findButton);
    connect(m_findButton, &QPushButton::clicked, this, guarded([this] { Button1Click(); }));
    InitCustomPanel();
}

TSearchForm::~TSearchForm() { g_form.destroyed(this); }

void TSearchForm::Button1Click()
{
    LastSearch() = m_searchEdit->text();
    DoSearch();
    hide();
}

void TSearchForm::DoSearch()
{
    if (!OnFind)
        return;
    TSearchOptions options;
    options.SearchText = m_searchEdit->text();
    options.CaseSensitive = m_caseSensitiveBox->isChecked();
    options.WholeWord = m_wholeWordBox->isChecked();
    options.Extension = ExtObj.get();
    if (OnReadPanel) {
        // A panel that cannot be read leaves the extension's last setting.
        try {
            OnReadPanel(this, m_customPanel, ExtObj.get());
        } catch (const std::exception &) {}
    }
    LastOptions = options;
    // The callback may open the dialog again, which replaces the callbacks.
    const FindEvent find = OnFind;
    find(this, Target, options);
}

void TSearchForm::ClearCustomPanel()
{
    const QList<QWidget *> controls = m_customPanel->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (auto it = controls.crbegin(); it != controls.crend(); ++it)
        delete *it;
}

void TSearchForm::InitCustomPanel()
{
    // The find button sits below the panel, whatever the panel holds.
    auto place = [this] {
        const int panelBottom = m_customPanel->y() + m_customPanel->height();
        m_findButton->setGeometry((width() - 75) / 2, panelBottom + 12, 75, 25);
    };
    if (!OnInitPanel) {
        place();
        return;
    }
    try {
        ClearCustomPanel();
        OnInitPanel(this, m_customPanel, ExtObj);
        int bottom = 0;
        QWidget *previous = m_caseSensitiveBox;
        for (QWidget *control : m_customPanel->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            setTabOrder(previous, control);
            previous = control;
            bottom = std::max(bottom, control->y() + control->height());
        }
        setTabOrder(previous, m_findButton);
        m_customPanel->resize(m_customPanel->width(), bottom + 5);
        resize(width(), m_customPanel->y() + m_customPanel->height() + kBelowPanel);
    } catch (const std::exception &) {
        // A panel that cannot be built leaves the dialog usable without it.
    }
    place();
}

void TSearchForm::focusSearchText()
{
    m_searchEdit->setFocus();
    m_searchEdit->selectAll();
}

void TSearchForm::keyPressEvent(QKeyEvent *event)
{
    if (platform::virtualKeyFromEvent(*event) == VK_ESCAPE) {
        hide();
        return;
    }
    QDialog::keyPressEvent(event);
}

TSearchForm *searchForm() { return g_form.get(); }

TSearchForm *createSearchForm() { return g_form.create(); }

void freeSearchForm() { g_form.free(); }

TSearchForm *ShowSearchForm(TSearchForm::FindEvent onFind, TSearchForm::InitPanelEvent onInitPanel,
                            TSearchForm::ReadPanelEvent onReadPanel, QWidget *target)
{
    TSearchForm *form = createSearchForm();
    form->Target = target ? target : QApplication::focusWidget();
    form->OnFind = std::move(onFind);
    form->OnInitPanel = std::move(onInitPanel);
    form->OnReadPanel = std::move(onReadPanel);
    form->InitCustomPanel();
    form->show();
    form->raise();
    form->activateWindow();
    form->focusSearchText();
    return form;
}
