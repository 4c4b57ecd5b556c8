// One HTML form control drawn as a box.
#include "htmlctrldrawer.h"

#include "base/textutils.h"
#include "model/htmlcontrols.h"

QString TTextDrawStyle::GetValue(const QString &name) const { return Values.value(name); }

void TTextDrawStyle::SetValue(const QString &name, const QString &value) { Values.setValue(name, value); }

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

void ApplyFont(DrawingSurface &canvas, const TDrawStyle &style)
{
    canvas.setFontName(style.GetValue(QStringLiteral("font-family")));
    canvas.setFontColor(Color(ParseHTMLColor(style.GetValue(QStringLiteral("color")))));
    int size = 0;
    if (!tryStrToInt(style.GetValue(QStringLiteral("font-size")), size) || size <= 0)
        size = 12;
    canvas.setFontSize(size);
}

void TDrawHMTLControl::Draw(const THTMLControl &control, DrawingSurface &canvas, int x, int y, const TDrawStyle *given)
{
    const TDrawStyle &style = given ? *given : DefaultDrawStyle();
    const Rect r = MoveRectTo(control.Bounds(), x, y);
    canvas.setPenColor(rgbToColor(0, 0, 255));
    canvas.setBrushStyle(bsClear);
    canvas.rectangle(r);
    ApplyFont(canvas, style);
    const QString caption = control.GetPropertyValue(QStringLiteral("caption"));
    if (!caption.isEmpty())
        canvas.textOut(r.Left, r.Top, caption);
}
