#include "common/testmain.h"
#include "platform/keys.h"

#include <QKeyEvent>
#include <QTest>

class TestKeys : public QObject {
    Q_OBJECT
private slots:
    void virtualKeys_data()
    {
        QTest::addColumn<int>("qtKey");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("vk");
        const int none = Qt::NoModifier, keypad = Qt::KeypadModifier, shift = Qt::ShiftModifier;
        QTest::newRow("return") << int(Qt::Key_Return) << none << 13;
        QTest::newRow("keypad enter") << int(Qt::Key_Enter) << keypad << 13;
        QTest::newRow("left") << int(Qt::Key_Left) << none << 37;
        QTest::newRow("up") << int(Qt::Key_Up) << none << 38;
        QTest::newRow("right") << int(Qt::Key_Right) << none << 39;
        QTest::newRow("down") << int(Qt::Key_Down) << none << 40;
        QTest::newRow("delete") << int(Qt::Key_Delete) << none << 46;
        QTest::newRow("apostrophe") << int(Qt::Key_Apostrophe) << none << 222;
        QTest::newRow("shifted apostrophe") << int(Qt::Key_QuoteDbl) << shift << 222;
        QTest::newRow("letter") << int(Qt::Key_Q) << none << int('Q');
        QTest::newRow("digit") << int(Qt::Key_7) << none << int('7');
        QTest::newRow("shifted digit") << int(Qt::Key_Exclam) << shift << int('1');
        QTest::newRow("keypad digit") << int(Qt::Key_7) << keypad << 103;
        QTest::newRow("keypad minus") << int(Qt::Key_Minus) << keypad << 109;
        QTest::newRow("minus") << int(Qt::Key_Minus) << none << 189;
        QTest::newRow("f5") << int(Qt::Key_F5) << none << 116;
        QTest::newRow("tab") << int(Qt::Key_Tab) << none << 9;
        QTest::newRow("backtab") << int(Qt::Key_Backtab) << shift << 9;
        QTest::newRow("unknown") << int(Qt::Key_VolumeUp) << none << 0;
    }
    void virtualKeys()
    {
        QFETCH(int, qtKey);
        QFETCH(int, modifiers);
        QTEST(int(platform::virtualKeyFromQt(qtKey, Qt::KeyboardModifiers(modifiers))), "vk");
        const QKeyEvent event(QEvent::KeyPress, qtKey, Qt::KeyboardModifiers(modifiers));
        QTEST(int(platform::virtualKeyFromEvent(event)), "vk");
    }

    void shiftState()
    {
        using platform::shiftStateFromQt;
        QCOMPARE(shiftStateFromQt(Qt::ControlModifier), TShiftState(ssCtrl));
        QCOMPARE(shiftStateFromQt(Qt::ControlModifier | Qt::ShiftModifier), ssShift | ssCtrl);
        QCOMPARE(shiftStateFromQt(Qt::AltModifier | Qt::KeypadModifier), TShiftState(ssAlt));
        // "Exactly Ctrl" must fail while another modifier or a mouse button is down.
        QVERIFY(shiftStateFromQt(Qt::ControlModifier | Qt::MetaModifier) != TShiftState(ssCtrl));
        const TShiftState withButton = shiftStateFromQt(Qt::ControlModifier, Qt::LeftButton | Qt::MiddleButton);
        QCOMPARE(withButton, ssCtrl | ssLeft | ssMiddle);
        QVERIFY(withButton.testFlag(ssCtrl));
        QCOMPARE(shiftStateFromQt(Qt::NoModifier, Qt::RightButton), TShiftState(ssRight));
        QCOMPARE(shiftStateFromQt(Qt::NoModifier), TShiftState());
    }

    // A key event's state: its modifiers, the keypad flag dropped; no button is down here.
    void shiftStateOfAnEvent()
    {
        const QKeyEvent ctrlEnter(QEvent::KeyPress, Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
        QCOMPARE(platform::shiftStateFromEvent(ctrlEnter), TShiftState(ssCtrl));
        const QKeyEvent altShift(QEvent::KeyPress, Qt::Key_Right, Qt::AltModifier | Qt::ShiftModifier);
        QCOMPARE(platform::shiftStateFromEvent(altShift), ssAlt | ssShift);
        const QKeyEvent plain(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
        QCOMPARE(platform::shiftStateFromEvent(plain), TShiftState());
    }
};

PELLORIN_TEST_CLASS(TestKeys)
#include "test_keys.moc"
