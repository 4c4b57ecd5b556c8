#include "base/exception.h"
#include "checks/appgui.h"
#include "common/testmain.h"
#include "model/wqftypes.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

namespace {
// The main menu as the main window will have it: Tools with its own entry.
std::unique_ptr<QMenuBar> makeMenuBar()
{
    auto bar = std::make_unique<QMenuBar>();
    bar->addMenu("&File")->addAction("&Open");
    bar->addMenu("&Tools")->addAction("&Check WQF file");
    bar->addAction("Loose"); // a top-level item without a menu
    return bar;
}

QStringList captions(QMenuBar &bar, const QString &top)
{
    for (QAction *a : bar.actions())
        if (a->menu() && stripMnemonic(a->text()) == top) {
            QStringList list;
            for (QAction *item : a->menu()->actions())
                list << item->text();
            return list;
        }
    return {};
}
} // namespace

class TestAppGui : public QObject {
    Q_OBJECT
private slots:
    void strippedMnemonic_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("plain");
        QTest::newRow("mnemonic") << "&Tools"
                                  << "Tools";
        QTest::newRow("inside") << "T&ools"
                                << "Tools";
        QTest::newRow("literal ampersand") << "Save && Check"
                                           << "Save & Check";
        QTest::newRow("lone") << "&"
                              << "";
        QTest::newRow("none") << "Tools"
                              << "Tools";
    }
    void strippedMnemonic()
    {
        QFETCH(QString, caption);
        QTEST(stripMnemonic(caption), "plain");
    }

    void queueAttachesInOrder()
    {
        MenuQueue queue;
        QAction *tidy = queue.addMenuItem("Tools");
        tidy->setText("Tidy HTML");
        QAction *lost = queue.addMenuItem("Extras");
        lost->setText("Nowhere");
        QPointer<QAction> lostGuard(lost);
        QAction *loose = queue.addMenuItem("Loose");
        loose->setText("Also nowhere");
        queue.addMenuItem("Tools")->setText("SQL test params");
        queue.addMenuItem("Tools")->setText("Preferences");
        QCOMPARE(tidy->parent(), QCoreApplication::instance());
        QCOMPARE(queue.pendingMenus().size(), size_t(5));

        auto bar = makeMenuBar();
        queue.setMainMenu(bar.get());
        QCOMPARE(captions(*bar, "Tools"),
                 QStringList({"&Check WQF file", "Tidy HTML", "SQL test params", "Preferences"}));
        QCOMPARE(captions(*bar, "File"), QStringList({"&Open"}));
        for (const TPendingMenu &entry : queue.pendingMenus())
            QVERIFY(!entry.item);
        // A caption the menu lacks: not shown, still owned by the application.
        QCOMPARE(lost->parent(), QCoreApplication::instance());
        QVERIFY(lost->associatedObjects().isEmpty());

        // After the main menu is known, an entry is attached at once.
        QAction *late = queue.addMenuItem("tools");
        QVERIFY(!late); // the caption must match
        late = queue.addMenuItem("T&ools");
        QVERIFY(late);
        late->setText("Late");
        QCOMPARE(captions(*bar, "Tools").last(), QStringLiteral("Late"));
        QVERIFY(!queue.addMenuItem("Extras"));
        QCOMPARE(queue.pendingMenus().size(), size_t(5));

        // Attached entries belong to the menu and go with it.
        QPointer<QAction> tidyGuard(tidy), lateGuard(late);
        bar.reset();
        QVERIFY(!tidyGuard && !lateGuard);
        QVERIFY(!queue.mainMenu());
        QVERIFY(!queue.attachMenuItem("Tools", nullptr));
        delete lostGuard.data();
        delete loose;
    }

    void hooks()
    {
        initAppGui();
        QCOMPARE(CallGetCurrentDoc(), nullptr);
        QCOMPARE(CallGetCurrentSectionName(), QString());
        CallDocReloaded(); // nothing, no error

        auto *doc = reinterpret_cast<TWQFFile *>(this); // never dereferenced
        int reloaded = 0;
        hostHooks().OnGetCurrentDoc = [doc] { return doc; };
        hostHooks().OnGetCurrentSectionName = [] { return QStringLiteral("notes"); };
        hostHooks().OnDocReloaded = [&reloaded] { ++reloaded; };
        QCOMPARE(CallGetCurrentDoc(), doc);
        QCOMPARE(CallGetCurrentSectionName(), QStringLiteral("notes"));
        CallDocReloaded();
        QCOMPARE(reloaded, 1);

        QAction *item = AddMenuItem("Tools");
        QVERIFY(item);
        auto bar = makeMenuBar();
        SetMainMenu(bar.get());
        QCOMPARE(item->parent()->parent(), bar.get());
        QVERIFY(AttachMenuItem("File", nullptr));
        doneAppGui();
        QCOMPARE(CallGetCurrentDoc(), nullptr);
        QVERIFY_THROWS_EXCEPTION(ERunError, AddMenuItem("Tools"));
    }

    // The window takes a rewritten page only through its hook; without one the page stays
    // with the caller.
    void replaceHooks()
    {
        initAppGui();
        callStoreViewTexts(); // nothing, no error
        auto page = std::make_unique<TWQFFile>();
        TWQFFile *raw = page.get();
        QVERIFY(!callDocReplaced(page));
        QCOMPARE(page.get(), raw);

        int stored = 0;
        hostHooks().onStoreViewTexts = [&stored] { ++stored; };
        callStoreViewTexts();
        QCOMPARE(stored, 1);
        std::unique_ptr<TWQFFile> taken;
        bool accept = false;
        hostHooks().onDocReplaced = [&](std::unique_ptr<TWQFFile> &doc) {
            if (accept)
                taken = std::move(doc);
            return accept;
        };
        QVERIFY(!callDocReplaced(page));
        QCOMPARE(page.get(), raw);
        accept = true;
        QVERIFY(callDocReplaced(page));
        QCOMPARE(taken.get(), raw);
        std::unique_ptr<TWQFFile> none;
        QVERIFY(!callDocReplaced(none)); // nothing to hand over
        doneAppGui();
        QVERIFY(!hostHooks().onDocReplaced);
    }
};

PELLORIN_TEST_CLASS(TestAppGui)
#include "test_appgui.moc"
