// The palettes across the diagram tabs.
#include "palette.h"

#include "base/mathutils.h"
#include "diagramtab.h"
#include "editors/lclgrapheditor.h"
#include "editors/morivanecomponents.h"
#include "editors/wqfeditors.h"
#include "editors/wqfmacros.h"
#include "formparts.h"
#include "model/wqftypes.h"
#include "openpage.h"
#include "pageviews.h"
#include "picturecache.h"
#include "platform/slotguard.h"
#include "windowhost.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QScrollBar>
#include <QStyleOptionToolButton>
#include <QStylePainter>
#include <QToolButton>
#include <QVariant>
#include <algorithm>

namespace {
const char *const kTag = "Tag";

int tagOf(const QAbstractButton *button) { return button->property(kTag).toInt(); }

// The style shortens the caption under a glyph to the button's width but draws the caption
// of a button without glyph whole, cut off at both edges: that one is shortened here alike.
class PaletteButton : public QToolButton {
public:
    using QToolButton::QToolButton;

    void setCaption(const QString &caption)
    {
        m_caption = caption;
        setText(literalCaption(caption));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QStylePainter painter(this);
        QStyleOptionToolButton option;
        initStyleOption(&option);
        if (option.icon.isNull()) {
            const int margin = style()->pixelMetric(QStyle::PM_ButtonMargin, &option, this);
            option.text = literalCaption(
                fontMetrics().elidedText(m_caption, Qt::ElideMiddle, std::max(0, option.rect.width() - 2 * margin)));
        }
        painter.drawComplexControl(QStyle::CC_ToolButton, option);
    }

private:
    QString m_caption;
};
} // namespace

QSize paletteButtonSize(double screenDpi) { return {roundToInt(48 * screenDpi / 96), roundToInt(64 * screenDpi / 96)}; }

int modelScrollPos(int position, double screenDpi) { return roundToInt(position / (screenDpi / 96)); }

Point gridLandingPoint(int h, int v) { return {(h + 16) / 32 * 32, (v + 13) / 26 * 26}; }

void ApplyMacro(const TWQFFile *doc, const TWQFSection *section, QString &code, TWQFItem *item)
{
    code.clear();
    TWQFPasMacro *bound = itemPasMacro(item);
    if (!bound || !bound->Macro)
        return;
    bound->Macro->InitValues(bound->Values);
    SetGrayValue(bound->Values, doc, section, item);
    bound->Generate(code);
    SetCode(item, code);
}

Palette::Palette(WindowHost &window, double screenDpi) : m_window(window), m_screenDpi(screenDpi) {}

QAbstractButton *Palette::placePaletteButton(QWidget *panel, int &left, const QImage *glyph, const QString &caption)
{
    auto *button = new PaletteButton(panel);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setFocusPolicy(Qt::NoFocus);
    const QSize size = paletteButtonSize(m_screenDpi);
    button->setGeometry(left, 2, size.width(), size.height());
    if (glyph && !glyph->isNull()) {
        button->setIcon(QIcon(QPixmap::fromImage(*glyph)));
        button->setIconSize(glyph->size().boundedTo(size));
    }
    button->setCaption(caption);
    // The button is narrower than most captions, which it cuts short: the whole caption shows
    // under the mouse.
    button->setToolTip(caption);
    button->setProperty(kTag, 0);
    left += button->width();
    return button;
}

void Palette::buildPalette(QWidget *panel)
{
    int left = 2;
    PictureCache &pictures = m_window.views().pictures();
    const ComponentDescrList &kinds = ComponentDescrs();
    for (size_t i = 0; i < kinds.size(); ++i) {
        const TComponentDescr &kind = *kinds[i];
        QAbstractButton *button =
            placePaletteButton(panel, left, pictures.getImage(QStringLiteral("rule"), kind.Name), kind.UserName);
        button->setProperty(kTag, int(i));
        QObject::connect(button, &QAbstractButton::clicked, button,
                         guarded([this, button] { paletteButtonClick(button); }));
    }
    {
        const std::unique_ptr<QImage> glyph = pictures.loadNoteImage();
        QAbstractButton *button = placePaletteButton(panel, left, glyph.get(), QStringLiteral("NOTE"));
        QObject::connect(button, &QAbstractButton::clicked, button,
                         guarded([this, button] { noteButtonClick(button); }));
    }
    const MacroList &macros = Macros();
    for (int i = 0; i < macros.count(); ++i) {
        const TPascalMacro &macro = *macros.at(i);
        QAbstractButton *button =
            placePaletteButton(panel, left, pictures.getImage(QStringLiteral("macro"), macro.Name), macro.Caption);
        button->setProperty(kTag, i);
        QObject::connect(button, &QAbstractButton::clicked, button,
                         guarded([this, button] { macroButtonClick(button); }));
    }
    int height = std::max(panel->height(), panel->minimumHeight());
    for (const QWidget *control : panel->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        height = std::max(height, control->y() + control->height());
    if (height > panel->height())
        panel->setFixedHeight(height);
}

DiagramTab &Palette::tabOf(const QAbstractButton *sender) const
{
    const std::span<DiagramTab *const> tabs = m_window.views().diagramTabs();
    return sender->parentWidget() == tabs[0]->palette() ? *tabs[0] : *tabs[1];
}

Point Palette::modelScrollOf(const DiagramTab &tab) const
{
    return {modelScrollPos(tab.horzScroll()->value(), m_screenDpi),
            modelScrollPos(tab.vertScroll()->value(), m_screenDpi)};
}

TWQFItem *Palette::addComponent(const DiagramTab &tab, TWQFSection *section, const TComponentDescr &kind,
                                const QString &type, bool withDefaults)
{
    // A kind that cannot make its value elements adds nothing, not even the bare component.
    const QString error = kind.paramNodesError();
    if (!error.isEmpty()) {
        m_window.page().showMessage(error);
        return nullptr;
    }
    const Point scroll = modelScrollOf(tab);
    const Point at = gridLandingPoint(scroll.x, scroll.y);
    TWQFItem *item = section->AddItem(type);
    kind.CreateParamNodes(item, withDefaults);
    item->SetX(at.x);
    item->SetY(at.y);
    return item;
}

void Palette::added(TGraphEditor *editor)
{
    if (editor)
        editor->Rebuild();
}

void Palette::paletteButtonClick(QAbstractButton *sender)
{
    TWQFFile *doc = m_window.page().document();
    const int tag = tagOf(sender);
    const ComponentDescrList &kinds = ComponentDescrs();
    if (!doc || tag < 0 || tag >= int(kinds.size()))
        return;
    const TComponentDescr &kind = *kinds[size_t(tag)];
    DiagramTab &tab = tabOf(sender);
    TWQFSection *section = doc->FindSection(tab.section());
    if (!section)
        return;
    if (!addComponent(tab, section, kind, kind.Name, true))
        return;
    added(tab.editor());
}

void Palette::macroButtonClick(QAbstractButton *sender)
{
    TWQFFile *doc = m_window.page().document();
    const int tag = tagOf(sender);
    if (!doc || tag < 0 || tag >= Macros().count())
        return;
    const TComponentDescr *kind = FindComponentDescr(QStringLiteral("DELPHI"));
    if (!kind)
        kind = FindComponentDescr(QStringLiteral("SCRIPT"));
    if (!kind) {
        m_window.page().showMessage(QStringLiteral("DELPHI or SCRIPT not available"));
        return;
    }
    DiagramTab &tab = tabOf(sender);
    TWQFSection *section = doc->FindSection(tab.section());
    if (!section)
        return;
    // Always of the type the macros are written for, whichever kind gave the value elements.
    TWQFItem *item = addComponent(tab, section, *kind, QStringLiteral("DELPHI"), false);
    if (!item)
        return;
    TPascalMacro *macro = Macros().at(tag);
    item->setMacro(std::make_unique<TWQFPasMacro>(macro));
    item->SetComment(QStringLiteral("macro: ") + macro->Caption);
    QString code;
    ApplyMacro(doc, section, code, item);
    added(tab.editor());
}

void Palette::noteButtonClick(QAbstractButton *)
{
    OpenPage &page = m_window.page();
    PageViews &views = m_window.views();
    TWQFFile *doc = page.document();
    TGraphEditor *editor = views.activeGraphEditor();
    auto *source = editor ? dynamic_cast<TWQFEditorSource *>(editor->Source()) : nullptr;
    if (!doc || !source || !source->Section())
        return;
    const DiagramTab *tab = diagramTabOf(views.diagramTabs(), editor);
    const QString name = source->Section()->GetName();
    if (!tab || !doc->FindSection(name))
        return;
    const Point scroll = modelScrollOf(*tab);
    views.notes().push_back(NewCommentRect(name, clampedAdd(scroll.x, 5), clampedAdd(scroll.y, 5)));
    // The note reaches the page's tree only when the notes are next written.
    page.setModified(true);
    added(editor);
}
