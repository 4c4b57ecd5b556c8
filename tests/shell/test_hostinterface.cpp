#include "checks/appgui.h"
#include "checks/pellorinplugin.h"
#include "common/scriptedprompter.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "editors/lclgrapheditor.h"
#include "editors/wqfeditors.h"
#include "shell/hostinterface.h"
#include "shell/mainform.h"
#include "shell/openpage.h"
#include "shell/startup.h"
#include "windowparts.h"
#include "windowtest.h"

#include <QCursor>
#include <QPointer>
#include <QTabWidget>
#include <QTest>

using pellorin_test::dataPath;
using pellorin_test::part;

namespace {
// The item of the editor whose data is that component, note or handle.
int indexOf(const TGraphEditor *editor, const void *data)
{
    for (int i = 0; i < editor->ItemCount(); ++i)
        if (editor->Items(i)->Data == data)
            return i;
    return -1;
}

TWQFEditorSource *sourceOf(const TGraphEditor *editor) { return static_cast<TWQFEditorSource *>(editor->Source()); }

TWQFItem *component(TWQFSection *section, const QString &name) { return FindItemByName(section->Items(), name); }
} // namespace

class TestHostInterface : public pellorin_test::WindowTest {
    Q_OBJECT

    QString copyPage(const QString &name) { return m_dir->copyOf(dataPath("shell/page.wqf"), name); }
    void openPage()
    {
        form->OpenFile(copyPage("page.wqf"));
        QVERIFY(form->GetCurrentDoc());
    }
    void showTab(const char *sheet)
    {
        part<QTabWidget>(form, "PageControl1")->setCurrentWidget(part<QWidget>(form, sheet));
    }
    TWQFSection *section(const QString &name) const { return form->GetCurrentDoc()->FindSection(name); }

private slots:
    void init()
    {
        prepare();
        start();
        QVERIFY(dynamic_cast<TMainFormPellorinIntf *>(GetAppIntf()));
    }
    void cleanup() { finish(); }

    // A plug-in asks from inside a key event; the page opens once that event is over.
    void openFileWaitsForTheEvent()
    {
        openPage();
        TWQFFile *first = form->GetCurrentDoc();
        const QString other = copyPage("other.wqf");
        GetAppIntf()->OpenFile(other);
        QCOMPARE(form->GetCurrentDoc(), first);
        QCOMPARE(form->openPage()->fileName(), m_dir->filePath("page.wqf"));
        QTRY_COMPARE(form->openPage()->fileName(), other);
        QVERIFY(form->GetCurrentDoc());
        QVERIFY(form->GetCurrentDoc() != first);
        QCOMPARE(form->GetCurrentDoc()->FileName(), other);
    }

    // The open waits on the window; a window that is gone by then opens nothing.
    void openFileAfterTheWindowIsGone()
    {
        GetAppIntf()->OpenFile(copyPage("page.wqf"));
        QPointer<TMainFrm> gone = form;
        stop();
        QVERIFY(!gone);
        QTest::qWait(20);
        QCOMPARE(mainFrm(), nullptr);
    }

    void selectionInItemOrder()
    {
        openPage();
        TGraphEditor *editor = form->PreEditor();
        TWQFEditorSource *source = sourceOf(editor);
        TCommentRect *note = form->CommentRects().front().get();
        void *handle = source->HandleOf(note);
        void *second = component(section("preproc"), "1");
        void *first = component(section("preproc"), "0");
        // Selected in another order than the items'.
        const DataList picked{second, note, first};
        editor->SetSelected(&picked, true);
        QList<void *> expected;
        for (int i = 0; i < editor->ItemCount(); ++i)
            if (editor->Items(i)->Selected)
                expected << editor->Items(i)->Data;
        QCOMPARE(expected.size(), 3);
        QVERIFY(indexOf(editor, first) < indexOf(editor, second));

        showTab("PreSheet");
        QList<void *> list{nullptr};
        GetAppIntf()->GetSelection(list);
        QCOMPARE(list, QList<void *>{nullptr} + expected);

        // A note's handle is selected on its own.
        const DataList handleOnly{handle};
        editor->SetSelected(nullptr, false);
        editor->SetSelected(&handleOnly, true);
        list.clear();
        GetAppIntf()->GetSelection(list);
        QCOMPARE(list, QList<void *>{handle});

        // Only the active diagram's selection counts.
        showTab("PostSheet");
        list.clear();
        GetAppIntf()->GetSelection(list);
        QCOMPARE(list, QList<void *>());
    }

    void noSelectionWithoutADiagram_data()
    {
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<bool>("page");
        QTest::newRow("html") << "HtmlSheet" << true;
        QTest::newRow("notes") << "NotesSheet" << true;
        QTest::newRow("no page") << "PreSheet" << false;
    }
    void noSelectionWithoutADiagram()
    {
        QFETCH(QString, sheet);
        QFETCH(bool, page);
        if (page) {
            openPage();
            DataList all;
            form->PreEditor()->GetSelected(&all);
            for (int i = 0; i < form->PreEditor()->ItemCount(); ++i)
                all.push_back(form->PreEditor()->Items(i)->Data);
            form->PreEditor()->SetSelected(&all, true);
        }
        showTab(sheet.toLatin1().constData());
        QList<void *> list{&list};
        GetAppIntf()->GetSelection(list);
        QCOMPARE(list, QList<void *>{&list});
    }

    void currentSection_data()
    {
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QString>("intf");
        QTest::addColumn<QString>("hook");
        QTest::newRow("pre") << "PreSheet"
                             << "preproc"
                             << "preproc";
        QTest::newRow("post") << "PostSheet"
                              << "postproc"
                              << "postproc";
        QTest::newRow("html") << "HtmlSheet"
                              << "html"
                              << "html";
        QTest::newRow("wqf info") << "NotesSheet"
                                  << ""
                                  << "notes";
        QTest::newRow("xml respond") << "TabSheet1"
                                     << ""
                                     << "";
    }
    // With a page open, the document comes with every answer, also where the section is empty.
    void currentSection()
    {
        QFETCH(QString, sheet);
        openPage();
        showTab(sheet.toLatin1().constData());
        TWQFFile *doc = nullptr;
        QTEST(GetAppIntf()->GetCurrent(doc), "intf");
        QCOMPARE(doc, form->GetCurrentDoc());
        QTEST(CallGetCurrentSectionName(), "hook");
        QCOMPARE(CallGetCurrentDoc(), form->GetCurrentDoc());
    }

    void fileNameOfTheLastPage()
    {
        openPage();
        const QString page = m_dir->filePath("page.wqf");
        QCOMPARE(GetAppIntf()->GetFileName(), page);
        form->CloseDocument(false);
        QCOMPARE(GetAppIntf()->GetFileName(), page);
    }

    void mousePosInGraphCoordinates()
    {
        int x = -7, y = -9;
        QVERIFY(!GetAppIntf()->GetMousePos(x, y));
        QCOMPARE(x, -7);
        QCOMPARE(y, -9);

        openPage();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        showTab("HtmlSheet");
        QVERIFY(!GetAppIntf()->GetMousePos(x, y));
        QCOMPARE(x, -7);

        showTab("PostSheet");
        TImageGraphEditor *editor = form->PostEditor();
        editor->SetScrollPos({100, 50});
        QCOMPARE(editor->GetScrollPos(), (Point{100, 50}));
        TImage *image = editor->Host();
        const QPoint client(37, 21);
        QCursor::setPos(image->mapToGlobal(client));
        QCOMPARE(image->mapFromGlobal(QCursor::pos()), client);
        QVERIFY(GetAppIntf()->GetMousePos(x, y));
        QCOMPARE(x, 37 + 100);
        QCOMPARE(y, 21 + 50);

        // The graph coordinates are those the editor hits items at.
        TWQFItem *post = component(section("postproc"), "0");
        Rect r;
        QVERIFY(editor->GetItemRect(post, r));
        const Point onItem = editor->GraphToClient(r.Left + 3, r.Top + 3);
        QCursor::setPos(image->mapToGlobal(QPoint(onItem.x, onItem.y)));
        QVERIFY(GetAppIntf()->GetMousePos(x, y));
        QCOMPARE(x, r.Left + 3);
        QCOMPARE(y, r.Top + 3);
    }

    void refreshNamesTheSectionExactly_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("rebuilt");
        QTest::newRow("preproc") << "preproc" << true;
        QTest::newRow("PREPROC") << "PREPROC" << false;
        QTest::newRow("Preproc") << "Preproc" << false;
        QTest::newRow("postproc") << "postproc" << false;
        QTest::newRow("html") << "html" << false;
        QTest::newRow("empty") << "" << false;
    }
    void refreshNamesTheSectionExactly()
    {
        QFETCH(QString, name);
        QFETCH(bool, rebuilt);
        openPage();
        TGraphEditor *editor = form->PreEditor();
        TWQFItem *first = component(section("preproc"), "0");
        TWQFItem *second = component(section("preproc"), "1");
        const DataList both{first, second};
        editor->SetSelected(&both, true);
        Rect before;
        QVERIFY(editor->GetItemRect(first, before));
        // A plug-in moves the component in the page, then asks for the refresh. The move makes
        // the page modified; taken as saved, the refresh alone must leave it unmodified.
        first->SetX(first->GetX() + 32);
        form->SetModified(false);
        GetAppIntf()->RefreshSection(name);
        Rect after;
        QVERIFY(editor->GetItemRect(first, after));
        QCOMPARE(after.Left != before.Left, rebuilt);
        QCOMPARE(editor->SelectedCount(), 2);
        QVERIFY(editor->IsSelected(first) && editor->IsSelected(second));
        QVERIFY(!form->openPage()->isModified());
    }

    // Notes and handles stay selected across the rebuild as the components do.
    void refreshKeepsNotesSelected()
    {
        openPage();
        TGraphEditor *editor = form->PreEditor();
        TCommentRect *note = form->CommentRects().front().get();
        const DataList picked{note, component(section("preproc"), "1")};
        editor->SetSelected(&picked, true);
        GetAppIntf()->RefreshSection("preproc");
        QCOMPARE(editor->SelectedCount(), 2);
        QVERIFY(editor->IsSelected(note));
        void *handle = sourceOf(editor)->HandleOf(note);
        const DataList handleOnly{handle};
        editor->SetSelected(nullptr, false);
        editor->SetSelected(&handleOnly, true);
        GetAppIntf()->RefreshSection("preproc");
        QCOMPARE(editor->SelectedCount(), 1);
        QVERIFY(editor->IsSelected(handle));
    }

    void refreshWithoutAPage()
    {
        GetAppIntf()->RefreshSection("preproc");
        QVERIFY(!form->openPage()->isModified());
    }
};

PELLORIN_TEST_CLASS(TestHostInterface)
#include "test_hostinterface.moc"
