#pragma once
// Pictures of the shown window, taken as the display shows it, and saved for people to look at.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QScreen>
#include <QString>
#include <QWidget>

namespace pellorin_test {
inline bool onRealDisplay() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

// Where the picture called name goes, one for each platform the tests run on.
inline QString screenshotPath(const QString &name)
{
    QDir().mkpath(PELLORIN_SCREENSHOTS);
    return QString(PELLORIN_SCREENSHOTS) + "/" + name + "-" + QGuiApplication::platformName() + ".png";
}

// A real display shows everything on its screen; offscreen, the window paints itself.
inline QImage shoot(QWidget *window)
{
    if (onRealDisplay())
        return QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    return window->grab().toImage();
}

// Where a point of a widget of the window shows in a shot: on a real display the shot is the
// screen.
inline QPoint inShot(QWidget *window, QWidget *widget, QPoint at)
{
    return onRealDisplay() ? widget->mapToGlobal(at) : widget->mapTo(window, at);
}
inline QRect placeInShot(QWidget *window, QWidget *widget)
{
    return QRect(inShot(window, widget, QPoint(0, 0)), widget->size());
}
} // namespace pellorin_test
