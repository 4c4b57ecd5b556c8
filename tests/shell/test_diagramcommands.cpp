#include "common/scriptedprompter.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "editors/lclgrapheditor.h"
#include "editors/wqfeditors.h"
#include "editors/wqfmacros.h"
#include "model/clipboardxml.h"
#include "shell/diagramcommands.h"
#include "shell/globaloptions.h"
#include "shell/mainform.h"
#include "shell/openpage.h"
#include "shell/startup.h"
#include "windowparts.h"
#include "windowtest.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

using pellorin_test::part;
using pellorin_test::readBytes;
using pellorin_test::writeBytes;

namespace {
QByteArray component(const QByteArray &name, const QByteArray &type, const QByteArray &exit0, const QByteArray &exit1,
                     int x, int y, const QByteArray &values = QByteArray())
{
    return "<c><n>" + name + "</n><t>" + type + "</t><c>" + name + " comment</c><j>" + exit0 + "</j><j>" + exit1 +
           "</j><x>" + QByteArray::number(x) + "</x><y>" + QByteArray::number(y) + "</y><values>" + values +
           "</values></c>";
}

// Components 1, 2, 3, 5 and 6 before the process; 5 is the target of three exits, 6 points
// at names that only contain a 5. The post process points at 5 as well, and a note lies on the
// pre-process diagram.
QByteArray samplePage(const QByteArray &query5 = "update t set a = :a:i:5 where id = :id")
{
    return "<wqf><function><fn>orders</fn><editorNotes>notes\n[[@@rect 600 400 100 40 preproc 0 Loop||||Loop "
           "text@@]]</editorNotes></function><preproc>" +
           component("1", "SELECTQUERY", "5", "2", 64, 52, "<query>select 1</query>") +
           component("2", "IF", "5", "3", 160, 130) +
           component("3", "selectquery", "", "5", 256, 208, "<query>select :x from y</query>") +
           component("5", "INSERTUPDATEQUERY", "1", "", 352, 52, "<query>" + query5 + "</query>") +
           component("6", "SET", "15", "55", 448, 130) + "</preproc><postproc>" +
           component("1", "SET", "5", "", 64, 52) + "</postproc></wqf>";
}

// A macro whose code calls the target of exit 1 and shows its one value.
const QByteArray kMacroIni = "[main]\nname=limit\n[Limit]\ntype=INTEGER\ndefault=100\n";
const QByteArray kMacroPas = "if n >= %Limit% then\n  %_GRAY%\nend;\n";

// The first eight bytes and the header chunk of a PNG file: width, height, bit depth, colour type.
struct PngHeader {
    bool valid = false;
    quint32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0;
};
PngHeader pngHeader(const QByteArray &bytes)
{
    PngHeader h;
    if (bytes.size() < 26 || !bytes.startsWith("\x89PNG\r\n\x1a\n") || bytes.mid(12, 4) != "IHDR")
        return h;
    auto be32 = [&](int at) {
        return quint32(uchar(bytes[at])) << 24 | quint32(uchar(bytes[at + 1])) << 16 |
               quint32(uchar(bytes[at + 2])) << 8 | quint32(uchar(bytes[at + 3]));
    };
    h.valid = true;
    h.width = be32(16);
    h.height = be32(20);
    h.bitDepth = uchar(bytes[24]);
    h.colourType = uchar(bytes[25]);
    return h;
}
} // namespace

// The editing commands on the diagrams, in the started main window with a page open: what
// they change in the page, what they ask and log, and what they leave alone.
class TestDiagramCommands : public pellorin_test::WindowTest {
    Q_OBJECT

    QString m_pagePath;

    QTabWidget *pages() const { return part<QTabWidget>(form, "PageControl1"); }
    TWQFSection *section(const char *name) const { return form->GetCurrentDoc()->FindSection(name); }
    TWQFItem *item(const QString &name, const char *sectionName = "preproc") const
    {
        return FindItemByName(section(sectionName)->Items(), name);
    }
    QStringList names(const char *sectionName = "preproc") const
    {
        QStringList out;
        for (const auto &c : section(sectionName)->Items())
            out << c->GetName();
        return out;
    }
    QString exits(const QString &name, const char *sectionName = "preproc") const
    {
        const TWQFItem *c = item(name, sectionName);
        return c ? c->GetJump(0) + u'|' + c->GetJump(1) : QStringLiteral("missing");
    }
    TWQFEditorSource *preSource() const { return static_cast<TWQFEditorSource *>(form->PreEditor()->Source()); }
    bool modified() const { return form->openPage()->isModified(); }

    // Opens the page on the pre-process tab with the window active and the focus on the tabs,
    // where no text control has it.
    void open(const QByteArray &page = samplePage(), const QString &fileName = "page.wqf")
    {
        m_pagePath = m_dir->filePath(fileName);
        writeBytes(m_pagePath, page);
        form->OpenFile(m_pagePath);
        QVERIFY(form->GetCurrentDoc());
        form->resize(1000, 700);
        form->show();
        QApplication::setActiveWindow(form);
        QVERIFY(QTest::qWaitForWindowActive(form));
        showTab("PreSheet");
    }
    void showTab(const char *sheet)
    {
        pages()->setCurrentWidget(part<QWidget>(form, sheet));
        pages()->setFocus();
        QTRY_VERIFY(pages()->hasFocus());
    }
    void select(TGraphEditor *editor, const DataList &data)
    {
        editor->SetSelected(nullptr, false);
        editor->SetSelected(&data, true);
    }
    void selectNames(const QStringList &list)
    {
        DataList data;
        for (const QString &name : list)
            data.push_back(item(name));
        select(form->PreEditor(), data);
    }
    QStringList selectedNames(TGraphEditor *editor) const
    {
        DataList data;
        editor->GetSelected(&data);
        QStringList out;
        for (void *d : data)
            if (TWQFItem *c = static_cast<TWQFEditorSource *>(editor->Source())->componentOf(d))
                out << c->GetName();
            else
                out << "other";
        return out;
    }
    // The client point in the middle of an object of the pre-process diagram.
    QPoint middleOf(void *data) const
    {
        Rect r;
        if (!form->PreEditor()->GetItemRect(data, r))
            qFatal("no such object on the diagram");
        const Point p = form->PreEditor()->GraphToClient((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
        return QPoint(p.x, p.y);
    }
    void shiftClick(Qt::MouseButton button, QPoint at)
    {
        QTest::mouseClick(form->PreEditor()->Content(), button, Qt::ShiftModifier, at);
    }
    QStringList newLogLines(int from) const { return form->messageLines().mid(from); }
    TCommentRect *note() const { return form->CommentRects().at(0).get(); }
    QStringList pictures() const { return QDir(m_dir->path()).entryList({"*.png"}, QDir::Files, QDir::Name); }

private slots:
    void init()
    {
        prepare();
        start();
        OptionStore().SetDbgClip(true);
        QGuiApplication::clipboard()->clear();
    }
    void cleanup()
    {
        if (form && form->GetCurrentDoc())
            form->SetModified(false); // nothing to ask at the end
        stop();
        ClearMacros();
        finish();
    }

    // ---- the pure routines ----

    void landingPoint_data()
    {
        QTest::addColumn<int>("dpi");
        QTest::addColumn<QPoint>("scroll");
        QTest::addColumn<QPoint>("offset");
        QTest::addColumn<QPoint>("landing");
        QTest::newRow("96 dpi") << 96 << QPoint(320, 260) << QPoint(0, 0) << QPoint(320, 260);
        QTest::newRow("144 dpi") << 144 << QPoint(320, 260) << QPoint(0, 0) << QPoint(213, 173);
        QTest::newRow("halves to even") << 192 << QPoint(185, 195) << QPoint(0, 0) << QPoint(92, 98);
        QTest::newRow("offset added") << 96 << QPoint(10, 20) << QPoint(-30, 5) << QPoint(-20, 25);
    }
    void landingPoint()
    {
        QFETCH(int, dpi);
        QFETCH(QPoint, scroll);
        QFETCH(QPoint, offset);
        const Point p = pasteLandingPoint({scroll.x(), scroll.y()}, dpi, offset.x(), offset.y());
        QTEST(QPoint(p.x, p.y), "landing");
    }

    void placeItemsAt()
    {
        // The top-left bound is made of the smallest x and the smallest y, of different components.
        std::unique_ptr<TWQFFile> page = std::make_unique<TWQFFile>();
        QBuffer buffer;
        buffer.setData("<wqf><preproc>" + component("1", "SET", "", "", 100, 50) +
                       component("2", "SET", "", "", 40, 200) + "</preproc><postproc/></wqf>");
        buffer.open(QIODevice::ReadOnly);
        QVERIFY(page->LoadFromStream(buffer, {}));
        TWQFSection *s = page->FindSection("preproc");
        const std::vector<TWQFItem *> group{s->Items()[0].get(), s->Items()[1].get()};
        PlaceItemsAt(10, 20, group);
        QCOMPARE(QPoint(group[0]->GetX(), group[0]->GetY()), QPoint(70, 20));
        QCOMPARE(QPoint(group[1]->GetX(), group[1]->GetY()), QPoint(10, 170));
        PlaceItemsAt(5, 5, {});
    }

    void pictureName_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("picture");
        QTest::newRow("order") << "/p/order.wqf"
                               << "/p/order-20240305-070809.png";
        QTest::newRow("two dots") << "/p/a.b.wqf"
                                  << "/p/a.b-20240305-070809.png";
        QTest::newRow("dot in a folder") << "/p.q/page"
                                         << "/p.q/page-20240305-070809.png";
        QTest::newRow("no extension") << "/p/page"
                                      << "/p/page-20240305-070809.png";
    }
    void pictureName()
    {
        QFETCH(QString, page);
        QTEST(sectionPictureName(page, QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9))), "picture");
    }

    void editControls()
    {
        QLineEdit line;
        QPlainTextEdit plain;
        QTextEdit rich;
        QsciScintilla code;
        QComboBox combo;
        combo.setEditable(true);
        QWidget other;
        for (QWidget *w : std::initializer_list<QWidget *>{&line, &plain, &rich, &code, &combo})
            QVERIFY2(IsEditControl(w), w->metaObject()->className());
        QVERIFY(!IsEditControl(&other));
        QVERIFY(!IsEditControl(nullptr));

        QGuiApplication::clipboard()->setText("pasted");
        for (QWidget *w : std::initializer_list<QWidget *>{&line, &plain, &code})
            PasteIntoEditControl(w);
        QCOMPARE(line.text(), QString("pasted"));
        QCOMPARE(plain.toPlainText(), QString("pasted"));
        QCOMPARE(code.text(), QString("pasted"));
        // A combo box gets neither, not even through its own line edit.
        PasteIntoEditControl(&combo);
        PasteIntoEditControl(combo.lineEdit());
        QCOMPARE(combo.currentText(), QString());
        combo.lineEdit()->setText("combo text");
        combo.lineEdit()->selectAll();
        CopyFromEditControl(combo.lineEdit());
        CopyFromEditControl(&combo);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("pasted"));
        line.setText("line text");
        line.setSelection(5, 4);
        CopyFromEditControl(&line);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("text"));
    }

    // ---- delete ----

    void deleteClearsTheExitsNamingTheDeleted()
    {
        open();
        selectNames({"2", "5"});
        DataList selection;
        form->PreEditor()->GetSelected(&selection);
        selection.push_back(note());
        selection.push_back(preSource()->HandleOf(note())); // handles are not counted
        select(form->PreEditor(), selection);
        prompter().answers << pbYes;
        form->DeleteSelected(form->PreEditor());

        QCOMPARE(prompter().prompts.size(), 1);
        QCOMPARE(prompter().prompts[0].caption, QString("Delete"));
        QCOMPARE(prompter().prompts[0].text, QString("Delete selected 3 item(s)?"));
        QCOMPARE(prompter().prompts[0].buttons, PromptButtons(pbYes | pbNo));
        QCOMPARE(names(), QStringList({"1", "3", "6"}));
        QCOMPARE(exits("1"), QString("|"));
        QCOMPARE(exits("3"), QString("|"));
        QCOMPARE(exits("6"), QString("15|55")); // names that merely contain 5 stay
        QCOMPARE(exits("1", "postproc"), QString("5|")); // another section is not touched
        QVERIFY(form->CommentRects().empty());
        QCOMPARE(form->PreEditor()->ItemCount(), 3);
        QCOMPARE(form->PreEditor()->SelectedCount(), 0);
        QVERIFY(modified());

        // The page as saved has neither the components nor the note.
        QVERIFY(form->SaveFile(m_pagePath));
        const QByteArray saved = readBytes(m_pagePath);
        QVERIFY(!saved.contains("<n>5</n>") && !saved.contains("<n>2</n>"));
        QVERIFY(saved.contains("<n>6</n>"));
        QVERIFY(!saved.contains("@@rect"));
    }

    void deleteOneComponent()
    {
        open();
        selectNames({"5"});
        prompter().answers << pbYes;
        part<QAction>(form, "MenuItem5")->trigger();
        QCOMPARE(promptTexts(), QStringList{"Delete selected 1 item(s)?"});
        QCOMPARE(names(), QStringList({"1", "2", "3", "6"}));
        QCOMPARE(exits("1"), QString("|2"));
        QCOMPARE(exits("2"), QString("|3"));
        QCOMPARE(exits("3"), QString("|"));
        QCOMPARE(form->CommentRects().size(), size_t(1));
        QCOMPARE(form->PreEditor()->ItemCount(), 4 + 2);
    }

    void deleteAnsweredNoStillMarksModified()
    {
        open();
        selectNames({"1"});
        auto *messages = part<QWidget>(form, "ListBox1");
        messages->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), messages);
        prompter().answers << pbNo;
        form->DeleteSelected(form->PreEditor());
        QCOMPARE(promptTexts(), QStringList{"Delete selected 1 item(s)?"});
        QCOMPARE(names(), QStringList({"1", "2", "3", "5", "6"}));
        QVERIFY(modified());
        QTRY_VERIFY(pages()->hasFocus());
    }

    void deleteWithNothingToDelete_data()
    {
        QTest::addColumn<QString>("selection");
        QTest::newRow("nothing selected") << "";
        QTest::newRow("only a note handle") << "handle";
    }
    void deleteWithNothingToDelete()
    {
        QFETCH(QString, selection);
        open();
        if (selection == "handle")
            select(form->PreEditor(), {preSource()->HandleOf(note())});
        form->DeleteSelected(form->PreEditor());
        QCOMPARE(prompter().prompts.size(), 0);
        QVERIFY(!modified());
        QCOMPARE(form->CommentRects().size(), size_t(1));
    }

    void popupDeleteOnlyOnADiagramTab()
    {
        open();
        selectNames({"1"});
        showTab("HtmlSheet");
        part<QAction>(form, "MenuItem5")->trigger();
        QCOMPARE(prompter().prompts.size(), 0);
        QVERIFY(!modified());
    }

    // ---- copy and paste ----

    void copyWritesTheSelectedComponents()
    {
        open();
        QGuiApplication::clipboard()->setText("before");
        const int log = form->messageLines().size();
        // Nothing selected: the clipboard keeps its text.
        part<QAction>(form, "mnuMainCopy")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("before"));

        select(form->PreEditor(), {item("2"), note(), item("1")});
        part<QAction>(form, "mnuPopCopy")->trigger();
        const QString text = QGuiApplication::clipboard()->text();
        QVERIFY(text.startsWith("\r\n<c>\r\n  <n>1</n>"));
        QCOMPARE(text.count("\r\n<c>"), 2);
        QVERIFY(text.indexOf("<n>1</n>") < text.indexOf("<n>2</n>")); // the diagram's order
        QVERIFY(text.endsWith("</c>"));
        QCOMPARE(newLogLines(log),
                 QStringList({"pre process focused", "copied!0 items", "pre process focused", "copied!2 items"}));
        QVERIFY(!modified());
    }

    void pasteLandsAtTheScrollPosition_data()
    {
        QTest::addColumn<int>("dpi");
        QTest::addColumn<QPoint>("first");
        QTest::addColumn<QPoint>("second");
        QTest::newRow("96 dpi") << 96 << QPoint(320, 260) << QPoint(416, 338);
        QTest::newRow("144 dpi") << 144 << QPoint(213, 173) << QPoint(309, 251);
    }
    void pasteLandsAtTheScrollPosition()
    {
        QFETCH(int, dpi);
        QFETCH(QPoint, first);
        QFETCH(QPoint, second);
        open();
        form->diagramCommands()->setScreenDpi([dpi] { return double(dpi); });
        selectNames({"1", "2"}); // stored at (64, 52) and (160, 130)
        form->CopyCommand();
        form->PreEditor()->SetScrollPos({320, 260});
        const int log = form->messageLines().size();
        part<QAction>(form, "mnuMainPaste")->trigger();

        // Fresh names, the exit between the two follows, the exits leaving the group are emptied.
        QCOMPARE(names(), QStringList({"1", "2", "3", "5", "6", "0", "4"}));
        QCOMPARE(exits("0"), QString("|4"));
        QCOMPARE(exits("4"), QString("|"));
        QCOMPARE(QPoint(item("0")->GetX(), item("0")->GetY()), first);
        QCOMPARE(QPoint(item("4")->GetX(), item("4")->GetY()), second);
        QCOMPARE(selectedNames(form->PreEditor()), QStringList({"0", "4"}));
        QCOMPARE(form->PreEditor()->ItemCount(), 7 + 2);
        QCOMPARE(newLogLines(log), QStringList({"pre process editor pasting!", "arranging pasted items 2"}));
        // Closing must not drop the pasted components silently.
        QVERIFY(modified());
        QVERIFY(form->SaveFile(m_pagePath));
        QVERIFY(readBytes(m_pagePath).contains("<n>4</n>"));
    }

    void pasteIntoTheOtherDiagram()
    {
        open();
        selectNames({"1", "2"});
        form->CopyCommand();
        showTab("PostSheet");
        const int log = form->messageLines().size();
        form->PasteCommand(0, 0);
        QCOMPARE(names("postproc"), QStringList({"1", "0", "2"}));
        QCOMPARE(exits("0", "postproc"), QString("|2"));
        QCOMPARE(QPoint(item("0", "postproc")->GetX(), item("0", "postproc")->GetY()), QPoint(0, 0));
        QCOMPARE(QPoint(item("2", "postproc")->GetX(), item("2", "postproc")->GetY()), QPoint(96, 78));
        QCOMPARE(newLogLines(log), QStringList({"post process editor pasting!", "arranging pasted items 2"}));
        QCOMPARE(selectedNames(form->PostEditor()), QStringList({"0", "2"}));
    }

    void pastedGroupBeyondTheGraphCanBeScrolledTo()
    {
        open();
        // A group taller than the diagram, copied from a longer page, pasted with the view at
        // the diagram's end.
        QGuiApplication::clipboard()->setText(
            QString::fromUtf8(component("7", "SET", "8", "", 0, 0) + component("8", "SET", "", "", 96, 1560)));
        TImageGraphEditor *editor = form->PreEditor();
        QScrollBar *vbar = editor->VScrollBar();
        QScrollBar *hbar = editor->HScrollBar();
        vbar->setValue(vbar->maximum());
        hbar->setValue(hbar->maximum());
        const Point landing = editor->GetScrollPos();
        QVERIFY(landing.y > 0);
        part<QAction>(form, "mnuMainPaste")->trigger();
        TWQFItem *last = item("4");
        QVERIFY(last);
        QCOMPARE(last->GetY(), landing.y + 1560);
        Rect r;
        QVERIFY(editor->GetItemRect(last, r));
        // The bars reach far enough to show the lowest pasted component whole.
        vbar->setValue(vbar->maximum());
        hbar->setValue(hbar->maximum());
        const Point scroll = editor->GetScrollPos();
        const Point view = editor->GetViewSize();
        QVERIFY2(r.Bottom <= scroll.y + view.y,
                 qPrintable(QString("bottom %1, view ends at %2").arg(r.Bottom).arg(scroll.y + view.y)));
        QVERIFY(r.Top >= scroll.y);
        QVERIFY(r.Right <= scroll.x + view.x);
    }

    void pastedGroupIsNeverNegative()
    {
        open();
        selectNames({"1", "2"});
        form->CopyCommand();
        form->PasteCommand(-100, -60);
        // The group lands at (-100, -60) and (-4, 18); what lies left of or above the edge goes to it.
        QCOMPARE(QPoint(item("0")->GetX(), item("0")->GetY()), QPoint(0, 0));
        QCOMPARE(QPoint(item("4")->GetX(), item("4")->GetY()), QPoint(0, 18));
    }

    void pasteRefusals_data()
    {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QStringList>("log");
        const QStringList bad{"pre process editor pasting!", "unable to prepare clipping XML",
                              "failed to paste any controls. bad XML?"};
        QTest::newRow("not XML") << "a & b" << bad;
        QTest::newRow("own declaration") << "<?xml version=\"1.0\"?><c><n>1</n><t>SET</t></c>" << bad;
        QTest::newRow("stray end of clip") << "<c/></clip><clip>" << bad;
        QTest::newRow("empty") << ""
                               << QStringList{"pre process editor pasting!", "Internal error: no component in clip",
                                              "failed to paste any controls. bad XML?"};
        QTest::newRow("no c element") << "<x/>text"
                                      << QStringList{"pre process editor pasting!",
                                                     "Internal error: no component in clip",
                                                     "failed to paste any controls. bad XML?"};
    }
    void pasteRefusals()
    {
        QFETCH(QString, clipboard);
        open();
        QGuiApplication::clipboard()->setText(clipboard);
        const int log = form->messageLines().size();
        form->PasteCommand(0, 0);
        QTEST(newLogLines(log), "log");
        QCOMPARE(names(), QStringList({"1", "2", "3", "5", "6"}));
        QVERIFY(!modified());
    }

    void pasteAcceptsAnyLayout()
    {
        // A comment first, no line breaks: the paste starts at the first c element.
        open();
        QGuiApplication::clipboard()->setText("<!-- from elsewhere --><c><n>9</n><t>SET</t><j>9</j><j>1</j>"
                                              "<x>5</x><y>7</y></c>");
        form->PasteCommand(0, 0);
        QCOMPARE(names(), QStringList({"1", "2", "3", "5", "6", "0"}));
        QCOMPARE(exits("0"), QString("0|"));
        QCOMPARE(item("0")->GetType(), QString("SET"));
    }

    // A paste that would make every save of the page fail (a component 5791 levels deep, too
    // deep to indent) is refused with a message while saves indent the page, and taken once
    // "Preserve XML whitespaces" is on; the page then saves, and the copy of the component
    // goes to the clipboard unindented without a word.
    void pasteTooDeepToIndent()
    {
        const int depth = 5791;
        const QByteArray nested = QByteArray("<e>").repeated(depth) + QByteArray("</e>").repeated(depth);
        open();
        QGuiApplication::clipboard()->setText(QString::fromUtf8(component("9", "SET", "", "", 0, 0, nested)));
        const int log = form->messageLines().size();
        prompter().answers << pbOK;
        form->PasteCommand(0, 0);
        QCOMPARE(prompter().prompts.size(), 1);
        QCOMPARE(prompter().prompts[0].text,
                 QString("Nothing was pasted: the components are nested too deeply to save the page indented; turn "
                         "on \"Preserve XML whitespaces\" in Preferences to paste them (5794 levels would need 64 "
                         "MB of blanks)"));
        QCOMPARE(newLogLines(log), QStringList({"pre process editor pasting!", "components too deeply nested to indent",
                                                "failed to paste any controls. bad XML?"}));
        QCOMPARE(names(), QStringList({"1", "2", "3", "5", "6"}));
        QVERIFY(!modified());

        OptionStore().SetString(opt::XMLWhitespace, "1");
        form->PasteCommand(0, 0);
        QCOMPARE(names(), QStringList({"1", "2", "3", "5", "6", "0"}));
        QVERIFY(form->SaveFile(m_pagePath));
        QVERIFY(readBytes(m_pagePath).contains(nested.left(3 * 100)));

        QGuiApplication::clipboard()->clear();
        selectNames({"0"});
        part<QAction>(form, "mnuMainCopy")->trigger();
        QCOMPARE(prompter().prompts.size(), 1);
        QVERIFY(QGuiApplication::clipboard()->text().startsWith("\r\n<c><n>0</n><t>SET</t><c>9 comment</c>"));
    }

    // A copy that the writer refuses is reported by the command itself, never by the box that
    // offers to end the program; the clipboard keeps its text.
    void copyRefusedByTheWriter()
    {
        open();
        QGuiApplication::clipboard()->setText("before");
        item("1")->SetValue("query", QString(QChar(1)), false);
        selectNames({"1"});
        prompter().answers << pbOK;
        part<QAction>(form, "mnuMainCopy")->trigger();
        QCOMPARE(prompter().prompts.size(), 1);
        QCOMPARE(prompter().prompts[0].text, QString("The components cannot be copied: Illegal character"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("before"));
    }

    void pasteAndCopyElsewhere_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("another tab") << "HtmlSheet"
                                     << QStringList{"page active: HTML nothing to copy",
                                                    "a different page is focused: HTML"};
        QTest::newRow("no page open") << "closed"
                                      << QStringList{"pre process focused", "copied!0 items",
                                                     "pre process editor pasting!", "file not opened",
                                                     "failed to paste any controls. bad XML?"};
        QTest::newRow("other window") << "window"
                                      << QStringList{"other form is focused", "other form focused, not the main"};
        QTest::newRow("no active window") << "none" << QStringList{"no focused form", "Screen form is not focused!"};
    }
    void pasteAndCopyElsewhere()
    {
        QFETCH(QString, where);
        open();
        selectNames({"1"});
        QGuiApplication::clipboard()->setText(component("7", "SET", "", "", 0, 0));
        QWidget other;
        if (where == "closed") {
            QVERIFY(form->CloseDocument(false));
        } else if (where == "window") {
            other.show();
            QApplication::setActiveWindow(&other);
            QVERIFY(QTest::qWaitForWindowActive(&other));
        } else if (where == "none") {
            QApplication::setActiveWindow(nullptr);
            QTRY_VERIFY(!QApplication::activeWindow());
        } else {
            showTab(qPrintable(where));
        }
        const int log = form->messageLines().size();
        form->CopyCommand();
        form->PasteCommand(0, 0);
        QTEST(newLogLines(log), "log");
        QCOMPARE(QGuiApplication::clipboard()->text(), QString(component("7", "SET", "", "", 0, 0)));
        if (form->GetCurrentDoc()) {
            QCOMPARE(names(), QStringList({"1", "2", "3", "5", "6"}));
            QVERIFY(!modified());
        }
    }

    void pasteIntoAFocusedTextField()
    {
        open();
        selectNames({"1"});
        showTab("NotesSheet");
        auto *functionName = part<QLineEdit>(form, "txtFuncName");
        functionName->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), functionName);
        functionName->setSelection(0, 3); // "ord"
        const int log = form->messageLines().size();
        form->CopyCommand();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("ord"));
        functionName->setCursorPosition(functionName->text().size());
        part<QAction>(form, "mnuMainPaste")->trigger();
        QCOMPARE(functionName->text(), QString("ordersord"));
        QCOMPARE(newLogLines(log),
                 QStringList({"text control txtFuncName:QLineEdit", "is edit control focused txtFuncName:QLineEdit"}));
        QCOMPARE(names(), QStringList({"1", "2", "3", "5", "6"}));
        // The text field's own change marks the page; no component was added.
        QCOMPARE(form->GetCurrentDoc()->GetFunctionName(), QString("ordersord"));
    }

    void diagnosticsOnlyWithDbgClip()
    {
        open();
        OptionStore().SetDbgClip(false);
        const int log = form->messageLines().size();
        selectNames({"1"});
        form->CopyCommand();
        form->PasteCommand(0, 0);
        QCOMPARE(newLogLines(log), QStringList());
        QCOMPARE(names().size(), 6);
    }

    // ---- Shift-click linking ----

    void shiftClickLinks_data()
    {
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("target"); // a component, "note", "handle" or "" for empty space
        QTest::addColumn<QString>("exits1");
        QTest::addColumn<bool>("changed");
        QTest::newRow("left links exit 0") << QStringList{"1"} << int(Qt::LeftButton) << "6"
                                           << "6|2" << true;
        QTest::newRow("right links exit 1") << QStringList{"1"} << int(Qt::RightButton) << "3"
                                            << "5|3" << true;
        QTest::newRow("right on empty space clears exit 1") << QStringList{"1"} << int(Qt::RightButton) << ""
                                                            << "5|" << true;
        QTest::newRow("left on empty space clears exit 0") << QStringList{"1"} << int(Qt::LeftButton) << ""
                                                           << "|2" << true;
        QTest::newRow("the same link again") << QStringList{"1"} << int(Qt::LeftButton) << "5"
                                             << "5|2" << false;
        QTest::newRow("on the selected itself") << QStringList{"1"} << int(Qt::LeftButton) << "1"
                                                << "5|2" << false;
        QTest::newRow("two selected") << QStringList{"1", "2"} << int(Qt::LeftButton) << "6"
                                      << "5|2" << false;
        QTest::newRow("none selected") << QStringList{} << int(Qt::LeftButton) << "6"
                                       << "5|2" << false;
        QTest::newRow("onto a note") << QStringList{"1"} << int(Qt::LeftButton) << "note"
                                     << "5|2" << false;
        QTest::newRow("onto a note handle") << QStringList{"1"} << int(Qt::RightButton) << "handle"
                                            << "5|2" << false;
        QTest::newRow("from a note") << QStringList{"note"} << int(Qt::LeftButton) << "6"
                                     << "5|2" << false;
        QTest::newRow("middle button") << QStringList{"1"} << int(Qt::MiddleButton) << "6"
                                       << "5|2" << false;
    }
    void shiftClickLinks()
    {
        QFETCH(QStringList, selected);
        QFETCH(int, button);
        QFETCH(QString, target);
        open();
        DataList data;
        for (const QString &name : selected)
            data.push_back(name == "note" ? static_cast<void *>(note()) : item(name));
        select(form->PreEditor(), data);
        QPoint at(900, 650); // nothing lies there
        if (target == "note")
            at = middleOf(note());
        else if (target == "handle")
            at = middleOf(preSource()->HandleOf(note()));
        else if (!target.isEmpty())
            at = middleOf(item(target));
        QVERIFY(!target.isEmpty() || !form->PreEditor()->DataAt(at.x(), at.y()));
        shiftClick(Qt::MouseButton(button), at);
        QTEST(exits("1"), "exits1");
        QTEST(modified(), "changed");
        // The selection stays as it was; nothing else changed.
        QCOMPARE(form->PreEditor()->SelectedCount(), int(selected.size()));
        QCOMPARE(exits("2"), QString("5|3"));
        QVERIFY(!part<QMenu>(form, "PopupMenu1")->isVisible());
    }

    void shiftClickOnTheOtherDiagram()
    {
        open();
        selectNames({"1"});
        DataList postOne{item("1", "postproc")};
        select(form->PostEditor(), postOne);
        const QPoint at = middleOf(item("6"));
        showTab("PostSheet");
        // The image that received the click decides, not the active tab.
        form->diagramCommands()->image1MouseUp(part<QObject>(form, "Image1"), Qt::RightButton, Qt::ShiftModifier,
                                               at.x(), at.y());
        QCOMPARE(exits("1"), QString("5|6"));
        QCOMPARE(exits("1", "postproc"), QString("5|"));
    }

    void shiftClickRegeneratesMacroCode()
    {
        QTemporaryDir macros;
        writeBytes(macros.filePath("limit.ini"), kMacroIni);
        writeBytes(macros.filePath("limit.pas"), kMacroPas);
        RegisterMacro(LoadMacro(macros.filePath("limit.ini"), macros.filePath("limit.pas")));
        open("<wqf><function><fn>orders</fn></function><preproc>" + component("1", "SCRIPT", "", "", 64, 52) +
             component("2", "SET", "", "", 256, 52) + "</preproc><postproc/></wqf>");
        TWQFItem *script = item("1");
        auto macro = std::make_unique<TWQFPasMacro>(Macros().find("limit"));
        macro->Macro->InitValues(macro->Values);
        macro->Values.setValue("Limit", "7"); // the user's value
        TWQFPasMacro *bound = macro.get();
        script->setMacro(std::move(macro));
        selectNames({"1"});

        shiftClick(Qt::RightButton, middleOf(item("2")));
        QCOMPARE(exits("1"), QString("|2"));
        QCOMPARE(GetCode(script), QString("// Macro:limit\nif n >= 7 then\n  orders_pre_2;\nend;"));
        QCOMPARE(bound->Values.value(u"Limit"), QString("7"));
        QVERIFY(modified());

        shiftClick(Qt::RightButton, QPoint(900, 650));
        QCOMPARE(exits("1"), QString("|"));
        QCOMPARE(GetCode(script), QString("// Macro:limit\nif n >= 7 then\n  \nend;"));
    }

    // A macro component's code calls the target of its exit 1; a delete or a paste that changes
    // that exit changes the call, as a Shift-click does.
    void macroCodeFollowsDeleteAndPaste()
    {
        QTemporaryDir macros;
        writeBytes(macros.filePath("limit.ini"), kMacroIni);
        writeBytes(macros.filePath("limit.pas"), kMacroPas);
        RegisterMacro(LoadMacro(macros.filePath("limit.ini"), macros.filePath("limit.pas")));
        open("<wqf><function><fn>orders</fn></function><preproc>" + component("1", "SCRIPT", "", "2", 64, 52) +
             component("2", "SET", "", "", 256, 52) + "</preproc><postproc/></wqf>");
        TWQFItem *script = item("1");
        script->SetComment("macro: Limit");
        auto macro = std::make_unique<TWQFPasMacro>(Macros().find("limit"));
        macro->Macro->InitValues(macro->Values);
        macro->Values.setValue("Limit", "7");
        script->setMacro(std::move(macro));
        QVERIFY(regenerateMacroCode(script));
        const auto code = [](const QString &call) { return "// Macro:limit\nif n >= 7 then\n  " + call + "\nend;"; };
        QCOMPARE(GetCode(script), code("orders_pre_2;"));

        // Copied with its target, the copy calls the copied target.
        selectNames({"1", "2"});
        form->CopyCommand();
        form->PasteCommand(0, 0);
        const QStringList pasted = selectedNames(form->PreEditor());
        QCOMPARE(pasted.size(), 2);
        const TWQFItem *copy = item(pasted[0]);
        QVERIFY(HasMacro(copy));
        QCOMPARE(copy->GetJump(1), pasted[1]);
        QCOMPARE(GetCode(copy), code("orders_pre_" + pasted[1] + ';'));

        // Copied alone into the other diagram, its exit is emptied and it calls nothing.
        selectNames({"1"});
        form->CopyCommand();
        showTab("PostSheet");
        form->PasteCommand(0, 0);
        const QStringList alone = selectedNames(form->PostEditor());
        QCOMPARE(alone.size(), 1);
        QCOMPARE(GetCode(item(alone[0], "postproc")), code(QString()));

        // Its target deleted, the component calls nothing, and the saved page says so.
        showTab("PreSheet");
        selectNames({"2"});
        prompter().answers << pbYes;
        form->DeleteSelected(form->PreEditor());
        QCOMPARE(exits("1"), QString("|"));
        QCOMPARE(GetCode(script), code(QString()));
        QVERIFY(form->SaveFile(m_pagePath));
        QVERIFY(!readBytes(m_pagePath).contains("orders_pre_2;"));
    }

    void plainRightReleaseOpensTheMenu()
    {
        open();
        auto *menu = part<QMenu>(form, "PopupMenu1");
        QTest::mouseClick(form->PreEditor()->Content(), Qt::LeftButton, Qt::NoModifier, middleOf(item("1")));
        QTest::mouseClick(form->PreEditor()->Content(), Qt::RightButton, Qt::NoModifier, QPoint(900, 650));
        QTRY_VERIFY(menu->isVisible());
        menu->close();
        QVERIFY(!modified());
        QCOMPARE(exits("1"), QString("5|2"));
    }

    // ---- query components ----

    void flip_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("changed");
        QTest::newRow("select") << "1"
                                << "INSERTUPDATEQUERY" << true;
        QTest::newRow("insert or update") << "5"
                                          << "SELECTQUERY" << true;
        QTest::newRow("lower case") << "3"
                                    << "selectquery" << false;
        QTest::newRow("another kind") << "2"
                                      << "IF" << false;
    }
    void flip()
    {
        QFETCH(QString, name);
        QFETCH(bool, changed);
        open();
        selectNames({name});
        part<QAction>(form, "MenuItem11")->trigger();
        QTEST(item(name)->GetType(), "type");
        QCOMPARE(modified(), changed);
        QCOMPARE(selectedNames(form->PreEditor()), QStringList{name});
        if (changed) {
            form->FlipQueryType();
            QCOMPARE(item(name)->GetType(), QString(name == "1" ? "SELECTQUERY" : "INSERTUPDATEQUERY"));
        }
    }

    void flipAndFlushNeedOneComponent_data()
    {
        QTest::addColumn<QString>("selection");
        QTest::addColumn<QString>("sheet");
        QTest::newRow("two components") << "two"
                                        << "PreSheet";
        QTest::newRow("a note") << "note"
                                << "PreSheet";
        QTest::newRow("another tab") << "one"
                                     << "HtmlSheet";
    }
    void flipAndFlushNeedOneComponent()
    {
        QFETCH(QString, selection);
        QFETCH(QString, sheet);
        open();
        if (selection == "two")
            selectNames({"1", "5"});
        else if (selection == "note")
            select(form->PreEditor(), {note()});
        else
            selectNames({"5"});
        showTab(qPrintable(sheet));
        form->FlipQueryType();
        form->FlushQueryParams();
        QCOMPARE(item("1")->GetType(), QString("SELECTQUERY"));
        QCOMPARE(item("5")->GetType(), QString("INSERTUPDATEQUERY"));
        QCOMPARE(item("5")->GetQuery(), QString("update t set a = :a:i:5 where id = :id"));
        QVERIFY(!modified());
    }

    void flushWithParameters_data()
    {
        QTest::addColumn<bool>("forceCDATA");
        QTest::newRow("plain text") << false;
        QTest::newRow("CDATA") << true;
    }
    void flushWithParameters()
    {
        QFETCH(bool, forceCDATA);
        open();
        OptionStore().SetBool(opt::ForceCDATA, forceCDATA);
        selectNames({"5"});
        part<QAction>(form, "FlushQueryMenu")->trigger();
        TWQFItem *query = item("5");
        QCOMPARE(query->GetQuery(), QString("update t set a = :a where id = :id"));
        WQFParamList params;
        QVERIFY(query->GetParams(params));
        QStringList stored;
        for (const auto &p : params)
            stored << p->Name + u'=' + p->Type + u'=' + p->Value;
        QCOMPARE(stored, QStringList({"a=INTEGER=5", "id=STRING="}));
        QVERIFY(modified());
        QCOMPARE(selectedNames(form->PreEditor()), QStringList{"5"});
        QVERIFY(form->SaveFile(m_pagePath));
        QCOMPARE(readBytes(m_pagePath).contains("<![CDATA[update t set a = :a where id = :id]]>"), forceCDATA);
    }

    void flushWithoutParameter()
    {
        open(samplePage("update t set a = 1"));
        selectNames({"5"});
        form->FlushQueryParams();
        QCOMPARE(item("5")->GetQuery(), QString("update t set a = 1"));
        WQFParamList params;
        QVERIFY(item("5")->GetParams(params));
        QVERIFY(params.empty());
        QVERIFY(!modified());
    }

    // ---- the picture ----

    void sectionPicture()
    {
        open(samplePage(), "a.b.wqf");
        QDateTime before = QDateTime::currentDateTime();
        before = before.addMSecs(-before.time().msec());
        part<QAction>(form, "MenuItem6")->trigger();
        const QDateTime after = QDateTime::currentDateTime().addSecs(1);
        QCOMPARE(prompter().prompts.size(), 0);
        const QStringList made = pictures();
        QCOMPARE(made.size(), 1);
        const QRegularExpressionMatch name = QRegularExpression("^a\\.b-(\\d{8}-\\d{6})\\.png$").match(made.first());
        QVERIFY2(name.hasMatch(), qPrintable(made.first()));
        const QDateTime stamp = QDateTime::fromString(name.captured(1), "yyyyMMdd-HHmmss");
        QVERIFY(stamp >= before && stamp <= after);

        // The whole graph, not only what is in view, in 24-bit colour.
        const QByteArray bytes = readBytes(m_dir->filePath(made.first()));
        const PngHeader header = pngHeader(bytes);
        QVERIFY(header.valid);
        const Point graph = form->PreEditor()->GetGraphSize();
        QCOMPARE(int(header.width), graph.x);
        QCOMPARE(int(header.height), graph.y);
        QVERIFY(graph.x > form->PreEditor()->GetViewSize().x);
        QCOMPARE(header.bitDepth, 8);
        QCOMPARE(header.colourType, 2); // RGB without alpha
        QImage picture;
        QVERIFY(picture.loadFromData(bytes, "PNG"));
        // The note is drawn at its place far down the graph.
        QCOMPARE(QColor(picture.pixel(650, 405)), QColor(255, 255, 0));
        QVERIFY(!modified());
    }

    void sectionPictureFailures_data()
    {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder gone") << "folder"
                                     << "";
        QTest::newRow("graph too large") << "size"
                                         << "the diagram of 20000 x 20000 pixels is too large for a picture";
    }
    void sectionPictureFailures()
    {
        QFETCH(QString, cause);
        QFETCH(QString, reason);
        QDir(m_dir->path()).mkdir("sub");
        open(samplePage(), "sub/page.wqf");
        if (cause == "folder")
            QVERIFY(QDir(m_dir->filePath("sub")).removeRecursively());
        else
            form->PreEditor()->SetGraphSize({20000, 20000});
        prompter().answers << pbOK;
        part<QAction>(form, "MenuItem6")->trigger();
        QCOMPARE(prompter().prompts.size(), 1);
        const QString text = prompter().prompts[0].text;
        const QRegularExpressionMatch match =
            QRegularExpression("^Unable to save the picture: (.*/sub/page-\\d{8}-\\d{6}\\.png) Reason: (.+)$")
                .match(text);
        QVERIFY2(match.hasMatch(), qPrintable(text));
        if (!reason.isEmpty())
            QCOMPARE(match.captured(2), reason);
        QVERIFY(!QFile::exists(match.captured(1)));
        QVERIFY(QDir(m_dir->filePath("sub")).entryList({"*.png"}).isEmpty());
    }

    // The picture's name can be foreseen. Whatever has it already, a link put there to a
    // file of the user included, stays as it was, and the message says why.
    void sectionPictureNeverFollowsItsName_data()
    {
        QTest::addColumn<QString>("there");
        QTest::newRow("link to a file") << "link";
        QTest::newRow("dangling link") << "dangling";
        QTest::newRow("earlier picture") << "file";
    }
    void sectionPictureNeverFollowsItsName()
    {
        QFETCH(QString, there);
        open(samplePage(), "page.wqf");
        const QDateTime when(QDate(2024, 3, 5), QTime(7, 8, 9));
        form->openPage()->setClock([when] { return when; });
        const QString name = m_dir->filePath("page-20240305-070809.png");
        const QString target = m_dir->filePath("own.txt");
        if (there == "file")
            writeBytes(name, "earlier");
        else
            QVERIFY(QFile::link(target, name));
        if (there == "link")
            writeBytes(target, "the user's own file");

        prompter().answers << pbOK;
        part<QAction>(form, "MenuItem6")->trigger();
        QCOMPARE(promptTexts(), QStringList{"Unable to save the picture: " + name +
                                            " Reason: A file or link of that name exists already"});
        QCOMPARE(QFileInfo(name).isSymLink(), there != "file");
        QCOMPARE(QFileInfo::exists(target), there == "link");
        if (there == "link")
            QCOMPARE(readBytes(target), QByteArray("the user's own file"));
        if (there == "file")
            QCOMPARE(readBytes(name), QByteArray("earlier"));
    }

    void sectionPictureOnlyOfADiagram()
    {
        open();
        showTab("NotesSheet");
        part<QAction>(form, "MenuItem6")->trigger();
        QVERIFY(pictures().isEmpty());
        QCOMPARE(prompter().prompts.size(), 0);
    }
};

PELLORIN_TEST_CLASS(TestDiagramCommands)
#include "test_diagramcommands.moc"
