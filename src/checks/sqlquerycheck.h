#pragma once
// The checks of the SQL of query components: the stored parameters against the query text,
// and every statement of the page judged by the statement prober "qverify" on a test
// database. Both first put the test values in place of the #S variables.
#include "model/wqftypes.h"
#include "pellorinplugin.h"

#include <QString>
#include <QStringList>

// What the prober is told and the #S test values, from initSQLQueryCheck to
// doneSQLQueryCheck. The SQL Settings window fills and edits them.
struct SQLCheckState {
    QString SQLHost;
    QString SQLUser;
    QString SQLPassword; // as typed, in plain text
    QString SQLDatabase;
    // name=value lines: the name is the text before the first "=".
    QStringList TestValues;
    // The mask file's text, read again at every full check.
    QString MaskText;
};
// Raises "Object reference is Nil" outside the module's time.
SQLCheckState &sqlCheckState();

// Every "#S" + name + "#" of text, ASCII case ignored, replaced by the value, line by line in
// order. A line without "=" names nothing.
QString ReplaceSVars(const QString &text, const QStringList &values);
// The statement as the prober gets it: test values (when given), "''" made "'", the stored
// parameters (when given) and every other parameter replaced by dummy values.
QString PrepareSQL(const QString &sql, const QStringList *testValues, const WQFParamList *params);
// nameTypes: name=type lines. Each ":" + name, ASCII case ignored and not followed by a
// letter, digit or underscore, becomes the dummy value of its type; then every remaining
// ":" + word becomes null, strings included.
QString SubstituteParams(const QString &sql, const QStringList &nameTypes);
// One line of the prober's job file, name=value and CR LF; raises Exception for a value that
// holds a line break.
QByteArray jobLine(const QString &name, const QString &value);
// The whole file; empty when it does not exist.
QString ReadMaskFile(const QString &fileName);
// The lines of text, lower-cased.
QStringList SetMasks(const QString &text);
// A mask is a name with an optional "*" at its start and/or end; blank lines are skipped.
bool MatchesMask(const QStringList &masks, const QString &name);

// Parameters stored with a query that its text does not use, and parameters without a name.
class TSQLParamCheck : public TWarningPlugin {
public:
    QString className() const override { return QStringLiteral("TSQLParamCheck"); }
    QString GetDescription() override;
    void CheckItem(TWQFItem *item, CheckMessageList &messages, GroupData *data) override;
};

// One component's statement file, or a component collected without one (empty path).
struct SQLStatementEntry {
    QString path;
    TWQFItem *item = nullptr;
};

class SQLCollected : public GroupData {
public:
    std::vector<SQLStatementEntry> entries;
};

// Full check only: every statement of the page goes to its own file, all of them to the
// prober in one job, and what the prober wrote back into a file becomes the line of its
// component. The job file holds the password: every file of a run is created readable by its
// owner only, in a folder made for that run alone, and removed with it on every path.
class TGroupSQLCheck : public TWarningPlugin {
public:
    QString className() const override { return QStringLiteral("TGroupSQLCheck"); }
    QString GetDescription() override;
    bool InQuickCheck() override { return false; }
    bool NeedsGroupData() override { return true; }
    std::unique_ptr<GroupData> CreateGroupData() override;
    void CheckItem(TWQFItem *item, CheckMessageList &messages, GroupData *data) override;
    void FinishGroup(bool flag, std::unique_ptr<GroupData> &data, CheckMessageList &messages) override;

    // Started as a program with the job file as its one argument, never through a shell.
    QString proberProgram;
    QString maskFileName;
    // A prober still running then is killed, and the run gives one line saying so.
    int timeoutSeconds = 120;
};

// The prober and the mask file of the program in programFolder (ending with "/").
QString proberProgramIn(const QString &programFolder);
QString maskFileIn(const QString &programFolder);

// Creates the state and registers TSQLParamCheck, then TGroupSQLCheck, with the prober and
// the mask file of programFolder (ending with "/").
void initSQLQueryCheck(const QString &programFolder);
void doneSQLQueryCheck();
