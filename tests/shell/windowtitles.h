#pragma once
// The titles the window system shows, as the user reads them over the windows.
//
// On X the title is read back from the window (xdotool getwindowname). Offscreen there is no
// window system to ask, so what Qt's platform windows hand one is kept instead: a window's
// title followed by " — " and the application's display name, once that was set and unless
// the title already ends with it, taken when the native window is made and whenever its
// title changes, and never brought up to date afterwards.
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QHash>
#include <QObject>
#include <QPlatformSurfaceEvent>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QWidget>
#include <QWindow>

namespace pellorin_test {

class WindowTitles : public QObject {
public:
    // Watches every window made from now on.
    WindowTitles() { QCoreApplication::instance()->installEventFilter(this); }
    ~WindowTitles() override { QCoreApplication::instance()->removeEventFilter(this); }
    WindowTitles(const WindowTitles &) = delete;
    WindowTitles &operator=(const WindowTitles &) = delete;

    static bool onX() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

    // What the user reads over window; empty for a window that was never shown.
    QString shown(QWidget *window) const
    {
        QWindow *handle = window ? window->windowHandle() : nullptr;
        if (!handle || !handle->handle())
            return QString();
        if (!onX())
            return m_handedOver.value(handle);
        QGuiApplication::sync();
        const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
        if (xdotool.isEmpty())
            qFatal("reading the titles on X needs xdotool");
        QProcess ask;
        ask.start(xdotool, {QStringLiteral("getwindowname"), QString::number(handle->winId())});
        ask.waitForFinished(5000);
        QString name = QString::fromUtf8(ask.readAllStandardOutput());
        if (name.endsWith(u'\n'))
            name.chop(1);
        return name;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::PlatformSurface)
            return false;
        auto *window = qobject_cast<QWindow *>(watched);
        if (!window ||
            static_cast<QPlatformSurfaceEvent *>(event)->surfaceEventType() != QPlatformSurfaceEvent::SurfaceCreated)
            return false;
        m_handedOver[window] = handedOver(window->title());
        connect(window, &QWindow::windowTitleChanged, this, [this, window](const QString &title) {
            if (window->handle())
                m_handedOver[window] = handedOver(title);
        });
        return false;
    }

private:
    static QString handedOver(const QString &title)
    {
        // Without a display name of its own the application answers its name.
        const QString display = QGuiApplication::applicationDisplayName();
        if (display == QCoreApplication::applicationName() || title.endsWith(display))
            return title.isEmpty() ? QCoreApplication::applicationName() : title;
        return title.isEmpty() ? display : title + QStringLiteral(" \u2014 ") + display;
    }

    QHash<QWindow *, QString> m_handedOver;
};

} // namespace pellorin_test
