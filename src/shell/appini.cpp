// The settings file: the per-user INI file, the window bounds and the SQL prober's values in it.
#include "appini.h"

#include "base/moduleslot.h"
#include "platform/appdirs.h"
#include "platform/paths.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <memory>

namespace {
const QString kSqlCheck = QStringLiteral("SQLCHECK");

struct AppIniState {
    QString configDir;
    QString iniFileName;
    IniFile ini;
};
ModuleSlot<AppIniState> g_state;
} // namespace

void initAppIni(const QString &configDir, const QString &programFileName)
{
    auto state = std::make_unique<AppIniState>();
    state->configDir = platform::WithTrailingSlash(configDir.isEmpty() ? platform::appConfigDir() : configDir);
    QDir().mkpath(state->configDir);
    const QString program = programFileName.isEmpty() ? platform::ProgramFileName() : programFileName;
    state->iniFileName = state->configDir + platform::WithoutExtension(program) + QStringLiteral(".ini");
    state->ini = IniFile(state->iniFileName);
    // It holds the SQL prober's database password.
    state->ini.setFileAccess(FileAccess::OwnerOnly);
    state->ini.setAutoUpdate(true);
    g_state.reset(std::move(state));
}

void doneAppIni()
{
    if (g_state && g_state->ini.hasUnwrittenChanges())
        g_state->ini.updateFile();
    g_state.reset();
}

void deferSettingsWrites()
{
    if (g_state)
        g_state->ini.setAutoUpdate(false);
}

QString ConfigDir() { return g_state ? g_state->configDir : QString(); }

QString GetIniFileName() { return g_state ? g_state->iniFileName : QString(); }

IniFile *SettingsIni() { return g_state ? &g_state->ini : nullptr; }

void WriteBounds(const QString &Section, const Rect &Bounds)
{
    IniFile *ini = SettingsIni();
    if (!ini)
        return;
    ini->inOneWrite([&] {
        ini->writeInteger(Section, QStringLiteral("Left"), Bounds.Left);
        ini->writeInteger(Section, QStringLiteral("Top"), Bounds.Top);
        ini->writeInteger(Section, QStringLiteral("Width"), Bounds.Width());
        ini->writeInteger(Section, QStringLiteral("Height"), Bounds.Height());
    });
}

Rect ReadBounds(const QString &Section)
{
    const IniFile *ini = SettingsIni();
    if (!ini)
        return Rect();
    return Rect::fromSize(
        ini->readInteger(Section, QStringLiteral("Left"), 0), ini->readInteger(Section, QStringLiteral("Top"), 0),
        ini->readInteger(Section, QStringLiteral("Width"), 0), ini->readInteger(Section, QStringLiteral("Height"), 0));
}

Rect clampFormBounds(const Rect &stored, const QSize &Screen)
{
    int left = stored.Left, top = stored.Top;
    if (left >= Screen.width())
        left = Screen.width() - 100;
    if (top >= Screen.height())
        top = Screen.height() - 100;
    return Rect::fromSize(left, top, std::max(stored.Width(), 20), std::max(stored.Height(), 20));
}

void SaveFormBounds(const QWidget *Form)
{
    if (!Form)
        return;
    const bool normal = !(Form->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
    QRect r = normal ? Form->geometry() : Form->normalGeometry();
    if (r.isEmpty())
        r = Form->geometry();
    WriteBounds(Form->objectName(), Rect::fromSize(r.x(), r.y(), r.width(), r.height()));
}

void RestoreFormBounds(QWidget *Form)
{
    const IniFile *ini = SettingsIni();
    if (!Form || !ini || !ini->sectionExists(Form->objectName()))
        return;
    Rect r = ReadBounds(Form->objectName());
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        r = clampFormBounds(r, screen->geometry().size());
    Form->setGeometry(r.toQRect());
}

SqlCheckValues readSqlCheck()
{
    SqlCheckValues v;
    if (const IniFile *ini = SettingsIni()) {
        v.Host = ini->readString(kSqlCheck, QStringLiteral("HOSTNAME"));
        v.user = ini->readString(kSqlCheck, QStringLiteral("USERNAME"));
        v.password = ini->readString(kSqlCheck, QStringLiteral("PASSWORD"));
        v.database = ini->readString(kSqlCheck, QStringLiteral("DATABASE"));
    }
    return v;
}

void writeSqlCheck(const SqlCheckValues &Values)
{
    IniFile *ini = SettingsIni();
    if (!ini)
        return;
    ini->inOneWrite([&] {
        ini->writeString(kSqlCheck, QStringLiteral("HOSTNAME"), Values.Host);
        ini->writeString(kSqlCheck, QStringLiteral("USERNAME"), Values.user);
        ini->writeString(kSqlCheck, QStringLiteral("PASSWORD"), Values.password);
        ini->writeString(kSqlCheck, QStringLiteral("DATABASE"), Values.database);
    });
}
