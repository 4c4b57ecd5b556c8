#pragma once
// Key combinations of the main window, served through the host interface: Ctrl+Enter opens
// the page an external component names, Alt+arrows move the selected components, Ctrl+'
// and Ctrl+Shift+' double and undouble the quotes of the focused text.
#include "pellorinplugin.h"

class QWidget;

// Ctrl+Enter on one selected "EXTERNAL" component opens its page, beside the open one.
class TOpenExternalFile : public TShortCutPlugin {
public:
    QString className() const override { return QStringLiteral("TOpenExternalFile"); }
    bool Accepts(uint16_t key, TShiftState shift) override;
    // Leaves handled as it is: the key goes on.
    void Execute(uint16_t key, TShiftState shift, bool &handled) override;
};

// Alt+arrow moves the selected components of the active diagram by one grid step (32 across,
// 24 down), unless a text control has the focus.
class TMoveWQFComponents : public TShortCutPlugin {
public:
    QString className() const override { return QStringLiteral("TMoveWQFComponents"); }
    bool Accepts(uint16_t key, TShiftState shift) override;
    // Leaves handled as it is: the key goes on.
    void Execute(uint16_t key, TShiftState shift, bool &handled) override;
};

// Ctrl+' doubles every "'" of the focused text, Ctrl+Shift+' makes every "''" one again.
class TRequote : public TShortCutPlugin {
public:
    QString className() const override { return QStringLiteral("TRequote"); }
    bool Accepts(uint16_t key, TShiftState shift) override;
    // handled when the focused control has a text.
    void Execute(uint16_t key, TShiftState shift, bool &handled) override;
};

// What the focused control is to these keys: no text control, a single-line edit the
// program writes back into, another edit control (read, not written) or a source editor.
enum class TextControlKind { None, LineEdit, OtherEdit, SourceEditor };
TextControlKind textControlKind(const QWidget *control);

// The three plug-ins, in their order, at start-up.
void initShortKeys();
