#pragma once
// What both start-up programs of the bench do once their window is up: the first paint of the
// window ends the measured time; "shown" and the milliseconds since main() began, on standard
// output, tell the bench, and the program ends.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <cstdio>

class ShownReporter : public QObject {
public:
    // since: the clock started when main() began; the line tells how long the window took
    // from there.
    ShownReporter(QWidget *window, const QElapsedTimer &since) : QObject(window), m_since(since)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_reported) {
            m_reported = true;
            // After the paint that is running: the whole window has been drawn then.
            QTimer::singleShot(0, this, [this] {
                std::printf("shown %.2f\n", double(m_since.nsecsElapsed()) / 1e6);
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QElapsedTimer m_since;
    bool m_reported = false;
};
