// The baseline of the start-up bench: a bare application with an empty main window, shown.
#include "startupshown.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char **argv)
{
    QElapsedTimer sinceMain;
    sinceMain.start();
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(664, 541);
    new ShownReporter(&window, sinceMain);
    window.show();
    return app.exec();
}
