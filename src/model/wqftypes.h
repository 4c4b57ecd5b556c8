#pragma once
// The page document: typed access to the parts of a page file that the editor knows.
// Everything else stays in the DOM as it was read and is written back with it.
#include "xmldom.h"

#include <QIODevice>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TWQFFile;
class TWQFSection;

// Options of load and save; bits 1 and 2 swap places in the writer's flags.
enum PageOption : uint8_t {
    poWhitespace = 1,  // keep whitespace-only text; write without indentation
    poForceHeader = 2, // always write the declaration
    poClearEol = 4,    // no line break after the document
};
uint8_t WriterFlagsFromOptions(uint8_t options);

// A macro attached to one code component; the component owns it.
class TItemMacro {
public:
    virtual ~TItemMacro() = default;
};

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

    TItemMacro *Macro() const { return m_macro.get(); }
    void SetMacro(std::unique_ptr<TItemMacro> macro) { m_macro = std::move(macro); }

protected:
    XmlElement *m_node;
    TWQFSection *m_section;
    XmlElement *m_x = nullptr, *m_y = nullptr, *m_n = nullptr, *m_t = nullptr, *m_c = nullptr;
    std::unique_ptr<TItemMacro> m_macro;
};

using TWQFItemList = std::vector<std::unique_ptr<TWQFItem>>;

class TWQFSection {
public:
    TWQFSection(TWQFFile *file, XmlNode *node);
    virtual ~TWQFSection();
    TWQFSection(const TWQFSection &) = delete;
    TWQFSection &operator=(const TWQFSection &) = delete;

    XmlNode *Node() const { return m_node; }
    TWQFFile *Owner() const { return m_owner; }
    TWQFItemList &Items() { return m_items; }
    const TWQFItemList &Items() const { return m_items; }

    void Clear();
    QString GetName() const;
    // One component for every child of node named exactly "c", in document order.
    static void LoadItems(XmlNode *node, TWQFSection *section);

private:
    TWQFFile *m_owner;
    XmlNode *m_node;
    TWQFItemList m_items;
};

// Asked before a read-only file is overwritten; the hook may set allow to false.
using TReadOnlyHook = std::function<void(const QString &fileName, bool &allow)>;

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
    void SetLastError(const QString &text) { m_lastError = text; }
    const QString &FileName() const { return m_fileName; }
    TReadOnlyHook OnReadOnly;

    void Clear();
    bool LoadFromFile(const QString &fileName, uint8_t options);
    bool LoadFromStream(QIODevice &stream, uint8_t options);
    // The bytes are made in memory first and replace the file atomically, so a failure
    // leaves the old file as it was.
    bool SaveToFile(const QString &fileName, uint8_t options);
    bool SaveToStream(QIODevice &stream, uint8_t options);
    virtual void DoReadOnly(const QString &fileName, bool &allow);

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
    bool serialize(QByteArray &bytes, uint8_t options);

    std::unique_ptr<XmlDocument> m_doc;
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
QString ContentText(const XmlNode *element);
// Puts text into the first text or CDATA child that is not whitespace only, else the first
// text or CDATA child, else a new CDATA section; other children holding part of the
// content are removed so the value is not duplicated.
void SetContentText(XmlNode *element, const QString &text);
