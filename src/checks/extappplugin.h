#pragma once
// Checks the user adds without changing the program: every "*.ini" file of the plugins folder
// describes one external program. The program gets a copy of the open page, and what it
// prints becomes check messages; from its Tools-menu entry it may rewrite the page instead.
#include "pellorinplugin.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>

class QAction;

// What the command line's fields stand for in one run.
struct TEditContext {
    // The temporary copy of the page.
    QString FileName;
    // The section of the active tab.
    QString Section;
};

class TExtAppWarnPlugin : public TWarningPlugin {
public:
    ~TExtAppWarnPlugin() override;
    QString className() const override { return QStringLiteral("TExtAppWarnPlugin"); }

    // Not in the quick check: the save must not wait for a program.
    bool InQuickCheck() override { return false; }
    bool NeedsGroupData() override { return GroupCheck; }
    std::unique_ptr<GroupData> CreateGroupData() override;
    void FinishGroup(bool flag, std::unique_ptr<GroupData> &data, CheckMessageList &messages) override;
    void CheckFile(TWQFFile *doc, CheckMessageList &messages) override;
    QString GetDescription() override { return Name; }

    // The click on the plug-in's Tools entry: the program runs on the open page, and with
    // Update the page it rewrote replaces the open one. A program that could not run, or an
    // update that did not happen, is shown in a message box; anything else raises, and the
    // entry runs it guarded.
    void RunFromMenu();
    // The Tools entry, when the description names one; it goes with the plug-in.
    void setMenuItem(QAction *item);
    QAction *menuItem() const;

    // Milliseconds.
    int Timeout = 15000;
    QString Name;
    // The command template, relative to Folder, with every "%filename%" in double quotes.
    QString Cmd;
    // The plug-in's own folder, ending with "/": the program's name is taken relative to it.
    QString folder;
    bool GroupCheck = true;
    bool Update = false;

private:
    QPointer<QAction> m_menuItem;
};

// The folder of the description files: the program folder + "plugins", without a final
// delimiter.
QString GetPluginsDir();
// One plug-in per description file of dir (empty: GetPluginsDir) that sets "Name" and "Cmd",
// in the folder's name order, registered with the registry; each that sets "Menu" queues its
// Tools entry. A description that cannot be read is skipped silently.
void LoadExternalPlugins(const QString &dir);
// The plug-ins of the program folder, at start-up.
void initExtAppPlugins(const QString &programFolder);

// Every "%filename%" of cmd, in any case and whether quoted already or not, once inside
// double quotes, written "%filename%".
QString QuoteFileName(const QString &cmd);
// The program and its arguments for one run: cmd split once at its blanks (double quotes
// group and are dropped); without any "%" the copy's path is appended as the last argument,
// otherwise "%filename%" and then "%section%" are replaced in every argument, in any case.
// The program is not yet resolved against the plug-in's folder.
QStringList BuildCommandLine(const QString &cmd, const TEditContext &context);
// Output lines as records (key, text): the key before a line's first colon, trimmed, the text
// after it; a line without a colon is ignored, a line with an empty key repeats the last key,
// and lines before the first key are joined to the first record's text.
QList<QPair<QString, QString>> parsePluginOutput(const QStringList &lines);
// One record as a message: "ERROR", "WARN" or "HINT" by the key's first letter, then a blank
// and text; tagged with the component that "<letter><section> <component>" names in doc.
void EmitPluginMessage(TExtAppWarnPlugin *plugin, TWQFFile *doc, CheckMessageList &messages, const QString &key,
                       const QString &text);
// What a program printed, as check messages: its bytes read as UTF-8, split into lines at
// CR LF, CR or LF, parsed into records, each emitted.
void emitPluginOutput(TExtAppWarnPlugin *plugin, TWQFFile *doc, CheckMessageList &messages, const QByteArray &output);

// One run of plugin's program on a temporary copy of doc. With messages, the program's lines
// are added there, and a time-out, output cut at the runner's limit or a failure to run adds
// its own line first. With updated, the copy the program rewrote is loaded into a new
// document handed back there; doc itself is never changed. False, with reason when given, when the program did not run to its end or,
// for an update, the rewritten copy does not load.
bool RunExternal(TExtAppWarnPlugin *plugin, TWQFFile *doc, CheckMessageList *messages,
                 std::unique_ptr<TWQFFile> *updated = nullptr, QString *reason = nullptr);
