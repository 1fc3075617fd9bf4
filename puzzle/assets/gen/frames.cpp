// The title banner: "Morvik" in waving letters under a light that sweeps across, drawn at
// sixteen evenly spaced phases of one cycle so that the last frame flows into the first.
#include "generators.h"
#include "paint.h"

#include <QLinearGradient>
#include <QPainterPath>

#include <cmath>
#include <numbers>

namespace morvik::assetgen {

QImage animationFrame(int index, int scale)
{
    constexpr int width = 266, height = 74;
    const double phase = index / 16.0;
    const double turn = 2 * std::numbers::pi * phase;

    QImage image = canvas(width, height, scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0, QColor(34, 26, 74));
    sky.setColorAt(1, QColor(92, 36, 96));
    p.fillRect(QRect(0, 0, width, height), sky);
    // Drifting sparkles: each moves a whole number of periods per cycle.
    Random random(7);
    for (int i = 0; i < 40; ++i) {
        const double x = std::fmod(random.range(0, width) + width * phase * (1 + i % 2), width);
        const double y = random.range(3, height - 3);
        const double twinkle = 0.5 + 0.5 * std::sin(turn * (1 + i % 3) + i);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 240, 200, int(60 + 150 * twinkle)));
        p.drawEllipse(QPointF(x, y), 0.8 + 0.6 * twinkle, 0.8 + 0.6 * twinkle);
    }
    p.setPen(QPen(QColor(240, 200, 120), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(2, 2, width - 4, height - 4), 10, 10);

    QFont font("Liberation Serif");
    font.setBold(true);
    font.setPixelSize(50);
    const QString title = "Morvik";
    const QFontMetricsF metrics(font);
    double x = (width - metrics.horizontalAdvance(title)) / 2;
    for (int i = 0; i < title.size(); ++i) {
        const double lift = 5 * std::sin(turn - i * 0.9);
        QPainterPath letter;
        letter.addText(QPointF(x, 54 + lift), font, title.mid(i, 1));
        x += metrics.horizontalAdvance(title[i]);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 110));
        p.drawPath(letter.translated(2, 3));
        // The light: a bright band whose centre travels once across the banner per cycle.
        const double centre = -60 + 400 * phase;
        QLinearGradient gold(centre - 200, 0, centre + 200, 0);
        gold.setSpread(QGradient::RepeatSpread);
        gold.setColorAt(0.0, QColor(214, 150, 40));
        gold.setColorAt(0.42, QColor(236, 186, 70));
        gold.setColorAt(0.5, QColor(255, 250, 210));
        gold.setColorAt(0.58, QColor(236, 186, 70));
        gold.setColorAt(1.0, QColor(214, 150, 40));
        p.setBrush(gold);
        p.setPen(QPen(QColor(90, 40, 20), 1.5));
        p.drawPath(letter);
    }
    p.end();
    return image.convertToFormat(QImage::Format_RGB888);
}

}  // namespace morvik::assetgen
