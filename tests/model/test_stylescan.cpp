#include "common/testmain.h"
#include "model/stylescan.h"

#include <QTest>
#include <limits>

Q_DECLARE_METATYPE(CharSet)
Q_DECLARE_METATYPE(Rect)

char *toString(const Rect &r)
{
    return qstrdup(QByteArray::number(r.Left) + ", " + QByteArray::number(r.Top) + ", " + QByteArray::number(r.Right) +
                   ", " + QByteArray::number(r.Bottom));
}

class TestStyleScan : public QObject {
    Q_OBJECT
private slots:
    void scanners_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qsizetype>("pos");
        QTest::addColumn<CharSet>("set");
        QTest::addColumn<bool>("until");
        QTest::addColumn<QString>("token");
        QTest::addColumn<qsizetype>("newPos");
        const CharSet semi(";");
        QTest::newRow("while digits") << "ab12cd" << qsizetype(3) << digitChars << false << "12" << qsizetype(5);
        QTest::newRow("while, empty run") << "ab12cd" << qsizetype(1) << digitChars << false << "" << qsizetype(1);
        QTest::newRow("while past end") << "ab12cd" << qsizetype(7) << digitChars << false << "" << qsizetype(7);
        QTest::newRow("while far past end") << "ab12cd" << qsizetype(99) << digitChars << false << "" << qsizetype(99);
        QTest::newRow("while at 0") << "12" << qsizetype(0) << digitChars << false << "" << qsizetype(0);
        QTest::newRow("while negative") << "12" << qsizetype(-3) << digitChars << false << "" << qsizetype(-3);
        QTest::newRow("while to the end") << "ab12" << qsizetype(3) << digitChars << false << "12" << qsizetype(5);
        QTest::newRow("while on empty text") << "" << qsizetype(1) << digitChars << false << "" << qsizetype(1);
        QTest::newRow("until ;") << "a:1;b" << qsizetype(3) << semi << true << "1" << qsizetype(4);
        QTest::newRow("until, no member") << "a:1" << qsizetype(2) << semi << true << ":1" << qsizetype(4);
        QTest::newRow("until on a member") << "a;b" << qsizetype(2) << semi << true << "" << qsizetype(2);
        QTest::newRow("until past end") << "a;b" << qsizetype(4) << semi << true << "" << qsizetype(4);
        QTest::newRow("until at last char") << "abc" << qsizetype(3) << semi << true << "c" << qsizetype(4);
        QTest::newRow("complement set") << "  x" << qsizetype(1) << ~blankChars << true << "  " << qsizetype(3);
    }
    void scanners()
    {
        QFETCH(QString, text);
        QFETCH(qsizetype, pos);
        QFETCH(CharSet, set);
        QFETCH(bool, until);
        QFETCH(QString, token);
        QFETCH(qsizetype, newPos);
        qsizetype p = pos;
        QCOMPARE(until ? TakeUntil(text, p, set) : TakeWhile(text, p, set), token);
        QCOMPARE(p, newPos);
        p = pos;
        const QByteArray bytes = text.toUtf8();
        QCOMPARE(until ? TakeUntil(bytes, p, set) : TakeWhile(bytes, p, set), token.toUtf8());
        QCOMPARE(p, newPos);
    }

    void bytesAbove127()
    {
        // UTF-8 is scanned byte by byte: "é" is two bytes, neither of them a letter.
        const QByteArray text = QString::fromUtf8("a\xc3\xa9z").toUtf8();
        qsizetype pos = 1;
        QCOMPARE(TakeWhile(text, pos, letterChars), QByteArray("a"));
        QCOMPARE(TakeUntil(text, pos, letterChars), QByteArray("\xc3\xa9"));
        QCOMPARE(pos, 4);
        const CharSet high = CharSet::range(0x80, 0xFF);
        pos = 2;
        QCOMPARE(TakeWhile(text, pos, high), QByteArray("\xc3\xa9"));
        QVERIFY(high.contains(char16_t(0xE9)));
        QVERIFY(high.contains('\xe9'));
        QVERIFY(!letterChars.contains(QChar(0xE9)));
        static_assert(blankChars.contains('\t') && !blankChars.contains('\f') && digitChars.contains(u'7'));
        QVERIFY(!high.contains(char16_t(0x1E9)));
    }

    void leadingInt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("px") << "10px" << 10;
        QTest::newRow("negative") << "-5" << -5;
        QTest::newRow("plus") << "+7pt" << 7;
        QTest::newRow("auto") << "auto" << -1;
        QTest::newRow("leading blank") << " 10" << -1;
        QTest::newRow("sign after digits") << "3-4" << -1;
        QTest::newRow("two signs") << "--3" << -1;
        QTest::newRow("sign only") << "-px" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("hex is not read") << "0x10" << 0;
        QTest::newRow("max") << "2147483647" << 2147483647;
        QTest::newRow("min") << "-2147483648" << std::numeric_limits<int>::min();
        QTest::newRow("out of range") << "2147483648px" << -1;
        QTest::newRow("decimal fraction") << "12.5px" << 12;
    }
    void leadingInt()
    {
        QFETCH(QString, text);
        QTEST(LeadingInt(text, -1), "value");
    }

    void parseStyle_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("style");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("three values") << QStringList() << "left:10px; top: 20px;width:100px"
                                      << QStringList{"left=10px", "top=20px", "width=100px"};
        QTest::newRow("blank before colon and ;")
            << QStringList() << "POSITION : absolute ;" << QStringList{"POSITION=absolute "};
        QTest::newRow("name ends at -") << QStringList() << "margin-top:5px;font-size:12px"
                                        << QStringList{"margin=5px", "font=12px"};
        QTest::newRow("underscore in name") << QStringList() << "my_x:1" << QStringList{"my_x=1"};
        QTest::newRow("leading junk") << QStringList() << ";; -left:1" << QStringList{"left=1"};
        QTest::newRow("empty value removes") << QStringList{"a=1", "left=3"} << "left:" << QStringList{"a=1"};
        QTest::newRow("no colon removes") << QStringList{"left=3"} << "left" << QStringList();
        QTest::newRow("same name replaces in place")
            << QStringList{"Left=1", "top=2"} << "LEFT:9" << QStringList{"LEFT=9", "top=2"};
        QTest::newRow("later wins") << QStringList() << "left:1;left:2" << QStringList{"left=2"};
        QTest::newRow("not cleared") << QStringList{"x=1"} << "y:2" << QStringList{"x=1", "y=2"};
        QTest::newRow("empty text") << QStringList{"x=1"} << "" << QStringList{"x=1"};
        QTest::newRow("value keeps colons and unicode") << QStringList() << QString::fromUtf8("content:a:b \xc3\xa9")
                                                        << QStringList{QString::fromUtf8("content=a:b \xc3\xa9")};
        QTest::newRow("blanks before value") << QStringList() << "top:\t\r\n 5" << QStringList{"top=5"};
    }
    void parseStyle()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, style);
        QFETCH(QStringList, after);
        StringList list(before);
        ParseStyle(style, &list);
        QCOMPARE(list.lines(), after);
        StringList fromBytes(before);
        ParseStyle(style.toUtf8(), &fromBytes);
        QCOMPARE(fromBytes.lines(), after);
        ParseStyle(style, nullptr);
    }

    void styleToRect_data()
    {
        QTest::addColumn<QString>("style");
        QTest::addColumn<Rect>("rect");
        QTest::newRow("parsed") << "left:10px; top: 20px;width:100px" << Rect(10, 20, 110, 20);
        QTest::newRow("empty") << "" << Rect(0, 0, 0, 0);
        QTest::newRow("width only") << "width:50" << Rect(0, 0, 50, 0);
        QTest::newRow("names without case") << "LEFT:1;Top:2;WIDTH:3;Height:4" << Rect(1, 2, 4, 6);
        QTest::newRow("unreadable values") << "left:auto;top:-3px;height:x" << Rect(0, -3, 0, -3);
        QTest::newRow("sum clamped") << "left:2147483000;width:2147483000;top:-2147483000;height:-2147483000"
                                     << Rect(2147483000, -2147483000, 2147483647, std::numeric_limits<int>::min());
    }
    void styleToRect()
    {
        QFETCH(QString, style);
        StringList list;
        ParseStyle(style, &list);
        QTEST(StyleToRect(list), "rect");
    }
};

PELLORIN_TEST_CLASS(TestStyleScan)
#include "test_stylescan.moc"
