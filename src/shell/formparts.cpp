// Small pieces the forms are built with.
#include "formparts.h"

QString literalCaption(const QString &text) { return QString(text).replace(u'&', QStringLiteral("&&")); }

QFont fixedFont()
{
    QFont font(QStringLiteral("Courier New"), 10);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}
