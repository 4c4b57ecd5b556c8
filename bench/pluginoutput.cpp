// A check program's output on its way to the message list: a script prints keyed lines, the
// full check reads them into messages, and a list set up as the window's shows them.
//   bench_pluginoutput [lines [extra bytes per line]]   (default 300,000 lines of 50 bytes)
#include "benchutil.h"
#include "checks/extappplugin.h"
#include "checks/pellorinplugin.h"
#include "shell/checkmessages.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QByteArray lines = argc > 1 ? argv[1] : "300000";
    const QByteArray extra = argc > 2 ? argv[2] : "0";
    QTemporaryDir dir;
    {
        QFile script(dir.filePath("run.sh"));
        if (!script.open(QIODevice::WriteOnly))
            return 1;
        script.write("#!/bin/sh\nawk 'BEGIN { pad = sprintf(\"%" + extra + "s\", \"\"); for (i = 0; i < " + lines +
                     "; i++) printf \"E preproc %d: message number %d of the program%s\\n\", i % 50, i, pad }'\n");
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    }
    auto page = bench::loadPage("<wqf><preproc><c><n>1</n><t>SET</t></c></preproc></wqf>");
    initPluginRegistry();
    auto plugin = std::make_unique<TExtAppWarnPlugin>();
    plugin->Name = "Bench";
    plugin->folder = dir.path() + '/';
    plugin->Cmd = QStringLiteral("run.sh");
    plugin->Timeout = 600000;
    RegisterPlugin(std::move(plugin));

    QListWidget list;
    list.setUniformItemSizes(true);
    list.resize(800, 200);
    list.show();
    QElapsedTimer timer;
    timer.start();
    runChecksInto(&list, page.get(), false);
    const double fill = timer.nsecsElapsed() / 1e9;
    timer.restart();
    QApplication::processEvents();
    list.repaint();
    const double paint = timer.nsecsElapsed() / 1e9;
    timer.restart();
    list.scrollToBottom();
    list.repaint();
    const double scroll = timer.nsecsElapsed() / 1e9;
    std::printf("%s lines: %d rows, run and fill %.2f s, first paint %.3f s, to the end %.3f s\n", lines.constData(),
                list.count(), fill, paint, scroll);
    donePluginRegistry();
    return 0;
}
