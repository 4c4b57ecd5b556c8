// One HTML form control drawn as a box.
#include "htmlctrldrawer.h"

#include "base/textutils.h"
#include "model/htmlcontrols.h"

QString TTextDrawStyle::GetValue(const QString &Name) const { return Values.Value(Name); }

void TTextDrawStyle::SetValue(const QString &Name, const QString &Value) { Values.SetValue(Name, Value); }

TTextDrawStyle &DefaultDrawStyle()
{
    static TTextDrawStyle style = [] {
        TTextDrawStyle s;
        s.SetValue(QStringLiteral("color"), QStringLiteral("#000000"));
        s.SetValue(QStringLiteral("font-family"), QStringLiteral("Trebuchet MS"));
        s.SetValue(QStringLiteral("font-size"), QStringLiteral("10"));
        return s;
    }();
    return style;
}

void ApplyFont(DrawingSurface &canvas, const TDrawStyle &Style)
{
    canvas.setFontName(Style.GetValue(QStringLiteral("font-family")));
    canvas.setFontColor(Color(ParseHTMLColor(Style.GetValue(QStringLiteral("color")))));
    int size = 0;
    if (!tryStrToInt(Style.GetValue(QStringLiteral("font-size")), size) || size <= 0)
        size = 12;
    canvas.setFontSize(size);
}

void TDrawHMTLControl::Draw(const THTMLControl &Control, DrawingSurface &canvas, int X, int Y, const TDrawStyle *Style)
{
    const TDrawStyle &style = Style ? *Style : DefaultDrawStyle();
    const Rect r = MoveRectTo(Control.Bounds(), X, Y);
    canvas.setPenColor(rgbToColor(0, 0, 255));
    canvas.setBrushStyle(bsClear);
    canvas.rectangle(r);
    ApplyFont(canvas, style);
    const QString caption = Control.GetPropertyValue(QStringLiteral("caption"));
    if (!caption.isEmpty())
        canvas.textOut(r.Left, r.Top, caption);
}
