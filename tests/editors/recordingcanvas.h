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
inline char *toString(const Point &p) { return QTest::toString(QStringLiteral("(%1,%2)").arg(p.X).arg(p.Y)); }

namespace pellorin_test {

struct CanvasOp {
    QString Kind; // polyline, polygon, rectangle, fillrect, text, textrect, stretch
    std::vector<Point> Points;
    Rect R;
    QString Text;
    Color Pen = 0;
    int PenWidth = 0;
    Color Brush = 0;
    BrushFill BrushStyle = bsSolid;
    Color Font = 0;
    bool Bold = false;
    Point Origin;
};

inline QString pointsText(const std::vector<Point> &points)
{
    QStringList parts;
    for (const Point &p : points)
        parts << QStringLiteral("(%1,%2)").arg(p.X).arg(p.Y);
    return parts.join(QLatin1Char(' '));
}

inline QString rectText(const Rect &r)
{
    return QStringLiteral("(%1,%2,%3,%4)").arg(r.Left).arg(r.Top).arg(r.Right).arg(r.Bottom);
}

class RecordingCanvas : public DrawingSurface {
public:
    static constexpr int CharWidth = 6;
    static constexpr int TextHeight = 12;

    std::vector<CanvasOp> Ops;

    std::vector<CanvasOp> ops(const QString &kind) const
    {
        std::vector<CanvasOp> out;
        for (const CanvasOp &op : Ops)
            if (op.Kind == kind)
                out.push_back(op);
        return out;
    }

    Color PenColor() const override { return m_pen; }
    void SetPenColor(Color c) override { m_pen = c; }
    int PenWidth() const override { return m_penWidth; }
    void SetPenWidth(int w) override { m_penWidth = w; }
    Color BrushColor() const override { return m_brush; }
    void SetBrushColor(Color c) override { m_brush = c; }
    BrushFill BrushStyle() const override { return m_brushStyle; }
    void SetBrushStyle(BrushFill s) override { m_brushStyle = s; }
    QString FontName() const override { return m_fontName; }
    void SetFontName(const QString &name) override { m_fontName = name; }
    int FontSize() const override { return m_fontSize; }
    void SetFontSize(int points) override { m_fontSize = points; }
    bool FontBold() const override { return m_bold; }
    void SetFontBold(bool bold) override { m_bold = bold; }
    Color FontColor() const override { return m_font; }
    void SetFontColor(Color c) override { m_font = c; }
    Point Origin() const override { return m_origin; }
    void SetOrigin(int x, int y) override { m_origin = {x, y}; }

    void Polyline(const std::vector<Point> &points) override { record(QStringLiteral("polyline")).Points = points; }
    void Polygon(const std::vector<Point> &points) override { record(QStringLiteral("polygon")).Points = points; }
    void Rectangle(const Rect &r) override { record(QStringLiteral("rectangle")).R = r; }
    void FillRect(const Rect &r) override { record(QStringLiteral("fillrect")).R = r; }
    void TextOut(int x, int y, const QString &text) override
    {
        CanvasOp &op = record(QStringLiteral("text"));
        op.Points = {{x, y}};
        op.Text = text;
    }
    void TextRect(const Rect &r, const QString &text) override
    {
        CanvasOp &op = record(QStringLiteral("textrect"));
        op.R = r;
        op.Text = text;
    }
    Point TextExtent(const QString &text) override { return {int(text.size()) * CharWidth, TextHeight}; }
    void StretchDraw(const Rect &r, const QImage &) override { record(QStringLiteral("stretch")).R = r; }

private:
    CanvasOp &record(const QString &kind)
    {
        CanvasOp op;
        op.Kind = kind;
        op.Pen = m_pen;
        op.PenWidth = m_penWidth;
        op.Brush = m_brush;
        op.BrushStyle = m_brushStyle;
        op.Font = m_font;
        op.Bold = m_bold;
        op.Origin = m_origin;
        Ops.push_back(op);
        return Ops.back();
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
