#include "base/textutils.h"
#include "common/scriptedprompter.h"
#include "common/testmain.h"
#include "editors/anchors.h"
#include "editors/dynamicctrlutils.h"
#include "model/commentrects.h"
#include "model/xmlread.h"
#include "panelfixture.h"

#include <QSignalSpy>
#include <QTest>

using namespace pellorin_test;

namespace {
// Which control of a one-component panel a case types into.
enum class Row { Code, List, Name, Type, Comment };

// The panel of one component whose kind has a fixed field "f" (tag v, with the flags asked)
// and a variable field "p" (host param, n, t, v).
std::unique_ptr<TComponentDescr> oneFieldKind(bool dblQuote, bool noCData, const QString &choices)
{
    TComponentField f = field("f", "v");
    f.DblQuote = dblQuote;
    f.NoCData = noCData;
    f.Values = choices;
    return kind("K", {f, variableField("p", "param", "n", "t", "w", "STRING,INTEGER")});
}

struct OneComponent : BuiltPanel {
    OneComponent(const QByteArray &values, bool dblQuote, bool noCData, const QString &choices = {})
        : BuiltPanel(oneFieldKind(dblQuote, noCData, choices), values)
    {}

    // Reads the saved page back, as opening it again would.
    std::unique_ptr<TWQFFile> reopened()
    {
        auto again = std::make_unique<TWQFFile>();
        QBuffer buffer;
        buffer.setData(pageBytes(*page));
        buffer.open(QIODevice::ReadOnly);
        if (!again->LoadFromStream(buffer, poWhitespace))
            qFatal("saved page does not load");
        return again;
    }
};

QWidget *rowControl(TTagsEditor &panel, Row row)
{
    switch (row) {
    case Row::Code:
        return nthControl<QsciScintilla>(panel);
    case Row::List:
        return nthControl<QComboBox>(panel);
    case Row::Name:
        return nthControl<QLineEdit>(panel, 1);
    case Row::Type:
        return nthControl<TWheelComboBox>(panel);
    case Row::Comment:
        return nthControl<QLineEdit>(panel, 0);
    }
    return nullptr;
}

void typeInto(QWidget *control, const QString &text)
{
    if (auto *editor = qobject_cast<QsciScintilla *>(control)) {
        editor->setFocus();
        const int last = editor->lines() - 1;
        editor->setCursorPosition(last, editor->text(last).size());
        for (QChar ch : text)
            if (ch == u'\n')
                QTest::keyClick(editor, Qt::Key_Return);
            else
                QTest::keyClicks(editor, QString(ch));
    } else if (auto *combo = qobject_cast<QComboBox *>(control); combo && combo->isEditable()) {
        combo->lineEdit()->end(false);
        QTest::keyClicks(combo->lineEdit(), text);
    } else if (auto *edit = qobject_cast<QLineEdit *>(control)) {
        edit->end(false);
        QTest::keyClicks(edit, text);
    } else {
        QTest::keyClicks(control, text);
    }
}

// The element the row edits, as saved.
QByteArray savedElement(TWQFFile &page, Row row)
{
    const QByteArray bytes = pageBytes(page);
    const QByteArray tag = row == Row::Code || row == Row::List ? "v"
                           : row == Row::Name                   ? "n"
                           : row == Row::Type                   ? "t"
                                                                : "c";
    // The component's own "c" and the entries' "n" and "t" come after "<values>" or before it.
    const qsizetype from = row == Row::Comment ? bytes.indexOf("<c>", bytes.indexOf("<preproc>") + 1) + 1
                           : row == Row::Code || row == Row::List ? bytes.indexOf("<values>")
                                                                  : bytes.indexOf("<param>");
    const qsizetype start = bytes.indexOf("<" + tag + ">", from);
    const qsizetype end = bytes.indexOf("</" + tag + ">", start);
    return start < 0 || end < 0 ? QByteArray() : bytes.mid(start, end - start + tag.size() + 3);
}
} // namespace

Q_DECLARE_METATYPE(Row)

class TestTagsEditor : public QObject {
    Q_OBJECT
private slots:
    void quotes_data()
    {
        QTest::addColumn<bool>("dblQuote");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("doubled");
        QTest::newRow("off") << false << "it's"
                             << "it's";
        QTest::newRow("one") << true << "it's"
                             << "it''s";
        QTest::newRow("a pair") << true << "''"
                                << "''''";
        QTest::newRow("none") << true << "plain"
                              << "plain";
    }
    void quotes()
    {
        QFETCH(bool, dblQuote);
        QFETCH(QString, text);
        QTEST(DoubleQuotes(dblQuote, text), "doubled");
        QFETCH(QString, doubled);
        QCOMPARE(UndoubleQuotes(dblQuote, doubled), text);
    }

    void setValue_data()
    {
        QTest::addColumn<QByteArray>("element");
        QTest::addColumn<bool>("dblQuote");
        QTest::addColumn<bool>("useCData");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("CDATA kept without the flag")
            << QByteArray("<v><![CDATA[a]]></v>") << false << false << "b" << QByteArray("<v><![CDATA[b]]></v>");
        QTest::newRow("plain becomes CDATA")
            << QByteArray("<v>a</v>") << false << true << "b" << QByteArray("<v><![CDATA[b]]></v>");
        QTest::newRow("plain stays plain")
            << QByteArray("<v>a</v>") << false << false << "<b&>" << QByteArray("<v>&lt;b&amp;&gt;</v>");
        QTest::newRow("trailing blanks and breaks go")
            << QByteArray("<v/>") << false << false << " x \t\r\n\x01 " << QByteArray("<v> x</v>");
        QTest::newRow("quotes doubled") << QByteArray("<v/>") << true << true << "it's"
                                        << QByteArray("<v><![CDATA[it''s]]></v>");
        QTest::newRow("empty element, empty text")
            << QByteArray("<v>a</v>") << false << false << "  " << QByteArray("<v/>");
        QTest::newRow("the rest of a split value goes")
            << QByteArray("<v><![CDATA[a]]]]><![CDATA[>1]]></v>") << false << false << "a]]>2"
            << QByteArray("<v><![CDATA[a]]]]><![CDATA[>2]]></v>");
        QTest::newRow("a comment stays") << QByteArray("<v><![CDATA[a]]><!--k-->tail</v>") << false << false << "b"
                                         << QByteArray("<v><![CDATA[b]]><!--k--></v>");
        QTest::newRow("text before CDATA: plain")
            << QByteArray("<v>x<![CDATA[a]]></v>") << false << false << "b" << QByteArray("<v>b</v>");
    }
    void setValue()
    {
        QFETCH(QByteArray, element);
        QFETCH(bool, dblQuote);
        QFETCH(bool, useCData);
        QFETCH(QString, text);
        auto page = loadPage("<wqf><preproc/>" + element + "</wqf>");
        XmlElement *v = page->Doc()->documentElement()->firstChildElement("v");
        TControlBind binding(v, nullptr, useCData);
        binding.DblQuote = dblQuote;
        binding.SetValue(text);
        QTEST(written(v), "written");
        QCOMPARE(binding.GetValue(), trimRight(text));
        TControlBind none(nullptr, nullptr, true);
        none.SetValue("x");
        QCOMPARE(none.GetValue(), QString());
    }

    // Typing into each kind of row writes the page as the field asks.
    void typing_data()
    {
        QTest::addColumn<Row>("row");
        QTest::addColumn<QByteArray>("values");
        QTest::addColumn<bool>("dblQuote");
        QTest::addColumn<bool>("noCData");
        QTest::addColumn<QString>("choices");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("saved");
        const QByteArray param = "<param><n>id</n><t>STRING</t><w/></param>";
        QTest::newRow("code, CDATA kept") << Row::Code << "<v><![CDATA[select 1]]></v>" + param << false << false << ""
                                          << " from t" << QByteArray("<v><![CDATA[select 1 from t]]></v>");
        QTest::newRow("code, CDATA kept with nocdata")
            << Row::Code << "<v><![CDATA[a]]></v>" + param << false << true << ""
            << "b" << QByteArray("<v><![CDATA[ab]]></v>");
        QTest::newRow("code, plain with nocdata") << Row::Code << "<v>a &lt; b</v>" + param << false << true << ""
                                                  << " & c" << QByteArray("<v>a &lt; b &amp; c</v>");
        QTest::newRow("code, plain becomes CDATA") << Row::Code << "<v>a</v>" + param << false << false << ""
                                                   << "b" << QByteArray("<v><![CDATA[ab]]></v>");
        QTest::newRow("code, quotes doubled") << Row::Code << "<v>it''s</v>" + param << true << true << ""
                                              << " '" << QByteArray("<v>it''s ''</v>");
        QTest::newRow("code, trailing blanks stripped") << Row::Code << "<v>a</v>" + param << false << true << ""
                                                        << "b  \n\n"
                                                        << QByteArray("<v>ab</v>");
        QTest::newRow("list") << Row::List << "<v>GET</v>" + param << false << true << "GET, POST"
                              << "P" << QByteArray("<v>POST</v>");
        QTest::newRow("name edit, CDATA") << Row::Name << "<v/>" + param << false << true << ""
                                          << "x" << QByteArray("<n><![CDATA[idx]]></n>");
        QTest::newRow("type drop-down, plain") << Row::Type << "<v/>" + param << false << false << ""
                                               << "<" << QByteArray("<t>STRING&lt;</t>");
        QTest::newRow("comment, plain") << Row::Comment << "<v/>" + param << false << false << ""
                                        << " it's " << QByteArray("<c>note it's</c>");
    }
    void typing()
    {
        QFETCH(Row, row);
        QFETCH(QByteArray, values);
        QFETCH(bool, dblQuote);
        QFETCH(bool, noCData);
        QFETCH(QString, choices);
        QFETCH(QString, typed);
        OneComponent c(values, dblQuote, noCData, choices);
        QWidget *control = rowControl(c.panel, row);
        QVERIFY(control);
        QCOMPARE(c.changes, 0); // filling the rows wrote nothing
        const QByteArray before = pageBytes(*c.page);
        const QByteArray old = savedElement(*c.page, row);
        typeInto(control, typed);
        QVERIFY(c.changes > 0);
        QTEST(savedElement(*c.page, row), "saved");
        // Nothing else of the page changed.
        QFETCH(QByteArray, saved);
        QByteArray expected = before;
        expected.replace(before.indexOf(old, row == Row::Comment ? before.indexOf("<c>") + 1 : 0), old.size(), saved);
        QCOMPARE(pageBytes(*c.page), expected);
    }

    void editorKeepsWhatWasTyped()
    {
        OneComponent c("<v>a</v>", false, true);
        auto *editor = nthControl<QsciScintilla>(c.panel);
        typeInto(editor, "b ");
        QCOMPARE(editor->text(), "ab ");
        QCOMPARE(savedElement(*c.page, Row::Code), "<v>ab</v>");
        // Shown again with single apostrophes.
        OneComponent quoted("<v>it''s</v>", true, true);
        QCOMPARE(nthControl<QsciScintilla>(quoted.panel)->text(), "it's");
    }

    // A script holding "]]>" is saved as two CDATA sections; edits must not grow it.
    void splitCDataStaysOneValue()
    {
        OneComponent c("<v><![CDATA[if a[b[0]]]]><![CDATA[>1 then]]></v>", false, false);
        for (int round = 0; round < 10; ++round) {
            auto again = c.reopened();
            c.page = std::move(again);
            c.panel.BuildPropertyPanel(firstItem(*c.page), c.window.container, c.descr.get());
            auto *editor = nthControl<QsciScintilla>(c.panel);
            QCOMPARE(editor->text(), round == 0 ? "if a[b[0]]>1 then" : "if a[b[0]]>1 thenx");
            editor->setFocus();
            editor->setCursorPosition(0, editor->text().size());
            QTest::keyClick(editor, Qt::Key_X);
            QTest::keyClick(editor, Qt::Key_Backspace);
            if (round == 0)
                QTest::keyClicks(editor, "x");
            QCOMPARE(savedElement(*c.page, Row::Code), "<v><![CDATA[if a[b[0]]]]><![CDATA[>1 thenx]]></v>");
        }
    }

    void codeEditorGrowsAndPushesRowsDown()
    {
        OneComponent c("<v>a</v><param><n>x</n><t/><w/></param>", false, true);
        auto *editor = nthControl<QsciScintilla>(c.panel);
        QCOMPARE(editor->height(), FitCodeEditorHeight(editor));
        auto *below = nthControl<QLineEdit>(c.panel, 1);
        const int gap = below->y() - editor->y() - editor->height();
        typeInto(editor, "\n\n\n");
        QCOMPARE(editor->height(), FitCodeEditorHeight(editor));
        QCOMPARE(below->y() - editor->y() - editor->height(), gap);
        const int lineHeight = int(editor->SendScintilla(QsciScintillaBase::SCI_TEXTHEIGHT, 0));
        QCOMPARE(FitCodeEditorHeight(editor), (editor->lines() + 1) * lineHeight + 20);
    }

    void changeWithoutBindingStillReports()
    {
        TTagsEditor panel;
        int changes = 0;
        panel.OnChange = [&](TTagsEditor *) { ++changes; };
        QLineEdit stray;
        panel.WriteBack(&stray, "x");
        QCOMPARE(changes, 1);
    }

    // A handler that rebuilds the panel from a row's own change must not free the row under
    // its running signal.
    void rebuildFromOwnSignal()
    {
        OneComponent c("<v>a</v>", false, true);
        int rebuilt = 0;
        c.panel.OnChange = [&](TTagsEditor *) {
            ++rebuilt;
            c.panel.BuildPropertyPanel(firstItem(*c.page), c.window.container, c.descr.get());
        };
        QPointer<QsciScintilla> editor = nthControl<QsciScintilla>(c.panel);
        typeInto(editor, "b");
        QCOMPARE(rebuilt, 1);
        QVERIFY(editor); // still alive until the events are over
        QVERIFY(editor->parentWidget() == nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!editor);
        QCOMPARE(nthControl<QsciScintilla>(c.panel)->text(), "ab");
    }

    void notePanel()
    {
        PanelWindow window;
        auto page = componentPage("K", "<v>a</v>");
        const QByteArray before = pageBytes(*page);
        TCommentRect note;
        note.Title = "Title";
        note.Text = "line 1\nline 2";
        note.ShowText = true;
        TTagsEditor panel;
        int changes = 0;
        panel.OnChange = [&](TTagsEditor *) { ++changes; };
        panel.BuildNotesPanel(&note, window.container);
        QCOMPARE(describeRows(panel),
                 QStringList({"edit:Title", "check:Show notes in the editor=1", "code:line 1\nline 2"}));
        QCOMPARE(changes, 0);
        auto *title = nthControl<QLineEdit>(panel);
        auto *show = nthControl<QCheckBox>(panel);
        auto *text = nthControl<QsciScintilla>(panel);
        const int width = window.container->width() - 5;
        QCOMPARE(title->geometry(), QRect(0, 5, width, title->height()));
        QCOMPARE(show->y(), title->y() + title->height() + 5);
        QCOMPARE(text->y(), show->y() + show->height() + 5);
        QCOMPARE(text->y() + text->height(), window.scroll->viewport()->height() - 5);
        QCOMPARE(text->width(), width);
        QVERIFY(!text->lexer());

        typeInto(title, "!");
        QCOMPARE(note.Title, "Title!");
        QCOMPARE(changes, 1);
        // Pasted lines become one, as the page will hold them, so the diagram shows that title.
        title->setText("Two\r\nlines\nhere");
        QCOMPARE(note.Title, "Two lines here");
        title->setText("Title!");
        changes = 1;
        QTest::mouseClick(show, Qt::LeftButton, {}, QPoint(5, show->height() / 2));
        QCOMPARE(note.ShowText, false);
        QCOMPARE(changes, 2);
        typeInto(text, "3");
        QCOMPARE(note.Text, "line 1\nline 23");
        QCOMPARE(changes, 3);
        QCOMPARE(pageBytes(*page), before);

        // The rows follow the container's width.
        window.scroll->resize(420, 400);
        QCOMPARE(title->width(), window.container->width() - 5);
        QCOMPARE(text->width(), window.container->width() - 5);
    }

    void generatedScriptNeedsItsEditor()
    {
        OneComponent c("<v>a</v>", false, true);
        c.panel.SetGeneratedScript("x"); // no editor with a tag below 0: nothing
        QCOMPARE(nthControl<QsciScintilla>(c.panel)->text(), "a");
        UpdateGeneratedScript(nullptr, "x");
        setControlTag(nthControl<QsciScintilla>(c.panel), -1);
        UpdateGeneratedScript(&c.panel, "one\ntwo");
        QCOMPARE(nthControl<QsciScintilla>(c.panel)->text(), "one\ntwo");
    }

    void anchors()
    {
        QWidget parent;
        parent.resize(300, 200);
        auto *stretched = new QWidget(&parent);
        stretched->setGeometry(10, 10, 280, 20);
        setAnchors(stretched, akLeft | akTop | akRight);
        auto *moved = new QWidget(&parent);
        moved->setGeometry(200, 40, 90, 20);
        setAnchors(moved, akTop | akRight);
        auto *tall = new QWidget(&parent);
        tall->setGeometry(0, 70, 100, 120);
        setAnchors(tall, akLeft | akTop | akBottom);
        auto *plain = new QWidget(&parent);
        plain->setGeometry(5, 5, 10, 10);
        parent.show();
        parent.resize(400, 300);
        QCOMPARE(stretched->geometry(), QRect(10, 10, 380, 20));
        QCOMPARE(moved->geometry(), QRect(300, 40, 90, 20));
        QCOMPARE(tall->geometry(), QRect(0, 70, 100, 220));
        QCOMPARE(plain->geometry(), QRect(5, 5, 10, 10));
        QCOMPARE(getAnchors(moved), Anchors(akTop | akRight));
        QCOMPARE(getAnchors(plain), Anchors(akLeft | akTop));
    }
};

PELLORIN_TEST_CLASS(TestTagsEditor)
#include "test_dynamicctrlutils.moc"
