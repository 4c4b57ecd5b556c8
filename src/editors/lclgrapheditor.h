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

    Color penColor() const override { return m_penColor; }
    void setPenColor(Color c) override { m_penColor = c; }
    int penWidth() const override { return m_penWidth; }
    void setPenWidth(int w) override { m_penWidth = w; }
    Color brushColor() const override { return m_brushColor; }
    void setBrushColor(Color c) override { m_brushColor = c; }
    BrushFill brushStyle() const override { return m_brushStyle; }
    void setBrushStyle(BrushFill s) override { m_brushStyle = s; }

    QString fontName() const override { return m_font.family(); }
    void setFontName(const QString &name) override;
    int fontSize() const override { return m_font.pointSize(); }
    void setFontSize(int points) override;
    bool fontBold() const override { return m_font.bold(); }
    void setFontBold(bool bold) override;
    Color fontColor() const override { return m_fontColor; }
    void setFontColor(Color c) override { m_fontColor = c; }

    Point origin() const override { return m_origin; }
    void setOrigin(int x, int y) override;

    void polyline(const std::vector<Point> &points) override;
    void polygon(const std::vector<Point> &points) override;
    void rectangle(const Rect &r) override;
    void fillRect(const Rect &r) override;
    void textOut(int x, int y, const QString &text) override;
    void textRect(const Rect &r, const QString &text) override;
    Point textExtent(const QString &text) override;
    int textHeight(const QString &text) override;
    void stretchDraw(const Rect &r, const QImage &picture) override;

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

QColor toQColor(Color c);

// The lines textRect draws in a box of the given size: the word-wrapped lines that fit
// whole (at least one), the last ending in an ellipsis when text is left over.
QStringList boxTextLines(const QString &text, const QFont &font, const QPaintDevice *device, int width, int height);

// (Sender, button, shift, X, Y) and (Sender, shift, X, Y), as the window's handlers take them.
using MouseHandler =
    std::function<void(QObject *Sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int X, int Y)>;
using MouseMoveHandler = std::function<void(QObject *Sender, Qt::KeyboardModifiers shift, int X, int Y)>;

// The image control a form places where a diagram goes; it shows its picture.
class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget *parent = nullptr);

    const QImage &picture() const { return m_picture; }
    void setPicture(const QImage &picture);

    MouseHandler onMouseDown;
    MouseHandler onMouseUp;
    MouseMoveHandler onMouseMove;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QImage m_picture;
};

// The overlay: a white control that stays over the widget it follows and hands its paint,
// resize, mouse and wheel events to its handlers. onMouseLost tells that a pressed button's
// release may never come here: a modal dialog blocked the window, the window was
// deactivated, or the overlay was hidden.
class TContent : public QWidget {
    Q_OBJECT
public:
    explicit TContent(QWidget *parent = nullptr);
    // Keeps this control on the other's place: its geometry, its visibility, above it.
    void follow(QWidget *other);

    std::function<void(QPainter &)> OnPaint;
    std::function<void()> onResize;
    std::function<void(QMouseEvent *)> onMouseDown;
    std::function<void(QMouseEvent *)> onMouseUp;
    std::function<void(QMouseEvent *)> onMouseMove;
    std::function<void(QWheelEvent *)> onMouseWheel;
    std::function<void()> onMouseLost;

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
    TImageGraphEditor(TImage *host, QScrollBar *hScrollBar, QScrollBar *vScrollBar,
                      std::unique_ptr<TGraphEditorSource> source);
    TImageGraphEditor(TImage *host, QScrollBar *hScrollBar, QScrollBar *vScrollBar, TGraphEditorSource *source);
    ~TImageGraphEditor() override;

    TImage *Host() const { return m_host; }
    QScrollBar *HScrollBar() const { return m_hScrollBar; }
    QScrollBar *VScrollBar() const { return m_vScrollBar; }
    TContent *Content() const { return m_content; }

    // The whole graph at offset (0, 0), every item: a picture of the diagram.
    void PaintTo(DrawingSurface *canvas);
    // PaintTo on a white 24-bit image of the graph's size; a null image when it cannot be had.
    QImage paintToImage();

    // View pixels per model unit: the window's logical dots per inch / 96, unless set.
    double zoom() const;
    void setZoom(double zoom) { m_zoom = zoom; }

    void Invalidate() override;
    void GraphSizeChanged() override;
    void EndUpdate() override;
    void SetScrollPos(Point p) override;

protected:
    // Grows the graph by one item extent beyond every item that passes its edge, or also
    // reaches it when edgeCounts, so that each item can be scrolled to; never shrinks it.
    void growGraphToItems(bool edgeCounts);
    void UpdateScrollBars();
    void ScrollBarChange();
    void ContentPaint(QPainter &painter);
    void ContentResize();
    void ContentMouseDown(QMouseEvent *event);
    void ContentMouseUp(QMouseEvent *event);
    void ContentMouseMove(QMouseEvent *event);
    void ContentMouseWheel(QWheelEvent *event);
    // A drag or band whose button release went elsewhere ends as a cancel: nothing moves.
    void contentMouseLost();

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
