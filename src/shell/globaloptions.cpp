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

qsizetype TGlobalOptions::indexOf(const QString &Name) const
{
    for (qsizetype i = 0; i < m_values.size(); ++i)
        if (sameTextAscii(m_values[i].first, Name))
            return i;
    return -1;
}

QString TGlobalOptions::GetString(const QString &Name) const
{
    const qsizetype i = indexOf(Name);
    return i < 0 ? QString() : m_values[i].second;
}

void TGlobalOptions::SetString(const QString &Name, const QString &Value)
{
    const qsizetype i = indexOf(Name);
    if (i < 0)
        m_values.append({Name, Value});
    else
        m_values[i].second = Value;
}

bool TGlobalOptions::HasValue(const QString &Name) const { return indexOf(Name) >= 0; }

bool TGlobalOptions::GetBool(const QString &Name) const { return GetString(Name) == QLatin1String("1"); }

bool TGlobalOptions::GetBoolDef(const QString &Name, bool Default) const
{
    return HasValue(Name) ? GetBool(Name) : Default;
}

void TGlobalOptions::SetBool(const QString &Name, bool Value)
{
    SetString(Name, Value ? QStringLiteral("1") : QStringLiteral("0"));
}

int TGlobalOptions::getIntDef(const QString &Name, int Default) const { return strToIntDef(GetString(Name), Default); }

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
