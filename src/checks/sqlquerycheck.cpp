// The checks of query SQL and the prober's job.
#include "sqlquerycheck.h"

#include "base/exception.h"
#include "base/moduleslot.h"
#include "base/stringlist.h"
#include "base/textutils.h"
#include "model/filehelpers.h"
#include "model/xmldom.h"
#include "platform/childprocess.h"

#include <QFileInfo>
#include <memory>

namespace {
ModuleSlot<SQLCheckState> g_state;

bool isQuery(const QString &type) { return type == u"SELECTQUERY" || type == u"INSERTUPDATEQUERY"; }

bool isWordChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '_';
}

// Position of needle in text from from on, ASCII case ignored; -1 when none.
qsizetype indexOfNoCase(const QString &text, const QString &needle, qsizetype from)
{
    const qsizetype n = needle.size();
    for (qsizetype i = from; i + n <= text.size(); ++i) {
        qsizetype k = 0;
        while (k < n && lowCaseAscii(text[i + k].unicode()) == lowCaseAscii(needle[k].unicode()))
            ++k;
        if (k == n)
            return i;
    }
    return -1;
}

// Every match of needle, left to right and never inside a value put in; with wholeWord only
// where no letter, digit or underscore follows.
QString replaceNoCase(const QString &text, const QString &needle, const QString &value, bool wholeWord)
{
    if (needle.isEmpty())
        return text;
    QString out;
    qsizetype from = 0;
    for (qsizetype at = indexOfNoCase(text, needle, 0); at >= 0; at = indexOfNoCase(text, needle, at)) {
        const qsizetype end = at + needle.size();
        if (wholeWord && end < text.size() && isWordChar(text[end])) {
            at = at + 1;
            continue;
        }
        out += QStringView(text).mid(from, at - from);
        out += value;
        from = at = end;
    }
    out += QStringView(text).mid(from);
    return out;
}

QString dummyValue(const QString &type)
{
    if (type == u"INTEGER" || type == u"BOOLEAN")
        return QStringLiteral("0");
    if (type == u"FLOAT" || type == u"CURRENCY")
        return QStringLiteral("0.0");
    if (type == u"STRING")
        return QStringLiteral("''");
    if (type == u"DATETIME")
        return QStringLiteral("'1/1/1900'");
    return QStringLiteral("null");
}

QString firstLine(const QByteArray &bytes)
{
    for (const QString &line : splitLines(QString::fromUtf8(bytes)))
        if (!trim(line).isEmpty())
            return trim(line);
    return QString();
}

// Runs the prober on the job and waits for it at most timeoutSeconds. Its own failures
// (it could not start, was stopped, crashed, or ended with a status other than 0) raise one
// line; a status of 0 means every statement file holds its verdict.
void runProber(const QString &program, const QString &jobPath, int timeoutSeconds)
{
    // In a process group of its own, so that a time-out stops what it started as well.
    const platform::ChildRun run = platform::runChildProcess(program, {jobPath}, int64_t(timeoutSeconds) * 1000);
    if (!run.started)
        throw Exception(QStringLiteral("qverify: could not be started (%1): %2").arg(program, run.error));
    if (run.timedOut)
        throw Exception(QStringLiteral("qverify: did not end within %1 seconds and was stopped").arg(timeoutSeconds));
    if (run.crashed)
        throw Exception(QStringLiteral("qverify: crashed (%1)").arg(program));
    if (run.exitCode != 0) {
        const QString reason = firstLine(run.output);
        throw Exception(reason.isEmpty() ? QStringLiteral("qverify: ended with exit code %1").arg(run.exitCode)
                                         : reason);
    }
}

} // namespace

// The prober reads one value per line: a value that held a line break would add lines of its
// own, such as a statement file that the prober then overwrites.
QByteArray jobLine(const QString &name, const QString &value)
{
    if (value.contains(u'\n') || value.contains(u'\r'))
        throw Exception(
            QStringLiteral("qverify: the %1 value holds a line break, which the job file cannot carry; no statement "
                           "was checked")
                .arg(name));
    return (name + u'=' + value).toUtf8() + "\r\n";
}

SQLCheckState &sqlCheckState()
{
    if (!g_state)
        throw ERunError::nilReference();
    return *g_state;
}

QString ReplaceSVars(const QString &text, const QStringList &values)
{
    QString result = text;
    for (const QString &line : values) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        result = replaceNoCase(result, QStringLiteral("#S") + line.left(eq) + u'#', line.mid(eq + 1), false);
    }
    return result;
}

QString PrepareSQL(const QString &sql, const QStringList *testValues, const WQFParamList *params)
{
    QString text = testValues ? ReplaceSVars(sql, *testValues) : sql;
    text.replace(QStringLiteral("''"), QStringLiteral("'"));
    QStringList nameTypes;
    if (params)
        for (const auto &param : *params)
            if (param)
                nameTypes << param->Name + u'=' + param->Type;
    return SubstituteParams(text, nameTypes);
}

QString SubstituteParams(const QString &sql, const QStringList &nameTypes)
{
    QString text = sql;
    for (const QString &line : nameTypes) {
        const qsizetype eq = line.indexOf(u'=');
        const QString name = eq < 0 ? line : line.left(eq);
        const QString type = eq < 0 ? QString() : upperCaseAscii(trim(line.mid(eq + 1)));
        // A parameter without a name would stand for every lone colon.
        if (!name.isEmpty())
            text = replaceNoCase(text, u':' + name, dummyValue(type), true);
    }
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        if (text[i] != u':')
            continue;
        qsizetype end = i + 1;
        while (end < text.size() && isWordChar(text[end]))
            ++end;
        if (end > i + 1)
            text.replace(i, end - i, QStringLiteral("null"));
    }
    return text;
}

QString ReadMaskFile(const QString &fileName)
{
    return QFileInfo::exists(fileName) ? QString::fromUtf8(LoadFileToString(fileName)) : QString();
}

QStringList SetMasks(const QString &text)
{
    QStringList masks;
    for (const QString &line : splitLines(text))
        masks << lowerCaseAscii(line);
    return masks;
}

bool MatchesMask(const QStringList &masks, const QString &name)
{
    const QString lowered = lowerCaseAscii(name);
    for (const QString &mask : masks) {
        const QString trimmed = trim(mask);
        if (trimmed.isEmpty())
            continue;
        const bool starFirst = trimmed.front() == u'*';
        const bool starLast = trimmed.back() == u'*';
        const QString core = QString(mask).remove(u'*');
        if (starFirst && starLast && !core.isEmpty() && lowered.contains(core))
            return true;
        if (starLast && lowered.startsWith(core))
            return true;
        if (starFirst && lowered.endsWith(core))
            return true;
        if (core == lowered)
            return true;
    }
    return false;
}

// ---- TSQLParamCheck ----

QString TSQLParamCheck::GetDescription() { return QStringLiteral("Parameter #(%s) not used in query"); }

void TSQLParamCheck::CheckItem(TWQFItem *item, CheckMessageList &messages, GroupData *)
{
    if (!item)
        throw ERunError::nilReference();
    const XmlElement *values = item->ValuesNode();
    if (!isQuery(item->GetType()) || !values)
        return;
    QString query = ReplaceSVars(item->GetQuery(), sqlCheckState().TestValues);
    query.replace(QStringLiteral("''"), QStringLiteral("'"));
    query = lowerCaseAscii(query);

    QStringList names;
    for (const XmlNode *node = values->firstChildElement(QStringLiteral("param")); node; node = node->nextSibling()) {
        if (node->isText())
            continue;
        const QString name = NodeTextDef(node->firstChildElement(QStringLiteral("n")), QString());
        if (name.isEmpty())
            messages.append(
                {QStringLiteral("ERROR Missing name for SQL parameter #%1").arg(names.size() + 1), nullptr});
        else
            names << name;
    }
    for (qsizetype i = 0; i < names.size(); ++i)
        if (!query.contains(u':' + lowerCaseAscii(names[i])))
            messages.append(
                {QStringLiteral("ERROR Parameter #%1 %2 not used in query").arg(i + 1).arg(names[i]), nullptr});
}

// ---- TGroupSQLCheck ----

QString TGroupSQLCheck::GetDescription() { return QStringLiteral("(qverify) SQL Statement verification"); }

std::unique_ptr<GroupData> TGroupSQLCheck::CreateGroupData()
{
    sqlCheckState().MaskText = ReadMaskFile(maskFileName);
    return std::make_unique<SQLCollected>();
}

void TGroupSQLCheck::CheckItem(TWQFItem *item, CheckMessageList &, GroupData *data)
{
    auto *collected = dynamic_cast<SQLCollected *>(data);
    if (!item || !collected)
        throw ERunError::nilReference();
    const QString type = item->GetType();
    if (isQuery(type) || type == u"SET" || sqlCheckState().MaskText.isEmpty())
        collected->entries.push_back({QString(), item});
}

void TGroupSQLCheck::FinishGroup(bool, std::unique_ptr<GroupData> &data, CheckMessageList &messages)
{
    std::unique_ptr<GroupData> owned = std::move(data);
    auto *collected = dynamic_cast<SQLCollected *>(owned.get());
    if (!collected)
        return;
    std::vector<SQLStatementEntry> &entries = collected->entries;
    try {
        const SQLCheckState &state = sqlCheckState();
        // Every file the prober gets lies in a folder of this run alone, which goes with them
        // however the run ends.
        const RunFolder folder;
        const QStringList masks = SetMasks(state.MaskText);
        QByteArray job = jobLine(QStringLiteral("Hostname"), state.SQLHost) +
                         jobLine(QStringLiteral("Username"), state.SQLUser) +
                         jobLine(QStringLiteral("Password"), state.SQLPassword) +
                         jobLine(QStringLiteral("Database"), state.SQLDatabase);
        const size_t count = entries.size();
        for (size_t i = 0; i < count; ++i) {
            TWQFItem *item = entries[i].item;
            const QString jobName = QStringLiteral("wqf%1").arg(i);
            if (isQuery(item->GetType())) {
                WQFParamList params;
                item->GetParams(params);
                QString path;
                if (folder.saveFile(PrepareSQL(item->GetQuery(), &state.TestValues, &params).toUtf8(), path)) {
                    entries[i].path = path;
                    job += jobLine(jobName, path);
                }
                continue;
            }
            WQFParamList pairs;
            item->GetNameValueParams(pairs);
            bool first = true;
            for (const auto &pair : pairs) {
                if (!MatchesMask(masks, pair->Name))
                    continue;
                QString path;
                if (!folder.saveFile(PrepareSQL(pair->Value, &state.TestValues, nullptr).toUtf8(), path))
                    continue;
                if (first)
                    entries[i].path = path;
                else
                    entries.push_back({path, item});
                first = false;
                job += jobLine(jobName, path);
            }
        }
        QString jobPath;
        if (!folder.saveFile(job, jobPath))
            throw Exception(QStringLiteral("qverify: the job file \"%1\" could not be written").arg(jobPath));
        runProber(proberProgram, jobPath, timeoutSeconds);
        for (const SQLStatementEntry &entry : entries) {
            if (entry.path.isEmpty())
                continue;
            const QString verdict = QString::fromUtf8(folder.loadFile(entry.path));
            if (!trim(verdict).isEmpty())
                messages.append({verdict, entry.item});
        }
    } catch (const Exception &e) {
        messages.append({e.message(), nullptr});
    }
}

QString proberProgramIn(const QString &programFolder)
{
#ifdef Q_OS_WIN
    return ProgramFolder + QStringLiteral("qverify/qverify.exe");
#else
    return programFolder + QStringLiteral("qverify/qverify");
#endif
}

QString maskFileIn(const QString &programFolder) { return programFolder + QStringLiteral("plugins/qverify/mask.txt"); }

void initSQLQueryCheck(const QString &programFolder)
{
    g_state.reset(std::make_unique<SQLCheckState>());
    RegisterPlugin(std::make_unique<TSQLParamCheck>());
    auto group = std::make_unique<TGroupSQLCheck>();
    group->proberProgram = proberProgramIn(programFolder);
    group->maskFileName = maskFileIn(programFolder);
    RegisterPlugin(std::move(group));
}

void doneSQLQueryCheck() { g_state.reset(); }
