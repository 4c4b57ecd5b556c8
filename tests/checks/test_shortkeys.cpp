#include "checks/checkfixture.h"
#include "checks/shortkeys.h"
#include "common/testmain.h"

#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

using namespace pellorin_test;

namespace {
// The host as the plug-ins see it: a page, the active tab's section, a selection, and a
// record of what they asked of it.
class FakeHost : public TPellorinAppIntf {
public:
    TWQFFile *doc = nullptr;
    QString section;
    QString fileName;
    QList<void *> selection;
    QStringList calls;

    void OpenFile(const QString &fileName) override { calls << "open " + fileName; }
    void GetSelection(QList<void *> &list) override { list.append(selection); }
    QString GetFileName() override { return fileName; }
    QString GetCurrent(TWQFFile *&doc) override
    {
        doc = this->doc;
        return section;
    }
    void RefreshSection(const QString &sectionName) override { calls << "refresh " + sectionName; }
};

// The registry with the three plug-ins and the fake host installed.
class Registered {
public:
    Registered()
    {
        initPluginRegistry();
        initShortKeys();
        auto host = std::make_unique<FakeHost>();
        m_host = host.get();
        SetAppIntf(std::move(host));
    }
    ~Registered() { donePluginRegistry(); }
    FakeHost &host() const { return *m_host; }
    // The key as the main window offers it; whether a plug-in consumed it.
    bool press(uint16_t key, TShiftState shift) const
    {
        bool handled = false;
        DispatchShortCut(key, shift, handled);
        return handled;
    }

private:
    FakeHost *m_host;
};

QByteArray externalComp(const QByteArray &name, const QByteArray &target)
{
    return comp(name, "EXTERNAL", {}, "<n>" + target + "</n>");
}

QByteArray placed(const QByteArray &name, int x, int y)
{
    return "<c><n>" + name + "</n><t>SET</t><c/><x>" + QByteArray::number(x) + "</x><y>" + QByteArray::number(y) +
           "</y><values/></c>";
}

// A window with one control of each kind, shown and active, so focus is real.
class FocusWindow {
public:
    FocusWindow()
    {
        auto *layout = new QVBoxLayout(&window);
        for (QWidget *w : std::initializer_list<QWidget *>{edit, memo, source, spin, combo, button})
            layout->addWidget(w);
        combo->setEditable(true);
        window.show();
        QApplication::setActiveWindow(&window);
    }
    bool focus(QWidget *w)
    {
        if (!QTest::qWaitForWindowActive(&window))
            return false;
        w->setFocus();
        return QApplication::focusWidget() && textControlKind(QApplication::focusWidget()) == textControlKind(w);
    }

    QWidget window;
    QLineEdit *edit = new QLineEdit;
    QPlainTextEdit *memo = new QPlainTextEdit;
    QsciScintilla *source = new QsciScintilla;
    QSpinBox *spin = new QSpinBox;
    QComboBox *combo = new QComboBox;
    QPushButton *button = new QPushButton("Button");
};
} // namespace

class TestShortKeys : public QObject {
    Q_OBJECT
private slots:
    void registeredInOrder()
    {
        Registered r;
        QStringList names;
        for (TPellorinPlugin *p : pluginRegistry().plugins())
            names << p->className();
        QCOMPARE(names, QStringList({"TNamingPlugin", "TOpenExternalFile", "TMoveWQFComponents", "TRequote"}));
    }

    void accepts_data()
    {
        QTest::addColumn<int>("plugin");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("shift");
        QTest::addColumn<bool>("accepted");
        const int ctrl = ssCtrl, alt = ssAlt, shift = ssShift;
        QTest::newRow("Ctrl+Enter") << 0 << 13 << ctrl << true;
        QTest::newRow("Ctrl+Shift+Enter") << 0 << 13 << (ctrl | shift) << false;
        QTest::newRow("Ctrl+Enter with a mouse button") << 0 << 13 << (ctrl | int(ssLeft)) << false;
        QTest::newRow("Enter") << 0 << 13 << 0 << false;
        QTest::newRow("Alt+Left") << 1 << 37 << alt << true;
        QTest::newRow("Alt+Down") << 1 << 40 << alt << true;
        QTest::newRow("Ctrl+Alt+Up") << 1 << 38 << (ctrl | alt) << true;
        QTest::newRow("arrow in the low byte") << 1 << (0x100 | 39) << alt << true;
        QTest::newRow("Right without Alt") << 1 << 39 << ctrl << false;
        QTest::newRow("Alt+Home") << 1 << 36 << alt << false;
        QTest::newRow("Ctrl+'") << 2 << 222 << ctrl << true;
        QTest::newRow("Ctrl+Shift+Alt+'") << 2 << 222 << (ctrl | shift | alt) << true;
        QTest::newRow("Shift+'") << 2 << 222 << shift << false;
    }
    void accepts()
    {
        QFETCH(int, plugin);
        QFETCH(int, key);
        QFETCH(int, shift);
        TOpenExternalFile open;
        TMoveWQFComponents move;
        TRequote requote;
        TShortCutPlugin *plugins[] = {&open, &move, &requote};
        QTEST(plugins[plugin]->Accepts(uint16_t(key), TShiftState::fromInt(shift)), "accepted");
    }

    // Ctrl+Enter opens the page one selected external component names, beside the open one;
    // notes in the selection do not count, and the key goes on.
    void openExternalFile_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QList<int>>("selected"); // indexes of preproc's components; -1 a note
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("no extension") << "/pages/main.wqf" << QList<int>{0} << QStringList{"open /pages/orders.wqf"};
        QTest::newRow("extension replaced")
            << "/pages/main.wqf" << QList<int>{1} << QStringList{"open /pages/audit.wqf"};
        QTest::newRow("windows folder") << "C:\\pages\\main.wqf" << QList<int>{0}
                                        << QStringList{"open C:\\pages\\orders.wqf"};
        QTest::newRow("with a note") << "/pages/main.wqf" << QList<int>{-1, 0} << QStringList{"open /pages/orders.wqf"};
        QTest::newRow("two components") << "/pages/main.wqf" << QList<int>{0, 1} << QStringList{};
        QTest::newRow("other type") << "/pages/main.wqf" << QList<int>{2} << QStringList{};
        QTest::newRow("only a note") << "/pages/main.wqf" << QList<int>{-1} << QStringList{};
        QTest::newRow("nothing") << "/pages/main.wqf" << QList<int>{} << QStringList{};
    }
    void openExternalFile()
    {
        QFETCH(QString, fileName);
        QFETCH(QList<int>, selected);
        auto page = pageWith(externalComp("0", "orders") + externalComp("1", "audit.log") + comp("2", "SET"));
        Registered r;
        r.host().doc = page.get();
        r.host().section = "preproc";
        r.host().fileName = fileName;
        int note = 0; // stands for a note: not a component of the page
        for (int i : selected)
            r.host().selection << (i < 0 ? static_cast<void *>(&note)
                                         : page->FindSection("preproc")->Items()[size_t(i)].get());
        QVERIFY(!r.press(VK_RETURN, ssCtrl));
        QTEST(r.host().calls, "calls");
    }

    void openExternalFileWithoutPage()
    {
        Registered r;
        int note = 0;
        r.host().selection << &note;
        QVERIFY(!r.press(VK_RETURN, ssCtrl));
        QVERIFY(r.host().calls.isEmpty());
    }

    // Alt+arrows move the selected components of the active section by one step each, which
    // changes the page's tree, and refresh the diagram; notes stay, and the key goes on.
    void moveComponents_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("positions");
        QTest::newRow("left") << 37 << "0:32,48 1:64,72 2:96,96";
        QTest::newRow("up") << 38 << "0:64,24 1:96,48 2:96,96";
        QTest::newRow("right") << 39 << "0:96,48 1:128,72 2:96,96";
        QTest::newRow("down") << 40 << "0:64,72 1:96,96 2:96,96";
    }
    void moveComponents()
    {
        QFETCH(int, key);
        auto page = pageWith(placed("0", 64, 48) + placed("1", 96, 72) + placed("2", 96, 96));
        Registered r;
        const auto &items = page->FindSection("preproc")->Items();
        int note = 0;
        r.host().doc = page.get();
        r.host().section = "preproc";
        r.host().selection = {items[0].get(), &note, items[1].get()};
        const uint64_t revision = page->revision();
        QVERIFY(!r.press(uint16_t(key), ssAlt));
        QVERIFY(page->revision() != revision);
        QStringList positions;
        for (const auto &item : items)
            positions << item->GetName() + ':' + QString::number(item->GetX()) + ',' + QString::number(item->GetY());
        QTEST(positions.join(' '), "positions");
        QCOMPARE(r.host().calls, QStringList({"refresh preproc"}));
        QCOMPARE(note, 0);
    }

    // Components of another section than the active tab's, and selections without a
    // component, move nothing and leave the page unmodified.
    void moveNothing()
    {
        auto page = pageWith(placed("0", 64, 48));
        Registered r;
        r.host().doc = page.get();
        r.host().section = "postproc";
        r.host().selection = {page->FindSection("preproc")->Items()[0].get()};
        r.press(VK_RIGHT, ssAlt);
        QCOMPARE(page->FindSection("preproc")->Items()[0]->GetX(), 64);
        QCOMPARE(r.host().calls, QStringList({"refresh postproc"}));

        r.host().calls.clear();
        r.host().doc = nullptr;
        r.host().section.clear();
        r.press(VK_RIGHT, ssAlt);
        QCOMPARE(r.host().calls, QStringList({"refresh "}));
    }

    void moveClampsAtTheEdge()
    {
        auto page = pageWith(placed("0", 2147483640, -2147483640));
        Registered r;
        r.host().doc = page.get();
        r.host().section = "preproc";
        r.host().selection = {page->FindSection("preproc")->Items()[0].get()};
        r.press(VK_RIGHT, ssAlt);
        r.press(VK_UP, ssAlt);
        QCOMPARE(page->FindSection("preproc")->Items()[0]->GetX(), 2147483647);
        // Above the diagram nothing can be reached: the move brings it to the top edge.
        QCOMPARE(page->FindSection("preproc")->Items()[0]->GetY(), 0);
    }

    // As a drag or a paste, a move stops at the left and the top edge, each component on its
    // own, so none goes where it can be neither seen nor clicked.
    void moveStopsAtTheDiagramsEdge_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("positions");
        QTest::newRow("left") << 37 << "0:0,48 1:8,10";
        QTest::newRow("up") << 38 << "0:20,24 1:40,0";
    }
    void moveStopsAtTheDiagramsEdge()
    {
        QFETCH(int, key);
        auto page = pageWith(placed("0", 20, 48) + placed("1", 40, 10));
        Registered r;
        const auto &items = page->FindSection("preproc")->Items();
        r.host().doc = page.get();
        r.host().section = "preproc";
        r.host().selection = {items[0].get(), items[1].get()};
        r.press(uint16_t(key), ssAlt);
        QStringList positions;
        for (const auto &item : items)
            positions << item->GetName() + ':' + QString::number(item->GetX()) + ',' + QString::number(item->GetY());
        QTEST(positions.join(' '), "positions");
        QCOMPARE(r.host().calls, QStringList({"refresh preproc"}));
    }

    // While a text control has the focus, the arrows belong to it.
    void moveNotInTextControls_data()
    {
        QTest::addColumn<int>("control");
        QTest::addColumn<int>("x");
        QTest::newRow("line edit") << 0 << 64;
        QTest::newRow("memo") << 1 << 64;
        QTest::newRow("source editor") << 2 << 64;
        QTest::newRow("spin box") << 3 << 64;
        QTest::newRow("combo box") << 4 << 96;
        QTest::newRow("button") << 5 << 96;
    }
    void moveNotInTextControls()
    {
        QFETCH(int, control);
        FocusWindow w;
        QWidget *controls[] = {w.edit, w.memo, w.source, w.spin, w.combo, w.button};
        QVERIFY(w.focus(controls[control]));
        auto page = pageWith(placed("0", 64, 48));
        Registered r;
        r.host().doc = page.get();
        r.host().section = "preproc";
        r.host().selection = {page->FindSection("preproc")->Items()[0].get()};
        r.press(VK_RIGHT, ssAlt);
        QTEST(page->FindSection("preproc")->Items()[0]->GetX(), "x");
    }

    // Ctrl+' doubles the quotes of a single-line edit, Ctrl+Shift+' undoes it; the change
    // handler runs every time, also when nothing changed.
    void requoteLineEdit_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("shift");
        QTest::addColumn<QString>("result");
        const int ctrl = ssCtrl, shift = ssShift, alt = ssAlt;
        QTest::newRow("double") << "a'b" << ctrl << "a''b";
        QTest::newRow("undouble") << "a''b" << (ctrl | shift) << "a'b";
        QTest::newRow("three quotes") << "'''" << (ctrl | shift) << "''";
        QTest::newRow("other modifiers") << "a'b" << (ctrl | alt) << "a'b";
        QTest::newRow("no quote") << "ab" << ctrl << "ab";
    }
    void requoteLineEdit()
    {
        QFETCH(QString, text);
        QFETCH(int, shift);
        FocusWindow w;
        w.edit->setText(text);
        QVERIFY(w.focus(w.edit));
        QSignalSpy changed(w.edit, &QLineEdit::textChanged);
        Registered r;
        QVERIFY(r.press(VK_OEM_7, TShiftState::fromInt(shift)));
        QTEST(w.edit->text(), "result");
        QCOMPARE(changed.size(), 1);
    }

    void requoteSourceEditor()
    {
        FocusWindow w;
        w.source->setText("where a = 'x'");
        QVERIFY(w.focus(w.source));
        QSignalSpy changed(w.source, &QsciScintilla::textChanged);
        Registered r;
        QVERIFY(r.press(VK_OEM_7, ssCtrl));
        QCOMPARE(w.source->text(), QString("where a = ''x''"));
        QVERIFY(changed.size() >= 1);
        changed.clear();
        QVERIFY(r.press(VK_OEM_7, ssCtrl | ssAlt));
        QCOMPARE(w.source->text(), QString("where a = ''x''"));
        QVERIFY(changed.size() >= 1);
    }

    // Requoting a long text is one edit like any other: undo takes it back, and the view and
    // the caret stay on the text they showed.
    void requoteSourceEditorKeepsUndoAndView()
    {
        FocusWindow w;
        w.source->resize(300, 80);
        QStringList lines;
        for (int i = 0; i < 200; ++i)
            lines << QString("where a%1 = 'x' and b = 'y'").arg(i);
        const QString text = lines.join("\r\n");
        w.source->setText(text);
        QVERIFY(w.focus(w.source));
        w.source->setCursorPosition(150, 26);
        w.source->setFirstVisibleLine(140);
        QSignalSpy changed(w.source, &QsciScintilla::textChanged);
        Registered r;
        QVERIFY(r.press(VK_OEM_7, ssCtrl));
        QCOMPARE(w.source->text(), QString(text).replace("'", "''"));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(w.source->firstVisibleLine(), 140);
        int line = 0, index = 0;
        w.source->getCursorPosition(&line, &index);
        // Still before the y of its line, behind three doubled quotes.
        QCOMPARE(line, 150);
        QCOMPARE(index, 29);

        QVERIFY(r.press(VK_OEM_7, ssCtrl | ssShift));
        QCOMPARE(w.source->text(), text);
        w.source->undo();
        QCOMPARE(w.source->text(), QString(text).replace("'", "''"));
        w.source->undo();
        QCOMPARE(w.source->text(), text);

        // A read-only editor, the generated script of a macro, keeps its text.
        w.source->setReadOnly(true);
        QVERIFY(r.press(VK_OEM_7, ssCtrl));
        QCOMPARE(w.source->text(), text);
    }

    // An empty text is not consumed; a memo's text is read but not written back.
    void requoteOthers()
    {
        FocusWindow w;
        Registered r;
        QVERIFY(w.focus(w.edit));
        QVERIFY(!r.press(VK_OEM_7, ssCtrl));
        QVERIFY(w.edit->text().isEmpty());

        w.memo->setPlainText("a'b");
        QVERIFY(w.focus(w.memo));
        QSignalSpy changed(w.memo, &QPlainTextEdit::textChanged);
        QVERIFY(r.press(VK_OEM_7, ssCtrl));
        QCOMPARE(w.memo->toPlainText(), QString("a'b"));
        QCOMPARE(changed.size(), 0);

        QVERIFY(w.focus(w.button));
        QVERIFY(!r.press(VK_OEM_7, ssCtrl));
    }

    void textControlKinds()
    {
        FocusWindow w;
        QCOMPARE(textControlKind(w.edit), TextControlKind::LineEdit);
        QCOMPARE(textControlKind(w.memo), TextControlKind::OtherEdit);
        QCOMPARE(textControlKind(w.memo->viewport()), TextControlKind::OtherEdit);
        QCOMPARE(textControlKind(w.source), TextControlKind::SourceEditor);
        QCOMPARE(textControlKind(w.source->viewport()), TextControlKind::SourceEditor);
        QCOMPARE(textControlKind(w.spin), TextControlKind::OtherEdit);
        QCOMPARE(textControlKind(w.spin->findChild<QLineEdit *>()), TextControlKind::OtherEdit);
        QCOMPARE(textControlKind(w.combo), TextControlKind::None);
        QCOMPARE(textControlKind(w.combo->lineEdit()), TextControlKind::None);
        QCOMPARE(textControlKind(w.button), TextControlKind::None);
        QCOMPARE(textControlKind(nullptr), TextControlKind::None);
    }
};

PELLORIN_TEST_CLASS(TestShortKeys)
#include "test_shortkeys.moc"
