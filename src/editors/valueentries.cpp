// Which children of a component's values the panel shows, and as what.
#include "valueentries.h"

#include "morivanecomponents.h"

#include "model/xmldom.h"

#include <QStringList>

namespace {
bool isNamed(const XmlNode *node, const QString &name)
{
    return node && node->isElement() && !name.isEmpty() && node->name() == name;
}
} // namespace

XmlNode *NextElementSibling(const XmlNode *node)
{
    XmlNode *next = node ? node->nextSibling() : nullptr;
    while (next && next->isText())
        next = next->nextSibling();
    return next;
}

void MatchEntryFollowers(const XmlNode *nameNode, const QString &typeName, const QString &valueName,
                         XmlElement *&typeNode, XmlElement *&valueNode)
{
    XmlNode *next = NextElementSibling(nameNode);
    typeNode = nullptr;
    if (isNamed(next, typeName)) {
        typeNode = next->toElement();
        next = NextElementSibling(next);
    }
    valueNode = isNamed(next, valueName) ? next->toElement() : nullptr;
}

ValueEntries walkValueEntries(const XmlElement *values, const std::vector<TComponentField> &fields)
{
    ValueEntries walk;
    walk.counts.assign(fields.size(), 0);
    XmlNode *child = values ? values->firstChild() : nullptr;
    while (child) {
        XmlNode *at = child; // where the walk stands when the entry is done
        for (size_t f = 0; f < fields.size(); ++f) {
            const TComponentField &field = fields[f];
            if (!field.Editable)
                continue;
            ValueEntry entry;
            if (isNamed(child, field.HostTag)) {
                XmlElement *host = child->toElement();
                entry.nameNode = host->firstChildElement(field.NameTag);
                entry.typeNode = host->firstChildElement(field.TypeTag);
                entry.valueNode = host->firstChildElement(field.Tag);
                entry.host = host;
            } else if (isNamed(child, field.NameTag)) {
                entry.nameNode = child->toElement();
                MatchEntryFollowers(child, field.TypeTag, field.Tag, entry.typeNode, entry.valueNode);
                at = entry.valueNode;
                // A bare entry of a kind that asks for one value of every field holds its type
                // after its value; it belongs to the entry, so that deleting it leaves no
                // orphan behind.
                if (!entry.typeNode && entry.valueNode && field.Variable)
                    if (XmlNode *next = NextElementSibling(entry.valueNode); isNamed(next, field.TypeTag)) {
                        entry.typeNode = next->toElement();
                        at = next;
                    }
            } else if (isNamed(child, field.Tag)) {
                entry.valueNode = child->toElement();
            } else {
                continue;
            }
            entry.field = &field;
            if (field.Variable)
                entry.number = ++walk.counts[f];
            walk.entries.push_back(entry);
            break;
        }
        if (!at)
            break;
        child = at->nextSibling();
    }
    return walk;
}

QString entrySummary(const std::vector<TComponentField> &fields, const std::vector<int> &counts)
{
    QStringList summary;
    for (size_t f = 0; f < fields.size() && f < counts.size(); ++f)
        if (counts[f] > 0)
            summary << fields[f].Name + QStringLiteral(": ") + QString::number(counts[f]);
    return summary.join(QStringLiteral("; "));
}
