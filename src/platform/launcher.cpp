#include "launcher.h"

#include "base/exception.h"

#include <QCoreApplication>
#include <QProcess>

namespace platform {
namespace {
class ProcessLauncher : public InstanceLauncher {
public:
    void Start(const QString &program, const QStringList &arguments) override
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

std::unique_ptr<InstanceLauncher> SetInstanceLauncher(std::unique_ptr<InstanceLauncher> Launcher)
{
    std::unique_ptr<InstanceLauncher> previous = std::move(installed());
    installed() = std::move(Launcher);
    return previous;
}

InstanceLauncher &instanceLauncher()
{
    if (!installed())
        installed() = std::make_unique<ProcessLauncher>();
    return *installed();
}

void StartSecondInstance(const QString &PagePath)
{
    instanceLauncher().Start(QCoreApplication::applicationFilePath(), {PagePath});
}
} // namespace platform
