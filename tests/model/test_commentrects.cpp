#include "common/testmain.h"
#include "model/commentrects.h"

#include <QTest>
#include <limits>

namespace {
TCommentRect note(int l, int t, int r, int b, const QString &section, bool show, const QString &title,
                  const QString &text)
{
    TCommentRect n;
    n.Rect = Rect(l, t, r, b);
    n.Section = section;
    n.ShowText = show;
    n.Title = title;
    n.Text = text;
    return n;
}

CommentRectList listOf(std::initializer_list<TCommentRect> notes)
{
    CommentRectList list;
    for (const TCommentRect &n : notes)
        list.push_back(std::make_unique<TCommentRect>(n));
    return list;
}

QString describe(const TCommentRect &n)
{
    return QStringLiteral("%1,%2,%3,%4 %5 %6 [%7] [%8]")
        .arg(n.Rect.Left)
        .arg(n.Rect.Top)
        .arg(n.Rect.Right)
        .arg(n.Rect.Bottom)
        .arg(n.Section)
        .arg(n.ShowText ? 1 : 0)
        .arg(n.Title, n.Text);
}

QStringList describe(const CommentRectList &list)
{
    QStringList out;
    for (const auto &n : list)
        out << describe(*n);
    return out;
}

constexpr int kMax = std::numeric_limits<int>::max();
constexpr int kMin = std::numeric_limits<int>::min();
} // namespace

class TestCommentRects : public QObject {
    Q_OBJECT
private slots:
    void newCommentRect()
    {
        auto n = NewCommentRect("postproc", -5, 7);
        QCOMPARE(describe(*n), QString("-5,7,95,47 postproc 0 [Note] [Note text]"));
        QCOMPARE(describe(*NewCommentRect("preproc", kMax - 10, 0)),
                 QString("%1,0,%2,40 preproc 0 [Note] [Note text]").arg(kMax - 10).arg(kMax));
    }

    void write_data()
    {
        QTest::addColumn<QString>("notes");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("result");
        const QString abc = "abc\n[[@@rect 10 20 100 40 preproc 1 Note||||";
        QTest::newRow("CR LF") << "abc"
                               << "Note"
                               << "l1\r\nl2" << abc + "l1<br>l2@@]]\n";
        QTest::newRow("LF CR") << "abc"
                               << "Note"
                               << "l1\n\rl2" << abc + "l1<br>l2@@]]\n";
        QTest::newRow("lone CR") << "abc"
                                 << "Note"
                                 << "l1\rl2\r" << abc + "l1<br>l2<br>@@]]\n";
        QTest::newRow("two CR LF") << "abc"
                                   << "Note"
                                   << "l1\r\n\r\nl2" << abc + "l1<br><br>l2@@]]\n";
        QTest::newRow("CR LF then CR") << "abc"
                                       << "Note"
                                       << "a\r\n\rb" << abc + "a<br><br>b@@]]\n";
        QTest::newRow("title ending in a bar") << "abc"
                                               << "T|"
                                               << "x"
                                               << "abc\n[[@@rect 10 20 100 40 preproc 1 T| ||||x@@]]\n";
        QTest::newRow("four bars in the title")
            << "abc"
            << "a||||b&#38;"
            << "x"
            << "abc\n[[@@rect 10 20 100 40 preproc 1 a&#124;&#124;&#124;&#124;b&#38;#38;||||x@@]]\n";
        QTest::newRow("LF then CR LF") << "abc"
                                       << "Note"
                                       << "a\n\r\nb" << abc + "a<br><br>b@@]]\n";
        QTest::newRow("notes ending in LF") << "abc\n"
                                            << "Note"
                                            << "" << abc + "@@]]\n";
        QTest::newRow("no notes") << ""
                                  << "Note"
                                  << "t" << QString(abc).mid(4) + "t@@]]\n";
        QTest::newRow("title line breaks become blanks") << "abc"
                                                         << "A\r\nB\rC"
                                                         << ""
                                                         << "abc\n[[@@rect 10 20 100 40 preproc 1 A B C||||@@]]\n";
    }
    void write()
    {
        QFETCH(QString, notes);
        QFETCH(QString, title);
        QFETCH(QString, text);
        QTEST(WriteCommentRects(notes, listOf({note(10, 20, 110, 60, "preproc", true, title, text)})), "result");
    }

    void writeEmptyListAndOverflow()
    {
        QCOMPARE(WriteCommentRects("abc", {}), QString("abc"));
        QCOMPARE(WriteCommentRects("x", listOf({note(kMin, -1, kMax, kMax, "s", false, "t", "")})),
                 QString("x\n[[@@rect %1 -1 %2 %2 s 0 t||||@@]]\n").arg(kMin).arg(kMax));
    }

    void roundTrip()
    {
        const CommentRectList written = listOf({note(10, 20, 110, 60, "preproc", true, "Note", "l1\nl2"),
                                                note(-30, -5, 70, 35, "postproc", false, "Second", "")});
        const QString notes = WriteCommentRects("abc", written);
        CommentRectList read;
        QCOMPARE(ExtractCommentRects(notes, read), QString("abc\n"));
        QCOMPARE(describe(read), describe(written));
        // The free text settles after one write and read.
        CommentRectList again;
        QCOMPARE(ExtractCommentRects(WriteCommentRects("abc\n", read), again), QString("abc\n"));
        QCOMPARE(describe(again), describe(written));
    }

    // Any one-line title comes back, however its bars and references fall.
    void titleRoundTrip_data()
    {
        QTest::addColumn<QString>("title");
        for (const char *title : {"T|", "|", "||", "||||", "|||||", "a||||b", "a|||b|", "a| |", "&#124;", "&#38;#124;",
                                  "&&#38;", "x & y", "&#12", "||||&#124;|"})
            QTest::newRow(title) << QString(title);
    }
    void titleRoundTrip()
    {
        QFETCH(QString, title);
        for (const QString &text : {QString(), QString("|body"), QString("||||")}) {
            CommentRectList read;
            const QString notes = WriteCommentRects("free", listOf({note(1, 2, 3, 4, "preproc", false, title, text)}));
            QCOMPARE(ExtractCommentRects(notes, read), QString("free\n"));
            QCOMPARE(read.size(), size_t(1));
            QCOMPARE(read[0]->Title, title);
            QCOMPARE(read[0]->Text, text);
        }
    }

    void read_data()
    {
        QTest::addColumn<QString>("notes");
        QTest::addColumn<QString>("free");
        QTest::addColumn<QStringList>("read");
        QTest::newRow("two adjacent markers")
            << "a\n[[@@rect 1 2 3 4 preproc 0 T1||||x@@]][[@@rect 5 6 7 8 postproc 1 T2||||y@@]]\nb"
            << "a\nb" << QStringList{"1,2,4,6 preproc 0 [T1] [x]", "5,6,12,14 postproc 1 [T2] [y]"};
        QTest::newRow("bars in the free text") << "a||||b\n[[@@rect 1 2 3 4 preproc 0  T1 ||||x@@]]\n"
                                               << "a||||b\n"
                                               << QStringList{"1,2,4,6 preproc 0 [T1] [x]"};
        QTest::newRow("breaks in any case") << "[[@@rect 1 2 3 4 preproc 0 T||||a<BR>b<Br>c@@]]\n"
                                            << "" << QStringList{"1,2,4,6 preproc 0 [T] [a\nb\nc]"};
        QTest::newRow("a character after the marker is kept") << "[[@@rect 1 2 3 4 preproc 0 T||||@@]]x"
                                                              << "x" << QStringList{"1,2,4,6 preproc 0 [T] []"};
        QTest::newRow("CR LF after the marker") << "[[@@rect 1 2 3 4 preproc 0 T||||@@]]\r\nx"
                                                << "x" << QStringList{"1,2,4,6 preproc 0 [T] []"};
        QTest::newRow("only one line break is taken") << "[[@@rect 1 2 3 4 preproc 0 T||||@@]]\n\nx"
                                                      << "\nx" << QStringList{"1,2,4,6 preproc 0 [T] []"};
        QTest::newRow("no bars: the marker ends at its line")
            << "a\n[[@@rect 1 2 3 4 preproc 1 T\nb||||c@@]]"
            << "a\nb||||c@@]]" << QStringList{"1,2,4,6 preproc 1 [T] []"};
        QTest::newRow("no close: the text ends at its line") << "[[@@rect 1 2 3 4 preproc 0 T||||body\nnext 5"
                                                             << "next 5" << QStringList{"1,2,4,6 preproc 0 [T] [body]"};
        QTest::newRow("fields missing within the line") << "[[@@rect 7\n8 9 10"
                                                        << "8 9 10" << QStringList{"7,0,107,40 preproc 0 [] []"};
        QTest::newRow("number too big") << "[[@@rect 99999999999 2 3 4 preproc 0 T||||@@]]\n"
                                        << "" << QStringList{"0,2,3,6 preproc 0 [T] []"};
        QTest::newRow("sum clamped")
            << "[[@@rect 2147483600 -2147483600 100 -100 preproc 0 T||||@@]]\n"
            << "" << QStringList{QString("2147483600,-2147483600,%1,%2 preproc 0 [T] []").arg(kMax).arg(kMin)};
        QTest::newRow("opening is case-sensitive") << "[[@@RECT 1 2 3 4 preproc 0 T||||@@]]\n"
                                                   << "[[@@RECT 1 2 3 4 preproc 0 T||||@@]]\n"
                                                   << QStringList();
        QTest::newRow("marker without line end at the end") << "x [[@@rect"
                                                            << "x " << QStringList{"0,0,100,40 preproc 0 [] []"};
    }
    void read()
    {
        QFETCH(QString, notes);
        CommentRectList list;
        QTEST(ExtractCommentRects(notes, list), "free");
        QTEST(describe(list), "read");
    }

    void readMarkerInt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("end");
        QTest::newRow("skips to digits") << "ab 12x" << 12 << 5;
        QTest::newRow("minus right before") << " -7 " << -7 << 3;
        QTest::newRow("minus not right before") << "-x3" << 3 << 3;
        QTest::newRow("double minus") << "--5" << -5 << 3;
        QTest::newRow("leading zeros") << "007" << 7 << 3;
        QTest::newRow("no digit") << "abc" << -1 << 3;
        QTest::newRow("empty") << "" << -1 << 0;
        QTest::newRow("max") << "2147483647" << kMax << 10;
        QTest::newRow("min") << "-2147483648" << kMin << 11;
        QTest::newRow("too big") << "2147483648 5" << -1 << 10;
        QTest::newRow("far too big") << "123456789012345678901234567890" << -1 << 30;
        QTest::newRow("other digits are not digits") << "\u0663 4" << 4 << 3;
    }
    void readMarkerInt()
    {
        QFETCH(QString, text);
        qsizetype p = 0;
        QTEST(ReadMarkerInt(text, p, -1), "value");
        QTEST(int(p), "end");
    }

    void readMarkerWord_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("end");
        QTest::newRow("blanks and tabs") << " \tpostproc 1"
                                         << "postproc" << 10;
        QTest::newRow("ends at a line break") << "a\rb"
                                              << "a" << 1;
        QTest::newRow("line break first") << " \nb"
                                          << "dflt" << 1;
        QTest::newRow("empty") << "  "
                               << "dflt" << 2;
    }
    void readMarkerWord()
    {
        QFETCH(QString, text);
        qsizetype p = 0;
        QTEST(ReadMarkerWord(text, p, "dflt"), "word");
        QTEST(int(p), "end");
    }
};

PELLORIN_TEST_CLASS(TestCommentRects)
#include "test_commentrects.moc"
