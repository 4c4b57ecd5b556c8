// The property panel of a component with many parameter entries: the time of one build, and
// whether switching between two such components leaves widgets behind.
#include "editors/morivanecomponents.h"
#include "editors/scrolledtagseditor.h"
#include "model/wqftypes.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QScrollArea>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
constexpr int kEntries = 200;
constexpr int kSwitches = 100;

QByteArray component(const char *name)
{
    QByteArray values = "<query><![CDATA[select a, b from t where c = :c]]></query>";
    for (int i = 0; i < kEntries; ++i)
        values += "<param><n>p" + QByteArray::number(i) + "</n><t>STRING</t><v><![CDATA[value " +
                  QByteArray::number(i) + "]]></v></param>";
    return QByteArray("<c><n>") + name + "</n><t>SELECTQUERY</t><c>bench</c><j/><j/><x>0</x><y>0</y><values>" + values +
           "</values></c>";
}

int widgets(QWidget *container) { return int(container->findChildren<QWidget *>().size()); }

// What the event loop does between two clicks of the user.
void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    TComponentDescr kind;
    kind.Name = "SELECTQUERY";
    kind.Fields.resize(2);
    kind.Fields[0].Name = "SQL";
    kind.Fields[0].Tag = "query";
    kind.Fields[0].Editable = true;
    TComponentField &param = kind.Fields[1];
    param.Name = "Parameters";
    param.Variable = true;
    param.HostTag = "param";
    param.NameTag = "n";
    param.TypeTag = "t";
    param.Tag = "v";
    param.Types = "STRING,INTEGER,FLOAT,DATETIME,BOOLEAN,CURRENCY";
    param.Editable = true;

    TWQFFile page;
    QBuffer buffer;
    buffer.setData("<wqf><preproc>" + component("1") + component("2") + "</preproc><postproc/></wqf>");
    buffer.open(QIODevice::ReadOnly);
    if (!page.LoadFromStream(buffer, {})) {
        std::fprintf(stderr, "page does not load\n");
        return 1;
    }
    TWQFItem *first = page.Sections().front()->Items()[0].get();
    TWQFItem *second = page.Sections().front()->Items()[1].get();

    QWidget window;
    auto *scroll = new QScrollArea(&window);
    scroll->setWidgetResizable(true);
    auto *container = new QWidget;
    scroll->setWidget(container);
    scroll->resize(320, 600);
    window.resize(320, 600);
    window.show();
    QCoreApplication::processEvents();

    TScrolledTagsEditor panel;
    panel.ScrollBox = scroll;

    std::vector<qint64> builds;
    QElapsedTimer timer;
    for (int i = 0; i < 10; ++i) {
        timer.start();
        panel.BuildPropertyPanel(i % 2 ? second : first, container, &kind);
        builds.push_back(timer.nsecsElapsed());
        settle();
    }
    panel.BuildPropertyPanel(first, container, &kind);
    settle();
    const int afterFirst = widgets(container);

    timer.start();
    for (int i = 0; i < kSwitches; ++i) {
        panel.BuildPropertyPanel(i % 2 ? first : second, container, &kind);
        settle();
    }
    const qint64 switching = timer.nsecsElapsed();
    panel.BuildPropertyPanel(first, container, &kind);
    settle();
    const int afterSwitches = widgets(container);

    std::sort(builds.begin(), builds.end());
    std::printf("panel of %d entries (%zu controls): build median %.1f ms, best %.1f ms\n", kEntries,
                panel.Owned().size(), builds[builds.size() / 2] / 1e6, builds.front() / 1e6);
    std::printf("%d switches: %.1f ms in all, %.1f ms each\n", kSwitches, switching / 1e6, switching / 1e6 / kSwitches);
    std::printf("widgets after the first build %d, after the switches %d\n", afterFirst, afterSwitches);
    return afterFirst == afterSwitches ? 0 : 1;
}
