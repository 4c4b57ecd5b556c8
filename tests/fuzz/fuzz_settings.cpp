// The per-user settings file as the settings store reads it at start-up and writes it at
// shut-down; the input is the INI file, then, after a NUL, the file of #S test values. The store
// takes the options of "Global", the prober's connection values and the test values as the files
// hold them; the window bounds come back on the screen, at least 20 pixels wide and high, and
// stay where they are when restored again. A start and a shut-down that change nothing leave
// every setting as it was, and the files settle: a second start and shut-down write the same
// bytes again.
#include "base/inifile.h"
#include "base/stringlist.h"
#include "checks/appgui.h"
#include "checks/htmlchecks.h"
#include "checks/itemscheck.h"
#include "checks/pellorinplugin.h"
#include "checks/sqlquerycheck.h"
#include "fuzzcheck.h"
#include "shell/appini.h"
#include "shell/globaloptions.h"
#include "shell/openpage.h"
#include "shell/optionsdialog.h"
#include "shell/sqlcfgform.h"

#include <QAction>
#include <QDir>
#include <QFile>

namespace {

const QString kConfig = fuzz::scratchDir() + QStringLiteral("config/");
const QString kProgram = fuzz::scratchDir() + QStringLiteral("program/");
const QString kIni = kConfig + QStringLiteral("pellorin.ini");
const QString kTestValues = kConfig + QStringLiteral("pounds.txt");
const QSize kScreen(1600, 1000);

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What one start reads, as text to compare.
struct Read {
    QString options;
    QString sql;
    QStringList testValues;
    QString checks;
    Rect bounds;
};

QString pairs(const QList<QPair<QString, QString>> &values)
{
    QString text;
    for (const auto &[name, value] : values)
        text += name + u'=' + fuzz::escaped(value) + u'\n';
    return text;
}

// The start-up steps of the modules that read the settings, the main window's reading of them,
// and the shut-down that writes them; the main window stores the bounds it was restored to.
Read startAndStop()
{
    initAppGui();
    initPluginRegistry();
    initAppIni(kConfig, QStringLiteral("pellorin"));
    initGlobalOptions();
    initSQLQueryCheck(kProgram);
    initSQLCfgForm(kProgram);
    initItemsCheck();
    initHTMLChecks();

    Read read;
    OptionStore().Load();
    read.options = pairs(OptionStore().values());
    (void)OpenPage::optionsFromSettings();
    QList<TWarningPlugin *> plugins;
    GetWarningPlugins(plugins);
    applyCheckSettings(plugins, OptionStore());
    for (const TWarningPlugin *plugin : std::as_const(plugins))
        read.checks += QStringLiteral("%1 %2 %3\n").arg(plugin->className()).arg(plugin->Enabled).arg(plugin->Priority);
    const SQLCheckState &state = sqlCheckState();
    read.sql = QStringList{state.SQLHost, state.SQLUser, state.SQLPassword, state.SQLDatabase}.join(u'|');
    read.testValues = state.TestValues;
    read.bounds = clampFormBounds(ReadBounds(QStringLiteral("MainFrm")), kScreen);
    WriteBounds(QStringLiteral("MainFrm"), read.bounds);

    doneSQLCfgForm();
    doneSQLQueryCheck();
    doneGlobalOptions();
    doneAppIni();
    donePluginRegistry();
    // The entries the modules queued belong to the application, which outlives every run.
    for (const TPendingMenu &entry : menuQueue().pendingMenus())
        delete entry.item.data();
    doneAppGui();
    return read;
}

bool isBoundsKey(const QString &section, const QString &key)
{
    return section.compare(u"MainFrm", Qt::CaseInsensitive) == 0 &&
           QStringList{"Left", "Top", "Width", "Height"}.contains(key, Qt::CaseInsensitive);
}

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
    const auto [ini, testValues, hasTestValues] = fuzz::twoFiles(bytes);
    QDir(kConfig).removeRecursively();
    QDir().mkpath(kConfig);
    QDir().mkpath(kProgram);
    fuzz::writeFile(kIni, ini);
    if (hasTestValues)
        fuzz::writeFile(kTestValues, testValues);

    const IniFile before = IniFile::fromBytes(ini);
    const Read first = startAndStop();
    FUZZ_CHECK(first.options == pairs(before.sectionValues(opt::Section)),
               "the options are the file's \"Global\" section: " + first.options);
    const QStringList sql{before.readString("SQLCHECK", "HOSTNAME"), before.readString("SQLCHECK", "USERNAME"),
                          before.readString("SQLCHECK", "PASSWORD"), before.readString("SQLCHECK", "DATABASE")};
    FUZZ_CHECK(first.sql == sql.join(u'|'), "the prober's connection values are the file's: " + first.sql);
    FUZZ_CHECK(first.testValues == splitLines(QString::fromUtf8(testValues)),
               "the test values are the lines of their file");
    const Rect &b = first.bounds;
    FUZZ_CHECK(b.Left < kScreen.width() && b.Top < kScreen.height() && b.width() >= 20 && b.height() >= 20,
               QStringLiteral("the window comes back on the screen: %1 %2 %3 %4")
                   .arg(b.Left)
                   .arg(b.Top)
                   .arg(b.width())
                   .arg(b.height()));
    FUZZ_CHECK(clampFormBounds(b, kScreen) == b, "bounds restored once stay where they are");

    const QByteArray written = fileBytes(kIni);
    const QByteArray writtenValues = fileBytes(kTestValues);
    const IniFile after = IniFile::fromBytes(written);
    for (const QString &section : before.sections())
        for (const auto &[key, value] : before.sectionValues(section))
            FUZZ_CHECK(isBoundsKey(section, key) || after.readString(section, key) == value,
                       "a start and a shut-down keep every setting: [" + section + "] " + key + "=" +
                           fuzz::escaped(value) + " became " + fuzz::escaped(after.readString(section, key)));

    const Read second = startAndStop();
    FUZZ_CHECK(second.options == first.options && second.sql == first.sql && second.testValues == first.testValues &&
                   second.checks == first.checks && second.bounds == first.bounds,
               "the second start reads what the first did");
    FUZZ_CHECK(fileBytes(kIni) == written, "the settings file settles after one start: \"" + fuzz::escaped(written) +
                                               "\" then \"" + fuzz::escaped(fileBytes(kIni)) + '"');
    FUZZ_CHECK(fileBytes(kTestValues) == writtenValues, "the test values file settles after one start");
    return 0;
}
