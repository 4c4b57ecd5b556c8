#pragma once
// The graph editor on a window: an overlay laid over a host image paints the graph and feeds
// it the mouse; two scroll bars beside it follow the scroll position.
#include "grapheditor.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPointer>
#include <QStringList>
#include <QTransform>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include <QPainter>
#include <QScrollBar>

// The canvas on a QPainter.
class PainterCanvas : public DrawingSurface {
public:
    explicit PainterCanvas(QPainter &painter);

    Color PenColor() const override { return m_penColor; }
    void SetPenColor(Color c) override { m_penColor = c; }
    int PenWidth() const override { return m_penWidth; }
    void SetPenWidth(int w) override { m_penWidth = w; }
    Color BrushColor() const override { return m_brushColor; }
    void SetBrushColor(Color c) override { m_brushColor = c; }
    BrushFill BrushStyle() const override { return m_brushStyle; }
    void SetBrushStyle(BrushFill s) override { m_brushStyle = s; }

    QString FontName() const override { return m_font.family(); }
    void SetFontName(const QString &name) override;
    int FontSize() const override { return m_font.pointSize(); }
    void SetFontSize(int points) override;
    bool FontBold() const override { return m_font.bold(); }
    void SetFontBold(bool bold) override;
    Color FontColor() const override { return m_fontColor; }
    void SetFontColor(Color c) override { m_fontColor = c; }

    Point Origin() const override { return m_origin; }
    void SetOrigin(int x, int y) override;

    void Polyline(const std::vector<Point> &points) override;
    void Polygon(const std::vector<Point> &points) override;
    void Rectangle(const Rect &r) override;
    void FillRect(const Rect &r) override;
    void TextOut(int x, int y, const QString &text) override;
    void TextRect(const Rect &r, const QString &text) override;
    Point TextExtent(const QString &text) override;
    int TextHeight(const QString &text) override;
    void StretchDraw(const Rect &r, const QImage &picture) override;

private:
    void usePen();
    void useBrush();
    const QFontMetrics &metrics();

    QPainter &m_painter;
    QTransform m_base;
    Color m_penColor = clBlack;
    int m_penWidth = 1;
    Color m_brushColor = clWhite;
    BrushFill m_brushStyle = bsSolid;
    QFont m_font;
    Color m_fontColor = clBlack;
    Point m_origin;
    std::optional<QFontMetrics> m_metrics;
};

QColor ToQColor(Color c);

// The lines TextRect draws in a box of the given size: the word-wrapped lines that fit
// whole (at least one), the last ending in an ellipsis when text is left over.
QStringList BoxTextLines(const QString &text, const QFont &font, const QPaintDevice *device, int width, int height);

// (Sender, Button, Shift, X, Y) and (Sender, Shift, X, Y), as the window's handlers take them.
using MouseHandler =
    std::function<void(QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)>;
using MouseMoveHandler = std::function<void(QObject *Sender, Qt::KeyboardModifiers Shift, int X, int Y)>;

// The image control a form places where a diagram goes; it shows its picture.
class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget *parent = nullptr);

    const QImage &Picture() const { return m_picture; }
    void SetPicture(const QImage &picture);

    MouseHandler OnMouseDown;
    MouseHandler OnMouseUp;
    MouseMoveHandler OnMouseMove;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QImage m_picture;
};

// The overlay: a white control that stays over the widget it follows and hands its paint,
// resize, mouse and wheel events to its handlers. OnMouseLost tells that a pressed button's
// release may never come here: a modal dialog blocked the window, the window was
// deactivated, or the overlay was hidden.
class TContent : public QWidget {
    Q_OBJECT
public:
    explicit TContent(QWidget *parent = nullptr);
    // Keeps this control on the other's place: its geometry, its visibility, above it.
    void Follow(QWidget *other);

    std::function<void(QPainter &)> OnPaint;
    std::function<void()> OnResize;
    std::function<void(QMouseEvent *)> OnMouseDown;
    std::function<void(QMouseEvent *)> OnMouseUp;
    std::function<void(QMouseEvent *)> OnMouseMove;
    std::function<void(QWheelEvent *)> OnMouseWheel;
    std::function<void()> OnMouseLost;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void takePlaceOf(const QWidget *other);

    QPointer<QWidget> m_followed;
};

class TImageGraphEditor : public TGraphEditor {
public:
    // Both scroll bars are required.
    TImageGraphEditor(TImage *Host, QScrollBar *HScrollBar, QScrollBar *VScrollBar,
                      std::unique_ptr<TGraphEditorSource> Source);
    TImageGraphEditor(TImage *Host, QScrollBar *HScrollBar, QScrollBar *VScrollBar, TGraphEditorSource *Source);
    ~TImageGraphEditor() override;

    TImage *Host() const { return m_host; }
    QScrollBar *HScrollBar() const { return m_hScrollBar; }
    QScrollBar *VScrollBar() const { return m_vScrollBar; }
    TContent *Content() const { return m_content; }

    // The whole graph at offset (0, 0), every item: a picture of the diagram.
    void PaintTo(DrawingSurface *Canvas);
    // PaintTo on a white 24-bit image of the graph's size; a null image when it cannot be had.
    QImage PaintToImage();

    // View pixels per model unit: the window's logical dots per inch / 96, unless set.
    double Zoom() const;
    void SetZoom(double zoom) { m_zoom = zoom; }

    void Invalidate() override;
    void GraphSizeChanged() override;
    void EndUpdate() override;
    void SetScrollPos(Point P) override;

protected:
    // Grows the graph by one item extent beyond every item that passes its edge, or also
    // reaches it when EdgeCounts, so that each item can be scrolled to; never shrinks it.
    void GrowGraphToItems(bool EdgeCounts);
    void UpdateScrollBars();
    void ScrollBarChange();
    void ContentPaint(QPainter &painter);
    void ContentResize();
    void ContentMouseDown(QMouseEvent *event);
    void ContentMouseUp(QMouseEvent *event);
    void ContentMouseMove(QMouseEvent *event);
    void ContentMouseWheel(QWheelEvent *event);
    // A drag or band whose button release went elsewhere ends as a cancel: nothing moves.
    void ContentMouseLost();

private:
    void init(TImage *host, QScrollBar *hScrollBar, QScrollBar *vScrollBar);

    QPointer<TImage> m_host;
    QPointer<QScrollBar> m_vScrollBar;
    QPointer<QScrollBar> m_hScrollBar;
    // Lives among the host's siblings, so Qt may delete it with the form first.
    QPointer<TContent> m_content;
    bool m_barsDetached = false;
    double m_zoom = 0;
};
