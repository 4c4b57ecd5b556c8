#pragma once
// A window for the units that ask one, without the main window: a plain widget with the open
// page and the tabs that show it laid out on it.
#include "shell/diagramtab.h"
#include "shell/openpage.h"
#include "shell/pageviews.h"
#include "shell/windowhost.h"

#include <QVBoxLayout>
#include <QWidget>
#include <memory>

namespace pellorin_test {
class TestWindow : public WindowHost {
public:
    TestWindow() : m_views(std::make_unique<PageViews>(*this))
    {
        auto *layout = new QVBoxLayout(&m_widget);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(m_views->tabWidget());
    }
    ~TestWindow() override
    {
        // The editors let go of the page and the notes first, as in the main window.
        for (DiagramTab *tab : m_views->diagramTabs())
            tab->clear();
    }
    TestWindow(const TestWindow &) = delete;
    TestWindow &operator=(const TestWindow &) = delete;

    OpenPage &page() override { return m_page; }
    PageViews &views() override { return *m_views; }
    QWidget *windowWidget() override { return &m_widget; }

private:
    OpenPage m_page;
    QWidget m_widget;
    std::unique_ptr<PageViews> m_views;
};
} // namespace pellorin_test
