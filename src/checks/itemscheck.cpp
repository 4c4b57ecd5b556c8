#include "itemscheck.h"

#include "base/textutils.h"
#include "model/wqftypes.h"

#include <QHash>
#include <QSet>
#include <array>
#include <optional>
#include <vector>

namespace {
const QString kWarn = QStringLiteral("WARN ");

bool isQuery(const QString &type) { return type == u"SELECTQUERY" || type == u"INSERTUPDATEQUERY"; }

// Exit walks compare names without ASCII case.
QString nameKey(const QString &name) { return LowerCaseAscii(name); }

TWQFFile *ownerOf(const TWQFItem *item)
{
    return item && item->Section() ? item->Section()->Owner() : nullptr;
}

// One section as the loop check walks it, built once per run: components by name, and the
// graph of the path after a loop (exit 0, and exit 1 of IF) condensed into its strongly
// connected parts, numbered so that a part reaches only parts of lower or equal number.
// That number settles most "is this reached after the loop?" questions without a walk.
class TSectionWalks {
public:
    explicit TSectionWalks(const TWQFSection &section)
    {
        QHash<QString, QString> spellings;
        auto note = [&](const QString &text) {
            const QString key = nameKey(text);
            auto it = spellings.constFind(key);
            if (it == spellings.constEnd())
                spellings.insert(key, text);
            else if (*it != text)
                m_caseStable = false;
        };
        for (const auto &item : section.Items()) {
            const QString name = item->GetName();
            note(name);
            if (!name.isEmpty() && !m_byName.contains(name)) {
                m_byName.insert(name, item.get());
                m_nodes.push_back(item.get());
            }
            for (int i = 0, count = item->JumpCount(); i < count; ++i)
                note(item->GetJump(i));
        }
        // Names that differ only in case make the walks depend on the order names are met;
        // such a section is always walked in full.
        if (m_caseStable)
            numberParts();
    }

    // The first component of exactly that name; none for an empty one.
    TWQFItem *Find(const QString &name) const { return name.isEmpty() ? nullptr : m_byName.value(name); }

    // False only when the path after a loop from From certainly never gets to To.
    bool MayReach(const TWQFItem *From, const TWQFItem *To) const
    {
        if (!m_caseStable)
            return true;
        return To && m_part.value(To, -1) <= m_part.value(From, -1);
    }

    // The name keys of the components reached from Start after a loop, Start included.
    QSet<QString> CollectReachable(TWQFItem *Start) const
    {
        QSet<QString> reached;
        QSet<QString> seen{nameKey(Start->GetName())};
        std::vector<TWQFItem *> queue{Start};
        for (size_t i = 0; i < queue.size(); ++i) {
            TWQFItem *item = queue[i];
            if (!item)
                continue;
            reached.insert(nameKey(item->GetName()));
            for (const QString &exit : afterLoopExits(item))
                if (!exit.isEmpty() && !seen.contains(nameKey(exit))) {
                    seen.insert(nameKey(exit));
                    queue.push_back(Find(exit));
                }
        }
        return reached;
    }

private:
    static std::array<QString, 2> afterLoopExits(const TWQFItem *item)
    {
        return {item->GetJump(0), item->GetType() == u"IF" ? item->GetJump(1) : QString()};
    }

    // Tarjan's algorithm without recursion; parts are numbered as they complete.
    void numberParts()
    {
        const int n = int(m_nodes.size());
        QHash<const TWQFItem *, int> index;
        for (int v = 0; v < n; ++v)
            index.insert(m_nodes[size_t(v)], v);
        std::vector<std::array<int, 2>> next(size_t(n), {-1, -1});
        for (int v = 0; v < n; ++v) {
            const auto exits = afterLoopExits(m_nodes[size_t(v)]);
            for (size_t e = 0; e < 2; ++e)
                if (TWQFItem *target = Find(exits[e]))
                    next[size_t(v)][e] = index.value(target);
        }
        std::vector<int> order(size_t(n), -1), low(size_t(n), 0);
        std::vector<bool> onStack(size_t(n), false);
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
        for (int root = 0; root < n; ++root) {
            if (order[size_t(root)] >= 0)
                continue;
            enter(root);
            while (!calls.empty()) {
                const int v = calls.back().v;
                if (calls.back().e < 2) {
                    const int w = next[size_t(v)][calls.back().e++];
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
                    m_part.insert(m_nodes[size_t(w)], parts);
                } while (w != v);
                ++parts;
            }
        }
    }

    QHash<QString, TWQFItem *> m_byName;
    std::vector<TWQFItem *> m_nodes; // the first component of each name
    QHash<const TWQFItem *, int> m_part;
    bool m_caseStable = true;
};

class TLoopData : public TGroupData {
public:
    const TSectionWalks &Walks(const TWQFSection &section)
    {
        auto &walks = m_sections[&section];
        if (!walks)
            walks = std::make_unique<TSectionWalks>(section);
        return *walks;
    }

private:
    std::map<const TWQFSection *, std::unique_ptr<TSectionWalks>> m_sections;
};

// Walks the loop body from Body over every exit and answers the first exit that lands on
// the path after the loop, with the component it leaves from. Exits back to the query end
// the walk there: that is the loop closing, not leaving.
bool leavesLoop(const TSectionWalks &walks, const TWQFItem *query, TWQFItem *after, TWQFItem *body, QString &exitText,
                QString &fromName)
{
    const QString source = query->GetName();
    if (!after || !body || SameTextAscii(body->GetName(), source))
        return false;
    std::optional<QSet<QString>> reached;
    auto reachedAfterLoop = [&](const QString &exit) {
        if (!walks.MayReach(after, walks.Find(exit)))
            return false;
        if (!reached)
            reached = walks.CollectReachable(after);
        return reached->contains(nameKey(exit));
    };
    QSet<QString> seen{nameKey(body->GetName())};
    std::vector<TWQFItem *> queue{body};
    for (size_t i = 0; i < queue.size(); ++i) {
        TWQFItem *item = queue[i];
        if (!item)
            continue;
        for (int j = 0, count = item->JumpCount(); j < count; ++j) {
            const QString exit = item->GetJump(j);
            if (exit.isEmpty() || SameTextAscii(exit, source))
                continue;
            if (reachedAfterLoop(exit)) {
                exitText = exit;
                fromName = item->GetName();
                return true;
            }
            if (!seen.contains(nameKey(exit))) {
                seen.insert(nameKey(exit));
                queue.push_back(walks.Find(exit));
            }
        }
    }
    return false;
}
} // namespace

// ---- developer rights ----

QString TDeveloperRights::GetDescription() { return QStringLiteral("Developer Rights are hardcoded on the page!"); }

void TDeveloperRights::CheckItem(TWQFItem *Item, TCheckMessages &Messages, TGroupData *)
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

std::unique_ptr<TGroupData> TSQLUnderLoopCheck::CreateGroupData() { return std::make_unique<TLoopData>(); }

void TSQLUnderLoopCheck::CheckItem(TWQFItem *Item, TCheckMessages &Messages, TGroupData *Data)
{
    if (!isQuery(Item->GetType()) || Item->JumpCount() < 2 || !Item->Section())
        return;
    const QString exit0 = Item->GetJump(0);
    const QString exit1 = Item->GetJump(1);
    if (!exit0.isEmpty() && exit0 == exit1) {
        Messages.append({kWarn + QStringLiteral("Gray and blue arrows are pointing to the same step ") + exit0, nullptr});
        return;
    }
    std::optional<TSectionWalks> ownWalks;
    auto *data = dynamic_cast<TLoopData *>(Data);
    const TSectionWalks &walks = data ? data->Walks(*Item->Section()) : ownWalks.emplace(*Item->Section());
    QString exitText, fromName;
    if (leavesLoop(walks, Item, walks.Find(exit0), walks.Find(exit1), exitText, fromName))
        Messages.append({kWarn + QStringLiteral("SQL \"loop\" query goes out of the loop at ") + fromName +
                             QStringLiteral(" -> ") + exitText + QStringLiteral(" link"),
                         nullptr});
}

void TSQLUnderLoopCheck::FinishGroup(bool, std::unique_ptr<TGroupData> &Data, TCheckMessages &) { Data.reset(); }

// ---- arrows ----

QString TConnectCheck::GetDescription()
{
    return QStringLiteral("IF statement must have both arrows / pointing to the same component");
}

void TConnectCheck::CheckItem(TWQFItem *Item, TCheckMessages &Messages, TGroupData *)
{
    const int count = Item->JumpCount();
    const QString exit0 = Item->GetJump(0);
    const QString exit1 = Item->GetJump(1);
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
    const QString section = Item->Section() ? Item->Section()->GetName() : QString();
    auto &group = LowerCaseAscii(section).contains(u"post") ? Post : Pre;
    int number;
    if (!TryDecimalToInt(Item->GetName(), number) || number < 0)
        return;
    group[number].Item = Item;
    for (int i = 0, count = Item->JumpCount(); i < count; ++i) {
        int target;
        if (TryDecimalToInt(Item->GetJump(i), target) && target >= 0)
            group[target].Referenced = true;
    }
}

QString TUnconnectCheck::GetDescription() { return QStringLiteral("A component, not referenced by any element"); }

std::unique_ptr<TGroupData> TUnconnectCheck::CreateGroupData() { return std::make_unique<TUnconnData>(); }

void TUnconnectCheck::CheckItem(TWQFItem *Item, TCheckMessages &, TGroupData *Data)
{
    if (auto *data = dynamic_cast<TUnconnData *>(Data))
        data->AddItem(Item);
}

void TUnconnectCheck::FinishGroup(bool, std::unique_ptr<TGroupData> &Data, TCheckMessages &Messages)
{
    if (auto *data = dynamic_cast<TUnconnData *>(Data.get()))
        for (const auto *group : {&data->Pre, &data->Post})
            for (auto it = group->upper_bound(0); it != group->end(); ++it)
                if (!it->second.Referenced && it->second.Item)
                    Messages.append({kWarn + QStringLiteral("not referenced by any element"), it->second.Item});
    Data.reset();
}

// ---- names ----

QString FileBaseName(const QString &FileName)
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

void TFileNameCheck::CheckFile(TWQFFile *Doc, TCheckMessages &Messages)
{
    if (!Doc)
        return;
    const QString function = Doc->GetFunctionName();
    const QString base = FileBaseName(Doc->FileName());
    if (function.toUpper() != base.toUpper())
        Messages.append({QStringLiteral("WARN WQF Function name (") + function +
                             QStringLiteral(") doesn't match file name (") + base + u')',
                         nullptr});
}

QString TTemplateNameCheck::GetDescription()
{
    return QStringLiteral("Template name (%s) doesn't match the WQF function name %s)");
}

void TTemplateNameCheck::CheckItem(TWQFItem *Item, TCheckMessages &Messages, TGroupData *)
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

void InitItemsCheck()
{
    RegisterPlugin(std::make_unique<TDeveloperRights>());
    RegisterPlugin(std::make_unique<TSQLUnderLoopCheck>());
    RegisterPlugin(std::make_unique<TConnectCheck>());
    RegisterPlugin(std::make_unique<TUnconnectCheck>());
    RegisterPlugin(std::make_unique<TFileNameCheck>());
    RegisterPlugin(std::make_unique<TTemplateNameCheck>());
}
