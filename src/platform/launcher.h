#pragma once
// Starting another instance of the program on a page. The program and the page are separate
// arguments, so no path is ever split at its blanks. Tests install a launcher that records.
#include <QString>
#include <QStringList>
#include <memory>

namespace platform {
class InstanceLauncher {
public:
    virtual ~InstanceLauncher() = default;
    // Starts program with arguments and does not wait for it; raises Exception with the
    // reason when it cannot be started.
    virtual void start(const QString &program, const QStringList &arguments) = 0;
};

// Installs launcher (none: the one that starts processes) and answers the one it replaces.
std::unique_ptr<InstanceLauncher> setInstanceLauncher(std::unique_ptr<InstanceLauncher> launcher);
InstanceLauncher &instanceLauncher();
// This program's executable on the page.
void startSecondInstance(const QString &pagePath);
} // namespace platform
