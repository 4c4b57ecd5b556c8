// Copy and paste of components in the started main window: a generated page whose pre
// process holds N components (a chain: each one's exit 0 names the next, every fifth one's
// exit 1 names the one five before it), the first N/5 selected, copied through the clipboard
// text and pasted back into the same diagram through the Edit menu's commands. Paste covers
// the whole command: reading the clipboard, the import with fresh names and remapped exits,
// placing the group, rebuilding the diagram and selecting the pasted components; the import
// alone (into the section the paste left) is shown, and what the window adds to it: placing the
// group, rebuilding the diagram and selecting the pasted. Each run starts on a fresh page;
// figures are the best of five runs at the first size and of three at the larger ones.
// The goal is 1,000 pasted into 5,000 in under 200 ms, growing at most linearly with size.
#include "shell/diagramcommands.h"
#include "common/printingprompter.h"
#include "editors/lclgrapheditor.h"
#include "shell/mainform.h"
#include "shell/startup.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

QByteArray page(int count)
{
    QByteArray xml = "<wqf><function><fn>bench</fn></function><preproc>\r\n";
    for (int i = 0; i < count; ++i) {
        const QByteArray back = i % 5 == 4 ? QByteArray::number(i - 4) : QByteArray();
        xml += "<c><n>" + QByteArray::number(i) + "</n><t>SELECTQUERY</t><c>step " + QByteArray::number(i) + "</c><j>" +
               QByteArray::number(i + 1) + "</j><j>" + back + "</j><x>" + QByteArray::number(32 * (i % 40)) +
               "</x><y>" + QByteArray::number(26 * (i / 40)) +
               "</y><values><query><![CDATA[SELECT * FROM t WHERE id = :id]]></query></values></c>\r\n";
    }
    return xml + "</preproc><postproc/></wqf>\r\n";
}

struct Figures {
    double copy = 1e300, paste = 1e300, import = 1e300, window = 1e300;
};

Figures measure(int components, int copied, int runs)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("bench.wqf");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(page(components)) < 0)
        qFatal("cannot write the page");
    file.close();
    Figures best;
    for (int run = 0; run < runs; ++run) {
        StartOptions options;
        options.configDir = dir.filePath("cfg/pellorin/");
        options.programFileName = QStringLiteral("pellorin");
        options.programFolder = dir.filePath("app/");
        options.commandLine = QStringList{path};
        Program program(options);
        TMainFrm *form = program.mainForm();
        form->show();
        QApplication::setActiveWindow(form);
        QApplication::processEvents();
        form->findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setFocus();
        TWQFSection *section = form->GetCurrentDoc()->FindSection(QStringLiteral("preproc"));
        DataList group;
        for (int i = 0; i < copied; ++i)
            group.push_back(section->Items()[size_t(i)].get());
        form->PreEditor()->SetSelected(&group, true);

        QElapsedTimer timer;
        timer.start();
        form->CopyCommand();
        best.copy = std::min(best.copy, double(timer.nsecsElapsed()) / 1e6);

        timer.restart();
        form->PasteCommand(0, 0);
        best.paste = std::min(best.paste, double(timer.nsecsElapsed()) / 1e6);
        if (section->Items().size() != size_t(components + copied))
            qFatal("the paste added %d components", int(section->Items().size()) - components);

        std::vector<TWQFItem *> pasted;
        timer.restart();
        form->diagramCommands()->pasteClipIntoSection(true, &pasted);
        best.import = std::min(best.import, double(timer.nsecsElapsed()) / 1e6);

        // What the window adds to the import: placing the group, the rebuild, the selection.
        timer.restart();
        PlaceItemsAt(320, 260, pasted);
        form->PreEditor()->Rebuild();
        const DataList selection(pasted.begin(), pasted.end());
        form->PreEditor()->SetSelected(&selection, true);
        best.window = std::min(best.window, double(timer.nsecsElapsed()) / 1e6);
        form->SetModified(false);
    }
    return best;
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setPrompter(std::make_unique<pellorin_test::PrintingPrompter>());
    std::printf("%-20s %9s %10s %11s %11s %13s\n", "copied into section", "copy ms", "paste ms", "import ms",
                "window ms", "paste ms/1k");
    for (const int scale : {1, 2, 4}) {
        const int components = 5000 * scale, copied = 1000 * scale;
        const Figures f = measure(components, copied, scale == 1 ? 5 : 3);
        char label[32];
        std::snprintf(label, sizeof label, "%d into %d", copied, components);
        std::printf("%-20s %9.1f %10.1f %11.1f %11.1f %13.1f\n", label, f.copy, f.paste, f.import, f.window,
                    f.paste / (copied / 1000.0));
        std::fflush(stdout);
    }
    setPrompter(nullptr);
    return 0;
}
