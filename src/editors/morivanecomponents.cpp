// The component catalogue: kinds, fields and the elements a kind creates.
#include "morivanecomponents.h"

#include "descriptionfiles.h"

#include "base/exception.h"
#include "base/inifile.h"
#include "base/textutils.h"
#include "model/wqftypes.h"
#include "model/xmlread.h"
#include "model/xmlwrite2.h"
#include "platform/appdirs.h"

#include <QFileInfo>

namespace {

// An empty value counts as a missing one in description files.
QString readText(const IniFile &ini, const QString &section, const QString &key, const QString &defaultValue)
{
    const QString value = ini.readString(section, key);
    return value.isEmpty() ? defaultValue : value;
}

// The element names one entry needs: the key of the description file and the name it gives.
using NameKeys = std::vector<std::pair<QLatin1String, QString>>;

// The message for the first unusable name, empty when all are usable.
QString nameError(const TComponentDescr &kind, const TComponentField &field, const NameKeys &keys)
{
    for (const auto &[key, name] : keys) {
        if (name.isEmpty())
            return QStringLiteral(
                       "The kind \"%1\" cannot create its elements: the field \"%2\" names no element in \"%3\"")
                .arg(kind.Name, field.Name, key);
        if (!isXmlElementName(name))
            return QStringLiteral("The kind \"%1\" cannot create its elements: \"%2\" in \"%3\" of the field \"%4\" is "
                                  "no element name")
                .arg(kind.Name, name, key, field.Name);
    }
    return {};
}

// A fixed entry, and the bare entry of the second pass: the name and type elements only when
// their names are set.
NameKeys fixedEntryKeys(const TComponentField &field)
{
    NameKeys keys;
    if (!field.NameTag.isEmpty())
        keys.push_back({QLatin1String("nametag"), field.NameTag});
    keys.push_back({QLatin1String("tag"), field.Tag});
    if (!field.TypeTag.isEmpty())
        keys.push_back({QLatin1String("typetag"), field.TypeTag});
    return keys;
}

NameKeys variableEntryKeys(const TComponentField &field)
{
    if (field.HostTag.isEmpty())
        return {{QLatin1String("nametag"), field.NameTag}, {QLatin1String("tag"), field.Tag}};
    return {{QLatin1String("hosttag"), field.HostTag},
            {QLatin1String("nametag"), field.NameTag},
            {QLatin1String("typetag"), field.TypeTag},
            {QLatin1String("tag"), field.Tag}};
}

XmlElement *append(XmlElement *parent, const QString &name)
{
    return static_cast<XmlElement *>(parent->appendChild(newElement(name)));
}

const XmlElement *firstChildNamed(const XmlNode *node, const QString &name)
{
    return name.isEmpty() ? nullptr : node->firstChildElement(name);
}

// The walk compares the node names of every kind of child, as the document gives them.
bool named(const XmlNode *node, const QString &name) { return !name.isEmpty() && node->nodeName() == name; }

void appendTextOf(const XmlNode *node, QStringList &values)
{
    if (node)
        values.append(node->textContent());
}

} // namespace

void TComponentDescr::LoadFromIni(const QString &fileName)
{
    const IniFile ini = IniFile::fromText(readDescriptionFile(fileName));
    auto readMain = [&](const QString &section) {
        MaxConn = strToIntDef(ini.readString(section, "MaxConn"), MaxConn);
        MinConn = strToIntDef(ini.readString(section, "MinConn"), MinConn);
        Name = readText(ini, section, "Name", platform::withoutExtension(QFileInfo(fileName).fileName()));
        UserName = readText(ini, section, "UserName", Name);
        OneValReq = ini.readBool(section, "onevalreq", false);
    };
    bool hasMain = false;
    for (const QString &section : ini.sections()) {
        if (sameTextAscii(section, u"MAIN")) {
            readMain(section);
            hasMain = true;
            continue;
        }
        TComponentField &field = Fields[size_t(FindOrAddField(section))];
        field.Name = section;
        field.Variable = ini.readBool(section, "variable", false);
        field.Tag = readText(ini, section, "tag", field.Tag);
        field.NameTag = readText(ini, section, "nametag", field.NameTag);
        field.TypeTag = readText(ini, section, "typetag", field.TypeTag);
        field.HostTag = readText(ini, section, "hosttag", field.HostTag);
        field.Types = readText(ini, section, "types", field.Types);
        field.DblQuote = ini.readBool(section, "dblquote", false);
        field.NoCData = ini.readBool(section, "nocdata", false);
        field.Default = readText(ini, section, "default", QString());
        field.Editable = ini.readBool(section, "editable", true);
        field.Values = readText(ini, section, "values", QString());
    }
    // Without a MAIN section the kind takes every default: it is named after its file.
    if (!hasMain)
        readMain(QStringLiteral("MAIN"));
}

int TComponentDescr::FindOrAddField(const QString &fieldName)
{
    for (size_t i = 0; i < Fields.size(); ++i)
        if (Fields[i].Name == fieldName)
            return int(i);
    Fields.emplace_back();
    return int(Fields.size() - 1);
}

QString TComponentDescr::paramNodesError() const
{
    // The type name and the defaults go into the page as texts; a blank type name would not
    // come back when the page is read again, and the component would lose its kind.
    const QString prefix = QStringLiteral("The kind \"%1\" cannot create its elements: ").arg(Name);
    if (!isXmlText(Name))
        return prefix + QStringLiteral("its name holds a character that a page cannot hold");
    if (newText(Name)->isWhitespaceText())
        return prefix + QStringLiteral("its name is blank, which a page does not keep");
    for (const TComponentField &field : Fields)
        if (!field.Variable && !isXmlText(field.Default))
            return prefix + QStringLiteral("the default of the field \"%1\" holds a character that a page cannot hold")
                                .arg(field.Name);
    for (const TComponentField &field : Fields) {
        // The second pass makes a bare entry of every field, the variable ones included.
        if (field.Variable && !OneValReq)
            continue;
        const QString error = nameError(*this, field, fixedEntryKeys(field));
        if (!error.isEmpty())
            return error;
    }
    return {};
}

QString TComponentDescr::variableParamNodesError() const
{
    for (const TComponentField &field : Fields) {
        if (!field.Variable)
            continue;
        const QString error = nameError(*this, field, variableEntryKeys(field));
        if (!error.isEmpty())
            return error;
    }
    return {};
}

void TComponentDescr::CreateParamNodes(TWQFItem *item, bool withDefaults) const
{
    XmlElement *values = item ? item->ValuesNode() : nullptr;
    if (!values)
        return;
    // Checked before the first element, so that a refused kind leaves no half-made component.
    const QString error = paramNodesError();
    if (!error.isEmpty())
        throw Exception(error);
    for (const TComponentField &field : Fields) {
        if (field.Variable)
            continue;
        if (!field.NameTag.isEmpty())
            append(values, field.NameTag);
        XmlElement *value = append(values, field.Tag);
        if (withDefaults && !field.Default.isEmpty())
            value->setTextContent(field.Default);
        if (!field.TypeTag.isEmpty())
            append(values, field.TypeTag);
    }
    if (!OneValReq)
        return;
    for (const TComponentField &field : Fields) {
        if (!field.NameTag.isEmpty())
            append(values, field.NameTag);
        append(values, field.Tag);
        if (!field.TypeTag.isEmpty())
            append(values, field.TypeTag);
    }
}

void TComponentDescr::AddVariableParamNodes(TWQFItem *item) const
{
    XmlElement *values = item ? item->ValuesNode() : nullptr;
    if (!values)
        return;
    const QString error = variableParamNodesError();
    if (!error.isEmpty())
        throw Exception(error);
    for (const TComponentField &field : Fields) {
        if (!field.Variable)
            continue;
        if (field.HostTag.isEmpty()) {
            append(values, field.NameTag);
            append(values, field.Tag);
        } else {
            XmlElement *host = append(values, field.HostTag);
            append(host, field.NameTag);
            append(host, field.TypeTag);
            append(host, field.Tag);
        }
    }
}

ComponentDescrList &ComponentDescrs()
{
    static ComponentDescrList list;
    return list;
}

void clearComponentDescrs() { ComponentDescrs().clear(); }

QStringList LoadComponentDescrs(const QString &dir)
{
    return loadDescriptionFolder(dir, QStringLiteral("Component kind skipped: "),
                                 [](const QString &folder, const QString &file) {
                                     auto kind = std::make_unique<TComponentDescr>();
                                     kind->LoadFromIni(folder + file);
                                     ComponentDescrs().push_back(std::move(kind));
                                 });
}

TComponentDescr *FindComponentDescr(const QString &typeName)
{
    for (const auto &kind : ComponentDescrs())
        if (sameTextAscii(kind->Name, typeName))
            return kind.get();
    return nullptr;
}

void GetParamValues(const TWQFItem *item, QStringList *texts)
{
    if (!item || !texts)
        return;
    const TComponentDescr *kind = FindComponentDescr(item->GetType());
    const XmlElement *values = item->ValuesNode();
    if (!kind || !values)
        return;
    const XmlNode *child = values->firstChild();
    while (child) {
        const XmlNode *next = child->nextSibling();
        for (const TComponentField &field : kind->Fields) {
            if (named(child, field.HostTag)) {
                appendTextOf(firstChildNamed(child, field.NameTag), *texts);
                appendTextOf(firstChildNamed(child, field.TypeTag), *texts);
                appendTextOf(firstChildNamed(child, field.Tag), *texts);
                break;
            }
            if (named(child, field.NameTag)) {
                texts->append(child->textContent());
                const XmlNode *follower = child->nextSibling();
                while (follower && follower->isText())
                    follower = follower->nextSibling();
                if (follower && named(follower, field.Tag))
                    texts->append(follower->textContent());
                next = follower ? follower->nextSibling() : nullptr;
                break;
            }
            if (named(child, field.Tag)) {
                texts->append(child->textContent());
                break;
            }
        }
        child = next;
    }
}
