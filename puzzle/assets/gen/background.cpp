// The window's background: a paper-like panel that names the caption-less controls and
// numbers the rows and columns of the tray and the board.
#include "generators.h"
#include "paint.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <array>

namespace morvik::assetgen {

namespace {

constexpr int width = 611, height = 428;
constexpr int trayLeft = 32, boardLeft = 344, gridTop = 112, pitch = 24;

const QColor ink(43, 38, 52);
const QColor digitInk(92, 72, 48);

// Digits of four by seven pixels, crisp at this small size.
constexpr std::array<std::array<const char *, 7>, 10> digitGlyphs = {{
    {".##.", "#..#", "#..#", "#..#", "#..#", "#..#", ".##."},
    {"..#.", ".##.", "..#.", "..#.", "..#.", "..#.", ".###"},
    {".##.", "#..#", "...#", "..#.", ".#..", "#...", "####"},
    {"###.", "...#", "...#", ".##.", "...#", "...#", "###."},
    {"..#.", ".##.", "#.#.", "#.#.", "####", "..#.", "..#."},
    {"####", "#...", "###.", "...#", "...#", "#..#", ".##."},
    {".##.", "#...", "#...", "###.", "#..#", "#..#", ".##."},
    {"####", "...#", "..#.", "..#.", ".#..", ".#..", ".#.."},
    {".##.", "#..#", "#..#", ".##.", "#..#", "#..#", ".##."},
    {".##.", "#..#", "#..#", ".###", "...#", "...#", ".##."},
}};

// At one device pixel to a cell a digit is its cells; on a finer canvas it is drawn as strokes
// one cell wide through the centres of neighbouring cells, diagonals only where no corner cell
// already joins them.
void drawDigit(QPainter &p, int digit, int left, int top)
{
    const auto ink = [&glyph = digitGlyphs[digit]](int x, int y) {
        return x >= 0 && x < 4 && y >= 0 && y < 7 && glyph[y][x] == '#';
    };
    if (p.device()->devicePixelRatio() == 1) {
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 4; ++x)
                if (ink(x, y))
                    p.fillRect(left + x, top + y, 1, 1, digitInk);
        return;
    }
    QPainterPath strokes;
    const auto centre = [&](int x, int y) { return QPointF(left + x + 0.5, top + y + 0.5); };
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 4; ++x) {
            if (!ink(x, y))
                continue;
            strokes.moveTo(centre(x, y));
            strokes.lineTo(centre(x, y));
            for (const QPoint step : {QPoint(1, 0), QPoint(0, 1)})
                if (ink(x + step.x(), y + step.y())) {
                    strokes.moveTo(centre(x, y));
                    strokes.lineTo(centre(x + step.x(), y + step.y()));
                }
            for (const int dx : {-1, 1})
                if (ink(x + dx, y + 1) && !ink(x + dx, y) && !ink(x, y + 1)) {
                    strokes.moveTo(centre(x, y));
                    strokes.lineTo(centre(x + dx, y + 1));
                }
        }
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(digitInk, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(strokes);
    p.restore();
}

void paper(QImage &image)
{
    const QColor top(246, 238, 220), bottom(228, 214, 188);
    shade(image, QRect(0, 0, width, height), [&](double x, double y) {
        const double dx = (x - 305.0) / 305.0, dy = (y - 207.0) / 207.0;
        const double vignette = 0.10 * (dx * dx + dy * dy);
        const double fibre = (fractalNoise(x * 0.35, y * 2.0, 9, 3, 11) - 0.5) * 0.05;
        const double light = 1.0 - vignette + fibre;
        const QColor c = mix(top, bottom, y / height);
        return qRgb(int(c.red() * light), int(c.green() * light), int(c.blue() * light));
    });
}

// A recessed well with a faint grid where the cells of the tray or the board lie.
void well(QPainter &p, const QRect &area)
{
    p.fillRect(area.adjusted(-2, -2, 2, 2), QColor(206, 190, 160));
    QLinearGradient fill(area.topLeft(), area.bottomRight());
    fill.setColorAt(0, QColor(196, 180, 150));
    fill.setColorAt(1, QColor(214, 200, 172));
    p.fillRect(area, fill);
    p.setPen(QColor(226, 214, 190));
    for (int i = 1; i < 10; ++i) {
        p.drawLine(area.left() + i * pitch, area.top() + 1, area.left() + i * pitch, area.bottom() - 1);
        p.drawLine(area.left() + 1, area.top() + i * pitch, area.right() - 1, area.top() + i * pitch);
    }
    p.setPen(QColor(150, 132, 104));
    p.drawLine(area.left() - 2, area.top() - 2, area.right() + 2, area.top() - 2);
    p.drawLine(area.left() - 2, area.top() - 2, area.left() - 2, area.bottom() + 2);
    p.setPen(QColor(252, 248, 238));
    p.drawLine(area.left() - 2, area.bottom() + 2, area.right() + 2, area.bottom() + 2);
    p.drawLine(area.right() + 2, area.top() - 2, area.right() + 2, area.bottom() + 2);
}

}  // namespace

QImage background(int scale)
{
    QImage image = canvas(width, height, scale);
    paper(image);
    QPainter p(&image);

    // A thin double rule around the visible part of the window.
    p.setPen(QColor(170, 146, 110));
    p.drawRect(3, 3, 603, 408);
    p.setPen(QColor(200, 180, 146));
    p.drawRect(6, 6, 597, 402);

    // A warm glow behind the picture number.
    QRadialGradient glow(QPointF(220, 45), 60);
    glow.setColorAt(0, QColor(255, 250, 236, 200));
    glow.setColorAt(1, QColor(255, 250, 236, 0));
    p.fillRect(QRect(160, 8, 120, 80), glow);

    well(p, QRect(trayLeft, gridTop, 240, 240));
    well(p, QRect(boardLeft, gridTop, 241, 241));

    // The preview's dark frame and its darker inside.
    p.fillRect(QRect(QPoint(35, 17), QPoint(100, 85)), QColor(58, 46, 34));
    p.fillRect(QRect(QPoint(38, 20), QPoint(97, 82)), QColor(120, 104, 82));
    // The hand: a sunken square.
    p.fillRect(QRect(QPoint(298, 328), QPoint(321, 351)), QColor(200, 184, 156));
    p.setPen(QColor(120, 104, 80));
    p.drawLine(298, 328, 321, 328);
    p.drawLine(298, 328, 298, 351);
    p.setPen(QColor(252, 248, 238));
    p.drawLine(299, 351, 321, 351);
    p.drawLine(321, 329, 321, 351);
    // Dark squares under the two check boxes.
    p.fillRect(QRect(112, 32, 16, 16), QColor(58, 46, 34));
    p.fillRect(QRect(112, 56, 16, 16), QColor(58, 46, 34));

    QFont sans("Liberation Sans");
    sans.setBold(true);
    drawFittedText(p, "Hudba", sans, QRect(QPoint(133, 35), QPoint(163, 43)), ink);
    drawFittedText(p, "Efekty", sans, QRect(QPoint(133, 59), QPoint(161, 67)), ink);
    drawFittedText(p, QString::fromUtf8("přesuny"), sans, QRect(QPoint(126, 377), QPoint(184, 389)), ink);
    drawFittedText(p, "?", sans, QRect(QPoint(309, 374), QPoint(315, 383)), ink);
    drawFittedText(p, QString::fromUtf8("skládání"), sans, QRect(QPoint(461, 372), QPoint(518, 383)), ink);
    QFont serif("Liberation Serif");
    serif.setItalic(true);
    serif.setBold(true);
    drawFittedText(p, QString::fromUtf8("obrázek"), serif, QRect(QPoint(187, 69), QPoint(261, 85)),
                   QColor(24, 56, 200));

    for (int i = 0; i < 10; ++i) {
        drawDigit(p, i, trayLeft + i * pitch + 10, 101);
        drawDigit(p, i, boardLeft + i * pitch + 10, 101);
        drawDigit(p, i, 25, gridTop + i * pitch + 8);
        drawDigit(p, i, 336, gridTop + i * pitch + 8);
    }
    p.end();
    return image.convertToFormat(QImage::Format_RGB888);
}

}  // namespace morvik::assetgen
