// The page document's typed view (TWQFFile, sections, components, values).
#include "wqftypes.h"

#include "base/textutils.h"
#include "pagefile.h"
#include "platform/fileattr.h"
#include "xmlread.h"
#include "xmlwrite2.h"

#include <QBuffer>
#include <QFile>
#include <QHash>
#include <QSet>
#include <deque>
#include <utility>

WriterFlags writerFlagsFromOptions(PageOptions options)
{
    WriterFlags flags;
    if (options & poWhitespace)
        flags |= wfNoIndent;
    if (options & poForceHeader)
        flags |= wfForceHeader;
    if (options & poClearEol)
        flags |= wfNoFinalEol;
    return flags;
}

// ---- TWQFItem ----

TWQFItem::TWQFItem(XmlElement *node, TWQFSection *section) : m_node(node), m_section(section)
{
    if (!node)
        return;
    for (const auto &child : node->childNodes()) {
        XmlElement *e = child->toElement();
        if (!e)
            continue;
        const QString &n = e->name();
        if (n == u"x")
            m_x = e;
        else if (n == u"y")
            m_y = e;
        else if (n == u"n")
            m_n = e;
        else if (n == u"t")
            m_t = e;
        else if (n == u"c")
            m_c = e;
    }
}

TWQFItem::~TWQFItem() = default;

QString TWQFItem::GetName() const { return NodeTextDef(m_n, QString()); }

void TWQFItem::SetName(const QString &text)
{
    if (m_n)
        m_n->setTextContent(text);
}

QString TWQFItem::GetType() const { return NodeTextDef(m_t, QString()); }

void TWQFItem::SetType(const QString &text)
{
    if (m_t)
        m_t->setTextContent(text);
}

QString TWQFItem::GetComment() const { return NodeTextDef(m_c, QString()); }

void TWQFItem::SetComment(const QString &text)
{
    if (m_c)
        m_c->setTextContent(text);
}

int TWQFItem::GetX() const { return NodeIntDef(m_x, 0); }

int TWQFItem::GetY() const { return NodeIntDef(m_y, 0); }

XmlElement *TWQFItem::positionNode(XmlElement *&ref, const QString &name)
{
    if (!ref && m_node)
        ref = static_cast<XmlElement *>(m_node->appendChild(newElement(name)));
    return ref;
}

void TWQFItem::SetX(int value) { SetNodeInt(positionNode(m_x, QStringLiteral("x")), value); }

void TWQFItem::SetY(int value) { SetNodeInt(positionNode(m_y, QStringLiteral("y")), value); }

XmlElement *TWQFItem::jumpNode(int index) const
{
    if (!m_node || index < 0)
        return nullptr;
    for (const auto &child : m_node->childNodes())
        if (child->isElement() && child->name() == u"j" && index-- == 0)
            return child->toElement();
    return nullptr;
}

int TWQFItem::JumpCount() const
{
    if (!m_node)
        return 0;
    int count = 0;
    for (const auto &child : m_node->childNodes())
        if (child->isElement() && child->name() == u"j")
            ++count;
    return count;
}

QString TWQFItem::GetJump(int index) const { return NodeTextDef(jumpNode(index), QString()); }

QStringList TWQFItem::getJumps() const
{
    QStringList exits;
    if (m_node)
        for (const auto &child : m_node->childNodes())
            if (child->isElement() && child->name() == u"j")
                exits.append(NodeTextDef(child.get(), QString()));
    return exits;
}

void TWQFItem::SetJump(int index, const QString &text)
{
    if (XmlElement *j = jumpNode(index))
        j->setTextContent(text);
}

XmlDocument *TWQFItem::GetDocument() const
{
    return m_section && m_section->Owner() ? m_section->Owner()->Doc() : nullptr;
}

// ---- values and stored parameters ----

namespace {
const QString kQuery = QStringLiteral("query");

// A new element holding one text or CDATA node, also for an empty text.
std::unique_ptr<XmlElement> leafElement(const QString &name, std::unique_ptr<XmlNode> content)
{
    auto e = newElement(name);
    e->appendChild(std::move(content));
    return e;
}
} // namespace

XmlElement *TWQFItem::ValuesNode() const
{
    return m_node ? m_node->firstChildElement(QStringLiteral("values")) : nullptr;
}

XmlElement *TWQFItem::valueElement(const QString &name, bool create)
{
    XmlElement *values = ValuesNode();
    if (!values)
        return nullptr;
    XmlElement *e = values->firstChildElement(name);
    if (!e && create)
        e = static_cast<XmlElement *>(values->appendChild(newElement(name)));
    return e;
}

QString TWQFItem::GetValue(const QString &name) const
{
    const XmlElement *values = ValuesNode();
    return NodeTextDef(values ? values->firstChildElement(name) : nullptr, QString());
}

void TWQFItem::SetValue(const QString &name, const QString &value, bool create)
{
    storeElementValue(valueElement(name, create), value, false);
}

void TWQFItem::SetValueCDATA(const QString &name, const QString &value, bool create)
{
    storeElementValue(valueElement(name, create), value, true);
}

QString TWQFItem::GetValueN() const { return GetValue(QStringLiteral("n")); }

QString TWQFItem::GetQuery() const
{
    const QString type = GetType();
    if (type != u"SELECTQUERY" && type != u"INSERTUPDATEQUERY")
        return QString();
    return GetValue(kQuery);
}

void TWQFItem::SetQuery(const QString &sql, bool forceCDATA)
{
    if (forceCDATA)
        SetValueCDATA(kQuery, sql, true);
    else
        SetValue(kQuery, sql, true);
}

QString TWQFItem::GetIfCondition() const
{
    if (!ValuesNode() || GetType() != u"IF")
        return QString();
    return GetValue(QStringLiteral("v"));
}

bool TWQFItem::GetParams(WQFParamList &list) const
{
    const XmlElement *values = ValuesNode();
    if (!values)
        return false;
    for (const auto &child : values->childNodes())
        if (child->isElement() && child->name() == u"param")
            list.push_back(std::make_unique<TWQFParam>(child->toElement()));
    return true;
}

void TWQFItem::AddParam(const QString &name, const QString &type, const QString &value)
{
    XmlElement *values = ValuesNode();
    if (!values)
        return;
    auto param = newElement(QStringLiteral("param"));
    param->appendChild(leafElement(QStringLiteral("n"), newCData(name)));
    param->appendChild(leafElement(QStringLiteral("t"), newText(type)));
    param->appendChild(leafElement(QStringLiteral("v"), newCData(value)));
    values->appendChild(std::move(param));
}

bool TWQFItem::GetNameValueParams(WQFParamList &list) const
{
    const XmlElement *values = ValuesNode();
    if (!values)
        return false;
    const auto &children = values->childNodes();
    for (size_t i = 0; i < children.size(); ++i) {
        XmlNode *name = children[i].get();
        if (!name->isElement() || upperCaseAscii(name->name()) != u"N")
            continue;
        // The layout of a hand-formatted page stands between a name and its value.
        size_t v = i + 1;
        while (v < children.size() && children[v]->isText() && children[v]->isWhitespaceText())
            ++v;
        if (v >= children.size())
            continue;
        list.push_back(std::make_unique<TWQFParam>(name->toElement(), children[v].get()));
        i = v;
    }
    return true;
}

// ---- TWQFParam ----

TWQFParam::TWQFParam(const XmlElement *paramElement)
{
    if (!paramElement)
        return;
    NameNode = paramElement->firstChildElement(QStringLiteral("n"));
    TypeNode = paramElement->firstChildElement(QStringLiteral("t"));
    ValueNode = paramElement->firstChildElement(QStringLiteral("v"));
    Name = NodeTextDef(NameNode, QString());
    Type = NodeTextDef(TypeNode, QString());
    Value = NodeTextDef(ValueNode, QString());
}

TWQFParam::TWQFParam(XmlElement *nameNode, XmlNode *valueNode)
    : Name(NodeTextDef(nameNode, QString())), Value(NodeTextDef(valueNode, QString())), NameNode(nameNode),
      ValueNode(valueNode)
{}

// ---- TWQFSection ----

TWQFSection::TWQFSection(TWQFFile *file, XmlNode *node) : m_owner(file), m_node(node) {}

TWQFSection::~TWQFSection() { Clear(); }

void TWQFSection::Clear() { m_items.clear(); }

QString TWQFSection::GetName() const { return m_node ? m_node->nodeName() : QString(); }

void TWQFSection::LoadItems(XmlNode *node, TWQFSection *section)
{
    if (!node || !section)
        return;
    for (const auto &child : node->childNodes())
        if (child->isElement() && child->name() == u"c")
            section->m_items.push_back(std::make_unique<TWQFItem>(child->toElement(), section));
}

TWQFItem *TWQFSection::AddItem(const QString &type)
{
    if (!m_node)
        return nullptr;
    auto *element = static_cast<XmlElement *>(m_node->appendChild(newElement(QStringLiteral("c"))));
    AddItemSkeleton(element);
    auto item = std::make_unique<TWQFItem>(element, this);
    item->SetType(type);
    item->SetName(UniqueItemName(m_items));
    item->SetX(0);
    item->SetY(0);
    m_items.push_back(std::move(item));
    return m_items.back().get();
}

// ---- TWQFFile ----

TWQFFile::TWQFFile() = default;

TWQFFile::~TWQFFile()
{
    // Whoever asked for the notice is told nothing of the page's end.
    m_notice = nullptr;
    Clear();
    m_sections.clear();
    m_doc.reset();
}

void TWQFFile::notifyNextChange(std::function<void()> notice)
{
    m_notice = std::move(notice);
    if (m_doc)
        m_doc->notifyNextChange(m_notice ? [this] { tellChange(); } : std::function<void()>());
}

void TWQFFile::tellChange()
{
    if (!m_notice)
        return;
    // Forgotten before it runs, so that it may ask for the next change again.
    const std::function<void()> notice = std::exchange(m_notice, nullptr);
    notice();
}

void TWQFFile::replaceDocument(std::unique_ptr<XmlDocument> doc)
{
    if (!m_doc && !doc)
        return;
    m_revisionBefore += (m_doc ? m_doc->revision() : 0) + 1;
    m_doc = std::move(doc);
    m_replaced = true;
}

void TWQFFile::tellReplaced()
{
    if (std::exchange(m_replaced, false))
        tellChange();
}

void TWQFFile::Clear()
{
    SetHtml(QString());
    m_sections.clear();
}

bool TWQFFile::LoadFromFile(const QString &fileName, PageOptions options)
{
    const PageFile place(fileName);
    return LoadFromFile(fileName, options, place);
}

bool TWQFFile::LoadFromFile(const QString &fileName, PageOptions options, const PageFile &place)
{
    m_fileName = fileName;
    QString reason;
    const std::optional<QByteArray> bytes = place.read(nullptr, &reason);
    if (!bytes) {
        m_sections.clear();
        replaceDocument(nullptr);
        m_html = m_function = nullptr;
        m_lastError = QStringLiteral("Unable to open file \"%1\": %2").arg(fileName, reason);
        tellReplaced();
        return false;
    }
    return load([&](bool whitespace) { return readXMLBytes(*bytes, whitespace); }, options);
}

// Runs work; an exception becomes the last-error text and the answer False.
bool TWQFFile::captureError(const std::function<bool()> &work)
{
    try {
        return work();
    } catch (const std::exception &) {
        m_lastError = currentExceptionMessage();
    }
    return false;
}

bool TWQFFile::LoadFromStream(QIODevice &stream, PageOptions options)
{
    return load(
        [&](bool whitespace) { return whitespace ? ReadXMLFilePreservingWhitespace(stream) : ReadXMLFile(stream); },
        options);
}

bool TWQFFile::load(const std::function<std::unique_ptr<XmlDocument>(bool whitespace)> &read, PageOptions options)
{
    // Sections point into the document about to be freed.
    m_sections.clear();
    replaceDocument(nullptr);
    m_html = m_function = nullptr;
    bool missingRoot = false;
    const bool loaded = captureError([&] {
        replaceDocument(read(options & poWhitespace));
        XmlElement *root = nullptr;
        for (const auto &child : m_doc->childNodes())
            if (child->isElement() && child->name() == u"wqf") {
                root = child->toElement();
                break;
            }
        if (!root) {
            missingRoot = true;
            return true;
        }
        for (const auto &child : root->childNodes()) {
            if (child->isElement() && child->name() == u"function") {
                m_function = child->toElement();
            } else if (child->isElement() && child->name() == u"html") {
                m_html = child->toElement();
            } else {
                auto section = std::make_unique<TWQFSection>(this, child.get());
                TWQFSection::LoadItems(child.get(), section.get());
                m_sections.push_back(std::move(section));
            }
        }
        return true;
    });
    if (loaded && missingRoot) {
        // The parsed document stays held, as after any other load of a file that is no page.
        m_lastError = QStringLiteral("The document has no root element \"wqf\"");
        tellReplaced();
        return false;
    }
    if (!loaded) {
        m_sections.clear();
        replaceDocument(nullptr);
        m_html = m_function = nullptr;
    }
    tellReplaced();
    return loaded;
}

bool TWQFFile::serialize(QByteArray &bytes, PageOptions options)
{
    if (!m_doc)
        return false;
    return captureError([&] {
        bytes = writeXMLToBytes(*m_doc, writerFlagsFromOptions(options));
        return true;
    });
}

bool TWQFFile::SaveToStream(QIODevice &stream, PageOptions options)
{
    if (!m_doc)
        return false;
    return captureError([&] {
        WriteXMLFlags(*m_doc, stream, writerFlagsFromOptions(options));
        return true;
    });
}

bool TWQFFile::SaveToFile(const QString &fileName, PageOptions options)
{
    PageFile place(fileName);
    return SaveToFile(fileName, options, place);
}

bool TWQFFile::SaveToFile(const QString &fileName, PageOptions options, PageFile &place)
{
    m_fileName = fileName;
    // The new file takes the page's mode before it replaces the old one, the read-only
    // attribute included; nothing is changed through the name.
    if (const std::optional<unsigned> mode = place.mode(); mode && platform::modeIsReadOnly(*mode))
        if (!DoReadOnly(fileName))
            return false;
    QByteArray bytes;
    if (!serialize(bytes, options))
        return false;
    QString reason;
    const WriteResult result = place.write(bytes, &reason);
    if (result == WriteResult::Written)
        return true;
    if (!place.declined())
        m_lastError = QStringLiteral("Unable to write file \"%1\": %2").arg(fileName, reason);
    return false;
}

bool TWQFFile::DoReadOnly(const QString &fileName)
{
    if (!OnReadOnly)
        return true;
    try {
        return OnReadOnly(fileName);
    } catch (const std::exception &) {
        return false;
    }
}

TWQFSection *TWQFFile::FindSection(const QString &name) const
{
    for (const auto &section : m_sections)
        if (sameTextAscii(section->GetName(), name))
            return section.get();
    return nullptr;
}

XmlElement *TWQFFile::FindFunctionChild(const QString &name) const
{
    if (!m_function)
        return nullptr;
    if (name.isEmpty())
        return m_function;
    return m_function->firstChildElement(name);
}

QString TWQFFile::GetHtml() const { return m_html ? contentText(m_html) : QString(); }

void TWQFFile::SetHtml(const QString &text)
{
    if (m_html)
        setContentText(m_html, text);
}

QString TWQFFile::GetEditorNotes() const
{
    XmlElement *notes = FindFunctionChild(QStringLiteral("editorNotes"));
    return notes ? contentText(notes) : QString();
}

void TWQFFile::SetEditorNotes(const QString &text)
{
    if (!m_function)
        return;
    XmlElement *notes = FindFunctionChild(QStringLiteral("editorNotes"));
    if (!notes) {
        if (text.isEmpty())
            return;
        notes = static_cast<XmlElement *>(m_function->appendChild(newElement(QStringLiteral("editorNotes"))));
        notes->appendChild(newCData(QString()));
    }
    setContentText(notes, text);
}

QString TWQFFile::GetFunctionName() const { return NodeTextDef(FindFunctionChild(QStringLiteral("fn")), QString()); }

void TWQFFile::SetFunctionName(const QString &text)
{
    if (XmlElement *fn = FindFunctionChild(QStringLiteral("fn")))
        fn->setTextContent(text);
}

void TWQFFile::SetPreHeight(int value) { SetNodeInt(FindFunctionChild(QStringLiteral("preHeight")), value); }

void TWQFFile::SetPostHeight(int value) { SetNodeInt(FindFunctionChild(QStringLiteral("postHeight")), value); }

bool TWQFFile::GetFlag(const QString &name) const
{
    if (name.isEmpty())
        return false;
    const XmlElement *flag = FindFunctionChild(name);
    return flag && flag->textContent() == u"1";
}

void TWQFFile::SetFlag(const QString &name, bool value)
{
    if (!m_function || name.isEmpty())
        return;
    XmlElement *flag = FindFunctionChild(name);
    if (!flag)
        flag = static_cast<XmlElement *>(m_function->appendChild(newElement(name)));
    flag->setTextContent(value ? QStringLiteral("1") : QStringLiteral("0"));
}

// ---- routines ----

bool IsWQFStream(QIODevice &stream)
{
    try {
        std::unique_ptr<XmlDocument> doc = ReadXMLFile(stream);
        // Only the very first node counts: a comment or a document type before the root fails.
        const XmlNode *first = doc->firstChild();
        return first && first->isElement() && first->name() == u"wqf";
    } catch (const Exception &) {
        // Not XML, or unreadable; running out of memory is no answer about the file.
        return false;
    }
}

bool IsWQFFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return IsWQFStream(file);
}

QString NodeTextDef(const XmlNode *node, const QString &defaultValue)
{
    return node ? node->textContent() : defaultValue;
}

int NodeIntDef(const XmlNode *node, int defaultValue)
{
    return node ? strToIntDef(node->textContent(), defaultValue) : defaultValue;
}

void SetNodeInt(XmlNode *node, int value)
{
    if (node)
        node->setTextContent(QString::number(value));
}

namespace {
bool isContentNode(const XmlNode &n) { return n.isCData() || (n.isText() && !n.isWhitespaceText()); }
} // namespace

QString contentText(const XmlNode *element)
{
    QString out;
    if (!element)
        return out;
    for (const auto &child : element->childNodes())
        if (isContentNode(*child))
            out += child->data();
    return out;
}

void storeElementValue(XmlNode *element, const QString &value, bool cdata, bool keepCData)
{
    if (!element)
        return;
    XmlNode *first = element->firstChild();
    if (keepCData && first && first->isCData()) {
        first->setData(value);
        std::vector<XmlNode *> stale;
        for (const auto &child : element->childNodes())
            if (child.get() != first && child->isTextOrCData())
                stale.push_back(child.get());
        for (XmlNode *child : stale)
            element->removeChild(child);
    } else if (cdata) {
        element->removeChildren();
        element->appendChild(newCData(value));
    } else {
        element->setTextContent(value);
    }
}

void setContentText(XmlNode *element, const QString &text)
{
    if (!element)
        return;
    XmlNode *target = nullptr;
    for (const auto &child : element->childNodes())
        if (child->isTextOrCData() && !child->isWhitespaceText()) {
            target = child.get();
            break;
        }
    if (!target) {
        // A blank CDATA section holds the value; the blank text around it is layout.
        XmlNode *firstText = nullptr;
        for (const auto &child : element->childNodes()) {
            if (child->isCData()) {
                target = child.get();
                break;
            }
            if (child->isText() && !firstText)
                firstText = child.get();
        }
        if (!target)
            target = firstText;
    }
    if (!target)
        target = element->appendChild(newCData(QString()));
    target->setData(text);
    for (size_t i = element->childNodes().size(); i-- > 0;) {
        XmlNode *child = element->childNodes()[i].get();
        if (child != target && isContentNode(*child))
            element->removeChild(child);
    }
    // Blank text that now touches a text target would be read back as part of it.
    if (target->isText()) {
        while (XmlNode *before = target->previousSibling())
            if (before->isText())
                element->removeChild(before);
            else
                break;
        while (XmlNode *after = target->nextSibling())
            if (after->isText())
                element->removeChild(after);
            else
                break;
    }
}

// ---- components in lists ----

void AddItemSkeleton(XmlElement *element)
{
    if (!element)
        return;
    for (const char *name : {"n", "t", "c", "j", "j", "x", "y", "values"})
        element->appendChild(newElement(QString::fromLatin1(name)));
}

namespace {
// The names UniqueItemName would give one after another while each is taken in turn, without
// looking at every component again for each one.
class FreshItemNames {
public:
    explicit FreshItemNames(const WQFItemList &items)
    {
        for (const auto &item : items)
            m_taken.insert(item->GetName());
    }
    QString take()
    {
        while (m_next <= 99998 && m_taken.contains(QString::number(m_next)))
            ++m_next;
        return m_next <= 99998 ? QString::number(m_next++) : QString();
    }

private:
    QSet<QString> m_taken;
    int m_next = 0;
};
} // namespace

QString UniqueItemName(const WQFItemList &items) { return FreshItemNames(items).take(); }

void PasteItems(const XmlNode *first, TWQFSection *section, std::vector<TWQFItem *> &pasted)
{
    pasted.clear();
    if (!section || !section->Node())
        return;
    // Old name to new name, old names ignoring case. Not a name=value list: an old name may
    // hold "=" itself.
    QHash<QString, QString> newNames;
    FreshItemNames fresh(section->Items());
    std::vector<TWQFItem *> group;
    for (const XmlNode *node = first; node; node = node->nextSibling()) {
        if (!node->isElement() || node->name() != u"c" || !node->firstChildElement(QStringLiteral("t")) ||
            !node->firstChildElement(QStringLiteral("n")))
            continue;
        const QString newName = fresh.take();
        auto *copy = static_cast<XmlElement *>(section->Node()->appendChild(cloneNode(*node)));
        section->Items().push_back(std::make_unique<TWQFItem>(copy, section));
        TWQFItem *item = section->Items().back().get();
        newNames.insert(lowerCaseAscii(item->GetName()), newName);
        item->SetName(newName);
        group.push_back(item);
    }
    for (TWQFItem *item : group)
        for (int exit = 0; exit < 2; ++exit) {
            const QString target = item->GetJump(exit);
            // An empty exit stays empty, even when a pasted component had an empty name.
            if (target.isEmpty())
                continue;
            item->SetJump(exit, newNames.value(lowerCaseAscii(target)));
        }
    pasted = std::move(group);
}

TWQFItem *FindItemByName(const WQFItemList &items, const QString &name)
{
    if (name.isEmpty())
        return nullptr;
    for (const auto &item : items)
        if (item->GetName() == name)
            return item.get();
    return nullptr;
}

TWQFItem *FindItemFuzzy(const WQFItemList &items, const QString &text)
{
    if (text.isEmpty())
        return nullptr;
    if (TWQFItem *exact = FindItemByName(items, text))
        return exact;
    for (const auto &item : items)
        if (item->GetName().contains(text))
            return item.get();
    return nullptr;
}

QString NodeText(const XmlNode *node)
{
    const XmlNode *first = node ? node->firstChild() : nullptr;
    return first && first->isTextOrCData() ? first->data() : QString();
}

void GetItemTexts(const TWQFItem *item, StringList &lines)
{
    if (!item || !item->Node())
        return;
    QHash<QString, int> counters; // by element name, ignoring case
    std::deque<const XmlNode *> queue{item->Node()};
    while (!queue.empty()) {
        const XmlNode *node = queue.front();
        queue.pop_front();
        int &counter = counters[lowerCaseAscii(node->name())];
        const QString key = node->name() + QString::number(counter++);
        const QString text = NodeText(node);
        if (!text.isEmpty())
            lines.setValue(key, text);
        for (const auto &child : node->childNodes())
            if (child->isElement())
                queue.push_back(child.get());
    }
}

namespace {
// The breadth-first walk over exits: each name enters once, ignoring case, with the
// component of that name in the start's section (none for a dead end). Names are looked up in
// tables made once per walk, so a long chain costs no more than its length.
class ExitWalk {
public:
    explicit ExitWalk(TWQFItem *start) : m_items(start->Section() ? &start->Section()->Items() : nullptr)
    {
        m_queue.push_back(start);
        m_seen.insert(lowerCaseAscii(start->GetName()));
    }
    TWQFItem *next()
    {
        while (m_next < m_queue.size())
            if (TWQFItem *item = m_queue[m_next++])
                return item;
        return nullptr;
    }
    void enqueue(const QString &name)
    {
        const QString key = lowerCaseAscii(name);
        if (m_seen.contains(key))
            return;
        m_seen.insert(key);
        m_queue.push_back(find(name));
    }

private:
    // FindItemByName: the first component of exactly that name.
    TWQFItem *find(const QString &name)
    {
        if (!m_items || name.isEmpty())
            return nullptr;
        if (!m_indexed) {
            m_byName.reserve(qsizetype(m_items->size()));
            for (const auto &item : *m_items) {
                const QString itemName = item->GetName();
                if (!itemName.isEmpty() && !m_byName.contains(itemName))
                    m_byName.insert(itemName, item.get());
            }
            m_indexed = true;
        }
        return m_byName.value(name);
    }

    const WQFItemList *m_items;
    std::vector<TWQFItem *> m_queue;
    size_t m_next = 0;
    QSet<QString> m_seen; // lower-cased
    QHash<QString, TWQFItem *> m_byName;
    bool m_indexed = false;
};
} // namespace

bool ReachesAny(TWQFItem *start, const StringList &targets, QString &exitName, QString &fromName)
{
    if (!start)
        return false;
    QSet<QString> targetSet; // as the list compares its lines
    for (const QString &target : targets.lines())
        targetSet.insert(targets.caseSensitive() ? target : lowerCaseAscii(target));
    ExitWalk walk(start);
    while (TWQFItem *item = walk.next()) {
        for (const QString &exit : item->getJumps()) {
            if (exit.isEmpty())
                continue;
            if (targetSet.contains(targets.caseSensitive() ? exit : lowerCaseAscii(exit))) {
                exitName = exit;
                fromName = item->GetName();
                return true;
            }
            walk.enqueue(exit);
        }
    }
    return false;
}

void CollectReachable(TWQFItem *start, StringList &reached)
{
    if (!start)
        return;
    ExitWalk walk(start);
    while (TWQFItem *item = walk.next()) {
        reached.addObject(item->GetName(), item);
        const QString exit0 = item->GetJump(0);
        if (!exit0.isEmpty())
            walk.enqueue(exit0);
        const QString exit1 = item->GetJump(1);
        if (item->GetType() == u"IF" && !exit1.isEmpty())
            walk.enqueue(exit1);
    }
}
