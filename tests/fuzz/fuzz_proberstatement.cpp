// A statement file, as the prober reads and judges it. Its shape, in both dialects, is a
// beginning of the text that takes the same shape again and holds the word it begins with. The SQLite judge gives one line, empty for an accepted
// statement, and never changes the test database, whatever the statement asks.
#include "fuzzcheck.h"
#include "sqlitejudge.h"
#include "sqlshape.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <cstdio>

namespace {

const QString kDatabase = fuzz::scratchDir() + QStringLiteral("customer_orders.sqlite");

// The sample page's test database, built as the program's build builds it.
void buildDatabase()
{
    const auto failed = [](const QString &why) {
        std::fprintf(stderr, "cannot build the test database: %s\n", qPrintable(why));
        std::abort();
    };
    QFile script(QStringLiteral(PELLORIN_SAMPLE_SQL));
    if (!script.open(QIODevice::ReadOnly))
        failed(script.errorString());
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("build"));
        db.setDatabaseName(kDatabase);
        if (!db.open())
            failed(db.lastError().text());
        QSqlQuery query(db);
        // Without its comment lines the script's statements hold no ";" of their own.
        QString text;
        for (const QString &line : QString::fromUtf8(script.readAll()).split(u'\n'))
            if (!line.startsWith(QStringLiteral("--")))
                text += line + u'\n';
        for (const QString &statement : text.split(u';'))
            if (!statement.trimmed().isEmpty() && !query.exec(statement))
                failed(query.lastError().text());
    }
    QSqlDatabase::removeDatabase(QStringLiteral("build"));
}

// What tells a changed database file: its size, its time of change and its bytes.
QByteArray databaseState()
{
    const QFileInfo info(kDatabase);
    QFile file(kDatabase);
    file.open(QIODevice::ReadOnly);
    return QByteArray::number(info.size()) + ' ' + QByteArray::number(info.lastModified().toMSecsSinceEpoch()) + ' ' +
           file.readAll();
}

QByteArray g_state;
// Lives as long as the process: the database drivers go before static objects would.
SqliteJudge *g_judge = nullptr;

void checkShape(const QString &text, SqlDialect dialect)
{
    const SqlShape shape = shapeOf(text, dialect);
    FUZZ_CHECK(text.startsWith(shape.body), "the shape's body begins the text");
    const SqlShape again = shapeOf(shape.body, dialect);
    FUZZ_CHECK(again.body == shape.body && again.firstWord == shape.firstWord,
               "the body has the same shape: \"" + fuzz::escaped(shape.body) + "\" then \"" +
                   fuzz::escaped(again.body) + '"');
    FUZZ_CHECK(shape.body.isEmpty() == shape.firstWord.isEmpty(),
               "a statement has a first word exactly when it has a body");
    // A word upper-cased, any other token by its first character.
    FUZZ_CHECK(shape.body.toUpper().contains(shape.firstWord) || shape.body.contains(shape.firstWord),
               "the first word is in the body: " + shape.firstWord);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::startGuiApplication(); // the database drivers need the application
    buildDatabase();
    g_judge = new SqliteJudge(kDatabase);
    g_state = databaseState();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::Input input(data, size);
    // As the prober reads a statement file.
    const QString statement = QString::fromUtf8(input.bytes());
    checkShape(statement, SqlDialect::SQLite);
    checkShape(statement, SqlDialect::PostgreSQL);
    if (statement.contains(QChar(0)))
        return 0;
    const SqlShape shape = shapeOf(statement, SqlDialect::SQLite);
    if (shape.body.isEmpty())
        return 0;
    const QString verdict = g_judge->verdict(statement, shape);
    FUZZ_CHECK(!verdict.contains(u'\n') && !verdict.contains(u'\r'),
               "a verdict is one line: " + fuzz::escaped(verdict));
    FUZZ_CHECK(databaseState() == g_state, "the test database never changes");
    return 0;
}
