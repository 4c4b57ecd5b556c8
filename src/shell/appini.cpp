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
    state->configDir = platform::withTrailingSlash(configDir.isEmpty() ? platform::appConfigDir() : configDir);
    QDir().mkpath(state->configDir);
    const QString program = programFileName.isEmpty() ? platform::programFileName() : programFileName;
    state->iniFileName = state->configDir + platform::withoutExtension(program) + QStringLiteral(".ini");
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

void WriteBounds(const QString &section, const Rect &bounds)
{
    IniFile *ini = SettingsIni();
    if (!ini)
        return;
    ini->inOneWrite([&] {
        ini->writeInteger(section, QStringLiteral("Left"), bounds.Left);
        ini->writeInteger(section, QStringLiteral("Top"), bounds.Top);
        ini->writeInteger(section, QStringLiteral("Width"), bounds.width());
        ini->writeInteger(section, QStringLiteral("Height"), bounds.height());
    });
}

Rect ReadBounds(const QString &section)
{
    const IniFile *ini = SettingsIni();
    if (!ini)
        return Rect();
    return Rect::fromSize(
        ini->readInteger(section, QStringLiteral("Left"), 0), ini->readInteger(section, QStringLiteral("Top"), 0),
        ini->readInteger(section, QStringLiteral("Width"), 0), ini->readInteger(section, QStringLiteral("Height"), 0));
}

Rect clampFormBounds(const Rect &stored, const QSize &screen)
{
    int left = stored.Left, top = stored.Top;
    if (left >= screen.width())
        left = screen.width() - 100;
    if (top >= screen.height())
        top = screen.height() - 100;
    return Rect::fromSize(left, top, std::max(stored.width(), 20), std::max(stored.height(), 20));
}

void SaveFormBounds(const QWidget *form)
{
    if (!form)
        return;
    const bool normal = !(form->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
    QRect r = normal ? form->geometry() : form->normalGeometry();
    if (r.isEmpty())
        r = form->geometry();
    WriteBounds(form->objectName(), Rect::fromSize(r.x(), r.y(), r.width(), r.height()));
}

void RestoreFormBounds(QWidget *form)
{
    const IniFile *ini = SettingsIni();
    if (!form || !ini || !ini->sectionExists(form->objectName()))
        return;
    Rect r = ReadBounds(form->objectName());
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        r = clampFormBounds(r, screen->geometry().size());
    form->setGeometry(r.toQRect());
}

SqlCheckValues readSqlCheck()
{
    SqlCheckValues v;
    if (const IniFile *ini = SettingsIni()) {
        v.host = ini->readString(kSqlCheck, QStringLiteral("HOSTNAME"));
        v.user = ini->readString(kSqlCheck, QStringLiteral("USERNAME"));
        v.password = ini->readString(kSqlCheck, QStringLiteral("PASSWORD"));
        v.database = ini->readString(kSqlCheck, QStringLiteral("DATABASE"));
    }
    return v;
}

void writeSqlCheck(const SqlCheckValues &values)
{
    IniFile *ini = SettingsIni();
    if (!ini)
        return;
    ini->inOneWrite([&] {
        ini->writeString(kSqlCheck, QStringLiteral("HOSTNAME"), values.host);
        ini->writeString(kSqlCheck, QStringLiteral("USERNAME"), values.user);
        ini->writeString(kSqlCheck, QStringLiteral("PASSWORD"), values.password);
        ini->writeString(kSqlCheck, QStringLiteral("DATABASE"), values.database);
    });
}
