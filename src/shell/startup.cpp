#include "startup.h"

#include "appini.h"
#include "checks/appgui.h"
#include "checks/companynameplugin.h"
#include "checks/extappplugin.h"
#include "checks/htmlchecks.h"
#include "checks/itemscheck.h"
#include "checks/pellorinplugin.h"
#include "checks/shortkeys.h"
#include "checks/sqlquerycheck.h"
#include "editors/morivanecomponents.h"
#include "editors/pascompiler.h"
#include "editors/wqfmacros.h"
#include "globaloptions.h"
#include "htmlview.h"
#include "mainform.h"
#include "model/htmlcontrols.h"
#include "optionsdialog.h"
#include "pellorinapp.h"
#include "platform/appdirs.h"
#include "platform/paths.h"
#include "platform/slotguard.h"
#include "searchresultformunit.h"
#include "searchwindow.h"
#include "sqlcfgform.h"

#include <QApplication>

StartOptions WithProgramFolder(StartOptions Options)
{
    Options.ProgramFolder = platform::WithTrailingSlash(Options.ProgramFolder.isEmpty() ? platform::ProgramFolder()
                                                                                        : Options.ProgramFolder);
    return Options;
}

void InitModules(const StartOptions &Options)
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
    // The SQL checks; the SQL Settings window's values and its entry, then the Preferences
    // dialog's, in this order after those of the external check programs.
    InitSQLQueryCheck(Options.ProgramFolder);
    InitSQLCfgForm(Options.ProgramFolder);
    InitOptionsDialog();
    InitShortKeys();
    // The check plug-ins, in their registration order; the HTML check comes last.
    InitItemsCheck();
    InitHTMLChecks();
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
    PascalUnits().clear();
    ClearMacros();
    ClearComponentDescrs();
    setGuardHandler(nullptr);
}

Program::Program(const StartOptions &Options)
{
    const StartOptions resolved = WithProgramFolder(Options);
    InitModules(resolved);
    try {
        MainFrmOptions formOptions;
        formOptions.ProgramFolder = resolved.ProgramFolder;
        formOptions.CommandLine = resolved.CommandLine;
        m_mainForm = std::make_unique<TMainFrm>(formOptions);
        CreateSearchForm();
        createForm2();
        CreateGlobalOptForm();
        CreateSearchResultForm();
    } catch (...) {
        freeWindows();
        DoneModules();
        throw;
    }
}

Program::~Program()
{
    freeWindows();
    DoneModules();
}

void Program::freeWindows()
{
    // Each window stores its state while the settings are still open.
    m_mainForm.reset();
    FreeSearchResultForm();
    FreeGlobalOptForm();
    freeForm2();
    FreeSearchForm();
}
