// The plug-in base classes and the registry.
#include "pellorinplugin.h"

#include "base/exception.h"
#include "base/moduleslot.h"
#include "model/wqftypes.h"
#include "platform/appdirs.h"

#include <QScopeGuard>
#include <algorithm>
#include <exception>

void TNamingPlugin::NotifyFileName(const QString &) {}
QString TNamingPlugin::GetAppTitle() { return QString(); }
QString TNamingPlugin::GetCaption() { return QString(); }
QString TNamingPlugin::GetIconFileName() { return QString(); }

bool TShortCutPlugin::Accepts(uint16_t, TShiftState) { return false; }
void TShortCutPlugin::Execute(uint16_t, TShiftState, bool &handled) { handled = false; }

bool TWarningPlugin::InQuickCheck() { return true; }
bool TWarningPlugin::NeedsGroupData() { return false; }
std::unique_ptr<GroupData> TWarningPlugin::CreateGroupData() { return nullptr; }
void TWarningPlugin::CheckItem(TWQFItem *, CheckMessageList &, GroupData *) {}
void TWarningPlugin::FinishGroup(bool, std::unique_ptr<GroupData> &, CheckMessageList &) {}
void TWarningPlugin::CheckFile(TWQFFile *, CheckMessageList &) {}
QString TWarningPlugin::GetDescription() { return ClassName(); }

TPluginObjectPair::TPluginObjectPair(TWarningPlugin *Plugin, bool createData) : Plugin(Plugin)
{
    if (Plugin && Plugin->NeedsGroupData() && createData)
        Data = Plugin->CreateGroupData();
}

int ComparePriority(const TWarningPlugin *a, const TWarningPlugin *b)
{
    if (a->Priority < b->Priority)
        return -1;
    return a->Priority == b->Priority ? 0 : 1;
}

namespace {
void tagLines(CheckMessageList &Messages, qsizetype from, TWQFItem *Item)
{
    for (qsizetype i = std::min(from, Messages.size()); i < Messages.size(); ++i)
        if (!Messages[i].Item)
            Messages[i].Item = Item;
}

// A plug-in that broke outside its components must not look like a clean pass: one
// untagged line among its own.
void addBrokenLine(TWarningPlugin *Plugin)
{
    const QString line = Plugin->ClassName() + QStringLiteral(" failed: ") + currentExceptionMessage();
    try {
        if (!Plugin->Messages)
            Plugin->Messages = std::make_unique<CheckMessageList>();
        Plugin->Messages->append(CheckMessage{line, nullptr});
    } catch (...) {}
}
} // namespace

void RunOnItems(TWarningPlugin *Plugin, const QList<TWQFItem *> &Items, CheckMessageList &Messages, GroupData *Data)
{
    for (TWQFItem *item : Items) {
        const qsizetype before = Messages.size();
        if (item) {
            try {
                Plugin->CheckItem(item, Messages, Data);
            } catch (const std::exception &) {
                Messages.append(CheckMessage{Plugin->ClassName() + QStringLiteral(" failed on ") + item->GetName() +
                                                 QStringLiteral(": ") + currentExceptionMessage(),
                                             nullptr});
            } catch (...) {
                tagLines(Messages, before, item);
                throw;
            }
        }
        tagLines(Messages, before, item);
    }
}

void RunWarningPlugins(const QList<TWarningPlugin *> &Plugins, TWQFFile *Doc, bool quickOnly,
                       CheckMessageList *Messages)
{
    if (!Doc || !Messages)
        return;
    QList<TWQFItem *> items;
    for (const auto &section : Doc->Sections())
        for (const auto &item : section->Items())
            items.append(item.get());

    QList<TWarningPlugin *> sorted = Plugins;
    sorted.removeAll(nullptr);
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const TWarningPlugin *a, const TWarningPlugin *b) { return ComparePriority(a, b) < 0; });
    // The plug-ins' lists live only during the run, also when it breaks off.
    auto dropLists = qScopeGuard([&] {
        for (TWarningPlugin *plugin : sorted)
            plugin->Messages.reset();
    });

    std::vector<std::unique_ptr<TPluginObjectPair>> pairs;
    for (TWarningPlugin *plugin : sorted) {
        try {
            if ((quickOnly && !plugin->InQuickCheck()) || !plugin->Enabled)
                continue;
            if (!plugin->Messages)
                plugin->Messages = std::make_unique<CheckMessageList>();
            GroupData *data = nullptr;
            if (plugin->NeedsGroupData()) {
                pairs.push_back(std::make_unique<TPluginObjectPair>(plugin, true));
                data = pairs.back()->Data.get();
            }
            RunOnItems(plugin, items, *plugin->Messages, data);
            plugin->CheckFile(Doc, *plugin->Messages);
        } catch (...) {
            addBrokenLine(plugin);
        }
    }
    for (auto &pair : pairs) {
        try {
            if (!pair->Plugin->Messages)
                pair->Plugin->Messages = std::make_unique<CheckMessageList>();
            pair->Plugin->FinishGroup(true, pair->Data, *pair->Plugin->Messages);
        } catch (...) {
            addBrokenLine(pair->Plugin);
        }
        pair.reset();
    }
    for (TWarningPlugin *plugin : sorted)
        if (plugin->Messages) {
            Messages->append(*plugin->Messages);
            plugin->Messages.reset();
        }
}

void TPellorinAppIntf::OpenFile(const QString &) {}
void TPellorinAppIntf::GetSelection(QList<void *> &) {}
QString TPellorinAppIntf::GetFileName() { return QString(); }
QString TPellorinAppIntf::GetCurrent(TWQFFile *&Doc)
{
    Doc = nullptr;
    return QString();
}
bool TPellorinAppIntf::GetMousePos(int &X, int &Y)
{
    X = 0;
    Y = 0;
    return false;
}
void TPellorinAppIntf::RefreshSection(const QString &) {}

PluginRegistry::PluginRegistry() { SetNamingPlugin(nullptr); }

PluginRegistry::~PluginRegistry()
{
    m_plugins.clear();
    m_appIntf.reset();
    m_replacedIntfs.clear();
}

std::vector<std::unique_ptr<TPellorinPlugin>>::iterator PluginRegistry::find(const TPellorinPlugin *P)
{
    return std::find_if(m_plugins.begin(), m_plugins.end(), [P](const auto &entry) { return entry.get() == P; });
}

TPellorinPlugin *PluginRegistry::RegisterPlugin(std::unique_ptr<TPellorinPlugin> P)
{
    if (!P)
        return nullptr;
    TPellorinPlugin *raw = P.get();
    // Already ours: a second entry would be freed twice.
    if (find(raw) != m_plugins.end()) {
        (void)P.release();
        return raw;
    }
    raw->Enabled = true;
    m_plugins.push_back(std::move(P));
    return raw;
}

TNamingPlugin *PluginRegistry::SetNamingPlugin(std::unique_ptr<TNamingPlugin> P)
{
    if (!P)
        P = std::make_unique<TNamingPlugin>();
    TNamingPlugin *raw = P.get();
    auto current = std::find_if(m_plugins.begin(), m_plugins.end(),
                                [](const auto &entry) { return dynamic_cast<TNamingPlugin *>(entry.get()); });
    if (current != m_plugins.end() && current->get() == raw) {
        (void)P.release();
        return raw;
    }
    // Listed further on already: take it out of its old place without freeing it.
    auto listed = find(raw);
    if (listed != m_plugins.end()) {
        (void)listed->release();
        m_plugins.erase(listed);
        current = std::find_if(m_plugins.begin(), m_plugins.end(),
                               [](const auto &entry) { return dynamic_cast<TNamingPlugin *>(entry.get()); });
    }
    if (current != m_plugins.end())
        *current = std::move(P);
    else
        m_plugins.push_back(std::move(P));
    return raw;
}

TNamingPlugin *PluginRegistry::GetNamingPlugin() const
{
    for (const auto &entry : m_plugins)
        if (auto *naming = dynamic_cast<TNamingPlugin *>(entry.get()))
            return naming;
    return nullptr;
}

void PluginRegistry::GetWarningPlugins(QList<TWarningPlugin *> &List) const
{
    for (const auto &entry : m_plugins)
        if (auto *check = dynamic_cast<TWarningPlugin *>(entry.get()))
            List.append(check);
}

void PluginRegistry::DispatchShortCut(uint16_t Key, TShiftState shift, bool &handled)
{
    handled = false;
    // By index: a plug-in may reach the registry while it runs.
    for (size_t i = 0; i < m_plugins.size(); ++i) {
        auto *shortcut = dynamic_cast<TShortCutPlugin *>(m_plugins[i].get());
        if (!shortcut || !shortcut->Accepts(Key, shift))
            continue;
        shortcut->Execute(Key, shift, handled);
        if (handled)
            return;
    }
}

void PluginRegistry::RunWarningPlugins(TWQFFile *Doc, bool quickOnly, CheckMessageList *Messages)
{
    QList<TWarningPlugin *> plugins;
    GetWarningPlugins(plugins);
    ::RunWarningPlugins(plugins, Doc, quickOnly, Messages);
}

TPellorinAppIntf *PluginRegistry::GetAppIntf()
{
    if (!m_appIntf)
        m_appIntf = std::make_unique<TDoNothingAppIntf>();
    return m_appIntf.get();
}

void PluginRegistry::SetAppIntf(std::unique_ptr<TPellorinAppIntf> intf)
{
    if (intf && intf.get() == m_appIntf.get()) {
        (void)intf.release();
        return;
    }
    auto replaced = std::find_if(m_replacedIntfs.begin(), m_replacedIntfs.end(),
                                 [&](const auto &entry) { return entry.get() == intf.get(); });
    if (intf && replaced != m_replacedIntfs.end()) {
        (void)replaced->release();
        m_replacedIntfs.erase(replaced);
    }
    if (m_appIntf && !dynamic_cast<TDoNothingAppIntf *>(m_appIntf.get()))
        m_replacedIntfs.push_back(std::move(m_appIntf));
    m_appIntf = std::move(intf);
}

QList<TPellorinPlugin *> PluginRegistry::Plugins() const
{
    QList<TPellorinPlugin *> list;
    for (const auto &entry : m_plugins)
        list.append(entry.get());
    return list;
}

namespace {
ModuleSlot<PluginRegistry> g_registry;
}

void initPluginRegistry() { g_registry.reset(std::make_unique<PluginRegistry>()); }
void donePluginRegistry() { g_registry.reset(); }

PluginRegistry &pluginRegistry()
{
    if (!g_registry)
        throw ERunError::nilReference();
    return *g_registry;
}

TPellorinPlugin *RegisterPlugin(std::unique_ptr<TPellorinPlugin> P)
{
    return pluginRegistry().RegisterPlugin(std::move(P));
}
TNamingPlugin *SetNamingPlugin(std::unique_ptr<TNamingPlugin> P)
{
    return pluginRegistry().SetNamingPlugin(std::move(P));
}
TNamingPlugin *GetNamingPlugin() { return pluginRegistry().GetNamingPlugin(); }
void GetWarningPlugins(QList<TWarningPlugin *> &List) { pluginRegistry().GetWarningPlugins(List); }
void DispatchShortCut(uint16_t Key, TShiftState shift, bool &handled)
{
    pluginRegistry().DispatchShortCut(Key, shift, handled);
}
void RunWarningPlugins(TWQFFile *Doc, bool quickOnly, CheckMessageList *Messages)
{
    if (Doc && Messages)
        pluginRegistry().RunWarningPlugins(Doc, quickOnly, Messages);
}
TPellorinAppIntf *GetAppIntf() { return pluginRegistry().GetAppIntf(); }
void SetAppIntf(std::unique_ptr<TPellorinAppIntf> intf) { pluginRegistry().SetAppIntf(std::move(intf)); }
QString GetAppDir() { return platform::ProgramFolder(); }
