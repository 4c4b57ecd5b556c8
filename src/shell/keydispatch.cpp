// The main window's keys, seen before the focused control sees them: tab switching, the
// shortcut plug-ins and the type-ahead selection of a component by its name.
#include "keydispatch.h"

#include "checks/pellorinplugin.h"
#include "diagramcommands.h"
#include "formparts.h"
#include "openpage.h"
#include "pageviews.h"
#include "platform/slotguard.h"
#include "windowhost.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QTabBar>
#include <QTimer>

namespace {
// Qt's tab bar switches tabs on the arrow keys whatever the modifiers; with Alt they move
// the selected components, and the diagram they moved on must stay in view.
bool altArrowOnTabBar(QObject *receiver, const QKeyEvent &event)
{
    const int key = event.key();
    return qobject_cast<QTabBar *>(receiver) && event.modifiers().testFlag(Qt::AltModifier) &&
           (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down);
}

// ASCII only: other letters and digits never make a name.
bool isTypeAheadChar(QChar key)
{
    const char16_t c = key.unicode();
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}
} // namespace

KeyDispatch::KeyDispatch(WindowHost &window)
    : m_window(window), m_timer(*named(new QTimer(window.windowWidget()), "SearchTimer"))
{
    m_timer.setInterval(500);
    m_timer.setSingleShot(true);
    m_timer.stop();
    connect(&m_timer, &QTimer::timeout, this, guarded([this] { searchTimerTimer(); }));
    qApp->installEventFilter(this);
}

KeyDispatch::~KeyDispatch() = default;

bool KeyDispatch::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || watched != firstReceiver())
        return false;
    auto *keyEvent = static_cast<QKeyEvent *>(event);
    bool consumed = false;
    // A command may rebuild the property panel or close the page and so free the control the
    // key is on its way to; the key then ends here.
    const QPointer<QObject> receiver = watched;
    runGuarded([&] {
        uint16_t key = platform::virtualKeyFromEvent(*keyEvent);
        formKeyDown(key, platform::shiftStateFromEvent(*keyEvent));
        consumed = key == 0 || !receiver || altArrowOnTabBar(watched, *keyEvent);
        // Ctrl and Alt combinations type no character.
        const QString text = keyEvent->text();
        if (!consumed && text.size() == 1 &&
            !(keyEvent->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
            formKeyPress(text.front());
    });
    if (!receiver)
        consumed = true;
    if (consumed)
        event->accept();
    return consumed;
}

QWidget *KeyDispatch::firstReceiver() const
{
    // Keys of other windows (dialogs, menus) are theirs.
    QWidget *window = m_window.windowWidget();
    if (QWidget *grabber = QWidget::keyboardGrabber())
        return grabber->window() == window ? grabber : nullptr;
    QWidget *focused = window->focusWidget();
    return focused ? focused : window;
}

bool KeyDispatch::textControlFocused() const { return IsEditControl(m_window.windowWidget()->focusWidget()); }

void KeyDispatch::formKeyDown(uint16_t &key, TShiftState shift)
{
    if (key == VK_DELETE) {
        // Otherwise the key goes on to the focused control; the plug-ins never see it.
        TGraphEditor *editor = m_window.views().activeGraphEditor();
        if (editor && !textControlFocused()) {
            key = 0;
            emit deleteRequested(editor);
        }
        return;
    }
    bool handled = false;
    DispatchShortCut(key, shift, handled);
    if (handled)
        key = 0;
}

void KeyDispatch::formKeyPress(QChar key)
{
    if (!isTypeAheadChar(key) || textControlFocused() || !m_window.page().document())
        return;
    m_timer.stop();
    m_timer.start();
    m_typeAhead += key;
    m_window.views().selectItemByName(m_typeAhead);
}

void KeyDispatch::searchTimerTimer()
{
    m_typeAhead.clear();
    m_timer.stop();
}
