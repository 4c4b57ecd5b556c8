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
        QString Text;
        QString Key;
        int Target; // the node of exactly that name, -1 for none
    };
    struct Node {
        QString Name;
        QString Key;
        bool isIf;
        std::vector<Exit> Exits;
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
                node.Exits.push_back({text, nameKey(text), Find(text)});
                note(text, node.Exits.back().Key);
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
    int Find(const QString &name) const { return name.isEmpty() ? -1 : m_byName.value(name, -1); }

    // Whether Exit lands on a component reached after a loop from after. reached holds what
    // CollectReachable gave for after, made on first need.
    bool reachedFrom(int after, const Exit &Exit, std::optional<QSet<QString>> &reached) const
    {
        if (!m_caseStable) {
            if (!reached)
                reached = CollectReachable(after);
            return reached->contains(Exit.Key);
        }
        const int to = Exit.Target;
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

    // The name keys of the components reached from Start after a loop, Start included.
    QSet<QString> CollectReachable(int Start) const
    {
        QSet<QString> reached;
        QSet<QString> seen{at(Start).Key};
        std::vector<int> queue{Start};
        for (size_t i = 0; i < queue.size(); ++i) {
            if (queue[i] < 0)
                continue;
            const Node &node = at(queue[i]);
            reached.insert(node.Key);
            for (size_t e = 0; e < (node.isIf ? 2u : 1u) && e < node.Exits.size(); ++e) {
                const Exit &exit = node.Exits[e];
                if (exit.Text.isEmpty())
                    continue;
                if (!seen.contains(exit.Key)) {
                    seen.insert(exit.Key);
                    queue.push_back(exit.Target);
                }
            }
        }
        return reached;
    }

private:
    static int exitTarget(const Node &node, size_t e) { return e < node.Exits.size() ? node.Exits[e].Target : -1; }

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
    const SectionWalks &Walks(const TWQFSection &section)
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
    if (after < 0 || body < 0 || sameTextAscii(walks.at(body).Name, source))
        return false;
    std::optional<QSet<QString>> reached;
    QSet<QString> seen{walks.at(body).Key};
    std::vector<int> queue{body};
    for (size_t i = 0; i < queue.size(); ++i) {
        if (queue[i] < 0)
            continue;
        const SectionWalks::Node &node = walks.at(queue[i]);
        for (const SectionWalks::Exit &exit : node.Exits) {
            if (exit.Text.isEmpty() || sameTextAscii(exit.Text, source))
                continue;
            if (walks.reachedFrom(after, exit, reached)) {
                exitText = exit.Text;
                fromName = node.Name;
                return true;
            }
            if (!seen.contains(exit.Key)) {
                seen.insert(exit.Key);
                queue.push_back(exit.Target);
            }
        }
    }
    return false;
}
} // namespace

// ---- developer rights ----

QString TDeveloperRights::GetDescription() { return QStringLiteral("Developer Rights are hardcoded on the page!"); }

void TDeveloperRights::CheckItem(TWQFItem *Item, CheckMessageList &Messages, GroupData *)
{
    if (Item->GetName() != u"0" || Item->GetType() != u"IF")
        return;
    QString condition = Item->GetIfCondition();
    condition.remove(u' ');
    if (condition == u"(''#SUserRight_0_0_0_1#''=''1'')")
        Messages.append({QStringLiteral("WARN Developer Rights are hardcoded on the page!"), nullptr});
}

// ---- loops ----

QString TSQLUnderLoopCheck::GetDescription() { return QStringLiteral("SQL \"loop\" query goes out of the loop"); }

std::unique_ptr<GroupData> TSQLUnderLoopCheck::CreateGroupData() { return std::make_unique<LoopData>(); }

void TSQLUnderLoopCheck::CheckItem(TWQFItem *Item, CheckMessageList &Messages, GroupData *Data)
{
    if (!isQuery(Item->GetType()) || !Item->Section())
        return;
    const QStringList exits = Item->getJumps();
    if (exits.size() < 2)
        return;
    const QString &exit0 = exits[0], &exit1 = exits[1];
    if (!exit0.isEmpty() && exit0 == exit1) {
        Messages.append(
            {kWarn + QStringLiteral("Gray and blue arrows are pointing to the same step ") + exit0, nullptr});
        return;
    }
    std::optional<SectionWalks> ownWalks;
    auto *data = dynamic_cast<LoopData *>(Data);
    const SectionWalks &walks = data ? data->Walks(*Item->Section()) : ownWalks.emplace(*Item->Section());
    QString exitText, fromName;
    if (leavesLoop(walks, Item->GetName(), walks.Find(exit0), walks.Find(exit1), exitText, fromName))
        Messages.append({kWarn + QStringLiteral("SQL \"loop\" query goes out of the loop at ") + fromName +
                             QStringLiteral(" -> ") + exitText + QStringLiteral(" link"),
                         nullptr});
}

void TSQLUnderLoopCheck::FinishGroup(bool, std::unique_ptr<GroupData> &Data, CheckMessageList &) { Data.reset(); }

// ---- #S variables ----

namespace {
bool isS(QChar c) { return c == u'S' || c == u's'; }

// The characters of a variable's name after its "S".
bool isSVarNameChar(QChar C)
{
    const char16_t c = C.unicode();
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '"' ||
           c == '\'' || c == ',' || c == '.' || c == ':' || c == '{' || c == '}';
}

// Where the look back from a stray "#" stops. Carriage return is not among them.
bool isSVarDelimiter(QChar C)
{
    switch (C.unicode()) {
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

bool CheckSVarsClosed(const QString &Text, QString &Name, int &Pos)
{
    const qsizetype n = Text.size();
    for (qsizetype i = 0; i + 1 < n;) {
        if (Text[i] != u'#' || !isS(Text[i + 1])) {
            ++i;
            continue;
        }
        qsizetype j = i + 2;
        while (j < n && isSVarNameChar(Text[j]))
            ++j;
        if (j >= n || Text[j] != u'#') {
            Name = Text.mid(i, j - i);
            Pos = int(i + 1);
            return false;
        }
        i = j + 1;
    }
    return true;
}

bool CheckSVarHashes(const QString &Text, QString &Name, int &Pos)
{
    // The look back from a "#" stops at the last delimiter before it, so that one is kept
    // as the scan goes: one pass, however many "#" the text holds.
    qsizetype lastDelimiter = -1;
    const qsizetype n = Text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = Text[i];
        if (c != u'#') {
            if (isSVarDelimiter(c))
                lastDelimiter = i;
            continue;
        }
        if (i + 1 < n && isS(Text[i + 1]))
            continue;
        const qsizetype start = lastDelimiter + 1;
        if (isS(Text[start])) {
            Name = Text.mid(start, i - start + 1);
            Pos = int(start + 1);
            return false;
        }
    }
    return true;
}

QString TSVarCheck::GetDescription() { return QStringLiteral("Unclosed #S variable"); }

void TSVarCheck::CheckItem(TWQFItem *Item, CheckMessageList &Messages, GroupData *)
{
    const QString type = upperCaseAscii(Item->GetType());
    if (type == u"SCRIPT" || type == u"DELPHI")
        return;
    QStringList values;
    GetParamValues(Item, &values);
    for (const QString &value : values) {
        QString name;
        int pos;
        if (!CheckSVarsClosed(value, name, pos))
            Messages.append({QStringLiteral("WARN Unclosed #S variable ") + name, nullptr});
        else if (!CheckSVarHashes(value, name, pos))
            Messages.append({QStringLiteral("HINT Did you mean #S variable ") + name, nullptr});
    }
}

// ---- conditions ----

ExpressionParser &ExprParser()
{
    static ExpressionParser parser;
    return parser;
}

QString ZeroSVars(const QString &Text)
{
    QString out;
    out.reserve(Text.size());
    const qsizetype n = Text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (Text[i] == u'#' && i + 1 < n && isS(Text[i + 1])) {
            const qsizetype close = Text.indexOf(u'#', i + 2);
            out += u'0';
            if (close < 0)
                break;
            i = close;
            continue;
        }
        out += Text[i];
    }
    return out;
}

bool CheckCondition(const QString &Condition, QString &errorText)
{
    errorText.clear();
    if (Trim(Condition).isEmpty())
        return true;
    ExpressionParser &parser = ExprParser();
    try {
        parser.Clear();
        parser.setExpression(ZeroSVars(Condition));
        parser.evaluate();
    } catch (const Exception &e) {
        errorText = e.message();
        return false;
    }
    return true;
}

QString TIFCondCheck::GetDescription() { return QStringLiteral("If condition check"); }

void TIFCondCheck::CheckItem(TWQFItem *Item, CheckMessageList &Messages, GroupData *)
{
    if (Item->GetType() != u"IF")
        return;
    QString condition = Item->GetIfCondition();
    condition.replace(QStringLiteral("''"), QStringLiteral("'"));
    QString error;
    if (!CheckCondition(condition, error))
        Messages.append({QStringLiteral("WARN If component condition: ") + error, Item});
}

// ---- arrows ----

QString TConnectCheck::GetDescription()
{
    return QStringLiteral("IF statement must have both arrows / pointing to the same component");
}

void TConnectCheck::CheckItem(TWQFItem *Item, CheckMessageList &Messages, GroupData *)
{
    const QStringList exits = Item->getJumps();
    const qsizetype count = exits.size();
    const QString exit0 = exits.value(0), exit1 = exits.value(1);
    if (Item->GetType() == u"IF" && (count < 2 || exit0.isEmpty() || exit1.isEmpty())) {
        Messages.append({QStringLiteral("ERROR IF statement must have both arrows"), nullptr});
        return;
    }
    if (count == 2 && !exit0.isEmpty() && exit0 == exit1)
        Messages.append(
            {kWarn + QStringLiteral("both blue and gray arrows are pointing to the same component ") + exit0, nullptr});
}

// ---- unreferenced components ----

void TUnconnData::AddItem(TWQFItem *Item)
{
    if (Item->Section() != m_lastSection || !m_lastGroup) {
        m_lastSection = Item->Section();
        const QString section = m_lastSection ? m_lastSection->GetName() : QString();
        m_lastGroup = lowerCaseAscii(section).contains(u"post") ? &Post : &Pre;
    }
    auto &group = *m_lastGroup;
    int number;
    if (!tryDecimalToInt(Item->GetName(), number) || number < 0)
        return;
    group[number].Item = Item;
    for (const QString &exit : Item->getJumps()) {
        int target;
        if (tryDecimalToInt(exit, target) && target >= 0)
            group[target].referenced = true;
    }
}

QString TUnconnectCheck::GetDescription() { return QStringLiteral("A component, not referenced by any element"); }

std::unique_ptr<GroupData> TUnconnectCheck::CreateGroupData() { return std::make_unique<TUnconnData>(); }

void TUnconnectCheck::CheckItem(TWQFItem *Item, CheckMessageList &, GroupData *Data)
{
    if (auto *data = dynamic_cast<TUnconnData *>(Data))
        data->AddItem(Item);
}

void TUnconnectCheck::FinishGroup(bool, std::unique_ptr<GroupData> &Data, CheckMessageList &Messages)
{
    if (auto *data = dynamic_cast<TUnconnData *>(Data.get()))
        for (const auto *group : {&data->Pre, &data->Post}) {
            std::vector<std::pair<int, TWQFItem *>> unreferenced;
            for (auto it = group->cbegin(); it != group->cend(); ++it)
                if (it.key() > 0 && !it->referenced && it->Item)
                    unreferenced.emplace_back(it.key(), it->Item);
            std::sort(unreferenced.begin(), unreferenced.end());
            for (const auto &[number, item] : unreferenced)
                Messages.append({kWarn + QStringLiteral("not referenced by any element"), item});
        }
    Data.reset();
}

// ---- names ----

QString fileBaseName(const QString &FileName)
{
    QString name = FileName.mid(FileName.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot >= 0)
        name.truncate(dot);
    return name;
}

QString TFileNameCheck::GetDescription()
{
    return QStringLiteral("WQF Function name (%s) doesn't match file name (%S)");
}

void TFileNameCheck::CheckFile(TWQFFile *Doc, CheckMessageList &Messages)
{
    if (!Doc)
        return;
    const QString function = Doc->GetFunctionName();
    const QString base = fileBaseName(Doc->FileName());
    if (function.toUpper() != base.toUpper())
        Messages.append({QStringLiteral("WARN WQF Function name (") + function +
                             QStringLiteral(") doesn't match file name (") + base + u')',
                         nullptr});
}

QString TTemplateNameCheck::GetDescription()
{
    return QStringLiteral("Template name (%s) doesn't match the WQF function name %s)");
}

void TTemplateNameCheck::CheckItem(TWQFItem *Item, CheckMessageList &Messages, GroupData *)
{
    if (Item->GetType() != u"TEMPLATE")
        return;
    const QString name = Item->GetValueN();
    TWQFFile *doc = ownerOf(Item);
    const QString function = doc ? doc->GetFunctionName() : QString();
    if (name.toUpper() != function.toUpper())
        Messages.append({QStringLiteral("HINT Template name (") + name +
                             QStringLiteral(") doesn't match the WQF function name ") + function + u')',
                         Item});
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
