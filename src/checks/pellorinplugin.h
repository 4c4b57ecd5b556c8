#pragma once
// Plug-ins are classes compiled into the program. Each kind has a base class here; every
// plug-in lives in the one registry, which owns it, and reaches the main window through the
// host interface the registry hands out.
#include "platform/keys.h"

#include <QList>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class TWQFFile;
class TWQFItem;

// One check message: the line and the component it concerns, or none.
struct CheckMessage {
    QString text;
    TWQFItem *item = nullptr;
};
using CheckMessageList = QList<CheckMessage>;

// Data a check plug-in keeps across the components of one run.
class GroupData {
public:
    virtual ~GroupData() = default;
};

class TPellorinPlugin {
public:
    virtual ~TPellorinPlugin() = default;
    // The class name under which the plug-in's settings and failure lines are stored; each
    // class answers its own literal, since the name is a stored format.
    virtual QString className() const = 0;

    bool Enabled = false;
};

// Window caption, application title and icon for the open file.
class TNamingPlugin : public TPellorinPlugin {
public:
    QString className() const override { return QStringLiteral("TNamingPlugin"); }
    virtual void NotifyFileName(const QString &fileName);
    virtual QString GetAppTitle();
    virtual QString GetCaption();
    virtual QString GetIconFileName();
};

// A key combination of the main window.
class TShortCutPlugin : public TPellorinPlugin {
public:
    virtual bool Accepts(uint16_t key, TShiftState shift);
    virtual void Execute(uint16_t key, TShiftState shift, bool &handled);
};

// A check whose findings are listed at the bottom of the main window. The runner calls it per
// run: CheckItem for every component, CheckFile once, then FinishGroup when it needs group
// data.
class TWarningPlugin : public TPellorinPlugin {
public:
    virtual bool InQuickCheck();
    virtual bool NeedsGroupData();
    virtual std::unique_ptr<GroupData> CreateGroupData();
    virtual void CheckItem(TWQFItem *item, CheckMessageList &messages, GroupData *data);
    // Adds the group's lines and frees data.
    virtual void FinishGroup(bool flag, std::unique_ptr<GroupData> &data, CheckMessageList &messages);
    virtual void CheckFile(TWQFFile *doc, CheckMessageList &messages);
    virtual QString GetDescription();

    int Priority = 0;
    // The plug-in's lines during a check run; none outside one.
    std::unique_ptr<CheckMessageList> Messages;
};

// A check plug-in with the group data it made for one run, which FinishGroup frees.
class TPluginObjectPair {
public:
    // The data is made only when plugin needs some and createData is set.
    TPluginObjectPair(TWarningPlugin *plugin, bool createData);

    TWarningPlugin *Plugin;
    std::unique_ptr<GroupData> Data;
};

// -1, 0 or 1 as A's priority is below, equal to or above B's.
int ComparePriority(const TWarningPlugin *a, const TWarningPlugin *b);
// Plugin's CheckItem over every component. A failure on one component becomes the line
// "<class> failed on <name>: <message>" and the walk goes on; every line a component gave
// without a component of its own is tagged with it.
void RunOnItems(TWarningPlugin *plugin, const QList<TWQFItem *> &items, CheckMessageList &messages, GroupData *data);
// Every enabled check plug-in (only those of the quick check with quickOnly) over doc, in
// priority order, equal priorities in registration order; appends their lines grouped by
// plug-in: component lines, file lines, group lines. Nothing without doc or messages.
void RunWarningPlugins(const QList<TWarningPlugin *> &plugins, TWQFFile *doc, bool quickOnly,
                       CheckMessageList *messages);

// What plug-ins may ask of the main window. The selection holds the diagram's item data:
// components, notes and note handles.
class TPellorinAppIntf {
public:
    virtual ~TPellorinAppIntf() = default;
    virtual void OpenFile(const QString &fileName);
    virtual void GetSelection(QList<void *> &list);
    virtual QString GetFileName();
    // The open document and the active tab's section name.
    virtual QString GetCurrent(TWQFFile *&doc);
    virtual bool GetMousePos(int &x, int &y);
    virtual void RefreshSection(const QString &sectionName);
};

// The host interface until the main window installs its own.
class TDoNothingAppIntf : public TPellorinAppIntf {};

class PluginRegistry {
public:
    // Starts with a default naming plug-in at index 0.
    PluginRegistry();
    // Frees the plug-ins, then the host interfaces.
    ~PluginRegistry();
    PluginRegistry(const PluginRegistry &) = delete;
    PluginRegistry &operator=(const PluginRegistry &) = delete;

    // Appends p and enables it; nothing for none or for a plug-in already listed.
    TPellorinPlugin *registerPlugin(std::unique_ptr<TPellorinPlugin> p);
    // P (a new default one for none) replaces the first naming plug-in at its index, freeing
    // it, or is appended when there is none.
    TNamingPlugin *setNamingPlugin(std::unique_ptr<TNamingPlugin> p);
    TNamingPlugin *getNamingPlugin() const;
    // Appends the check plug-ins in registration order.
    void getWarningPlugins(QList<TWarningPlugin *> &list) const;
    // Offers the key to the shortcut plug-ins in registration order until one handles it.
    void dispatchShortCut(uint16_t key, TShiftState shift, bool &handled);
    // The check run over this registry's check plug-ins.
    void runWarningPlugins(TWQFFile *doc, bool quickOnly, CheckMessageList *messages);

    // The current host interface; a do-nothing one while none is installed.
    TPellorinAppIntf *getAppIntf();
    // A do-nothing interface is freed at once; any other one it replaces stays owned (and
    // alive) until the registry ends, since plug-ins may still hold it.
    void setAppIntf(std::unique_ptr<TPellorinAppIntf> intf);

    QList<TPellorinPlugin *> plugins() const;

private:
    std::vector<std::unique_ptr<TPellorinPlugin>>::iterator find(const TPellorinPlugin *p);

    std::vector<std::unique_ptr<TPellorinPlugin>> m_plugins;
    std::unique_ptr<TPellorinAppIntf> m_appIntf;
    std::vector<std::unique_ptr<TPellorinAppIntf>> m_replacedIntfs;
};

// The program's one registry, from initPluginRegistry to donePluginRegistry; the functions
// below raise "Object reference is Nil" outside that time.
void initPluginRegistry();
void donePluginRegistry();
PluginRegistry &pluginRegistry();

TPellorinPlugin *RegisterPlugin(std::unique_ptr<TPellorinPlugin> p);
TNamingPlugin *SetNamingPlugin(std::unique_ptr<TNamingPlugin> p);
TNamingPlugin *GetNamingPlugin();
void GetWarningPlugins(QList<TWarningPlugin *> &list);
void DispatchShortCut(uint16_t key, TShiftState shift, bool &handled);
void RunWarningPlugins(TWQFFile *doc, bool quickOnly, CheckMessageList *messages);
TPellorinAppIntf *GetAppIntf();
void SetAppIntf(std::unique_ptr<TPellorinAppIntf> intf);
// The program's folder, ending with a path delimiter.
QString GetAppDir();
