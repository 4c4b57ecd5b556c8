#include "common/testmain.h"
#include "editors/pascompiler.h"

#include <QTest>

class TestPasCompiler : public QObject {
    Q_OBJECT
private slots:
    void parseErrorLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::newRow("row and column") << "[Error] (12,5) Identifier not found" << true << 12 << 5;
        QTest::newRow("text before") << "preproc 4: [Error] (12,5) x" << true << 12 << 5;
        QTest::newRow("tab and CR between") << "[Error]\t\r(7 : 9)" << true << 7 << 9;
        QTest::newRow("no column") << "[Error](3) missing semicolon" << true << 3 << 0;
        QTest::newRow("no row") << "[Error] (,4)" << true << 0 << 4;
        QTest::newRow("row too large") << "[Error] (99999999999,4)" << true << 0 << 4;
        QTest::newRow("word between") << "[Error] at (3,4)" << false << 0 << 0;
        QTest::newRow("no marker") << "Error (3,4)" << false << 0 << 0;
        QTest::newRow("case counts") << "[error] (3,4)" << false << 0 << 0;
        QTest::newRow("no parenthesis") << "[Error] 3,4" << false << 0 << 0;
        QTest::newRow("parenthesis before") << "x(1) [Error] (3,4)" << false << 0 << 0;
    }
    void parseErrorLine()
    {
        QFETCH(QString, line);
        QFETCH(bool, ok);
        QFETCH(int, row);
        QFETCH(int, col);
        int c = -1, r = -1;
        QCOMPARE(ParseErrorLine(line, c, r), ok);
        QCOMPARE(r, row);
        QCOMPARE(c, col);
    }
};

PELLORIN_TEST_CLASS(TestPasCompiler)
#include "test_pascompiler.moc"
