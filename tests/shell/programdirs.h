#pragma once
// A temporary folder holding the configuration and program folders of one started window.
#include "common/testutil.h"
#include "shell/startup.h"

#include <QDir>
#include <QTemporaryDir>

namespace pellorin_test {
class ProgramDirs {
public:
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }
    QString iniPath() const { return filePath("cfg/pellorin/pellorin.ini"); }

    // Start options for the real window: no page on the command line.
    TStartOptions options() const
    {
        TStartOptions o;
        o.ConfigDir = filePath("cfg/pellorin/");
        o.ProgramFileName = "pellorin";
        o.ProgramFolder = filePath("app/");
        o.CommandLine = QStringList();
        return o;
    }
    void writeSettings(const QByteArray &text) const
    {
        QDir().mkpath(filePath("cfg/pellorin"));
        writeBytes(iniPath(), text);
    }

private:
    QTemporaryDir m_dir;
};
} // namespace pellorin_test
