#include "launcher.h"

#include "base/exception.h"

#include <QCoreApplication>
#include <QProcess>

namespace platform {
namespace {
class ProcessLauncher : public TInstanceLauncher {
public:
    void Start(const QString &Program, const QStringList &Arguments) override
    {
        QProcess process;
        process.setProgram(Program);
        process.setArguments(Arguments);
        if (!process.startDetached())
            throw Exception(QStringLiteral("Unable to start \"%1\": %2").arg(Program, process.errorString()));
    }
};

std::unique_ptr<TInstanceLauncher> &installed()
{
    static std::unique_ptr<TInstanceLauncher> launcher;
    return launcher;
}
} // namespace

std::unique_ptr<TInstanceLauncher> SetInstanceLauncher(std::unique_ptr<TInstanceLauncher> Launcher)
{
    std::unique_ptr<TInstanceLauncher> previous = std::move(installed());
    installed() = std::move(Launcher);
    return previous;
}

TInstanceLauncher &InstanceLauncher()
{
    if (!installed())
        installed() = std::make_unique<ProcessLauncher>();
    return *installed();
}

void StartSecondInstance(const QString &PagePath)
{
    InstanceLauncher().Start(QCoreApplication::applicationFilePath(), {PagePath});
}
} // namespace platform
