#include "base/mathutils.h"
#include "base/rect.h"
#include "base/textutils.h"
#include "common/testmain.h"

#include <QTest>

class TestTextUtils : public QObject {
    Q_OBJECT
private slots:
    void trims_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("both");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("right");
        QTest::newRow("controls") << QString("\x01\t a b\r\n") << "a b"
                                  << "a b\r\n"
                                  << QString("\x01\t a b");
        QTest::newRow("nbsp stays") << QStringView(u"\u00A0x\u00A0").toString()
                                    << QStringView(u"\u00A0x\u00A0").toString()
                                    << QStringView(u"\u00A0x\u00A0").toString()
                                    << QStringView(u"\u00A0x\u00A0").toString();
        QTest::newRow("empty") << ""
                               << ""
                               << ""
                               << "";
        QTest::newRow("blank only") << "   "
                                    << ""
                                    << ""
                                    << "";
    }
    void trims()
    {
        QFETCH(QString, in);
        QTEST(trim(in), "both");
        QTEST(trimLeft(in), "left");
        QTEST(trimRight(in), "right");
    }

    void strToInt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "42" << true << 42;
        QTest::newRow("leading blank and tab") << " \t7" << true << 7;
        QTest::newRow("trailing blank") << "7 " << false << 0;
        QTest::newRow("sign") << "-12" << true << -12;
        QTest::newRow("plus") << "+5" << true << 5;
        QTest::newRow("hex dollar") << "$ff" << true << 255;
        QTest::newRow("hex 0x") << "0x10" << true << 16;
        QTest::newRow("hex x") << "x1F" << true << 31;
        QTest::newRow("binary") << "%101" << true << 5;
        QTest::newRow("octal") << "&17" << true << 15;
        QTest::newRow("hex wraps") << "$FFFFFFFF" << true << -1;
        QTest::newRow("max") << "2147483647" << true << 2147483647;
        QTest::newRow("min") << "-2147483648" << true << int(-2147483648LL);
        QTest::newRow("too big") << "2147483648" << false << 0;
        QTest::newRow("digits then letters") << "12ab" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("sign only") << "-" << false << 0;
        QTest::newRow("digit above base") << "%12" << false << 0;
        QTest::newRow("leading zeros") << "007" << true << 7;
    }
    void strToInt()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, value);
        int v = -99;
        QCOMPARE(tryStrToInt(text, v), ok);
        QCOMPARE(strToIntDef(text, -99), ok ? value : -99);
    }

    void decimalToInt()
    {
        int v = 0;
        QVERIFY(tryDecimalToInt(u"012", v) && v == 12);
        QVERIFY(tryDecimalToInt(u"-1", v) && v == -1);
        QVERIFY(tryDecimalToInt(u"999999999", v) && v == 999999999);
        for (const char16_t *text : {u"$ff", u"0x10", u" 7", u"7 ", u"", u"-", u"2147483648", u"A1"})
            QVERIFY2(!tryDecimalToInt(text, v), QString::fromUtf16(text).toUtf8());
    }

    void asciiCase()
    {
        QCOMPARE(upperCaseAscii(u"preproc \u00e9"), QStringView(u"PREPROC \u00e9").toString());
        QCOMPARE(lowerCaseAscii(u"DIV \u00c9"), QStringView(u"div \u00c9").toString());
        QVERIFY(sameTextAscii(u"PreProc", u"PREPROC"));
        QVERIFY(!sameTextAscii(u"\u00e9", u"\u00c9"));
        QVERIFY(compareTextAscii(u"a", u"B") < 0);
        QVERIFY(compareTextAscii(u"ab", u"A") > 0);
    }

    void rounding_data()
    {
        QTest::addColumn<double>("v");
        QTest::addColumn<int>("r");
        QTest::newRow("92.5") << 92.5 << 92;
        QTest::newRow("97.5") << 97.5 << 98;
        QTest::newRow("-0.5") << -0.5 << 0;
        QTest::newRow("-1.5") << -1.5 << -2;
        QTest::newRow("huge") << 1e12 << 2147483647;
    }
    void rounding()
    {
        QFETCH(double, v);
        QTEST(roundToInt(v), "r");
    }

    void checkedArithmetic()
    {
        QCOMPARE(clampedAdd(2147483647, 1), 2147483647);
        QCOMPARE(clampedSub(-2147483647, 5), int(-2147483648LL));
        QCOMPARE(checkedAdd(2, 3), 5);
        QVERIFY_THROWS_EXCEPTION(ERunError, checkedAdd(2147483647, 1));
        try {
            checkedMul(65536, 65536);
            QFAIL("no overflow raised");
        } catch (const ERunError &e) {
            QCOMPARE(e.message(), QString("Arithmetic overflow"));
        }
        const Rect r = Rect::fromSize(2147483600, 0, 100, 10);
        QCOMPARE(r.Right, 2147483647);
        QCOMPARE(Rect(1, 2, 11, 22).width(), 10);
        QVERIFY(Rect(0, 0, 10, 10).contains(9, 9));
        QVERIFY(!Rect(0, 0, 10, 10).contains(10, 5));
    }
};

PELLORIN_TEST_CLASS(TestTextUtils)
#include "test_textutils.moc"
