#include "base/exception.h"
#include "common/testmain.h"
#include "platform/slotguard.h"

#include <QTest>

namespace {
class Sender : public QObject {
    Q_OBJECT
signals:
    void fired();
};
} // namespace

class TestSlotGuard : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { setGuardHandler(nullptr); }

    void handlerSeesTheException()
    {
        QStringList handled;
        setGuardHandler([&] { handled << currentExceptionMessage(); });
        int after = 0;
        Sender sender;
        connect(&sender, &Sender::fired, guarded([] { throw ERunError::rangeCheck(); }));
        connect(&sender, &Sender::fired, [&] { ++after; });
        emit sender.fired();
        QCOMPARE(handled, QStringList{"Range check error"});
        // The signal went on to the next slot.
        QCOMPARE(after, 1);
        runGuarded([] {});
        QCOMPARE(handled.size(), 1);
    }

    void withoutHandlerTheSlotReturns()
    {
        QTest::ignoreMessage(QtWarningMsg, "unhandled exception in a slot: no more processes");
        int ran = 0;
        runGuarded([&] {
            ++ran;
            throw Exception("no more processes");
        });
        QCOMPARE(ran, 1);
    }
};

PELLORIN_TEST_CLASS(TestSlotGuard)
#include "test_slotguard.moc"
