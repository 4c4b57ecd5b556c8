#include "startup.h"

#include "appini.h"
#include "checks/appgui.h"
#include "checks/companynameplugin.h"
#include "checks/extappplugin.h"
#include "checks/htmlchecks.h"
#include "checks/itemscheck.h"
#include "checks/pellorinplugin.h"
#include "checks/shortkeys.h"
#include "editors/morivanecomponents.h"
#include "editors/pascompiler.h"
#include "editors/wqfmacros.h"
#include "globaloptions.h"
#include "mainform.h"
#include "model/htmlcontrols.h"
#include "optionsdialog.h"
#include "pellorinapp.h"
#include "platform/slotguard.h"
#include "searchresultformunit.h"
#include "searchwindow.h"

#include <QAction>
#include <QApplication>
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
    // An exception in a slot shows the unhandled-exception dialog, as one in an event does.
    setGuardHandler([] { handleCurrentException(QApplication::activeWindow()); });
    // The catalogue and the macro list start empty; the main window fills them.
    ClearComponentDescrs();
    ClearMacros();
    // The HTML control kinds, in their fixed order.
    InitHTMLControls();
    // Menu queue and host hooks: the modules below queue their Tools entries there.
    InitAppGui();
    InitPluginRegistry();
    InitAppIni(Options.ConfigDir, Options.ProgramFileName);
    InitGlobalOptions();
    InitCompanyNamePlugin(Options.ProgramFolder);
    InitExtAppPlugins(Options.ProgramFolder);
    // The SQL Settings window's and the Preferences dialog's entries, in this order after
    // those of the external check programs.
    queueToolsEntry(QStringLiteral("SQL test params"), QKeySequence(Qt::CTRL | Qt::Key_L), "mnuSqlTestParams");
    InitOptionsDialog();
    InitShortKeys();
    // The check plug-ins, in their registration order; the HTML check comes last.
    InitItemsCheck();
    InitHTMLChecks();
}

void DoneModules()
{
    DoneGlobalOptions();
    DoneAppIni();
    DonePluginRegistry();
    DoneAppGui();
    DoneHTMLControls();
    PascalUnits().clear();
    ClearMacros();
    ClearComponentDescrs();
    setGuardHandler(nullptr);
}

TProgram::TProgram(const TStartOptions &Options)
{
    InitModules(Options);
    try {
        TMainFrmOptions formOptions;
        formOptions.ProgramFolder = Options.ProgramFolder;
        formOptions.CommandLine = Options.CommandLine;
        m_mainForm = std::make_unique<TMainFrm>(formOptions);
        CreateSearchForm();
        CreateGlobalOptForm();
        CreateSearchResultForm();
    } catch (...) {
        freeWindows();
        DoneModules();
        throw;
    }
}

TProgram::~TProgram()
{
    freeWindows();
    DoneModules();
}

void TProgram::freeWindows()
{
    // Each window stores its state while the settings are still open.
    m_mainForm.reset();
    FreeSearchResultForm();
    FreeGlobalOptForm();
    FreeSearchForm();
}
