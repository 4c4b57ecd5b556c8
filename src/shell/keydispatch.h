#pragma once
// The main window's keys, seen before its focused control sees them: Delete on the active
// diagram asks for its selection to be deleted, every other key is offered to the shortcut
// plug-ins first, and letters and digits typed outside a text control select the component
// of that name (type-ahead). Menu shortcuts are not handled here.
#include "platform/keys.h"

#include <QChar>
#include <QObject>
#include <QString>
#include <cstdint>

class QTimer;
class QWidget;
class TGraphEditor;
class WindowHost;

class KeyDispatch : public QObject {
    Q_OBJECT
public:
    // Watches the application's key presses bound for the window's widgets. The timer
    // SearchTimer, made on the window, ends a type-ahead 500 ms after its last key.
    explicit KeyDispatch(WindowHost &window);
    ~KeyDispatch() override;
    KeyDispatch(const KeyDispatch &) = delete;
    KeyDispatch &operator=(const KeyDispatch &) = delete;

    // What was typed so far; empty once the timer ended it.
    const QString &typeAhead() const { return m_typeAhead; }

    // Delete, or the shortcut plug-ins; key becomes 0 when it was consumed.
    void formKeyDown(uint16_t &key, TShiftState shift);
    // A typed character: an ASCII letter or digit, outside a text control, with a page open,
    // grows the type-ahead and selects by it. The key is never consumed.
    void formKeyPress(QChar key);
    void searchTimerTimer();

signals:
    // Delete on a diagram, outside a text control: its selection is to be deleted.
    void deleteRequested(TGraphEditor *editor);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // A key event climbs from its receiver to the parents; only its first receiver counts.
    QWidget *firstReceiver() const;
    bool textControlFocused() const;

    WindowHost &m_window;
    // The window owns it.
    QTimer &m_timer;
    QString m_typeAhead;
};
