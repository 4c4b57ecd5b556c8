#pragma once
// The page document: typed access to the parts of a page file that the editor knows.
// Everything else stays in the DOM as it was read and is written back with it.
#include "base/stringlist.h"
#include "xmldom.h"
#include "xmlwrite2.h"

#include <QIODevice>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class PageFile;
class TWQFFile;
class TWQFSection;

// Options of load and save; bits 1 and 2 swap places in the writer's flags, so the two are
// distinct types and this is the one way from the first to the second.
enum PageOption : uint8_t {
    poWhitespace = 1, // keep whitespace-only text; write without indentation
    poForceHeader = 2, // always write the declaration
    poClearEol = 4, // no line break after the document
};
Q_DECLARE_FLAGS(PageOptions, PageOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(PageOptions)
WriterFlags writerFlagsFromOptions(PageOptions options);

// A macro attached to one code component; the component owns it.
class ItemMacro {
public:
    virtual ~ItemMacro() = default;
};

class TWQFParam;
using WQFParamList = std::vector<std::unique_ptr<TWQFParam>>;

// One component: a "c" element of a section. The references to its children are taken
// once, when the object is made; only SetX and SetY create a missing child afterwards.
class TWQFItem {
public:
    TWQFItem(XmlElement *node, TWQFSection *section);
    virtual ~TWQFItem();
    TWQFItem(const TWQFItem &) = delete;
    TWQFItem &operator=(const TWQFItem &) = delete;

    TWQFSection *Section() const { return m_section; }
    XmlElement *Node() const { return m_node; }
    XmlElement *XNode() const { return m_x; }
    XmlElement *YNode() const { return m_y; }
    XmlElement *NNode() const { return m_n; }
    XmlElement *TNode() const { return m_t; }
    XmlElement *CNode() const { return m_c; }

    ItemMacro *Macro() const { return m_macro.get(); }
    void setMacro(std::unique_ptr<ItemMacro> macro) { m_macro = std::move(macro); }

    // Name, type and comment: reading a missing child gives an empty text, writing into
    // one does nothing.
    QString GetName() const;
    void SetName(const QString &text);
    QString GetType() const;
    void SetType(const QString &text);
    QString GetComment() const;
    void SetComment(const QString &text);

    // Position; a missing x or y reads 0 and is appended as the last child when written.
    int GetX() const;
    int GetY() const;
    void SetX(int value);
    void SetY(int value);

    // Exits, counted by position among the "j" children only; no "j" is ever created.
    int JumpCount() const;
    QString GetJump(int index) const;
    // Every exit in order, read in one pass.
    QStringList getJumps() const;
    void SetJump(int index, const QString &text);

    XmlDocument *GetDocument() const;

    // ---- values and stored parameters, below the "values" child ----
    XmlElement *ValuesNode() const;
    QString GetValue(const QString &name) const;
    // Plain text, which the writer escapes; a missing element is appended with create.
    void SetValue(const QString &name, const QString &value, bool create);
    // One CDATA section.
    void SetValueCDATA(const QString &name, const QString &value, bool create);
    QString GetValueN() const;
    // Empty unless the type is exactly "SELECTQUERY" or "INSERTUPDATEQUERY".
    QString GetQuery() const;
    // Writes "query" whatever the type: one CDATA section with forceCDATA, else plain text.
    void SetQuery(const QString &sql, bool forceCDATA);
    // Empty unless the type is exactly "IF".
    QString GetIfCondition() const;
    // One parameter per "param" child; false, adding nothing, without "values".
    bool GetParams(WQFParamList &list) const;
    void AddParam(const QString &name, const QString &type, const QString &value);
    // One parameter per element named "n" in any case, paired with the next sibling that is
    // not whitespace-only text; false without "values".
    bool GetNameValueParams(WQFParamList &list) const;

protected:
    XmlElement *jumpNode(int index) const;
    XmlElement *valueElement(const QString &name, bool create);
    XmlElement *positionNode(XmlElement *&ref, const QString &name);

    XmlElement *m_node;
    TWQFSection *m_section;
    XmlElement *m_x = nullptr, *m_y = nullptr, *m_n = nullptr, *m_t = nullptr, *m_c = nullptr;
    std::unique_ptr<ItemMacro> m_macro;
};

// A snapshot of one stored parameter's texts, with the elements to write back into.
class TWQFParam {
public:
    // From a "param" element: its first "n", "t" and "v" children.
    explicit TWQFParam(const XmlElement *paramElement);
    // A name element and the node holding its value; no type.
    TWQFParam(XmlElement *nameNode, XmlNode *valueNode);

    QString Name;
    QString Type;
    QString Value;
    XmlElement *NameNode = nullptr;
    XmlElement *TypeNode = nullptr;
    XmlNode *ValueNode = nullptr;
};

using WQFItemList = std::vector<std::unique_ptr<TWQFItem>>;

class TWQFSection {
public:
    TWQFSection(TWQFFile *file, XmlNode *node);
    virtual ~TWQFSection();
    TWQFSection(const TWQFSection &) = delete;
    TWQFSection &operator=(const TWQFSection &) = delete;

    XmlNode *Node() const { return m_node; }
    TWQFFile *Owner() const { return m_owner; }
    WQFItemList &Items() { return m_items; }
    const WQFItemList &Items() const { return m_items; }

    void Clear();
    QString GetName() const;
    // One component for every child of node named exactly "c", in document order.
    static void LoadItems(XmlNode *node, TWQFSection *section);
    // A new component of the type, at the end of the section, with a fresh name, at 0,0.
    TWQFItem *AddItem(const QString &type);

private:
    TWQFFile *m_owner;
    XmlNode *m_node;
    WQFItemList m_items;
};

// Asked before a read-only file is overwritten; true lets the save go on.
using ReadOnlyHook = std::function<bool(const QString &fileName)>;

class TWQFFile {
public:
    TWQFFile();
    virtual ~TWQFFile();
    TWQFFile(const TWQFFile &) = delete;
    TWQFFile &operator=(const TWQFFile &) = delete;

    XmlDocument *Doc() const { return m_doc.get(); }
    XmlElement *HtmlNode() const { return m_html; }
    XmlElement *FunctionNode() const { return m_function; }
    const std::vector<std::unique_ptr<TWQFSection>> &Sections() const { return m_sections; }
    const QString &LastError() const { return m_lastError; }
    void setLastError(const QString &text) { m_lastError = text; }
    const QString &FileName() const { return m_fileName; }
    // A page loaded from a copy takes the name of the file it stands for.
    void SetFileName(const QString &fileName) { m_fileName = fileName; }
    ReadOnlyHook OnReadOnly;

    // Grows with every change to the page's tree, a load that puts a new tree in its place
    // included; an operation that leaves the tree as it was does not count.
    uint64_t revision() const { return m_revisionBefore + (m_doc ? m_doc->revision() : 0); }
    // notice runs once, right after the next change to the page (a load's at its end), and is
    // then forgotten. A second call replaces the first.
    void notifyNextChange(std::function<void()> notice);

    void Clear();
    bool LoadFromFile(const QString &fileName, PageOptions options);
    // Reads the page's file through its place, so that what is read is the file the place
    // holds, never what took its name meanwhile.
    bool LoadFromFile(const QString &fileName, PageOptions options, const PageFile &place);
    bool LoadFromStream(QIODevice &stream, PageOptions options);
    // The bytes are made in memory first and replace the file atomically, so a failure
    // leaves the old file as it was. Without a place they go where the name leads now.
    bool SaveToFile(const QString &fileName, PageOptions options);
    // Into the page's place on disk, which checks right before the rename that the name still
    // leads there and asks its question when it does not; an answer No is no error.
    bool SaveToFile(const QString &fileName, PageOptions options, PageFile &place);
    bool SaveToStream(QIODevice &stream, PageOptions options);
    // The hook's answer; true without a hook. A hook that fails refuses: an answer that
    // could not be had is no consent to overwrite.
    virtual bool DoReadOnly(const QString &fileName);

    TWQFSection *FindSection(const QString &name) const;
    XmlElement *FindFunctionChild(const QString &name) const;

    QString GetHtml() const;
    void SetHtml(const QString &text);
    QString GetEditorNotes() const;
    void SetEditorNotes(const QString &text);
    QString GetFunctionName() const;
    void SetFunctionName(const QString &text);
    void SetPreHeight(int value);
    void SetPostHeight(int value);
    bool GetFlag(const QString &name) const;
    void SetFlag(const QString &name, bool value);

private:
    bool serialize(QByteArray &bytes, PageOptions options);
    bool captureError(const std::function<bool()> &work);
    // Puts the document read parses (keeping whitespace-only text with whitespace) in the
    // tree's place and sorts its children into the page's parts.
    bool load(const std::function<std::unique_ptr<XmlDocument>(bool whitespace)> &read, PageOptions options);
    // doc takes the tree's place (none: no tree), counted at once and told by tellReplaced
    // once the load is over.
    void replaceDocument(std::unique_ptr<XmlDocument> doc);
    void tellReplaced();
    // Runs the notice, if one is asked for, and forgets it.
    void tellChange();

    std::unique_ptr<XmlDocument> m_doc;
    // The changes of the trees before m_doc, each replacement counted too.
    uint64_t m_revisionBefore = 0;
    bool m_replaced = false;
    std::function<void()> m_notice;
    XmlElement *m_html = nullptr;
    XmlElement *m_function = nullptr;
    std::vector<std::unique_ptr<TWQFSection>> m_sections;
    QString m_lastError;
    QString m_fileName;
};

bool IsWQFFile(const QString &fileName);
bool IsWQFStream(QIODevice &stream);

QString NodeTextDef(const XmlNode *node, const QString &defaultValue);
int NodeIntDef(const XmlNode *node, int defaultValue);
void SetNodeInt(XmlNode *node, int value);

// The text an element holds as a value (the HTML part, the notes): its text and CDATA
// children, without the whitespace-only text of a hand-formatted file.
QString contentText(const XmlNode *element);
// Puts text into the first text or CDATA child that is not whitespace only, else the first
// CDATA child, else the first text child, else a new CDATA section; other children holding part of the
// content are removed so the value is not duplicated.
void setContentText(XmlNode *element, const QString &text);
// Stores value as an element's content: one plain text node, or with cdata one CDATA section,
// in place of all its children. With keepCData an element whose first child is a CDATA section
// keeps that form: the value goes into that section and the element's other text and CDATA
// children go (the writer splits a value holding "]]>" into several sections, which read back
// as several nodes), so the value read back is the value stored.
void storeElementValue(XmlNode *element, const QString &value, bool cdata, bool keepCData = false);

// ---- components in lists ----

// The empty children n, t, c, j, j, x, y, values of a new component element.
void AddItemSkeleton(XmlElement *element);
// The smallest number from 0 to 99998 that no component's name equals as text; empty
// when all are taken.
QString UniqueItemName(const WQFItemList &items);
// Imports the "c" elements among first and its following siblings that have a "t" and an
// "n" child into the section, each under a fresh name; exits between them follow the new
// names, exits leaving the group are emptied. pasted receives the new components.
void PasteItems(const XmlNode *first, TWQFSection *section, std::vector<TWQFItem *> &pasted);
// Exact name, case included; none for an empty name.
TWQFItem *FindItemByName(const WQFItemList &items, const QString &name);
// The exact name, else the first component whose name contains text.
TWQFItem *FindItemFuzzy(const WQFItemList &items, const QString &text);
// Drops the entries of a mixed list (a diagram selection) that are not components.
template <class T> void KeepItemsOnly(std::vector<T *> &list)
{
    std::erase_if(list, [](T *p) { return dynamic_cast<TWQFItem *>(p) == nullptr; });
}
// The data of the node's first child when that is a text or CDATA node, else empty.
QString NodeText(const XmlNode *node);
// The component's texts as name=value lines for the search: each element's name with a
// running count per name (breadth-first over the subtree) and its NodeText.
void GetItemTexts(const TWQFItem *item, StringList &lines);
// Whether an exit reachable from start (through every exit of every component) names a line
// of targets; exitName and fromName tell which exit of which component did.
bool ReachesAny(TWQFItem *start, const StringList &targets, QString &exitName, QString &fromName);
// Adds a line per component reachable from start, start first, with the component attached;
// exit 1 is followed only from "IF" components. An exit naming no component is a dead end.
void CollectReachable(TWQFItem *start, StringList &reached);
