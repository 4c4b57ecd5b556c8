#include "base/exception.h"
#include "checks/pellorinplugin.h"
#include "common/testmain.h"

#include <QTest>

namespace {
// Every fake records its own end, so tests see what was freed and in which order.
using Log = QStringList;

class FakeNaming : public TNamingPlugin {
public:
    FakeNaming(Log &log, QString name) : m_log(log), m_name(std::move(name)) {}
    ~FakeNaming() override { m_log << "freed " + m_name; }
    QString className() const override { return QStringLiteral("TFakeNaming"); }
    QString GetCaption() override { return m_name; }

private:
    Log &m_log;
    QString m_name;
};

class FakeCheck : public TWarningPlugin {
public:
    FakeCheck(Log &log, QString name) : m_log(log), m_name(std::move(name)) {}
    ~FakeCheck() override { m_log << "freed " + m_name; }
    QString className() const override { return QStringLiteral("TFakeCheck"); }

private:
    Log &m_log;
    QString m_name;
};

// Accepts one key with exactly Ctrl; sets handled as told.
class FakeShortCut : public TShortCutPlugin {
public:
    FakeShortCut(Log &log, QString name, uint16_t key, bool handles)
        : m_log(log), m_name(std::move(name)), m_key(key), m_handles(handles)
    {}
    ~FakeShortCut() override { m_log << "freed " + m_name; }
    QString className() const override { return QStringLiteral("TFakeShortCut"); }
    bool Accepts(uint16_t key, TShiftState shift) override
    {
        m_log << "accepts? " + m_name;
        return key == m_key && shift == TShiftState(ssCtrl);
    }
    void Execute(uint16_t key, TShiftState shift, bool &handled) override
    {
        TShortCutPlugin::Execute(key, shift, handled);
        m_log << "execute " + m_name;
        handled = m_handles;
    }

private:
    Log &m_log;
    QString m_name;
    uint16_t m_key;
    bool m_handles;
};

class FakeIntf : public TPellorinAppIntf {
public:
    FakeIntf(Log &log, QString name) : m_log(log), m_name(std::move(name)) {}
    ~FakeIntf() override { m_log << "freed " + m_name; }
    QString GetFileName() override { return m_name; }

private:
    Log &m_log;
    QString m_name;
};
} // namespace

class TestPluginRegistry : public QObject {
    Q_OBJECT
private slots:
    void orderByKind()
    {
        Log log;
        PluginRegistry r;
        QCOMPARE(r.plugins().size(), 1);
        TNamingPlugin *naming = r.getNamingPlugin();
        QVERIFY(naming && naming->className() == "TNamingPlugin");
        QVERIFY(!naming->Enabled); // installed as naming plug-in, never "registered"

        auto *a = new FakeCheck(log, "a");
        auto *s = new FakeShortCut(log, "s", VK_RETURN, false);
        auto *b = new FakeCheck(log, "b");
        b->Priority = -5;
        QCOMPARE(r.registerPlugin(std::unique_ptr<TPellorinPlugin>(a)), a);
        r.registerPlugin(std::unique_ptr<TPellorinPlugin>(s));
        r.registerPlugin(std::unique_ptr<TPellorinPlugin>(b));
        QCOMPARE(r.registerPlugin(nullptr), nullptr);
        QCOMPARE(r.plugins(), QList<TPellorinPlugin *>({naming, a, s, b}));
        QVERIFY(a->Enabled && s->Enabled && b->Enabled);

        QList<TWarningPlugin *> checks{nullptr};
        r.getWarningPlugins(checks); // appends, in registration order whatever the priority
        QCOMPARE(checks, QList<TWarningPlugin *>({nullptr, a, b}));
        QCOMPARE(a->GetDescription(), QStringLiteral("TFakeCheck"));

        // A second registration of a listed plug-in neither lists nor frees it twice.
        r.registerPlugin(std::unique_ptr<TPellorinPlugin>(a));
        QCOMPARE(r.plugins().size(), 4);
        QVERIFY(log.isEmpty());
    }

    void namingReplacement()
    {
        Log log;
        {
            PluginRegistry r;
            auto *check = new FakeCheck(log, "check");
            r.registerPlugin(std::unique_ptr<TPellorinPlugin>(check));
            auto *company = new FakeNaming(log, "company");
            QCOMPARE(r.setNamingPlugin(std::unique_ptr<TNamingPlugin>(company)), company);
            QCOMPARE(r.plugins(), QList<TPellorinPlugin *>({company, check}));
            QVERIFY(!company->Enabled);

            // Setting the current one again changes nothing and frees nothing.
            r.setNamingPlugin(std::unique_ptr<TNamingPlugin>(company));
            QCOMPARE(r.plugins(), QList<TPellorinPlugin *>({company, check}));
            QVERIFY(log.isEmpty());

            // None: a new default takes the company plug-in's place, which is freed.
            TNamingPlugin *fresh = r.setNamingPlugin(nullptr);
            QCOMPARE(log, Log({"freed company"}));
            QCOMPARE(r.plugins(), QList<TPellorinPlugin *>({fresh, check}));
            QCOMPARE(fresh->className(), QStringLiteral("TNamingPlugin"));
            QCOMPARE(fresh->GetCaption(), QString());

            // A naming plug-in registered later and then set moves to the front, listed once.
            auto *late = new FakeNaming(log, "late");
            r.registerPlugin(std::unique_ptr<TPellorinPlugin>(late));
            r.setNamingPlugin(std::unique_ptr<TNamingPlugin>(late));
            QCOMPARE(r.plugins(), QList<TPellorinPlugin *>({late, check}));
            QCOMPARE(r.getNamingPlugin(), late);
            log.clear();
        }
        QCOMPARE(log, Log({"freed late", "freed check"}));
    }

    void dispatch_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("handled");
        QTest::addColumn<Log>("calls");
        // first: Enter, leaves handled false; second: Enter, disabled, handles; third: Enter.
        QTest::newRow("stops at the first that handles")
            << int(VK_RETURN) << true << Log({"accepts? first", "execute first", "accepts? second", "execute second"});
        QTest::newRow("nobody accepts") << int(VK_DELETE) << false
                                        << Log({"accepts? first", "accepts? second", "accepts? third"});
    }
    void dispatch()
    {
        QFETCH(int, key);
        Log log;
        PluginRegistry r;
        r.registerPlugin(std::make_unique<FakeShortCut>(log, "first", VK_RETURN, false));
        r.registerPlugin(std::make_unique<FakeCheck>(log, "check"));
        r.registerPlugin(std::make_unique<FakeShortCut>(log, "second", VK_RETURN, true))->Enabled = false;
        r.registerPlugin(std::make_unique<FakeShortCut>(log, "third", VK_RETURN, true));
        bool handled = true; // dispatch starts from False
        r.dispatchShortCut(uint16_t(key), ssCtrl, handled);
        QTEST(handled, "handled");
        QTEST(log, "calls");

        log.clear();
        r.dispatchShortCut(uint16_t(key), ssCtrl | ssShift, handled);
        QVERIFY(!handled);
        QCOMPARE(log, Log({"accepts? first", "accepts? second", "accepts? third"}));
        log.clear();
    }

    void hostInterface()
    {
        Log log;
        {
            PluginRegistry r;
            TPellorinAppIntf *none = r.getAppIntf();
            QVERIFY(dynamic_cast<TDoNothingAppIntf *>(none));
            QCOMPARE(r.getAppIntf(), none); // kept
            TWQFFile *doc = reinterpret_cast<TWQFFile *>(&log); // any pointer: it must be reset
            QCOMPARE(none->GetCurrent(doc), QString());
            QCOMPARE(doc, nullptr);
            int x = 7, y = 8;
            QVERIFY(!none->GetMousePos(x, y));
            QCOMPARE(x, 0);
            QCOMPARE(y, 0);
            QList<void *> selection{&log};
            none->GetSelection(selection);
            QCOMPARE(selection.size(), 1);
            QCOMPARE(none->GetFileName(), QString());

            auto *first = new FakeIntf(log, "first");
            r.setAppIntf(std::unique_ptr<TPellorinAppIntf>(first)); // frees the do-nothing one
            QCOMPARE(r.getAppIntf(), first);
            r.setAppIntf(std::unique_ptr<TPellorinAppIntf>(first)); // the same again: nothing
            auto *second = new FakeIntf(log, "second");
            r.setAppIntf(std::unique_ptr<TPellorinAppIntf>(second));
            QCOMPARE(r.getAppIntf(), second);
            QVERIFY(log.isEmpty()); // the first stays alive for whoever still holds it
            QCOMPARE(first->GetFileName(), QStringLiteral("first"));
            r.registerPlugin(std::make_unique<FakeCheck>(log, "check"));
        }
        // Plug-ins first, then the current interface, then those it replaced.
        QCOMPARE(log, Log({"freed check", "freed second", "freed first"}));
    }

    void moduleRegistry()
    {
        QVERIFY_THROWS_EXCEPTION(ERunError, GetAppIntf());
        QVERIFY_THROWS_EXCEPTION(ERunError, RegisterPlugin(nullptr));
        initPluginRegistry();
        QVERIFY(GetNamingPlugin());
        QVERIFY(dynamic_cast<TDoNothingAppIntf *>(GetAppIntf()));
        Log log;
        RegisterPlugin(std::make_unique<FakeShortCut>(log, "s", 'L', true));
        bool handled = false;
        DispatchShortCut('L', ssCtrl, handled);
        QVERIFY(handled);
        QList<TWarningPlugin *> checks;
        GetWarningPlugins(checks);
        QVERIFY(checks.isEmpty());
        QVERIFY(GetAppDir().endsWith('/'));
        donePluginRegistry();
        QCOMPARE(log.last(), QStringLiteral("freed s"));
        QVERIFY_THROWS_EXCEPTION(ERunError, GetNamingPlugin());
    }
};

PELLORIN_TEST_CLASS(TestPluginRegistry)
#include "test_pluginregistry.moc"
