#include "common/testmain.h"
#include "editors/wqfeditors.h"
#include "model/commentrects.h"
#include "panelfixture.h"

#include <QDir>
#include <QGridLayout>
#include <QTest>
#include <set>

using namespace pellorin_test;

namespace {
const QString kTypes = "STRING,INTEGER,FLOAT,DATETIME,BOOLEAN,CURRENCY";

// One component of every kind of the shipped catalogue, 150 pixels apart, and a note.
const QByteArray kPage =
    "<wqf><function><fn>f</fn></function><preproc>"
    "<c><n>1</n><t>EXTERNAL</t><c>call</c><j/><j/><x>0</x><y>0</y><values><n>calc.wqf</n></values></c>"
    "<c><n>2</n><t>IF</t><c>test</c><j/><j/><x>150</x><y>0</y><values><v>a = ''1''</v></values></c>"
    "<c><n>3</n><t>INSERTUPDATEQUERY</t><c>store</c><j/><j/><x>300</x><y>0</y><values>"
    "<query><![CDATA[update t set a = :a]]></query><param><n>a</n><t>INTEGER</t><v>1</v></param></values></c>"
    "<c><n>4</n><t>SCRIPT</t><c>code</c><j/><j/><x>450</x><y>0</y><values><v>begin end;</v></values></c>"
    "<c><n>5</n><t>SELECTQUERY</t><c>read</c><j/><j/><x>600</x><y>0</y><values>"
    "<query><![CDATA[select a from t]]></query></values></c>"
    "<c><n>6</n><t>SET</t><c>vars</c><j/><j/><x>0</x><y>150</y><values><n>x</n><v>1</v><n>y</n><v>'2'</v>"
    "</values></c>"
    "<c><n>7</n><t>TEMPLATE</t><c>show</c><j/><j/><x>150</x><y>150</y><values><n>page.html</n></values></c>"
    "<c><n>9</n><t>DELPHI</t><c>pascal</c><j/><j/><x>450</x><y>150</y><values><v>x := 1;</v></values></c>"
    "<c><n>8</n><t>UNKNOWN</t><c>odd</c><j/><j/><x>300</x><y>150</y><values><v>x</v></values></c>"
    "</preproc><postproc/></wqf>";

// A diagram tab: the image with its scroll bars and the property scroll box beside it.
struct DiagramTab {
    QWidget window;
    TImage *image;
    QScrollBar *horzScroll;
    QScrollBar *vertScroll;
    QScrollArea *scroll;
    QWidget *container;
    std::unique_ptr<TWQFFile> page;
    CommentRectList notes;
    std::unique_ptr<TPanelChanger> editor;
    TWQFEditorSource *source;
    int changes = 0;

    DiagramTab()
    {
        image = new TImage(&window);
        horzScroll = new QScrollBar(Qt::Horizontal, &window);
        vertScroll = new QScrollBar(Qt::Vertical, &window);
        scroll = new QScrollArea(&window);
        scroll->setObjectName("PreScroll");
        scroll->setWidgetResizable(true);
        container = new QWidget;
        scroll->setWidget(container);
        auto *layout = new QGridLayout(&window);
        layout->addWidget(image, 0, 0);
        layout->addWidget(vertScroll, 0, 1);
        layout->addWidget(horzScroll, 1, 0);
        layout->addWidget(scroll, 0, 2);
        layout->setColumnStretch(0, 1);
        scroll->setFixedWidth(320);
        window.resize(1100, 600);

        page = loadPage(kPage);
        auto note = NewCommentRect("preproc", 600, 200);
        note->Title = "Remember";
        note->Text = "the text";
        notes.push_back(std::move(note));
        auto owned = std::make_unique<TWQFEditorSource>(page->FindSection("preproc"), &notes);
        source = owned.get();
        editor = std::make_unique<TPanelChanger>(container, image, horzScroll, vertScroll, std::move(owned));
        source->Editor = editor.get();
        source->SetZoom(1.0);
        editor->setZoom(1.0);
        editor->TagsEditor()->ScrollBox = scroll;
        editor->OnChange = [this](TTagsEditor *) { ++changes; };
        editor->SetGraphSize({1024, 1024});
        editor->Rebuild();
        window.show();
        QApplication::setActiveWindow(&window);
    }

    TWQFItem *component(const QString &name) { return FindItemByName(page->FindSection("preproc")->Items(), name); }

    // The client point in the middle of a diagram item.
    Point middle(void *data)
    {
        Rect r;
        if (!editor->GetItemRect(data, r))
            qFatal("no such item");
        return editor->GraphToClient((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }
    void press(void *data, Qt::KeyboardModifiers shift = {}, int dx = 0, int dy = 0)
    {
        const Point p = middle(data);
        editor->MouseEvent(p.x, p.y, mekDown, Qt::LeftButton, shift);
        if (dx || dy)
            editor->MouseEvent(p.x + dx, p.y + dy, mekMove, Qt::LeftButton, shift);
        editor->MouseEvent(p.x + dx, p.y + dy, mekUp, Qt::LeftButton, shift);
    }
    void click(const QString &name, Qt::KeyboardModifiers shift = {}) { press(component(name), shift); }
    QStringList rows() { return describeRows(*editor->TagsEditor()); }
};

struct Catalogue {
    Catalogue()
    {
        clearComponentDescrs();
        const QStringList skipped = LoadComponentDescrs(QStringLiteral(PELLORIN_RESOURCES "/components"));
        if (!skipped.isEmpty())
            qFatal("catalogue: %s", qPrintable(skipped.join('\n')));
    }
    ~Catalogue() { clearComponentDescrs(); }
};
} // namespace

class TestPanelChanger : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { m_catalogue = std::make_unique<Catalogue>(); }
    void cleanupTestCase() { m_catalogue.reset(); }

    void everyShippedKind_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("EXTERNAL") << "1"
                                  << QStringList{"label:1: EXTERNAL", "edit:call", "label:File", "code:calc.wqf"};
        QTest::newRow("IF") << "2" << QStringList{"label:2: IF", "edit:test", "label:Condition", "code:a = '1'"};
        QTest::newRow("DELPHI") << "9" << QStringList{"label:9: DELPHI", "edit:pascal", "label:Code", "code:x := 1;"};
        QTest::newRow("INSERTUPDATEQUERY") << "3"
                                           << QStringList{"label:3: INSERTUPDATEQUERY (Parameters: 1)",
                                                          "edit:store",
                                                          "label:SQL",
                                                          "code:update t set a = :a",
                                                          "label:Parameters #1",
                                                          "edit:a",
                                                          "combo:INTEGER|" + kTypes,
                                                          "code:1",
                                                          "button:Delete",
                                                          "button:Add"};
        QTest::newRow("SCRIPT") << "4" << QStringList{"label:4: SCRIPT", "edit:code", "label:Code", "code:begin end;"};
        QTest::newRow("SELECTQUERY") << "5"
                                     << QStringList{"label:5: SELECTQUERY", "edit:read", "label:SQL",
                                                    "code:select a from t", "button:Add"};
        QTest::newRow("SET") << "6" << QStringList{"label:6: SET (Variables: 2)",
                                                   "edit:vars",
                                                   "label:Variables #1",
                                                   "edit:x",
                                                   "code:1",
                                                   "button:Delete",
                                                   "label:Variables #2",
                                                   "edit:y",
                                                   "code:'2'",
                                                   "button:Delete",
                                                   "button:Add"};
        QTest::newRow("TEMPLATE") << "7"
                                  << QStringList{"label:7: TEMPLATE", "edit:show", "label:Template", "code:page.html"};
        QTest::newRow("not in the catalogue") << "8" << QStringList{};
    }
    void everyShippedKind()
    {
        QFETCH(QString, name);
        DiagramTab tab;
        tab.click(name);
        QTEST(tab.rows(), "rows");
        // Every row is on the container and shown.
        for (const auto &binding : tab.editor->TagsEditor()->Owned())
            QVERIFY(binding->Control->parentWidget() == tab.container && binding->Control->isVisible());
    }

    // The table above covers the whole shipped catalogue.
    void tableCoversTheCatalogue()
    {
        std::set<QString> shipped;
        for (const auto &descr : ComponentDescrs())
            shipped.insert(descr->Name);
        QCOMPARE(shipped, std::set<QString>({"DELPHI", "EXTERNAL", "IF", "INSERTUPDATEQUERY", "SCRIPT", "SELECTQUERY",
                                             "SET", "TEMPLATE"}));
    }

    void ctrlClickEmptiesAndRestores()
    {
        DiagramTab tab;
        tab.click("2");
        const QStringList first = tab.rows();
        QVERIFY(!first.isEmpty());
        tab.click("4", Qt::ControlModifier);
        QVERIFY(tab.rows().isEmpty());
        tab.click("4", Qt::ControlModifier);
        QCOMPARE(tab.rows(), first);
        // An empty click empties it too.
        tab.editor->MouseEvent(1000, 500, mekDown, Qt::LeftButton, {});
        tab.editor->MouseEvent(1000, 500, mekUp, Qt::LeftButton, {});
        QVERIFY(tab.rows().isEmpty());
    }

    void dragBringsPanelBack()
    {
        DiagramTab tab;
        TWQFItem *item = tab.component("3");
        tab.press(item, {}, 64, 52);
        QCOMPARE(item->GetX(), 352); // on the grid
        QCOMPARE(item->GetY(), 52);
        QCOMPARE(tab.rows().first(), "label:3: INSERTUPDATEQUERY (Parameters: 1)");
        // Several dragged: empty.
        tab.click("4", Qt::ControlModifier);
        tab.press(item, {}, 32, 0);
        QCOMPARE(tab.editor->SelectedCount(), 2);
        QVERIFY(tab.rows().isEmpty());
    }

    void notePanel()
    {
        DiagramTab tab;
        TCommentRect *note = tab.notes.front().get();
        tab.press(note);
        QCOMPARE(tab.rows(), QStringList({"edit:Remember", "check:Show notes in the editor=0", "code:the text"}));
        // The resize handle alone: whatever the panel shows stays.
        const int before = tab.changes;
        tab.editor->FindItem(note)->Selected = false;
        tab.editor->FindItem(tab.source->HandleOf(note))->Selected = true;
        tab.editor->SelectionChanged();
        QCOMPARE(tab.rows().size(), 3);
        QCOMPARE(tab.changes, before);
        // A note straight after a component, as code may select it.
        tab.click("2");
        tab.editor->FindItem(tab.component("2"))->Selected = false;
        tab.editor->FindItem(note)->Selected = true;
        tab.editor->SelectionChanged();
        QCOMPARE(tab.rows(), QStringList({"edit:Remember", "check:Show notes in the editor=0", "code:the text"}));
        typeInto(nthControl<QLineEdit>(*tab.editor->TagsEditor()), "!");
        QCOMPARE(note->Title, "Remember!");
        QCOMPARE(tab.changes, before + 1);
    }

    void editsReportAndRepaint()
    {
        DiagramTab tab;
        tab.click("6");
        auto *comment = nthControl<QLineEdit>(*tab.editor->TagsEditor());
        typeInto(comment, "!");
        QCOMPARE(tab.changes, 1);
        QCOMPARE(tab.component("6")->GetComment(), "vars!");
        // The diagram draws the new caption from the next paint on.
        QImage picture = tab.editor->paintToImage();
        QVERIFY(!picture.isNull());
        auto *panel = tab.editor->TagsEditor();
        QPushButton *add = nullptr;
        for (const auto &b : panel->Owned())
            if (auto *button = qobject_cast<QPushButton *>(b->Control.data()); button && button->text() == "Add")
                add = button;
        const QByteArray before = valuesBytes(tab.component("6"));
        pellorin_test::click(add);
        QCOMPARE(tab.changes, 2);
        QCOMPARE(tab.rows().first(), "label:6: SET (Variables: 3)");
        QPushButton *last = nullptr;
        for (const auto &b : panel->Owned())
            if (auto *button = qobject_cast<QPushButton *>(b->Control.data()); button && button->text() == "Delete")
                last = button;
        pellorin_test::click(last);
        QCOMPARE(tab.changes, 3);
        QCOMPARE(valuesBytes(tab.component("6")), before);
    }

    void rebuildClears()
    {
        DiagramTab tab;
        tab.click("2");
        QVERIFY(!tab.rows().isEmpty());
        tab.editor->BeginUpdate();
        tab.editor->Rebuild();
        QVERIFY(tab.rows().isEmpty());
        QCOMPARE(tab.editor->TagsEditor()->Item(), nullptr);
        // The batch's end brings the one selected component back.
        tab.editor->EndUpdate();
        QCOMPARE(tab.rows().first(), "label:2: IF");
    }

    // What a paste, a palette button or Alt+arrow leaves beyond the graph is brought within
    // scrolling reach by the rebuild that follows; nothing shrinks.
    void rebuildGrowsToReachEveryItem_data()
    {
        QTest::addColumn<QString>("moved");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<bool>("batched");
        QTest::addColumn<QSize>("graph");
        QTest::newRow("component below") << "5" << QPoint(100, 2000) << false << QSize(1024, 2052);
        QTest::newRow("component right") << "5" << QPoint(1500, 0) << false << QSize(1564, 1024);
        QTest::newRow("component ending on the edge") << "5" << QPoint(992, 998) << false << QSize(1024, 1024);
        QTest::newRow("component one pixel over") << "5" << QPoint(993, 999) << false << QSize(1057, 1051);
        QTest::newRow("component inside") << "5" << QPoint(900, 900) << false << QSize(1024, 1024);
        QTest::newRow("in a batch") << "5" << QPoint(100, 2000) << true << QSize(1024, 2052);
        // The title bar decides; its resize handle then ends on the new bottom edge.
        QTest::newRow("note") << "note" << QPoint(3000, 1900) << false << QSize(3200, 1940);
    }
    void rebuildGrowsToReachEveryItem()
    {
        QFETCH(QString, moved);
        QFETCH(QPoint, to);
        QFETCH(bool, batched);
        DiagramTab tab;
        if (moved == "note") {
            TCommentRect &note = *tab.notes.front();
            note.Rect = Rect{to.x(), to.y(), to.x() + 100, to.y() + 40};
        } else {
            tab.component(moved)->SetX(to.x());
            tab.component(moved)->SetY(to.y());
        }
        if (batched)
            tab.editor->BeginUpdate();
        tab.editor->Rebuild();
        if (batched) {
            QCOMPARE(tab.editor->GetGraphSize(), (Point{1024, 1024}));
            tab.editor->EndUpdate();
        }
        const Point graph = tab.editor->GetGraphSize();
        QTEST(QSize(graph.x, graph.y), "graph");
        const Point view = tab.editor->GetViewSize();
        QCOMPARE(tab.vertScroll->maximum(), std::max(0, graph.y - view.y));
        QCOMPARE(tab.horzScroll->maximum(), std::max(0, graph.x - view.x));
    }

    void destroyedWithItsRows()
    {
        auto tab = std::make_unique<DiagramTab>();
        tab->click("3");
        QPointer<QWidget> row = tab->editor->TagsEditor()->Owned().back()->Control.data();
        QVERIFY(row);
        tab->editor.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!row);
        // The window going first leaves the panel nothing to free twice.
        auto other = std::make_unique<DiagramTab>();
        other->click("3");
        auto editor = std::move(other->editor);
        other.reset();
        editor.reset();
    }

private:
    std::unique_ptr<Catalogue> m_catalogue;

    static void typeInto(QLineEdit *edit, const QString &text)
    {
        edit->end(false);
        QTest::keyClicks(edit, text);
    }
};

PELLORIN_TEST_CLASS(TestPanelChanger)
#include "test_panelchanger.moc"
