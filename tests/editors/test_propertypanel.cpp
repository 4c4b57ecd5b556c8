#include "common/scriptedprompter.h"
#include "common/testmain.h"
#include "editors/wqfmacros.h"
#include "panelfixture.h"

#include <QTest>

using namespace pellorin_test;

namespace {
const QString kTypes = "STRING,INTEGER";

std::unique_ptr<TComponentDescr> hostedKind()
{
    return kind("Q", {field("sql", "query"), variableField("param", "p", "n", "t", "v", kTypes)});
}
} // namespace

class TestPropertyPanel : public QObject {
    Q_OBJECT
private slots:
    void sqlField()
    {
        BuiltPanel b(kind("Q", {field("sql", "query")}), "<query><![CDATA[select a\nfrom b]]></query>");
        QCOMPARE(describeRows(b.panel), QStringList({"label:1: Q", "edit:note", "label:sql", "code:select a\nfrom b"}));
        auto *editor = nthControl<TWheelSynEdit>(b.panel);
        QCOMPARE(editor->highlighter(), HighlighterKind::SQL);
        QCOMPARE(editor->height(), FitCodeEditorHeight(editor));
        QVERIFY(!editor->WantTabs());
        QCOMPARE(editor->marginWidth(0) + editor->marginWidth(1) + editor->marginWidth(2), 5);
        // No "Add" without a variable field, no summary without entries.
        QVERIFY(!b.button("Add"));
    }

    void fixedChoices()
    {
        TComponentField method = field("method", "m");
        method.Values = " GET, POST ";
        BuiltPanel b(kind("K", {method}), "<m>PUT</m>");
        auto *combo = nthControl<QComboBox>(b.panel);
        QVERIFY(!combo->isEditable());
        QCOMPARE(describeRows(b.panel).last(), "combo:|GET,POST");
        QCOMPARE(combo->currentIndex(), -1);
        BuiltPanel known(kind("K", {method}), "<m>post</m>");
        QCOMPARE(nthControl<QComboBox>(known.panel)->currentText(), "POST");
        QCOMPARE(known.changes, 0);
        QCOMPARE(valuesBytes(known.item()), "<values><m>post</m></values>");
    }

    void hostedEntries()
    {
        BuiltPanel b(hostedKind(),
                     "<query>q</query><p><n>a</n><t>STRING</t><v>1</v></p><p><n>b</n><t>X</t><v>2</v></p>");
        QCOMPARE(describeRows(b.panel),
                 QStringList({"label:1: Q (param: 2)", "edit:note", "label:sql", "code:q", "label:param #1", "edit:a",
                              "combo:STRING|STRING,INTEGER", "code:1", "button:Delete", "label:param #2", "edit:b",
                              "combo:X|STRING,INTEGER", "code:2", "button:Delete", "button:Add"}));
        // Geometry of the second entry's rows.
        const int width = b.window.container->width();
        auto *label = nthControl<QLabel>(b.panel, 3);
        auto *name = nthControl<QLineEdit>(b.panel, 2);
        auto *type = nthControl<TWheelComboBox>(b.panel, 1);
        auto *value = nthControl<QsciScintilla>(b.panel, 2);
        auto *del = b.button("Delete", 1);
        QCOMPARE(label->text(), "param #2");
        QVERIFY(label->font().bold());
        QCOMPARE(name->geometry(), QRect(0, label->y() + QFontMetrics(label->font()).height(), 100, name->height()));
        QCOMPARE(type->geometry(), QRect(102, name->y(), 100, type->height()));
        QCOMPARE(value->geometry(), QRect(0, name->y() + name->height() + 2, width - 3, value->height()));
        QCOMPARE(del->geometry(), QRect(width - 72, label->y() + 16, 72, 20));
        auto *add = b.button("Add");
        QCOMPARE(add->geometry().topLeft(), QPoint(0, value->y() + value->height() + 2));
        QCOMPARE(add->width(), 72);
        // Across the panel and anchored: the comment edit follows a wider panel.
        auto *comment = nthControl<QLineEdit>(b.panel, 0);
        auto *header = nthControl<QLabel>(b.panel);
        QCOMPARE(header->pos(), QPoint(0, 0));
        QCOMPARE(comment->geometry(), QRect(0, QFontMetrics(header->font()).height(), width - 3, comment->height()));
        b.window.scroll->resize(520, 400);
        QCOMPARE(comment->width(), b.window.container->width() - 3);
        QCOMPARE(del->x(), b.window.container->width() - 72);
        QCOMPARE(name->width(), 100);
    }

    void deleteHostedEntry()
    {
        BuiltPanel b(hostedKind(),
                     "<query>q</query><p><n>a</n><t>STRING</t><v>1</v></p><p><n>b</n><t>X</t><v>2</v></p>");
        click(b.button("Delete", 1));
        QCOMPARE(valuesBytes(b.item()), "<values><query>q</query><p><n>a</n><t>STRING</t><v>1</v></p></values>");
        QCOMPARE(describeRows(b.panel).filter("label:"),
                 QStringList({"label:1: Q (param: 1)", "label:sql", "label:param #1"}));
        QCOMPARE(b.changes, 1);
        // The clicked button waits hidden for the next clear; the panel shows the two left.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        int shown = 0;
        for (QPushButton *button : b.window.container->findChildren<QPushButton *>())
            shown += button->isVisible() ? 1 : 0;
        QCOMPARE(shown, 2);
        b.panel.Clear();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(b.window.container->findChildren<QWidget *>().size(), 0);
    }

    void unwrappedEntries()
    {
        BuiltPanel b(kind("S", {variableField("var", "", "n", "", "v")}), "<n>a</n><v>1</v><n>b</n><v>2</v>");
        QCOMPARE(describeRows(b.panel),
                 QStringList({"label:1: S (var: 2)", "edit:note", "label:var #1", "edit:a", "code:1", "button:Delete",
                              "label:var #2", "edit:b", "code:2", "button:Delete", "button:Add"}));
        // Without a type the name edit goes across the panel.
        QCOMPARE(nthControl<QLineEdit>(b.panel, 1)->width(), b.window.container->width() - 3);
        click(b.button("Delete", 0));
        QCOMPARE(valuesBytes(b.item()), "<values><n>b</n><v>2</v></values>");
        QCOMPARE(describeRows(b.panel).filter("label:"), QStringList({"label:1: S (var: 1)", "label:var #1"}));
    }

    // A build shows its rows with their container in one go; the keyboard focus stays where
    // it was, outside the panel or on a control of the container that is not a row.
    void buildKeepsTheFocus()
    {
        BuiltPanel b(hostedKind(), "<query>q</query>");
        auto *outside = new QLineEdit(&b.window.window);
        outside->setGeometry(0, 380, 100, 20);
        outside->show();
        QVERIFY(QTest::qWaitForWindowActive(&b.window.window));
        outside->setFocus();
        QVERIFY(outside->hasFocus());
        b.build();
        QVERIFY(outside->hasFocus());
        QVERIFY(b.window.container->isVisible());
        for (const auto &binding : b.panel.Owned())
            QVERIFY(binding->Control->isVisible());
        auto *inside = new QLineEdit(b.window.container);
        inside->move(0, 350);
        inside->show();
        inside->setFocus();
        b.build();
        QVERIFY(inside->hasFocus());
        QCOMPARE(describeRows(b.panel).first(), "label:1: Q");
    }

    // The button lies over the right end of a name edit across the panel; typed text stops
    // short of it, also once the panel is wider. Side by side with a type the edit is clear.
    void nameTextClearOfDelete()
    {
        BuiltPanel b(kind("S", {variableField("var", "", "n", "", "v")}), "<n>a</n><v>1</v>");
        auto *name = nthControl<QLineEdit>(b.panel, 1);
        QPushButton *del = b.button("Delete");
        QVERIFY(name->geometry().intersects(del->geometry()));
        QCOMPARE(name->geometry().right() - name->textMargins().right(), del->x() - 3);
        b.window.scroll->resize(520, 400);
        QCOMPARE(name->geometry().right() - name->textMargins().right(), del->x() - 3);
        b.window.scroll->resize(320, 400);
        BuiltPanel typed(hostedKind(), "<p><n>a</n><t>STRING</t><v>1</v></p>");
        QCOMPARE(nthControl<QLineEdit>(typed.panel, 1)->textMargins().right(), 0);
    }

    // A bare entry of a kind asking one value of every field holds name, value, type.
    void oneValueEntryDeletesWhole()
    {
        auto k = hostedKind();
        k->OneValReq = true;
        BuiltPanel b(std::move(k), "<query>q</query><n>a</n><v>1</v><t>STRING</t><p><n>b</n><t/><v/></p>");
        QCOMPARE(describeRows(b.panel).mid(4, 5),
                 QStringList({"label:param #1", "edit:a", "combo:STRING|STRING,INTEGER", "code:1", "button:Delete"}));
        click(b.button("Delete", 0));
        QCOMPARE(valuesBytes(b.item()), "<values><query>q</query><p><n>b</n><t/><v/></p></values>");
    }

    void emptyHostCanBeDeleted()
    {
        BuiltPanel b(hostedKind(), "<query>q</query><p><x/></p>");
        QCOMPARE(describeRows(b.panel).mid(4), QStringList({"label:param #1", "button:Delete", "button:Add"}));
        click(b.button("Delete"));
        QCOMPARE(valuesBytes(b.item()), "<values><query>q</query></values>");
    }

    void nonEditableField()
    {
        TComponentField hidden = variableField("hidden", "", "n", "", "v");
        hidden.Editable = false;
        BuiltPanel b(kind("H", {hidden}), "<n>a</n><v>1</v>");
        QCOMPARE(describeRows(b.panel), QStringList({"label:1: H", "edit:note", "button:Add"}));
    }

    void firstFieldWins()
    {
        BuiltPanel b(kind("T", {field("first", "v"), field("second", "v")}), "<v>1</v><v>2</v>");
        QCOMPARE(describeRows(b.panel).filter("label:"), QStringList({"label:1: T", "label:first", "label:first"}));
    }

    void unmatchedAndMissing()
    {
        // Elements no field knows get no row; a name without its value ends the walk.
        BuiltPanel b(kind("S", {variableField("var", "", "n", "", "v"), field("f", "w")}),
                     "<zz>1</zz><!--c--><w>x</w><n>a</n><w>lost</w>");
        QCOMPARE(describeRows(b.panel), QStringList({"label:1: S (var: 1)", "edit:note", "label:f", "code:x",
                                                     "label:var #1", "edit:a", "button:Delete", "button:Add"}));
        // No comment element: no comment edit.
        BuiltPanel bare(kind("F", {field("f", "w")}), "<w>x</w>", "");
        QCOMPARE(describeRows(bare.panel), QStringList({"label:1: F", "label:f", "code:x"}));
    }

    void emptyPanels()
    {
        PanelWindow window;
        auto page = pageWith("<c><n>1</n><t>K</t><c>x</c></c>");
        auto k = kind("K", {field("f", "v")});
        TTagsEditor panel;
        panel.BuildPropertyPanel(firstItem(*page), window.container, k.get());
        // Without "values" nothing shows, though header and comment were made.
        for (QWidget *w : window.container->findChildren<QWidget *>())
            QVERIFY(!w->isVisible());
        panel.BuildPropertyPanel(firstItem(*page), window.container, nullptr);
        QVERIFY(panel.Owned().empty());
        QCOMPARE(panel.Item(), firstItem(*page));
        panel.BuildPropertyPanel(nullptr, window.container, k.get());
        QVERIFY(panel.Owned().empty());
        panel.Clear();
        QCOMPARE(panel.Item(), nullptr);
        QCOMPARE(panel.Descr(), k.get());
        QCOMPARE(panel.Panel(), window.container);
    }

    void addThenDeleteRestoresValues()
    {
        BuiltPanel b(hostedKind(), "<query>q</query><p><n>a</n><t>STRING</t><v>1</v></p>");
        const QByteArray before = valuesBytes(b.item());
        click(b.button("Add"));
        QCOMPARE(b.changes, 1);
        QCOMPARE(valuesBytes(b.item()),
                 "<values><query>q</query><p><n>a</n><t>STRING</t><v>1</v></p><p><n/><t/><v/></p></values>");
        QCOMPARE(describeRows(b.panel).first(), "label:1: Q (param: 2)");
        click(b.button("Delete", 1));
        QCOMPARE(b.changes, 2);
        QCOMPARE(valuesBytes(b.item()), before);
    }

    void addRefusedForUnusableName()
    {
        PrompterGuard prompts;
        auto k = kind("BAD", {variableField("var", "", "", "", "v")});
        BuiltPanel b(std::move(k), "<v>1</v>");
        const QByteArray before = valuesBytes(b.item());
        const QStringList rows = describeRows(b.panel);
        click(b.button("Add"));
        QCOMPARE(prompts->prompts.size(), 1);
        QVERIFY(prompts->prompts[0].text.contains("BAD"));
        QVERIFY(prompts->prompts[0].text.contains("var"));
        QCOMPARE(valuesBytes(b.item()), before);
        QCOMPARE(describeRows(b.panel), rows);
        QCOMPARE(b.changes, 0);
    }

    void macroPanel()
    {
        auto macro =
            LoadMacro(PELLORIN_RESOURCES "/macros/requiredvalue.ini", PELLORIN_RESOURCES "/macros/requiredvalue.pas");
        QVERIFY(macro);
        auto page = loadPage("<wqf><function><fn>page</fn></function><preproc><c><n>4</n><t>SCRIPT</t>"
                             "<c>macro: Required</c><j>5</j><j>6</j><x>0</x><y>0</y><values><v/></values></c>"
                             "</preproc><postproc/></wqf>");
        TWQFItem *item = firstItem(*page);
        auto attached = std::make_unique<TWQFPasMacro>(macro.get());
        macro->InitValues(attached->Values);
        SetItemGrayValue(attached->Values, item);
        QString code;
        attached->Generate(code);
        SetCode(item, code);
        TWQFPasMacro *bound = attached.get();
        item->setMacro(std::move(attached));

        PanelWindow window;
        auto descr = kind("SCRIPT", {field("Code", "v")});
        TScrolledTagsEditor panel;
        panel.ScrollBox = window.scroll;
        int changes = 0;
        panel.OnChange = [&](TTagsEditor *) { ++changes; };
        panel.BuildPropertyPanel(item, window.container, descr.get());
        QCOMPARE(describeRows(panel),
                 QStringList({"label:4: Required", "edit:macro: Required", "label:Field", "edit:customer_id",
                              "label:Message", "edit:Please fill in this value.", "label:Generated Script (Read Only)",
                              "code:" + code}));
        // Rows from the top, each 2 pixels below the one before, the script right under its label.
        int top = 0;
        for (const auto &binding : panel.Owned()) {
            QWidget *c = binding->Control;
            QCOMPARE(c->pos(), QPoint(0, top));
            auto *label = qobject_cast<QLabel *>(c);
            top += c->height() + (label && label->text().startsWith("Generated") ? 0 : 2);
        }
        QVERIFY(panel.scrollRange() > top);
        auto *script = nthControl<TWheelSynEdit>(panel);
        QVERIFY(script->isReadOnly());
        QVERIFY(!script->lexer());
        QCOMPARE(controlTag(script), -1);
        QVERIFY(code.contains("page_pre_6;"));

        auto *message = nthControl<QLineEdit>(panel, 2);
        message->end(false);
        QTest::keyClicks(message, "'");
        QCOMPARE(changes, 1);
        QCOMPARE(bound->Values.value(u"Message"), "Please fill in this value.'");
        QVERIFY(GetCode(item).contains("Result := 'Please fill in this value.''';"));
        QCOMPARE(script->text(), GetCode(item));

        auto *comment = nthControl<QLineEdit>(panel, 0);
        const QString before = GetCode(item);
        comment->end(false);
        QTest::keyClicks(comment, "!");
        QCOMPARE(item->GetComment(), "macro: Required!");
        QCOMPARE(GetCode(item), before);
        QCOMPARE(changes, 2);
        // A tag that is no parameter changes nothing.
        setControlTag(comment, 7);
        panel.MacroParamChange(comment);
        QCOMPARE(changes, 2);
        QCOMPARE(item->GetComment(), "macro: Required!");
    }
};

PELLORIN_TEST_CLASS(TestPropertyPanel)
#include "test_propertypanel.moc"
