#include "checks/appgui.h"
#include "checks/pellorinplugin.h"
#include "common/testmain.h"
#include "palettebuttons.h"
#include "panelwindow.h"
#include "platform/fileattr.h"
#include "shell/optionsdialog.h"
#include "shell/searchresultformunit.h"
#include "shell/searchwindow.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>

using namespace pellorin_test;

namespace {
// What the window's user or a plug-in does to the open fixture page (panels.wqf, the
// "Pre process" tab showing); "no page:" first closes it.
void act(PanelsWindow &window, const QString &action)
{
    TMainFrm *form = window.form;
    ScriptedPrompter &prompter = window.prompter();
    auto trigger = [form](const char *name) { part<QAction>(form, name)->trigger(); };
    auto *functionName = part<QLineEdit>(form, "txtFuncName");
    auto *html = part<QsciScintilla>(form, "htmlEdit");
    auto *script = part<QsciScintilla>(form, "JavaScriptMemo");
    auto *notes = part<QPlainTextEdit>(form, "EditorNotesMemo");
    auto *denyUrl = part<QCheckBox>(form, "chkNoHTTPPre");
    QWidget *palette = part(form, "Panel2");
    TCommentRect *firstNote = window.note("First note");
    auto anEdit = [&] { QTest::keyClicks(functionName, "2"); };
    auto focused = [] { return QApplication::focusWidget(); };

    // ---- commands ----
    if (action == "Delete answered Yes" || action == "Delete answered No") {
        window.click("2");
        prompter.answers << (action.endsWith("Yes") ? pbYes : pbNo);
        trigger("MenuItem5");
    } else if (action == "Copy") {
        window.click("2");
        QGuiApplication::clipboard()->clear();
        trigger("mnuMainCopy");
        QVERIFY(QGuiApplication::clipboard()->text().contains("<n>2</n>"));
    } else if (action == "Paste") {
        window.click("2");
        trigger("mnuMainCopy");
        trigger("mnuMainPaste");
    } else if (action == "Shift-click linking") {
        window.click("1");
        window.click("6", Qt::ShiftModifier);
    } else if (action == "Flip Select/Insert Query") {
        window.click("0");
        trigger("MenuItem11");
    } else if (action == "Flush Query Params") {
        window.click("3");
        trigger("FlushQueryMenu");
    } else if (action == "Section Screen Shot") {
        trigger("MenuItem6");
        QCOMPARE(QDir(QFileInfo(window.path()).path()).entryList({"*.png"}).size(), 1);
    } else if (action == "Check WQF file" || action == "the views' texts stored for a program") {
        // The HTML comes back from its editor with CR LF line breaks: the tree changes, the
        // page as the user sees it does not.
        const QString before = window.page()->GetHtml();
        if (action == "Check WQF file")
            trigger("MenuItem9");
        else
            callStoreViewTexts();
        QVERIFY(window.page()->GetHtml() != before);
    } else if (action == "Find in all components") {
        trigger("MenuItem3");
        TSearchForm *search = searchForm();
        search->findChild<QLineEdit *>("edtSearch")->setText("orders");
        search->findChild<QCheckBox *>("SearchInComp")->setChecked(true);
        search->findChild<QPushButton *>("Button1")->click();
        QVERIFY(searchResultForm()->isVisible());
        searchResultForm()->hide();
    } else if (action == "Preferences cancelled") {
        bool shown = false;
        QTimer::singleShot(0, [&] {
            shown = globalOptForm()->isVisible();
            globalOptForm()->findChild<QPushButton *>("btnCancel")->click();
        });
        trigger("mnuPreferences");
        QVERIFY(shown);
        // ---- the diagram and its property panel ----
    } else if (action == "selecting a component") {
        window.click("2");
    } else if (action == "selecting a note") {
        window.click(firstNote);
        QVERIFY(window.editor()->IsSelected(firstNote));
    } else if (action == "scrolling the diagram") {
        auto *bar = part<QScrollBar>(form, "PreVertScroll");
        bar->setValue(100);
        QCOMPARE(bar->value(), 100);
    } else if (action == "a wheel turn over the panel") {
        window.click("0");
        QVERIFY(turnWheel(window.control<TWheelSynEdit>()->viewport(), -120));
    } else if (action == "a comment typed in the panel") {
        window.click("1");
        QTest::keyClicks(window.control<QLineEdit>(), "!");
    } else if (action == "a type chosen in the panel") {
        window.click("3");
        auto *type = window.control<QComboBox>();
        type->lineEdit()->selectAll();
        QTest::keyClicks(type->lineEdit(), "STRING");
    } else if (action == "Add in the panel") {
        window.click("0");
        click(window.button("Add"));
    } else if (action == "Delete in the panel") {
        window.click("0");
        click(window.button("Delete"));
    } else if (action == "a note's title typed in the panel") {
        window.click(firstNote);
        QTest::keyClicks(window.control<QLineEdit>(), "!");
    } else if (action == "a component dragged") {
        window.drag(window.component("2"), 100, 80);
    } else if (action == "a note dragged") {
        window.drag(firstNote, 60, 40);
    } else if (action == "a palette component button") {
        buttonsOf(palette).front()->click();
    } else if (action == "the palette's NOTE button") {
        buttonNamed(palette, "NOTE")->click();
        // ---- keys ----
    } else if (action == "Delete key") {
        window.click("2");
        prompter.answers << pbYes;
        QTest::keyClick(focused(), Qt::Key_Delete);
    } else if (action == "Alt+Right" || action == "Alt+Left") {
        window.click("2");
        QTest::keyClick(focused(), action == "Alt+Right" ? Qt::Key_Right : Qt::Key_Left, Qt::AltModifier);
    } else if (action == "Alt+Left at the left edge") {
        // The component is one step from the edge: the first key takes it there, saved.
        window.click("2");
        QTest::keyClick(focused(), Qt::Key_Left, Qt::AltModifier);
        QCOMPARE(window.component("2")->GetX(), 0);
        trigger("mnuSave");
        QVERIFY(!window.form->openPage()->isModified());
        QTest::keyClick(focused(), Qt::Key_Left, Qt::AltModifier);
        QCOMPARE(window.component("2")->GetX(), 0);
    } else if (action == "type-ahead") {
        window.click("2");
        QTest::keyClicks(focused(), "5");
        QCOMPARE(window.editor()->SelectedCount(), 1);
        // ---- the text tabs ----
    } else if (action == "function name typed" || action == "no page: function name typed") {
        QTest::keyClicks(functionName, "2");
    } else if (action == "flag ticked" || action == "no page: flag ticked") {
        denyUrl->click();
    } else if (action == "notes typed" || action == "no page: notes typed") {
        QTest::keyClicks(notes, "more");
    } else if (action == "HTML typed" || action == "no page: HTML typed") {
        html->insertAt("<b>x</b>", 0, 0);
    } else if (action == "script typed" || action == "no page: script typed") {
        script->insertAt("// x\r\n", 0, 0);
    } else if (action == "XML Respond typed") {
        auto *respond = part<QsciScintilla>(form, "ReqListMemo");
        respond->insertAt("a=1\r\n", 0, 0);
        QCoreApplication::processEvents();
        QVERIFY(!respond->text().isEmpty());
        // ---- plug-ins and the host interface ----
    } else if (action == "RefreshSection") {
        GetAppIntf()->RefreshSection("preproc");
    } else if (action == "a plug-in reads the page") {
        window.click("2");
        TWQFFile *doc = nullptr;
        QCOMPARE(GetAppIntf()->GetCurrent(doc), QString("preproc"));
        QList<void *> selection;
        GetAppIntf()->GetSelection(selection);
        QCOMPARE(selection.size(), 1);
        int x = 0, y = 0;
        GetAppIntf()->GetMousePos(x, y);
        QCOMPARE(GetAppIntf()->GetFileName(), window.path());
        QCOMPARE(CallGetCurrentDoc(), doc);
    } else if (action == "a plug-in moves a component of the page") {
        TWQFFile *doc = nullptr;
        GetAppIntf()->GetCurrent(doc);
        TWQFItem *item = doc->FindSection("preproc")->Items()[2].get();
        item->SetX(item->GetX() + 32);
        GetAppIntf()->RefreshSection("preproc");
    } else if (action == "the page reloaded by a program") {
        CallDocReloaded();
    } else if (action == "the page replaced by a program") {
        auto rewritten = std::make_unique<TWQFFile>();
        QVERIFY(rewritten->LoadFromFile(window.path(), {}));
        QVERIFY(callDocReplaced(rewritten));
        // ---- saving and opening ----
    } else if (action == "an edit, then Save") {
        anEdit();
        trigger("mnuSave");
    } else if (action == "typed HTML, then Save") {
        html->insertAt("<b>x</b>", 0, 0);
        trigger("mnuSave");
    } else if (action == "an edit, then Save As") {
        anEdit();
        prompter.fileAnswers << window.filePath("other.wqf");
        trigger("mnuSaveAs");
    } else if (action == "an edit, then a failed save") {
        anEdit();
        QVERIFY(platform::setFileMode(window.path(), 0444));
        prompter.answers << pbOK << pbOK;
        trigger("mnuSave");
    } else if (action == "an edit, then the page opened again unsaved") {
        anEdit();
        prompter.answers << pbNo;
        form->OpenFile(window.path());
    } else {
        QFAIL(qPrintable("unknown action " + action));
    }
}
} // namespace

// Whatever changes the open page makes it modified, so that closing asks; whatever does not,
// does not. The window's every road to the page, through the real window.
class TestModifiedState : public QObject {
    Q_OBJECT
private slots:
    void followsThePage_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("modified");
        const std::pair<const char *, bool> rows[] = {
            {"Delete answered Yes", true},
            // A delete counts as a change whatever the answer.
            {"Delete answered No", true},
            {"Copy", false},
            {"Paste", true},
            {"Shift-click linking", true},
            {"Flip Select/Insert Query", true},
            {"Flush Query Params", true},
            {"Section Screen Shot", false},
            {"Check WQF file", false},
            {"Find in all components", false},
            {"Preferences cancelled", false},
            {"selecting a component", false},
            {"selecting a note", false},
            {"scrolling the diagram", false},
            {"a wheel turn over the panel", false},
            {"a comment typed in the panel", true},
            {"a type chosen in the panel", true},
            {"Add in the panel", true},
            {"Delete in the panel", true},
            {"a note's title typed in the panel", true},
            {"a component dragged", true},
            {"a note dragged", true},
            {"a palette component button", true},
            {"the palette's NOTE button", true},
            {"Delete key", true},
            {"Alt+Right", true},
            {"Alt+Left", true},
            {"Alt+Left at the left edge", false},
            {"type-ahead", false},
            {"function name typed", true},
            {"flag ticked", true},
            {"notes typed", true},
            {"HTML typed", true},
            {"script typed", true},
            {"XML Respond typed", false},
            {"RefreshSection", false},
            {"a plug-in reads the page", false},
            {"a plug-in moves a component of the page", true},
            {"the views' texts stored for a program", false},
            {"the page reloaded by a program", true},
            {"the page replaced by a program", true},
            {"an edit, then Save", false},
            {"typed HTML, then Save", false},
            {"an edit, then Save As", false},
            {"an edit, then a failed save", true},
            {"an edit, then the page opened again unsaved", false},
            {"no page: function name typed", false},
            {"no page: flag ticked", false},
            {"no page: notes typed", false},
            {"no page: HTML typed", false},
            {"no page: script typed", false},
        };
        for (const auto &[action, modified] : rows)
            QTest::newRow(action) << QString(action) << modified;
    }
    void followsThePage()
    {
        QFETCH(QString, action);
        QFETCH(bool, modified);
        PanelsWindow window;
        window.showTab(0);
        OpenPage *page = window.form->openPage();
        QVERIFY(!page->isModified());
        if (action.startsWith("no page:"))
            QVERIFY(window.form->CloseDocument(true));
        QSignalSpy told(page, &OpenPage::modifiedChanged);

        act(window, action);
        QCOMPARE(page->isModified(), modified);
        // The window hears of every change of the state, and last of the one it is in.
        QCOMPARE(!told.isEmpty() && told.last().at(0).toBool(), modified);
        QCOMPARE(window.prompter().answers.size(), 0);
        QCOMPARE(window.prompter().fileAnswers.size(), 0);

        // Closing asks exactly when the page is modified.
        const qsizetype asked = window.prompter().prompts.size();
        if (modified)
            window.prompter().answers << pbNo;
        QVERIFY(window.form->CloseDocument(true));
        QCOMPARE(window.prompter().prompts.size() - asked, modified ? 1 : 0);
        QVERIFY(!page->isModified());
    }
};

PELLORIN_TEST_CLASS(TestModifiedState)
#include "test_modifiedstate.moc"
