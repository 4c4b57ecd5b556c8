// Starts another instance of the program on a page.
#include "launcher.h"

#include "base/exception.h"

#include <QCoreApplication>
#include <QProcess>

namespace platform {
namespace {
class ProcessLauncher : public InstanceLauncher {
public:
    void start(const QString &program, const QStringList &arguments) override
    {
        QProcess process;
        process.setProgram(program);
        process.setArguments(arguments);
        if (!process.startDetached())
            throw Exception(QStringLiteral("Unable to start \"%1\": %2").arg(program, process.errorString()));
    }
};

std::unique_ptr<InstanceLauncher> &installed()
{
    static std::unique_ptr<InstanceLauncher> launcher;
    return launcher;
}
} // namespace

std::unique_ptr<InstanceLauncher> setInstanceLauncher(std::unique_ptr<InstanceLauncher> launcher)
{
    std::unique_ptr<InstanceLauncher> previous = std::move(installed());
    installed() = std::move(launcher);
    return previous;
}

InstanceLauncher &instanceLauncher()
{
    if (!installed())
        installed() = std::make_unique<ProcessLauncher>();
    return *installed();
}

void startSecondInstance(const QString &pagePath)
{
    instanceLauncher().start(QCoreApplication::applicationFilePath(), {pagePath});
}
} // namespace platform
