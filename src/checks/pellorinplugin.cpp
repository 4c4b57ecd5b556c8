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
QString TWarningPlugin::GetDescription() { return className(); }

TPluginObjectPair::TPluginObjectPair(TWarningPlugin *plugin, bool createData) : Plugin(plugin)
{
    if (plugin && plugin->NeedsGroupData() && createData)
        Data = plugin->CreateGroupData();
}

int ComparePriority(const TWarningPlugin *a, const TWarningPlugin *b)
{
    if (a->Priority < b->Priority)
        return -1;
    return a->Priority == b->Priority ? 0 : 1;
}

namespace {
void tagLines(CheckMessageList &messages, qsizetype from, TWQFItem *item)
{
    for (qsizetype i = std::min(from, messages.size()); i < messages.size(); ++i)
        if (!messages[i].item)
            messages[i].item = item;
}

// A plug-in that broke outside its components must not look like a clean pass: one
// untagged line among its own.
void addBrokenLine(TWarningPlugin *plugin)
{
    const QString line = plugin->className() + QStringLiteral(" failed: ") + currentExceptionMessage();
    try {
        if (!plugin->Messages)
            plugin->Messages = std::make_unique<CheckMessageList>();
        plugin->Messages->append(CheckMessage{line, nullptr});
    } catch (...) {}
}
} // namespace

void RunOnItems(TWarningPlugin *plugin, const QList<TWQFItem *> &items, CheckMessageList &messages, GroupData *data)
{
    for (TWQFItem *item : items) {
        const qsizetype before = messages.size();
        if (item) {
            try {
                plugin->CheckItem(item, messages, data);
            } catch (const std::exception &) {
                messages.append(CheckMessage{plugin->className() + QStringLiteral(" failed on ") + item->GetName() +
                                                 QStringLiteral(": ") + currentExceptionMessage(),
                                             nullptr});
            } catch (...) {
                tagLines(messages, before, item);
                throw;
            }
        }
        tagLines(messages, before, item);
    }
}

void RunWarningPlugins(const QList<TWarningPlugin *> &plugins, TWQFFile *doc, bool quickOnly,
                       CheckMessageList *messages)
{
    if (!doc || !messages)
        return;
    QList<TWQFItem *> items;
    for (const auto &section : doc->Sections())
        for (const auto &item : section->Items())
            items.append(item.get());

    QList<TWarningPlugin *> sorted = plugins;
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
            plugin->CheckFile(doc, *plugin->Messages);
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
            messages->append(*plugin->Messages);
            plugin->Messages.reset();
        }
}

void TPellorinAppIntf::OpenFile(const QString &) {}
void TPellorinAppIntf::GetSelection(QList<void *> &) {}
QString TPellorinAppIntf::GetFileName() { return QString(); }
QString TPellorinAppIntf::GetCurrent(TWQFFile *&doc)
{
    doc = nullptr;
    return QString();
}
bool TPellorinAppIntf::GetMousePos(int &x, int &y)
{
    x = 0;
    y = 0;
    return false;
}
void TPellorinAppIntf::RefreshSection(const QString &) {}

PluginRegistry::PluginRegistry() { setNamingPlugin(nullptr); }

PluginRegistry::~PluginRegistry()
{
    m_plugins.clear();
    m_appIntf.reset();
    m_replacedIntfs.clear();
}

std::vector<std::unique_ptr<TPellorinPlugin>>::iterator PluginRegistry::find(const TPellorinPlugin *p)
{
    return std::find_if(m_plugins.begin(), m_plugins.end(), [p](const auto &entry) { return entry.get() == p; });
}

TPellorinPlugin *PluginRegistry::registerPlugin(std::unique_ptr<TPellorinPlugin> p)
{
    if (!p)
        return nullptr;
    TPellorinPlugin *raw = p.get();
    // Already ours: a second entry would be freed twice.
    if (find(raw) != m_plugins.end()) {
        (void)p.release();
        return raw;
    }
    raw->Enabled = true;
    m_plugins.push_back(std::move(p));
    return raw;
}

TNamingPlugin *PluginRegistry::setNamingPlugin(std::unique_ptr<TNamingPlugin> p)
{
    if (!p)
        p = std::make_unique<TNamingPlugin>();
    TNamingPlugin *raw = p.get();
    auto current = std::find_if(m_plugins.begin(), m_plugins.end(),
                                [](const auto &entry) { return dynamic_cast<TNamingPlugin *>(entry.get()); });
    if (current != m_plugins.end() && current->get() == raw) {
        (void)p.release();
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
        *current = std::move(p);
    else
        m_plugins.push_back(std::move(p));
    return raw;
}

TNamingPlugin *PluginRegistry::getNamingPlugin() const
{
    for (const auto &entry : m_plugins)
        if (auto *naming = dynamic_cast<TNamingPlugin *>(entry.get()))
            return naming;
    return nullptr;
}

void PluginRegistry::getWarningPlugins(QList<TWarningPlugin *> &list) const
{
    for (const auto &entry : m_plugins)
        if (auto *check = dynamic_cast<TWarningPlugin *>(entry.get()))
            list.append(check);
}

void PluginRegistry::dispatchShortCut(uint16_t key, TShiftState shift, bool &handled)
{
    handled = false;
    // By index: a plug-in may reach the registry while it runs.
    for (size_t i = 0; i < m_plugins.size(); ++i) {
        auto *shortcut = dynamic_cast<TShortCutPlugin *>(m_plugins[i].get());
        if (!shortcut || !shortcut->Accepts(key, shift))
            continue;
        shortcut->Execute(key, shift, handled);
        if (handled)
            return;
    }
}

void PluginRegistry::runWarningPlugins(TWQFFile *doc, bool quickOnly, CheckMessageList *messages)
{
    QList<TWarningPlugin *> plugins;
    getWarningPlugins(plugins);
    ::RunWarningPlugins(plugins, doc, quickOnly, messages);
}

TPellorinAppIntf *PluginRegistry::getAppIntf()
{
    if (!m_appIntf)
        m_appIntf = std::make_unique<TDoNothingAppIntf>();
    return m_appIntf.get();
}

void PluginRegistry::setAppIntf(std::unique_ptr<TPellorinAppIntf> intf)
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

QList<TPellorinPlugin *> PluginRegistry::plugins() const
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

TPellorinPlugin *RegisterPlugin(std::unique_ptr<TPellorinPlugin> p)
{
    return pluginRegistry().registerPlugin(std::move(p));
}
TNamingPlugin *SetNamingPlugin(std::unique_ptr<TNamingPlugin> p)
{
    return pluginRegistry().setNamingPlugin(std::move(p));
}
TNamingPlugin *GetNamingPlugin() { return pluginRegistry().getNamingPlugin(); }
void GetWarningPlugins(QList<TWarningPlugin *> &list) { pluginRegistry().getWarningPlugins(list); }
void DispatchShortCut(uint16_t key, TShiftState shift, bool &handled)
{
    pluginRegistry().dispatchShortCut(key, shift, handled);
}
void RunWarningPlugins(TWQFFile *doc, bool quickOnly, CheckMessageList *messages)
{
    if (doc && messages)
        pluginRegistry().runWarningPlugins(doc, quickOnly, messages);
}
TPellorinAppIntf *GetAppIntf() { return pluginRegistry().getAppIntf(); }
void SetAppIntf(std::unique_ptr<TPellorinAppIntf> intf) { pluginRegistry().setAppIntf(std::move(intf)); }
QString GetAppDir() { return platform::programFolder(); }
