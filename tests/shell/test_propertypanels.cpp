#include "common/testmain.h"
#include "model/commentrects.h"
#include "panelwindow.h"
#include "shell/sqlcfgform.h"
#include "shell/texttabs.h"

#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>
#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

using namespace pellorin_test;

namespace {
const QString kTypes = "STRING,INTEGER,FLOAT,DATETIME,BOOLEAN,CURRENCY";

// The marker lines of the fixture's notes.
const QByteArray kFirstNote = "[[@@rect 448 20 160 64 preproc 1 First note||||Line one<br>line two@@]]\n";
const QByteArray kSecondNote = "[[@@rect 192 20 128 48 postproc 0 Second note||||Only text@@]]\n";

QStringList marked(const QString &notes)
{
    QStringList lines;
    for (const QString &line : notes.split(u'\n'))
        if (line.startsWith("[[@@rect"))
            lines << line;
    return lines;
}

// Two controls of the panel that share a pixel. An entry's "Delete" button may lie over the
// right end of the entry's name edit across the panel, when the edit's text stops short of it.
bool textClearOf(const QWidget *a, const QWidget *b)
{
    auto *edit = qobject_cast<const QLineEdit *>(a);
    auto *button = qobject_cast<const QPushButton *>(b);
    return edit && button && button->text() == "Delete" && edit->x() == 0 &&
           edit->geometry().right() - edit->textMargins().right() < button->x();
}
QString overlapping(const QList<QWidget *> &shown)
{
    for (int i = 0; i < shown.size(); ++i)
        for (int j = i + 1; j < shown.size(); ++j)
            if (shown[i]->geometry().intersects(shown[j]->geometry()) && !textClearOf(shown[i], shown[j]) &&
                !textClearOf(shown[j], shown[i]))
                return shown[i]->metaObject()->className() + QString(" and ") + shown[j]->metaObject()->className() +
                       " at " + QString::number(shown[i]->y()) + "/" + QString::number(shown[j]->y());
    return {};
}

// Query 0 given twelve parameters more, shown scrolled to its end, and shown again after
// component 1: the panel comes back at its end, where the SQL editor above is put off. The
// stand-in in the SQL editor's place.
QWidget *longPanelAtItsEnd(PanelsWindow &window)
{
    window.click("0");
    for (int i = 0; i < 12; ++i)
        click(window.button("Add"));
    QScrollBar *bar = window.scroll()->verticalScrollBar();
    bar->setValue(bar->maximum());
    window.click("1");
    window.click("0");
    if (bar->value() != bar->maximum())
        return nullptr;
    return qobject_cast<CodeEditorStandIn *>(window.panel().Owned()[3]->Control.data());
}

QByteArray replaced(QByteArray bytes, const QByteArray &from, const QByteArray &to)
{
    if (bytes.count(from) != 1)
        qFatal("the fixture holds %s not once", from.constData());
    return bytes.replace(from, to);
}

// A kind with a drop-down of fixed values and entries of a name, a type and a value.
const QByteArray kRequestKind = "[MAIN]\r\nName=REQUEST\r\nUserName=Request\r\n\r\n"
                                "[Method]\r\ntag=m\r\nvalues=GET,POST\r\n\r\n"
                                "[Parameters]\r\nvariable=1\r\nhosttag=param\r\nnametag=n\r\ntypetag=t\r\ntag=v\r\n"
                                "types=STRING,INTEGER\r\n";

// The fixture with a component "8" of that kind beside the note: its method stored in lower
// case, as a page may hold it, and six entries, so its panel is taller than the view.
QByteArray withRequest()
{
    QByteArray component = "    <c>\r\n      <n>8</n>\r\n      <t>REQUEST</t>\r\n      <c>Ask the server</c>\r\n"
                           "      <j/>\r\n      <j/>\r\n      <x>448</x>\r\n      <y>104</y>\r\n      <values>\r\n"
                           "        <m>get</m>\r\n";
    for (int i = 1; i <= 6; ++i)
        component += "        <param>\r\n          <n><![CDATA[p" + QByteArray::number(i) +
                     "]]></n>\r\n          <t>STRING</t>\r\n          <v><![CDATA[value " + QByteArray::number(i) +
                     "]]></v>\r\n        </param>\r\n";
    component += "      </values>\r\n    </c>\r\n";
    return replaced(PanelsWindow::fixtureBytes(), "  </preproc>\r\n", component + "  </preproc>\r\n");
}
} // namespace

// The property panels of the window's diagrams over a page with every shipped kind: what
// selecting shows, what editing writes, the notes on the diagrams through the editor notes,
// and the compiler error's caret in the panel.
class TestPropertyPanels : public QObject {
    Q_OBJECT
private slots:
    void everyShippedKind_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("highlighter");
        const int sql = int(HighlighterKind::SQL), pascal = int(HighlighterKind::Pascal),
                  none = int(HighlighterKind::None);
        QTest::newRow("SELECTQUERY") << 0 << "0"
                                     << QStringList{"label:0: SELECTQUERY (Parameters: 1)",
                                                    "edit:Read the orders",
                                                    "label:SQL",
                                                    "code:SELECT id, total\nFROM orders\nWHERE customer_id = :customer",
                                                    "label:Parameters #1",
                                                    "edit:customer",
                                                    "combo:INTEGER|" + kTypes,
                                                    "code:0",
                                                    "button:Delete",
                                                    "button:Add"}
                                     << sql;
        QTest::newRow("IF") << 0 << "1"
                            << QStringList{"label:1: IF", "edit:Any open?", "label:Condition", "code:status = 'open'"}
                            << none;
        QTest::newRow("SET") << 0 << "2"
                             << QStringList{"label:2: SET (Variables: 2)",
                                            "edit:Counters",
                                            "label:Variables #1",
                                            "edit:count",
                                            "code:#Scount# + 1",
                                            "button:Delete",
                                            "label:Variables #2",
                                            "edit:label",
                                            "code:'none'",
                                            "button:Delete",
                                            "button:Add"}
                             << none;
        QTest::newRow("INSERTUPDATEQUERY") << 0 << "3"
                                           << QStringList{"label:3: INSERTUPDATEQUERY (Parameters: 1)",
                                                          "edit:Store the total",
                                                          "label:SQL",
                                                          "code:UPDATE orders SET seen = 1 WHERE id = :id",
                                                          "label:Parameters #1",
                                                          "edit:id",
                                                          "combo:INTEGER|" + kTypes,
                                                          "code:0",
                                                          "button:Delete",
                                                          "button:Add"}
                                           << sql;
        QTest::newRow("SCRIPT") << 0 << "4"
                                << QStringList{"label:4: SCRIPT", "edit:Compute", "label:Code",
                                               "code:begin\n  Total := Total + 1;\nend;"}
                                << pascal;
        QTest::newRow("DELPHI") << 0 << "5"
                                << QStringList{"label:5: DELPHI", "edit:Double it", "label:Code",
                                               "code:var I: Integer;\nbegin\n  Result := I * 2;\nend;"}
                                << pascal;
        QTest::newRow("EXTERNAL") << 0 << "6"
                                  << QStringList{"label:6: EXTERNAL", "edit:Call the totals", "label:File",
                                                 "code:totals.wqf"}
                                  << none;
        QTest::newRow("TEMPLATE") << 0 << "7"
                                  << QStringList{"label:7: TEMPLATE", "edit:Show the page", "label:Template",
                                                 "code:panels"}
                                  << none;
        QTest::newRow("post-process SET") << 1 << "0"
                                          << QStringList{"label:0: SET (Variables: 1)",
                                                         "edit:Audit",
                                                         "label:Variables #1",
                                                         "edit:audit",
                                                         "code:1",
                                                         "button:Delete",
                                                         "button:Add"}
                                          << none;
    }
    void everyShippedKind()
    {
        QFETCH(int, tab);
        QFETCH(QString, name);
        QFETCH(QStringList, rows);
        PanelsWindow window;
        window.showTab(tab);
        QVERIFY(window.shownRows(tab).isEmpty());
        window.click(name, {}, tab);
        QCOMPARE(window.rowTexts(tab), rows);

        // What shows is exactly the panel's rows, inside the panel's width, none over another.
        const QList<QWidget *> shown = window.shownRows(tab);
        QCOMPARE(shown.size(), rows.size());
        const int width = window.rows(tab)->width();
        QVERIFY(width >= window.scroll(tab)->viewport()->width());
        for (QWidget *control : shown) {
            QVERIFY(control->x() >= 0);
            QVERIFY2(control->geometry().right() < width, control->metaObject()->className());
            QVERIFY(control->height() > 0);
        }
        QVERIFY2(overlapping(shown).isEmpty(), qPrintable(overlapping(shown)));
        // Code editors are as high as their text asks, and the first one carries the
        // highlighter its text suggests.
        auto *code = window.control<TWheelSynEdit>(0, tab);
        QVERIFY(code);
        QTEST(int(code->highlighter()), "highlighter");
        for (int i = 0; auto *editor = window.control<TWheelSynEdit>(i, tab); ++i)
            QCOMPARE(editor->height(), FitCodeEditorHeight(editor));
        // Selecting shows, it does not write.
        QVERIFY(!window.modified());
        QCOMPARE(window.savedBytes(), PanelsWindow::fixtureBytes());
    }

    void withoutCatalogue()
    {
        PanelsWindow window;
        clearComponentDescrs();
        window.click("0");
        QVERIFY(window.rowTexts().isEmpty());
        QVERIFY(window.shownRows().isEmpty());
        // A note needs no kind.
        window.click(window.note("First note"));
        QCOMPARE(window.rowTexts().first(), "edit:First note");
        QVERIFY(!window.modified());
    }

    void addThenDelete_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("added");
        QTest::newRow("SELECTQUERY") << "0"
                                     << "label:0: SELECTQUERY (Parameters: 2)";
        QTest::newRow("SET, bare entries") << "2"
                                           << "label:2: SET (Variables: 3)";
        QTest::newRow("INSERTUPDATEQUERY") << "3"
                                           << "label:3: INSERTUPDATEQUERY (Parameters: 2)";
    }
    void addThenDelete()
    {
        QFETCH(QString, name);
        PanelsWindow window;
        window.click(name);
        const QByteArray before = valuesBytes(window.component(name));
        click(window.button("Add"));
        QVERIFY(window.modified());
        QTEST(window.rowTexts().first(), "added");
        QVERIFY(valuesBytes(window.component(name)) != before);
        QVERIFY2(overlapping(window.shownRows()).isEmpty(), qPrintable(overlapping(window.shownRows())));

        window.form->SetModified(false);
        int deletes = 0;
        while (window.button("Delete", deletes))
            ++deletes;
        click(window.button("Delete", deletes - 1));
        QVERIFY(window.modified());
        QCOMPARE(valuesBytes(window.component(name)), before);
        // The old buttons go once their click is over.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(window.shownRows().size(), window.rowTexts().size());
    }

    void ctrlClickEmptiesTheDragBringsBack()
    {
        PanelsWindow window;
        window.click("1");
        const QStringList first = window.rowTexts();
        QCOMPARE(first.first(), "label:1: IF");
        window.click("4", Qt::ControlModifier);
        QCOMPARE(window.editor()->SelectedCount(), 2);
        QVERIFY(window.rowTexts().isEmpty());
        QVERIFY(window.shownRows().isEmpty());
        window.click("4", Qt::ControlModifier);
        QCOMPARE(window.rowTexts(), first);

        // A drag of one component ends with its panel shown again.
        TWQFItem *item = window.component("6");
        window.drag(item, 64, 78);
        QCOMPARE(item->GetX(), 224 + 64);
        QCOMPARE(item->GetY(), 182 + 78);
        QCOMPARE(window.editor()->SelectedCount(), 1);
        QCOMPARE(window.rowTexts().first(), "label:6: EXTERNAL");
        QCOMPARE(window.shownRows().size(), 4);
        // Dragged with another one: nothing shows.
        window.click("7", Qt::ControlModifier);
        window.drag(item, 32, 0);
        QCOMPARE(window.editor()->SelectedCount(), 2);
        QVERIFY(window.shownRows().isEmpty());
    }

    // A link made by Shift-click changes no selection, so the panel keeps its fields; the keys
    // typed next belong to the diagram all the same, not to the field that had them before.
    void shiftClickTakesTheKeysFromThePanel()
    {
        PanelsWindow window;
        window.click("0");
        auto *comment = window.control<QLineEdit>(0);
        QCOMPARE(comment->text(), QString("Read the orders"));
        comment->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), comment);
        comment->setCursorPosition(0);
        window.click("6", Qt::ShiftModifier);
        QCOMPARE(window.component("0")->GetJump(0), QString("6"));
        QCOMPARE(window.control<QLineEdit>(0), comment);
        window.prompter().answers << pbNo;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
        QCOMPARE(window.prompter().prompts.size(), qsizetype(1));
        QCOMPARE(window.prompter().prompts[0].text, QString("Delete selected 1 item(s)?"));
        QCOMPARE(comment->text(), QString("Read the orders"));
        QCOMPARE(window.component("0")->GetComment(), QString("Read the orders"));
    }

    // Alt+arrow and the type-ahead build the panel anew, which takes away the very control
    // that had the key: the window lives on and the panel shows the component.
    void keyFromAPanelControlRebuildsThePanel_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("x0");
        QTest::addColumn<QString>("header");
        const QString zero = "label:0: SELECTQUERY (Parameters: 1)";
        QTest::newRow("Alt+Right on the type drop-down")
            << "combo" << int(Qt::Key_Right) << int(Qt::AltModifier) << 64 << zero;
        QTest::newRow("Alt+Right on Add") << "Add" << int(Qt::Key_Right) << int(Qt::AltModifier) << 64 << zero;
        QTest::newRow("Alt+Right on Delete") << "Delete" << int(Qt::Key_Right) << int(Qt::AltModifier) << 64 << zero;
        QTest::newRow("type-ahead on Add") << "Add" << int(Qt::Key_1) << 0 << 32 << "label:1: IF";
    }
    void keyFromAPanelControlRebuildsThePanel()
    {
        QFETCH(QString, control);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        PanelsWindow window;
        window.click("0");
        QWidget *focused =
            control == "combo" ? static_cast<QWidget *>(window.control<QComboBox>(0)) : window.button(control);
        QVERIFY(focused);
        focused->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), focused);
        QPointer<QWidget> had = focused;
        QTest::keyClick(focused, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QVERIFY(!had);
        QTEST(window.component("0")->GetX(), "x0");
        QTEST(window.rowTexts().first(), "header");
    }

    // Keys of menu commands that a panel's code editor also knows: the menu's command runs, the
    // component's SQL stays. Both for an editor made with the panel and for one made in the
    // place of a stand-in when it takes the focus.
    void menuKeysInAPanelEditor_data()
    {
        QTest::addColumn<bool>("standIn");
        QTest::newRow("made with the panel") << false;
        QTest::newRow("made from its stand-in") << true;
    }
    void menuKeysInAPanelEditor()
    {
        QFETCH(bool, standIn);
        PanelsWindow window(QSize(1000, 500));
        const QString sql = window.component("0")->GetQuery();
        window.click("0");
        QWidget *place = standIn ? longPanelAtItsEnd(window) : firstCodeEditor(window.rows());
        QVERIFY(place);
        window.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.form));
        place->setFocus();
        auto *editor = qobject_cast<TWheelSynEdit *>(QApplication::focusWidget());
        QVERIFY(editor);
        QCOMPARE(editor->text(), sql);
        editor->setCursorPosition(1, 2);

        // The editor's own commands on these keys cut a line and swap two.
        QVERIFY(!SQLConnWindow() || !SQLConnWindow()->isVisible());
        QTest::keyClick(editor, Qt::Key_L, Qt::ControlModifier);
        QVERIFY(SQLConnWindow() && SQLConnWindow()->isVisible());
        QCOMPARE(editor->text(), sql);
        SQLConnWindow()->close();

        window.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.form));
        editor->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), editor);
        QTest::keyClick(editor, Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(window.component("0")->GetType(), QString("INSERTUPDATEQUERY"));
        QCOMPARE(window.component("0")->GetQuery(), sql);
        QVERIFY(window.modified());
    }

    // No code editor of the window binds a key of a menu entry, queued Tools entries included,
    // but copy and paste, which serve the focused text control.
    void noEditorBindsAMenuKey()
    {
        PanelsWindow window;
        window.click("0");
        QList<QsciScintilla *> editors{firstCodeEditor(window.rows())};
        for (const char *name : {"htmlEdit", "JavaScriptMemo", "ReqListMemo"})
            editors << part<QsciScintilla>(window.form, name);
        QStringList keys;
        for (const QAction *action : window.form->findChildren<QAction *>()) {
            const QString name = action->objectName();
            if (action->shortcut().isEmpty() || name == "mnuMainCopy" || name == "mnuMainPaste")
                continue;
            const int key = action->shortcut()[0].toCombined();
            keys << action->shortcut().toString();
            for (QsciScintilla *editor : editors) {
                QVERIFY(editor);
                if (QsciCommand *command = editor->standardCommands()->boundTo(key))
                    QFAIL(qPrintable(editor->objectName() + " binds " + action->shortcut().toString() + " to " +
                                     command->description()));
            }
        }
        QVERIFY2(keys.contains("Ctrl+L") && keys.contains("Ctrl+P") && keys.contains("Ctrl+T"),
                 qPrintable(keys.join(' ')));
    }

    void wheelAndRememberedPosition()
    {
        PanelsWindow window(QSize(1000, 500));
        window.click("0");
        for (int i = 0; i < 4; ++i)
            click(window.button("Add"));
        QScrollBar *bar = window.scroll()->verticalScrollBar();
        QVERIFY2(bar->maximum() > 60, qPrintable(QString::number(bar->maximum())));
        window.scroll()->verticalScrollBar()->setValue(0);

        // A notch toward the user over a code editor or a type drop-down scrolls the panel
        // down by 15 pixels, not the editor, and leaves the drop-down's item.
        auto *sql = window.control<TWheelSynEdit>();
        QVERIFY(turnWheel(sql->viewport(), -120));
        QCOMPARE(bar->value(), 15);
        QCOMPARE(sql->firstVisibleLine(), 0);
        auto *type = window.control<TWheelComboBox>();
        const QString item = type->currentText();
        QVERIFY(turnWheel(type, -240));
        QCOMPARE(bar->value(), 45);
        QCOMPARE(type->currentText(), item);
        turnWheel(sql->viewport(), 120);
        QCOMPARE(bar->value(), 30);

        // Another component and back: the position comes back, kept under the page's file,
        // the section and the component.
        QCOMPARE(TScrolledTagsEditor::SpotKey(window.component("0")), window.path() + ":preproc_0");
        window.click("1");
        QCOMPARE(bar->value(), 0);
        window.click("0");
        QCOMPARE(bar->value(), 30);
        QCOMPARE(window.editor()->TagsEditor()->EditSpot()->GetInt(window.path() + ":preproc_1"), 0);
        QCOMPARE(window.editor()->TagsEditor()->EditSpot()->GetInt(window.path() + ":preproc_0"), 30);
        // Kept per page: the same page opened again starts at the top.
        window.form->SetModified(false);
        window.form->OpenFile(window.path());
        window.click("0");
        QCOMPARE(bar->value(), 0);
    }

    // The wheel over any part of a component's panel scrolls the panel by 15 pixels a notch
    // and does nothing else: no value changes, a drop-down of fixed values included, and the
    // keyboard focus stays on the diagram, so the key typed next goes there.
    void wheelOnlyScrolls_data()
    {
        QTest::addColumn<QString>("over");
        for (const char *over :
             {"header", "comment", "label", "fixed values", "name", "type", "code", "Delete", "Add", "space", "bar"})
            QTest::newRow(over) << QString(over);
    }
    void wheelOnlyScrolls()
    {
        QFETCH(QString, over);
        PanelsWindow window(QSize(1000, 500), withRequest(), {{"REQUEST.ini", kRequestKind}});
        const QByteArray saved = readBytes(window.path());
        window.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.form));
        window.click("8");
        QCOMPARE(window.rowTexts().first(), "label:8: REQUEST (Parameters: 6)");
        QTRY_COMPARE(QApplication::focusWidget(), window.diagram());

        auto *choice = window.control<QComboBox>();
        QVERIFY(choice && !choice->isEditable());
        QCOMPARE(choice->currentText(), "GET");
        QPushButton *add = window.button("Add");
        const QMap<QString, QWidget *> controls{
            {"header", window.control<QLabel>()},
            {"comment", window.control<QLineEdit>()},
            {"label", window.control<QLabel>(1)},
            {"fixed values", choice},
            {"name", window.control<QLineEdit>(1)},
            {"type", window.control<TWheelComboBox>()},
            {"code", window.control<TWheelSynEdit>()},
            {"Delete", window.button("Delete")},
            {"Add", add},
            {"space", window.rows()},
            {"bar", window.scroll()->verticalScrollBar()},
        };
        QWidget *control = controls.value(over);
        QVERIFY(control);
        auto *code = qobject_cast<TWheelSynEdit *>(control);
        QWidget *target = code ? code->viewport() : control;
        // Over the control's middle; over the space beside the "Add" button.
        QPoint at = target->rect().center();
        if (target == window.rows())
            at = add->geometry().center() + QPoint(add->width() + 40, 0);
        else if (target != window.scroll()->verticalScrollBar())
            window.scroll()->ensureWidgetVisible(control);
        // A notch away from the user when the panel is scrolled down, toward the user at its top.
        QScrollBar *bar = window.scroll()->verticalScrollBar();
        QVERIFY(bar->maximum() > 120);
        const int start = bar->value();
        const int delta = start >= 60 ? 120 : -120;
        const QString text = describeRows(window.panel()).join('\n');
        const int firstLine = code ? code->firstVisibleLine() : 0;

        turnWheelAt(target, at, delta);
        QCOMPARE(bar->value(), start - delta / 8);
        QCOMPARE(QApplication::focusWidget(), window.diagram());
        QCOMPARE(describeRows(window.panel()).join('\n'), text);
        if (code)
            QCOMPARE(code->firstVisibleLine(), firstLine);
        QVERIFY(!window.modified());
        QTest::keyClicks(QApplication::focusWidget(), "Z");
        QVERIFY(!window.modified());
        QCOMPARE(window.savedBytes(), saved);
    }

    void panelEditsMarkAndRepaint_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("control"); // edit, code, combo: the first of its kind
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::newRow("comment") << "1"
                                 << "edit"
                                 << "!" << QByteArray("<c>Any open?</c>") << QByteArray("<c>Any open?!</c>");
        QTest::newRow("condition, quotes doubled, plain text")
            << "1"
            << "code"
            << " or 'x'" << QByteArray("<v>status = ''open''</v>") << QByteArray("<v>status = ''open'' or ''x''</v>");
        QTest::newRow("SQL keeps its CDATA")
            << "3"
            << "code"
            << " AND 1 = 1" << QByteArray("<query><![CDATA[UPDATE orders SET seen = 1 WHERE id = :id]]></query>")
            << QByteArray("<query><![CDATA[UPDATE orders SET seen = 1 WHERE id = :id AND 1 = 1]]></query>");
        QTest::newRow("name of an entry")
            << "3"
            << "name"
            << "x" << QByteArray("<n><![CDATA[id]]></n>") << QByteArray("<n><![CDATA[idx]]></n>");
        QTest::newRow("type drop-down")
            << "3"
            << "combo"
            << "STRING"
            << QByteArray("<t>INTEGER</t>\r\n          <v><![CDATA[0]]></v>\r\n        </param>\r\n      </values>\r\n "
                          "   </c>\r\n    <c>\r\n      <n>4</n>")
            << QByteArray("<t>STRING</t>\r\n          <v><![CDATA[0]]></v>\r\n        </param>\r\n      </values>\r\n  "
                          "  </c>\r\n    <c>\r\n      <n>4</n>");
        QTest::newRow("trailing blanks are not stored")
            << "7"
            << "code"
            << "2  " << QByteArray("<n>panels</n>") << QByteArray("<n>panels2</n>");
    }
    void panelEditsMarkAndRepaint()
    {
        QFETCH(QString, name);
        QFETCH(QString, control);
        QFETCH(QString, typed);
        PanelsWindow window;
        window.click(name);
        const QImage before = window.editor()->paintToImage();
        PaintCounter paints(window.diagram());
        QCoreApplication::processEvents();
        paints.count = 0;
        QVERIFY(!window.modified());
        if (control == "edit") {
            auto *edit = window.control<QLineEdit>();
            edit->end(false);
            QTest::keyClicks(edit, typed);
        } else if (control == "name") {
            auto *edit = window.control<QLineEdit>(1);
            edit->end(false);
            QTest::keyClicks(edit, typed);
        } else if (control == "code") {
            auto *code = window.control<TWheelSynEdit>();
            code->setFocus();
            code->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
            QTest::keyClicks(code, typed);
        } else {
            auto *combo = window.control<QComboBox>();
            combo->setFocus();
            combo->lineEdit()->selectAll();
            QTest::keyClicks(combo->lineEdit(), typed);
        }
        QVERIFY(window.modified());
        QCoreApplication::processEvents();
        QVERIFY(paints.count > 0);
        if (control == "edit")
            QVERIFY(window.editor()->paintToImage() != before); // the caption shows the comment
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QCOMPARE(window.savedBytes(), replaced(PanelsWindow::fixtureBytes(), from, to));
    }

    void notesShownOnTheirDiagrams()
    {
        PanelsWindow window;
        QCOMPARE(window.form->CommentRects().size(), size_t(2));
        // The WQF Info tab shows the notes text without markers.
        QCOMPARE(part<QPlainTextEdit>(window.form, "EditorNotesMemo")->toPlainText(), "Free text of the notes.\n");
        for (int tab : {0, 1}) {
            TCommentRect *note = window.note(tab == 0 ? "First note" : "Second note");
            QVERIFY(note);
            QCOMPARE(note->Section, tab == 0 ? "preproc" : "postproc");
            Rect r;
            QVERIFY(window.editor(tab)->GetItemRect(note, r));
            QCOMPARE(QPoint(r.Left, r.Top), QPoint(note->Rect.Left, note->Rect.Top));
            // Only its own diagram lists it.
            QVERIFY(!window.editor(1 - tab)->FindItem(note));
            // Its title bar is drawn where it lies.
            const QImage picture = window.editor(tab)->paintToImage();
            QCOMPARE(QColor(picture.pixel(r.Left + 4, r.Top + 3)), QColor(255, 255, 0));
        }
        // The first one shows its text, the second does not; the resize handle is left out.
        auto inked = [](const QImage &picture, const Rect &r) {
            int dark = 0;
            for (int y = r.Top + 24; y < r.Bottom - 2; ++y)
                for (int x = r.Left + 2; x < r.Right - 18; ++x)
                    dark += qGray(picture.pixel(x, y)) < 128 ? 1 : 0;
            return dark;
        };
        QVERIFY(inked(window.editor(0)->paintToImage(), window.note("First note")->Rect) > 0);
        QCOMPARE(inked(window.editor(1)->paintToImage(), window.note("Second note")->Rect), 0);
    }

    void notesTravelThroughTheEditorNotes()
    {
        PanelsWindow window;
        TCommentRect *note = window.note("First note");
        auto markers = [&] { return marked(window.page()->GetEditorNotes()); };
        const QString second = QString::fromUtf8(kSecondNote).trimmed();

        // Dragged: the marker follows at once, and the page counts as changed.
        window.drag(note, 30, 10);
        QCOMPARE(note->Rect, Rect(478, 30, 638, 94));
        QCOMPARE(markers(),
                 QStringList({"[[@@rect 478 30 160 64 preproc 1 First note||||Line one<br>line two@@]]", second}));
        QVERIFY(window.modified());
        // Resized by its handle.
        TCmtDrag *handle = window.source()->HandleOf(note);
        QTest::mouseClick(window.diagram(), Qt::LeftButton, {}, window.middle(note) + QPoint(100, 100));
        window.drag(handle, 20, 16);
        QCOMPARE(note->Rect, Rect(478, 30, 658, 110));
        QCOMPARE(markers().first(), "[[@@rect 478 30 180 80 preproc 1 First note||||Line one<br>line two@@]]");

        // Edited in the note panel, written at every change.
        window.click(note);
        QCOMPARE(window.rowTexts(),
                 QStringList({"edit:First note", "check:Show notes in the editor=1", "code:Line one\nline two"}));
        QVERIFY2(overlapping(window.shownRows()).isEmpty(), qPrintable(overlapping(window.shownRows())));
        window.form->SetModified(false);
        PaintCounter paints(window.diagram());
        auto *title = window.control<QLineEdit>();
        title->end(false);
        QTest::keyClick(title, Qt::Key_Exclam);
        QCOMPARE(note->Title, "First note!");
        QCOMPARE(markers().first(), "[[@@rect 478 30 180 80 preproc 1 First note!||||Line one<br>line two@@]]");
        QVERIFY(window.modified());
        QCoreApplication::processEvents();
        QVERIFY(paints.count > 0);
        QTest::mouseClick(window.control<QCheckBox>(), Qt::LeftButton);
        QVERIFY(!note->ShowText);
        QCOMPARE(markers().first(), "[[@@rect 478 30 180 80 preproc 0 First note!||||Line one<br>line two@@]]");
        auto *text = window.control<TWheelSynEdit>();
        text->setFocus();
        text->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
        QTest::keyClick(text, Qt::Key_Return);
        QTest::keyClicks(text, "three");
        QCOMPARE(markers().first(),
                 "[[@@rect 478 30 180 80 preproc 0 First note!||||Line one<br>line two<br>three@@]]");
        // The notes text keeps its place before the markers.
        QVERIFY(window.page()->GetEditorNotes().startsWith("Free text of the notes.\n[[@@rect"));

        // Saved, and read again when the page is opened.
        const QByteArray saved = window.savedBytes();
        QCOMPARE(saved,
                 replaced(PanelsWindow::fixtureBytes(), kFirstNote,
                          "[[@@rect 478 30 180 80 preproc 0 First note!||||Line one<br>line two<br>three@@]]\n"));
        window.form->OpenFile(window.path());
        QCOMPARE(window.form->CommentRects().size(), size_t(2));
        TCommentRect *again = window.note("First note!");
        QVERIFY(again);
        QCOMPARE(again->Rect, Rect(478, 30, 658, 110));
        QCOMPARE(again->Text, "Line one\nline two\nthree");
        QVERIFY(!again->ShowText);
        QVERIFY(window.editor()->FindItem(again));
        QCOMPARE(window.savedBytes(), saved);
    }

    void notesTextKeepsTheMarkers()
    {
        PanelsWindow window;
        auto *memo = part<QPlainTextEdit>(window.form, "EditorNotesMemo");
        memo->moveCursor(QTextCursor::End);
        QTest::keyClicks(memo, "More.");
        QVERIFY(window.modified());
        QCOMPARE(window.page()->GetEditorNotes(),
                 "Free text of the notes.\nMore.\n" + QString::fromUtf8(kFirstNote + kSecondNote));
    }

    void compilerErrorPutsTheCaretInThePanel_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::newRow("pascal") << "preproc 5: [Error] (3,7) Identifier not found \"I\"" << 0
                                << "var I: Integer;\nbegin\n  Result := I * 2;\nend;" << 2 << 6;
        QTest::newRow("the query's SQL, not the parameter's value")
            << "preproc 0: [Error] (2,3) Syntax error" << 0
            << "SELECT id, total\nFROM orders\nWHERE customer_id = :customer" << 1 << 2;
        QTest::newRow("post-process") << "postproc 0: [Error] (1,1) x" << 1 << "1" << 0 << 0;
    }
    void compilerErrorPutsTheCaretInThePanel()
    {
        QFETCH(QString, line);
        QFETCH(int, tab);
        PanelsWindow window;
        window.showTab(1 - tab);
        window.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.form));
        window.doubleClickMessage(line);
        QCOMPARE(part<QTabWidget>(window.form, "PageControl1")->currentWidget()->objectName(),
                 PanelsWindow::sheetName(tab));
        auto *editor = window.control<TWheelSynEdit>(0, tab);
        QVERIFY(editor);
        QTEST(editor->text(), "code");
        int row = -1, column = -1;
        editor->getCursorPosition(&row, &column);
        QTEST(row, "row");
        QTEST(column, "column");
        QCOMPARE(QApplication::focusWidget(), editor);
        QCOMPARE(window.scroll(tab)->verticalScrollBar()->value(), 0);
        QVERIFY(!window.modified());
    }

    // The panel of a long query comes back scrolled to its end, where its SQL editor is not
    // made yet: the caret still goes to the SQL.
    void compilerErrorOnALongPanel()
    {
        PanelsWindow window(QSize(1000, 500));
        QVERIFY(longPanelAtItsEnd(window));
        window.click("1");
        window.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.form));
        window.doubleClickMessage("preproc 0: [Error] (2,3) Syntax error");
        QCOMPARE(window.rowTexts().first(), "label:0: SELECTQUERY (Parameters: 13)");
        auto *sql = window.control<TWheelSynEdit>();
        QVERIFY(sql);
        QCOMPARE(sql->text(), "SELECT id, total\nFROM orders\nWHERE customer_id = :customer");
        QCOMPARE(firstCodeEditor(window.rows()), sql);
        int row = -1, column = -1;
        sql->getCursorPosition(&row, &column);
        QCOMPARE(row, 1);
        QCOMPARE(column, 2);
        QCOMPARE(QApplication::focusWidget(), sql);
    }
};

PELLORIN_TEST_CLASS(TestPropertyPanels)
#include "test_propertypanels.moc"
