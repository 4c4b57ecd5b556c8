#pragma once
// The program's logic speaks the virtual-key numbers of the original platform; Qt's key codes
// and modifiers are mapped to them here, once.
#include <QFlags>
#include <Qt>
#include <cstdint>

class QKeyEvent;

// The modifier and mouse-button states a key or mouse event carries.
enum ShiftStateFlag : uint16_t {
    ssShift = 0x01,
    ssAlt = 0x02,
    ssCtrl = 0x04,
    ssLeft = 0x08,
    ssRight = 0x10,
    ssMiddle = 0x20,
    ssMeta = 0x40,
};
Q_DECLARE_FLAGS(TShiftState, ShiftStateFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TShiftState)

constexpr uint16_t VK_BACK = 8;
constexpr uint16_t VK_TAB = 9;
constexpr uint16_t VK_RETURN = 13;
constexpr uint16_t VK_SHIFT = 16;
constexpr uint16_t VK_CONTROL = 17;
constexpr uint16_t VK_MENU = 18; // Alt
constexpr uint16_t VK_ESCAPE = 27;
constexpr uint16_t VK_SPACE = 32;
constexpr uint16_t VK_PRIOR = 33;
constexpr uint16_t VK_NEXT = 34;
constexpr uint16_t VK_END = 35;
constexpr uint16_t VK_HOME = 36;
constexpr uint16_t VK_LEFT = 37;
constexpr uint16_t VK_UP = 38;
constexpr uint16_t VK_RIGHT = 39;
constexpr uint16_t VK_DOWN = 40;
constexpr uint16_t VK_INSERT = 45;
constexpr uint16_t VK_DELETE = 46;
constexpr uint16_t VK_F1 = 112;
constexpr uint16_t VK_OEM_7 = 222; // the quote key

namespace platform {
TShiftState shiftStateFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons = Qt::NoButton);
// The event's modifiers with the mouse buttons held while it came.
TShiftState shiftStateFromEvent(const QKeyEvent &event);
// 0 for a key without a virtual-key number. Shifted symbols of the US layout give the key
// they are typed on (Shift+' gives 222, like the apostrophe).
uint16_t virtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
uint16_t virtualKeyFromEvent(const QKeyEvent &event);
} // namespace platform
