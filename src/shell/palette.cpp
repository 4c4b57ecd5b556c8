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

void ApplyMacro(const TWQFFile *Doc, const TWQFSection *Section, QString &Code, TWQFItem *Item)
{
    Code.clear();
    TWQFPasMacro *bound = itemPasMacro(Item);
    if (!bound || !bound->Macro)
        return;
    bound->Macro->InitValues(bound->Values);
    SetGrayValue(bound->Values, Doc, Section, Item);
    bound->Generate(Code);
    SetCode(Item, Code);
}

Palette::Palette(WindowHost &window, double screenDpi) : m_window(window), m_screenDpi(screenDpi) {}

QAbstractButton *Palette::PlacePaletteButton(QWidget *Panel, int &Left, const QImage *glyph, const QString &Caption)
{
    auto *button = new PaletteButton(Panel);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setFocusPolicy(Qt::NoFocus);
    const QSize size = paletteButtonSize(m_screenDpi);
    button->setGeometry(Left, 2, size.width(), size.height());
    if (glyph && !glyph->isNull()) {
        button->setIcon(QIcon(QPixmap::fromImage(*glyph)));
        button->setIconSize(glyph->size().boundedTo(size));
    }
    button->setCaption(Caption);
    // The button is narrower than most captions, which it cuts short: the whole caption shows
    // under the mouse.
    button->setToolTip(Caption);
    button->setProperty(kTag, 0);
    Left += button->width();
    return button;
}

void Palette::BuildPalette(QWidget *Panel)
{
    int left = 2;
    PictureCache &pictures = m_window.views().pictures();
    const ComponentDescrList &kinds = ComponentDescrs();
    for (size_t i = 0; i < kinds.size(); ++i) {
        const TComponentDescr &kind = *kinds[i];
        QAbstractButton *button =
            PlacePaletteButton(Panel, left, pictures.GetImage(QStringLiteral("rule"), kind.Name), kind.UserName);
        button->setProperty(kTag, int(i));
        QObject::connect(button, &QAbstractButton::clicked, button,
                         guarded([this, button] { PaletteButtonClick(button); }));
    }
    {
        const std::unique_ptr<QImage> glyph = pictures.LoadNoteImage();
        QAbstractButton *button = PlacePaletteButton(Panel, left, glyph.get(), QStringLiteral("NOTE"));
        QObject::connect(button, &QAbstractButton::clicked, button,
                         guarded([this, button] { NoteButtonClick(button); }));
    }
    const MacroList &macros = Macros();
    for (int i = 0; i < macros.Count(); ++i) {
        const TPascalMacro &macro = *macros.at(i);
        QAbstractButton *button =
            PlacePaletteButton(Panel, left, pictures.GetImage(QStringLiteral("macro"), macro.Name), macro.Caption);
        button->setProperty(kTag, i);
        QObject::connect(button, &QAbstractButton::clicked, button,
                         guarded([this, button] { MacroButtonClick(button); }));
    }
    int height = std::max(Panel->height(), Panel->minimumHeight());
    for (const QWidget *control : Panel->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        height = std::max(height, control->y() + control->height());
    if (height > Panel->height())
        Panel->setFixedHeight(height);
}

DiagramTab &Palette::tabOf(const QAbstractButton *Sender) const
{
    const std::span<DiagramTab *const> tabs = m_window.views().diagramTabs();
    return Sender->parentWidget() == tabs[0]->palette() ? *tabs[0] : *tabs[1];
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
    const Point at = gridLandingPoint(scroll.X, scroll.Y);
    TWQFItem *item = section->AddItem(type);
    kind.CreateParamNodes(item, withDefaults);
    item->SetX(at.X);
    item->SetY(at.Y);
    return item;
}

void Palette::added(TGraphEditor *editor)
{
    if (editor)
        editor->Rebuild();
}

void Palette::PaletteButtonClick(QAbstractButton *Sender)
{
    TWQFFile *doc = m_window.page().document();
    const int tag = tagOf(Sender);
    const ComponentDescrList &kinds = ComponentDescrs();
    if (!doc || tag < 0 || tag >= int(kinds.size()))
        return;
    const TComponentDescr &kind = *kinds[size_t(tag)];
    DiagramTab &tab = tabOf(Sender);
    TWQFSection *section = doc->FindSection(tab.section());
    if (!section)
        return;
    if (!addComponent(tab, section, kind, kind.Name, true))
        return;
    added(tab.editor());
}

void Palette::MacroButtonClick(QAbstractButton *Sender)
{
    TWQFFile *doc = m_window.page().document();
    const int tag = tagOf(Sender);
    if (!doc || tag < 0 || tag >= Macros().Count())
        return;
    const TComponentDescr *kind = FindComponentDescr(QStringLiteral("DELPHI"));
    if (!kind)
        kind = FindComponentDescr(QStringLiteral("SCRIPT"));
    if (!kind) {
        m_window.page().showMessage(QStringLiteral("DELPHI or SCRIPT not available"));
        return;
    }
    DiagramTab &tab = tabOf(Sender);
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

void Palette::NoteButtonClick(QAbstractButton *)
{
    OpenPage &page = m_window.page();
    PageViews &views = m_window.views();
    TWQFFile *doc = page.document();
    TGraphEditor *editor = views.ActiveGraphEditor();
    auto *source = editor ? dynamic_cast<TWQFEditorSource *>(editor->Source()) : nullptr;
    if (!doc || !source || !source->Section())
        return;
    const DiagramTab *tab = diagramTabOf(views.diagramTabs(), editor);
    const QString name = source->Section()->GetName();
    if (!tab || !doc->FindSection(name))
        return;
    const Point scroll = modelScrollOf(*tab);
    views.notes().push_back(NewCommentRect(name, clampedAdd(scroll.X, 5), clampedAdd(scroll.Y, 5)));
    // The note reaches the page's tree only when the notes are next written.
    page.setModified(true);
    added(editor);
}
