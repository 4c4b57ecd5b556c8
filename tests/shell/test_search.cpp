#include "base/exception.h"
#include "common/pagefixture.h"
#include "common/scriptedprompter.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "editors/lclgrapheditor.h"
#include "editors/wqfeditors.h"
#include "programdirs.h"
#include "shell/mainform.h"
#include "shell/openpage.h"
#include "shell/pagesearch.h"
#include "shell/searchresultformunit.h"
#include "shell/searchwindow.h"
#include "shell/startup.h"
#include "shell/texttabs.h"
#include "testwindow.h"
#include "windowparts.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>

#include <array>
#include <stdexcept>

namespace {
// The window's search host, recording the components it is asked to select.
class RecordingSearchHost : public WidgetSearchHost {
public:
    RecordingSearchHost(WindowHost &window, QStringList &names) : WidgetSearchHost(window), m_names(names) {}
    void selectItemByName(const QString &name) override
    {
        m_names << name;
        WidgetSearchHost::selectItemByName(name);
    }

private:
    QStringList &m_names;
};

// A page file in the folder with those components in "preproc"; its path.
QString writtenPage(const pellorin_test::ProgramDirs &dirs, const QByteArray &components)
{
    const QString path = dirs.filePath("page.wqf");
    pellorin_test::writeBytes(path, "<wqf><function><fn>f</fn></function><preproc>" + components +
                                        "</preproc><postproc/></wqf>");
    return path;
}

// Records what the search asks of the main window.
class FakeHost : public SearchHost {
public:
    std::unique_ptr<TWQFFile> page;
    QByteArray html;
    QStringList calls;

    TWQFFile *searchPage() override { return page.get(); }
    QByteArray htmlEditorText() override { return html; }
    void selectHtmlText(qsizetype start, qsizetype length) override
    {
        calls << QStringLiteral("select %1 %2").arg(start).arg(length);
    }
    void showSectionTab(const QString &sectionName) override { calls << "tab " + sectionName; }
    void selectItemByName(const QString &name) override { calls << "item " + name; }
    QWidget *messageParent() override { return nullptr; }
};

const QByteArray kComponents = "<c><n>12</n><t>SELECTQUERY</t><values><query>SELECT name FROM customers</query>"
                               "</values></c><c><n>3</n><t>SET</t><values><v>Customer</v></values></c>";

template <class T> T *child(QWidget *parent, const char *name)
{
    T *found = parent->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no %s", name);
    return found;
}

QStringList lines(TSearchResultForm *form)
{
    QStringList out;
    auto *list = child<QListWidget>(form, "ListBox1");
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

void clickRow(TSearchResultForm *form, int row, bool twice)
{
    auto *list = child<QListWidget>(form, "ListBox1");
    const QPoint at = list->visualItemRect(list->item(row)).center();
    // A double-click is a click, then the second press.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (twice)
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

qsizetype firstStarting(const QStringList &list, const QString &prefix)
{
    for (qsizetype i = 0; i < list.size(); ++i)
        if (list[i].startsWith(prefix))
            return i;
    return -1;
}

// The focus chain from a widget on, widgets the Tab key stops at.
QStringList tabChain(QWidget *from, int count)
{
    QStringList out;
    QWidget *w = from;
    while (out.size() < count) {
        if (w->focusPolicy() & Qt::TabFocus)
            out << w->objectName();
        w = w->nextInFocusChain();
        if (w == from)
            break;
    }
    return out;
}
} // namespace

class TestSearch : public QObject {
    Q_OBJECT

    std::unique_ptr<pellorin_test::PrompterGuard> m_prompter;
    FakeHost *m_host = nullptr;
    std::unique_ptr<PageSearch> m_search;

    // The dialog opened by the page search for Target, its text and boxes set.
    TSearchForm *openDialog(QWidget *target, const QString &text, bool inComponents, bool caseSensitive = false,
                            bool wholeWord = false)
    {
        m_search->showFindDialog();
        TSearchForm *form = searchForm();
        form->Target = target;
        child<QLineEdit>(form, "edtSearch")->setText(text);
        child<QCheckBox>(form, "SearchInComp")->setChecked(inComponents);
        child<QCheckBox>(form, "chkCaseSensitive")->setChecked(caseSensitive);
        child<QCheckBox>(form, "chkWholeWord")->setChecked(wholeWord);
        return form;
    }

private slots:
    void init()
    {
        m_prompter = std::make_unique<pellorin_test::PrompterGuard>();
        auto host = std::make_unique<FakeHost>();
        m_host = host.get();
        m_search = std::make_unique<PageSearch>(std::move(host));
    }
    void cleanup()
    {
        QCOMPARE((*m_prompter)->unanswered, 0);
        m_search.reset();
        freeSearchForm();
        freeSearchResultForm();
        m_prompter.reset();
        LastSearch().clear();
    }

    void dialogDesign()
    {
        TSearchForm *form = createSearchForm();
        QCOMPARE(searchForm(), form);
        QCOMPARE(createSearchForm(), form); // made once
        QCOMPARE(form->objectName(), QString("SearchForm"));
        QCOMPARE(form->windowTitle(), QString("SearchForm"));
        QCOMPARE(form->size(), QSize(356, 163));
        QCOMPARE(child<QLabel>(form, "Label1")->text(), QString("Search:"));
        QCOMPARE(child<QCheckBox>(form, "chkWholeWord")->text(), QString("&Whole Word"));
        QCOMPARE(child<QCheckBox>(form, "chkCaseSensitive")->text(), QString("&Case Sensitive"));
        auto *find = child<QPushButton>(form, "Button1");
        QCOMPARE(find->text(), QString("Find"));
        QVERIFY(find->isDefault());
        QWidget *panel = child<QWidget>(form, "CustomPanel");
        QVERIFY(panel->children().isEmpty());

        // The page's panel: one check box, the panel and the dialog fitted to it.
        m_search->showFindDialog();
        QVERIFY(form->isVisible());
        QVERIFY(!form->isModal());
        auto *box = child<QCheckBox>(panel, "SearchInComp");
        QCOMPARE(box->parentWidget(), panel);
        QCOMPARE(box->text(), QString("&Search in all WQF components"));
        QCOMPARE(box->pos(), QPoint(0, 0));
        QCOMPARE(panel->height(), box->height() + 5);
        QCOMPARE(form->height(), panel->y() + panel->height() + 50);
        QVERIFY(find->y() >= panel->y() + panel->height());
        QVERIFY(find->y() + find->height() <= form->height());
        QCOMPARE(tabChain(child<QLineEdit>(form, "edtSearch"), 5),
                 QStringList({"edtSearch", "chkWholeWord", "chkCaseSensitive", "SearchInComp", "Button1"}));
        QVERIFY(form->findChildren<QCheckBox *>("SearchInComp").size() == 1);

        // Opened again: the panel is built anew, one box still.
        m_search->showFindDialog();
        QCOMPARE(form->findChildren<QCheckBox *>("SearchInComp").size(), 1);
    }

    void dialogKeepsItsState()
    {
        m_host->page = pellorin_test::pageWith(kComponents);
        QLineEdit target;
        TSearchForm *form = openDialog(&target, "customer", true, false, true);
        TSearchExtension *extension = form->ExtObj.get();
        QVERIFY(dynamic_cast<TWQFSearchExtension *>(extension));
        child<QPushButton>(form, "Button1")->click();
        QVERIFY(!form->isVisible()); // Find closes the dialog
        QCOMPARE(LastSearch(), QString("customer"));
        QVERIFY(static_cast<TWQFSearchExtension *>(extension)->SearchInComp);
        QCOMPARE(form->LastOptions.SearchText, QString("customer"));
        QVERIFY(!form->LastOptions.CaseSensitive && form->LastOptions.WholeWord);
        QCOMPARE(form->LastOptions.Extension, extension);

        QCOMPARE(lines(searchResultForm()), QStringList{"pre: 3 - Customer"});
        m_search->showFindDialog();
        QCOMPARE(form->ExtObj.get(), extension);
        QVERIFY(child<QCheckBox>(form, "SearchInComp")->isChecked());
        QVERIFY(child<QCheckBox>(form, "chkWholeWord")->isChecked());
        QCOMPARE(child<QLineEdit>(form, "edtSearch")->text(), QString("customer"));
        QCOMPARE(child<QLineEdit>(form, "edtSearch")->selectedText(), QString("customer"));
        searchResultForm()->hide();
    }

    void escapeHidesTheDialog()
    {
        m_search->showFindDialog();
        TSearchForm *form = searchForm();
        QTest::keyClick(child<QLineEdit>(form, "edtSearch"), Qt::Key_Escape);
        QVERIFY(!form->isVisible());
    }

    void findInTextEditor_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<bool>("wholeWord");
        QTest::addColumn<QStringList>("selections");
        // From the caret on, one Find after the other; whole words make no difference.
        QTest::newRow("case ignored") << "two" << false << false << QStringList{"0:4-7", "0:8-11", "1:0-3", "1:0-3"};
        QTest::newRow("case kept") << "two" << true << false << QStringList{"0:8-11", "0:8-11"};
        QTest::newRow("whole word not used") << "tw" << false << true << QStringList{"0:4-6", "0:8-10", "1:0-2"};
    }
    void findInTextEditor()
    {
        QFETCH(QString, text);
        QFETCH(bool, caseSensitive);
        QFETCH(bool, wholeWord);
        QFETCH(QStringList, selections);
        QsciScintilla editor;
        editor.setText("one Two two\nTWO");
        editor.setCursorPosition(0, 0);
        QStringList found;
        for (int i = 0; i < selections.size(); ++i) {
            TSearchForm *form = openDialog(&editor, text, false, caseSensitive, wholeWord);
            child<QPushButton>(form, "Button1")->click();
            int l1, i1, l2, i2;
            editor.getSelection(&l1, &i1, &l2, &i2);
            found << QStringLiteral("%1:%2-%3").arg(l1).arg(i1).arg(i2);
        }
        QCOMPARE(found, selections);
        QVERIFY(!searchResultForm() || !searchResultForm()->isVisible());
        QCOMPARE((*m_prompter)->prompts.size(), 0); // nothing said when nothing more is found
    }

    void findNext()
    {
        QsciScintilla editor;
        editor.setText("<div>x</DIV>");
        LastSearch() = "div";
        m_search->findNext(&editor);
        QCOMPARE(editor.selectedText(), QString("div"));
        m_search->findNext(&editor);
        QCOMPARE(editor.selectedText(), QString("DIV"));
        QLineEdit box("div div");
        box.setCursorPosition(0);
        m_search->findNext(&box);
        QVERIFY(!box.hasSelectedText());
    }

    void nothingWithoutTarget()
    {
        m_host->page = pellorin_test::pageWith(kComponents);
        TSearchForm *form = openDialog(nullptr, "customer", true);
        child<QPushButton>(form, "Button1")->click();
        QVERIFY(!searchResultForm() || !searchResultForm()->isVisible());
        QCOMPARE((*m_prompter)->prompts.size(), 0);
        QVERIFY(m_host->calls.isEmpty());
        QCOMPARE(LastSearch(), QString("customer"));
    }

    void noMatches()
    {
        m_host->page = pellorin_test::pageWith(kComponents);
        m_host->html = "<p>nothing here</p>";
        (*m_prompter)->answers << pbOK;
        QLineEdit target;
        child<QPushButton>(openDialog(&target, "invoice", true), "Button1")->click();
        QCOMPARE((*m_prompter)->prompts.size(), 1);
        QCOMPARE((*m_prompter)->prompts[0].text, QString("No matches found"));
        QVERIFY(!searchResultForm() || !searchResultForm()->isVisible());

        // Without a page nothing is searched, so nothing is found either.
        m_host->page.reset();
        m_host->html = "invoice";
        (*m_prompter)->answers << pbOK;
        child<QPushButton>(openDialog(&target, "invoice", true), "Button1")->click();
        QCOMPARE((*m_prompter)->prompts.size(), 2);
    }

    void resultWindow()
    {
        m_host->page = pellorin_test::loadPage("<wqf><preproc>" + kComponents +
                                               "</preproc><postproc><c><n>0</n><t>IF</t><values><v>x = 1</v></values>"
                                               "</c><c><n>1</n><t>SET</t><c>customer note</c></c></postproc></wqf>");
        m_host->html = "<p>\xc3\xa4 customer</p><b>CUSTOMER</b>";
        QLineEdit target;
        child<QPushButton>(openDialog(&target, "customer", true), "Button1")->click();
        TSearchResultForm *results = searchResultForm();
        QVERIFY(results && results->isVisible());
        QCOMPARE(results->objectName(), QString("searchresultform"));
        QCOMPARE(results->windowTitle(), QString("Search Result"));
        QCOMPARE(results->size(), QSize(320, 240));
        QCOMPARE(child<QLabel>(results, "Label1")->text(), QString("Searched:"));
        QCOMPARE(child<QLineEdit>(results, "Edit1")->text(), QString("customer"));
        QVERIFY(child<QLineEdit>(results, "Edit1")->isReadOnly());
        QCOMPARE(child<QPushButton>(results, "Button1")->text(), QString("Close"));
        QCOMPARE(lines(results),
                 QStringList({"pre: 12 - FROM customers", "pre: 3 - Customer", "post: 1 - customer note",
                              "html - >\u00e4 customer</p><b", "html - ><b>CUSTOMER</b>"}));
        QCOMPARE(results->Results().size(), size_t(5));

        // A component: its tab and its name; an HTML hit: the matched bytes.
        clickRow(results, 0, false);
        clickRow(results, 2, true);
        clickRow(results, 3, false);
        QCOMPARE(m_host->calls, QStringList({"tab preproc", "item 12", "tab postproc", "item 1", "tab postproc",
                                             "item 1", "tab html", "select 6 8"}));
        m_host->calls.clear();
        auto *list = child<QListWidget>(results, "ListBox1");
        list->setCurrentRow(4);
        QTest::keyClick(list, Qt::Key_Return);
        list->setCurrentRow(1);
        QTest::keyClick(list, Qt::Key_Space);
        QCOMPARE(m_host->calls, QStringList({"tab html", "select 21 8", "tab preproc", "item 3"}));
        QVERIFY(results->isVisible()); // open after a choice

        QTest::keyClick(list, Qt::Key_Escape);
        QVERIFY(!results->isVisible());
        // Search > "Search Result": the same hits again.
        m_search->showLastResults();
        QVERIFY(results->isVisible());
        QCOMPARE(lines(results).size(), 5);
        child<QPushButton>(results, "Button1")->click();
        QVERIFY(!results->isVisible());

        // A hit chosen after the page was closed shows nothing.
        m_host->page.reset();
        m_host->calls.clear();
        m_search->showLastResults();
        clickRow(results, 0, false);
        QVERIFY(m_host->calls.isEmpty());
        results->hide();
    }

    void panelCallbacksMayFail()
    {
        int finds = 0;
        bool inComponents = false;
        auto onFind = [&](TSearchForm *, QWidget *, const TSearchOptions &options) {
            ++finds;
            inComponents = static_cast<TWQFSearchExtension *>(options.Extension)->SearchInComp;
        };
        auto init = [&](TSearchForm *sender, QWidget *panel, std::unique_ptr<TSearchExtension> &extension) {
            m_search->initSearchPanel(sender, panel, extension);
        };
        auto read = [&](TSearchForm *sender, QWidget *panel, TSearchExtension *extension) {
            m_search->readSearchPanel(sender, panel, extension);
        };
        auto failingRead = [](TSearchForm *, QWidget *, TSearchExtension *) { throw std::runtime_error("broken"); };
        TSearchForm *form = ShowSearchForm(onFind, init, read);
        child<QCheckBox>(form, "SearchInComp")->setChecked(true);
        child<QPushButton>(form, "Button1")->click();
        QCOMPARE(finds, 1);
        QVERIFY(inComponents);
        // The search still runs, with the extension's previous setting.
        form = ShowSearchForm(onFind, init, failingRead);
        child<QCheckBox>(form, "SearchInComp")->setChecked(false);
        child<QPushButton>(form, "Button1")->click();
        QCOMPARE(finds, 2);
        QVERIFY(inComponents);
        // A panel that cannot be built: the dialog opens all the same.
        form = ShowSearchForm(
            onFind,
            [](TSearchForm *, QWidget *, std::unique_ptr<TSearchExtension> &) { throw std::runtime_error("x"); },
            nullptr);
        QVERIFY(form->isVisible());
        QVERIFY(!form->findChild<QCheckBox *>("SearchInComp"));
        form->hide();
    }

    void htmlSelection_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("searched");
        QTest::addColumn<bool>("utf8");
        QTest::addColumn<QStringList>("selected");
        QTest::newRow("non-ASCII before the hits")
            << "Gr\u00fc\u00dfe \u20ac <b>customer</b>\r\n\u00e4\u00e4 CUSTOMER;customercustomer"
            << "customer" << true << QStringList{"customer", "CUSTOMER", "customer", "customer"};
        QTest::newRow("overlapping") << "x\u00e9aaa"
                                     << "aa" << true << QStringList{"aa", "aa"};
        QTest::newRow("at the start and the end") << "ab\nxab"
                                                  << "AB" << true << QStringList{"ab", "ab"};
        QTest::newRow("single-byte editor") << "caf\u00e9 customer \u00e9 Customer"
                                            << "customer" << false << QStringList{"customer", "Customer"};
    }
    void htmlSelection()
    {
        QFETCH(QString, html);
        QFETCH(QString, searched);
        QFETCH(bool, utf8);
        pellorin_test::ProgramDirs dirs;
        initModules(dirs.options());
        const auto done = qScopeGuard([] { doneModules(); });
        pellorin_test::TestWindow window;
        QVERIFY(window.page().open(writtenPage(dirs, "")));
        QTabWidget &pages = *window.views().tabWidget();
        DiagramTab *pre = window.views().diagramTabs()[0];
        QWidget *htmlSheet = window.views().textTabs().htmlSheet();
        QsciScintilla *editor = window.views().textTabs().htmlEditor();
        editor->setUtf8(utf8);
        editor->setText(html);
        QCOMPARE(editorTextBytes(editor), html.toUtf8());
        QStringList selectedNames;
        PageSearch search(std::make_unique<RecordingSearchHost>(window, selectedNames));

        TSearchOptions options;
        options.SearchText = searched;
        SearchResults hits;
        search.searchAllComponents(options, hits);
        ShowSearchResults(searched, std::move(hits), nullptr);
        TSearchResultForm *results = searchResultForm();
        QStringList selected;
        for (const TSearchResult &hit : results->Results()) {
            pages.setCurrentWidget(pre);
            search.searchResultSelect(results, hit);
            QCOMPARE(pages.currentWidget(), htmlSheet);
            selected << editor->selectedText();
            // The selection starts exactly at the hit.
            const int start = int(editor->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART));
            const QByteArray before = utf8 ? html.toUtf8().left(start) : html.left(start).toUtf8();
            QCOMPARE(before.size(), hit.Position - 2);
        }
        QTEST(selected, "selected");
        QVERIFY(selectedNames.isEmpty());
        results->hide();
    }

    // A line whose place cannot be gone to hands the exception to the program's handler, which
    // shows it; the list stays.
    void resultLineRaising_data()
    {
        QTest::addColumn<bool>("doubleClick");
        QTest::newRow("click") << false;
        QTest::newRow("double-click") << true;
    }
    void resultLineRaising()
    {
        QFETCH(bool, doubleClick);
        pellorin_test::ProgramDirs dirs;
        initModules(dirs.options());
        const auto done = qScopeGuard([] { doneModules(); });
        SearchResults hits;
        hits.emplace_back("html", "", "", "abc", 3);
        ShowSearchResults("b", std::move(hits),
                          [](TSearchResultForm *, const TSearchResult &) { throw Exception("No such place"); });
        const auto freed = qScopeGuard([] { freeSearchResultForm(); });
        auto *list = searchResultForm()->findChild<QListWidget *>("ListBox1");
        list->setCurrentRow(0);
        (*m_prompter)->answers << pbOK;
        if (doubleClick)
            emit list->itemDoubleClicked(list->item(0));
        else
            emit list->itemClicked(list->item(0));
        QCOMPARE((*m_prompter)->prompts.size(), 1);
        QVERIFY((*m_prompter)->prompts[0].text.contains("No such place"));
        QVERIFY(searchResultForm()->isVisible());
    }

    void widgetHostTabs()
    {
        pellorin_test::ProgramDirs dirs;
        initModules(dirs.options());
        const auto done = qScopeGuard([] { doneModules(); });
        pellorin_test::TestWindow window;
        QTabWidget &pages = *window.views().tabWidget();
        const TextTabs &text = window.views().textTabs();
        QWidget *sheets[4] = {window.views().diagramTabs()[0], window.views().diagramTabs()[1], text.htmlSheet(),
                              text.respondSheet()};
        WidgetSearchHost host(window);
        pages.setCurrentWidget(sheets[3]);
        host.showSectionTab("other");
        host.showSectionTab("PREPROC");
        QCOMPARE(pages.currentWidget(), sheets[3]); // exact names only
        host.showSectionTab("postproc");
        QCOMPARE(pages.currentWidget(), sheets[1]);
        host.showSectionTab("preproc");
        QCOMPARE(pages.currentWidget(), sheets[0]);
        host.showSectionTab("html");
        QCOMPARE(pages.currentWidget(), sheets[2]);
        QCOMPARE(host.searchPage(), nullptr);
        QCOMPARE(host.htmlEditorText(), QByteArray());
        host.selectHtmlText(0, 3); // no text: nothing
        QCOMPARE(host.messageParent(), window.windowWidget());
        // The component of that name on the diagram in front.
        QVERIFY(window.page().open(writtenPage(dirs, "<c><n>17</n><t>SET</t></c><c><n>7</n><t>SET</t></c>")));
        host.showSectionTab("preproc");
        host.selectItemByName("7");
        DataList selected;
        window.views().diagramTabs()[0]->editor()->GetSelected(&selected);
        QCOMPARE(selected.size(), size_t(1));
        QCOMPARE(static_cast<TWQFItem *>(selected[0])->GetName(), QString("7"));
    }

    // The search of the real main window with the sample page, through the window's own host.
    void onTheMainWindow()
    {
        pellorin_test::ProgramDirs dirs;
        Program program(dirs.options({pellorin_test::kSamplePage}));
        TMainFrm *form = program.mainForm();
        QVERIFY(form->GetCurrentDoc() && form->PreEditor());
        using pellorin_test::part;
        auto *pages = part<QTabWidget>(form, "PageControl1");
        QWidget *postSheet = part(form, "PostSheet");
        QWidget *htmlSheet = part(form, "HtmlSheet"), *notesSheet = part(form, "NotesSheet");
        auto *htmlEdit = part<QsciScintilla>(form, "htmlEdit");
        QAction *find = part<QAction>(form, "MenuItem3");

        // Without "Search in all WQF components": the focused HTML editor's own find.
        htmlEdit->setCursorPosition(0, 0);
        find->trigger();
        TSearchForm *dialog = searchForm();
        dialog->Target = htmlEdit;
        child<QLineEdit>(dialog, "edtSearch")->setText("CUSTOMER");
        child<QCheckBox>(dialog, "SearchInComp")->setChecked(false);
        child<QPushButton>(dialog, "Button1")->click();
        QCOMPARE(htmlEdit->selectedText().toUpper(), QString("CUSTOMER"));
        QVERIFY(!form->openPage()->isModified());

        // With it: every component and the HTML.
        find->trigger();
        dialog->Target = htmlEdit;
        child<QCheckBox>(dialog, "SearchInComp")->setChecked(true);
        child<QPushButton>(dialog, "Button1")->click();
        TSearchResultForm *results = searchResultForm();
        QVERIFY(results->isVisible());
        const QStringList found = lines(results);
        // Each element text of a component once, from five bytes before its first hit.
        QCOMPARE(found.mid(0, 3),
                 QStringList({"pre: 0 -  the customer", "pre: 0 - FROM customers WHE", "pre: 0 - customer_id"}));
        QVERIFY(firstStarting(found, "pre: 5 ") < firstStarting(found, "post: "));
        const qsizetype firstHtml = firstStarting(found, "html - ");
        QVERIFY(firstHtml > 0);

        // A component line selects the component on its tab.
        pages->setCurrentWidget(notesSheet);
        const qsizetype postLine = firstStarting(found, "post: 1 - ");
        QVERIFY(postLine > 0);
        results->show();
        clickRow(results, int(postLine), true);
        QCOMPARE(pages->currentWidget(), postSheet);
        DataList selected;
        form->PostEditor()->GetSelected(&selected);
        QCOMPARE(selected.size(), size_t(1));
        QCOMPARE(static_cast<TWQFItem *>(selected[0])->GetName(), QString("1"));

        // An HTML line selects the matched text, in its own case.
        for (qsizetype i = firstHtml; i < found.size(); ++i) {
            clickRow(results, int(i), false);
            QCOMPARE(pages->currentWidget(), htmlSheet);
            QCOMPARE(htmlEdit->selectedText().toUpper(), QString("CUSTOMER"));
        }
        QVERIFY(!form->openPage()->isModified());
        results->hide();
    }

    // The Search menu of the window itself on the sample page.
    void searchMenuOfTheWindow()
    {
        pellorin_test::ProgramDirs dirs;
        Program program(dirs.options({pellorin_test::kSamplePage}));
        TMainFrm *form = program.mainForm();
        using pellorin_test::part;
        auto *pages = part<QTabWidget>(form, "PageControl1");
        auto *htmlEdit = part<QsciScintilla>(form, "htmlEdit");
        form->show();
        pages->setCurrentWidget(part(form, "HtmlSheet"));
        QApplication::setActiveWindow(form);
        QVERIFY(QTest::qWaitForWindowActive(form));
        htmlEdit->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), htmlEdit);
        htmlEdit->setCursorPosition(0, 0);

        // Find: the dialog for the focused HTML editor, which selects the next occurrence.
        part<QAction>(form, "MenuItem3")->trigger();
        TSearchForm *dialog = searchForm();
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->Target.data(), htmlEdit);
        child<QLineEdit>(dialog, "edtSearch")->setText("customer");
        child<QPushButton>(dialog, "Button1")->click();
        QVERIFY(!dialog->isVisible());
        int line = 0, from = 0, lineTo = 0, to = 0;
        htmlEdit->getSelection(&line, &from, &lineTo, &to);
        QCOMPARE(htmlEdit->selectedText(), QString("Customer"));
        QCOMPARE(htmlEdit->text(line).mid(from, to - from), QString("Customer"));
        // Find Next: the next one after the caret.
        QTRY_COMPARE(QApplication::focusWidget(), htmlEdit);
        part<QAction>(form, "mnuFindNext")->trigger();
        int nextLine = 0, nextFrom = 0;
        htmlEdit->getSelection(&nextLine, &nextFrom, &lineTo, &to);
        QVERIFY(nextLine > line);
        QCOMPARE(htmlEdit->selectedText(), QString("customer"));

        // In all components: the result window; a line double-clicked shows its component.
        part<QAction>(form, "MenuItem3")->trigger();
        child<QCheckBox>(dialog, "SearchInComp")->setChecked(true);
        child<QPushButton>(dialog, "Button1")->click();
        TSearchResultForm *results = searchResultForm();
        QVERIFY(results->isVisible());
        const QStringList found = lines(results);
        const qsizetype postLine = firstStarting(found, "post: 1 - ");
        QVERIFY(postLine > 0);
        clickRow(results, int(postLine), true);
        QCOMPARE(pages->currentWidget(), part(form, "PostSheet"));
        DataList selected;
        form->PostEditor()->GetSelected(&selected);
        QCOMPARE(selected.size(), size_t(1));
        QCOMPARE(static_cast<TWQFItem *>(selected[0])->GetName(), QString("1"));

        // Search Result: the same hits again after the window was closed.
        child<QPushButton>(results, "Button1")->click();
        QVERIFY(!results->isVisible());
        part<QAction>(form, "MenuItem10")->trigger();
        QVERIFY(results->isVisible());
        QCOMPARE(lines(results), found);
        QVERIFY(!form->openPage()->isModified());
        results->hide();
    }
};

PELLORIN_TEST_CLASS(TestSearch)
#include "test_search.moc"
