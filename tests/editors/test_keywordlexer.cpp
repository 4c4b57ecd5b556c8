#include "common/testmain.h"
#include "editors/keywordlexer.h"

#include <Qsci/qsciscintilla.h>

#include <QTest>

namespace {
using S = KeywordScanner;

KeywordScanner scriptScanner()
{
    KeywordScanner scanner;
    scanner.setWords({"VAR", "IF", "RETURN", "FUNCTION"}, {"NULL"}, {"MATH", "$"});
    return scanner;
}

// Runs as "style:text" pieces, which read better in a failure than lengths.
QStringList pieces(const QByteArray &text, const std::vector<KeywordRun> &runs)
{
    static const char *names[] = {"-", "comment", "keyword", "constant", "object", "number", "string"};
    QStringList list;
    int at = 0;
    for (const KeywordRun &r : runs) {
        list << QString("%1:%2").arg(names[r.style], QString::fromUtf8(text.mid(at, r.length)));
        at += r.length;
    }
    return list;
}
} // namespace

class TestKeywordLexer : public QObject {
    Q_OBJECT
private slots:
    void scan_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("runs");
        QTest::newRow("keywords in any case")
            << QByteArray("var x If return")
            << QStringList{"keyword:var", "-: x ", "keyword:If", "-: ", "keyword:return"};
        // Every printable character belongs to a word: "if(" is no keyword.
        QTest::newRow("words end at blanks only")
            << QByteArray("if(a) alert(\"x\")") << QStringList{"-:if(a) alert(\"x\")"};
        QTest::newRow("constant and objects")
            << QByteArray("null Math.max $") << QStringList{"constant:null", "-: Math.max ", "object:$"};
        QTest::newRow("number") << QByteArray("x = 42; 5px")
                                << QStringList{"-:x = ", "number:42;", "-: ", "number:5px"};
        QTest::newRow("line comment") << QByteArray("var a // var b\nvar")
                                      << QStringList{"keyword:var", "-: a ", "comment:// var b", "-:\n", "keyword:var"};
        QTest::newRow("block comment") << QByteArray("/* if */ if")
                                       << QStringList{"comment:/* if */", "-: ", "keyword:if"};
        QTest::newRow("strings") << QByteArray("'a b' \"if\" 'open\nif")
                                 << QStringList{"string:'a b'", "-: ",  "string:\"if\"", "-: ",
                                                "string:'open", "-:\n", "keyword:if"};
        QTest::newRow("inside a word") << QByteArray("a//b x'y'") << QStringList{"-:a//b x'y'"};
        QTest::newRow("non-ASCII") << QByteArray("var \xc3\xa9t\xc3\xa9")
                                   << QStringList{"keyword:var", "-: \xc3\xa9t\xc3\xa9"};
    }
    void scan()
    {
        QFETCH(QByteArray, text);
        bool inComment = false;
        const KeywordScanner scanner = scriptScanner();
        QTEST(pieces(text, scanner.scan(text, inComment)), "runs");
        QVERIFY(!inComment);
    }

    void commentAcrossLines()
    {
        const KeywordScanner scanner = scriptScanner();
        bool inComment = false;
        QCOMPARE(pieces("if /* open", scanner.scan("if /* open", inComment)),
                 QStringList({"keyword:if", "-: ", "comment:/* open"}));
        QVERIFY(inComment);
        QCOMPARE(pieces("still var", scanner.scan("still var", inComment)), QStringList({"comment:still var"}));
        QVERIFY(inComment);
        QCOMPARE(pieces("end */ var", scanner.scan("end */ var", inComment)),
                 QStringList({"comment:end */", "-: ", "keyword:var"}));
        QVERIFY(!inComment);
    }

    void styleInEditor()
    {
        QsciScintilla editor;
        auto *lexer = new KeywordLexer(&editor);
        lexer->scanner() = scriptScanner();
        editor.setLexer(lexer);
        editor.setText("var a\n/* x\nif */ if\n'q'");
        editor.SendScintilla(QsciScintilla::SCI_COLOURISE, 0L, -1L);
        auto styleAt = [&editor](int line, int index) {
            return int(
                editor.SendScintilla(QsciScintilla::SCI_GETSTYLEAT, long(editor.positionFromLineIndex(line, index))));
        };
        QCOMPARE(styleAt(0, 0), int(S::Keyword));
        QCOMPARE(styleAt(0, 4), int(S::Default));
        QCOMPARE(styleAt(1, 3), int(S::Comment));
        QCOMPARE(styleAt(2, 0), int(S::Comment)); // the comment goes on from the line before
        QCOMPARE(styleAt(2, 6), int(S::Keyword));
        QCOMPARE(styleAt(3, 1), int(S::String));

        // Closing the comment on its first line restyles what follows.
        editor.insertAt("*/", 1, 4);
        editor.SendScintilla(QsciScintilla::SCI_COLOURISE, 0L, -1L);
        QCOMPARE(styleAt(2, 0), int(S::Keyword));
        QCOMPARE(lexer->description(S::String), QString("String"));
        QCOMPARE(lexer->defaultColor(S::Comment), QColor(128, 128, 128));
        QCOMPARE(lexer->defaultColor(S::Number), QColor(0, 128, 0));
        QCOMPARE(lexer->defaultColor(S::String), QColor(0, 0, 128));
    }
};

PELLORIN_TEST_CLASS(TestKeywordLexer)
#include "test_keywordlexer.moc"
