// The naming plug-in: the company in the title and its icon.
#include "companynameplugin.h"

#include "base/textutils.h"
#include "platform/paths.h"

namespace {
const QString kMarker = QStringLiteral("mtmorivane_");

bool isSeparator(QChar c) { return c == u'\\' || c == u'/'; }

// Pages named on Windows and here alike.
QString fileNameOnly(const QString &path)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i)
        if (isSeparator(path[i]))
            return path.mid(i + 1);
    return path;
}
} // namespace

TCompanyNamingPlugin::TCompanyNamingPlugin(const QString &appDir) : m_appDir(platform::withTrailingSlash(appDir)) {}

void TCompanyNamingPlugin::NotifyFileName(const QString &fileName) { this->FileName = fileName; }

QString TCompanyNamingPlugin::GetAppTitle()
{
    const QString company = ExtractCompanyName(FileName);
    return company.isEmpty() ? QString() : u'(' + company + QStringLiteral(") ") + fileNameOnly(FileName);
}

QString TCompanyNamingPlugin::GetIconFileName()
{
    const QString company = ExtractCompanyName(FileName);
    return company.isEmpty() ? QString() : m_appDir + QStringLiteral("companies/") + company + QStringLiteral(".ico");
}

QString ExtractCompanyName(const QString &path)
{
    const qsizetype marker = lowerCaseAscii(path).indexOf(kMarker);
    if (marker < 0)
        return QString();
    const qsizetype start = marker + kMarker.size();
    for (qsizetype i = start; i < path.size(); ++i)
        if (isSeparator(path[i]))
            return path.mid(start, i - start);
    return QString();
}

void initCompanyNamePlugin(const QString &programFolder)
{
    SetNamingPlugin(std::make_unique<TCompanyNamingPlugin>(programFolder));
}
