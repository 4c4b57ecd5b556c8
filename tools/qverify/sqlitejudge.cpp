// SQLite opened read-only; statements compiled, never stepped.
#include "sqlitejudge.h"

#include "failure.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace {
const QString kConnection = QStringLiteral("qverify");

QSqlDatabase database() { return QSqlDatabase::database(kConnection, false); }

// The database's own message, else the driver's without its class name.
QString oneLine(const QSqlError &error)
{
    // SQLite refuses a second statement with no error of its own ("not an error").
    // A token it quotes may hold line breaks of either kind.
    const QString own = error.databaseText().trimmed();
    if (!own.isEmpty() && own != u"not an error")
        return own.section(QRegularExpression(QStringLiteral("[\r\n]")), 0, 0);
    QString text = error.driverText();
    if (const qsizetype colon = text.indexOf(QStringLiteral(": ")); text.startsWith(u'Q') && colon > 0)
        text = text.mid(colon + 2);
    return text.isEmpty() ? QStringLiteral("the database refused the statement") : text;
}
} // namespace

SqliteJudge::SqliteJudge(const QString &path)
{
    if (path.isEmpty())
        fail(QStringLiteral("no database given (Database= is empty)"));
    // Opening a missing file would create an empty database and refuse every table.
    if (!QFileInfo(path).isFile())
        fail(QStringLiteral("the SQLite database \"%1\" does not exist").arg(path));
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        fail(QStringLiteral("the Qt SQL driver QSQLITE is not installed (package libqt6sql6-sqlite)"));
    QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnection);
    d.setDatabaseName(path);
    d.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (!d.open())
        fail(QStringLiteral("cannot open the SQLite database \"%1\": %2").arg(path, oneLine(d.lastError())));
    // A file that is not a database opens all the same; the first read tells.
    QSqlQuery probe(d);
    if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
        fail(QStringLiteral("cannot read the SQLite database \"%1\": %2").arg(path, oneLine(probe.lastError())));
}

SqliteJudge::~SqliteJudge() { QSqlDatabase::removeDatabase(kConnection); }

QString SqliteJudge::verdict(const QString &, const SqlShape &shape)
{
    // Compiling names every table and column; the driver refuses a text that goes on past
    // its first statement. Without the blanks, comments and semicolons after the last
    // statement, a trailing note is not taken for a second statement.
    QSqlQuery query(database());
    return query.prepare(shape.body) ? QString() : oneLine(query.lastError());
}
