// The search result window.
#include "searchresultformunit.h"

#include "base/moduleslot.h"
#include "base/textutils.h"
#include "platform/keys.h"
#include "platform/slotguard.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace {
// The bytes [from, to) of Text as text, without the pieces of characters cut at either end.
QString wholeCharacters(const QByteArray &text, qsizetype from, qsizetype to)
{
    while (from < to && isUtf8Continuation(text[from]))
        ++from;
    qsizetype lead = to;
    while (lead > from && isUtf8Continuation(text[lead - 1]))
        --lead;
    if (lead > from && lead - 1 + utf8SequenceLength(text[lead - 1]) > to)
        to = lead - 1;
    return QString::fromUtf8(text.constData() + from, to - from);
}

WindowSlot<TSearchResultForm> g_form;
} // namespace

QString searchResultLine(const TSearchResult &result, const QString &searched)
{
    QString line = result.Section;
    const qsizetype proc = line.indexOf(QLatin1String("proc"));
    if (proc >= 0)
        line.remove(proc, 4);
    if (!result.ItemName.isEmpty())
        line += QStringLiteral(": ") + result.ItemName;
    const QByteArray &text = result.Text;
    const qsizetype from = std::clamp<qsizetype>(result.Position - 6, 0, text.size());
    const qsizetype to = std::min(text.size(), from + searched.toUtf8().size() + 10);
    return line + QStringLiteral(" - ") + wholeCharacters(text, from, to);
}

TSearchResultForm::TSearchResultForm(QWidget *parent) : QWidget(parent, Qt::Window)
{
    g_form.constructed(this);
    setObjectName(QStringLiteral("searchresultform"));
    setWindowTitle(QStringLiteral("Search Result"));
    resize(320, 240);

    m_searchedLabel = new QLabel(QStringLiteral("Searched:"), this);
    m_searchedLabel->setObjectName(QStringLiteral("Label1"));
    m_searchedEdit = new QLineEdit(this);
    m_searchedEdit->setObjectName(QStringLiteral("Edit1"));
    m_searchedEdit->setReadOnly(true);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("ListBox1"));
    m_list->installEventFilter(this);
    m_closeButton = new QPushButton(QStringLiteral("Close"), this);
    m_closeButton->setObjectName(QStringLiteral("Button1"));

    auto *top = new QHBoxLayout;
    top->addWidget(m_searchedLabel);
    top->addWidget(m_searchedEdit, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(m_closeButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_list, 1);
    layout->addLayout(bottom);

    connect(m_list, &QListWidget::itemClicked, this, guarded([this] { chooseCurrent(); }));
    connect(m_list, &QListWidget::itemDoubleClicked, this, guarded([this] { chooseCurrent(); }));
    connect(m_closeButton, &QPushButton::clicked, this, &QWidget::hide);
}

TSearchResultForm::~TSearchResultForm() { g_form.destroyed(this); }

void TSearchResultForm::FillResults(const QString &searched, SearchResults results)
{
    m_list->clear();
    m_results = std::move(results);
    m_searchedEdit->setText(searched);
    for (size_t i = 0; i < m_results.size(); ++i) {
        // A row is one line: line breaks in the excerpt show as blanks.
        QString line = searchResultLine(m_results[i], searched);
        line.replace(u'\r', u' ').replace(u'\n', u' ');
        auto *row = new QListWidgetItem(line);
        row->setData(Qt::UserRole, qulonglong(i));
        m_list->addItem(row);
    }
}

QString TSearchResultForm::searched() const { return m_searchedEdit->text(); }

void TSearchResultForm::chooseCurrent()
{
    const QListWidgetItem *row = m_list->currentItem();
    if (!row || !OnSelect)
        return;
    bool ok = false;
    const qulonglong index = row->data(Qt::UserRole).toULongLong(&ok);
    if (!ok || index >= m_results.size())
        return;
    // The callback may start another search, which replaces the hits: hand it a copy.
    const TSearchResult chosen = m_results[size_t(index)];
    const SelectEvent select = OnSelect;
    select(this, chosen);
}

void TSearchResultForm::keyPressEvent(QKeyEvent *event)
{
    if (platform::virtualKeyFromEvent(*event) == VK_ESCAPE) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool TSearchResultForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const uint16_t key = platform::virtualKeyFromEvent(*static_cast<QKeyEvent *>(event));
        if (key == VK_RETURN || key == VK_SPACE) {
            chooseCurrent();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

TSearchResultForm *searchResultForm() { return g_form.get(); }

TSearchResultForm *createSearchResultForm() { return g_form.create(); }

void freeSearchResultForm() { g_form.free(); }

void ShowSearchResults(const QString &searched, SearchResults results, TSearchResultForm::SelectEvent onSelect)
{
    TSearchResultForm *form = createSearchResultForm();
    form->FillResults(searched, std::move(results));
    form->OnSelect = std::move(onSelect);
    form->show();
}
