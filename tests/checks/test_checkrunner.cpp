#include "base/exception.h"
#include "checkfixture.h"
#include "checks/pellorinplugin.h"
#include "common/testmain.h"

#include <QTest>

using namespace pellorin_test;

namespace {
struct Counter : GroupData {
    explicit Counter(QStringList &log) : log(log) {}
    ~Counter() override { log << "data freed"; }
    QStringList &log;
    int items = 0;
};

// Writes one HINT per component, one for the file and, with group data, one for the group;
// breaks where told.
class FakeCheck : public TWarningPlugin {
public:
    FakeCheck(QStringList &log, QString name, int priority) : log(log), name(std::move(name)) { Priority = priority; }
    QString className() const override { return name; }
    bool InQuickCheck() override { return quick; }
    bool NeedsGroupData() override { return group; }
    std::unique_ptr<GroupData> CreateGroupData() override
    {
        if (failCreate)
            throw Exception("no data");
        log << name + " create";
        return std::make_unique<Counter>(log);
    }
    void CheckItem(TWQFItem *item, CheckMessageList &messages, GroupData *data) override
    {
        if (auto *counter = dynamic_cast<Counter *>(data))
            ++counter->items;
        messages.append({"HINT " + name + " item", nullptr});
        if (item->GetName() == failOn)
            throw Exception("bad item");
        if (item->GetName() == strangeOn)
            throw 42;
        if (item->GetName() == ownObjectOn)
            messages.append(
                {"HINT " + name + " about 1", item->Section()->Owner()->Sections().front()->Items().front().get()});
    }
    void CheckFile(TWQFFile *, CheckMessageList &messages) override
    {
        messages.append({"HINT " + name + " file", nullptr});
        if (failFile)
            throw std::runtime_error("no file");
    }
    void FinishGroup(bool flag, std::unique_ptr<GroupData> &data, CheckMessageList &messages) override
    {
        auto *counter = dynamic_cast<Counter *>(data.get());
        messages.append(
            {"HINT " + name + " group " + QString::number(counter ? counter->items : -1) + (flag ? "" : " unflagged"),
             nullptr});
        if (failFinish)
            throw Exception("no group");
        data.reset();
    }

    QStringList &log;
    QString name;
    bool quick = true, group = false, failCreate = false, failFile = false, failFinish = false;
    QString failOn, strangeOn, ownObjectOn;
};

const QByteArray kTwoSections = "<wqf><function><fn>f</fn></function><preproc>" + comp("1", "SET") + comp("2", "SET") +
                                "</preproc><postproc>" + comp("3", "SET") + "</postproc></wqf>";

struct Run {
    QStringList log;
    PluginRegistry registry;
    std::unique_ptr<TWQFFile> page = loadPage(kTwoSections);

    FakeCheck *add(const QString &name, int priority)
    {
        auto *check = new FakeCheck(log, name, priority);
        registry.registerPlugin(std::unique_ptr<TPellorinPlugin>(check));
        return check;
    }
    QStringList run(bool quick, TWQFFile *doc)
    {
        CheckMessageList messages{{"earlier", nullptr}};
        registry.runWarningPlugins(doc, quick, &messages);
        QList<TWarningPlugin *> checks;
        registry.getWarningPlugins(checks);
        for (TWarningPlugin *check : checks)
            if (check->Messages)
                qFatal("a plug-in kept its list after the run");
        return shown(messages);
    }
    QStringList run(bool quick = false) { return run(quick, page.get()); }
};
} // namespace

class TestCheckRunner : public QObject {
    Q_OBJECT
private slots:
    void priorityOrderAndTagging()
    {
        Run r;
        r.add("TC", 7);
        r.add("TA", -3);
        r.add("TB1", 5);
        r.add("TB2", 5); // equal priorities keep registration order
        r.add("TOff", 0)->Enabled = false;
        const QStringList lines = r.run();
        QStringList expected{"earlier"};
        for (const QString name : {"TA", "TB1", "TB2", "TC"})
            expected << "preproc 1: HINT " + name + " item"
                     << "preproc 2: HINT " + name + " item"
                     << "postproc 3: HINT " + name + " item"
                     << "HINT " + name + " file";
        QCOMPARE(lines, expected);

        FakeCheck low(r.log, "low", -1), high(r.log, "high", 2), same(r.log, "same", 2);
        QCOMPARE(ComparePriority(&low, &high), -1);
        QCOMPARE(ComparePriority(&high, &low), 1);
        QCOMPARE(ComparePriority(&high, &same), 0);
    }

    void quickLeavesOutFullOnlyChecks()
    {
        Run r;
        r.add("TFull", 0)->quick = false;
        r.add("TQuick", 1);
        QCOMPARE(r.run(true).filter("file"), QStringList({"HINT TQuick file"}));
        QCOMPARE(r.run(false).filter("file"), QStringList({"HINT TFull file", "HINT TQuick file"}));
    }

    void failureOnOneComponent()
    {
        Run r;
        FakeCheck *check = r.add("TBroken", 0);
        check->failOn = "2";
        check->ownObjectOn = "3";
        r.add("TNext", 1);
        const QStringList lines = r.run();
        QCOMPARE(lines.mid(1, 6),
                 QStringList({"preproc 1: HINT TBroken item", "preproc 2: HINT TBroken item",
                              "preproc 2: TBroken failed on 2: bad item", "postproc 3: HINT TBroken item",
                              "preproc 1: HINT TBroken about 1", // the plug-in's own object stays
                              "HINT TBroken file"}));
        QVERIFY(lines.contains("HINT TNext file"));
    }

    // A plug-in that breaks outside a component ends its run with a line of its own, so a
    // broken check never looks like a clean pass; the others go on.
    void brokenPluginsSayso()
    {
        Run r;
        r.add("TFile", 0)->failFile = true;
        FakeCheck *strange = r.add("TStrange", 1);
        strange->strangeOn = "2";
        strange->group = true;
        FakeCheck *create = r.add("TCreate", 2);
        create->group = true;
        create->failCreate = true;
        r.add("TCreate", 2)->group = true; // a second one, whose data is made
        FakeCheck *finish = r.add("TFinish", 3);
        finish->group = true;
        finish->failFinish = true;
        const QStringList lines = r.run();
        QCOMPARE(lines,
                 QStringList({"earlier",
                              // file step
                              "preproc 1: HINT TFile item", "preproc 2: HINT TFile item", "postproc 3: HINT TFile item",
                              "HINT TFile file", "TFile failed: no file",
                              // a non-exception ends the plug-in; its group still finishes
                              "preproc 1: HINT TStrange item", "preproc 2: HINT TStrange item",
                              "TStrange failed: unknown exception", "HINT TStrange group 2",
                              // CreateGroupData, but its plain sibling runs
                              "TCreate failed: no data", "preproc 1: HINT TCreate item", "preproc 2: HINT TCreate item",
                              "postproc 3: HINT TCreate item", "HINT TCreate file", "HINT TCreate group 3",
                              // FinishGroup
                              "preproc 1: HINT TFinish item", "preproc 2: HINT TFinish item",
                              "postproc 3: HINT TFinish item", "HINT TFinish file", "HINT TFinish group 3",
                              "TFinish failed: no group"}));
        // Every group data is freed, also the one whose FinishGroup broke.
        QCOMPARE(r.log.count("data freed"), 3);
    }

    void groupDataIsFreshEachRun()
    {
        Run r;
        r.add("TGroup", 0)->group = true;
        QCOMPARE(r.run().mid(4), QStringList({"HINT TGroup file", "HINT TGroup group 3"}));
        QCOMPARE(r.run().mid(4), QStringList({"HINT TGroup file", "HINT TGroup group 3"}));
        QCOMPARE(r.log, QStringList({"TGroup create", "data freed", "TGroup create", "data freed"}));
    }

    void pageWithoutSections()
    {
        Run r;
        r.add("TA", 0)->group = true;
        auto page = loadPage("<wqf><function><fn>f</fn></function><html/></wqf>");
        QCOMPARE(r.run(false, page.get()), QStringList({"earlier", "HINT TA file", "HINT TA group 0"}));
    }

    void nothingWithoutPageOrList()
    {
        Run r;
        r.add("TA", 0);
        QCOMPARE(r.run(false, nullptr), QStringList({"earlier"}));
        r.registry.runWarningPlugins(r.page.get(), false, nullptr);
        // The program's functions need no registry for that.
        CheckMessageList messages;
        RunWarningPlugins(nullptr, false, &messages);
        RunWarningPlugins(r.page.get(), false, nullptr);
        QVERIFY(messages.isEmpty());
        QVERIFY(r.log.isEmpty());
    }
};

PELLORIN_TEST_CLASS(TestCheckRunner)
#include "test_checkrunner.moc"
