#pragma once
// The component catalogue: the kinds of component, one description file each, and what a kind
// keeps below a component's "values" element.
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class TWQFItem;

// One parameter field of a kind: one section of its description file.
struct TComponentField {
    QString Name; // the section name, case kept
    bool Variable = false; // repeatable entries, added and removed in the property panel
    QString Tag; // value element
    QString Default; // text of the value element of a new component
    QString NameTag; // name element; empty: none
    QString TypeTag; // type element; empty: none
    QString HostTag; // element wrapping one variable entry; empty: entries are not wrapped
    QString Types; // comma text: the choices of an entry's type
    bool DblQuote = false; // the stored text has its apostrophes doubled
    bool NoCData = false; // a new value is written as plain text, not as a CDATA section
    bool Editable = false; // shown in the property panel (a loaded field defaults to true)
    QString Values; // comma text: fixed choices of the value
};

// One kind of component.
class TComponentDescr {
public:
    TComponentDescr() = default;

    QString UserName; // caption
    QString Name; // type name: the text of a component's "t" element
    int MaxConn = 1;
    int MinConn = 0;
    std::vector<TComponentField> Fields;
    bool OneValReq = false;

    int FieldCount() const { return int(Fields.size()); }

    // Fills the kind from one description file; raises Exception when the file cannot be
    // read or is no UTF-8 text, keeping what was read before.
    void LoadFromIni(const QString &fileName);
    // The first field of exactly that name; an empty field is appended when there is none.
    int FindOrAddField(const QString &name);

    // The value elements of a new component: the fixed entries (with the defaults when asked),
    // and with OneValReq one bare entry of every field. Raises Exception with the text of
    // ParamNodesError, creating nothing, when an element name is not usable.
    void CreateParamNodes(TWQFItem *item, bool withDefaults) const;
    // One new empty entry of every variable field; raises like CreateParamNodes.
    void AddVariableParamNodes(TWQFItem *item) const;

    // Empty when every element CreateParamNodes would create has a valid name and the kind's
    // name (not blank) and defaults are texts a page can hold; otherwise a message naming the
    // kind, the field and the key. Asked before a component is added, so that a refused kind
    // adds nothing.
    QString paramNodesError() const;
    // The same for AddVariableParamNodes.
    QString variableParamNodesError() const;
};

using ComponentDescrList = std::vector<std::unique_ptr<TComponentDescr>>;

// The program's catalogue, in the order the kinds were added; it owns them.
ComponentDescrList &ComponentDescrs();
void clearComponentDescrs();

// Appends one kind per "*.ini" file of dir, in the sorted order of the folder listing. A file
// that cannot be read or is no UTF-8 text is skipped; the result has one line per skipped
// file naming it and the reason.
QStringList LoadComponentDescrs(const QString &dir);

// The first kind whose Name equals typeName, both upper-cased (ASCII); none when there is none.
TComponentDescr *FindComponentDescr(const QString &typeName);

// Appends the text of every value, name and type element of the component that its kind
// recognises, in document order, as stored (doubled apostrophes stay doubled). Nothing for a
// missing component or list, a kind not in the catalogue, or a component without "values".
void GetParamValues(const TWQFItem *item, QStringList *values);
