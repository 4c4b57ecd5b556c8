#pragma once
// A temporary folder holding the configuration and program folders of one started window.
#include "common/testutil.h"
#include "shell/startup.h"

#include <QDir>
#include <QTemporaryDir>

namespace pellorin_test {
// The sample page the program ships.
inline const QString kSamplePage = QStringLiteral(PELLORIN_RESOURCES "/samples/customer_orders.wqf");

class ProgramDirs {
public:
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }
    QString iniPath() const { return filePath("cfg/pellorin/pellorin.ini"); }

    // Start options for the real window: no page on the command line.
    StartOptions options() const
    {
        StartOptions o;
        o.configDir = filePath("cfg/pellorin/");
        o.programFileName = "pellorin";
        o.programFolder = filePath("app/");
        o.commandLine = QStringList();
        return o;
    }
    // The same with these page files on the command line.
    StartOptions options(const QStringList &commandLine) const
    {
        StartOptions o = options();
        o.commandLine = commandLine;
        return o;
    }
    // The same, but the program's own folder holds the description folders: those the build
    // put beside the test program.
    StartOptions shippedOptions(const QStringList &commandLine) const
    {
        StartOptions o = options(commandLine);
        o.programFolder.clear();
        return o;
    }
    // A copy of the file in the folder under name; its path.
    QString copyOf(const QString &file, const QString &name) const
    {
        const QString target = filePath(name);
        writeBytes(target, readBytes(file));
        return target;
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
