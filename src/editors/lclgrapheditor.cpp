// The graph editor on a window: painting and mouse.
#include "lclgrapheditor.h"

#include "base/exception.h"
#include "platform/slotguard.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QScrollBar>
#include <QTextLayout>
#include <QWheelEvent>
#include <cmath>

QColor toQColor(Color c) { return QColor(colorRed(c), colorGreen(c), colorBlue(c)); }

namespace {
QPolygon toPolygon(const std::vector<Point> &points)
{
    QPolygon poly;
    poly.reserve(qsizetype(points.size()));
    for (const Point &p : points)
        poly << QPoint(p.x, p.y);
    return poly;
}

// Pixel under the pointer: fractional positions of scaled screens belong to the pixel they are in.
QPoint pixelAt(const QPointF &p) { return QPoint(int(std::floor(p.x())), int(std::floor(p.y()))); }
} // namespace

// ---- PainterCanvas ----

PainterCanvas::PainterCanvas(QPainter &painter)
    : m_painter(painter), m_base(painter.worldTransform()), m_font(painter.font())
{}

void PainterCanvas::setFontName(const QString &name)
{
    m_font.setFamily(name);
    m_metrics.reset();
}

void PainterCanvas::setFontSize(int points)
{
    if (points > 0)
        m_font.setPointSize(points);
    m_metrics.reset();
}

void PainterCanvas::setFontBold(bool bold)
{
    m_font.setBold(bold);
    m_metrics.reset();
}

const QFontMetrics &PainterCanvas::metrics()
{
    if (!m_metrics)
        m_metrics.emplace(m_font, m_painter.device());
    return *m_metrics;
}

void PainterCanvas::setOrigin(int x, int y)
{
    m_origin = {x, y};
    QTransform t = m_base;
    t.translate(x, y);
    m_painter.setWorldTransform(t);
}

void PainterCanvas::usePen()
{
    QPen pen(toQColor(m_penColor));
    pen.setWidth(std::max(0, m_penWidth));
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    m_painter.setPen(pen);
}

void PainterCanvas::useBrush()
{
    if (m_brushStyle == bsClear)
        m_painter.setBrush(Qt::NoBrush);
    else
        m_painter.setBrush(toQColor(m_brushColor));
}

namespace {
// Cuts an axis-parallel segment to the rectangle; false when nothing of it is inside.
// Slanted segments are left whole to the painter.
bool clipSegment(QPoint &a, QPoint &b, const QRect &r)
{
    const bool vertical = a.x() == b.x();
    if (!vertical && a.y() != b.y())
        return true;
    const int across = vertical ? a.x() : a.y();
    if (across < (vertical ? r.left() : r.top()) || across > (vertical ? r.right() : r.bottom()))
        return false;
    int from = vertical ? a.y() : a.x();
    int to = vertical ? b.y() : b.x();
    const int first = vertical ? r.top() : r.left();
    const int last = vertical ? r.bottom() : r.right();
    const bool rising = from <= to;
    const int lo = std::max(std::min(from, to), first);
    const int hi = std::min(std::max(from, to), last);
    if (lo > hi)
        return false;
    from = rising ? lo : hi;
    to = rising ? hi : lo;
    if (vertical) {
        a.setY(from);
        b.setY(to);
    } else {
        a.setX(from);
        b.setX(to);
    }
    return true;
}
} // namespace

void PainterCanvas::polyline(const std::vector<Point> &points)
{
    usePen();
    // A wide pen is stroked over the whole length before the painter clips it: cut the
    // segments to what the device shows, with a margin for the pen, so that a long arrow
    // costs what is seen of it. Runs of uncut segments keep their joins.
    const int margin = std::max(1, m_penWidth) + 2;
    const QRect device(0, 0, m_painter.device()->width(), m_painter.device()->height());
    const QRect visible =
        m_painter.worldTransform().inverted().mapRect(device).adjusted(-margin, -margin, margin, margin);
    QPolygon run;
    for (size_t i = 1; i < points.size(); ++i) {
        QPoint a(points[i - 1].x, points[i - 1].y), b(points[i].x, points[i].y);
        if (!clipSegment(a, b, visible))
            continue;
        if (run.isEmpty() || run.last() != a) {
            if (!run.isEmpty())
                m_painter.drawPolyline(run);
            run = QPolygon{a};
        }
        run << b;
    }
    if (!run.isEmpty())
        m_painter.drawPolyline(run);
}

void PainterCanvas::polygon(const std::vector<Point> &points)
{
    usePen();
    useBrush();
    m_painter.drawPolygon(toPolygon(points));
}

void PainterCanvas::rectangle(const Rect &r)
{
    const Rect n = normalizedRect({r.Left, r.Top}, {r.Right, r.Bottom});
    if (n.width() <= 0 || n.height() <= 0)
        return;
    usePen();
    useBrush();
    // QPainter's outline covers one pixel more than the exclusive right and bottom allow.
    m_painter.drawRect(QRect(n.Left, n.Top, n.width() - 1, n.height() - 1));
}

void PainterCanvas::fillRect(const Rect &r)
{
    if (m_brushStyle == bsClear || r.isEmpty())
        return;
    m_painter.fillRect(r.toQRect(), toQColor(m_brushColor));
}

void PainterCanvas::textOut(int x, int y, const QString &text)
{
    const QFontMetrics &fm = metrics();
    if (m_brushStyle == bsSolid)
        m_painter.fillRect(QRect(x, y, fm.horizontalAdvance(text), fm.height()), toQColor(m_brushColor));
    m_painter.setFont(m_font);
    m_painter.setPen(toQColor(m_fontColor));
    m_painter.drawText(QPoint(x, y + fm.ascent()), text);
}

namespace {
// Tab stops every eight widths of an "x", as the painter expands tabs on a line of its own.
qreal tabStop(const QFontMetrics &fm) { return 8 * fm.horizontalAdvance(QLatin1Char('x')); }

constexpr int boxTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextExpandTabs;

// The lines of text wrapped at width: start and length of each, line breaks excluded.
struct WrappedText {
    QString text;
    std::vector<std::pair<int, int>> lines;
};

WrappedText wrapText(const QString &text, const QFont &font, const QPaintDevice *device, qreal width, qreal tabs)
{
    WrappedText out;
    out.text = text;
    out.text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    out.text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(out.text, font, device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTabStopDistance(tabs);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(std::max<qreal>(0, width));
        int length = line.textLength();
        if (length > 0 && out.text.at(line.textStart() + length - 1) == QChar::LineSeparator)
            --length;
        out.lines.emplace_back(line.textStart(), length);
    }
    layout.endLayout();
    return out;
}
} // namespace

QStringList boxTextLines(const QString &text, const QFont &font, const QPaintDevice *device, int width, int height)
{
    QStringList out;
    if (text.isEmpty())
        return out;
    const QFontMetrics fm(font, device);
    const qreal tabs = tabStop(fm);
    const WrappedText wrapped = wrapText(text, font, device, width, tabs);
    const size_t fit = size_t(std::max(1, height / std::max(1, fm.height())));
    const size_t shown = std::min(fit, wrapped.lines.size());
    for (size_t i = 0; i < shown; ++i)
        out << wrapped.text.mid(wrapped.lines[i].first, wrapped.lines[i].second);
    if (shown == wrapped.lines.size())
        return out;
    // Text is left over: the last line shown gives up its end to the ellipsis.
    const QString ellipsis(QChar(0x2026));
    const QString last = out.takeLast();
    const WrappedText cut = wrapText(last, font, device, width - fm.horizontalAdvance(ellipsis), tabs);
    out << (cut.lines.empty() ? QString() : last.left(cut.lines.front().second)) + ellipsis;
    return out;
}

void PainterCanvas::textRect(const Rect &r, const QString &text)
{
    if (r.isEmpty() || text.isEmpty())
        return;
    const QFontMetrics &fm = metrics();
    const QStringList lines = boxTextLines(text, m_font, m_painter.device(), r.width(), r.height());
    m_painter.save();
    m_painter.setClipRect(r.toQRect(), Qt::IntersectClip);
    m_painter.setFont(m_font);
    m_painter.setPen(toQColor(m_fontColor));
    int y = r.Top;
    for (const QString &line : lines) {
        const QRect box(r.Left, y, r.width(), fm.height());
        if (m_brushStyle == bsSolid)
            m_painter.fillRect(m_painter.boundingRect(box, boxTextFlags, line), toQColor(m_brushColor));
        m_painter.drawText(box, boxTextFlags, line);
        y += fm.height();
    }
    m_painter.restore();
}

Point PainterCanvas::textExtent(const QString &text)
{
    const QFontMetrics &fm = metrics();
    return {fm.horizontalAdvance(text), fm.height()};
}

int PainterCanvas::textHeight(const QString &) { return metrics().height(); }

void PainterCanvas::stretchDraw(const Rect &r, const QImage &picture)
{
    if (r.isEmpty() || picture.isNull())
        return;
    m_painter.drawImage(r.toQRect(), picture);
}

// ---- TImage ----

TImage::TImage(QWidget *parent) : QWidget(parent) {}

void TImage::setPicture(const QImage &picture)
{
    m_picture = picture;
    update();
}

void TImage::paintEvent(QPaintEvent *)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(0, 0, m_picture);
}

void TImage::mousePressEvent(QMouseEvent *event)
{
    const QPoint p = pixelAt(event->position());
    if (onMouseDown)
        onMouseDown(this, event->button(), event->modifiers(), p.x(), p.y());
}

void TImage::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint p = pixelAt(event->position());
    if (onMouseUp)
        onMouseUp(this, event->button(), event->modifiers(), p.x(), p.y());
}

void TImage::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = pixelAt(event->position());
    if (onMouseMove)
        onMouseMove(this, event->modifiers(), p.x(), p.y());
}

// ---- TContent ----

TContent::TContent(QWidget *parent) : QWidget(parent)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    // Moves arrive also without a button, as the window's own move handler expects.
    setMouseTracking(true);
    // A click on the diagram takes the keys from a property-panel field, so that Delete, the
    // copy and the type-ahead act on the diagram and no longer on that field's text.
    setFocusPolicy(Qt::ClickFocus);
}

void TContent::follow(QWidget *other)
{
    if (m_followed)
        m_followed->removeEventFilter(this);
    m_followed = other;
    if (!other)
        return;
    other->installEventFilter(this);
    takePlaceOf(other);
}

void TContent::takePlaceOf(const QWidget *other)
{
    setGeometry(parentWidget() == other ? other->rect() : other->geometry());
    raise();
}

bool TContent::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::WindowBlocked:
    case QEvent::WindowDeactivate:
    case QEvent::Hide:
        if (onMouseLost)
            onMouseLost();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

bool TContent::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_followed) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
            takePlaceOf(m_followed);
            break;
        case QEvent::Show:
            show();
            break;
        case QEvent::Hide:
            hide();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TContent::paintEvent(QPaintEvent *)
{
    if (!OnPaint)
        return;
    QPainter painter(this);
    OnPaint(painter);
}

void TContent::resizeEvent(QResizeEvent *)
{
    if (onResize)
        onResize();
}

void TContent::mousePressEvent(QMouseEvent *event)
{
    if (onMouseDown)
        onMouseDown(event);
}

void TContent::mouseReleaseEvent(QMouseEvent *event)
{
    if (onMouseUp)
        onMouseUp(event);
}

void TContent::mouseMoveEvent(QMouseEvent *event)
{
    if (onMouseMove)
        onMouseMove(event);
}

void TContent::wheelEvent(QWheelEvent *event)
{
    if (onMouseWheel)
        onMouseWheel(event);
    else
        event->ignore();
}

// ---- TImageGraphEditor ----

TImageGraphEditor::TImageGraphEditor(TImage *host, QScrollBar *hScrollBar, QScrollBar *vScrollBar,
                                     std::unique_ptr<TGraphEditorSource> source)
    : TGraphEditor(std::move(source))
{
    init(host, hScrollBar, vScrollBar);
}

TImageGraphEditor::TImageGraphEditor(TImage *host, QScrollBar *hScrollBar, QScrollBar *vScrollBar,
                                     TGraphEditorSource *source)
    : TGraphEditor(source)
{
    init(host, hScrollBar, vScrollBar);
}

void TImageGraphEditor::init(TImage *host, QScrollBar *hScrollBar, QScrollBar *vScrollBar)
{
    if (!host || !hScrollBar || !vScrollBar)
        throw ERunError::nilReference();
    m_hScrollBar = hScrollBar;
    m_vScrollBar = vScrollBar;
    m_host = host;

    // Among the host's siblings when it has a parent, so that it lies over it in the form.
    m_content = new TContent(host->parentWidget() ? host->parentWidget() : host);
    m_content->setObjectName(QStringLiteral("Content"));
    m_content->follow(host);
    for (QScrollBar *bar : {hScrollBar, vScrollBar})
        QObject::connect(bar, &QScrollBar::valueChanged, m_content, guarded([this] { ScrollBarChange(); }));

    m_content->OnPaint = [this](QPainter &painter) { ContentPaint(painter); };
    m_content->onResize = [this] { ContentResize(); };
    m_content->onMouseDown = [this](QMouseEvent *e) { ContentMouseDown(e); };
    m_content->onMouseUp = [this](QMouseEvent *e) { ContentMouseUp(e); };
    m_content->onMouseMove = [this](QMouseEvent *e) { ContentMouseMove(e); };
    m_content->onMouseWheel = [this](QWheelEvent *e) { ContentMouseWheel(e); };
    m_content->onMouseLost = [this] { contentMouseLost(); };

    m_content->setVisible(!host->isHidden());
    ContentResize();
}

TImageGraphEditor::~TImageGraphEditor()
{
    // The overlay's handlers point at this editor; it goes before the items and the source.
    delete m_content.data();
}

double TImageGraphEditor::zoom() const
{
    if (m_zoom > 0)
        return m_zoom;
    return m_host ? m_host->logicalDpiY() / 96.0 : 1.0;
}

void TImageGraphEditor::PaintTo(DrawingSurface *canvas)
{
    if (canvas)
        Paint(*canvas, false);
}

QImage TImageGraphEditor::paintToImage()
{
    const Point size = GetGraphSize();
    if (size.x <= 0 || size.y <= 0)
        return QImage();
    QImage image(size.x, size.y, QImage::Format_RGB888);
    if (image.isNull())
        return image;
    image.fill(Qt::white);
    QPainter painter(&image);
    PainterCanvas canvas(painter);
    PaintTo(&canvas);
    return image;
}

void TImageGraphEditor::Invalidate()
{
    if (m_content)
        m_content->update();
}

void TImageGraphEditor::GraphSizeChanged() { UpdateScrollBars(); }

void TImageGraphEditor::SetScrollPos(Point p)
{
    // Setting the bars from here must not come back as a user's scroll.
    m_barsDetached = true;
    struct Reattach {
        bool &flag;
        ~Reattach() { flag = false; }
    } reattach{m_barsDetached};
    TGraphEditor::SetScrollPos(p);
    if (m_hScrollBar)
        m_hScrollBar->setValue(p.x);
    if (m_vScrollBar)
        m_vScrollBar->setValue(p.y);
}

void TImageGraphEditor::EndUpdate()
{
    // After a drag an item that reached the edge makes room beyond it.
    growGraphToItems(true);
    TGraphEditor::EndUpdate();
}

void TImageGraphEditor::growGraphToItems(bool edgeCounts)
{
    Point n = GetGraphSize();
    const int reach = edgeCounts ? 0 : 1;
    for (int i = 0; i < ItemCount(); ++i) {
        const Rect &r = Items(i)->Rect;
        if (r.Bottom >= clampedAdd(n.y, reach))
            n.y = clampedAdd(r.Bottom, r.height());
        if (r.Right >= clampedAdd(n.x, reach))
            n.x = clampedAdd(r.Right, r.width());
    }
    if (!(n == GetGraphSize()))
        SetGraphSize(n);
}

void TImageGraphEditor::UpdateScrollBars()
{
    if (!m_hScrollBar || !m_vScrollBar)
        return;
    const Point graph = GetGraphSize();
    const Point view = GetViewSize();
    m_hScrollBar->setRange(0, std::max(0, clampedSub(graph.x, view.x)));
    m_vScrollBar->setRange(0, std::max(0, clampedSub(graph.y, view.y)));
    // Each bar pages by half the view's extent across it, not along it.
    m_vScrollBar->setPageStep(std::max(1, roundToInt(view.x * 0.5)));
    m_hScrollBar->setPageStep(std::max(1, roundToInt(view.y * 0.5)));
}

void TImageGraphEditor::ScrollBarChange()
{
    if (m_barsDetached || !m_hScrollBar || !m_vScrollBar)
        return;
    SetScrollPos({m_hScrollBar->value(), m_vScrollBar->value()});
}

void TImageGraphEditor::ContentPaint(QPainter &painter)
{
    PainterCanvas canvas(painter);
    Paint(canvas, true);
}

void TImageGraphEditor::ContentResize()
{
    if (!m_host)
        return;
    const int w = m_host->width();
    const int h = m_host->height();
    QImage picture;
    if (w > 0 && h > 0) {
        picture = QImage(w, h, QImage::Format_RGB32);
        picture.fill(Qt::white);
    }
    m_host->setPicture(picture);
    SetViewSize({w, h});
    UpdateScrollBars();
}

// The editor sees each event first; the window's own handlers on the host run after it.
void TImageGraphEditor::ContentMouseDown(QMouseEvent *event)
{
    const QPoint p = pixelAt(event->position());
    MouseEvent(p.x(), p.y(), mekDown, event->button(), event->modifiers());
    if (m_host && m_host->onMouseDown)
        m_host->onMouseDown(m_host, event->button(), event->modifiers(), p.x(), p.y());
}

void TImageGraphEditor::ContentMouseUp(QMouseEvent *event)
{
    const QPoint p = pixelAt(event->position());
    MouseEvent(p.x(), p.y(), mekUp, event->button(), event->modifiers());
    if (m_host && m_host->onMouseUp)
        m_host->onMouseUp(m_host, event->button(), event->modifiers(), p.x(), p.y());
}

void TImageGraphEditor::ContentMouseMove(QMouseEvent *event)
{
    const QPoint p = pixelAt(event->position());
    // The left button is up although no release came: it went to another window.
    if (!event->buttons().testFlag(Qt::LeftButton))
        contentMouseLost();
    MouseEvent(p.x(), p.y(), mekMove, Qt::LeftButton, event->modifiers());
    if (m_host && m_host->onMouseMove)
        m_host->onMouseMove(m_host, event->modifiers(), p.x(), p.y());
}

void TImageGraphEditor::contentMouseLost()
{
    if (!mouseIsDown())
        return;
    // Released as another button would be: the graph editor drops the drag unmoved.
    const Point p = GraphToClient(CurPoint().x, CurPoint().y);
    MouseEvent(p.x, p.y, mekUp, Qt::NoButton, {});
}

void TImageGraphEditor::ContentMouseWheel(QWheelEvent *event)
{
    // Left unhandled, as the window expects. Every wheel event scrolls, by its vertical
    // delta's sign only: a sideways one has none and goes down.
    event->ignore();
    if (m_vScrollBar)
        m_vScrollBar->setValue(m_vScrollBar->value() + (event->angleDelta().y() > 0 ? -13 : 13));
}
