// Menu entries and host hooks for modules that start before the main window.
#include "appgui.h"

#include "base/exception.h"
#include "base/moduleslot.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>

QString StripMnemonic(const QString &Caption)
{
    QString out;
    out.reserve(Caption.size());
    for (qsizetype i = 0; i < Caption.size(); ++i) {
        if (Caption[i] == u'&') {
            if (i + 1 < Caption.size() && Caption[i + 1] == u'&')
                out += Caption[++i];
            continue;
        }
        out += Caption[i];
    }
    return out;
}

QAction *MenuQueue::AddMenuItem(const QString &topCaption)
{
    if (m_mainMenu)
        return AttachMenuItem(topCaption, nullptr);
    auto *item = new QAction(QCoreApplication::instance());
    m_pending.push_back({topCaption, item});
    return item;
}

void MenuQueue::SetMainMenu(QMenuBar *menu)
{
    m_mainMenu = menu;
    for (TPendingMenu &entry : m_pending) {
        if (!entry.Item)
            continue;
        AttachMenuItem(entry.topCaption, entry.Item);
        entry.Item = nullptr;
    }
}

QAction *MenuQueue::AttachMenuItem(const QString &topCaption, QAction *Item)
{
    if (!m_mainMenu)
        return nullptr;
    const QString wanted = StripMnemonic(topCaption);
    for (QAction *top : m_mainMenu->actions()) {
        QMenu *menu = top->menu();
        if (!menu || StripMnemonic(top->text()) != wanted)
            continue;
        if (Item)
            Item->setParent(menu);
        else
            Item = new QAction(menu);
        menu->addAction(Item);
        return Item;
    }
    return nullptr;
}

namespace {
ModuleSlot<MenuQueue> g_queue;

HostHooks &hooks()
{
    static HostHooks instance;
    return instance;
}
} // namespace

void initAppGui() { g_queue.reset(std::make_unique<MenuQueue>()); }
void doneAppGui()
{
    g_queue.reset();
    hooks() = HostHooks();
}

MenuQueue &menuQueue()
{
    if (!g_queue)
        throw ERunError::nilReference();
    return *g_queue;
}

QAction *AddMenuItem(const QString &topCaption) { return menuQueue().AddMenuItem(topCaption); }
void SetMainMenu(QMenuBar *menu) { menuQueue().SetMainMenu(menu); }
QAction *AttachMenuItem(const QString &topCaption, QAction *Item)
{
    return menuQueue().AttachMenuItem(topCaption, Item);
}

HostHooks &hostHooks() { return hooks(); }

TWQFFile *CallGetCurrentDoc()
{
    const auto &hook = hooks().OnGetCurrentDoc;
    return hook ? hook() : nullptr;
}

QString CallGetCurrentSectionName()
{
    const auto &hook = hooks().OnGetCurrentSectionName;
    return hook ? hook() : QString();
}

void CallDocReloaded()
{
    if (const auto &hook = hooks().OnDocReloaded)
        hook();
}

void callStoreViewTexts()
{
    if (const auto &hook = hooks().onStoreViewTexts)
        hook();
}

bool callDocReplaced(std::unique_ptr<TWQFFile> &Doc)
{
    const auto &hook = hooks().onDocReplaced;
    return hook && Doc && hook(Doc);
}
