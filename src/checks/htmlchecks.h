#pragma once
// The check of the page's HTML form controls: input controls carry a tooltip that ends with
// a full stop, and every control's condition is a valid expression.
#include "pellorinplugin.h"

#include <QString>

class THTMLVerify : public TWarningPlugin {
public:
    QString className() const override { return QStringLiteral("THTMLVerify"); }
    QString GetDescription() override;
    // Lines "HINT: ...", not tagged with a component.
    void CheckFile(TWQFFile *doc, CheckMessageList &messages) override;
};

// True when the title, trimmed, is not empty and ends with a full stop; otherwise false with
// the message saying which.
bool CheckTooltip(const QString &title, QString &msg);

// Registers the HTML check, after all other built-in checks.
void initHTMLChecks();
