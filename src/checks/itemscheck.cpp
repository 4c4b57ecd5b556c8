// The built-in checks of components, arrows, loops and names.
#include "itemscheck.h"

#include "base/exception.h"
#include "base/textutils.h"
#include "editors/morivanecomponents.h"
#include "exprparser.h"
#include "model/wqftypes.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace {
const QString kWarn = QStringLiteral("WARN ");

bool isQuery(const QString &type) { return type == u"SELECTQUERY" || type == u"INSERTUPDATEQUERY"; }

bool hasAsciiLetter(const QString &text, char16_t from)
{
    return std::any_of(text.begin(), text.end(), [from](QChar c) { return c >= QChar(from) && c <= QChar(from + 25); });
}

// Exit walks compare names without ASCII case. Most names are numbers: they are their own
// key, shared rather than copied.
QString nameKey(const QString &name) { return hasAsciiLetter(name, u'A') ? lowerCaseAscii(name) : name; }

TWQFFile *ownerOf(const TWQFItem *item) { return item && item->Section() ? item->Section()->Owner() : nullptr; }

// One section as the loop check walks it, read once per run: the first component of each
// name with its exits resolved, and the graph of the path after a loop (exit 0, and exit 1
// of IF) condensed into strongly connected parts, numbered so that a part reaches only parts
// of lower or equal number. Those numbers answer "is this reached after the loop?" with a
// short walk instead of collecting everything after each loop.
class SectionWalks {
public:
    struct Exit {
        QString text;
        QString key;
        int target; // the node of exactly that name, -1 for none
    };
    struct Node {
        QString name;
        QString key;
        bool isIf;
        std::vector<Exit> exits;
        std::array<int, 2> afterLoop; // exit 0, and exit 1 of IF, as nodes
    };

    explicit SectionWalks(const TWQFSection &section)
    {
        QHash<QString, QString> spellings;
        auto note = [&](const QString &text, const QString &key) {
            if (!hasAsciiLetter(key, u'a'))
                return;
            auto it = spellings.constFind(key);
            if (it == spellings.constEnd())
                spellings.insert(key, text);
            else if (*it != text)
                m_caseStable = false;
        };
        std::vector<const TWQFItem *> items;
        for (const auto &item : section.Items()) {
            const QString name = item->GetName();
            const QString key = nameKey(name);
            // Other components of a taken name are never walked to, but their spelling counts.
            note(name, key);
            if (!name.isEmpty() && !m_byName.contains(name)) {
                m_byName.insert(name, int(m_nodes.size()));
                m_nodes.push_back({name, key, false, {}, {-1, -1}});
                items.push_back(item.get());
            }
        }
        for (size_t v = 0; v < m_nodes.size(); ++v) {
            Node &node = m_nodes[v];
            for (const QString &text : items[v]->getJumps()) {
                node.exits.push_back({text, nameKey(text), find(text)});
                note(text, node.exits.back().key);
            }
            node.isIf = items[v]->GetType() == u"IF";
            node.afterLoop = {exitTarget(node, 0), node.isIf ? exitTarget(node, 1) : -1};
        }
        // Names that differ only in case make the walks depend on the order names are met;
        // such a section is always walked in full.
        if (m_caseStable)
            numberParts();
    }

    const Node &at(int v) const { return m_nodes[size_t(v)]; }
    // The node of exactly that name; -1 for none.
    int find(const QString &name) const { return name.isEmpty() ? -1 : m_byName.value(name, -1); }

    // Whether exit lands on a component reached after a loop from after. reached holds what
    // collectReachable gave for after, made on first need.
    bool reachedFrom(int after, const Exit &exit, std::optional<QSet<QString>> &reached) const
    {
        if (!m_caseStable) {
            if (!reached)
                reached = collectReachable(after);
            return reached->contains(exit.key);
        }
        const int to = exit.target;
        if (to < 0 || m_part[size_t(to)] > m_part[size_t(after)])
            return false;
        // A walk that leaves out the parts numbered below the target's: they never get there.
        ++m_stamp;
        std::vector<int> queue{after};
        m_mark[size_t(after)] = m_stamp;
        for (size_t i = 0; i < queue.size(); ++i) {
            const int v = queue[i];
            if (v == to)
                return true;
            for (int w : at(v).afterLoop)
                if (w >= 0 && m_mark[size_t(w)] != m_stamp && m_part[size_t(w)] >= m_part[size_t(to)]) {
                    m_mark[size_t(w)] = m_stamp;
                    queue.push_back(w);
                }
        }
        return false;
    }

    // The name keys of the components reached from start after a loop, start included.
    QSet<QString> collectReachable(int start) const
    {
        QSet<QString> reached;
        QSet<QString> seen{at(start).key};
        std::vector<int> queue{start};
        for (size_t i = 0; i < queue.size(); ++i) {
            if (queue[i] < 0)
                continue;
            const Node &node = at(queue[i]);
            reached.insert(node.key);
            for (size_t e = 0; e < (node.isIf ? 2u : 1u) && e < node.exits.size(); ++e) {
                const Exit &exit = node.exits[e];
                if (exit.text.isEmpty())
                    continue;
                if (!seen.contains(exit.key)) {
                    seen.insert(exit.key);
                    queue.push_back(exit.target);
                }
            }
        }
        return reached;
    }

private:
    static int exitTarget(const Node &node, size_t e) { return e < node.exits.size() ? node.exits[e].target : -1; }

    // Tarjan's algorithm without recursion; parts are numbered as they complete.
    void numberParts()
    {
        const size_t n = m_nodes.size();
        m_part.assign(n, -1);
        m_mark.assign(n, 0);
        std::vector<int> order(n, -1), low(n, 0);
        std::vector<bool> onStack(n, false);
        std::vector<int> stack;
        struct Frame {
            int v;
            size_t e;
        };
        std::vector<Frame> calls;
        int counter = 0, parts = 0;
        auto enter = [&](int v) {
            order[size_t(v)] = low[size_t(v)] = counter++;
            stack.push_back(v);
            onStack[size_t(v)] = true;
            calls.push_back({v, 0});
        };
        for (int root = 0; root < int(n); ++root) {
            if (order[size_t(root)] >= 0)
                continue;
            enter(root);
            while (!calls.empty()) {
                const int v = calls.back().v;
                if (calls.back().e < 2) {
                    const int w = at(v).afterLoop[calls.back().e++];
                    if (w < 0)
                        continue;
                    if (order[size_t(w)] < 0)
                        enter(w);
                    else if (onStack[size_t(w)])
                        low[size_t(v)] = std::min(low[size_t(v)], order[size_t(w)]);
                    continue;
                }
                calls.pop_back();
                if (!calls.empty())
                    low[size_t(calls.back().v)] = std::min(low[size_t(calls.back().v)], low[size_t(v)]);
                if (low[size_t(v)] != order[size_t(v)])
                    continue;
                int w;
                do {
                    w = stack.back();
                    stack.pop_back();
                    onStack[size_t(w)] = false;
                    m_part[size_t(w)] = parts;
                } while (w != v);
                ++parts;
            }
        }
    }

    QHash<QString, int> m_byName;
    std::vector<Node> m_nodes; // the first component of each name, in section order
    std::vector<int> m_part;
    mutable std::vector<int> m_mark; // walk marks, one stamp per walk
    mutable int m_stamp = 0;
    bool m_caseStable = true;
};

class LoopData : public GroupData {
public:
    const SectionWalks &walks(const TWQFSection &section)
    {
        auto &walks = m_sections[&section];
        if (!walks)
            walks = std::make_unique<SectionWalks>(section);
        return *walks;
    }

private:
    std::map<const TWQFSection *, std::unique_ptr<SectionWalks>> m_sections;
};

// Walks the loop body from Body over every exit and answers the first exit that lands on
// the path after the loop, with the component it leaves from. Exits back to the query end
// the walk there: that is the loop closing, not leaving.
bool leavesLoop(const SectionWalks &walks, const QString &source, int after, int body, QString &exitText,
                QString &fromName)
{
    if (after < 0 || body < 0 || sameTextAscii(walks.at(body).name, source))
        return false;
    std::optional<QSet<QString>> reached;
    QSet<QString> seen{walks.at(body).key};
    std::vector<int> queue{body};
    for (size_t i = 0; i < queue.size(); ++i) {
        if (queue[i] < 0)
            continue;
        const SectionWalks::Node &node = walks.at(queue[i]);
        for (const SectionWalks::Exit &exit : node.exits) {
            if (exit.text.isEmpty() || sameTextAscii(exit.text, source))
                continue;
            if (walks.reachedFrom(after, exit, reached)) {
                exitText = exit.text;
                fromName = node.name;
                return true;
            }
            if (!seen.contains(exit.key)) {
                seen.insert(exit.key);
                queue.push_back(exit.target);
            }
        }
    }
    return false;
}
} // namespace

// ---- developer rights ----

QString TDeveloperRights::GetDescription() { return QStringLiteral("Developer Rights are hardcoded on the page!"); }

void TDeveloperRights::CheckItem(TWQFItem *item, CheckMessageList &messages, GroupData *)
{
    if (item->GetName() != u"0" || item->GetType() != u"IF")
        return;
    QString condition = item->GetIfCondition();
    condition.remove(u' ');
    if (condition == u"(''#SUserRight_0_0_0_1#''=''1'')")
        messages.append({QStringLiteral("WARN Developer Rights are hardcoded on the page!"), nullptr});
}

// ---- loops ----

QString TSQLUnderLoopCheck::GetDescription() { return QStringLiteral("SQL \"loop\" query goes out of the loop"); }

std::unique_ptr<GroupData> TSQLUnderLoopCheck::CreateGroupData() { return std::make_unique<LoopData>(); }

void TSQLUnderLoopCheck::CheckItem(TWQFItem *item, CheckMessageList &messages, GroupData *data)
{
    if (!isQuery(item->GetType()) || !item->Section())
        return;
    const QStringList exits = item->getJumps();
    if (exits.size() < 2)
        return;
    const QString &exit0 = exits[0], &exit1 = exits[1];
    if (!exit0.isEmpty() && exit0 == exit1) {
        messages.append(
            {kWarn + QStringLiteral("Gray and blue arrows are pointing to the same step ") + exit0, nullptr});
        return;
    }
    std::optional<SectionWalks> ownWalks;
    auto *loopData = dynamic_cast<LoopData *>(data);
    const SectionWalks &walks = loopData ? loopData->walks(*item->Section()) : ownWalks.emplace(*item->Section());
    QString exitText, fromName;
    if (leavesLoop(walks, item->GetName(), walks.find(exit0), walks.find(exit1), exitText, fromName))
        messages.append({kWarn + QStringLiteral("SQL \"loop\" query goes out of the loop at ") + fromName +
                             QStringLiteral(" -> ") + exitText + QStringLiteral(" link"),
                         nullptr});
}

void TSQLUnderLoopCheck::FinishGroup(bool, std::unique_ptr<GroupData> &data, CheckMessageList &) { data.reset(); }

// ---- #S variables ----

namespace {
bool isS(QChar c) { return c == u'S' || c == u's'; }

// The characters of a variable's name after its "S".
bool isSVarNameChar(QChar c)
{
    const char16_t code = c.unicode();
    return (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z') || (code >= '0' && code <= '9') ||
           code == '_' || code == '"' || code == '\'' || code == ',' || code == '.' || code == ':' || code == '{' ||
           code == '}';
}

// Where the look back from a stray "#" stops. Carriage return is not among them.
bool isSVarDelimiter(QChar c)
{
    switch (c.unicode()) {
    case 9:
    case 10:
    case 31:
    case ' ':
    case '"':
    case '$':
    case '%':
    case '&':
    case '\'':
    case '(':
    case ')':
    case '*':
    case '+':
    case ',':
    case '-':
    case '.':
    case '/':
    case ';':
    case '=':
    case '@':
    case '\\':
    case '^':
        return true;
    default:
        return false;
    }
}
} // namespace

bool CheckSVarsClosed(const QString &text, QString &name, int &pos)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i + 1 < n;) {
        if (text[i] != u'#' || !isS(text[i + 1])) {
            ++i;
            continue;
        }
        qsizetype j = i + 2;
        while (j < n && isSVarNameChar(text[j]))
            ++j;
        if (j >= n || text[j] != u'#') {
            name = text.mid(i, j - i);
            pos = int(i + 1);
            return false;
        }
        i = j + 1;
    }
    return true;
}

bool CheckSVarHashes(const QString &text, QString &name, int &pos)
{
    // The look back from a "#" stops at the last delimiter before it, so that one is kept
    // as the scan goes: one pass, however many "#" the text holds.
    qsizetype lastDelimiter = -1;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != u'#') {
            if (isSVarDelimiter(c))
                lastDelimiter = i;
            continue;
        }
        if (i + 1 < n && isS(text[i + 1]))
            continue;
        const qsizetype start = lastDelimiter + 1;
        if (isS(text[start])) {
            name = text.mid(start, i - start + 1);
            pos = int(start + 1);
            return false;
        }
    }
    return true;
}

QString TSVarCheck::GetDescription() { return QStringLiteral("Unclosed #S variable"); }

void TSVarCheck::CheckItem(TWQFItem *item, CheckMessageList &messages, GroupData *)
{
    const QString type = upperCaseAscii(item->GetType());
    if (type == u"SCRIPT" || type == u"DELPHI")
        return;
    QStringList values;
    GetParamValues(item, &values);
    for (const QString &value : values) {
        QString name;
        int pos;
        if (!CheckSVarsClosed(value, name, pos))
            messages.append({QStringLiteral("WARN Unclosed #S variable ") + name, nullptr});
        else if (!CheckSVarHashes(value, name, pos))
            messages.append({QStringLiteral("HINT Did you mean #S variable ") + name, nullptr});
    }
}

// ---- conditions ----

ExpressionParser &ExprParser()
{
    static ExpressionParser parser;
    return parser;
}

QString zeroSVars(const QString &text)
{
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (text[i] == u'#' && i + 1 < n && isS(text[i + 1])) {
            const qsizetype close = text.indexOf(u'#', i + 2);
            out += u'0';
            if (close < 0)
                break;
            i = close;
            continue;
        }
        out += text[i];
    }
    return out;
}

bool CheckCondition(const QString &condition, QString &errorText)
{
    errorText.clear();
    if (trim(condition).isEmpty())
        return true;
    ExpressionParser &parser = ExprParser();
    try {
        parser.clear();
        parser.setExpression(zeroSVars(condition));
        parser.evaluate();
    } catch (const Exception &e) {
        errorText = e.message();
        return false;
    }
    return true;
}

QString TIFCondCheck::GetDescription() { return QStringLiteral("If condition check"); }

void TIFCondCheck::CheckItem(TWQFItem *item, CheckMessageList &messages, GroupData *)
{
    if (item->GetType() != u"IF")
        return;
    QString condition = item->GetIfCondition();
    condition.replace(QStringLiteral("''"), QStringLiteral("'"));
    QString error;
    if (!CheckCondition(condition, error))
        messages.append({QStringLiteral("WARN If component condition: ") + error, item});
}

// ---- arrows ----

QString TConnectCheck::GetDescription()
{
    return QStringLiteral("IF statement must have both arrows / pointing to the same component");
}

void TConnectCheck::CheckItem(TWQFItem *item, CheckMessageList &messages, GroupData *)
{
    const QStringList exits = item->getJumps();
    const qsizetype count = exits.size();
    const QString exit0 = exits.value(0), exit1 = exits.value(1);
    if (item->GetType() == u"IF" && (count < 2 || exit0.isEmpty() || exit1.isEmpty())) {
        messages.append({QStringLiteral("ERROR IF statement must have both arrows"), nullptr});
        return;
    }
    if (count == 2 && !exit0.isEmpty() && exit0 == exit1)
        messages.append(
            {kWarn + QStringLiteral("both blue and gray arrows are pointing to the same component ") + exit0, nullptr});
}

// ---- unreferenced components ----

void TUnconnData::AddItem(TWQFItem *item)
{
    if (item->Section() != m_lastSection || !m_lastGroup) {
        m_lastSection = item->Section();
        const QString section = m_lastSection ? m_lastSection->GetName() : QString();
        m_lastGroup = lowerCaseAscii(section).contains(u"post") ? &Post : &Pre;
    }
    auto &group = *m_lastGroup;
    int number;
    if (!tryDecimalToInt(item->GetName(), number) || number < 0)
        return;
    group[number].item = item;
    for (const QString &exit : item->getJumps()) {
        int target;
        if (tryDecimalToInt(exit, target) && target >= 0)
            group[target].referenced = true;
    }
}

QString TUnconnectCheck::GetDescription() { return QStringLiteral("A component, not referenced by any element"); }

std::unique_ptr<GroupData> TUnconnectCheck::CreateGroupData() { return std::make_unique<TUnconnData>(); }

void TUnconnectCheck::CheckItem(TWQFItem *item, CheckMessageList &, GroupData *data)
{
    if (auto *groups = dynamic_cast<TUnconnData *>(data))
        groups->AddItem(item);
}

void TUnconnectCheck::FinishGroup(bool, std::unique_ptr<GroupData> &data, CheckMessageList &messages)
{
    if (auto *groups = dynamic_cast<TUnconnData *>(data.get()))
        for (const auto *group : {&groups->Pre, &groups->Post}) {
            std::vector<std::pair<int, TWQFItem *>> unreferenced;
            for (auto it = group->cbegin(); it != group->cend(); ++it)
                if (it.key() > 0 && !it->referenced && it->item)
                    unreferenced.emplace_back(it.key(), it->item);
            std::sort(unreferenced.begin(), unreferenced.end());
            for (const auto &[number, item] : unreferenced)
                messages.append({kWarn + QStringLiteral("not referenced by any element"), item});
        }
    data.reset();
}

// ---- names ----

QString fileBaseName(const QString &fileName)
{
    QString name = fileName.mid(fileName.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot >= 0)
        name.truncate(dot);
    return name;
}

QString TFileNameCheck::GetDescription()
{
    return QStringLiteral("WQF Function name (%s) doesn't match file name (%S)");
}

void TFileNameCheck::CheckFile(TWQFFile *doc, CheckMessageList &messages)
{
    if (!doc)
        return;
    const QString function = doc->GetFunctionName();
    const QString base = fileBaseName(doc->FileName());
    if (function.toUpper() != base.toUpper())
        messages.append({QStringLiteral("WARN WQF Function name (") + function +
                             QStringLiteral(") doesn't match file name (") + base + u')',
                         nullptr});
}

QString TTemplateNameCheck::GetDescription()
{
    return QStringLiteral("Template name (%s) doesn't match the WQF function name %s)");
}

void TTemplateNameCheck::CheckItem(TWQFItem *item, CheckMessageList &messages, GroupData *)
{
    if (item->GetType() != u"TEMPLATE")
        return;
    const QString name = item->GetValueN();
    TWQFFile *doc = ownerOf(item);
    const QString function = doc ? doc->GetFunctionName() : QString();
    if (name.toUpper() != function.toUpper())
        messages.append({QStringLiteral("HINT Template name (") + name +
                             QStringLiteral(") doesn't match the WQF function name ") + function + u')',
                         item});
}

void initItemsCheck()
{
    RegisterPlugin(std::make_unique<TDeveloperRights>());
    RegisterPlugin(std::make_unique<TSQLUnderLoopCheck>());
    RegisterPlugin(std::make_unique<TSVarCheck>());
    RegisterPlugin(std::make_unique<TConnectCheck>());
    RegisterPlugin(std::make_unique<TUnconnectCheck>());
    RegisterPlugin(std::make_unique<TFileNameCheck>());
    RegisterPlugin(std::make_unique<TTemplateNameCheck>());
    RegisterPlugin(std::make_unique<TIFCondCheck>());
}
