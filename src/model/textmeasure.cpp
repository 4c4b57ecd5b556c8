// Text extents in pixels without a window.
#include "textmeasure.h"

#include "base/exception.h"
#include "base/moduleslot.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <memory>

namespace {

class MeasureSurface {
public:
    MeasureSurface() : m_image(1, 1, QImage::Format_ARGB32_Premultiplied)
    {
        // 96 dots per inch in dots per metre, so that point sizes give the same pixels on
        // every machine.
        m_image.setDotsPerMeterX(3780);
        m_image.setDotsPerMeterY(3780);
        m_image.fill(Qt::white);
        m_painter.begin(&m_image);
        m_painter.setFont(QFont(QStringLiteral("Arial"), 10));
    }
    ~MeasureSurface() { m_painter.end(); }
    QPainter *painter() { return &m_painter; }

private:
    QImage m_image;
    QPainter m_painter;
};

ModuleSlot<MeasureSurface> g_surface;

// Fonts belong to the application object, so the surface must go before it does.
void freeSurface() { g_surface.reset(); }

} // namespace

QPainter *MeasureCanvas()
{
    if (!g_surface) {
        if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
            throw Exception(QStringLiteral("Text measuring needs the application object"));
        g_surface.reset(std::make_unique<MeasureSurface>());
        qAddPostRoutine(freeSurface);
    }
    return g_surface->painter();
}

void SetCanvasFont(QPainter *canvas, const QFont *font)
{
    if (!font)
        return;
    if (!canvas)
        throw ERunError::nilReference();
    canvas->setFont(*font);
}

QSize TextExtentOn(const QString &text, const QFont *font, QPainter *canvas)
{
    if (!canvas)
        throw ERunError::nilReference();
    SetCanvasFont(canvas, font);
    const QFontMetrics metrics = canvas->fontMetrics();
    return QSize(metrics.horizontalAdvance(text), metrics.height());
}

QSize MeasureText(const QString &text, const QFont *font, QPainter *canvas)
{
    return TextExtentOn(text, font, canvas ? canvas : MeasureCanvas());
}
