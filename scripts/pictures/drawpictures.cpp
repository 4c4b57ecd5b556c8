// Draws the pictures of the images folder: one for each component kind, the note button and
// each shipped macro. Run by draw.sh; the PNG files it writes are kept in the repository.
#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {
constexpr int kSize = 32;

struct Picture {
    const char *file;
    const char *label;
    QColor colour;
    bool macro;
};

// A label in white, bold, as large as fits across the tile.
void drawLabel(QPainter &p, const QRectF &area, const QString &label)
{
    QFont font("Liberation Sans");
    font.setBold(true);
    for (int px = 17; px >= 7; --px) {
        font.setPixelSize(px);
        if (QFontMetrics(font).horizontalAdvance(label) <= area.width())
            break;
    }
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(area, Qt::AlignCenter, label);
}

QImage tile(const Picture &picture)
{
    QImage image(kSize, kSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(1.5, 1.5, kSize - 3, kSize - 3);
    p.setPen(QPen(picture.colour.darker(150), 1));
    p.setBrush(picture.colour);
    p.drawRoundedRect(box, 5, 5);
    QRectF text = box.adjusted(2, 0, -2, 0);
    if (picture.macro) {
        // Macros carry a band across their top, so they stand apart from the kinds.
        QPainterPath band;
        band.addRoundedRect(box, 5, 5);
        QPainterPath top;
        top.addRect(QRectF(0, 0, kSize, 10));
        p.setPen(Qt::NoPen);
        p.setBrush(picture.colour.lighter(150));
        p.drawPath(band.intersected(top));
        QFont font("Liberation Sans Narrow");
        font.setBold(true);
        font.setPixelSize(8);
        font.setLetterSpacing(QFont::AbsoluteSpacing, -0.3);
        p.setFont(font);
        p.setPen(picture.colour.darker(200));
        p.drawText(QRectF(0, 1.5, kSize, 9), Qt::AlignCenter, "MACRO");
        p.setPen(QPen(picture.colour.darker(150), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(box, 5, 5);
        text = QRectF(box.left() + 2, 10, box.width() - 4, box.bottom() - 10);
    }
    drawLabel(p, text, picture.label);
    return image;
}

// A sheet of paper with a folded corner and lines of text.
QImage note()
{
    QImage image(kSize, kSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor paper(255, 240, 160), edge(180, 150, 40);
    QPainterPath sheet;
    sheet.moveTo(4.5, 3.5);
    sheet.lineTo(22.5, 3.5);
    sheet.lineTo(28.5, 9.5);
    sheet.lineTo(28.5, 28.5);
    sheet.lineTo(4.5, 28.5);
    sheet.closeSubpath();
    p.setPen(QPen(edge, 1));
    p.setBrush(paper);
    p.drawPath(sheet);
    QPainterPath fold;
    fold.moveTo(22.5, 3.5);
    fold.lineTo(22.5, 9.5);
    fold.lineTo(28.5, 9.5);
    p.setBrush(paper.darker(115));
    p.drawPath(fold);
    p.setPen(QPen(edge.darker(120), 1.5));
    for (int y : {14, 19, 24})
        p.drawLine(QPointF(8, y), QPointF(y == 24 ? 18 : 25, y));
    return image;
}
} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: drawpictures <images folder>\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    const Picture pictures[] = {
        {"ruleSELECTQUERY", "SEL", QColor(47, 109, 181), false},
        {"ruleINSERTUPDATEQUERY", "UPD", QColor(181, 83, 47), false},
        {"ruleIF", "IF", QColor(217, 164, 0), false},
        {"ruleSET", "SET", QColor(58, 154, 75), false},
        {"ruleTEMPLATE", "HTM", QColor(122, 75, 176), false},
        {"ruleEXTERNAL", "EXT", QColor(86, 96, 107), false},
        {"ruleSCRIPT", "PAS", QColor(31, 138, 138), false},
        {"ruleDELPHI", "DPR", QColor(35, 78, 112), false},
        {"macrorequiredvalue", "REQ", QColor(176, 58, 122), true},
        {"macrolooplimit", "LIM", QColor(196, 96, 20), true},
        {"macrosharepercent", "%", QColor(90, 120, 30), true},
    };
    bool ok = true;
    for (const Picture &picture : pictures)
        ok = tile(picture).save(dir.filePath(QString(picture.file) + ".png")) && ok;
    ok = note().save(dir.filePath("comment.png")) && ok;
    return ok ? 0 : 1;
}
