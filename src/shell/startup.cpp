// Start-up and shut-down, shared by main() and the tests.
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

StartOptions withProgramFolder(StartOptions options)
{
    options.programFolder = platform::withTrailingSlash(options.programFolder.isEmpty() ? platform::programFolder()
                                                                                        : options.programFolder);
    return options;
}

void initModules(const StartOptions &options)
{
    // An exception in a slot shows the unhandled-exception dialog, as one in an event does.
    setGuardHandler([] { handleCurrentException(QApplication::activeWindow()); });
    // The catalogue and the macro list start empty; the main window fills them.
    clearComponentDescrs();
    ClearMacros();
    // The HTML control kinds, in their fixed order.
    initHTMLControls();
    // Menu queue and host hooks: the modules below queue their Tools entries there.
    initAppGui();
    initPluginRegistry();
    initAppIni(options.configDir, options.programFileName);
    initGlobalOptions();
    initCompanyNamePlugin(options.programFolder);
    initExtAppPlugins(options.programFolder);
    // The SQL checks; the SQL Settings window's values and its entry, then the Preferences
    // dialog's, in this order after those of the external check programs.
    initSQLQueryCheck(options.programFolder);
    initSQLCfgForm(options.programFolder);
    initOptionsDialog();
    initShortKeys();
    // The check plug-ins, in their registration order; the HTML check comes last.
    initItemsCheck();
    initHTMLChecks();
}

void doneModules()
{
    doneSQLCfgForm();
    doneSQLQueryCheck();
    doneGlobalOptions();
    doneAppIni();
    donePluginRegistry();
    doneAppGui();
    doneHTMLControls();
    PascalUnits().clear();
    ClearMacros();
    clearComponentDescrs();
    setGuardHandler(nullptr);
}

Program::Program(const StartOptions &options)
{
    const StartOptions resolved = withProgramFolder(options);
    initModules(resolved);
    try {
        MainFrmOptions formOptions;
        formOptions.programFolder = resolved.programFolder;
        formOptions.commandLine = resolved.commandLine;
        m_mainForm = std::make_unique<TMainFrm>(formOptions);
        createSearchForm();
        createForm2();
        createGlobalOptForm();
        createSearchResultForm();
    } catch (...) {
        freeWindows();
        doneModules();
        throw;
    }
}

Program::~Program()
{
    // Each window and module below stores its part; the settings file is written once, at
    // the end.
    deferSettingsWrites();
    freeWindows();
    doneModules();
}

void Program::freeWindows()
{
    // Each window stores its state while the settings are still open.
    m_mainForm.reset();
    freeSearchResultForm();
    freeGlobalOptForm();
    freeForm2();
    freeSearchForm();
}
