// Shows one section of a page file as its diagram, to look at it as a user would:
//   diagram_viewer PAGE [SECTION] [--images FOLDER] [--zoom Z]
// SECTION defaults to "preproc"; pictures are "rule" + type + ".png" of FOLDER.
#include "../diagramwindow.h"

#include <QApplication>
#include <QStringList>
#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString images;
    double zoom = 1.0;
    for (qsizetype i = 0; i + 1 < args.size();) {
        if (args[i] == QLatin1String("--images")) {
            images = args[i + 1];
            args.remove(i, 2);
        } else if (args[i] == QLatin1String("--zoom")) {
            zoom = args[i + 1].toDouble();
            args.remove(i, 2);
        } else {
            ++i;
        }
    }
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: diagram_viewer PAGE [SECTION] [--images FOLDER] [--zoom Z]\n");
        return 2;
    }
    pellorin_test::OpenedPage page;
    if (!page.load(args[0])) {
        std::fprintf(stderr, "%s\n", qPrintable(page.file.LastError()));
        return 1;
    }
    const QString name = args.size() > 1 ? args[1] : QStringLiteral("preproc");
    TWQFSection *section = page.file.FindSection(name);
    if (!section) {
        std::fprintf(stderr, "no section %s\n", qPrintable(name));
        return 1;
    }
    pellorin_test::FolderPictures pictures(images);
    pellorin_test::DiagramWindow window(section, &page.notes, zoom > 0 ? zoom : 1.0);
    if (!images.isEmpty())
        window.source->OnGetImage = [&pictures](TWQFItem *, const QString &type) { return pictures.get(type); };
    window.setWindowTitle(QStringLiteral("Pellorin - ") + args[0] + QStringLiteral(" [") + name + QStringLiteral("]"));
    window.resize(960, 640);
    window.show();
    return app.exec();
}
