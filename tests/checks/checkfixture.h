#pragma once
// Pages and check runs for the check tests.
#include "checks/pellorinplugin.h"
#include "common/pagefixture.h"

#include <QStringList>

namespace pellorin_test {

// A component element: name, type, exits, and the inner XML of its values.
inline QByteArray comp(const QByteArray &name, const QByteArray &type, const QList<QByteArray> &exits = {},
                       const QByteArray &values = {})
{
    QByteArray xml = "<c><n>" + name + "</n><t>" + type + "</t><c/>";
    for (const QByteArray &exit : exits)
        xml += "<j>" + exit + "</j>";
    return xml + "<x>0</x><y>0</y><values>" + values + "</values></c>";
}

// The lines as the message list shows them: a tagged line after its component's section and
// name.
inline QStringList shown(const CheckMessageList &messages)
{
    QStringList out;
    for (const CheckMessage &m : messages)
        out << (m.item ? m.item->Section()->GetName() + u' ' + m.item->GetName() + QStringLiteral(": ") + m.text
                       : m.text);
    return out;
}

// One check plug-in alone over the page, full run.
inline QStringList runCheck(std::unique_ptr<TWarningPlugin> check, TWQFFile *page)
{
    PluginRegistry registry;
    registry.registerPlugin(std::move(check));
    CheckMessageList messages;
    registry.runWarningPlugins(page, false, &messages);
    return shown(messages);
}
} // namespace pellorin_test
