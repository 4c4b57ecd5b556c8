// Menu entries and host hooks for modules that start before the main window.
#include "appgui.h"

#include "base/exception.h"
#include "base/moduleslot.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>

QString stripMnemonic(const QString &caption)
{
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&') {
            if (i + 1 < caption.size() && caption[i + 1] == u'&')
                out += caption[++i];
            continue;
        }
        out += caption[i];
    }
    return out;
}

QAction *MenuQueue::addMenuItem(const QString &topCaption)
{
    if (m_mainMenu)
        return attachMenuItem(topCaption, nullptr);
    auto *item = new QAction(QCoreApplication::instance());
    m_pending.push_back({topCaption, item});
    return item;
}

void MenuQueue::setMainMenu(QMenuBar *menu)
{
    m_mainMenu = menu;
    for (TPendingMenu &entry : m_pending) {
        if (!entry.item)
            continue;
        attachMenuItem(entry.topCaption, entry.item);
        entry.item = nullptr;
    }
}

QAction *MenuQueue::attachMenuItem(const QString &topCaption, QAction *item)
{
    if (!m_mainMenu)
        return nullptr;
    const QString wanted = stripMnemonic(topCaption);
    for (QAction *top : m_mainMenu->actions()) {
        QMenu *menu = top->menu();
        if (!menu || stripMnemonic(top->text()) != wanted)
            continue;
        if (item)
            item->setParent(menu);
        else
            item = new QAction(menu);
        menu->addAction(item);
        return item;
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

QAction *AddMenuItem(const QString &topCaption) { return menuQueue().addMenuItem(topCaption); }
void SetMainMenu(QMenuBar *menu) { menuQueue().setMainMenu(menu); }
QAction *AttachMenuItem(const QString &topCaption, QAction *item)
{
    return menuQueue().attachMenuItem(topCaption, item);
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

bool callDocReplaced(std::unique_ptr<TWQFFile> &doc)
{
    const auto &hook = hooks().onDocReplaced;
    return hook && doc && hook(doc);
}
