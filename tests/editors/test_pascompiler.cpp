#include "common/testmain.h"
#include "common/testutil.h"
#include "editors/pascompiler.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {
// Each source as name, a mark for fragments and its text.
QStringList units()
{
    QStringList out;
    for (const auto &unit : PascalUnits())
        out << unit->Name + (unit->IsFragment ? " fragment: " : ": ") + unit->Source;
    return out;
}
} // namespace

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

    // Units first, then the two kinds of fragment, each once and in listing order; blank
    // files and entries that are no files are left out.
    void loadUnits()
    {
        QTemporaryDir dir;
        using pellorin_test::writeBytes;
        writeBytes(dir.filePath("helpers.pasfn"), "function Twice(X: Integer): Integer;");
        writeBytes(dir.filePath("Orders.PAS"), "unit Orders;");
        writeBytes(dir.filePath("base.pascls"), "type TBase = class end;");
        writeBytes(dir.filePath("blank.pas"), " \r\n\t\r\n");
        writeBytes(dir.filePath("empty.pascls"), "");
        writeBytes(dir.filePath("a.pas"), "unit A;");
        writeBytes(dir.filePath("a.pas.bak"), "old");
        writeBytes(dir.filePath("notes.txt"), "text");
        QVERIFY(QDir(dir.path()).mkdir("folder.pas"));
        LoadUnits(dir.path());
        QCOMPARE(units(),
                 QStringList({"a: unit A;", "orders: unit Orders;", "base.pascls fragment: type TBase = class end;",
                              "helpers.pasfn fragment: function Twice(X: Integer): Integer;"}));
        // Each load replaces the list.
        LoadUnits(dir.path() + "/missing");
        QCOMPARE(units(), QStringList());
    }
};

PELLORIN_TEST_CLASS(TestPasCompiler)
#include "test_pascompiler.moc"
