#include "common/scriptedprompter.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "editors/dynamicctrlutils.h"
#include "editors/lclgrapheditor.h"
#include "editors/morivanecomponents.h"
#include "editors/pascompiler.h"
#include "editors/wqfeditors.h"
#include "editors/wqfmacros.h"
#include "model/wqftypes.h"
#include "palettebuttons.h"
#include "shell/appini.h"
#include "shell/globaloptions.h"
#include "shell/mainform.h"
#include "shell/openpage.h"
#include "shell/palette.h"
#include "shell/picturecache.h"
#include "shell/startup.h"
#include "testwindow.h"
#include "windowparts.h"
#include "windowtest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using pellorin_test::buttonNamed;
using pellorin_test::buttonsOf;
using pellorin_test::dataPath;
using pellorin_test::insertedAfter;
using pellorin_test::insertedBefore;
using pellorin_test::part;
using pellorin_test::PrompterGuard;
using pellorin_test::readBytes;
using pellorin_test::visible;
using pellorin_test::writeBytes;

namespace {
const QString kResources = QStringLiteral(PELLORIN_RESOURCES);

// The shipped description folders into the program folder of a started window.
void shipInto(const QString &appDir, const QStringList &folders = {"components", "images", "macros", "pascal"})
{
    for (const QString &folder : folders)
        pellorin_test::copyFolder(kResources + "/" + folder, appDir + folder);
}

QStringList captionsOf(const QWidget *panel)
{
    QStringList captions;
    for (const QAbstractButton *button : buttonsOf(panel))
        captions << button->text();
    return captions;
}

TWQFItem *lastOf(TWQFSection *section) { return section->Items().empty() ? nullptr : section->Items().back().get(); }

QByteArray written(const XmlNode *node) { return node ? writeXMLToBytes(*node, wfNoIndent) : QByteArray(); }

// A new component as the writer indents it at the end of its section.
QByteArray componentLines(const QByteArray &name, const QByteArray &type, const QByteArray &comment, int x, int y,
                          const QList<QByteArray> &values)
{
    QByteArray out = "    <c>\r\n      <n>" + name + "</n>\r\n      <t>" + type + "</t>\r\n      " +
                     (comment.isEmpty() ? QByteArray("<c/>") : "<c>" + comment + "</c>") +
                     "\r\n      <j/>\r\n      <j/>\r\n      <x>" + QByteArray::number(x) + "</x>\r\n      <y>" +
                     QByteArray::number(y) + "</y>\r\n      <values>\r\n";
    for (const QByteArray &value : values)
        out += "        " + value + "\r\n";
    return out + "      </values>\r\n    </c>\r\n";
}

// The code the "Loop limit" macro generates from its defaults with exit 1 empty.
const QString kLoopLimitCode = "// Macro:looplimit\n"
                               "// Leaves the loop once order_count reaches 100.\n"
                               "if StrToIntDef('#Sorder_count#', 0) >= 100 then\n"
                               "begin\n"
                               "  \n"
                               "end;";
} // namespace

// The palettes of the two diagram tabs in the started window: their buttons, what each click
// adds to the page at the place in view, and what a save then writes.
class TestPalette : public pellorin_test::WindowTest {
    Q_OBJECT

    QString appDir() const { return m_dir->filePath("app/"); }
    QString pagePath() const { return m_dir->filePath("page.wqf"); }
    // A fresh copy of the shell's test page at pagePath().
    QString copyTestPage() const { return m_dir->copyOf(dataPath("shell/page.wqf"), "page.wqf"); }

    // The window with the shipped folders and the shell's test page open.
    TMainFrm *startWithPage()
    {
        shipInto(appDir());
        start({copyTestPage()});
        if (!form->GetCurrentDoc())
            qFatal("the test page does not open");
        return form;
    }
    static TWQFSection *section(TMainFrm *form, const char *name) { return form->GetCurrentDoc()->FindSection(name); }
    static void scroll(TMainFrm *form, const char *horz, const char *vert, int h, int v)
    {
        part<QScrollBar>(form, horz)->setValue(h);
        part<QScrollBar>(form, vert)->setValue(v);
        QCOMPARE(part<QScrollBar>(form, horz)->value(), h);
        QCOMPARE(part<QScrollBar>(form, vert)->value(), v);
    }
    static void showSheet(TMainFrm *form, const char *sheet)
    {
        part<QTabWidget>(form, "PageControl1")->setCurrentWidget(part<QWidget>(form, sheet));
    }
    // The page as the window saves it right after opening.
    QByteArray savedUnchanged(TMainFrm *form) { return save(form, "unchanged.wqf"); }
    QByteArray save(TMainFrm *form, const QString &name = "saved.wqf")
    {
        const QString target = m_dir->filePath(name);
        if (!form->SaveFile(target))
            qFatal("the page does not save");
        return readBytes(target);
    }

private slots:
    void init() { prepare(); }
    void cleanup() { finish(); }

    // The pure parts of sizes and places, at the screens the program meets.
    void buttonSize_data()
    {
        QTest::addColumn<double>("dpi");
        QTest::addColumn<QSize>("size");
        QTest::newRow("96") << 96.0 << QSize(48, 64);
        QTest::newRow("144") << 144.0 << QSize(72, 96);
        QTest::newRow("120") << 120.0 << QSize(60, 80);
        // 48.5 x 64.67 and 49.5 x 66: halves go to the even neighbour.
        QTest::newRow("97") << 97.0 << QSize(48, 65);
        QTest::newRow("99") << 99.0 << QSize(50, 66);
    }
    void buttonSize()
    {
        QFETCH(double, dpi);
        QFETCH(QSize, size);
        QCOMPARE(paletteButtonSize(dpi), size);
    }

    void landingPoint_data()
    {
        QTest::addColumn<double>("dpi");
        QTest::addColumn<int>("h");
        QTest::addColumn<int>("v");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::newRow("100,40") << 96.0 << 100 << 40 << 96 << 52;
        QTest::newRow("origin") << 96.0 << 0 << 0 << 0 << 0;
        QTest::newRow("112,13") << 96.0 << 112 << 13 << 128 << 26;
        QTest::newRow("111,12") << 96.0 << 111 << 12 << 96 << 0;
        QTest::newRow("144 dpi") << 144.0 << 150 << 60 << 96 << 52;
        // 2.5 and 3.5 model units: 2 and 4, then the grid.
        QTest::newRow("192 dpi halves") << 192.0 << 5 << 7 << 0 << 0;
        QTest::newRow("192 dpi halves on the grid") << 192.0 << 33 << 27 << 32 << 26;
    }
    void landingPoint()
    {
        QFETCH(double, dpi);
        QFETCH(int, h);
        QFETCH(int, v);
        QFETCH(int, x);
        QFETCH(int, y);
        const int mh = modelScrollPos(h, dpi), mv = modelScrollPos(v, dpi);
        const Point at = gridLandingPoint(mh, mv);
        QCOMPARE(at.x, x);
        QCOMPARE(at.y, y);
    }

    void halvesToEven()
    {
        QCOMPARE(modelScrollPos(5, 192), 2);
        QCOMPARE(modelScrollPos(7, 192), 4);
        QCOMPARE(modelScrollPos(3, 144), 2);
        QCOMPARE(modelScrollPos(1, 144), 1);
    }

    // Both palettes: the kinds in catalogue order, "NOTE", the macros in list order; one row at
    // the top, each button with the picture of its kind or macro.
    void buttons()
    {
        shipInto(appDir());
        // One kind without its picture: its button has none, the others keep theirs.
        QFile::remove(appDir() + "images/ruleIF.png");
        TMainFrm *form = start();
        const double dpi = form->screen()->logicalDotsPerInch();
        QCOMPARE(dpi, 96.0);
        const QStringList expected = {"Pascal", "External", "If",   "Insert/Update", "Script",   "Select",
                                      "Set",    "Template", "NOTE", "Loop limit",    "Required", "Share in %"};
        for (const char *name : {"Panel2", "Panel6"}) {
            const QWidget *panel = part<QWidget>(form, name);
            QCOMPARE(captionsOf(panel), expected);
            const QList<QAbstractButton *> buttons = buttonsOf(panel);
            for (int i = 0; i < buttons.size(); ++i) {
                QCOMPARE(buttons[i]->geometry(), QRect(2 + 48 * i, 2, 48, 64));
                // Most captions are cut short on the button; the tip shows them whole.
                QCOMPARE(buttons[i]->toolTip(), expected[i]);
                QCOMPARE(buttons[i]->icon().isNull(), buttons[i]->text() == "If");
                const int tag = buttons[i]->property("Tag").toInt();
                QCOMPARE(tag, i < 8 ? i : i == 8 ? 0 : i - 9);
            }
            QCOMPARE(qobject_cast<QToolButton *>(buttons[0])->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
            // The picture is the kind's file as it is.
            const QImage glyph = buttons[6]->icon().pixmap(buttons[6]->iconSize()).toImage();
            QCOMPARE(glyph.convertToFormat(QImage::Format_ARGB32),
                     QImage(appDir() + "images/ruleSET.png").convertToFormat(QImage::Format_ARGB32));
            // 2 + 64 fits the design height, which stays.
            QCOMPARE(panel->height(), 68);
        }
        QVERIFY(form->messageLines().isEmpty());
    }

    // A kind without its picture shows its caption shortened to the button, as the captions
    // under a picture are, instead of cut off at both edges.
    void captionWithoutPictureStaysInside()
    {
        shipInto(appDir(), {"components"});
        const QString caption = "A caption far too long for its button";
        writeBytes(appDir() + "components/LONG.ini", "[MAIN]\nName=LONG\nUserName=" + caption.toUtf8() + "\n");
        TMainFrm *form = start();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QAbstractButton *button = buttonNamed(part<QWidget>(form, "Panel2"), caption);
        QVERIFY(button->icon().isNull());
        const QImage shot = button->grab().toImage();
        const QRgb ground = shot.pixel(0, 0);
        int inked = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                if (shot.pixel(x, y) != ground) {
                    ++inked;
                    QVERIFY2(x >= 2 && x < shot.width() - 2, qPrintable(QString("ink at %1, %2").arg(x).arg(y)));
                }
        QVERIFY(inked > 0);
    }

    // Without description folders: only "NOTE".
    void emptyCatalogue()
    {
        TMainFrm *form = start();
        QCOMPARE(captionsOf(part<QWidget>(form, "Panel2")), QStringList{"NOTE"});
        QCOMPARE(captionsOf(part<QWidget>(form, "Panel6")), QStringList{"NOTE"});
        QVERIFY(part<QWidget>(form, "Panel2")->findChild<QAbstractButton *>()->icon().isNull());
    }

    // A kind's button adds a component of that kind at the top-left of the view, snapped to
    // the grid, with the kind's value elements; the page is modified and saves with it.
    void addComponent_data()
    {
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<int>("h");
        QTest::addColumn<int>("v");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::newRow("pre 100,40") << "PreSheet" << 100 << 40 << 96 << 52;
        QTest::newRow("pre origin") << "PreSheet" << 0 << 0 << 0 << 0;
        QTest::newRow("pre 112,13") << "PreSheet" << 112 << 13 << 128 << 26;
        QTest::newRow("pre 111,12") << "PreSheet" << 111 << 12 << 96 << 0;
        QTest::newRow("post 100,40") << "PostSheet" << 100 << 40 << 96 << 52;
    }
    void addComponent()
    {
        QFETCH(QString, sheet);
        QFETCH(int, h);
        QFETCH(int, v);
        QFETCH(int, x);
        QFETCH(int, y);
        TMainFrm *form = startWithPage();
        const QByteArray before = savedUnchanged(form);
        const bool pre = sheet == "PreSheet";
        showSheet(form, qPrintable(sheet));
        scroll(form, pre ? "PreHorzScroll" : "PostHorzScroll", pre ? "PreVertScroll" : "PostVertScoll", h, v);
        TWQFSection *target = section(form, pre ? "preproc" : "postproc");
        const size_t count = target->Items().size();
        QVERIFY(!form->openPage()->isModified());

        buttonNamed(part<QWidget>(form, pre ? "Panel2" : "Panel6"), "Set")->click();

        QCOMPARE(target->Items().size(), count + 1);
        TWQFItem *added = lastOf(target);
        const QByteArray name = QByteArray::number(qulonglong(count));
        const QByteArray element = "<c><n>" + name + "</n><t>SET</t><c/><j/><j/><x>" + QByteArray::number(x) +
                                   "</x><y>" + QByteArray::number(y) + "</y><values><n/><v/></values></c>";
        QCOMPARE(written(added->Node()), element);
        QVERIFY(form->openPage()->isModified());
        // The diagram shows it.
        TImageGraphEditor *editor = pre ? form->PreEditor() : form->PostEditor();
        QCOMPARE(editor->ItemCount(),
                 int(count + 1 + (pre ? 2 : 0))); // components, the pre-process note and its handle
        // The other diagram is untouched.
        QCOMPARE(section(form, pre ? "postproc" : "preproc")->Items().size(), pre ? size_t(1) : size_t(2));

        QCOMPARE(visible(save(form)), visible(insertedBefore(before, pre ? "  </preproc>" : "  </postproc>",
                                                             componentLines(name, "SET", "", x, y, {"<n/>", "<v/>"}))));
        QVERIFY(!form->openPage()->isModified());
    }

    // Two clicks without scrolling: two components on one spot, named by the page model.
    void twoClicks()
    {
        TMainFrm *form = startWithPage();
        QAbstractButton *button = buttonNamed(part<QWidget>(form, "Panel2"), "Select");
        button->click();
        button->click();
        const WQFItemList &items = section(form, "preproc")->Items();
        QCOMPARE(items.size(), size_t(4));
        QCOMPARE(items[2]->GetName() + ":" + items[3]->GetName(), QString("2:3"));
        QCOMPARE(items[2]->GetX(), items[3]->GetX());
        QCOMPARE(items[2]->GetY(), items[3]->GetY());
        QCOMPARE(items[3]->GetType(), QString("SELECTQUERY"));
    }

    // "NOTE" puts a note 5 units inside the top-left corner of the view of the active diagram;
    // the save writes its marker into the editor notes.
    void addNote_data()
    {
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QString>("sectionName");
        QTest::addColumn<int>("h");
        QTest::addColumn<int>("v");
        QTest::newRow("pre") << "PreSheet"
                             << "preproc" << 100 << 40;
        QTest::newRow("post") << "PostSheet"
                              << "postproc" << 100 << 40;
        QTest::newRow("post origin") << "PostSheet"
                                     << "postproc" << 0 << 0;
    }
    void addNote()
    {
        QFETCH(QString, sheet);
        QFETCH(QString, sectionName);
        QFETCH(int, h);
        QFETCH(int, v);
        TMainFrm *form = startWithPage();
        const QByteArray before = savedUnchanged(form);
        const bool pre = sheet == "PreSheet";
        showSheet(form, qPrintable(sheet));
        scroll(form, pre ? "PreHorzScroll" : "PostHorzScroll", pre ? "PreVertScroll" : "PostVertScoll", h, v);
        TImageGraphEditor *editor = pre ? form->PreEditor() : form->PostEditor();
        const int shown = editor->ItemCount();
        QCOMPARE(form->CommentRects().size(), size_t(1));

        buttonNamed(part<QWidget>(form, pre ? "Panel2" : "Panel6"), "NOTE")->click();

        QCOMPARE(form->CommentRects().size(), size_t(2));
        const TCommentRect &note = *form->CommentRects().back();
        QVERIFY(note.Rect == (Rect{h + 5, v + 5, h + 105, v + 45}));
        QCOMPARE(note.Section, sectionName);
        QCOMPARE(note.Title + "|" + note.Text, QString("Note|Note text"));
        QVERIFY(form->openPage()->isModified());
        QCOMPARE(editor->ItemCount(), shown + 2); // the note and its handle
        const QByteArray marker = "[[@@rect " + QByteArray::number(h + 5) + " " + QByteArray::number(v + 5) +
                                  " 100 40 " + sectionName.toLatin1() + " 0 Note||||Note text@@]]\n";
        QCOMPARE(visible(save(form)), visible(insertedAfter(before, "Counts<br>the rows.@@]]\n", marker)));
        // The note is still on the diagram after the save, and no second marker is written.
        QCOMPARE(form->CommentRects().size(), size_t(2));
        QCOMPARE(save(form).count("[[@@rect "), 2);
    }

    // "NOTE" does nothing where no diagram is active.
    void noteOutsideDiagrams()
    {
        TMainFrm *form = startWithPage();
        showSheet(form, "NotesSheet");
        buttonNamed(part<QWidget>(form, "Panel2"), "NOTE")->click();
        QCOMPARE(form->CommentRects().size(), size_t(1));
        QVERIFY(!form->openPage()->isModified());
    }

    // A macro button adds a "DELPHI" component with the macro attached, its comment naming the
    // macro and the code generated from the macro's defaults; its picture is the macro's.
    void addMacro()
    {
        TMainFrm *form = startWithPage();
        const QByteArray before = savedUnchanged(form);
        scroll(form, "PreHorzScroll", "PreVertScroll", 100, 40);
        buttonNamed(part<QWidget>(form, "Panel2"), "Loop limit")->click();

        TWQFItem *added = lastOf(section(form, "preproc"));
        QCOMPARE(added->GetType(), QString("DELPHI"));
        QCOMPARE(added->GetComment(), QString("macro: Loop limit"));
        QCOMPARE(GetCode(added), kLoopLimitCode);
        QVERIFY(HasMacro(added));
        QCOMPARE(itemPasMacro(added)->Macro->Name, QString("looplimit"));
        QCOMPARE(itemPasMacro(added)->Values.value(u"Counter"), QString("order_count"));
        QVERIFY(form->openPage()->isModified());
        const QImage *picture = form->GetItemImage(added, "DELPHI");
        QVERIFY(picture);
        QCOMPARE(picture, form->GetImage("macro", "looplimit"));
        QVERIFY(picture != form->GetRuleImage("DELPHI"));

        // The code's line feeds are written as CR LF, as every text of the page.
        const QByteArray code = kLoopLimitCode.toUtf8().replace(">", "&gt;").replace("\n", "\r\n");
        const QByteArray element = "<c><n>2</n><t>DELPHI</t><c>macro: Loop limit</c><j/><j/><x>96</x><y>52</y>"
                                   "<values><v>" +
                                   code + "</v></values></c>";
        QCOMPARE(written(added->Node()), element);
        const QByteArray saved = save(form);
        QCOMPARE(visible(saved), visible(insertedBefore(before, "  </preproc>",
                                                        componentLines("2", "DELPHI", "macro: Loop limit", 96, 52,
                                                                       {"<v>" + code + "</v>"}))));

        // Opened again, the component is bound to its macro once more.
        writeBytes(pagePath(), saved);
        form->OpenFile(pagePath());
        TWQFItem *again = lastOf(section(form, "preproc"));
        QVERIFY(HasMacro(again));
        QCOMPARE(itemPasMacro(again)->Values.value(u"Limit"), QString("100"));
        QCOMPARE(form->GetItemImage(again, "DELPHI"), form->GetImage("macro", "looplimit"));
    }

    // A copied macro component comes back from a paste as a macro component: the macro's
    // picture, its panel with the values the user set, and in the saved page the same code.
    void pastedMacroComponent()
    {
        TMainFrm *form = startWithPage();
        showSheet(form, "PreSheet");
        form->show();
        QApplication::setActiveWindow(form);
        QVERIFY(QTest::qWaitForWindowActive(form));
        buttonNamed(part<QWidget>(form, "Panel2"), "Loop limit")->click();
        TWQFItem *copied = lastOf(section(form, "preproc"));
        itemPasMacro(copied)->Values.setValue("Limit", "7");
        QVERIFY(regenerateMacroCode(copied));
        const QString code = GetCode(copied);
        QVERIFY(code.contains(">= 7 then"));
        TImageGraphEditor *editor = form->PreEditor();
        const DataList one{copied};
        editor->SetSelected(&one, true);
        part<QTabWidget>(form, "PageControl1")->setFocus();
        QTRY_VERIFY(part<QTabWidget>(form, "PageControl1")->hasFocus());
        form->CopyCommand();
        form->PasteCommand(0, 0);

        TWQFItem *pasted = lastOf(section(form, "preproc"));
        QVERIFY(pasted != copied);
        QVERIFY(HasMacro(pasted));
        QCOMPARE(itemPasMacro(pasted)->Macro->Name, QString("looplimit"));
        QCOMPARE(itemPasMacro(pasted)->Values.value(u"Limit"), QString("7"));
        QCOMPARE(form->GetItemImage(pasted, "DELPHI"), form->GetImage("macro", "looplimit"));
        TTagsEditor *panel = static_cast<TPanelChanger *>(editor)->TagsEditor();
        QCOMPARE(panel->Item(), pasted);
        QStringList texts;
        for (const auto &binding : panel->Owned())
            if (auto *label = qobject_cast<QLabel *>(binding->Control.data()))
                texts << label->text();
            else if (auto *edit = qobject_cast<QLineEdit *>(binding->Control.data()))
                texts << edit->text();
        QCOMPARE(texts, (QStringList{pasted->GetName() + ": Loop limit", "macro: Loop limit", "Counter", "order_count",
                                     "Limit", "7", "Generated Script (Read Only)"}));

        const QByteArray saved = save(form);
        const QByteArray element = "<v>" + code.toUtf8().replace(">", "&gt;").replace("\n", "\r\n") + "</v>";
        QCOMPARE(saved.count(element), 2);
        QCOMPARE(GetCode(pasted), code);
    }

    // With the second exit linked, the generated code calls its target; on the post-process
    // tab the call names "post".
    void macroGrayValue()
    {
        TMainFrm *form = startWithPage();
        showSheet(form, "PostSheet");
        buttonNamed(part<QWidget>(form, "Panel6"), "Loop limit")->click();
        TWQFItem *added = lastOf(section(form, "postproc"));
        added->SetJump(1, "0");
        QString code;
        form->ApplyMacro(form->GetCurrentDoc(), section(form, "postproc"), code, added);
        QVERIFY(code.contains("begin\n  page_post_0;\nend;"));
        QCOMPARE(GetCode(added), code);
        // Nothing for a component without a macro.
        TWQFItem *plain = section(form, "postproc")->Items().front().get();
        const QString before = written(plain->Node());
        form->ApplyMacro(form->GetCurrentDoc(), section(form, "postproc"), code, plain);
        QVERIFY(code.isEmpty());
        QCOMPARE(written(plain->Node()), before);
    }

    // The macros need a code kind: "DELPHI", else "SCRIPT" for the value elements, the type
    // staying "DELPHI"; without either, a message and nothing added.
    void macroKinds_data()
    {
        QTest::addColumn<QStringList>("kinds");
        QTest::addColumn<QString>("message");
        QTest::newRow("script only") << QStringList{"SCRIPT.ini", "SET.ini"} << "";
        QTest::newRow("neither") << QStringList{"SET.ini"} << "DELPHI or SCRIPT not available";
    }
    void macroKinds()
    {
        QFETCH(QStringList, kinds);
        QFETCH(QString, message);
        shipInto(appDir(), {"images", "macros"});
        QDir().mkpath(appDir() + "components");
        for (const QString &kind : kinds)
            QFile::copy(kResources + "/components/" + kind, appDir() + "components/" + kind);
        TMainFrm *form = start({copyTestPage()});
        if (!message.isEmpty())
            (*m_prompter)->answers << pbOK;
        buttonNamed(part<QWidget>(form, "Panel2"), "Loop limit")->click();
        const WQFItemList &items = section(form, "preproc")->Items();
        if (message.isEmpty()) {
            QCOMPARE(items.size(), size_t(3));
            QCOMPARE(items.back()->GetType(), QString("DELPHI"));
            QCOMPARE(GetCode(items.back().get()), kLoopLimitCode);
            QVERIFY(form->openPage()->isModified());
            QCOMPARE((*m_prompter)->prompts.size(), 0);
        } else {
            QCOMPARE(items.size(), size_t(2));
            QVERIFY(!form->openPage()->isModified());
            QCOMPARE((*m_prompter)->prompts.size(), 1);
            QCOMPARE((*m_prompter)->prompts[0].text, message);
        }
    }

    // A kind with a field that names no element, or one the reader would not take back, is
    // refused before anything is added, with a message naming kind and field; the page stays
    // as it was.
    void refusedKind_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QString>("message");
        QTest::newRow("no tag") << QByteArray("[Field]\r\ndefault=1\r\n")
                                << "The kind \"BROKEN\" cannot create its elements: the field \"Field\" names no "
                                   "element in \"tag\"";
        QTest::newRow("colon first") << QByteArray("[SQL]\r\ntag=:query\r\n")
                                     << "The kind \"BROKEN\" cannot create its elements: \":query\" in \"tag\" of "
                                        "the field \"SQL\" is no element name";
    }
    void refusedKind()
    {
        QFETCH(QByteArray, field);
        QFETCH(QString, message);
        shipInto(appDir());
        writeBytes(appDir() + "components/BROKEN.ini", "[MAIN]\r\nName=BROKEN\r\nUserName=Broken\r\n" + field);
        TMainFrm *form = start({copyTestPage()});
        const QByteArray before = savedUnchanged(form);
        (*m_prompter)->answers << pbOK;
        buttonNamed(part<QWidget>(form, "Panel2"), "Broken")->click();
        QCOMPARE((*m_prompter)->prompts.size(), 1);
        QCOMPARE((*m_prompter)->prompts[0].text, message);
        QCOMPARE(section(form, "preproc")->Items().size(), size_t(2));
        QVERIFY(!form->openPage()->isModified());
        QCOMPARE(visible(save(form)), visible(before));
    }

    // Clicks without a page, and buttons whose index is outside their list, do nothing.
    void nothingToAddTo()
    {
        shipInto(appDir());
        TMainFrm *form = start();
        for (QAbstractButton *button : buttonsOf(part<QWidget>(form, "Panel2")))
            button->click();
        QVERIFY(!form->GetCurrentDoc());
        QVERIFY(form->CommentRects().empty());
        QVERIFY(!form->openPage()->isModified());

        form->OpenFile(copyTestPage());
        QAbstractButton *kind = buttonNamed(part<QWidget>(form, "Panel2"), "Set");
        QAbstractButton *macro = buttonNamed(part<QWidget>(form, "Panel2"), "Loop limit");
        for (int tag : {-1, 8, 99}) {
            kind->setProperty("Tag", tag);
            kind->click();
        }
        for (int tag : {-1, 3}) {
            macro->setProperty("Tag", tag);
            macro->click();
        }
        QCOMPARE(section(form, "preproc")->Items().size(), size_t(2));
        QVERIFY(!form->openPage()->isModified());
    }

    // Opening binds code components written by a macro again: "DELPHI" is bound, "delphi" is
    // not, nor is a component whose comment does not begin with "macro:".
    void macrosBoundAtOpen()
    {
        shipInto(appDir());
        const QByteArray code = kLoopLimitCode.toUtf8().replace(">", "&gt;");
        writeBytes(pagePath(), "<wqf><function><fn>f</fn></function><preproc>"
                               "<c><n>0</n><t>DELPHI</t><c>macro: Loop limit</c><j/><j/><x>0</x><y>0</y>"
                               "<values><v>" +
                                   code +
                                   "</v></values></c>"
                                   "<c><n>1</n><t>delphi</t><c>macro: Loop limit</c><j/><j/><x>0</x><y>26</y>"
                                   "<values><v>" +
                                   code +
                                   "</v></values></c>"
                                   "<c><n>2</n><t>DELPHI</t><c>a macro: Loop limit</c><j/><j/><x>0</x><y>52</y>"
                                   "<values><v>" +
                                   code +
                                   "</v></values></c>"
                                   "</preproc><postproc>"
                                   "<c><n>0</n><t>DELPHI</t><c>MACRO: Loop limit</c><j/><j/><x>0</x><y>0</y>"
                                   "<values><v>" +
                                   code +
                                   "</v></values></c>"
                                   "</postproc></wqf>");
        TMainFrm *form = start({pagePath()});
        const WQFItemList &pre = section(form, "preproc")->Items();
        QCOMPARE(HasMacro(pre[0].get()), true);
        QCOMPARE(HasMacro(pre[1].get()), false);
        QCOMPARE(HasMacro(pre[2].get()), false);
        QCOMPARE(HasMacro(section(form, "postproc")->Items()[0].get()), true);
        QCOMPARE(form->GetItemImage(pre[0].get(), "DELPHI"), form->GetImage("macro", "looplimit"));
        QCOMPARE(form->GetItemImage(pre[1].get(), "delphi"), form->GetRuleImage("delphi"));
        QVERIFY(!form->openPage()->isModified());
    }

    // A description file that cannot be read is skipped with a line naming it; the others and
    // the rest of the start-up go on.
    void skippedDescriptionFiles()
    {
        shipInto(appDir());
        writeBytes(appDir() + "components/BAD.ini", "[MAIN]\r\nName=B\xff\xfe\r\n");
        writeBytes(appDir() + "macros/bad.ini", "[main]\r\nname=\xc3\r\n");
        writeBytes(appDir() + "macros/bad.pas", "x := 1;");
        m_dir->writeSettings("[Global]\r\nLastTab=WQF Info\r\n");
        TMainFrm *form = start({copyTestPage()});
        QCOMPARE(
            form->messageLines(),
            QStringList({"Component kind skipped: The file \"" + appDir() + "components/BAD.ini\" is not UTF-8 text",
                         "Macro skipped: The file \"" + appDir() + "macros/bad.ini\" is not UTF-8 text"}));
        QCOMPARE(buttonsOf(part<QWidget>(form, "Panel2")).size(), 12);
        QVERIFY(form->GetCurrentDoc());
        QCOMPARE(part<QTabWidget>(form, "PageControl1")->currentWidget()->objectName(), QString("NotesSheet"));
    }

    // Every save reads the Pascal sources beside the program again.
    void pascalSourcesAtSave()
    {
        TMainFrm *form = startWithPage();
        PascalUnits().clear();
        save(form);
        QStringList names;
        for (const auto &unit : PascalUnits())
            names << unit->Name;
        QCOMPARE(names, QStringList({"pagetexts", "percent.pasfn"}));
        writeBytes(appDir() + "pascal/more.pascls", "procedure More; begin end;");
        save(form);
        names.clear();
        for (const auto &unit : PascalUnits())
            names << unit->Name;
        QCOMPARE(names, QStringList({"pagetexts", "more.pascls", "percent.pasfn"}));
    }
};

// One palette at another screen's resolution: bigger buttons, a taller panel, and the scroll
// positions taken back to model units before the grid.
class TestPaletteDpi : public QObject {
    Q_OBJECT
private slots:
    void at144()
    {
        PrompterGuard prompter;
        QTemporaryDir dir;
        initAppIni(dir.filePath("cfg/"), "pellorin");
        initGlobalOptions();
        clearComponentDescrs();
        ClearMacros();
        LoadComponentDescrs(kResources + "/components");
        LoadMacros(kResources + "/macros");
        auto cleanup = qScopeGuard([] {
            clearComponentDescrs();
            ClearMacros();
            doneGlobalOptions();
            doneAppIni();
        });
        pellorin_test::TestWindow window;
        OpenPage &page = window.page();
        const std::span<DiagramTab *const> tabs = window.views().diagramTabs();
        const CommentRectList &notes = window.views().commentRects();
        window.views().pictures().setFolder(kResources + "/images/");
        Palette palette(window, 144);
        palette.buildPalette(tabs[0]->palette());
        const QList<QAbstractButton *> buttons = buttonsOf(tabs[0]->palette());
        QCOMPARE(buttons.size(), 12);
        QCOMPARE(buttons[1]->geometry(), QRect(74, 2, 72, 96));
        QCOMPARE(tabs[0]->palette()->height(), 98);

        writeBytes(dir.filePath("p.wqf"), readBytes(dataPath("shell/page.wqf")));
        QVERIFY(page.open(dir.filePath("p.wqf")));
        tabs[0]->horzScroll()->setValue(150);
        tabs[0]->vertScroll()->setValue(60);
        buttonNamed(tabs[0]->palette(), "If")->click();
        const TWQFItem *added = page.document()->FindSection("preproc")->Items().back().get();
        QCOMPARE(added->GetX(), 96);
        QCOMPARE(added->GetY(), 52);
        buttonNamed(tabs[0]->palette(), "NOTE")->click();
        QCOMPARE(notes.back()->Rect.Left, 105);
        QCOMPARE(notes.back()->Rect.Top, 45);
        QVERIFY(page.isModified());
        page.close(false);
    }
};

PELLORIN_TEST_CLASS(TestPalette)
PELLORIN_TEST_CLASS(TestPaletteDpi)
#include "test_palette.moc"
