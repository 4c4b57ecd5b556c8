#include "common/scriptedprompter.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "editors/htmleditors.h"
#include "model/htmlcontrols.h"
#include "shell/globaloptions.h"
#include "shell/mainform.h"
#include "shell/openpage.h"
#include "shell/sqlcfgform.h"
#include "shell/startup.h"
#include "shell/texttabs.h"
#include "windowparts.h"
#include "windowtest.h"

#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

using pellorin_test::dataPath;
using pellorin_test::part;
using pellorin_test::readBytes;
using pellorin_test::writeBytes;

namespace {
// A page whose HTML has a script block between many lines, so the HTML editor scrolls.
QByteArray scrolledPage()
{
    QByteArray html = "<div class=\"EditableContent\">\n";
    for (int i = 0; i < 60; ++i)
        html += "  <p>line " + QByteArray::number(i) + " " + QByteArray(150, 'w') + "</p>\n";
    html += "  <div ref=\"scriptingcontainer\"><pre>var a = 1 &lt; 2;</pre></div>\n";
    for (int i = 60; i < 120; ++i)
        html += "  <p>line " + QByteArray::number(i) + "</p>\n";
    html += "</div>";
    return "<wqf><function><fn>f</fn></function><preproc/><postproc/><html><![CDATA[" + html + "]]></html></wqf>";
}

// Two containers, the dynamic one first, so the grid's columns follow the order first met.
const QByteArray kControlsPage =
    "<wqf><function><fn>f</fn></function><preproc/><postproc/><html><![CDATA["
    "<div class=\"EditableContent\">"
    "<div class=\"DynamicContainer\"><h3>Rows</h3></div>"
    "<div class=\"StaticContainer\" style=\"left:40px;top:400px;width:300px;height:80px\"><h3>Orders</h3></div>"
    "</div>]]></html></wqf>";

QString caretPlace(const QsciScintilla *editor)
{
    int line = 0, index = 0;
    editor->getCursorPosition(&line, &index);
    return QStringLiteral("%1:%2").arg(line).arg(index);
}

long xOffset(const QsciScintilla *editor) { return editor->SendScintilla(QsciScintillaBase::SCI_GETXOFFSET); }

// Every cell of the grid, a row a line, cells separated by "|".
QStringList gridRows(const QTableWidget *grid)
{
    QStringList rows;
    for (int r = 0; r < grid->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid->columnCount(); ++c)
            cells << (grid->item(r, c) ? grid->item(r, c)->text() : QString());
        rows << cells.join(u'|');
    }
    return rows;
}
} // namespace

class TestTextTabs : public pellorin_test::WindowTest {
    Q_OBJECT

    QString writePage(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir->filePath(name);
        writeBytes(path, bytes);
        return path;
    }
    QString open(const QByteArray &bytes)
    {
        const QString path = writePage("page.wqf", bytes);
        form->OpenFile(path);
        if (!form->GetCurrentDoc())
            qFatal("the page does not open");
        return path;
    }
    bool modified() const { return form->openPage()->isModified(); }
    QsciScintilla *htmlEditor() const { return part<QsciScintilla>(form, "htmlEdit"); }
    QsciScintilla *scriptEditor() const { return part<QsciScintilla>(form, "JavaScriptMemo"); }
    QsciScintilla *responseEditor() const { return part<QsciScintilla>(form, "ReqListMemo"); }
    QPlainTextEdit *notesEditor() const { return part<QPlainTextEdit>(form, "EditorNotesMemo"); }
    QTabWidget *pages() const { return part<QTabWidget>(form, "PageControl1"); }
    // The window shown with the focus in editor, as a user types.
    void focus(QWidget *sheet, QWidget *editor)
    {
        form->show();
        pages()->setCurrentWidget(sheet);
        QApplication::setActiveWindow(form);
        QVERIFY(QTest::qWaitForWindowActive(form));
        editor->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), editor);
    }

private slots:
    void init()
    {
        prepare();
        start();
        form->resize(800, 600);
    }
    void cleanup() { finish(); }

    // ---- the HTML and its script ----

    void setEditorText_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("end") << "abc\r\ndef"
                             << "abc\r\ndefg";
        QTest::newRow("start") << "abc\r\ndef"
                               << "xabc\r\ndef";
        QTest::newRow("middle") << "abc\r\ndef"
                                << "ab&amp;c\r\ndef";
        QTest::newRow("removed") << "abc\r\ndef"
                                 << "ac\r\ndef";
        QTest::newRow("all") << "abc"
                             << "";
        QTest::newRow("from empty") << ""
                                    << "x\r\ny";
        // Characters that share their first UTF-8 byte: the cut must not split them.
        QTest::newRow("shared lead byte") << QString("x\u00e4y") << QString("x\u00f6y");
        QTest::newRow("shared last byte") << QString("\u00c4z") << QString("\u00e4z");
        QTest::newRow("repeated run") << "aaaa"
                                      << "aaaaaa";
        QTest::newRow("line break split") << "a\r\nb"
                                          << "a\r\r\nb";
    }
    void setEditorText()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QsciScintilla editor;
        editor.setText(before);
        editor.setCursorPosition(0, 1);
        QSignalSpy changes(&editor, &QsciScintilla::textChanged);
        SetEditorText(&editor, after);
        QCOMPARE(editor.text(), after);
        QCOMPARE(changes.size(), 0);
        // One undo step brings back the text before.
        editor.undo();
        QCOMPARE(editor.text(), before);
        QVERIFY(!editor.isUndoAvailable());
    }

    void setEditorTextKeepsTheView()
    {
        QsciScintilla editor;
        editor.resize(300, 200);
        QStringList lines;
        for (int i = 0; i < 80; ++i)
            lines << QString("%1 %2").arg(i).arg(QString(200, u'w'));
        editor.setText(lines.join("\r\n"));
        editor.show();
        editor.setCursorPosition(40, 12);
        editor.setFirstVisibleLine(30);
        editor.SendScintilla(QsciScintillaBase::SCI_SETXOFFSET, 70);
        // A change above the caret line, then one below it.
        lines[5] += "x";
        SetEditorText(&editor, lines.join("\r\n"));
        lines[70] = "changed";
        SetEditorText(&editor, lines.join("\r\n"));
        QCOMPARE(editor.text(), lines.join("\r\n"));
        QCOMPARE(editor.firstVisibleLine(), 30);
        QCOMPARE(xOffset(&editor), 70L);
        QCOMPARE(caretPlace(&editor), QString("40:12"));
        // An unchanged text is no edit at all.
        editor.SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
        SetEditorText(&editor, editor.text());
        QVERIFY(!editor.isUndoAvailable());
        // A text too short for the old place: the editor limits it, the column too, so the
        // view shows the text.
        SetEditorText(&editor, "one line");
        QCOMPARE(editor.firstVisibleLine(), 0);
        QCOMPARE(xOffset(&editor), 0L);
    }

    void setEditorTextLimitsTheColumn()
    {
        QsciScintilla editor;
        editor.resize(300, 200);
        editor.setText(QString(400, u'w'));
        editor.show();
        editor.SendScintilla(QsciScintillaBase::SCI_SETXOFFSET, 2000);
        const long farthest = xOffset(&editor);
        QVERIFY(farthest > 0);
        // A line still long enough keeps the place; a shorter one shows its end.
        SetEditorText(&editor, QString(400, u'w') + "\r\nx");
        QCOMPARE(xOffset(&editor), farthest);
        SetEditorText(&editor, QString(200, u'w'));
        QVERIFY(xOffset(&editor) > 0);
        QVERIFY(xOffset(&editor) < farthest);
        // The line's end lies inside the text area, right of the margins.
        auto x = [&editor](long position) {
            return long(editor.SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, position));
        };
        const long textLeft = x(0) + xOffset(&editor);
        QVERIFY(x(200) > textLeft);
        QVERIFY(x(200) <= editor.viewport()->width());
    }

    void typingInTheScript()
    {
        open(scrolledPage());
        QsciScintilla *html = htmlEditor(), *script = scriptEditor();
        QCOMPARE(script->text(), QString("var a = 1 < 2;"));
        QVERIFY(!modified());
        focus(part(form, "HtmlSheet"), script);
        html->setCursorPosition(100, 4);
        html->setFirstVisibleLine(50);
        html->SendScintilla(QsciScintillaBase::SCI_SETXOFFSET, 40);
        script->setCursorPosition(0, 14);
        QTest::keyClicks(script, " && b");
        QVERIFY(modified());
        QVERIFY(html->text().contains("<pre>var a = 1 &lt; 2; &amp;&amp; b</pre>"));
        // The HTML editor's view and caret stay where the user left them.
        QCOMPARE(html->firstVisibleLine(), 50);
        QCOMPARE(xOffset(html), 40L);
        QCOMPARE(caretPlace(html), QString("100:4"));
        QCOMPARE(script->text(), QString("var a = 1 < 2; && b"));
        QCOMPARE(caretPlace(script), QString("0:19"));

        // Typing "&lt;" in the script keeps it as text: it is stored escaped.
        QTest::keyClicks(script, "&lt;");
        QVERIFY(html->text().contains("<pre>var a = 1 &lt; 2; &amp;&amp; b&amp;lt;</pre>"));
        // Undo in the HTML editor undoes the script's last change there and shows it.
        html->undo();
        QVERIFY(html->text().contains("<pre>var a = 1 &lt; 2; &amp;&amp; b&amp;lt</pre>"));
        QCOMPARE(script->text(), QString("var a = 1 < 2; && b&lt"));
    }

    void typingInTheHtml()
    {
        open(scrolledPage());
        QsciScintilla *html = htmlEditor(), *script = scriptEditor();
        focus(part(form, "HtmlSheet"), html);
        // Put the caret after "2;" inside the block and type an escaped "<".
        int line = 0;
        while (!html->text(line).contains("<pre>"))
            ++line;
        const int index = html->text(line).indexOf("2;") + 2;
        html->setCursorPosition(line, index);
        QTest::keyClicks(html, " &lt;&gt;&amp;");
        QVERIFY(modified());
        QCOMPARE(script->text(), QString("var a = 1 < 2; <>&"));
        // Breaking the block's end tag leaves no block: the script editor empties.
        const QString text = html->text();
        html->setText(QString(text).replace("</pre>", "</pr>"));
        QCOMPARE(script->text(), QString());
        QCOMPARE(html->text(), QString(text).replace("</pre>", "</pr>"));
    }

    // Keys of menu commands that the editors also know: the menu's command runs, the text
    // stays.
    void menuKeysInTheEditors_data()
    {
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QString>("editor");
        QTest::newRow("HTML") << "HtmlSheet"
                              << "htmlEdit";
        QTest::newRow("script") << "HtmlSheet"
                                << "JavaScriptMemo";
        QTest::newRow("response") << "TabSheet1"
                                  << "ReqListMemo";
    }
    void menuKeysInTheEditors()
    {
        QFETCH(QString, sheet);
        QFETCH(QString, editor);
        open(scrolledPage());
        auto *edit = part<QsciScintilla>(form, qPrintable(editor));
        if (edit->lines() < 2)
            edit->setText("first\r\nsecond");
        QTRY_VERIFY(edit->lines() > 1);
        const QString text = edit->text();
        focus(part(form, qPrintable(sheet)), edit);
        edit->setCursorPosition(1, 2);
        // The editor's own commands on these keys swap two lines and cut one.
        QTest::keyClick(edit, Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(edit->text(), text);
        QVERIFY(!SQLConnWindow());
        QTest::keyClick(edit, Qt::Key_L, Qt::ControlModifier);
        QVERIFY(SQLConnWindow());
        QVERIFY(SQLConnWindow()->isVisible());
        QCOMPARE(edit->text(), text);
    }

    void scriptWithoutBlock()
    {
        open("<wqf><function><fn>f</fn></function><preproc/><postproc/>"
             "<html><![CDATA[<p>no block</p>]]></html></wqf>");
        QCOMPARE(scriptEditor()->text(), QString());
        QVERIFY(!modified());
        scriptEditor()->insert("var x;");
        QVERIFY(modified());
        QCOMPARE(htmlEditor()->text(), QString("<p>no block</p>"));
        QCOMPARE(scriptEditor()->text(), QString("var x;"));
    }

    void openingANewPageForgetsTheOldScript()
    {
        open(scrolledPage());
        scriptEditor()->insert("old ");
        QVERIFY(form->CloseDocument(false));
        open("<wqf><function><fn>g</fn></function><preproc/><postproc/><html><![CDATA["
             "<div ref=\"scriptingcontainer\"><pre>new</pre></div>]]></html></wqf>");
        QCOMPARE(scriptEditor()->text(), QString("new"));
        // Nothing to undo from the page before, in either editor.
        QVERIFY(!scriptEditor()->isUndoAvailable());
        QVERIFY(!htmlEditor()->isUndoAvailable());
        QVERIFY(!modified());
    }

    // ---- WQF Info ----

    void flags_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("element");
        QTest::newRow("pre") << "chkNoHTTPPre"
                             << "DenyURLExecution";
        QTest::newRow("post") << "chkNoHTTPPost"
                              << "DenyAjaxExecution";
    }
    void flags()
    {
        QFETCH(QString, box);
        QFETCH(QString, element);
        open("<wqf><function><fn>f</fn></function><preproc/><postproc/></wqf>");
        auto *check = part<QCheckBox>(form, qPrintable(box));
        QCOMPARE(check->text(), box == "chkNoHTTPPre" ? QString("Do not allow the page to be called via HTTP call")
                                                      : QString("Do not allow the page to be called with "
                                                                "X-Requested-With=XMLHttpRequest parameter"));
        TWQFFile *page = form->GetCurrentDoc();
        QVERIFY(!page->FindFunctionChild(element));
        check->click();
        QVERIFY(modified());
        QCOMPARE(page->FindFunctionChild(element)->textContent(), QString("1"));
        form->SetModified(false);
        check->click();
        QVERIFY(modified());
        QCOMPARE(page->FindFunctionChild(element)->textContent(), QString("0"));
    }

    void notesKeepTheirMarkers()
    {
        open("<wqf><function><fn>f</fn><editorNotes><![CDATA[Notes.\n"
             "[[@@rect 1 2 30 40 preproc 0 A||||a@@]]\n[[@@rect 5 6 70 80 postproc 1 B||||b@@]]\n"
             "]]></editorNotes></function><preproc/><postproc/></wqf>");
        QCOMPARE(notesEditor()->toPlainText(), QString("Notes.\n"));
        QCOMPARE(form->CommentRects().size(), size_t(2));
        focus(part(form, "NotesSheet"), notesEditor());
        QTest::keyClick(notesEditor(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(notesEditor(), "More");
        QVERIFY(modified());
        QCOMPARE(form->GetCurrentDoc()->GetEditorNotes(),
                 QString("Notes.\nMore\n[[@@rect 1 2 30 40 preproc 0 A||||a@@]]\n"
                         "[[@@rect 5 6 70 80 postproc 1 B||||b@@]]\n"));
    }

    void withoutAPageOnlyTheControlsChange()
    {
        part<QLineEdit>(form, "txtFuncName")->setText("name");
        part<QCheckBox>(form, "chkNoHTTPPre")->click();
        notesEditor()->setPlainText("notes");
        scriptEditor()->insert("x");
        QVERIFY(!form->GetCurrentDoc());
        QCOMPARE(part<QLineEdit>(form, "txtFuncName")->text(), QString("name"));
    }

    void editsReachTheBytes()
    {
        OptionStore().SetString(opt::Backup, "0");
        const QString path = open("<wqf><function><fn>f</fn><editorNotes><![CDATA["
                                  "[[@@rect 1 2 30 40 preproc 0 A||||a@@]]\n]]></editorNotes></function>"
                                  "<preproc/><postproc/><html><![CDATA[<div ref=\"scriptingcontainer\"><pre></pre>"
                                  "</div>]]></html></wqf>");
        focus(part(form, "NotesSheet"), part(form, "txtFuncName"));
        QTest::keyClicks(part(form, "txtFuncName"), "_2");
        part<QCheckBox>(form, "chkNoHTTPPost")->click();
        notesEditor()->setPlainText("N");
        scriptEditor()->insert("a<b");
        QVERIFY(form->SaveFile(path));
        const QByteArray bytes = readBytes(path);
        QVERIFY2(bytes.contains("<fn>f_2</fn>"), bytes.constData());
        QVERIFY(bytes.contains("<editorNotes><![CDATA[N\n[[@@rect 1 2 30 40 preproc 0 A||||a@@]]\n]]>"));
        QVERIFY(bytes.contains("<DenyAjaxExecution>1</DenyAjaxExecution>"));
        QVERIFY(bytes.contains("<pre>a&lt;b</pre>"));
    }

    // ---- opening and saving ----

    // A page opened and saved, then opened and saved again, gives the same bytes, also after
    // line breaks typed or pasted into the HTML editor.
    void stableAcrossOpenAndSave_data()
    {
        QTest::addColumn<int>("options");
        QTest::addColumn<QString>("edit");
        for (int o = 0; o < 8; ++o)
            for (const char *edit : {"none", "typed", "pasted"})
                QTest::addRow("o%d %s", o, edit) << o << edit;
    }
    void stableAcrossOpenAndSave()
    {
        QFETCH(int, options);
        QFETCH(QString, edit);
        OptionStore().SetString(opt::XMLWhitespace, options & 1 ? "1" : "0");
        OptionStore().SetString(opt::XMLForceHeader, options & 2 ? "1" : "0");
        OptionStore().SetString(opt::XMLClearEol, options & 4 ? "1" : "0");
        OptionStore().SetString(opt::Backup, "0");
        for (const QString &fixture : {dataPath("shell/page.wqf"), pellorin_test::kSamplePage}) {
            const QString path = writePage("stable.wqf", readBytes(fixture));
            form->OpenFile(path);
            QVERIFY(form->GetCurrentDoc());
            QVERIFY(!modified());
            if (edit == "typed") {
                focus(part(form, "HtmlSheet"), htmlEditor());
                htmlEditor()->setCursorPosition(1, 0);
                QTest::keyClick(htmlEditor(), Qt::Key_Return);
                QTest::keyClicks(htmlEditor(), "<br>");
            } else if (edit == "pasted") {
                focus(part(form, "HtmlSheet"), htmlEditor());
                QApplication::clipboard()->setText("<p>a</p>\n<p>b</p>\n");
                htmlEditor()->setCursorPosition(1, 0);
                htmlEditor()->paste();
            }
            QVERIFY(form->SaveFile(path));
            const QByteArray first = readBytes(path);
            // The HTML is written with CR LF throughout.
            const QByteArray html = first.mid(first.indexOf("<html>"));
            QVERIFY2(html.count('\n') == html.count("\r\n"), qPrintable(fixture));
            QVERIFY(form->CloseDocument(false));
            form->OpenFile(path);
            QVERIFY(!modified());
            QVERIFY(form->SaveFile(path));
            QCOMPARE(pellorin_test::visible(readBytes(path)), pellorin_test::visible(first));
            QVERIFY(form->CloseDocument(false));
        }
    }

    // ---- XML Respond ----

    void responseLines_data()
    {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("shown");
        QTest::newRow("request list") << "<morivane><reqlist>a||b</reqlist></morivane>"
                                      << "a\r\nb";
        QTest::newRow("around the answer")
            << "HTTP/1.1 200 OK\r\n\r\n<morivane><reqlist>one||two||three</reqlist></morivane>\r\ntrailer"
            << "one\r\ntwo\r\nthree";
        QTest::newRow("escaped break") << "<morivane><reqlist>a&lt;br&gt;b||c</reqlist></morivane>"
                                       << "a\r\nb\r\nc";
        QTest::newRow("no end tag") << "<morivane>x||y"
                                    << "<morivane>x\r\ny";
        QTest::newRow("no end tag, blanks") << "<morivane>x  y"
                                            << "<morivane>x\r\ny";
        QTest::newRow("broken answer") << "<morivane><reqlist>a||b</morivane>"
                                       << "<morivane><reqlist>a\r\nb</morivane>";
        QTest::newRow("without reqlist") << "<morivane><other>a||b</other></morivane>"
                                         << "<morivane><other>a||b</other></morivane>";
        QTest::newRow("blanks") << "a   b    c"
                                << "a\r\n b\r\n\r\nc";
        QTest::newRow("plain lines") << "one<br>two\r\nthree"
                                     << "one\r\ntwo\r\nthree";
    }
    void responseLines()
    {
        QFETCH(QString, pasted);
        QFETCH(QString, shown);
        open("<wqf><function><fn>f</fn></function><preproc/><postproc/></wqf>");
        QsciScintilla *editor = responseEditor();
        focus(part(form, "TabSheet1"), editor);
        QApplication::clipboard()->setText(pasted);
        editor->paste();
        QTRY_COMPARE(editor->text(), shown);
        // Nothing more follows.
        QTest::qWait(20);
        QCOMPARE(editor->text(), shown);
        QVERIFY(!modified());
    }

    void pastedLongAnswerShowsItsLines()
    {
        QsciScintilla *editor = responseEditor();
        focus(part(form, "TabSheet1"), editor);
        // An answer as a server sends it: on one line, far wider than the editor.
        QApplication::clipboard()->setText(QString(300, u'-') + "<morivane><reqlist>a||b</reqlist></morivane>");
        editor->paste();
        QTRY_COMPARE(editor->text(), QString("a\r\nb"));
        QCOMPARE(xOffset(editor), 0L);
    }

    void typingInTheResponse()
    {
        QsciScintilla *editor = responseEditor();
        focus(part(form, "TabSheet1"), editor);
        // As a user types: the window handles its events between the keys.
        QTest::keyClicks(editor, "first", {}, 1);
        QTest::keyClick(editor, Qt::Key_Return, {}, 1);
        QTest::keyClicks(editor, "second||third", {}, 1);
        QTRY_COMPARE(editor->text(), QString("first\r\nsecond\r\nthird"));
        QCOMPARE(caretPlace(editor), QString("2:5"));
        QTest::keyClick(editor, Qt::Key_Return, {}, 1);
        QTest::keyClicks(editor, "x  y", {}, 1);
        QTRY_COMPARE(editor->text(), QString("first\r\nsecond\r\nthird\r\nx\r\ny"));
        QCOMPARE(caretPlace(editor), QString("4:1"));
        // The response is no part of a page.
        QVERIFY(!modified());
    }

    // ---- the hidden tabs ----

    void hiddenTabsShowTheControls()
    {
        open(kControlsPage);
        const TextTabs *tabs = form->textTabs();
        QVERIFY(!tabs->htmlTree());
        // The tab never shows in the window; showing it here runs what its show would.
        const int index = pages()->indexOf(part(form, "HtmlTable"));
        QVERIFY(!pages()->isTabVisible(index));
        form->show();
        pages()->setTabVisible(index, true);
        pages()->setCurrentIndex(index);
        QVERIFY(tabs->htmlTree());
        const HTMLControlList &controls = tabs->htmlControls();
        QCOMPARE(controls.size(), size_t(3));
        const auto *grid = part<QTableWidget>(form, "ControlGrid");
        QCOMPARE(gridRows(grid),
                 QStringList({"Control|Condition|ID|Caption|Left|Top|Borderless|Height|Width", "HTML page||||||||",
                              "Dynamic Container|||Rows|||||", "Static Container|||Orders|40px|400px||80px|300px"}));

        // The HTML-UI view lists the same controls, sized to hold them.
        const THTMLEditor *view = tabs->htmlUiEditor();
        QCOMPARE(view->ItemCount(), 3);
        int right = 0, bottom = 0;
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(view->Items(i)->Data, static_cast<void *>(controls[size_t(i)].get()));
            right = std::max(right, view->Items(i)->Rect.Right);
            bottom = std::max(bottom, view->Items(i)->Rect.Bottom);
        }
        Rect staticBox;
        AbsoluteBounds(controls[2].get(), staticBox);
        QCOMPARE(view->Items(2)->Rect, staticBox);
        QCOMPARE(view->GetGraphSize().x, right);
        QCOMPARE(view->GetGraphSize().y, bottom);
        QVERIFY(bottom >= 480);

        // The page's stored HTML counts, not the editor's; the tree is kept.
        const TMLTree *tree = tabs->htmlTree();
        htmlEditor()->setText("<div class=\"EditableContent\"></div>");
        pages()->setCurrentIndex(0);
        pages()->setCurrentWidget(part(form, "HtmlGraph"));
        QCOMPARE(tabs->htmlTree(), tree);
        QCOMPARE(tabs->htmlControls().size(), size_t(3));
        QCOMPARE(view->ItemCount(), 3);

        // A page's HTML set into the editor drops the tree, and the view lets go of the controls.
        QVERIFY(form->CloseDocument(false));
        open("<wqf><function><fn>f</fn></function><preproc/><postproc/><html><![CDATA[<p/>]]></html></wqf>");
        QVERIFY(!tabs->htmlTree());
        QVERIFY(tabs->htmlControls().empty());
        QCOMPARE(view->ItemCount(), 0);
        pages()->setCurrentIndex(0);
        pages()->setCurrentIndex(index);
        QCOMPARE(gridRows(grid), QStringList({"Control", ""}));
        QVERIFY(!modified());
    }

    void hiddenTabsWithoutAPage()
    {
        const int index = pages()->indexOf(part(form, "HtmlGraph"));
        form->show();
        pages()->setTabVisible(index, true);
        pages()->setCurrentIndex(index);
        QVERIFY(!form->textTabs()->htmlTree());
        QCOMPARE(form->textTabs()->htmlUiEditor()->ItemCount(), 0);
    }
};

PELLORIN_TEST_CLASS(TestTextTabs)
#include "test_texttabs.moc"
