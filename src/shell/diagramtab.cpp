#include "diagramtab.h"

#include "base/mathutils.h"
#include "base/textutils.h"
#include "editors/lclgrapheditor.h"
#include "editors/wqfeditors.h"
#include "formparts.h"
#include "mainform.h"
#include "openpage.h"

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
    void MoveItem(void *Data, int DX, int DY) override
    {
        TWQFEditorSource::MoveItem(Data, DX, DY);
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
int scaledToScreen(int v, double dpi) { return RoundToInt(v * dpi / 96.0); }
} // namespace

DiagramTab::DiagramTab() = default;
DiagramTab::~DiagramTab() = default;
DiagramTab::DiagramTab(DiagramTab &&) noexcept = default;
DiagramTab &DiagramTab::operator=(DiagramTab &&) noexcept = default;

TWQFEditorSource *DiagramTab::source() const
{
    return editor ? static_cast<TWQFEditorSource *>(editor->Source()) : nullptr;
}

void DiagramTab::build(TWQFSection *sectionOfPage, TCommentRectList *notes, const DiagramSettings &settings)
{
    if (!editor) {
        auto made = std::make_unique<PageSectionSource>(sectionOfPage, notes);
        made->SetZoom(settings.zoom);
        made->OnGetImage = settings.getImage;
        made->VertSplit = settings.vertSplit;
        made->DstArrow = settings.dstArrow;
        made->onMoved = settings.changed;
        TWQFEditorSource *raw = made.get();
        editor = std::make_unique<TPanelChanger>(propertyRows, image, horzScroll, vertScroll, std::move(made));
        raw->Editor = editor.get();
        editor->TagsEditor()->ScrollBox = propertyScroll;
        editor->OnChange = [changed = settings.changed](TTagsEditor *) {
            if (changed)
                changed();
        };
    }
    source()->SetSection(sectionOfPage);
    editor->SetGraphSize(diagramSize(sectionOfPage, settings.screenDpi));
    editor->Rebuild();
}

DiagramTab *diagramTabOf(std::span<DiagramTab> tabs, const TGraphEditor *editor)
{
    for (DiagramTab &tab : tabs)
        if (editor && tab.editor.get() == editor)
            return &tab;
    return nullptr;
}

const DiagramTab *diagramTabOf(std::span<const DiagramTab> tabs, QStringView section)
{
    for (const DiagramTab &tab : tabs)
        if (tab.section == section)
            return &tab;
    return nullptr;
}

const DiagramTab *diagramTabOfSheet(std::span<const DiagramTab> tabs, const QWidget *sheet)
{
    for (const DiagramTab &tab : tabs)
        if (sheet && tab.sheet == sheet)
            return &tab;
    return nullptr;
}

DiagramTab createDiagramTab(int index, QObject *resizeWatcher)
{
    const TabNames &names = kTabNames[index];
    DiagramTab tab;
    tab.section = diagramSections()[size_t(index)].name;
    tab.caption = QLatin1String(names.caption);
    tab.sheet = named(new QWidget, names.sheet);
    tab.palette = named(new QWidget(tab.sheet), names.palette);
    tab.palette->setFixedHeight(68);

    tab.diagramPanel = named(new QWidget, names.diagramPanel);
    tab.image = named(new TImage(tab.diagramPanel), names.image);
    tab.horzScroll = named(new QScrollBar(Qt::Horizontal, tab.diagramPanel), names.horzScroll);
    tab.vertScroll = named(new QScrollBar(Qt::Vertical, tab.diagramPanel), names.vertScroll);
    layoutDiagramPlace(tab.diagramPanel, tab.image, tab.horzScroll, tab.vertScroll);

    tab.propertyPanel = named(new QWidget, names.propertyPanel);
    tab.propertyScroll = named(new QScrollArea(tab.propertyPanel), names.propertyScroll);
    tab.propertyScroll->setWidgetResizable(true);
    tab.propertyRows = named(new QWidget, names.propertyRows);
    tab.propertyScroll->setWidget(tab.propertyRows);
    tab.propertyScroll->installEventFilter(resizeWatcher);
    // Also with its vertical scroll bar shown the rows get that width.
    const int panelWidth =
        kNarrowestPanel +
        tab.propertyScroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, tab.propertyScroll) +
        2 * tab.propertyScroll->frameWidth();
    tab.propertyPanel->setMinimumWidth(panelWidth);
    auto *panelLayout = new QVBoxLayout(tab.propertyPanel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->setSpacing(0);
    panelLayout->addWidget(tab.propertyScroll);

    tab.splitter = named(new QSplitter(Qt::Horizontal), names.splitter);
    tab.splitter->addWidget(tab.diagramPanel);
    tab.splitter->addWidget(tab.propertyPanel);
    tab.splitter->setStretchFactor(0, 1);
    tab.splitter->setStretchFactor(1, 0);
    tab.splitter->setSizes({TMainFrm::DesignWidth - panelWidth, panelWidth});

    auto *layout = new QVBoxLayout(tab.sheet);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tab.palette);
    layout->addWidget(tab.splitter, 1);
    return tab;
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

double ScreenDpiOf(const QWidget *window)
{
    const QScreen *screen = window && window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInch() : 96.0;
}

TPoint diagramSize(const TWQFSection *section, double screenDpi)
{
    int w = 0, h = 0;
    GetItemsExtent(section ? &section->Items() : nullptr, 32, 32, w, h);
    return {std::max(scaledToScreen(w, screenDpi), 1024), std::max(scaledToScreen(h, screenDpi), 1024)};
}

TDstArrowMode ParseArrowMode(const QString &Text)
{
    const QString mode = UpperCaseAscii(Text);
    if (mode == u"NEVER")
        return damNever;
    if (mode == u"ALWAYS")
        return damAlways;
    return damOutOfSight;
}
