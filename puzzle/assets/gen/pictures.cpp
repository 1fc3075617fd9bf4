// The fifteen puzzle pictures, each a scene painted from gradients, paths and noise. A fine
// grain over every picture, and texture in every sky and sea, keeps all hundred cells of a
// picture different from each other, so that every piece can be placed by its looks.
#include "generators.h"
#include "paint.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

namespace morvik::assetgen {

namespace {

constexpr int size = 240;
constexpr double pi = std::numbers::pi;
const QRect whole(0, 0, size, size);

QRgb rgb(double r, double g, double b)
{
    return qRgb(std::clamp(int(r), 0, 255), std::clamp(int(g), 0, 255), std::clamp(int(b), 0, 255));
}

QRgb scaled(const QColor &c, double f) { return rgb(c.red() * f, c.green() * f, c.blue() * f); }

// A ridge line from left to right, its height varied by fractal noise.
QPainterPath ridge(double base, double height, double period, std::uint32_t seed, double bottom = size)
{
    QPainterPath path;
    path.moveTo(0, bottom);
    for (int x = 0; x <= size; x += 2)
        path.lineTo(x, base - height * fractalNoise(x, 0, period, 4, seed));
    path.lineTo(size, bottom);
    path.closeSubpath();
    return path;
}

// Mirrors the rows above `horizon` into the water below it, rippled and tinted.
void reflect(QImage &image, int horizon, const QColor &tint, double strength, std::uint32_t seed)
{
    const QImage above = image.copy();
    shade(image, QRect(0, horizon, size, size - horizon), [&](double x, double y) {
        const double depth = (y - horizon) / (size - horizon);
        const double ripple = std::sin(y * 0.9 + 6 * fractalNoise(x, y * 3, 40, 3, seed)) * (1 + 5 * depth);
        const double sx = std::clamp(x + ripple, 0.0, size - 1.0);
        const double sy = std::clamp(2 * horizon - y - int(2 * depth * fractalNoise(x, y, 12, 2, seed + 1)), 0.0, horizon - 1.0);
        const QColor c = mix(QColor(pixelAt(above, sx, sy)), tint, strength + 0.3 * depth);
        return scaled(c, 0.85 + 0.15 * fractalNoise(x * 0.3, y * 2, 8, 2, seed + 2));
    });
}

void clouds(QImage &image, const QRect &area, const QColor &colour, double cover, std::uint32_t seed)
{
    shade(image, area, [&](double x, double y) {
        const double n = fractalNoise(x * 0.5, y * 1.6, 40, 5, seed);
        const double a = std::clamp((n - (1 - cover)) * 3, 0.0, 0.85);
        return mix(QColor(pixelAt(image, x, y)), colour, a).rgb();
    });
}

void stars(QPainter &p, int count, const QRect &area, std::uint32_t seed)
{
    Random random(seed);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < count; ++i) {
        const double r = random.uniform() < 0.1 ? random.range(0.8, 1.5) : random.range(0.3, 0.7);
        p.setBrush(QColor(255, 240 + random.below(16), 220 + random.below(36), 120 + random.below(136)));
        p.drawEllipse(QPointF(random.range(area.left(), area.right()), random.range(area.top(), area.bottom())), r, r);
    }
}

QImage canvas(int scale) { return morvik::assetgen::canvas(size, size, scale); }

QImage mountainLake(int scale)
{
    QImage image = canvas(scale);
    const int horizon = 150;
    shade(image, QRect(0, 0, size, horizon), [](double x, double y) {
        const double t = y / 150.0;
        const QColor high(58, 40, 110), mid(214, 92, 96), low(255, 196, 96);
        QColor c = t < 0.6 ? mix(high, mid, t / 0.6) : mix(mid, low, (t - 0.6) / 0.4);
        const double sun = std::exp(-(std::pow(x - 150, 2) + std::pow(y - 80, 2)) / 1200.0);
        return mix(c, QColor(255, 240, 190), sun).rgb();
    });
    clouds(image, QRect(0, 10, size, 90), QColor(255, 170, 150), 0.45, 31);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 246, 210));
    p.drawEllipse(QPointF(150, 80), 13, 13);
    p.setBrush(QColor(112, 72, 120));
    p.drawPath(ridge(120, 70, 70, 3, horizon));
    QLinearGradient snow(0, 50, 0, 150);
    snow.setColorAt(0, QColor(84, 56, 100));
    snow.setColorAt(1, QColor(40, 30, 62));
    p.setBrush(snow);
    p.drawPath(ridge(145, 60, 50, 4, horizon));
    p.setBrush(QColor(26, 34, 40));
    p.drawPath(ridge(150, 14, 16, 5, horizon));
    p.end();
    reflect(image, horizon, QColor(30, 30, 70), 0.25, 6);
    p.begin(&image);
    Random random(8);
    for (int i = 0; i < 120; ++i) {
        const double y = random.range(horizon + 2, size);
        const double spread = 6 + (y - horizon) * 0.5;
        p.setPen(QPen(QColor(255, 220, 150, 90 + random.below(120)), 1));
        const double x = 150 + random.range(-spread, spread);
        p.drawLine(QPointF(x, y), QPointF(x + random.range(3, 10), y));
    }
    return image;
}

void house(QPainter &p, double x, double y, double w, double h, const QColor &wall, const QColor &roof)
{
    p.setPen(Qt::NoPen);
    p.setBrush(wall);
    p.drawRect(QRectF(x, y, w, h));
    QPainterPath top;
    top.moveTo(x - 1, y);
    top.lineTo(x + w / 2, y - w * 0.45);
    top.lineTo(x + w + 1, y);
    p.setBrush(roof);
    p.drawPath(top);
    p.setBrush(QColor(60, 50, 60));
    for (double wy = y + 4; wy < y + h - 6; wy += 9)
        for (double wx = x + 3; wx < x + w - 4; wx += 7)
            p.drawRect(QRectF(wx, wy, 3, 5));
}

void boat(QPainter &p, double x, double y, double scale, const QColor &hull, const QColor &sail)
{
    QPainterPath body;
    body.moveTo(x - 22 * scale, y);
    body.lineTo(x + 24 * scale, y);
    body.lineTo(x + 16 * scale, y + 9 * scale);
    body.lineTo(x - 16 * scale, y + 9 * scale);
    body.closeSubpath();
    p.setPen(QPen(QColor(40, 30, 30), 1));
    p.setBrush(hull);
    p.drawPath(body);
    p.setPen(QPen(QColor(70, 50, 40), 1.5));
    p.drawLine(QPointF(x, y), QPointF(x, y - 46 * scale));
    QPainterPath canvasSail;
    canvasSail.moveTo(x + 2 * scale, y - 44 * scale);
    canvasSail.quadTo(x + 24 * scale, y - 20 * scale, x + 20 * scale, y - 4 * scale);
    canvasSail.lineTo(x + 2 * scale, y - 4 * scale);
    canvasSail.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(sail);
    p.drawPath(canvasSail);
}

QImage harbour(int scale)
{
    QImage image = canvas(scale);
    const int quay = 112;
    shade(image, QRect(0, 0, size, quay), [](double, double y) { return mix(QColor(96, 150, 215), QColor(200, 225, 240), y / 112.0).rgb(); });
    clouds(image, QRect(0, 0, size, 70), QColor(255, 255, 255), 0.5, 41);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 150, 130));
    p.drawPath(ridge(70, 25, 60, 9, quay));
    Random random(42);
    const QColor walls[] = {{222, 120, 80}, {240, 200, 110}, {180, 90, 90}, {230, 230, 210}, {120, 160, 190}, {200, 150, 110}};
    for (double x = -4; x < size; x += 0) {
        const double w = random.range(18, 30), h = random.range(24, 40);
        house(p, x, quay - 6 - h, w, h, walls[random.below(6)], QColor(150 + random.below(40), 60, 40));
        x += w + 1;
    }
    p.setBrush(QColor(130, 120, 110));
    p.drawRect(0, quay - 8, size, 8);
    p.end();
    reflect(image, quay, QColor(20, 70, 110), 0.35, 43);
    p.begin(&image);
    p.setRenderHint(QPainter::Antialiasing);
    boat(p, 60, 150, 1.0, QColor(200, 60, 50), QColor(250, 245, 230));
    boat(p, 165, 130, 0.7, QColor(40, 80, 160), QColor(250, 210, 90));
    boat(p, 150, 205, 1.3, QColor(240, 240, 235), QColor(220, 90, 70));
    return image;
}

QImage skyline(int scale)
{
    QImage image = canvas(scale);
    const int river = 170;
    shade(image, QRect(0, 0, size, river), [](double x, double y) {
        const double glow = std::max(0.0, (y - 60) / 110.0);
        return mix(mix(QColor(8, 10, 40), QColor(40, 30, 90), y / 170.0), QColor(160, 80, 110), glow * glow * (0.6 + 0.4 * valueNoise(x, 0, 50, 51))).rgb();
    });
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    stars(p, 160, QRect(0, 0, size, 110), 52);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 245, 215));
    p.drawEllipse(QPointF(190, 34), 14, 14);
    p.setBrush(QColor(20, 22, 60));
    p.drawEllipse(QPointF(197, 29), 13, 13);
    Random random(53);
    for (int layer = 0; layer < 2; ++layer)
        for (double x = -6; x < size;) {
            const double w = random.range(14, 30), h = random.range(30, layer ? 100 : 70) + (layer ? 0 : 50);
            const QColor body = layer ? QColor(22, 22, 44) : QColor(45, 40, 80);
            p.setBrush(body);
            p.drawRect(QRectF(x, river - h, w, h));
            if (random.uniform() < 0.3)
                p.drawRect(QRectF(x + w / 2 - 1, river - h - 12, 2, 12));
            for (double wy = river - h + 4; wy < river - 3; wy += 6)
                for (double wx = x + 2; wx < x + w - 3; wx += 5)
                    if (random.uniform() < (layer ? 0.45 : 0.25)) {
                        p.setBrush(QColor(255, 200 + random.below(50), 90 + random.below(100), layer ? 255 : 150));
                        p.drawRect(QRectF(wx, wy, 2.5, 3));
                    }
            x += w + random.range(0, 3);
        }
    p.end();
    reflect(image, river, QColor(10, 10, 40), 0.3, 54);
    return image;
}

QImage reef(int scale)
{
    QImage image = canvas(scale);
    shade(image, whole, [](double x, double y) {
        const QColor c = mix(QColor(40, 170, 200), QColor(8, 40, 100), y / 240.0);
        const double rays = std::pow(valueNoise(x + y * 0.45, 0, 14, 61), 3) * (1 - y / 240.0);
        const double caustic = fractalNoise(x, y, 30, 3, 62) * 0.25;
        return mix(c, QColor(200, 255, 250), rays * 0.6 + caustic * (1 - y / 240.0)).rgb();
    });
    shade(image, QRect(0, 190, size, 50), [&image](double x, double y) {
        const double edge = 190 + 12 * fractalNoise(x, 0, 60, 3, 63);
        if (y < edge)
            return pixelAt(image, x, y);
        const double sand = fractalNoise(x, y * 2, 10, 3, 64);
        return rgb(190 + 50 * sand, 170 + 40 * sand, 120 + 30 * sand);
    });
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    Random random(65);
    const QColor corals[] = {{240, 90, 110}, {250, 150, 60}, {170, 80, 200}, {250, 220, 90}, {90, 200, 140}};
    std::function<void(QPointF, double, double, int, QColor)> branch = [&](QPointF from, double angle, double length, int depth, QColor c) {
        const QPointF to = from + QPointF(std::cos(angle), std::sin(angle)) * length;
        p.setPen(QPen(c, depth * 1.6 + 1, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(from, to);
        if (depth > 0)
            for (double turn : {-0.45, 0.4})
                branch(to, angle + turn + random.range(-0.2, 0.2), length * 0.72, depth - 1, c.lighter(108));
    };
    for (int i = 0; i < 7; ++i)
        branch(QPointF(15 + i * 34 + random.range(-8, 8), 232), -pi / 2 + random.range(-0.3, 0.3), random.range(18, 28), 4, corals[i % 5]);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 6; ++i) {
        p.setBrush(corals[(i + 2) % 5].darker(120));
        p.drawEllipse(QPointF(random.range(10, 230), random.range(205, 235)), random.range(8, 14), random.range(5, 9));
    }
    for (int i = 0; i < 9; ++i) {
        const QPointF at(random.range(20, 220), random.range(30, 170));
        const double s = random.range(0.6, 1.3), dir = random.uniform() < 0.5 ? -1 : 1;
        const QColor body = QColor::fromHsv(random.below(360), 200, 250);
        QPainterPath fish;
        fish.addEllipse(at, 12 * s, 6 * s);
        QPainterPath tail;
        tail.moveTo(at + QPointF(-dir * 10 * s, 0));
        tail.lineTo(at + QPointF(-dir * 20 * s, -7 * s));
        tail.lineTo(at + QPointF(-dir * 20 * s, 7 * s));
        tail.closeSubpath();
        p.setBrush(body.darker(120));
        p.drawPath(tail);
        QLinearGradient side(at - QPointF(0, 6 * s), at + QPointF(0, 6 * s));
        side.setColorAt(0, body.lighter(130));
        side.setColorAt(1, body.darker(140));
        p.setBrush(side);
        p.drawPath(fish);
        p.setBrush(QColor(250, 250, 250, 200));
        p.drawRect(QRectF(at.x() - 2 * s, at.y() - 5 * s, 3 * s, 10 * s));
        p.setBrush(Qt::black);
        p.drawEllipse(at + QPointF(dir * 7 * s, -1.5 * s), 1.5 * s, 1.5 * s);
    }
    p.setPen(QPen(QColor(220, 250, 255, 160), 1));
    p.setBrush(QColor(220, 250, 255, 40));
    for (int i = 0; i < 25; ++i)
        p.drawEllipse(QPointF(random.range(150, 200) + i % 3 * 4, random.range(10, 200)), 1.5 + i % 3, 1.5 + i % 3);
    return image;
}

QImage planets(int scale)
{
    QImage image = canvas(scale);
    shade(image, whole, [](double x, double y) {
        const double a = fractalNoise(x, y, 90, 5, 71), b = fractalNoise(x, y, 60, 5, 72);
        const double cloud = std::pow(std::max(0.0, a - 0.35) * 1.6, 1.5), veil = std::pow(std::max(0.0, b - 0.4) * 1.7, 1.5);
        return rgb(10 + 200 * cloud + 40 * veil, 6 + 50 * cloud + 140 * veil, 25 + 160 * cloud + 170 * veil);
    });
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    stars(p, 420, whole, 73);
    QRadialGradient giant(QPointF(60, 170), 95, QPointF(40, 140));
    giant.setColorAt(0, QColor(255, 214, 160));
    giant.setColorAt(0.7, QColor(200, 110, 60));
    giant.setColorAt(1, QColor(60, 20, 20));
    p.setPen(Qt::NoPen);
    p.setBrush(giant);
    p.drawEllipse(QPointF(70, 180), 70, 70);
    p.save();
    QPainterPath globe;
    globe.addEllipse(QPointF(70, 180), 70, 70);
    p.setClipPath(globe);
    for (int i = 0; i < 12; ++i) {
        p.setBrush(QColor(120 + i * 8 % 60, 60, 40, 70));
        p.drawRect(QRectF(0, 120 + i * 10 + 4 * std::sin(i), size, 4 + i % 3));
    }
    p.restore();
    p.save();
    p.translate(175, 70);
    p.rotate(-20);
    p.setBrush(QColor(140, 190, 230));
    QRadialGradient ringed(QPointF(-8, -8), 30);
    ringed.setColorAt(0, QColor(190, 230, 250));
    ringed.setColorAt(1, QColor(40, 80, 140));
    p.setBrush(ringed);
    p.drawEllipse(QPointF(0, 0), 24, 24);
    p.setBrush(Qt::NoBrush);
    for (int r = 0; r < 4; ++r) {
        p.setPen(QPen(QColor(230, 210, 170, 200 - r * 30), 2.5));
        p.drawArc(QRectF(-48 + r * 3, -12 + r, 96 - r * 6, 24 - r * 2), 180 * 16, 180 * 16);
    }
    p.restore();
    p.setPen(Qt::NoPen);
    QRadialGradient moon(QPointF(196, 190), 14, QPointF(190, 184));
    moon.setColorAt(0, QColor(230, 230, 220));
    moon.setColorAt(1, QColor(90, 90, 100));
    p.setBrush(moon);
    p.drawEllipse(QPointF(196, 190), 11, 11);
    return image;
}

QImage flowerField(int scale)
{
    QImage image = canvas(scale);
    shade(image, QRect(0, 0, size, 90), [](double, double y) { return mix(QColor(90, 160, 235), QColor(210, 232, 245), y / 90.0).rgb(); });
    clouds(image, QRect(0, 0, size, 70), QColor(255, 255, 255), 0.5, 81);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 150, 190));
    p.drawPath(ridge(80, 30, 80, 82, 100));
    p.setBrush(QColor(110, 160, 90));
    p.drawPath(ridge(95, 18, 70, 83));
    p.end();
    shade(image, QRect(0, 95, size, 145), [&image](double x, double y) {
        const double top = 95 - 18 * fractalNoise(x, 0, 70, 4, 83);
        if (y < top + 4)
            return pixelAt(image, x, y);
        const double n = fractalNoise(x * 1.5, y * 4, 20, 3, 84);
        return rgb(60 + 60 * n, 120 + 70 * n, 40 + 30 * n);
    });
    p.begin(&image);
    p.setRenderHint(QPainter::Antialiasing);
    Random random(85);
    const QColor petals[] = {{230, 40, 50}, {250, 210, 40}, {250, 250, 250}, {170, 90, 210}, {250, 130, 40}};
    for (int i = 0; i < 900; ++i) {
        const double y = 100 + 140 * std::pow(random.uniform(), 0.8);
        const double depth = (y - 95) / 145;
        const double r = 0.6 + 4.5 * depth * depth + random.range(0, 1);
        const QPointF at(random.range(-4, 244), y);
        const QColor c = petals[int(random.next() % 5)];
        if (r > 2.5) {
            p.setPen(QPen(QColor(40, 100, 30), 1));
            p.drawLine(at, at + QPointF(random.range(-1, 1), r * 2.5));
            p.setPen(Qt::NoPen);
            for (int k = 0; k < 5; ++k) {
                const double angle = k * 2 * pi / 5 + i;
                p.setBrush(c.darker(100 + k * 6));
                p.drawEllipse(at + QPointF(std::cos(angle), std::sin(angle)) * r * 0.6, r * 0.55, r * 0.55);
            }
            p.setBrush(QColor(240, 180, 40));
            p.drawEllipse(at, r * 0.3, r * 0.3);
        } else {
            p.setPen(Qt::NoPen);
            p.setBrush(c);
            p.drawEllipse(at, r * 0.6, r * 0.5);
        }
    }
    return image;
}

void balloon(QPainter &p, QPointF at, double r, const QList<QColor> &stripes)
{
    QPainterPath envelope;
    envelope.moveTo(at + QPointF(0, r * 1.35));
    envelope.cubicTo(at + QPointF(-r * 0.6, r * 0.9), at + QPointF(-r * 1.15, r * 0.1), at + QPointF(-r, -r * 0.4));
    envelope.cubicTo(at + QPointF(-r * 0.8, -r * 1.15), at + QPointF(r * 0.8, -r * 1.15), at + QPointF(r, -r * 0.4));
    envelope.cubicTo(at + QPointF(r * 1.15, r * 0.1), at + QPointF(r * 0.6, r * 0.9), at + QPointF(0, r * 1.35));
    p.save();
    p.setClipPath(envelope);
    p.setPen(Qt::NoPen);
    const int n = 8;
    for (int i = 0; i < n; ++i) {
        const double x0 = at.x() + r * 1.2 * std::sin((i - n / 2.0) * pi / n), x1 = at.x() + r * 1.2 * std::sin((i + 1 - n / 2.0) * pi / n);
        p.setBrush(stripes[i % stripes.size()]);
        p.drawRect(QRectF(x0, at.y() - r * 1.3, x1 - x0 + 0.5, r * 2.7));
    }
    QRadialGradient light(at + QPointF(-r * 0.4, -r * 0.5), r * 1.6);
    light.setColorAt(0, QColor(255, 255, 255, 90));
    light.setColorAt(0.6, QColor(0, 0, 0, 0));
    light.setColorAt(1, QColor(0, 0, 30, 110));
    p.setBrush(light);
    p.drawRect(QRectF(at.x() - r * 1.3, at.y() - r * 1.3, r * 2.6, r * 2.7));
    p.restore();
    p.setPen(QPen(QColor(80, 60, 40), 0.8));
    p.drawLine(at + QPointF(-r * 0.25, r * 1.28), at + QPointF(-r * 0.18, r * 1.6));
    p.drawLine(at + QPointF(r * 0.25, r * 1.28), at + QPointF(r * 0.18, r * 1.6));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 80, 40));
    p.drawRect(QRectF(at.x() - r * 0.2, at.y() + r * 1.6, r * 0.4, r * 0.28));
}

QImage balloons(int scale)
{
    QImage image = canvas(scale);
    shade(image, QRect(0, 0, size, 200), [](double, double y) { return mix(QColor(70, 130, 210), QColor(250, 210, 170), y / 200.0).rgb(); });
    clouds(image, QRect(0, 0, size, 200), QColor(255, 245, 240), 0.42, 91);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 130, 100));
    p.drawPath(ridge(205, 25, 80, 92));
    p.setBrush(QColor(60, 110, 60));
    p.drawPath(ridge(228, 16, 50, 93));
    balloon(p, QPointF(200, 150), 10, {QColor(240, 240, 240), QColor(60, 120, 200)});
    balloon(p, QPointF(40, 120), 14, {QColor(250, 200, 40), QColor(230, 60, 40)});
    balloon(p, QPointF(150, 95), 19, {QColor(120, 60, 170), QColor(250, 170, 40), QColor(240, 240, 230)});
    balloon(p, QPointF(80, 55), 32, {QColor(220, 40, 60), QColor(250, 220, 60), QColor(40, 150, 90), QColor(40, 90, 200)});
    balloon(p, QPointF(195, 40), 22, {QColor(250, 120, 150), QColor(250, 250, 250)});
    return image;
}

QImage lighthouse(int scale)
{
    QImage image = canvas(scale);
    const int horizon = 140;
    shade(image, QRect(0, 0, size, horizon), [](double, double y) { return mix(QColor(30, 40, 90), QColor(240, 150, 110), std::pow(y / 140.0, 1.6)).rgb(); });
    clouds(image, QRect(0, 0, size, 110), QColor(180, 110, 150), 0.5, 101);
    shade(image, QRect(0, horizon, size, size - horizon), [](double x, double y) {
        const double depth = (y - 140) / 100.0;
        const double wave = std::sin(x * 0.12 + y * 0.9 + 5 * fractalNoise(x, y * 2, 30, 3, 102));
        const QColor c = mix(QColor(120, 100, 130), QColor(20, 50, 80), std::sqrt(depth));
        return scaled(c, 0.8 + 0.25 * wave * (0.5 + depth));
    });
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath beam;
    beam.moveTo(150, 52);
    beam.lineTo(0, 20);
    beam.lineTo(0, 70);
    beam.closeSubpath();
    QLinearGradient beamFill(150, 52, 0, 45);
    beamFill.setColorAt(0, QColor(255, 250, 200, 170));
    beamFill.setColorAt(1, QColor(255, 250, 200, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(beamFill);
    p.drawPath(beam);
    QPainterPath rocks;
    rocks.moveTo(80, 240);
    rocks.lineTo(95, 170);
    rocks.lineTo(120, 150);
    rocks.lineTo(150, 140);
    rocks.lineTo(190, 148);
    rocks.lineTo(215, 170);
    rocks.lineTo(240, 160);
    rocks.lineTo(240, 240);
    rocks.closeSubpath();
    p.setBrush(QColor(60, 50, 50));
    p.drawPath(rocks);
    p.end();
    shade(image, QRect(80, 140, 160, 100), [&image](double x, double y) {
        const QRgb c = pixelAt(image, x, y);
        if (c != qRgb(60, 50, 50))
            return c;
        const double n = fractalNoise(x, y, 14, 4, 103);
        return rgb(40 + 70 * n, 34 + 55 * n, 36 + 50 * n);
    });
    p.begin(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath tower;
    tower.moveTo(138, 146);
    tower.lineTo(143, 62);
    tower.lineTo(157, 62);
    tower.lineTo(162, 146);
    tower.closeSubpath();
    p.save();
    p.setClipPath(tower);
    for (int i = 0; i < 6; ++i) {
        p.fillRect(QRectF(130, 62 + i * 14, 40, 14), i % 2 ? QColor(200, 40, 40) : QColor(245, 240, 230));
    }
    QLinearGradient side(138, 0, 162, 0);
    side.setColorAt(0, QColor(0, 0, 0, 0));
    side.setColorAt(1, QColor(0, 0, 40, 110));
    p.fillRect(QRectF(130, 60, 40, 90), side);
    p.restore();
    p.setBrush(QColor(40, 40, 50));
    p.drawRect(QRectF(139, 58, 22, 5));
    p.setBrush(QColor(255, 240, 170));
    p.drawRect(QRectF(143, 44, 14, 14));
    p.setPen(QPen(QColor(40, 40, 50), 1.5));
    p.drawLine(QPointF(150, 44), QPointF(150, 58));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 50));
    p.drawPolygon(QPolygonF({QPointF(140, 44), QPointF(150, 34), QPointF(160, 44)}));
    QRadialGradient halo(QPointF(150, 51), 30);
    halo.setColorAt(0, QColor(255, 250, 210, 150));
    halo.setColorAt(1, QColor(255, 250, 210, 0));
    p.setBrush(halo);
    p.drawEllipse(QPointF(150, 51), 30, 30);
    Random random(104);
    p.setPen(QPen(QColor(240, 245, 250, 180), 1.2));
    for (int i = 0; i < 60; ++i) {
        const double x = random.range(60, 240), y = 150 + random.range(-10, 30) + (x < 100 ? 40 : 0);
        p.drawLine(QPointF(x, y), QPointF(x + random.range(2, 8), y - random.range(0, 2)));
    }
    return image;
}

QImage castle(int scale)
{
    QImage image = canvas(scale);
    shade(image, whole, [](double, double y) { return mix(QColor(70, 130, 220), QColor(200, 225, 245), y / 160.0).rgb(); });
    clouds(image, QRect(0, 0, size, 140), QColor(255, 255, 255), 0.48, 111);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(130, 160, 190));
    p.drawPath(ridge(150, 40, 90, 112));
    QPainterPath hill;
    hill.moveTo(0, 240);
    hill.cubicTo(40, 150, 190, 130, 240, 190);
    hill.lineTo(240, 240);
    hill.closeSubpath();
    p.setBrush(QColor(90, 150, 70));
    p.drawPath(hill);
    p.end();
    shade(image, QRect(0, 130, size, 110), [&image](double x, double y) {
        const QRgb c = pixelAt(image, x, y);
        if (c != qRgb(90, 150, 70))
            return c;
        const double n = fractalNoise(x, y * 1.5, 16, 4, 113);
        return rgb(60 + 70 * n, 110 + 80 * n, 40 + 40 * n);
    });
    const QColor stone(170, 160, 150);
    p.begin(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath keep;
    const auto tower = [&keep](double x, double top, double w, double bottom) {
        keep.addRect(QRectF(x, top, w, bottom - top));
        for (double cx = x; cx < x + w - 1; cx += w / 4)
            keep.addRect(QRectF(cx, top - 5, w / 8, 5));
    };
    tower(70, 105, 100, 160);
    tower(58, 78, 26, 160);
    tower(156, 78, 26, 160);
    tower(105, 58, 30, 110);
    keep = keep.simplified();
    p.setBrush(stone);
    p.drawPath(keep);
    p.end();
    shade(image, QRect(55, 50, 130, 112), [&image, &stone](double x, double y) {
        const QRgb c = pixelAt(image, x, y);
        if (c != stone.rgb())
            return c;
        const long column = std::lround(x), row = std::lround(y);
        const bool mortar = row % 6 == 0 || (column + (row / 6 % 2) * 5) % 10 == 0;
        const double n = fractalNoise(x, y, 8, 3, 114);
        const double light = 0.8 + 0.3 * n - (x > 150 ? 0.15 : 0);
        return mortar ? rgb(120, 112, 104) : scaled(stone, light);
    });
    p.begin(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    for (const QPointF &cone : {QPointF(71, 73), QPointF(169, 73), QPointF(120, 53)}) {
        p.setBrush(QColor(60, 70, 130));
        p.drawPolygon(QPolygonF({cone + QPointF(-16, 0), cone + QPointF(0, -28), cone + QPointF(16, 0)}));
    }
    p.setPen(QPen(QColor(60, 40, 30), 1));
    p.drawLine(QPointF(120, 25), QPointF(120, 10));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(210, 40, 40));
    p.drawPolygon(QPolygonF({QPointF(120, 10), QPointF(134, 14), QPointF(120, 18)}));
    p.setBrush(QColor(50, 40, 40));
    QPainterPath gate;
    gate.addRoundedRect(QRectF(110, 138, 20, 22), 9, 9);
    p.drawPath(gate);
    for (double x : {68.0, 94.0, 140.0, 166.0})
        p.drawRoundedRect(QRectF(x, 112, 5, 9), 2, 2);
    p.setPen(QPen(QColor(200, 180, 130), 5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath road;
    road.moveTo(120, 162);
    road.cubicTo(90, 190, 170, 205, 120, 240);
    p.drawPath(road);
    return image;
}

void palm(QPainter &p, QPointF base, double height, double lean)
{
    QPainterPath trunk;
    trunk.moveTo(base);
    const QPointF top = base + QPointF(lean, -height);
    trunk.quadTo(base + QPointF(lean * 0.1, -height * 0.6), top);
    p.setPen(QPen(QColor(120, 90, 50), 5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(trunk);
    p.setPen(QPen(QColor(90, 60, 30), 1));
    for (double t = 0.1; t < 1; t += 0.08)
        p.drawPoint(trunk.pointAtPercent(t) + QPointF(1, 0));
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 7; ++i) {
        const double angle = -pi + i * pi / 6 + (i % 2) * 0.15;
        const QPointF tip = top + QPointF(std::cos(angle) * 32, std::sin(angle) * 14 + 12);
        QPainterPath frond;
        frond.moveTo(top);
        frond.quadTo(top + (tip - top) * 0.5 + QPointF(0, -10), tip);
        frond.quadTo(top + (tip - top) * 0.5 + QPointF(0, -3), top);
        p.setBrush(i % 2 ? QColor(40, 130, 50) : QColor(70, 160, 60));
        p.drawPath(frond);
    }
    p.setBrush(QColor(90, 60, 30));
    p.drawEllipse(top + QPointF(-2, 3), 2.5, 2.5);
    p.drawEllipse(top + QPointF(3, 3), 2.5, 2.5);
}

QImage island(int scale)
{
    QImage image = canvas(scale);
    const int horizon = 90;
    shade(image, QRect(0, 0, size, horizon), [](double, double y) { return mix(QColor(40, 140, 230), QColor(190, 230, 250), y / 90.0).rgb(); });
    clouds(image, QRect(0, 0, size, 80), QColor(255, 255, 255), 0.45, 121);
    shade(image, QRect(0, horizon, size, size - horizon), [](double x, double y) {
        const double dx = (x - 120) / 120.0, dy = (y - 165) / 50.0;
        const double shallow = std::exp(-(dx * dx + dy * dy) * 1.5);
        const double wave = fractalNoise(x * 0.6, y * 2.5, 24, 4, 122);
        const QColor deep = mix(QColor(20, 110, 170), QColor(10, 60, 120), (y - 90) / 150.0);
        return scaled(mix(deep, QColor(60, 220, 210), shallow), 0.78 + 0.4 * wave);
    });
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    QRadialGradient sun(QPointF(195, 30), 30);
    sun.setColorAt(0, QColor(255, 255, 230));
    sun.setColorAt(0.3, QColor(255, 250, 200, 220));
    sun.setColorAt(1, QColor(255, 250, 200, 0));
    p.setBrush(sun);
    p.drawEllipse(QPointF(195, 30), 30, 30);
    QRadialGradient sand(QPointF(120, 170), 90);
    sand.setColorAt(0, QColor(250, 230, 170));
    sand.setColorAt(1, QColor(220, 190, 120));
    p.setBrush(sand);
    p.drawEllipse(QPointF(120, 172), 78, 22);
    p.setBrush(QColor(80, 150, 70));
    p.drawEllipse(QPointF(110, 165), 45, 10);
    palm(p, QPointF(100, 170), 70, -18);
    palm(p, QPointF(125, 172), 88, 12);
    palm(p, QPointF(150, 170), 55, 20);
    p.setPen(QPen(QColor(255, 255, 255, 170), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(38, 145, 164, 56), 190 * 16, 160 * 16);
    return image;
}

QImage roseWindow(int scale)
{
    QImage image = canvas(scale);
    const QPointF centre(120, 120);
    const QColor glass[] = {{200, 30, 40}, {30, 70, 190}, {240, 180, 30}, {40, 150, 80}, {140, 50, 160}, {30, 160, 200}};
    shade(image, whole, [&](double x, double y) {
        const double dx = x - centre.x(), dy = y - centre.y(), r = std::hypot(dx, dy);
        double a = std::atan2(dy, dx) + pi;
        const double n = fractalNoise(x, y, 10, 3, 131);
        if (r > 112) {
            const double stone = fractalNoise(x, y, 18, 4, 132);
            return rgb(70 + 60 * stone, 60 + 50 * stone, 55 + 40 * stone);
        }
        int ring = r < 22 ? 0 : r < 50 ? 1 : r < 82 ? 2 : 3;
        const int petals = ring == 0 ? 1 : ring == 1 ? 8 : 16;
        const int sector = int(a / (2 * pi) * petals) % petals;
        const QColor base = glass[(ring * 3 + sector * (ring == 3 ? 1 : 2)) % 6];
        const double radial = 1.1 - 0.3 * (r - (ring == 0 ? 0 : ring == 1 ? 22 : ring == 2 ? 50 : 82)) / 32;
        return scaled(base, (0.65 + 0.6 * n) * radial);
    });
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(30, 25, 25), 3));
    for (double r : {22.0, 50.0, 82.0, 112.0})
        p.drawEllipse(centre, r, r);
    for (int i = 0; i < 16; ++i) {
        const double a = i * 2 * pi / 16 + pi;
        const QPointF dir(std::cos(a), std::sin(a));
        p.drawLine(centre + dir * (i % 2 ? 50 : 22), centre + dir * 112);
    }
    p.setPen(QPen(QColor(30, 25, 25), 2));
    for (int i = 0; i < 16; ++i) {
        const double a = (i + 0.5) * 2 * pi / 16 + pi;
        p.drawEllipse(centre + QPointF(std::cos(a), std::sin(a)) * 97, 7, 7);
        p.drawEllipse(centre + QPointF(std::cos(a), std::sin(a)) * 66, 5, 5);
    }
    for (int i = 0; i < 8; ++i) {
        const double a = (i + 0.5) * 2 * pi / 8 + pi;
        p.drawEllipse(centre + QPointF(std::cos(a), std::sin(a)) * 36, 6, 6);
    }
    QRadialGradient shine(QPointF(90, 80), 120);
    shine.setColorAt(0, QColor(255, 250, 220, 70));
    shine.setColorAt(1, QColor(0, 0, 0, 60));
    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    p.drawEllipse(centre, 112, 112);
    return image;
}

void fruit(QPainter &p, QPointF at, double rx, double ry, const QColor &colour)
{
    QRadialGradient body(at + QPointF(-rx * 0.35, -ry * 0.4), std::max(rx, ry) * 1.4);
    body.setColorAt(0, colour.lighter(170));
    body.setColorAt(0.35, colour);
    body.setColorAt(1, colour.darker(260));
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawEllipse(at, rx, ry);
}

QImage stillLife(int scale)
{
    QImage image = canvas(scale);
    shade(image, whole, [](double x, double y) {
        const double fold = std::sin(x * 0.08 + 3 * fractalNoise(x, y, 60, 3, 141));
        const double n = fractalNoise(x, y, 12, 3, 142);
        return y < 160 ? rgb(90 + 40 * fold + 20 * n, 30 + 12 * fold + 10 * n, 45 + 15 * fold + 10 * n)
                       : rgb(120 + 50 * fractalNoise(x * 0.3, y * 3, 20, 4, 143), 70 + 30 * n, 40 + 20 * n);
    });
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient edge(0, 158, 0, 166);
    edge.setColorAt(0, QColor(60, 30, 20));
    edge.setColorAt(1, QColor(160, 100, 60));
    p.fillRect(QRectF(0, 158, size, 6), edge);
    fruit(p, QPointF(60, 128), 22, 20, QColor(200, 40, 30));
    fruit(p, QPointF(175, 120), 19, 25, QColor(190, 190, 60));
    QPainterPath bowl;
    bowl.moveTo(50, 150);
    bowl.cubicTo(60, 205, 180, 205, 190, 150);
    bowl.closeSubpath();
    for (int i = 0; i < 10; ++i)
        fruit(p, QPointF(95 + (i % 4) * 12 + (i / 4) * 6, 120 + (i / 4) * 11), 7, 7, QColor(110, 40, 120));
    fruit(p, QPointF(150, 135), 18, 17, QColor(240, 140, 30));
    fruit(p, QPointF(85, 140), 17, 16, QColor(110, 170, 50));
    QLinearGradient glaze(50, 0, 190, 0);
    glaze.setColorAt(0, QColor(40, 80, 140));
    glaze.setColorAt(0.35, QColor(150, 190, 230));
    glaze.setColorAt(1, QColor(20, 40, 90));
    p.setBrush(glaze);
    p.drawPath(bowl);
    p.setBrush(QColor(30, 60, 110));
    p.drawEllipse(QRectF(48, 145, 144, 10));
    fruit(p, QPointF(205, 185), 16, 15, QColor(210, 50, 40));
    fruit(p, QPointF(30, 190), 14, 13, QColor(240, 170, 40));
    p.setPen(QPen(QColor(80, 50, 20), 2));
    p.drawLine(QPointF(60, 108), QPointF(62, 100));
    p.drawLine(QPointF(205, 170), QPointF(207, 163));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 130, 40));
    p.drawEllipse(QRectF(63, 98, 10, 5));
    return image;
}

QImage birdOnBranch(int scale)
{
    QImage image = canvas(scale);
    shade(image, whole, [](double x, double y) {
        const double n = fractalNoise(x, y, 70, 4, 151);
        return rgb(120 + 90 * n, 160 + 60 * n - y * 0.1, 80 + 60 * fractalNoise(x, y, 50, 3, 152));
    });
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    Random random(153);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 30; ++i) {
        const QPointF at(random.range(0, 240), random.range(0, 240));
        const double r = random.range(6, 18);
        QRadialGradient bokeh(at, r);
        bokeh.setColorAt(0, QColor(255, 250, 200, 90));
        bokeh.setColorAt(0.8, QColor(255, 250, 200, 60));
        bokeh.setColorAt(1, QColor(255, 250, 200, 0));
        p.setBrush(bokeh);
        p.drawEllipse(at, r, r);
    }
    QPainterPath branch;
    branch.moveTo(-5, 190);
    branch.cubicTo(60, 170, 140, 185, 245, 150);
    p.setPen(QPen(QColor(80, 55, 35), 9, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(branch);
    p.setPen(QPen(QColor(120, 90, 60), 2));
    p.drawPath(branch.translated(0, -3));
    QPainterPath twig;
    twig.moveTo(170, 172);
    twig.quadTo(190, 200, 215, 205);
    p.setPen(QPen(QColor(80, 55, 35), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(twig);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 14; ++i) {
        const QPointF at = branch.pointAtPercent(0.05 + i * 0.07);
        const double a = random.range(-pi, 0) + (i % 2 ? 0.4 : -0.4);
        p.save();
        p.translate(at);
        p.rotate(a * 180 / pi);
        QLinearGradient leaf(0, -5, 0, 5);
        leaf.setColorAt(0, QColor(110, 180, 60));
        leaf.setColorAt(1, QColor(40, 100, 40));
        p.setBrush(leaf);
        QPainterPath shape;
        shape.moveTo(0, 0);
        shape.quadTo(12, -8, 26, 0);
        shape.quadTo(12, 8, 0, 0);
        p.drawPath(shape);
        p.restore();
    }
    QPainterPath tail;
    tail.moveTo(92, 150);
    tail.lineTo(55, 185);
    tail.lineTo(68, 190);
    tail.closeSubpath();
    p.setBrush(QColor(90, 70, 60));
    p.drawPath(tail);
    QRadialGradient back(QPointF(110, 120), 40, QPointF(100, 105));
    back.setColorAt(0, QColor(150, 120, 100));
    back.setColorAt(1, QColor(80, 60, 50));
    p.setBrush(back);
    p.drawEllipse(QPointF(112, 135), 34, 26);
    QRadialGradient breast(QPointF(130, 140), 24, QPointF(128, 130));
    breast.setColorAt(0, QColor(255, 150, 70));
    breast.setColorAt(1, QColor(200, 80, 30));
    p.setBrush(breast);
    p.drawEllipse(QPointF(130, 142), 20, 19);
    p.setBrush(back);
    p.drawEllipse(QPointF(140, 108), 17, 16);
    p.setBrush(QColor(230, 110, 50));
    p.drawEllipse(QPointF(144, 118), 11, 8);
    p.setBrush(QColor(20, 20, 20));
    p.drawEllipse(QPointF(146, 104), 3, 3);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(147, 103), 0.9, 0.9);
    p.setBrush(QColor(60, 50, 40));
    p.drawPolygon(QPolygonF({QPointF(155, 106), QPointF(166, 109), QPointF(155, 112)}));
    p.setBrush(QColor(70, 50, 40));
    p.drawEllipse(QPointF(104, 132), 22, 13);
    p.setPen(QPen(QColor(60, 40, 30), 2));
    p.drawLine(QPointF(120, 158), QPointF(118, 172));
    p.drawLine(QPointF(132, 158), QPointF(133, 172));
    return image;
}

QImage carousel(int scale)
{
    QImage image = canvas(scale);
    shade(image, whole, [](double x, double y) {
        const double n = fractalNoise(x, y, 40, 4, 161);
        return mix(QColor(30, 10, 60), QColor(120, 40, 90), y / 240.0 * (0.6 + 0.6 * n)).rgb();
    });
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    Random random(162);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 40; ++i) {
        const QPointF at(random.range(0, 240), random.range(0, 240));
        const double r = random.range(3, 10);
        QRadialGradient light(at, r);
        const QColor c = QColor::fromHsv(random.below(360), 150, 255);
        light.setColorAt(0, QColor(c.red(), c.green(), c.blue(), 120));
        light.setColorAt(1, QColor(c.red(), c.green(), c.blue(), 0));
        p.setBrush(light);
        p.drawEllipse(at, r, r);
    }
    QPainterPath roof;
    roof.moveTo(120, 20);
    roof.lineTo(220, 80);
    roof.lineTo(20, 80);
    roof.closeSubpath();
    p.save();
    p.setClipPath(roof);
    for (int i = 0; i < 12; ++i) {
        QPainterPath stripe;
        stripe.moveTo(120, 20);
        stripe.lineTo(20 + i * 200.0 / 12, 80);
        stripe.lineTo(20 + (i + 1) * 200.0 / 12, 80);
        stripe.closeSubpath();
        p.setBrush(i % 2 ? QColor(240, 230, 210) : QColor(200, 30, 50));
        p.drawPath(stripe);
    }
    p.restore();
    p.setBrush(QColor(250, 200, 60));
    p.drawEllipse(QPointF(120, 18), 5, 5);
    for (int i = 0; i < 12; ++i) {
        QPainterPath scallop;
        scallop.addEllipse(QRectF(20 + i * 200.0 / 12, 74, 200.0 / 12, 14));
        p.setBrush(i % 2 ? QColor(200, 30, 50) : QColor(250, 200, 60));
        p.drawPath(scallop);
    }
    p.fillRect(QRectF(30, 88, 180, 104), QColor(90, 30, 60));
    QRadialGradient inside(QPointF(120, 140), 90);
    inside.setColorAt(0, QColor(255, 200, 120, 200));
    inside.setColorAt(1, QColor(120, 40, 70, 0));
    p.setBrush(inside);
    p.drawRect(QRectF(30, 88, 180, 104));
    p.setBrush(QColor(160, 110, 60));
    p.drawRect(QRectF(112, 88, 16, 104));
    const QColor horses[] = {{245, 240, 230}, {150, 90, 50}, {240, 240, 245}, {60, 40, 30}};
    for (int i = 0; i < 4; ++i) {
        const double x = 48 + i * 48, y = 140 + (i % 2 ? -12 : 8);
        p.setPen(QPen(QColor(230, 200, 90), 2));
        p.drawLine(QPointF(x, 88), QPointF(x, 192));
        p.setPen(Qt::NoPen);
        p.setBrush(horses[i]);
        p.drawEllipse(QPointF(x, y), 15, 7);
        p.drawRect(QRectF(x + 9, y - 16, 5, 14));
        p.drawEllipse(QPointF(x + 15, y - 15), 6, 3.5);
        p.drawRect(QRectF(x - 11, y + 3, 2.5, 14));
        p.drawRect(QRectF(x + 8, y + 3, 2.5, 14));
        p.setBrush(QColor(220, 40, 60));
        p.drawRect(QRectF(x - 5, y - 8, 10, 5));
    }
    p.setBrush(QColor(200, 30, 50));
    p.drawRect(QRectF(24, 192, 192, 14));
    for (int i = 0; i < 25; ++i) {
        p.setBrush(QColor(255, 240, 170));
        p.drawEllipse(QPointF(28 + i * 7.7, 199), 1.8, 1.8);
        p.drawEllipse(QPointF(24 + i * 8.0, 84), 1.5, 1.5);
    }
    p.setBrush(QColor(40, 20, 40));
    p.drawRect(QRectF(0, 206, size, 34));
    return image;
}

QImage treasureMap(int scale)
{
    QImage image = canvas(scale);
    const auto land = [](double x, double y) {
        const double dx = (x - 120) / 100.0, dy = (y - 125) / 90.0;
        return fractalNoise(x, y, 70, 5, 171) - 0.35 * (dx * dx + dy * dy) + 0.05;
    };
    shade(image, whole, [&](double x, double y) {
        const double paper = fractalNoise(x, y, 30, 4, 172);
        const double h = land(x, y);
        const double edge = std::max(std::abs(x - 120), std::abs(y - 120)) / 120.0;
        const double age = 1 - 0.35 * std::pow(edge, 4);
        if (h < 0.25) {
            const double hatch = (int(x + y * 0.2) % 5 == 0 && h > 0.17) ? 0.85 : 1.0;
            return scaled(QColor(150 + int(40 * paper), 180 + int(30 * paper), 175 + int(20 * paper)), age * hatch);
        }
        const double contour = std::fmod(h * 30, 1.0) < 0.12 ? 0.8 : 1.0;
        const QColor ground = mix(QColor(200, 185, 120), QColor(140, 150, 80), std::min(1.0, (h - 0.25) * 4));
        return scaled(mix(ground, QColor(150, 110, 70), std::max(0.0, (h - 0.45) * 3)), (0.85 + 0.2 * paper) * age * contour);
    });
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(120, 90, 60, 90), 1));
    for (int i = 30; i < 240; i += 30) {
        p.drawLine(i, 0, i, 240);
        p.drawLine(0, i, 240, i);
    }
    Random random(173);
    p.setPen(QPen(QColor(80, 60, 40), 1.5));
    p.setBrush(QColor(170, 140, 100));
    for (int i = 0; i < 200; ++i) {
        const int x = 20 + random.below(200), y = 20 + random.below(200);
        if (land(x, y) > 0.5)
            p.drawPolygon(QPolygonF({QPointF(x - 6, y + 4), QPointF(x, y - 6), QPointF(x + 6, y + 4)}));
    }
    p.setPen(QPen(QColor(150, 40, 30), 1.5, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    QPainterPath trail;
    trail.moveTo(60, 150);
    trail.cubicTo(90, 110, 130, 170, 160, 110);
    p.drawPath(trail);
    p.setPen(QPen(QColor(170, 30, 20), 3));
    p.drawLine(QPointF(154, 104), QPointF(166, 116));
    p.drawLine(QPointF(166, 104), QPointF(154, 116));
    p.save();
    p.translate(205, 205);
    p.setPen(QPen(QColor(70, 50, 30), 1));
    p.setBrush(QColor(240, 225, 180, 200));
    p.drawEllipse(QPointF(0, 0), 20, 20);
    for (int i = 0; i < 8; ++i) {
        const double a = i * pi / 4, r = i % 2 ? 10 : 18;
        const QPointF tip(std::cos(a) * r, std::sin(a) * r), side(-std::sin(a) * 3, std::cos(a) * 3);
        p.setBrush(i == 6 ? QColor(170, 30, 20) : QColor(70, 50, 30));
        p.drawPolygon(QPolygonF({tip, side, -side}));
    }
    p.restore();
    p.setPen(QPen(QColor(60, 80, 90), 1.2));
    for (int i = 0; i < 14; ++i) {
        const QPointF at(random.range(10, 230), random.range(10, 230));
        if (land(int(at.x()), int(at.y())) < 0.15)
            p.drawArc(QRectF(at, QSizeF(8, 4)), 0, 180 * 16);
    }
    return image;
}

}  // namespace

QImage puzzlePicture(int index, int scale)
{
    static const std::function<QImage(int)> painters[] = {
        mountainLake, harbour, skyline, reef, planets, flowerField, balloons, lighthouse,
        castle, island, roseWindow, stillLife, birdOnBranch, carousel, treasureMap,
    };
    QImage image = painters[index](scale);
    addGrain(image, 5, 5, 3.5, std::uint32_t(200 + index));
    return image.convertToFormat(QImage::Format_RGB888);
}

}  // namespace morvik::assetgen
