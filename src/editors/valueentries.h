#pragma once
// Which children of a component's "values" element the property panel shows, and as what: the
// walk that groups them by the parameter fields of the component's kind into entries, in
// document order. Nothing here makes a control or changes the page.
#include <QString>
#include <vector>

struct TComponentField;
class XmlElement;
class XmlNode;

// The node's next sibling, passing over text nodes only (comments and CDATA sections count).
XmlNode *NextElementSibling(const XmlNode *node);
// The type and value elements that follow an entry's name element: the next sibling when it
// is named typeName, then the sibling after it (or the next one when there was no type) when
// it is named valueName. Empty names never match.
void MatchEntryFollowers(const XmlNode *nameNode, const QString &typeName, const QString &valueName,
                         XmlElement *&typeNode, XmlElement *&valueNode);

// The elements of one field that one child of "values" (and the siblings it takes along)
// gives the panel. Any of the three may be missing.
struct ValueEntry {
    const TComponentField *field = nullptr; // points into the fields walked
    int number = 0; // the entry's place among its variable field's entries, from 1; 0 for a fixed field
    XmlElement *nameNode = nullptr;
    XmlElement *typeNode = nullptr;
    XmlElement *valueNode = nullptr;
    XmlElement *host = nullptr; // the element wrapping the entry, when one does
};

struct ValueEntries {
    std::vector<ValueEntry> entries;
    std::vector<int> counts; // entries of each variable field, in field order
};

// Each child of values is taken by the first editable field whose host, name or value element
// it is; a name element takes its type and value elements along, and the walk goes on after
// them (it ends there when the value is missing). A child no field takes gives nothing.
ValueEntries walkValueEntries(const XmlElement *values, const std::vector<TComponentField> &fields);

// "Name: count" of every field with entries, in field order, joined by "; "; empty when none.
QString entrySummary(const std::vector<TComponentField> &fields, const std::vector<int> &counts);
