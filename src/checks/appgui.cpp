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

QAction *MenuQueue::AddMenuItem(const QString &TopCaption)
{
    if (m_mainMenu)
        return AttachMenuItem(TopCaption, nullptr);
    auto *item = new QAction(QCoreApplication::instance());
    m_pending.push_back({TopCaption, item});
    return item;
}

void MenuQueue::SetMainMenu(QMenuBar *Menu)
{
    m_mainMenu = Menu;
    for (TPendingMenu &entry : m_pending) {
        if (!entry.Item)
            continue;
        AttachMenuItem(entry.TopCaption, entry.Item);
        entry.Item = nullptr;
    }
}

QAction *MenuQueue::AttachMenuItem(const QString &TopCaption, QAction *Item)
{
    if (!m_mainMenu)
        return nullptr;
    const QString wanted = StripMnemonic(TopCaption);
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

void InitAppGui() { g_queue.reset(std::make_unique<MenuQueue>()); }
void DoneAppGui()
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

QAction *AddMenuItem(const QString &TopCaption) { return menuQueue().AddMenuItem(TopCaption); }
void SetMainMenu(QMenuBar *Menu) { menuQueue().SetMainMenu(Menu); }
QAction *AttachMenuItem(const QString &TopCaption, QAction *Item)
{
    return menuQueue().AttachMenuItem(TopCaption, Item);
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

void CallStoreViewTexts()
{
    if (const auto &hook = hooks().OnStoreViewTexts)
        hook();
}

bool CallDocReplaced(std::unique_ptr<TWQFFile> &Doc)
{
    const auto &hook = hooks().OnDocReplaced;
    return hook && Doc && hook(Doc);
}
