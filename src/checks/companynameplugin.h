#pragma once
// The window's title names the company a page belongs to, and shows that company's icon: the
// company is the folder of the page's path that follows the marker "mtmorivane_".
#include "pellorinplugin.h"

#include <QString>

class TCompanyNamingPlugin : public TNamingPlugin {
public:
    // appDir is the program's folder.
    explicit TCompanyNamingPlugin(const QString &appDir);
    QString className() const override { return QStringLiteral("TCompanyNamingPlugin"); }

    void NotifyFileName(const QString &fileName) override;
    // "(<company>) <file name>"; empty without a company.
    QString GetAppTitle() override;
    // <program folder>companies/<company>.ico; empty without a company.
    QString GetIconFileName() override;

    // The path last given.
    QString FileName;

private:
    QString m_appDir;
};

// The text between the first "mtmorivane_" (found without case) and the next "\" or "/", in
// the path's own case; empty without the marker or without a separator after it.
QString ExtractCompanyName(const QString &path);
// Installs the plug-in of the program in programFolder in the default naming plug-in's place,
// at start-up.
void initCompanyNamePlugin(const QString &programFolder);
