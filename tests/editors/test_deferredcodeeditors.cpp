#include "common/testmain.h"
#include "panelfixture.h"

#include <QTemporaryDir>
#include <QTest>

using namespace pellorin_test;

namespace {
const QString kTypes = "STRING,INTEGER";

// Values of every highlighter and of several heights.
QByteArray entry(int i, const QByteArray &value = {})
{
    static const QByteArray kinds[] = {
        "select a\nfrom b\nwhere c", "begin\n  x := 1;\nend;", "<div>a</div>", "", "plain", "one\ntwo\nthree\nfour"};
    return "<p><n>p" + QByteArray::number(i) + "</n><t>STRING</t><v><![CDATA[" +
           (value.isNull() ? kinds[i % 6] : value) + "]]></v></p>";
}

QByteArray entries(int count, const QByteArray &firstValue = {})
{
    QByteArray values = "<query><![CDATA[select x\nfrom y]]></query>";
    for (int i = 0; i < count; ++i)
        values += entry(i, i == 0 ? firstValue : QByteArray());
    return values;
}

std::unique_ptr<TComponentDescr> queryKind()
{
    return kind("Q", {field("sql", "query"), variableField("param", "p", "n", "t", "v", kTypes)});
}

// The same component in a scrolled panel, whose code editors come as their rows near the
// view, and in a plain one, which makes every row at once.
struct Both {
    PanelWindow deferredWindow{320, 300};
    PanelWindow plainWindow{320, 300};
    std::unique_ptr<TComponentDescr> descr = queryKind();
    std::unique_ptr<TWQFFile> page;
    TScrolledTagsEditor deferred;
    TTagsEditor plain;

    explicit Both(int count = 40, const QByteArray &firstValue = {})
    {
        page = pageWith("<c><n>1</n><t>Q</t><c>note</c><j/><j/><x>0</x><y>0</y><values>" + entries(count, firstValue) +
                        "</values></c>" + "<c><n>2</n><t>Q</t><c/><j/><j/><x>0</x><y>0</y><values>" + entries(2) +
                        "</values></c>");
        deferred.ScrollBox = deferredWindow.scroll;
        QVERIFY(QTest::qWaitForWindowExposed(&deferredWindow.window));
        build();
    }
    TWQFItem *item(int i = 0) { return page->Sections().front()->Items()[size_t(i)].get(); }
    void build(int i = 0)
    {
        deferred.BuildPropertyPanel(item(i), deferredWindow.container, descr.get());
        plain.BuildPropertyPanel(item(i), plainWindow.container, descr.get());
    }
    QScrollBar *bar() { return deferredWindow.scroll->verticalScrollBar(); }
    int viewHeight() { return deferredWindow.scroll->viewport()->height(); }

    QList<CodeEditorStandIn *> standIns()
    {
        QList<CodeEditorStandIn *> found;
        for (const auto &binding : deferred.Owned())
            if (auto *s = qobject_cast<CodeEditorStandIn *>(binding->Control.data()))
                found << s;
        return found;
    }
    // A stand-in whose place shows in the view.
    bool standInInView()
    {
        const QRect view(0, bar()->value(), deferredWindow.container->width(), viewHeight());
        for (CodeEditorStandIn *s : standIns())
            if (s->geometry().intersects(view))
                return true;
        return false;
    }
    void scrollThrough()
    {
        for (int pos = 0; pos <= bar()->maximum(); pos += viewHeight() / 2) {
            bar()->setValue(pos);
            QVERIFY2(!standInInView(), qPrintable(QString::number(pos)));
        }
        bar()->setValue(bar()->maximum());
        QVERIFY(!standInInView());
    }
    int indexOf(const TTagsEditor &panel, const QWidget *control) const
    {
        for (size_t i = 0; i < panel.Owned().size(); ++i)
            if (panel.Owned()[i]->Control == control)
                return int(i);
        return -1;
    }
    // The rows' indices in the container's child order and in the focus chain.
    QList<int> childOrder(const TTagsEditor &panel, QWidget *container) const
    {
        QList<int> order;
        for (QObject *child : container->children())
            if (auto *w = qobject_cast<QWidget *>(child); w && indexOf(panel, w) >= 0)
                order << indexOf(panel, w);
        return order;
    }
    QList<int> focusOrder(const TTagsEditor &panel) const
    {
        QList<int> order;
        QWidget *first = panel.Owned()[1]->Control; // the comment edit
        QWidget *w = first;
        do {
            if (const int i = indexOf(panel, w); i >= 0 && w->focusPolicy() & Qt::TabFocus)
                order << i;
            w = w->nextInFocusChain();
        } while (w && w != first);
        return order;
    }
};
} // namespace

// A scrolled panel makes the code editors of rows far from its view only when they come near
// it; until then a stand-in of the editor's height holds each place. What shows, the child
// and focus order and every geometry are those of a panel that makes every row at once.
class TestDeferredCodeEditors : public QObject {
    Q_OBJECT
private slots:
    void madeAsTheyComeIntoView()
    {
        Both b;
        const int putOff = int(b.standIns().size());
        QVERIFY2(putOff > 20, qPrintable(QString::number(putOff)));
        QVERIFY(!b.standInInView());
        // A stand-in has the place and size of the editor it stands for.
        for (CodeEditorStandIn *s : b.standIns())
            QCOMPARE(s->geometry(), b.plain.Owned()[size_t(b.indexOf(b.deferred, s))]->Control->geometry());
        // Rows up to a view's height below the view are made.
        for (CodeEditorStandIn *s : b.standIns())
            QVERIFY(s->y() >= 2 * b.viewHeight());
        b.scrollThrough();
        QVERIFY(b.standIns().size() < putOff);
        // Made everywhere, the panel is the plain one.
        while (!b.standIns().isEmpty())
            QVERIFY(b.standIns().front()->materialize());
        QCOMPARE(describeRows(b.deferred), describeRows(b.plain));
        for (size_t i = 0; i < b.plain.Owned().size(); ++i) {
            QWidget *a = b.deferred.Owned()[i]->Control, *p = b.plain.Owned()[i]->Control;
            QVERIFY2(a->geometry() == p->geometry(), qPrintable(QString::number(i)));
            QCOMPARE(a->metaObject(), p->metaObject());
            QCOMPARE(a->isVisible(), p->isVisible());
        }
        QCOMPARE(b.childOrder(b.deferred, b.deferredWindow.container), b.childOrder(b.plain, b.plainWindow.container));
        QCOMPARE(b.focusOrder(b.deferred), b.focusOrder(b.plain));
        // A made editor is a panel editor like the others: it writes back and reports.
        int changes = 0;
        b.deferred.OnChange = [&](TTagsEditor *) { ++changes; };
        auto *last = qobject_cast<TWheelSynEdit *>(b.deferred.Owned()[b.deferred.Owned().size() - 3]->Control.data());
        QVERIFY(last);
        QVERIFY(!last->WantTabs());
        last->setText("new");
        QCOMPARE(changes, 1);
        QVERIFY(valuesBytes(b.item()).contains("<v><![CDATA[new]]></v></p></values>"));
        // The stand-ins are gone once the events are over.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(b.deferredWindow.container->findChildren<CodeEditorStandIn *>().size(), 0);
    }

    void standInHandsOverTheFocus()
    {
        Both b;
        QApplication::setActiveWindow(&b.deferredWindow.window);
        QVERIFY(QTest::qWaitForWindowActive(&b.deferredWindow.window));
        CodeEditorStandIn *s = b.standIns().back();
        const int index = b.indexOf(b.deferred, s);
        QWidget *before = b.deferred.Owned()[size_t(index - 1)]->Control;
        s->setFocus(Qt::TabFocusReason);
        auto *editor = qobject_cast<QsciScintilla *>(b.deferred.Owned()[size_t(index)]->Control.data());
        QVERIFY(editor);
        QCOMPARE(QApplication::focusWidget(), editor);
        QWidget *next = before->nextInFocusChain();
        while (next && b.indexOf(b.deferred, next) < 0)
            next = next->nextInFocusChain();
        QCOMPARE(next, editor);
        // Tab from the control before it reaches it, as in the plain panel.
        before->setFocus();
        QTest::keyClick(before, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), editor);
    }

    void shrinkingEditorBringsRowsIn()
    {
        Both b(12, QByteArray("line\n").repeated(150));
        auto *first = qobject_cast<TWheelSynEdit *>(b.deferred.Owned()[7]->Control.data());
        QVERIFY(first);
        QVERIFY(first->height() > 3 * b.viewHeight());
        QVERIFY(!b.standIns().isEmpty());
        first->setText("short");
        QVERIFY(first->height() < b.viewHeight());
        // The rows that moved up into the view are made, where the plain panel has them.
        QVERIFY(!b.standInInView());
        auto *plainFirst = qobject_cast<QsciScintilla *>(b.plain.Owned()[7]->Control.data());
        plainFirst->setText("short");
        b.scrollThrough();
        for (size_t i = 0; i < b.plain.Owned().size(); ++i)
            if (!qobject_cast<CodeEditorStandIn *>(b.deferred.Owned()[i]->Control.data()))
                QCOMPARE(b.deferred.Owned()[i]->Control->geometry(), b.plain.Owned()[i]->Control->geometry());
    }

    void largerViewMakesMore()
    {
        Both b;
        const qsizetype before = b.standIns().size();
        b.deferredWindow.window.resize(320, 900);
        b.deferredWindow.scroll->resize(320, 900);
        QVERIFY(b.standIns().size() < before);
        QVERIFY(!b.standInInView());
    }

    void firstCodeEditorMadeWhenAskedFor()
    {
        QTemporaryDir dir;
        Both b;
        // Positions are remembered under the page's file name.
        QVERIFY(b.page->SaveToFile(dir.filePath("p.wqf"), {}));
        b.bar()->setValue(b.bar()->maximum());
        b.build(1);
        b.build(0);
        QCOMPARE(b.bar()->value(), b.bar()->maximum());
        auto *sqlPlace = b.deferred.Owned()[3]->Control.data();
        QVERIFY(qobject_cast<CodeEditorStandIn *>(sqlPlace));
        QsciScintilla *first = firstCodeEditor(b.deferredWindow.container);
        QVERIFY(first);
        QCOMPARE(b.deferred.Owned()[3]->Control.data(), first);
        QCOMPARE(first->text(), "select x\nfrom y");
        QCOMPARE(firstCodeEditor(b.plainWindow.container)->text(), first->text());
        QCOMPARE(firstCodeEditor(nullptr), nullptr);
    }

    void paintedStandInIsMade()
    {
        Both b;
        CodeEditorStandIn *s = b.standIns().back();
        const int index = b.indexOf(b.deferred, s);
        s->grab();
        QCoreApplication::processEvents();
        QVERIFY(qobject_cast<QsciScintilla *>(b.deferred.Owned()[size_t(index)]->Control.data()));
    }

    void noStandInsWithoutScrollBox()
    {
        Both b;
        QVERIFY(b.plainWindow.container->findChildren<CodeEditorStandIn *>().isEmpty());
        TScrolledTagsEditor loose;
        loose.BuildPropertyPanel(b.item(), b.plainWindow.container, b.descr.get());
        for (const auto &binding : loose.Owned())
            QVERIFY(!qobject_cast<CodeEditorStandIn *>(binding->Control.data()));
    }
};

PELLORIN_TEST_CLASS(TestDeferredCodeEditors)
#include "test_deferredcodeeditors.moc"
