// The checks of the HTML part's form controls and conditions.
#include "htmlchecks.h"

#include "base/textutils.h"
#include "itemscheck.h"
#include "model/htmlcontrols.h"
#include "model/htmlparsingtree.h"
#include "model/wqftypes.h"

QString THTMLVerify::GetDescription() { return QStringLiteral("HTML Verification: condition and tooltips"); }

bool CheckTooltip(const QString &title, QString &msg)
{
    msg.clear();
    const QString trimmed = trim(title);
    if (trimmed.isEmpty())
        msg = QStringLiteral("No tooltip specified");
    else if (!trimmed.endsWith(u'.'))
        msg = QStringLiteral("Period (\".\") is missing at the end of the tooltip");
    return msg.isEmpty();
}

void THTMLVerify::CheckFile(TWQFFile *doc, CheckMessageList &messages)
{
    if (!doc)
        return;
    // The controls are bound to the tree's elements, so they go first.
    const std::unique_ptr<TMLTree> tree = ParseHTML(doc->GetHtml());
    HTMLControlList controls;
    BuildControls(tree.get(), controls);
    for (const std::unique_ptr<THTMLControl> &control : controls) {
        const TMLItem *element = control->Item();
        if (!element)
            continue;
        QString name = element->GetAttribute(u"id", true);
        const TMLItem *inner = control->TagName().isEmpty() ? nullptr : element->ChildByName(control->TagName());
        if (inner) {
            name = inner->GetAttribute(u"name", true);
            QString msg;
            if (!CheckTooltip(inner->GetAttribute(u"title", true), msg))
                messages.append({QStringLiteral("HINT: HTML \"") + name + QStringLiteral("\": ") + msg, nullptr});
        }
        QString error;
        if (!CheckCondition(element->GetAttribute(u"condition", true), error))
            messages.append(
                {QStringLiteral("HINT: ") +
                     (name.isEmpty() ? QString() : QStringLiteral("HTML \"") + name + QStringLiteral("\": ")) + error,
                 nullptr});
    }
}

void initHTMLChecks() { RegisterPlugin(std::make_unique<THTMLVerify>()); }
