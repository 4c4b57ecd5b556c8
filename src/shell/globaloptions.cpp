// The "Global" options in memory.
#include "globaloptions.h"

#include "appini.h"
#include "base/exception.h"
#include "base/inifile.h"
#include "base/moduleslot.h"
#include "base/textutils.h"

#include <memory>

void TGlobalOptions::Load()
{
    if (m_ini)
        m_values = m_ini->sectionValues(opt::Section);
}

void TGlobalOptions::Save()
{
    if (!m_ini)
        return;
    m_ini->inOneWrite([this] {
        for (const NameValue &v : m_values)
            m_ini->writeString(opt::Section, v.first, v.second);
    });
}

qsizetype TGlobalOptions::indexOf(const QString &name) const
{
    for (qsizetype i = 0; i < m_values.size(); ++i)
        if (sameTextAscii(m_values[i].first, name))
            return i;
    return -1;
}

QString TGlobalOptions::GetString(const QString &name) const
{
    const qsizetype i = indexOf(name);
    return i < 0 ? QString() : m_values[i].second;
}

void TGlobalOptions::SetString(const QString &name, const QString &value)
{
    const qsizetype i = indexOf(name);
    if (i < 0)
        m_values.append({name, value});
    else
        m_values[i].second = value;
}

bool TGlobalOptions::hasValue(const QString &name) const { return indexOf(name) >= 0; }

bool TGlobalOptions::GetBool(const QString &name) const { return GetString(name) == QLatin1String("1"); }

bool TGlobalOptions::GetBoolDef(const QString &name, bool defaultValue) const
{
    return hasValue(name) ? GetBool(name) : defaultValue;
}

void TGlobalOptions::SetBool(const QString &name, bool value)
{
    SetString(name, value ? QStringLiteral("1") : QStringLiteral("0"));
}

int TGlobalOptions::getIntDef(const QString &name, int defaultValue) const
{
    return strToIntDef(GetString(name), defaultValue);
}

namespace {
ModuleSlot<TGlobalOptions> g_options;
}

void initGlobalOptions() { g_options.reset(std::make_unique<TGlobalOptions>(SettingsIni())); }

void doneGlobalOptions()
{
    if (g_options)
        g_options->Save();
    g_options.reset();
}

TGlobalOptions &OptionStore()
{
    if (!g_options)
        throw ERunError::nilReference();
    return *g_options;
}
