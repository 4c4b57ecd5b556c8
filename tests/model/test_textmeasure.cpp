#include "base/exception.h"
#include "common/testmain.h"
#include "model/textmeasure.h"

#include <QImage>
#include <QTest>

class TestTextMeasure : public QObject {
    Q_OBJECT
private slots:
    void sharedCanvas()
    {
        QPainter *canvas = MeasureCanvas();
        QVERIFY(canvas && canvas->isActive());
        QCOMPARE(MeasureCanvas(), canvas);
        QCOMPARE(canvas->device()->width(), 1);
        QCOMPARE(canvas->device()->height(), 1);
        QCOMPARE(canvas->device()->logicalDpiX(), 96);
        QCOMPARE(canvas->device()->logicalDpiY(), 96);
        QCOMPARE(canvas->font().family(), QString("Arial"));
        QCOMPARE(canvas->font().pointSize(), 10);
    }

    void widths()
    {
        const QSize empty = MeasureText(QString());
        QCOMPARE(empty.width(), 0);
        QVERIFY(empty.height() > 0);
        const QSize a = MeasureText("Caption");
        QCOMPARE(MeasureText("Caption"), a);
        QVERIFY(a.width() > 0);
        const QSize longer = MeasureText("Caption with more words");
        QVERIFY(longer.width() > a.width());
        QCOMPARE(longer.height(), a.height());
    }

    void sameOnAnyCanvasAt96Dpi()
    {
        // A larger image at the same resolution measures the same: only the font and the
        // resolution count, never the screen.
        QImage image(200, 50, QImage::Format_ARGB32_Premultiplied);
        image.setDotsPerMeterX(3780);
        image.setDotsPerMeterY(3780);
        QPainter painter(&image);
        const QFont arial(QStringLiteral("Arial"), 10);
        QCOMPARE(TextExtentOn("Caption", &arial, &painter), MeasureText("Caption"));
        QCOMPARE(painter.font(), arial);
    }

    void fontStaysOnTheCanvas()
    {
        const QSize normal = MeasureText("Caption");
        const QFont big(QStringLiteral("Arial"), 30);
        const QSize large = MeasureText("Caption", &big);
        QVERIFY(large.width() > 2 * normal.width());
        QCOMPARE(MeasureText("Caption"), large);
        const QFont arial(QStringLiteral("Arial"), 10);
        SetCanvasFont(MeasureCanvas(), &arial);
        QCOMPARE(MeasureText("Caption"), normal);
        QVERIFY_THROWS_EXCEPTION(ERunError, TextExtentOn("x", nullptr, nullptr));
    }
};

PELLORIN_TEST_CLASS(TestTextMeasure)
#include "test_textmeasure.moc"
