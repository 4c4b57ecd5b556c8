#include "common/testmain.h"
#include "common/testutil.h"
#include "model/htmlcontrols.h"
#include "model/textmeasure.h"

#include <QTest>
#include <limits>

Q_DECLARE_METATYPE(Rect)

static char *toString(const Rect &r)
{
    return qstrdup(QByteArray::number(r.Left) + ", " + QByteArray::number(r.Top) + ", " + QByteArray::number(r.Right) +
                   ", " + QByteArray::number(r.Bottom));
}

namespace {

struct Page {
    std::unique_ptr<TMLTree> tree;
    HTMLControlList controls;

    explicit Page(const QByteArray &html) : tree(ParseHTML(html)) { BuildControls(tree.get(), controls); }
    THTMLControl *byId(const QString &id) const
    {
        for (const auto &c : controls)
            if (c->Item()->GetAttribute(u"id", true) == id)
                return c.get();
        return nullptr;
    }
    QStringList kinds() const
    {
        QStringList names;
        for (const auto &c : controls)
            names << c->controlClass().cssClass() + u'/' + c->TagName();
        return names;
    }
};

QStringList lines(const StringList &list) { return list.lines(); }

} // namespace

class TestHtmlControls : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { initHTMLControls(); }

    void registry()
    {
        initHTMLControls(); // a second call registers nothing more
        QStringList names;
        for (const HTMLControlClass *kind : ControlClasses())
            names << kind->displayName() + u'|' + kind->cssClass() + u'|' + kind->tagName();
        QCOMPARE(names,
                 (QStringList{"Static Container|StaticContainer|", "Dynamic Container|DynamicContainer|",
                              "Edit|EditorText|input", "Edit|EditorText|textarea", "Button|EditorSubmitButton|input",
                              "Label|EditorLabel|", "Checkbox|EditorCheckBox|input", "Radio|EditorRadio|input",
                              "Link|EditorLink|", "Validation|ValidationContainer|",
                              "Scripting Container|ScriptingContainer|", "HTML page|EditableContent|"}));
        QCOMPARE(ControlClasses()[2], &THTMLEdit::kind());
        RegisterControlClass(nullptr);
        QCOMPARE(ControlClasses().size(), size_t(12));
        TMLItem *content = reinterpret_cast<TMLItem *>(1);
        QVERIFY(!FindControlClass(nullptr));
        QVERIFY(!CreateControl(nullptr, nullptr, content));
        QVERIFY(!content);
    }

    void recognition_data()
    {
        QTest::addColumn<QByteArray>("html");
        QTest::addColumn<QString>("kind");
        QTest::newRow("class with more words") << QByteArray("<div class=\"EditorText wide\"><input></div>") << "Edit";
        QTest::newRow("substring of a longer word")
            << QByteArray("<div class=xStaticContainery></div>") << "Static Container";
        QTest::newRow("second class attribute ignored") << QByteArray("<div class=x class=EditorLink></div>") << "";
        QTest::newRow("case-sensitive") << QByteArray("<div class=editortext></div>") << "";
        QTest::newRow("no class") << QByteArray("<div style=\"left:1px\"></div>") << "";
        QTest::newRow("earliest registered wins")
            << QByteArray("<div class=\"EditorLink StaticContainer\"></div>") << "Static Container";
        QTest::newRow("textarea field is a memo")
            << QByteArray("<div class=EditorText><textarea></textarea></div>") << "Edit/textarea";
        QTest::newRow("input and textarea stay an edit")
            << QByteArray("<div class=EditorText><textarea></textarea><input></div>") << "Edit/input";
        QTest::newRow("no field is an edit") << QByteArray("<div class=EditorText></div>") << "Edit/input";
        QTest::newRow("textarea deeper down is not the field")
            << QByteArray("<div class=EditorText><p><textarea></textarea></p></div>") << "Edit/input";
        QTest::newRow("text node") << QByteArray("EditorText") << "";
    }
    void recognition()
    {
        QFETCH(QByteArray, html);
        QFETCH(QString, kind);
        const std::unique_ptr<TMLTree> tree = ParseHTML(html);
        const HTMLControlClass *found = FindControlClass(tree->Root());
        QString name = found ? found->displayName() : QString();
        if (found && kind.contains(u'/'))
            name += u'/' + found->tagName();
        QCOMPARE(name, kind);
    }

    void fixturePage()
    {
        const Page page(pellorin_test::readBytes(pellorin_test::dataPath("html/controls.html")));
        QCOMPARE(page.kinds(), (QStringList{"EditableContent/", "StaticContainer/", "EditorText/input",
                                            "EditorText/textarea", "EditorCheckBox/input", "EditorRadio/input",
                                            "DynamicContainer/", "EditorLabel/", "EditorSubmitButton/input",
                                            "EditorLink/", "ValidationContainer/", "ScriptingContainer/"}));
        QVERIFY(dynamic_cast<THTMLMemo *>(page.byId("m1")));
        QVERIFY(!page.byId("hidden")); // inside an element that is no control
        for (const auto &c : page.controls)
            QCOMPARE(c->Item()->Data(), c.get());

        QStringList captions;
        for (const auto &c : page.controls)
            captions << c->GetPropertyValue("Caption");
        QCOMPARE(captions, (QStringList{"", "Customer", "Name", "Notes", "Send <b>mail</b>", "Yes", "Rows", "Total",
                                        "Save", "", "", ""}));

        // Parents and children through the element tree.
        THTMLControl *editable = FindEditableControl(page.controls);
        QCOMPARE(editable, page.controls[0].get());
        QCOMPARE(FirstChildControl(editable), page.byId("box"));
        QCOMPARE(NextSiblingControl(page.byId("box")), page.byId("rows"));
        QCOMPARE(ParentControl(page.byId("r1")), page.byId("box"));
        QVERIFY(!ParentControl(editable));
        QVERIFY(!NextSiblingControl(page.byId("s1")));
        QVERIFY(!FirstChildControl(page.byId("e1")));

        const int checkWidth = MeasureText("Send <b>mail</b>").width() + 22;
        QCOMPARE(page.byId("e1")->StyleRect(), Rect(10, 20, 110, 42));
        QVERIFY(page.byId("e1")->Absolute());
        QVERIFY(!page.byId("box")->Absolute());
        QCOMPARE(page.byId("c1")->StyleRect(), Rect(0, 0, checkWidth, 22));

        LayoutControls(page.controls);
        const QStringList ids{"page", "box", "e1", "m1", "c1", "r1", "rows", "b1", "l1", "v1", "s1"};
        const QList<Rect> bounds{Rect(0, 0, 0, 180),     Rect(0, 0, 0, 66),           Rect(10, 20, 110, 42),
                                 Rect(0, 0, 22, 22),     Rect(0, 22, checkWidth, 44), Rect(0, 44, 22, 66),
                                 Rect(7, 66, 7, 116),    Rect(0, 116, 80, 140),       Rect(0, 140, 0, 140),
                                 Rect(0, 140, 800, 160), Rect(0, 160, 800, 180)};
        for (int i = 0; i < ids.size(); ++i)
            QCOMPARE(page.byId(ids[i])->Bounds(), bounds[i]);
        const THTMLControl *label = page.controls[7].get();
        QCOMPARE(label->Bounds(), Rect(0, 0, 0, 10));
        Rect abs(1, 2, 3, 4);
        AbsoluteBounds(label, abs);
        QCOMPARE(abs, Rect(7, 66, 7, 76));
        AbsoluteBounds(nullptr, abs);
        QCOMPARE(abs, Rect(7, 66, 7, 76));
        QCOMPARE(ControlOffset(QPoint(100, 200), page.byId("r1")), QPoint(100, 244));
    }

    void loading_data()
    {
        QTest::addColumn<QByteArray>("html");
        QTest::addColumn<Rect>("styleRect");
        QTest::addColumn<bool>("absolute");
        QTest::newRow("position absolute")
            << QByteArray("<div class=EditorLink style=\"position:absolute\">") << Rect() << true;
        QTest::newRow("position in capitals")
            << QByteArray("<div class=EditorLink style=\"POSITION:Absolute\">") << Rect() << true;
        QTest::newRow("left and top") << QByteArray("<div class=EditorLink style=\"left:1px;top:2px\">")
                                      << Rect(1, 2, 1, 2) << true;
        QTest::newRow("left only") << QByteArray("<div class=EditorLink style=\"left:1px\">") << Rect(1, 0, 1, 0)
                                   << false;
        QTest::newRow("relative with left and top")
            << QByteArray("<div class=EditorLink style=\"position: relative; left:5px; top:5px\">") << Rect(5, 5, 5, 5)
            << false;
        QTest::newRow("input without style")
            << QByteArray("<div class=EditorText style=\"width:5px\"><input></div>") << Rect(0, 0, 22, 22) << false;
        QTest::newRow("input style width 40")
            << QByteArray("<div class=EditorText><input style=\"width:40px\"></div>") << Rect(0, 0, 40, 22) << false;
        QTest::newRow("memo textarea without style")
            << QByteArray("<div class=EditorText><span>Notes</span><textarea></textarea></div>") << Rect(0, 0, 22, 22)
            << false;
        QTest::newRow("memo textarea style") << QByteArray("<div class=EditorText style=\"width:5px\"><textarea "
                                                           "style=\"width:200px;height:60px\"></textarea></div>")
                                             << Rect(0, 0, 200, 60) << false;
        QTest::newRow("style larger than the input")
            << QByteArray("<div class=EditorText style=\"width:90px;height:30px\"><input style=\"width:40px\"></div>")
            << Rect(0, 0, 90, 30) << false;
        QTest::newRow("label ignores its style")
            << QByteArray("<div class=EditorLabel style=\"left:3px;top:4px;width:50px;height:60px\">")
            << Rect(0, 0, 0, 10) << true;
        QTest::newRow("scripting box") << QByteArray("<div class=ScriptingContainer style=\"height:1px\">")
                                       << Rect(0, 0, 800, 20) << false;
        QTest::newRow("unreadable numbers")
            << QByteArray("<div class=EditorLink style=\"left:x;width:auto\">") << Rect() << false;
        QTest::newRow("sums clamp") << QByteArray(
                                           "<div class=EditorText style=\"left:2147483600px;width:2000px\"><input "
                                           "style=\"width:2147483647px\"></div>")
                                    << Rect(2147483600, 0, std::numeric_limits<int>::max(), 22) << false;
    }
    void loading()
    {
        QFETCH(QByteArray, html);
        const Page page(html);
        QCOMPARE(page.controls.size(), size_t(1));
        QTEST(page.controls[0]->StyleRect(), "styleRect");
        QTEST(page.controls[0]->Absolute(), "absolute");
    }

    void innerElement()
    {
        const Page page("<div class=EditorText style=\"left:1px\"><INPUT style=\"width:30px;height:9px\"></div>"
                        "<div class=EditorLink style=\"top:1px\"><a></a></div>");
        const THTMLControl *edit = page.controls[0].get();
        QCOMPARE(edit->Inner(), edit->Item()->FirstChild());
        QVERIFY(edit->InnerStyle());
        QCOMPARE(edit->InnerStyle()->value(u"width"), QString("30px"));
        QCOMPARE(edit->Style().lines(), QStringList{"left=1px"});
        QVERIFY(!page.controls[1]->Inner());
        QVERIFY(!page.controls[1]->InnerStyle());

        const Page memo("<div class=EditorText><span>x</span><textarea rows=3></textarea></div>");
        QVERIFY(dynamic_cast<const THTMLMemo *>(memo.controls[0].get()));
        QCOMPARE(memo.controls[0]->Inner(), memo.controls[0]->Item()->ChildByName(u"textarea"));
        QVERIFY(memo.controls[0]->InnerStyle());
    }

    void checkboxCaptionWidth()
    {
        const Page narrow(
            "<div class=EditorCheckBox style=\"width:10px\"><span>Agree to <b>all</b> terms</span></div>");
        const int need = MeasureText("Agree to <b>all</b> terms").width() + 22;
        QCOMPARE(narrow.controls[0]->StyleRect().width(), need);
        const Page wide("<div class=EditorCheckBox style=\"width:2000px\"><span>x</span></div>");
        QCOMPARE(wide.controls[0]->StyleRect().width(), 2000);
        const Page none("<div class=EditorCheckBox></div>");
        QCOMPARE(none.controls[0]->StyleRect().width(), 22);
        QCOMPARE(none.controls[0]->GetPropertyValue("caption"), QString());
    }

    void captions_data()
    {
        QTest::addColumn<QByteArray>("html");
        QTest::addColumn<QString>("caption");
        QTest::newRow("static without h3") << QByteArray("<div class=StaticContainer><p>x</p></div>") << "";
        QTest::newRow("h3 holding an element")
            << QByteArray("<div class=StaticContainer><h3><b>x</b></h3></div>") << "";
        QTest::newRow("button without input") << QByteArray("<div class=EditorSubmitButton>x</div>") << "";
        QTest::newRow("button value unquoted")
            << QByteArray("<div class=EditorSubmitButton><input value=Go></div>") << "Go";
        QTest::newRow("edit span in capitals") << QByteArray("<div class=EditorText><SPAN>Nm</SPAN></div>") << "Nm";
        QTest::newRow("radio span beside the input")
            << QByteArray("<div class=EditorRadio><input><span>On</span></div>") << "On";
        QTest::newRow("link has none") << QByteArray("<div class=EditorLink><span>x</span></div>") << "";
        QTest::newRow("editable has none") << QByteArray("<div class=EditableContent><h3>x</h3></div>") << "";
    }
    void captions()
    {
        QFETCH(QByteArray, html);
        const Page page(html);
        QTEST(page.controls[0]->GetPropertyValue("CAPTION"), "caption");
    }

    void propertyValues_data()
    {
        QTest::addColumn<QString>("style");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::newRow("left") << "left:10px;top:2px"
                              << "Left"
                              << "10px";
        QTest::newRow("first occurrence wins") << "margin-left:5px;left:10px"
                                               << "Left"
                                               << "5px";
        QTest::newRow("no colon after the name") << "left 10px"
                                                 << "left"
                                                 << "";
        QTest::newRow("blanks and quote end the value") << "width:  auto ;"
                                                        << "WIDTH"
                                                        << "auto";
        QTest::newRow("height missing") << "width:1px"
                                        << "height"
                                        << "";
        QTest::newRow("not a style property") << "condition:x"
                                              << "Condition"
                                              << "";
    }
    void propertyValues()
    {
        QFETCH(QString, style);
        QFETCH(QString, name);
        const Page page(QString("<div class=EditorLink style=\"%1\"></div>").arg(style).toUtf8());
        QTEST(page.controls[0]->GetPropertyValue(name), "value");
    }

    void styleLookups()
    {
        QString value = "kept";
        QVERIFY(!StyleProperty("left:1px", "color", value));
        QCOMPARE(value, QString("kept"));
        QVERIFY(StyleProperty("left:1px", "Left", value));
        QCOMPARE(value, QString("1px"));
        QCOMPARE(StyleValue("width:1px\"x", "width"), QString("1px"));
        QCOMPARE(StyleValue("", "width"), QString());
        QCOMPARE(StyleValue("width", "width"), QString());
        QVERIFY(IsStyleProperty("HEIGHT"));
        QVERIFY(!IsStyleProperty("right"));
        QCOMPARE(MinInputWidth("checkbox"), 22);
        QCOMPARE(MinInputHeight(""), 22);
        const std::unique_ptr<TMLTree> tree = ParseHTML(QByteArray("<d><a>x</a><b><i></i>y</b><c></c></d>"));
        QCOMPARE(ChildText(tree->Root(), u"A"), QString("x"));
        QCOMPARE(ChildText(tree->Root(), u"b"), QString());
        QCOMPARE(ChildText(tree->Root(), u"c"), QString());
        QCOMPARE(ChildText(nullptr, u"c"), QString());
        QVERIFY(!FindChildItem(nullptr, u"a"));
    }

    void propertyTypes()
    {
        const Page page("<div class=EditorText></div><div class=StaticContainer></div><div class=EditableContent>");
        StringList grid;
        page.controls[0]->GetPropertyTypes(grid);
        page.controls[1]->GetPropertyTypes(grid);
        QStringList names;
        for (qsizetype i = 0; i < grid.count(); ++i)
            names << grid.name(i);
        QCOMPARE(names, (QStringList{"Left",          "Top",     "Condition",  "TabIndex",  "Tooltip",
                                     "ValueLessAttr", "Name",    "Caption",    "MaxLength", "Required",
                                     "Width",         "Value",   "blur",       "change",    "click",
                                     "dblclick",      "focus",   "mousedown",  "mousemove", "mouseout",
                                     "mouseover",     "mouseup", "Borderless", "ID",        "Height"}));
        StringList editable;
        page.controls[2]->GetPropertyTypes(editable);
        QCOMPARE(editable.count(), 0);
        QCOMPARE(page.controls[2]->DisplayName(), QString("HTML page"));
    }

    void propertyTypesPerKind_data()
    {
        QTest::addColumn<QByteArray>("html");
        QTest::addColumn<QStringList>("types");
        const QStringList events{"blur=string",      "change=string",    "click=string",     "dblclick=string",
                                 "focus=string",     "mousedown=string", "mousemove=string", "mouseout=string",
                                 "mouseover=string", "mouseup=string"};
        const QStringList head{"Left=integer",   "Top=integer",          "Condition=string", "TabIndex=string",
                               "Tooltip=string", "ValueLessAttr=string", "Name=string",      "Caption=string"};
        const QStringList check = head + QStringList{"Required=Boolean", "Value=String"} + events;
        QTest::newRow("static") << QByteArray("<div class=StaticContainer>")
                                << QStringList{"Left=integer",       "Top=integer",  "Condition=string",
                                               "Borderless=boolean", "ID=string",    "Caption=string",
                                               "Height=integer",     "Width=integer"};
        QTest::newRow("dynamic") << QByteArray("<div class=DynamicContainer>")
                                 << QStringList{"Condition=string", "ID=string", "Caption=string"};
        QTest::newRow("edit") << QByteArray("<div class=EditorText>")
                              << head +
                                     QStringList{"MaxLength=string", "Required=Boolean", "Width=Integer",
                                                 "Value=string"} +
                                     events;
        QTest::newRow("memo") << QByteArray("<div class=EditorText><textarea>")
                              << head +
                                     QStringList{"Required=Boolean", "EditHTML=Boolean", "Width=Integer",
                                                 "Height=Integer"} +
                                     events;
        QTest::newRow("button") << QByteArray("<div class=EditorSubmitButton>")
                                << head +
                                       QStringList{"Validate=Boolean", "Width=Integer", "Height=Integer",
                                                   "DefaultButton=Boolean"} +
                                       events;
        QTest::newRow("label") << QByteArray("<div class=EditorLabel>")
                               << QStringList{"Left=integer",   "Top=integer",          "Condition=string",
                                              "Tooltip=string", "ValueLessAttr=string", "Caption=string",
                                              "Class=string",   "Style=string"} +
                                      events;
        QTest::newRow("checkbox") << QByteArray("<div class=EditorCheckBox>") << check;
        QTest::newRow("radio") << QByteArray("<div class=EditorRadio>") << check;
        QTest::newRow("link") << QByteArray("<div class=EditorLink>")
                              << head + QStringList{"Class=string", "Style=string", "Target=string"} + events;
        QTest::newRow("validation") << QByteArray("<div class=ValidationContainer>")
                                    << QStringList{"Condition=string", "ID=string", "Caption=string"};
        QTest::newRow("scripting") << QByteArray("<div class=ScriptingContainer>")
                                   << QStringList{"Condition=string", "ID=string", "Scripts=string"};
    }
    void propertyTypesPerKind()
    {
        QFETCH(QByteArray, html);
        const Page page(html);
        StringList list;
        page.controls[0]->GetPropertyTypes(list);
        QTEST(lines(list), "types");
    }

    void containers()
    {
        // Without an h3 the content starts at the first child, a text node here: the walk
        // goes on to its siblings.
        const Page text("<div class=StaticContainer>words<div class=EditorLabel></div></div>");
        QCOMPARE(text.controls.size(), size_t(2));
        const Page empty("<div class=DynamicContainer></div><div class=EditorLink></div>");
        QCOMPARE(empty.controls.size(), size_t(2));
        const Page h3Only("<div class=StaticContainer><h3>t</h3></div>");
        TMLItem *content = reinterpret_cast<TMLItem *>(1);
        QVERIFY(CreateControlFor(h3Only.tree->Root(), content));
        QVERIFY(!content);
        // A kind without content hides what is inside it.
        const Page edit("<div class=EditorText><div class=EditorLabel></div></div>");
        QCOMPARE(edit.controls.size(), size_t(1));
        // A control of a kind that does not match the element is refused.
        const Page plain("<div class=EditorLink></div>");
        QVERIFY(!CreateControl(&THTMLEdit::kind(), plain.tree->Root(), content));
    }

    void stackingAroundAbsoluteChild()
    {
        Page page("<div class=EditableContent>"
                  "<div class=StaticContainer style=\"height:10px\"></div>"
                  "<div class=EditorLink style=\"position:absolute;top:5px;height:7px;width:3px\"></div>"
                  "<div class=StaticContainer style=\"height:20px\"></div>"
                  "<div class=StaticContainer style=\"height:30px;width:4px\"></div></div>");
        LayoutControls(page.controls);
        QCOMPARE(page.controls[1]->Bounds(), Rect(0, 0, 0, 10));
        QCOMPARE(page.controls[2]->Bounds(), Rect(0, 5, 3, 12));
        QCOMPARE(page.controls[3]->Bounds(), Rect(0, 10, 0, 30));
        QCOMPARE(page.controls[4]->Bounds(), Rect(0, 30, 4, 60));
        QCOMPARE(page.controls[0]->Bounds(), Rect(0, 0, 0, 60));
        // A second run hands down the page's bounds of the first one (zero width here).
        LayoutControls(page.controls);
        QCOMPARE(page.controls[3]->Bounds(), Rect(0, 10, 0, 30));
    }

    void layoutWithoutEditable()
    {
        Page page("<div class=StaticContainer style=\"height:10px\"><div class=EditorLabel></div></div>");
        LayoutControls(page.controls);
        for (const auto &c : page.controls)
            QCOMPARE(c->Bounds(), Rect());
        LayoutControls(HTMLControlList());
    }

    void hugeCoordinatesClamp()
    {
        Page page("<div class=EditableContent>"
                  "<div class=StaticContainer style=\"height:2000000000px\"></div>"
                  "<div class=StaticContainer style=\"height:2000000000px\"></div>"
                  "<div class=StaticContainer style=\"top:2000000000px;height:2000000000px\">"
                  "<div class=EditorLink style=\"position:absolute;left:2000000000px;top:2000000000px;height:1px\">"
                  "</div></div></div>");
        LayoutControls(page.controls);
        const int max = std::numeric_limits<int>::max();
        QCOMPARE(page.controls[2]->Bounds().Top, 2000000000);
        QCOMPARE(page.controls[3]->Bounds().Top, max);
        QCOMPARE(page.controls[0]->Bounds().Bottom, max);
        QCOMPARE(ControlOffset(QPoint(0, 0), page.controls[4].get()), QPoint(2000000000, max));
    }

    void deepNesting()
    {
        // Containers nested far deeper than any call stack could follow.
        const int depth = 50000;
        const QByteArray html = "<div class=EditableContent>" +
                                QByteArray("<div class=DynamicContainer>").repeated(depth) + "<div class=EditorLabel>" +
                                QByteArray("</div>").repeated(depth + 2);
        Page page(html);
        QCOMPARE(page.controls.size(), size_t(depth + 2));
        LayoutControls(page.controls);
        QCOMPARE(page.controls[0]->Bounds(), Rect(0, 0, 0, 10));
        QCOMPARE(ControlOffset(QPoint(0, 0), page.controls.back().get()), QPoint(0, 0));
    }

    void colorsAndLengths_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("color");
        QTest::addColumn<int>("length");
        QTest::newRow("green") << "#00FF00" << 65280 << -1;
        QTest::newRow("red") << "#ff0000" << 16711680 << -1;
        QTest::newRow("short form not expanded") << "#fff" << 4095 << -1;
        QTest::newRow("name") << "red" << 0 << -1;
        QTest::newRow("hash only") << "#" << 0 << -1;
        QTest::newRow("not hex") << "#ffg" << 0 << -1;
        QTest::newRow("empty") << "" << 0 << -1;
        QTest::newRow("auto") << " AUTO " << 0 << -2;
        QTest::newRow("pixels") << "12px" << 0 << 12;
        QTest::newRow("plain number") << "10" << 0 << 10;
        QTest::newRow("negative") << "-3px" << 0 << -3;
        QTest::newRow("em") << "10em" << 0 << -1;
        QTest::newRow("percent") << "50%" << 0 << -1;
        QTest::newRow("hex is no length") << "$10px" << 0 << -1;
        QTest::newRow("word") << "abc" << 0 << -1;
    }
    void colorsAndLengths()
    {
        QFETCH(QString, text);
        QTEST(ParseHTMLColor(text), "color");
        QTEST(ParseCSSLength(text, -1, -2), "length");
    }

    void rectangles()
    {
        QCOMPARE(MoveRectTo(Rect(1, 2, 11, 22), 5, 6), Rect(5, 6, 15, 26));
        QCOMPARE(OffsetRectCopy(Rect(1, 2, 11, 22), -1, 3), Rect(0, 5, 10, 25));
        QVERIFY(SameRect(Rect(1, 2, 3, 4), Rect(1, 2, 3, 4)));
        QVERIFY(!SameRect(Rect(1, 2, 3, 4), Rect(1, 2, 3, 5)));
    }
};

PELLORIN_TEST_CLASS(TestHtmlControls)
#include "test_htmlcontrols.moc"
