#include "startup.h"

#include "appini.h"
#include "checks/appgui.h"
#include "checks/itemscheck.h"
#include "checks/pellorinplugin.h"
#include "checks/sqlquerycheck.h"
#include "globaloptions.h"
#include "mainform.h"
#include "model/htmlcontrols.h"
#include "sqlcfgform.h"

#include <QAction>
#include <QKeySequence>

namespace {
// A Tools entry whose window is not part of the program yet: listed, not choosable.
void queueToolsEntry(const QString &caption, const QKeySequence &shortcut, const char *name)
{
    QAction *item = AddMenuItem(QStringLiteral("Tools"));
    item->setObjectName(QLatin1String(name));
    item->setText(caption);
    item->setShortcut(shortcut);
    item->setEnabled(false);
}
} // namespace

void InitModules(const TStartOptions &Options)
{
    // The HTML control kinds, in their fixed order.
    InitHTMLControls();
    // Menu queue and host hooks: the modules below queue their Tools entries there.
    InitAppGui();
    InitPluginRegistry();
    InitAppIni(Options.ConfigDir, Options.ProgramFileName);
    InitGlobalOptions();
    // The SQL checks; the SQL Settings window's values and its entry, then the Preferences
    // dialog's, in this order after those of the external check programs.
    InitSQLQueryCheck(Options.ProgramFolder);
    InitSQLCfgForm(Options.ProgramFolder);
    queueToolsEntry(QStringLiteral("Preferences"), QKeySequence(Qt::CTRL | Qt::Key_P), "mnuPreferences");
    // The check plug-ins, in their registration order.
    InitItemsCheck();
}

void DoneModules()
{
    DoneSQLCfgForm();
    DoneSQLQueryCheck();
    DoneGlobalOptions();
    DoneAppIni();
    DonePluginRegistry();
    DoneAppGui();
    DoneHTMLControls();
}

TProgram::TProgram(const TStartOptions &Options)
{
    InitModules(Options);
    try {
        TMainFrmOptions formOptions;
        formOptions.ProgramFolder = Options.ProgramFolder;
        formOptions.CommandLine = Options.CommandLine;
        m_mainForm = std::make_unique<TMainFrm>(formOptions);
    } catch (...) {
        DoneModules();
        throw;
    }
}

TProgram::~TProgram()
{
    m_mainForm.reset();
    DoneModules();
}
