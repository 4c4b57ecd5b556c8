// One diagram tab: its palette, diagram and property panel.
#include "diagramtab.h"

#include "base/mathutils.h"
#include "base/textutils.h"
#include "editors/lclgrapheditor.h"
#include "editors/wqfeditors.h"
#include "formparts.h"
#include "openpage.h"

#include <QEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QVBoxLayout>

namespace {
// The design names of one tab's widgets.
struct TabNames {
    const char *caption;
    const char *sheet;
    const char *palette;
    const char *diagramPanel;
    const char *image;
    const char *horzScroll;
    const char *vertScroll;
    const char *splitter;
    const char *propertyPanel;
    const char *propertyScroll;
    const char *propertyRows;
};
constexpr TabNames kTabNames[2] = {
    {"Pre process", "PreSheet", "Panel2", "ImagePanel", "Image1", "PreHorzScroll", "PreVertScroll", "Splitter2",
     "PrePanel", "PreScroll", "PrePropertyRows"},
    {"Post process", "PostSheet", "Panel6", "Panel4", "Image2", "PostHorzScroll", "PostVertScoll", "Splitter3",
     "PostPanel", "PostScroll", "PostPropertyRows"},
};

// A diagram's source that tells when the user moved something on it.
class PageSectionSource : public TWQFEditorSource {
public:
    using TWQFEditorSource::TWQFEditorSource;
    void MoveItem(void *data, int dx, int dy) override
    {
        TWQFEditorSource::MoveItem(data, dx, dy);
        if (onMoved)
            onMoved();
    }
    std::function<void()> onMoved;
};

// The rows of a variable entry put its name edit and type drop-down side by side, 100 pixels
// wide each and 2 apart, and its "Delete" button, 72 wide, at the panel's right edge: a
// narrower panel puts the button over the drop-down.
constexpr int kNarrowestPanel = 100 + 2 + 100 + 2 + 72;

// v scaled from 96 dots per inch, halves to even.
int scaledToScreen(int v, double dpi) { return roundToInt(v * dpi / 96.0); }
} // namespace

DiagramTab::DiagramTab(int index, QWidget *parent) : QWidget(parent), m_section(diagramSections()[size_t(index)].name)
{
    const TabNames &names = kTabNames[index];
    setObjectName(QLatin1String(names.sheet));
    m_caption = QLatin1String(names.caption);
    m_palette = named(new QWidget(this), names.palette);
    m_palette->setFixedHeight(68);

    m_diagramPanel = named(new QWidget, names.diagramPanel);
    m_image = named(new TImage(m_diagramPanel), names.image);
    m_horzScroll = named(new QScrollBar(Qt::Horizontal, m_diagramPanel), names.horzScroll);
    m_vertScroll = named(new QScrollBar(Qt::Vertical, m_diagramPanel), names.vertScroll);
    layoutDiagramPlace(m_diagramPanel, m_image, m_horzScroll, m_vertScroll);
    m_image->onMouseUp = [this](QObject *, Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y) {
        emit imageReleased(button, modifiers, x, y);
    };

    m_propertyPanel = named(new QWidget, names.propertyPanel);
    m_propertyScroll = named(new QScrollArea(m_propertyPanel), names.propertyScroll);
    m_propertyScroll->setWidgetResizable(true);
    m_propertyRows = named(new QWidget, names.propertyRows);
    m_propertyScroll->setWidget(m_propertyRows);
    m_propertyScroll->installEventFilter(this);
    // Also with its vertical scroll bar shown the rows get that width.
    const int panelWidth =
        kNarrowestPanel +
        m_propertyScroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_propertyScroll) +
        2 * m_propertyScroll->frameWidth();
    m_propertyPanel->setMinimumWidth(panelWidth);
    auto *panelLayout = new QVBoxLayout(m_propertyPanel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->setSpacing(0);
    panelLayout->addWidget(m_propertyScroll);

    auto *splitter = named(new QSplitter(Qt::Horizontal), names.splitter);
    splitter->addWidget(m_diagramPanel);
    splitter->addWidget(m_propertyPanel);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    splitter->setSizes({mainDesignWidth - panelWidth, panelWidth});

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_palette);
    layout->addWidget(splitter, 1);
}

// The editor goes before the widgets it shows its diagram and panel on.
DiagramTab::~DiagramTab() { clear(); }

TWQFEditorSource *DiagramTab::source() const
{
    return m_editor ? static_cast<TWQFEditorSource *>(m_editor->Source()) : nullptr;
}

void DiagramTab::build(TWQFSection *sectionOfPage, CommentRectList *notes, const DiagramSettings &settings)
{
    if (!m_editor) {
        auto made = std::make_unique<PageSectionSource>(sectionOfPage, notes);
        made->SetZoom(settings.zoom);
        made->OnGetImage = settings.getImage;
        made->VertSplit = settings.vertSplit;
        made->DstArrow = settings.dstArrow;
        made->onMoved = [this] { emit changed(); };
        TWQFEditorSource *raw = made.get();
        m_editor =
            std::make_unique<TPanelChanger>(m_propertyRows, m_image, m_horzScroll, m_vertScroll, std::move(made));
        raw->Editor = m_editor.get();
        m_editor->TagsEditor()->ScrollBox = m_propertyScroll;
        m_editor->OnChange = [this](TTagsEditor *) { emit changed(); };
    }
    source()->setSection(sectionOfPage);
    m_editor->SetGraphSize(diagramSize(sectionOfPage, settings.screenDpi));
    m_editor->Rebuild();
}

void DiagramTab::clear() { m_editor.reset(); }

void DiagramTab::raiseScrollBars()
{
    m_vertScroll->raise();
    m_horzScroll->raise();
}

bool DiagramTab::eventFilter(QObject *watched, QEvent *event)
{
    // A page of the property panel is what it shows.
    if (watched == m_propertyScroll && event->type() == QEvent::Resize)
        m_propertyScroll->verticalScrollBar()->setPageStep(m_propertyScroll->viewport()->height());
    return QWidget::eventFilter(watched, event);
}

DiagramTab *diagramTabOf(std::span<DiagramTab *const> tabs, const TGraphEditor *editor)
{
    for (DiagramTab *tab : tabs)
        if (editor && tab->editor() == editor)
            return tab;
    return nullptr;
}

DiagramTab *diagramTabOf(std::span<DiagramTab *const> tabs, QStringView section)
{
    for (DiagramTab *tab : tabs)
        if (tab->section() == section)
            return tab;
    return nullptr;
}

DiagramTab *diagramTabOfSheet(std::span<DiagramTab *const> tabs, const QWidget *sheet)
{
    for (DiagramTab *tab : tabs)
        if (sheet && tab == sheet)
            return tab;
    return nullptr;
}

void layoutDiagramPlace(QWidget *panel, QWidget *image, QScrollBar *horz, QScrollBar *vert)
{
    auto *grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(1);
    grid->addWidget(image, 0, 0);
    grid->addWidget(vert, 0, 1);
    grid->addWidget(horz, 1, 0);
    grid->setRowStretch(0, 1);
    grid->setColumnStretch(0, 1);
}

double screenDpiOf(const QWidget *window)
{
    const QScreen *screen = window && window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInch() : 96.0;
}

Point diagramSize(const TWQFSection *section, double screenDpi)
{
    int w = 0, h = 0;
    GetItemsExtent(section ? &section->Items() : nullptr, 32, 32, w, h);
    return {std::max(scaledToScreen(w, screenDpi), 1024), std::max(scaledToScreen(h, screenDpi), 1024)};
}

TDstArrowMode ParseArrowMode(const QString &text)
{
    const QString mode = upperCaseAscii(text);
    if (mode == u"NEVER")
        return damNever;
    if (mode == u"ALWAYS")
        return damAlways;
    return damOutOfSight;
}
