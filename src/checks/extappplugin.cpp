// External check programs named by plugins/*.ini.
#include "extappplugin.h"

#include "appgui.h"
#include "base/exception.h"
#include "base/inifile.h"
#include "base/stringlist.h"
#include "base/textutils.h"
#include "editors/wqfdrawutils.h"
#include "model/filehelpers.h"
#include "model/wqftypes.h"
#include "platform/appdirs.h"
#include "platform/childprocess.h"
#include "platform/folderlist.h"
#include "platform/paths.h"
#include "platform/prompter.h"
#include "platform/slotguard.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <unordered_map>

namespace {
const QString kFileNameField = QStringLiteral("%filename%");
const QString kSectionField = QStringLiteral("%section%");
const QString kMain = QStringLiteral("Main");

// Every occurrence of field (lower case), matched by ASCII rules without case.
QString replaceField(const QString &text, const QString &field, const QString &value)
{
    const QString lower = lowerCaseAscii(text);
    QString out;
    qsizetype from = 0;
    for (qsizetype at = lower.indexOf(field); at >= 0; at = lower.indexOf(field, from)) {
        out += QStringView(text).mid(from, at - from);
        out += value;
        from = at + field.size();
    }
    out += QStringView(text).mid(from);
    return out;
}

// The group data nothing reads: the plug-in asks for it only to be told when a run ends.
class UnreadGroupData : public GroupData {};

QString outputCutReason(const QString &name)
{
    const platform::ChildOutputLimit limit;
    return QStringLiteral("Plugin output cut at %1 lines or %2 MB: ").arg(limit.lines).arg(limit.bytes >> 20) + name;
}

// What one run came to, beyond the answer.
struct RunOutcome {
    bool ran = false;
    bool started = false;
    QString reason;
};

RunOutcome runExternal(TExtAppWarnPlugin *plugin, TWQFFile *doc, CheckMessageList *messages,
                       std::unique_ptr<TWQFFile> *updated)
{
    RunOutcome outcome;
    if (!plugin || plugin->Cmd.isEmpty() || !doc) {
        outcome.reason = QStringLiteral("No page is open");
        return outcome;
    }
    const auto failed = [&](const QString &reason) {
        outcome.reason = QStringLiteral("Plugin call failed: ") + plugin->Name + QStringLiteral(": ") + reason;
        if (messages)
            messages->append(CheckMessage{outcome.reason, nullptr});
        return outcome;
    };
    try {
        // Made exclusively, for its owner only, in a folder of this run alone, and written
        // through the handle that made it, never by its name; the folder goes with the run,
        // whatever happens.
        const RunFolder folder;
        QString copy;
        const std::unique_ptr<QFile> file = folder.newFile(copy);
        if (!doc->SaveToStream(*file, {}))
            return failed(doc->LastError());
        if (!file->flush())
            return failed(file->errorString());
        file->close();

        // Without a program of its own the command would run the appended copy.
        if (QProcess::splitCommand(plugin->Cmd).isEmpty())
            return failed(QStringLiteral("No program named"));
        const TEditContext context{copy, CallGetCurrentSectionName()};
        QStringList command = BuildCommandLine(plugin->Cmd, context);
        QString program = command.takeFirst();
        if (!QDir::isAbsolutePath(program))
            program = plugin->folder + program;
        const platform::ChildRun run = platform::runChildProcess(program, command, plugin->Timeout);
        if (!run.started)
            return failed(run.error);
        outcome.started = true;

        const QString stopped = run.timedOut ? QStringLiteral("Plugin call timed out: ") + plugin->Name
                                : run.cut    ? outputCutReason(plugin->Name)
                                             : QString();
        if (!stopped.isEmpty() && messages)
            messages->append(CheckMessage{QStringLiteral("WARN ") + stopped, nullptr});
        if (messages)
            emitPluginOutput(plugin, doc, *messages, run.output);
        // A stopped program may have left its copy half-written.
        if (!stopped.isEmpty()) {
            outcome.reason = stopped;
            return outcome;
        }

        if (updated) {
            auto rewritten = std::make_unique<TWQFFile>();
            const std::unique_ptr<QFile> rewrittenCopy = folder.openFile(copy, outcome.reason);
            if (!rewrittenCopy)
                return outcome;
            if (!rewritten->LoadFromStream(*rewrittenCopy, {})) {
                outcome.reason = rewritten->LastError();
                return outcome;
            }
            // The page stays the file it was, with its guard against overwriting.
            rewritten->SetFileName(doc->FileName());
            rewritten->OnReadOnly = doc->OnReadOnly;
            *updated = std::move(rewritten);
        }
        outcome.ran = true;
    } catch (const std::exception &) {
        return failed(currentExceptionMessage());
    }
    return outcome;
}
} // namespace

TExtAppWarnPlugin::~TExtAppWarnPlugin() { delete m_menuItem.data(); }

std::unique_ptr<GroupData> TExtAppWarnPlugin::CreateGroupData() { return std::make_unique<UnreadGroupData>(); }

void TExtAppWarnPlugin::FinishGroup(bool, std::unique_ptr<GroupData> &data, CheckMessageList &) { data.reset(); }

void TExtAppWarnPlugin::CheckFile(TWQFFile *doc, CheckMessageList &messages) { RunExternal(this, doc, &messages); }

void TExtAppWarnPlugin::setMenuItem(QAction *item)
{
    m_menuItem = item;
    if (item)
        QObject::connect(item, &QAction::triggered, item, guarded([this] { RunFromMenu(); }));
}

QAction *TExtAppWarnPlugin::menuItem() const { return m_menuItem; }

void TExtAppWarnPlugin::RunFromMenu()
{
    // The copy must hold what the window shows, typed since the last save included.
    callStoreViewTexts();
    TWQFFile *doc = CallGetCurrentDoc();
    if (!doc)
        return;
    std::unique_ptr<TWQFFile> rewritten;
    const RunOutcome outcome = runExternal(this, doc, nullptr, Update ? &rewritten : nullptr);
    // A program that could not run says so; an update that did not happen says why.
    // A program stopped at its time-out without an update to make stays silent.
    if (!outcome.ran && (Update || !outcome.started))
        showMessage(outcome.reason);
    else if (outcome.ran && Update)
        callDocReplaced(rewritten);
}

QString GetPluginsDir() { return GetAppDir() + QStringLiteral("plugins"); }

void LoadExternalPlugins(const QString &dir)
{
    try {
        const QString folder = platform::withTrailingSlash(dir.isEmpty() ? GetPluginsDir() : dir);
        QStringList files;
        ListFolder(folder, QStringLiteral("*.ini"), platform::faAnyFile, &files);
        for (const QString &file : files) {
            try {
                const IniFile ini(folder + file);
                if (!ini.readOk())
                    continue;
                const QString name = trim(ini.readString(kMain, QStringLiteral("Name")));
                const QString cmd = trim(ini.readString(kMain, QStringLiteral("Cmd")));
                if (name.isEmpty() || cmd.isEmpty())
                    continue;
                auto plugin = std::make_unique<TExtAppWarnPlugin>();
                plugin->GroupCheck = ini.readInteger(kMain, QStringLiteral("GroupCheck"), 1) > 0;
                plugin->Update = ini.readInteger(kMain, QStringLiteral("Update"), 0) > 0;
                plugin->folder = folder + platform::withoutExtension(file) + u'/';
                plugin->Cmd = QuoteFileName(cmd);
                plugin->Name = name;
                plugin->Timeout = ini.readInteger(kMain, QStringLiteral("Timeout"), 15000);
                auto *raw = static_cast<TExtAppWarnPlugin *>(RegisterPlugin(std::move(plugin)));
                const QString menu = trim(ini.readString(kMain, QStringLiteral("Menu")));
                if (raw && !menu.isEmpty()) {
                    QAction *item = AddMenuItem(QStringLiteral("Tools"));
                    if (item) {
                        item->setText(menu);
                        raw->setMenuItem(item);
                    }
                }
            } catch (...) {
                // One unreadable description costs only its own plug-in.
            }
        }
    } catch (...) {}
}

void initExtAppPlugins(const QString &programFolder)
{
    LoadExternalPlugins(QDir(programFolder).filePath(QStringLiteral("plugins")));
}

QString QuoteFileName(const QString &cmd)
{
    const QString quoted = u'"' + kFileNameField + u'"';
    return replaceField(replaceField(cmd, quoted, kFileNameField), kFileNameField, quoted);
}

QStringList BuildCommandLine(const QString &cmd, const TEditContext &context)
{
    QStringList arguments = QProcess::splitCommand(cmd);
    if (!cmd.contains(u'%')) {
        arguments.append(context.FileName);
        return arguments;
    }
    for (QString &argument : arguments)
        argument =
            replaceField(replaceField(argument, kFileNameField, context.FileName), kSectionField, context.Section);
    return arguments;
}

QList<QPair<QString, QString>> parsePluginOutput(const QStringList &lines)
{
    QList<QPair<QString, QString>> records;
    QString key, text;
    for (const QString &line : lines) {
        const qsizetype colon = line.indexOf(u':');
        if (colon < 0)
            continue;
        const QString lineKey = trim(QStringView(line).left(colon));
        const QString lineText = line.mid(colon + 1);
        if (!key.isEmpty()) {
            records.append({key, text});
            text.clear();
        }
        if (!lineKey.isEmpty())
            key = lineKey;
        // Appended in place: a program may print many lines before its first key.
        if (text.isEmpty()) {
            text = lineText;
        } else {
            text += u' ';
            text += lineText;
        }
    }
    if (!key.isEmpty())
        records.append({key, text});
    return records;
}

namespace {
// The components of a page by section and name, for all the records of one run: a program
// may print a line for each of tens of thousands of components. A section's names are indexed
// at its first use; the page does not change while the records are read.
class RunComponents {
public:
    explicit RunComponents(const TWQFFile *doc) : m_doc(doc) {}
    TWQFItem *find(const QString &sectionName, const QString &itemName)
    {
        const TWQFSection *section = m_doc ? m_doc->FindSection(sectionName) : nullptr;
        if (!section)
            return nullptr;
        auto found = m_sections.find(section);
        if (found == m_sections.end())
            found = m_sections.try_emplace(section, section->Items()).first;
        return found->second.find(itemName);
    }

private:
    const TWQFFile *m_doc;
    std::unordered_map<const TWQFSection *, ItemsByName> m_sections;
};

void appendRecord(RunComponents &components, CheckMessageList &messages, const QString &key, const QString &text)
{
    if (key.isEmpty())
        return;
    const char16_t first = upCaseAscii(key[0].unicode());
    const QString kind = first == u'E'   ? QStringLiteral("ERROR")
                         : first == u'W' ? QStringLiteral("WARN")
                                         : QStringLiteral("HINT");
    TWQFItem *item = nullptr;
    const QString rest = trim(QStringView(key).mid(1));
    const qsizetype blank = rest.indexOf(u' ');
    if (blank >= 0)
        item = components.find(trim(QStringView(rest).left(blank)), trim(QStringView(rest).mid(blank + 1)));
    messages.append(CheckMessage{kind + u' ' + text, item});
}
} // namespace

void EmitPluginMessage(TExtAppWarnPlugin *, TWQFFile *doc, CheckMessageList &messages, const QString &key,
                       const QString &text)
{
    RunComponents components(doc);
    appendRecord(components, messages, key, text);
}

void emitPluginOutput(TExtAppWarnPlugin *, TWQFFile *doc, CheckMessageList &messages, const QByteArray &output)
{
    // Each step lets go of the text before it: a program's output may be tens of megabytes.
    QStringList lines = splitLines(QString::fromUtf8(output));
    const QList<QPair<QString, QString>> records = parsePluginOutput(lines);
    lines.clear();
    RunComponents components(doc);
    for (const auto &[key, text] : records)
        appendRecord(components, messages, key, text);
}

bool RunExternal(TExtAppWarnPlugin *plugin, TWQFFile *doc, CheckMessageList *messages,
                 std::unique_ptr<TWQFFile> *updated, QString *reason)
{
    const RunOutcome outcome = runExternal(plugin, doc, messages, updated);
    if (reason)
        *reason = outcome.reason;
    return outcome.ran;
}
