#include "paint.h"

#include <algorithm>
#include <cmath>

namespace morvik::assetgen {

namespace {

double lattice(int x, int y, std::uint32_t seed)
{
    std::uint32_t h = std::uint32_t(x) * 374761393u + std::uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return double(h & 0xFFFFFF) / double(0xFFFFFF);
}

double smooth(double t) { return t * t * (3 - 2 * t); }

QRect inkBounds(const QImage &layer)
{
    int left = layer.width(), top = layer.height(), right = -1, bottom = -1;
    for (int y = 0; y < layer.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(layer.constScanLine(y));
        for (int x = 0; x < layer.width(); ++x) {
            if (qAlpha(line[x]) == 0)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

QImage textLayer(const QString &text, const QFont &font, const QColor &colour)
{
    const int size = font.pixelSize();
    QImage layer(size * (text.size() + 4), size * 3, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    QPainter p(&layer);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(QPointF(size, size * 2), text);
    return layer;
}

}  // namespace

QImage canvas(int width, int height, int scale)
{
    QImage image(width * scale, height * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    return image;
}

void shade(QImage &image, const QRect &area, const std::function<QRgb(double, double)> &colour)
{
    const int scale = int(image.devicePixelRatio());
    for (int y = area.top() * scale; y < (area.bottom() + 1) * scale; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = area.left() * scale; x < (area.right() + 1) * scale; ++x)
            line[x] = colour(logical(x, scale), logical(y, scale));
    }
}

QRgb pixelAt(const QImage &image, double x, double y)
{
    const double scale = image.devicePixelRatio(), centre = (scale - 1) / 2;
    return image.pixel(int(x * scale + centre), int(y * scale + centre));
}

double valueNoise(double x, double y, double period, std::uint32_t seed)
{
    const double fx = x / period, fy = y / period;
    const int ix = int(std::floor(fx)), iy = int(std::floor(fy));
    const double tx = smooth(fx - ix), ty = smooth(fy - iy);
    const double top = lattice(ix, iy, seed) * (1 - tx) + lattice(ix + 1, iy, seed) * tx;
    const double bottom = lattice(ix, iy + 1, seed) * (1 - tx) + lattice(ix + 1, iy + 1, seed) * tx;
    return top * (1 - ty) + bottom * ty;
}

double fractalNoise(double x, double y, double period, int octaves, std::uint32_t seed)
{
    double sum = 0, weight = 1, total = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += weight * valueNoise(x, y, period, seed + std::uint32_t(i) * 101u);
        total += weight;
        weight *= 0.5;
        period *= 0.5;
    }
    return sum / total;
}

void addGrain(QImage &image, double wash, double tooth, double speckle, std::uint32_t seed)
{
    Random random(seed);
    const int scale = int(image.devicePixelRatio());
    // Value noise spreads about 0.2 around its middle; uniform noise on [-1.73, 1.73] has a
    // standard deviation of one.
    constexpr double noiseSpread = 0.2, unitUniform = 1.732;
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const double ly = logical(y, scale);
        for (int x = 0; x < image.width(); ++x) {
            const double lx = logical(x, scale);
            const double n = (valueNoise(lx, ly, 36, seed) - 0.5) / noiseSpread * wash
                             + (valueNoise(lx, ly, 2.5, seed + 1) - 0.5) / noiseSpread * tooth
                             + random.range(-unitUniform, unitUniform) * speckle;
            const auto shift = [n](int c) { return std::clamp(int(std::lround(c + n)), 0, 255); };
            line[x] = qRgb(shift(qRed(line[x])), shift(qGreen(line[x])), shift(qBlue(line[x])));
        }
    }
}

QColor mix(const QColor &a, const QColor &b, double t)
{
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                            float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

void drawFittedText(QPainter &painter, const QString &text, QFont font, const QRect &box,
                    const QColor &colour)
{
    // Fitted in device pixels, so that a finer canvas gets finer letters.
    const int scale = int(painter.device()->devicePixelRatio());
    const QRect device(box.topLeft() * scale, box.size() * scale);
    for (int size = device.height() * 2; size > 4; --size) {
        font.setPixelSize(size);
        QImage layer = textLayer(text, font, colour);
        const QRect ink = inkBounds(layer);
        if (ink.width() > device.width() || ink.height() > device.height())
            continue;
        const QPoint at(device.left() + (device.width() - ink.width()) / 2,
                        device.top() + (device.height() - ink.height()) / 2);
        layer.setDevicePixelRatio(scale);
        painter.drawImage(QPointF(at) / scale, layer, ink);
        return;
    }
}

}  // namespace morvik::assetgen
