// The program icon and the empty-cell marker.
#include "generators.h"
#include "paint.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <cmath>

namespace morvik::assetgen {

QImage emptyCellMarker(int scale)
{
    // A red question mark with strokes three pixels wide on white; exact pixels, no smoothing.
    if (scale > 1) {
        // On a finer canvas the same mark is drawn from its strokes: the hook an arc that bends
        // into the stem, the dot a block, in the places of the cells below.
        QImage marker = canvas(24, 24, scale);
        marker.fill(Qt::white);
        QPainter p(&marker);
        QPainterPath hook;
        hook.arcMoveTo(QRectF(6, 2.5, 9.5, 6), 180);
        hook.arcTo(QRectF(6, 2.5, 9.5, 6), 180, -180);
        hook.cubicTo(15.5, 8.5, 10.5, 9, 10.5, 11.5);
        hook.lineTo(10.5, 14);
        p.setPen(QPen(Qt::red, 3, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
        p.drawPath(hook);
        p.fillRect(QRect(8, 17, 5, 3), Qt::red);
        p.end();
        return marker.convertToFormat(QImage::Format_RGB888);
    }
    static constexpr std::array<const char *, 24> rows = {
        "........................", ".......#######..........", ".....###########........",
        "....#############.......", "....###.......###.......", "....###.......###.......",
        "..............###.......", ".............####.......", "............####........",
        "...........####.........", "..........####..........", ".........####...........",
        ".........###............", ".........###............", "........................",
        "........................", "........................", "........#####...........",
        "........#####...........", "........#####...........", "........................",
        "........................", "........................", "........................",
    };
    QImage marker(24, 24, QImage::Format_RGB888);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x)
            marker.setPixelColor(x, y, rows[y][x] == '#' ? QColor(255, 0, 0) : QColor(255, 255, 255));
    return marker;
}

QImage icon(int size)
{
    // A jigsaw piece with a little landscape on it, laid out on a 64-unit square and drawn at
    // the icon's own size. Up to 64 pixels it is drawn without smoothing, so that every pixel
    // takes one of a handful of colours, and stored with a palette; the large sizes are smooth.
    const QList<QRgb> palette = {
        qRgba(0, 0, 0, 0),   qRgb(40, 30, 24),   qRgb(96, 88, 80),   qRgb(70, 130, 220),
        qRgb(130, 185, 240), qRgb(255, 214, 64), qRgb(240, 140, 40), qRgb(70, 160, 60),
        qRgb(40, 110, 45),   qRgb(250, 250, 245), qRgb(40, 90, 170), qRgb(160, 220, 250),
    };
    const bool smooth = size > 64;
    const double unit = size / 64.0;
    // Strokes and offsets of whole pixels, at least one, so that small sizes stay sharp.
    const auto pixels = [unit](double units) { return std::max(1.0, std::round(units * unit)) / unit; };
    const auto disc = [](QPointF centre, double radius) {
        QPainterPath path;
        path.addEllipse(centre, radius, radius);
        return path;
    };
    QPainterPath piece;
    piece.addRect(8, 14, 40, 40);
    piece = piece.united(disc({28, 10}, 7)).united(disc({52, 34}, 7)).subtracted(disc({8, 34}, 6));

    QImage art(size, size, QImage::Format_ARGB32_Premultiplied);
    art.fill(Qt::transparent);
    QPainter p(&art);
    p.setRenderHint(QPainter::Antialiasing, smooth);
    p.scale(unit, unit);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(palette[2]));
    const double shadow = pixels(3);
    p.drawPath(piece.translated(shadow, shadow));
    p.setClipPath(piece);
    p.fillRect(QRectF(0, 0, 64, 26), QColor(palette[4]));
    p.fillRect(QRectF(0, 26, 64, 14), QColor(palette[3]));
    p.fillRect(QRectF(0, 0, 64, 8), QColor(palette[11]));
    p.setBrush(QColor(palette[6]));
    p.drawEllipse(QPointF(38, 24), 8, 8);
    p.setBrush(QColor(palette[5]));
    p.drawEllipse(QPointF(38, 24), 6, 6);
    if (size >= 32) {  // below that a cloud is only a smudge
        p.setBrush(QColor(palette[9]));
        p.drawEllipse(QRectF(14, 18, 14, 6));
        p.drawEllipse(QRectF(20, 15, 10, 6));
    }
    QPainterPath far;
    far.moveTo(0, 44);
    far.cubicTo(16, 28, 30, 32, 64, 40);
    far.lineTo(64, 64);
    far.lineTo(0, 64);
    p.setBrush(QColor(palette[8]));
    p.drawPath(far);
    QPainterPath near;
    near.moveTo(0, 52);
    near.cubicTo(24, 40, 40, 44, 64, 50);
    near.lineTo(64, 64);
    near.lineTo(0, 64);
    p.setBrush(QColor(palette[7]));
    p.drawPath(near);
    p.setBrush(QColor(palette[10]));
    p.drawRect(QRectF(0, 58, 64, 6));
    p.setClipping(false);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(palette[1]), pixels(2)));
    p.drawPath(piece);
    p.end();
    if (smooth)
        return art.convertToFormat(QImage::Format_ARGB32);

    QImage indexed(size, size, QImage::Format_Indexed8);
    indexed.setColorTable(palette);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const QRgb c = art.pixel(x, y);
            const int index = qAlpha(c) < 128 ? 0 : int(palette.indexOf(qRgb(qRed(c), qGreen(c), qBlue(c))));
            indexed.setPixel(x, y, index < 0 ? 1 : index);
        }
    return indexed;
}

}  // namespace morvik::assetgen
