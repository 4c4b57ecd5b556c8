#pragma once
// A canvas that records what is drawn, with the pen, brush and font in effect at the time.
// Text measures 6 pixels per character and 12 high, so label layouts can be computed.
#include "editors/grapheditor.h"

#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QTest>
#include <vector>

Q_DECLARE_METATYPE(Rect)
Q_DECLARE_METATYPE(Point)

// Readable failures for the geometry types.
inline char *toString(const Rect &r)
{
    return QTest::toString(QStringLiteral("(%1,%2,%3,%4)").arg(r.Left).arg(r.Top).arg(r.Right).arg(r.Bottom));
}
inline char *toString(const Point &p) { return QTest::toString(QStringLiteral("(%1,%2)").arg(p.x).arg(p.y)); }

namespace pellorin_test {

struct CanvasOp {
    QString kind; // polyline, polygon, rectangle, fillrect, text, textrect, stretch
    std::vector<Point> points;
    Rect r;
    QString text;
    Color pen = 0;
    int penWidth = 0;
    Color brush = 0;
    BrushFill brushStyle = bsSolid;
    Color font = 0;
    bool bold = false;
    Point origin;
};

inline QString pointsText(const std::vector<Point> &points)
{
    QStringList parts;
    for (const Point &p : points)
        parts << QStringLiteral("(%1,%2)").arg(p.x).arg(p.y);
    return parts.join(QLatin1Char(' '));
}

inline QString rectText(const Rect &r)
{
    return QStringLiteral("(%1,%2,%3,%4)").arg(r.Left).arg(r.Top).arg(r.Right).arg(r.Bottom);
}

class RecordingCanvas : public DrawingSurface {
public:
    static constexpr int charWidth = 6;
    static constexpr int textHeight = 12;

    std::vector<CanvasOp> recorded;

    std::vector<CanvasOp> ops(const QString &kind) const
    {
        std::vector<CanvasOp> out;
        for (const CanvasOp &op : recorded)
            if (op.kind == kind)
                out.push_back(op);
        return out;
    }

    Color penColor() const override { return m_pen; }
    void setPenColor(Color c) override { m_pen = c; }
    int penWidth() const override { return m_penWidth; }
    void setPenWidth(int w) override { m_penWidth = w; }
    Color brushColor() const override { return m_brush; }
    void setBrushColor(Color c) override { m_brush = c; }
    BrushFill brushStyle() const override { return m_brushStyle; }
    void setBrushStyle(BrushFill s) override { m_brushStyle = s; }
    QString fontName() const override { return m_fontName; }
    void setFontName(const QString &name) override { m_fontName = name; }
    int fontSize() const override { return m_fontSize; }
    void setFontSize(int points) override { m_fontSize = points; }
    bool fontBold() const override { return m_bold; }
    void setFontBold(bool bold) override { m_bold = bold; }
    Color fontColor() const override { return m_font; }
    void setFontColor(Color c) override { m_font = c; }
    Point origin() const override { return m_origin; }
    void setOrigin(int x, int y) override { m_origin = {x, y}; }

    void polyline(const std::vector<Point> &points) override { record(QStringLiteral("polyline")).points = points; }
    void polygon(const std::vector<Point> &points) override { record(QStringLiteral("polygon")).points = points; }
    void rectangle(const Rect &r) override { record(QStringLiteral("rectangle")).r = r; }
    void fillRect(const Rect &r) override { record(QStringLiteral("fillrect")).r = r; }
    void textOut(int x, int y, const QString &text) override
    {
        CanvasOp &op = record(QStringLiteral("text"));
        op.points = {{x, y}};
        op.text = text;
    }
    void textRect(const Rect &r, const QString &text) override
    {
        CanvasOp &op = record(QStringLiteral("textrect"));
        op.r = r;
        op.text = text;
    }
    Point textExtent(const QString &text) override { return {int(text.size()) * charWidth, textHeight}; }
    void stretchDraw(const Rect &r, const QImage &) override { record(QStringLiteral("stretch")).r = r; }

private:
    CanvasOp &record(const QString &kind)
    {
        CanvasOp op;
        op.kind = kind;
        op.pen = m_pen;
        op.penWidth = m_penWidth;
        op.brush = m_brush;
        op.brushStyle = m_brushStyle;
        op.font = m_font;
        op.bold = m_bold;
        op.origin = m_origin;
        recorded.push_back(op);
        return recorded.back();
    }

    Color m_pen = clBlack;
    int m_penWidth = 1;
    Color m_brush = clWhite;
    BrushFill m_brushStyle = bsSolid;
    QString m_fontName = QStringLiteral("Arial");
    int m_fontSize = 10;
    bool m_bold = false;
    Color m_font = clBlack;
    Point m_origin;
};

} // namespace pellorin_test
