#include "checks/appgui.h"
#include "common/scriptedprompter.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "editors/lclgrapheditor.h"
#include "editors/wqfeditors.h"
#include "shell/mainform.h"
#include "shell/openpage.h"
#include "shell/startup.h"
#include "windowparts.h"
#include "windowtest.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>

using pellorin_test::copyFolder;
using pellorin_test::dataPath;
using pellorin_test::part;
using pellorin_test::readBytes;
using pellorin_test::writeBytes;
using pellorin_test::writeScript;

namespace {
const QString kResources = QStringLiteral(PELLORIN_RESOURCES);

// What a fake program writes over its copy of the page: one component in "preproc", one
// note on the notes, and the sections a page needs unless the row drops one.
QByteArray rewrittenPage(const QByteArray &sections = "<preproc><c><n>7</n><t>SET</t><c>New</c><j/><j/>"
                                                      "<x>96</x><y>64</y><values/></c></preproc><postproc/>")
{
    return "<wqf><function><fn>rewritten</fn><editorNotes>Notes of the program.\n"
           "[[@@rect 200 10 120 40 preproc 0 Added||||By the program.@@]]\n</editorNotes>"
           "<DenyURLExecution>1</DenyURLExecution></function>" +
           sections + "<html>&lt;p&gt;New&lt;/p&gt;</html></wqf>";
}

} // namespace

// External check programs from the main window: a Tools entry whose program rewrites the page
// has the window show the new page, a rewrite that cannot be shown leaves the page as it was,
// and every run gets the texts typed since the last save.
class TestExternalPrograms : public pellorin_test::WindowTest {
    Q_OBJECT

    // A description "<name>.ini" with its program "<name>/run.sh".
    void describe(const QString &name, const QByteArray &keys, const QByteArray &script)
    {
        const QString folder = m_dir->filePath("app/plugins/" + name);
        QDir().mkpath(folder);
        writeBytes(folder + ".ini", "[Main]\nName=" + name.toUtf8() + "\nCmd=run.sh \"%filename%\"\n" + keys);
        writeScript(folder + "/run.sh", script);
    }
    QString openCopy(const QString &fixture, const QString &name)
    {
        const QString path = m_dir->copyOf(fixture, name);
        form->OpenFile(path);
        return path;
    }
    QAction *toolsEntry(const QString &caption) const
    {
        for (QAction *action : part<QMenu>(form, "mnuTools")->actions())
            if (action->text() == caption)
                return action;
        qFatal("no Tools entry %s", qPrintable(caption));
    }
    QLineEdit *functionName() const { return part<QLineEdit>(form, "txtFuncName"); }
    QPlainTextEdit *notes() const { return part<QPlainTextEdit>(form, "EditorNotesMemo"); }
    QsciScintilla *html() const { return part<QsciScintilla>(form, "htmlEdit"); }

private slots:
    void init() { prepare(); }
    void cleanup() { finish(); }

    void updateShowsTheRewrittenPage()
    {
        writeBytes(m_dir->filePath("new.wqf"), rewrittenPage());
        describe("rewrite", "Menu=Rewrite the page\nUpdate=1\n",
                 "cp '" + m_dir->filePath("new.wqf").toUtf8() + "' \"$1\"\n");
        start();
        const QString page = openCopy(dataPath("shell/page.wqf"), "page.wqf");
        const QString title = form->windowTitle();
        QVERIFY(!form->openPage()->isModified());

        toolsEntry("Rewrite the page")->trigger();
        QCOMPARE(promptTexts(), QStringList());
        TWQFFile *doc = form->GetCurrentDoc();
        QVERIFY(doc);
        QCOMPARE(doc->GetFunctionName(), QString("rewritten"));
        QCOMPARE(CallGetCurrentDoc(), doc);
        // The window shows the new page, notes and note rectangles included, not the old ones.
        QCOMPARE(functionName()->text(), QString("rewritten"));
        QVERIFY(part<QCheckBox>(form, "chkNoHTTPPre")->isChecked());
        QCOMPARE(notes()->toPlainText(), QString("Notes of the program.\n"));
        QCOMPARE(form->CommentRects().size(), size_t(1));
        QCOMPARE(html()->text(), QString("<p>New</p>"));
        auto *pre = static_cast<TWQFEditorSource *>(form->PreEditor()->Source());
        QCOMPARE(pre->Section(), doc->FindSection("preproc"));
        QCOMPARE(doc->FindSection("preproc")->Items().size(), size_t(1));
        // The same file, now with changes the user has not saved.
        QVERIFY(form->openPage()->isModified());
        QCOMPARE(form->openPage()->fileName(), page);
        QCOMPARE(doc->FileName(), page);
        QVERIFY(bool(doc->OnReadOnly));
        QCOMPARE(form->windowTitle(), title);
        QCOMPARE(readBytes(page), readBytes(dataPath("shell/page.wqf")));

        // Saving writes the new page to the page's file.
        QVERIFY(form->SaveFile(page));
        QVERIFY(readBytes(page).contains("<fn>rewritten</fn>"));
        QVERIFY(readBytes(page).contains("[[@@rect 200 10 120 40 preproc 0 Added||||By the program.@@]]"));
    }

    void rewriteThatCannotBeShown_data()
    {
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not a page") << QByteArray("no page at all\n") << "In 'stream:' (line 1";
        QTest::newRow("no preproc") << rewrittenPage("<postproc/>") << "unable to find PreProcess section. Won't open!";
        QTest::newRow("no postproc") << rewrittenPage("<preproc/>")
                                     << "unable to find PostProcess section. Won't open!";
    }
    void rewriteThatCannotBeShown()
    {
        QFETCH(QByteArray, written);
        QFETCH(QString, reason);
        writeBytes(m_dir->filePath("new.wqf"), written);
        describe("rewrite", "Menu=Rewrite the page\nUpdate=1\n",
                 "cp '" + m_dir->filePath("new.wqf").toUtf8() + "' \"$1\"\n");
        start();
        openCopy(dataPath("shell/page.wqf"), "page.wqf");
        QTest::keyClicks(functionName(), "2");
        TWQFFile *doc = form->GetCurrentDoc();
        TImageGraphEditor *pre = form->PreEditor();
        const int itemsBefore = pre->ItemCount();
        const int notesBefore = int(form->CommentRects().size());

        (*m_prompter)->answers << pbOK;
        toolsEntry("Rewrite the page")->trigger();
        QCOMPARE(promptTexts().size(), 1);
        QVERIFY2(promptTexts()[0].startsWith(reason), qPrintable(promptTexts()[0]));
        // The page, its views and what was typed stay, still to be saved.
        QCOMPARE(form->GetCurrentDoc(), doc);
        QCOMPARE(form->PreEditor(), pre);
        QCOMPARE(pre->ItemCount(), itemsBefore);
        QCOMPARE(int(form->CommentRects().size()), notesBefore);
        QCOMPARE(functionName()->text(), QString("page2"));
        QCOMPARE(doc->GetFunctionName(), QString("page2"));
        QVERIFY(form->openPage()->isModified());
    }

    // The copy a program is handed holds what the window shows, saved or not; the run changes
    // neither the file nor the modified flag.
    void typedTextsReachTheCopy_data()
    {
        QTest::addColumn<QString>("run");
        QTest::newRow("its Tools entry") << "entry";
        QTest::newRow("Check WQF file") << "check";
    }
    void typedTextsReachTheCopy()
    {
        QFETCH(QString, run);
        describe("capture", "Menu=Capture the page\n",
                 "cp \"$1\" '" + m_dir->filePath("captured.wqf").toUtf8() + "'\n");
        start();
        const QString page = openCopy(dataPath("shell/page.wqf"), "page.wqf");
        QTest::keyClicks(functionName(), "2");
        html()->setText(html()->text() + "\r\n<p>typed</p>");
        notes()->setPlainText("Typed notes.\n");

        if (run == "entry")
            toolsEntry("Capture the page")->trigger();
        else
            part<QAction>(form, "MenuItem9")->trigger();
        QCOMPARE(promptTexts(), QStringList());
        const QByteArray copy = readBytes(m_dir->filePath("captured.wqf"));
        QVERIFY2(copy.contains("<fn>page2</fn>"), copy.constData());
        QVERIFY(copy.contains("<p>typed</p>"));
        QVERIFY(copy.contains("Typed notes."));
        // The note rectangle lives in the window until then; it goes with the notes.
        QVERIFY(copy.contains("[[@@rect 320 20 192 64 preproc 1 Loop||||Counts<br>the rows.@@]]"));
        QVERIFY(form->openPage()->isModified());
        QCOMPARE(readBytes(page), readBytes(dataPath("shell/page.wqf")));
    }

    // On the sample page: a program's own Tools entry rewrites a comment, and Tools > Check WQF
    // file then runs the shipped program and a fake one and fills the message list.
    void toolsEntriesOnTheSamplePage()
    {
        copyFolder(kResources + "/plugins", m_dir->filePath("app/plugins"));
        describe("comment", "Menu=Comment the orders\nUpdate=1\n",
                 "sed -i 's|<c>Count the orders</c>|<c>Counted by the program</c>|' \"$1\"\n"
                 "echo 'Wpreproc 5:the page is shown last'\n"
                 "echo 'E:a line of its own'\n");
        start();
        const QString page = openCopy(pellorin_test::kSamplePage, "customer_orders.wqf");
        QVERIFY(form->GetCurrentDoc());

        toolsEntry("Comment the orders")->trigger();
        QCOMPARE(promptTexts(), QStringList());
        QCOMPARE(FindItemByName(form->GetCurrentDoc()->FindSection("preproc")->Items(), "3")->GetComment(),
                 QString("Counted by the program"));
        QVERIFY(form->openPage()->isModified());
        // A menu run shows no messages.
        QCOMPARE(form->messageLines(), QStringList());

        part<QAction>(form, "MenuItem9")->trigger();
        const QStringList lines = form->messageLines();
        QVERIFY2(lines.contains("HINT 0 of 10 components without a comment"), qPrintable(lines.join('\n')));
        QVERIFY(lines.contains("preproc 5: WARN the page is shown last"));
        QVERIFY(lines.contains("ERROR a line of its own"));
        QCOMPARE(readBytes(page), readBytes(pellorin_test::kSamplePage));
    }
};

PELLORIN_TEST_CLASS(TestExternalPrograms)
#include "test_extprograms.moc"
