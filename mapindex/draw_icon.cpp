// Draws the Map Index icon (a ruled sheet under a magnifier) at the sizes
// installed; the PNGs are committed, so only a change of art needs this.
// Usage: draw-map-index-icon OUTPUT_DIR
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include <cstdio>

namespace {

QImage drawIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);

    painter.setPen(QPen(QColor(0x6b, 0x4f, 0x2a), 1.2));
    painter.setBrush(QColor(0xf4, 0xe7, 0xc5));
    painter.drawRoundedRect(QRectF(2.5, 3.5, 25, 25), 2.5, 2.5);
    painter.fillRect(QRectF(3.1, 4.1, 23.8, 4.5), QColor(0x9c, 0x6b, 0x30));
    painter.setPen(QPen(QColor(0x8a, 0x7a, 0x5a), 1.0));
    for (double y : {13.0, 18.0, 23.0})
        painter.drawLine(QPointF(5, y), QPointF(25, y));
    painter.drawLine(QPointF(11, 9), QPointF(11, 27));

    painter.setBrush(QColor(255, 255, 255, 120));
    painter.setPen(QPen(QColor(0x2f, 0x6d, 0xb3), 2.4));
    painter.drawEllipse(QPointF(21, 19), 5, 5);
    painter.setPen(QPen(QColor(0x2f, 0x6d, 0xb3), 3.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(24.8, 22.8), QPointF(29, 27));
    return image;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fputs("usage: draw-map-index-icon OUTPUT_DIR\n", stderr);
        return 64;
    }
    for (int size : {32, 64, 128}) {
        const QString path = QString::fromLocal8Bit(argv[1]) + QStringLiteral("/map-index_%1.png").arg(size);
        if (!drawIcon(size).save(path))
            return 2;
    }
    return 0;
}
