// A plug-in description of the plugins folder: it gives one check plug-in exactly when it sets
// a name and a command, with the trimmed name, the command with every "%filename%" quoted once
// (quoting it again changes nothing), its own folder, and a Tools entry exactly when it names
// one. The command line of a run hands the program the page copy's path whole wherever the
// command names it, however many blanks and quotes the path holds, and at the end when the
// command names no field. No program is ever run.
#include "base/inifile.h"
#include "base/textutils.h"
#include "checks/appgui.h"
#include "checks/extappplugin.h"
#include "fuzzcheck.h"

#include <QAction>
#include <QDir>
#include <QProcess>

namespace {

// A copy's path as hostile as a folder may make it.
const QString kCopy = QStringLiteral("/tmp/a \"b\" c'/page copy %SECTION.wqf");
const QString kSection = QStringLiteral("preproc");

// Occurrences of the field, ASCII case ignored, as the command line replaces them.
qsizetype fieldCount(const QString &text, const QString &field)
{
    const QString lower = lowerCaseAscii(text);
    qsizetype count = 0;
    for (qsizetype at = lower.indexOf(field); at >= 0; at = lower.indexOf(field, at + field.size()))
        ++count;
    return count;
}

void checkCommandLine(const QString &cmd)
{
    const QStringList words = QProcess::splitCommand(cmd);
    const QStringList arguments = BuildCommandLine(cmd, TEditContext{kCopy, kSection});
    const QString shown = arguments.join(QStringLiteral("|"));
    if (!cmd.contains(u'%')) {
        FUZZ_CHECK(arguments == words + QStringList{kCopy}, "without a field the path comes last: " + shown);
        return;
    }
    FUZZ_CHECK(arguments.size() == words.size(), "fields add no arguments: " + shown);
    for (qsizetype i = 0; i < words.size(); ++i)
        FUZZ_CHECK(arguments[i].count(kCopy) >= fieldCount(words[i], QStringLiteral("%filename%")),
                   "every \"%filename%\" becomes the whole path: " + shown);
}

QString ownFolder() { return fuzz::scratchDir() + QStringLiteral("plugins/"); }

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::startGuiApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::Input input(data, size);
    const QByteArray bytes = input.bytes();
    QDir(ownFolder()).removeRecursively();
    QDir().mkpath(ownFolder());
    fuzz::writeFile(ownFolder() + QStringLiteral("fuzz.ini"), bytes);
    initPluginRegistry();
    initAppGui();
    QList<TWarningPlugin *> before;
    GetWarningPlugins(before);
    LoadExternalPlugins(ownFolder());
    QList<TWarningPlugin *> after;
    GetWarningPlugins(after);

    const IniFile ini = IniFile::fromBytes(bytes);
    const QString name = trim(ini.readString(QStringLiteral("Main"), QStringLiteral("Name")));
    const QString cmd = trim(ini.readString(QStringLiteral("Main"), QStringLiteral("Cmd")));
    const QString menu = trim(ini.readString(QStringLiteral("Main"), QStringLiteral("Menu")));
    const bool described = !name.isEmpty() && !cmd.isEmpty();
    FUZZ_CHECK(after.size() == before.size() + (described ? 1 : 0),
               "a description that names a program and a name gives one plug-in, any other none");
    const std::vector<TPendingMenu> &pending = menuQueue().pendingMenus();
    if (described) {
        auto *plugin = dynamic_cast<TExtAppWarnPlugin *>(after.back());
        FUZZ_CHECK(plugin, "the plug-in runs a program");
        FUZZ_CHECK(plugin->Name == name && plugin->GetDescription() == name, "the plug-in has the trimmed name");
        FUZZ_CHECK(plugin->Cmd == QuoteFileName(cmd), "the command has its fields quoted");
        FUZZ_CHECK(QuoteFileName(plugin->Cmd) == plugin->Cmd,
                   "quoting the quoted command changes nothing: \"" + fuzz::escaped(QuoteFileName(plugin->Cmd)) + '"');
        FUZZ_CHECK(plugin->folder == ownFolder() + QStringLiteral("fuzz/"),
                   "the program is looked for in its own folder");
        FUZZ_CHECK(!plugin->InQuickCheck(), "a program never holds up a save");
        const bool menuEntry = !menu.isEmpty();
        FUZZ_CHECK(pending.size() == (menuEntry ? 1u : 0u), "a Tools entry exactly when one is named");
        if (menuEntry)
            FUZZ_CHECK(pending[0].topCaption == u"Tools" && pending[0].item == plugin->menuItem() &&
                           plugin->menuItem()->text() == menu,
                       "the entry goes under Tools with its caption");
        checkCommandLine(plugin->Cmd);
    } else {
        FUZZ_CHECK(pending.empty(), "no Tools entry without a plug-in");
    }
    checkCommandLine(cmd);
    // The plug-ins take their entries with them.
    donePluginRegistry();
    doneAppGui();
    return 0;
}
