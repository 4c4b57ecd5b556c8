#include "checks/pellorinplugin.h"
#include "common/scriptedprompter.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "editors/lclgrapheditor.h"
#include "editors/wqfeditors.h"
#include "programdirs.h"
#include "shell/checkmessages.h"
#include "shell/mainform.h"
#include "shell/openpage.h"
#include "shell/startup.h"
#include "windowparts.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QDir>
#include <QListWidget>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

using pellorin_test::part;
using pellorin_test::writeBytes;

namespace {
QByteArray comp(const QByteArray &name, const QByteArray &type, const QList<QByteArray> &exits = {},
                const QByteArray &values = {}, int y = 0)
{
    QByteArray xml = "<c><n>" + name + "</n><t>" + type + "</t><c/>";
    for (const QByteArray &exit : exits)
        xml += "<j>" + exit + "</j>";
    return xml + "<x>0</x><y>" + QByteArray::number(y) + "</y><values>" + values + "</values></c>";
}

// A finding for every built-in check: rights and a one-armed IF on 0, a loop body leaving
// its loop, a template named otherwise, an unreferenced 4, one target for both exits in the
// post-process, and a function name that is not the file's.
const QByteArray kPage = "<wqf><function><fn>Order</fn></function><preproc>" +
                         comp("0", "IF", {"1"}, "<v>(''#SUserRight_0_0_0_1#'' = ''1'')</v>") +
                         comp("1", "SELECTQUERY", {"3", "2"}) + comp("2", "SET", {"3"}) +
                         comp("3", "TEMPLATE", {}, "<n>Other</n>") + comp("4", "SET", {}, {}, 2000) +
                         "</preproc><postproc>" + comp("0", "SET", {"1", "1"}) + comp("1", "SET") +
                         comp("17", "SET", {"0"}) + "</postproc></wqf>";
// A check with one line about a component of the page.
class OneLineCheck : public TWarningPlugin {
public:
    OneLineCheck(QString section, QString name, QString text)
        : m_section(std::move(section)), m_name(std::move(name)), m_text(std::move(text))
    {
        Enabled = true;
    }
    QString className() const override { return QStringLiteral("TOneLineCheck"); }
    void CheckFile(TWQFFile *doc, CheckMessageList &messages) override
    {
        messages.append(CheckMessage{m_text, FindItemByName(doc->FindSection(m_section)->Items(), m_name)});
    }

private:
    QString m_section, m_name, m_text;
};
} // namespace

class TestCheckMessages : public QObject {
    Q_OBJECT

    std::unique_ptr<pellorin_test::ProgramDirs> m_dir;
    std::unique_ptr<pellorin_test::PrompterGuard> m_prompter;

    // The page opened in the window, with its two diagrams.
    void open(TMainFrm *form) const
    {
        const QString path = m_dir->filePath("Orders.wqf");
        writeBytes(path, kPage);
        form->OpenFile(path);
        QVERIFY(form->PreEditor() && form->PostEditor());
    }
    static QStringList lines(const TMainFrm *form) { return form->messageLines(); }
    static QListWidget *messageList(const TMainFrm *form) { return part<QListWidget>(form, "ListBox1"); }
    static QAction *checkCommand(const TMainFrm *form) { return part<QAction>(form, "MenuItem9"); }
    static QScrollArea *preProperties(const TMainFrm *form) { return part<QScrollArea>(form, "PreScroll"); }
    static void showSheet(const TMainFrm *form, const char *sheet)
    {
        part<QTabWidget>(form, "PageControl1")->setCurrentWidget(part<QWidget>(form, sheet));
    }
    static QString activeSheet(const TMainFrm *form)
    {
        return part<QTabWidget>(form, "PageControl1")->currentWidget()->objectName();
    }
    static QStringList selected(TGraphEditor *editor)
    {
        DataList list;
        editor->GetSelected(&list);
        QStringList names;
        for (void *data : list)
            names << static_cast<TWQFItem *>(data)->GetName();
        return names;
    }
    static void doubleClick(TMainFrm *form, const QString &line)
    {
        const auto found = messageList(form)->findItems(line, Qt::MatchExactly);
        QVERIFY2(found.size() == 1, qPrintable(line));
        messageList(form)->setCurrentItem(found.front());
        messageList(form)->scrollToItem(found.front());
        // A double-click is a press and release, then the second press.
        const QPoint at = messageList(form)->visualItemRect(found.front()).center();
        QTest::mouseClick(messageList(form)->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(messageList(form)->viewport(), Qt::LeftButton, {}, at);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<pellorin_test::ProgramDirs>();
        m_prompter = std::make_unique<pellorin_test::PrompterGuard>();
    }
    void cleanup()
    {
        QCOMPARE((*m_prompter)->unanswered, 0);
        m_prompter.reset();
    }

    void componentNumber_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("number");
        QTest::newRow("tagged") << "preproc 7: HINT x" << 7;
        QTest::newRow("leading zero") << "postproc 012: WARN x" << 12;
        QTest::newRow("blanks around") << "\t preproc   7 WARN" << 7;
        QTest::newRow("to the end") << "preproc 7" << 7;
        QTest::newRow("minus one") << "preproc -1: x" << -1;
        QTest::newRow("not a number") << "preproc x: 7" << -1;
        QTest::newRow("hex is no number") << "preproc $1F: x" << -1;
        QTest::newRow("one word") << "preproc" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("end line") << "Check complete." << -1;
        QTest::newRow("failure line") << "TConnectCheck failed on 3: x" << -1;
    }
    void componentNumber()
    {
        QFETCH(QString, line);
        QTEST(MessageComponentNumber(line), "number");
    }

    void shownLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("shown");
        const QString bound(4000, u'x');
        QTest::newRow("short") << "preproc 4: WARN not referenced"
                               << "preproc 4: WARN not referenced";
        QTest::newRow("at the bound") << bound << bound;
        QTest::newRow("one over") << bound + "y" << bound + QChar(0x2026);
        QTest::newRow("a pair at the cut")
            << bound.left(3999) + QString::fromUtf16(u"\U0001F600") + "y" << bound.left(3999) + QChar(0x2026);
    }
    void shownLine()
    {
        QFETCH(QString, line);
        QTEST(shownMessageLine(line), "shown");
    }

    // A row of a long line shows its start and an ellipsis; its double-click reads the whole
    // line, as a short row's does: a section named past the cut chooses the tab.
    void longRowKeepsWhatItStandsFor_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<bool>("compilerError");
        const QString padding(5000, u'x');
        QTest::newRow("long text") << "preproc"
                                   << "4"
                                   << "WARN " + padding << "PreSheet" << false;
        QTest::newRow("a section named past the cut") << "preproc"
                                                      << "0"
                                                      << "HINT " + padding + " see postproc"
                                                      << "PostSheet" << false;
        QTest::newRow("compiler error") << "preproc"
                                        << "2"
                                        << "[Error] (3,5) Identifier not found " + padding << "PreSheet" << true;
    }
    void longRowKeepsWhatItStandsFor()
    {
        QFETCH(QString, section);
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, sheet);
        QFETCH(bool, compilerError);
        Program program(m_dir->options());
        TMainFrm *form = program.mainForm();
        open(form);
        form->resize(900, 700);
        form->show();
        RegisterPlugin(std::make_unique<OneLineCheck>(section, name, text));
        showSheet(form, "NotesSheet");
        checkCommand(form)->trigger();

        const QString line = section + " " + name + ": " + text;
        const int at = int(lines(form).indexOf(line));
        QVERIFY(at > 0);
        QListWidgetItem *row = messageList(form)->item(at);
        QCOMPARE(row->text(), line.left(4000) + QChar(0x2026));
        QCOMPARE(lines(form).last(), QString("Check complete."));

        // The property panel of the compiler error's component, with its code editor.
        auto *panel = new QWidget;
        auto *code = new QsciScintilla(panel);
        code->setText("a\nbb\nccccccc\nd\n");
        preProperties(form)->setWidget(panel);
        messageList(form)->setCurrentItem(row);
        messageList(form)->scrollToItem(row);
        const QPoint centre = messageList(form)->visualItemRect(row).center();
        QTest::mouseClick(messageList(form)->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(messageList(form)->viewport(), Qt::LeftButton, {}, centre);
        QCOMPARE(activeSheet(form), sheet);
        TGraphEditor *editor = sheet == "PreSheet" ? form->PreEditor() : form->PostEditor();
        QCOMPARE(selected(editor), QStringList({name}));
        int caretLine = -1, caretIndex = -1;
        code->getCursorPosition(&caretLine, &caretIndex);
        QCOMPARE(QPoint(caretLine, caretIndex), compilerError ? QPoint(2, 4) : QPoint(0, 0));
    }

    void fullCheckWithoutPage()
    {
        Program program(m_dir->options());
        TMainFrm *form = program.mainForm();
        QVERIFY(checkCommand(form)->isEnabled());
        messageList(form)->addItem("old");
        checkCommand(form)->trigger();
        QCOMPARE(lines(form), QStringList({"Slow check, please be patient...", "Check complete."}));
    }

    void toolsCheckListsEveryFinding()
    {
        // Stored settings: the connection check first, the template check off.
        m_dir->writeSettings("[Global]\nTConnectCheck.priority=0\nTTemplateNameCheck.enabled=0\n");
        Program program(m_dir->options());
        TMainFrm *form = program.mainForm();
        open(form);
        checkCommand(form)->trigger();
        // No prober beside this program: the SQL prober check gives its one line, in its
        // place by priority, with the system's reason at its end.
        QStringList shown = lines(form);
        const QString noProber = "qverify: could not be started (" + m_dir->filePath("app/qverify/qverify") + "): ";
        QVERIFY2(shown.value(3).startsWith(noProber), qPrintable(shown.value(3)));
        shown[3] = noProber;
        QCOMPARE(shown, QStringList({
                            "Slow check, please be patient...",
                            "preproc 0: ERROR IF statement must have both arrows",
                            "postproc 0: WARN both blue and gray arrows are pointing to the same component 1",
                            noProber,
                            "preproc 0: WARN Developer Rights are hardcoded on the page!",
                            "preproc 1: WARN SQL \"loop\" query goes out of the loop at 2 -> 3 link",
                            "preproc 4: WARN not referenced by any element",
                            "postproc 17: WARN not referenced by any element",
                            "WARN WQF Function name (Order) doesn't match file name (Orders)",
                            "Check complete.",
                        }));
        // The quick check of the save: no waiting line.
        form->RunChecks(true);
        QCOMPARE(lines(form).first(), QString("preproc 0: ERROR IF statement must have both arrows"));
        QCOMPARE(lines(form).last(), QString("Check complete."));
    }

    void doubleClickSelectsOnItsTab()
    {
        Program program(m_dir->options());
        TMainFrm *form = program.mainForm();
        open(form);
        form->resize(900, 700);
        form->show();
        showSheet(form, "NotesSheet");
        checkCommand(form)->trigger();

        doubleClick(form, "preproc 4: WARN not referenced by any element");
        QCOMPARE(activeSheet(form), QString("PreSheet"));
        QCOMPARE(selected(form->PreEditor()), QStringList({"4"}));
        QVERIFY(form->PreEditor()->GetScrollPos().y > 0); // brought into view, far down

        doubleClick(form, "postproc 17: WARN not referenced by any element");
        QCOMPARE(activeSheet(form), QString("PostSheet"));
        QCOMPARE(selected(form->PostEditor()), QStringList({"17"}));
        QCOMPARE(selected(form->PreEditor()), QStringList({"4"}));

        // A line naming both sections goes to the post-process; one without a section, or
        // without a number, changes nothing.
        messageList(form)->addItem("preproc 0: HINT see postproc");
        doubleClick(form, "preproc 0: HINT see postproc");
        QCOMPARE(activeSheet(form), QString("PostSheet"));
        QCOMPARE(selected(form->PostEditor()), QStringList({"0"}));
        showSheet(form, "NotesSheet");
        for (const QString line : {"Check complete.", "preproc -1: x", "preproc x: y"}) {
            if (messageList(form)->findItems(line, Qt::MatchExactly).isEmpty())
                messageList(form)->addItem(line);
            doubleClick(form, line);
            QCOMPARE(activeSheet(form), QString("NotesSheet"));
        }
        // A number that names no component: only the tab changes.
        messageList(form)->addItem("preproc 99: x");
        doubleClick(form, "preproc 99: x");
        QCOMPARE(activeSheet(form), QString("PreSheet"));
        QCOMPARE(selected(form->PreEditor()), QStringList({"4"}));
        // A part of a name selects the first component holding it.
        form->PostEditor()->SetSelected(nullptr, false);
        messageList(form)->addItem("postproc 7: x");
        doubleClick(form, "postproc 7: x");
        QCOMPARE(selected(form->PostEditor()), QStringList({"17"}));
    }

    void compilerErrorPutsTheCaret()
    {
        Program program(m_dir->options());
        TMainFrm *form = program.mainForm();
        open(form);
        form->resize(900, 700);
        form->show();
        // A property panel with a label and two code editors: the first one takes the caret.
        auto *panel = new QWidget;
        auto *layout = new QVBoxLayout(panel);
        layout->addWidget(new QWidget);
        auto *first = new QsciScintilla;
        first->setText("a\nbb\nccccccc\nd\n");
        auto *second = new QsciScintilla;
        layout->addWidget(first);
        layout->addWidget(second);
        preProperties(form)->setWidget(panel);
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        messageList(form)->addItem("preproc 2: [Error] (3,5) Identifier not found");
        doubleClick(form, "preproc 2: [Error] (3,5) Identifier not found");
        QCOMPARE(selected(form->PreEditor()), QStringList({"2"}));
        int line = -1, index = -1;
        first->getCursorPosition(&line, &index);
        QCOMPARE(line, 2);
        QCOMPARE(index, 4);
        QCOMPARE(preProperties(form)->verticalScrollBar()->value(), 0);
        QCOMPARE(QApplication::focusWidget(), first);
        int otherLine = -1;
        second->getCursorPosition(&otherLine, &index);
        QCOMPARE(otherLine, 0);

        // Far down the panel, the panel scrolls to three lines above the error's row.
        auto *tall = new QWidget;
        auto *tallLayout = new QVBoxLayout(tall);
        auto *spacer = new QWidget;
        spacer->setFixedHeight(2000);
        tallLayout->addWidget(spacer);
        auto *low = new QsciScintilla;
        low->setText("a\nb\nc\nd\ne\n");
        low->setFixedHeight(300);
        tallLayout->addWidget(low);
        preProperties(form)->setWidget(tall);
        tall->adjustSize();
        QCoreApplication::processEvents();
        doubleClick(form, "preproc 2: [Error] (3,5) Identifier not found");
        const int h = low->textHeight(2);
        const int offset = h * 3 + low->y();
        QVERIFY(offset > preProperties(form)->viewport()->height());
        QScrollBar *bar = preProperties(form)->verticalScrollBar();
        QCOMPARE(bar->value(), std::min(bar->maximum(), offset - 3 * h));
        QVERIFY(bar->value() > 1000);
    }
};

PELLORIN_TEST_CLASS(TestCheckMessages)
#include "test_checkmessages.moc"
