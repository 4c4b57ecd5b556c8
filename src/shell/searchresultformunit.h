#pragma once
// The search result window: one line per hit of the last search over the page; choosing a
// line hands its hit to the window's owner. Created at start-up, hidden when closed.
#include <QByteArray>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// One hit.
class TSearchResult {
public:
    TSearchResult(QString section, QString itemName, QString key, QByteArray text, qsizetype position)
        : Section(std::move(section)), ItemName(std::move(itemName)), Key(std::move(key)), Text(std::move(text)),
          Position(position)
    {}

    // "preproc", "postproc", another section's name, or "html".
    QString Section;
    // Empty for an HTML hit.
    QString ItemName;
    // The element key of the text (name and occurrence); empty for an HTML hit.
    QString Key;
    // The whole text the hit lies in, case unchanged, as UTF-8 (HTML hits share one copy).
    QByteArray Text;
    // 1-based byte position of the hit in Text; for an HTML hit one more than that.
    qsizetype Position;
};
using SearchResults = std::vector<TSearchResult>;

// The list line of a hit: the section with its first "proc" removed, ": " and the component
// for a component hit, " - " and the bytes of Text from Position - 5 (the first byte at
// least), as many as searched has plus 10 or up to the end. A character cut in two at either
// end of that excerpt is left out rather than shown broken.
QString searchResultLine(const TSearchResult &result, const QString &searched);

class TSearchResultForm : public QWidget {
    Q_OBJECT
public:
    using SelectEvent = std::function<void(TSearchResultForm *Sender, const TSearchResult &result)>;

    explicit TSearchResultForm(QWidget *parent = nullptr);
    ~TSearchResultForm() override;

    // Replaces the hits and their lines (line breaks shown as blanks) and shows searched; the
    // window owns the new hits.
    void FillResults(const QString &searched, SearchResults results);
    const SearchResults &Results() const { return m_results; }
    // The text the hits were searched for, as the window shows it.
    QString searched() const;
    // The hit of the list's current line to OnSelect, when there is one.
    void chooseCurrent();

    SelectEvent OnSelect;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *m_searchedLabel;
    QLineEdit *m_searchedEdit;
    QListWidget *m_list;
    QPushButton *m_closeButton;
    SearchResults m_results;
};

// The window while it exists; set before its constructor's steps run.
TSearchResultForm *searchResultForm();
// Makes the window once; it lives until freeSearchResultForm.
TSearchResultForm *createSearchResultForm();
void freeSearchResultForm();

// Fills the window (made when missing) with the hits, which it takes over, sets onSelect and
// shows the window, not modal.
void ShowSearchResults(const QString &searched, SearchResults results, TSearchResultForm::SelectEvent onSelect);
