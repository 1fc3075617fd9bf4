#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

#include <cstdint>
#include <functional>

namespace morvik::assetgen {

// A small deterministic generator (xorshift64*), so that every build draws the same pictures.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    std::uint64_t next()
    {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return state_ * 0x2545F4914F6CDD1Dull;
    }
    double uniform() { return double(next() >> 11) / double(1ull << 53); }
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    int below(int n) { return int(next() % std::uint64_t(n)); }

private:
    std::uint64_t state_;
};

// Every picture is drawn in its design's pixels, the logical coordinates, onto an image of
// `scale` device pixels to each of them: at a scale of 2 the same drawing shows twice the detail.
// A QPainter on the canvas draws in logical coordinates by the canvas's device pixel ratio.
QImage canvas(int width, int height, int scale);
// The logical coordinate of the centre of a device pixel; a whole pixel's own at a scale of 1.
inline double logical(int device, int scale) { return (device + 0.5) / scale - 0.5; }

// Sets every device pixel of the logical `area` from a function of the logical position of its
// centre; at a scale of 1 those are the pixel's own whole coordinates.
void shade(QImage &image, const QRect &area, const std::function<QRgb(double x, double y)> &colour);
// The device pixel that a logical position falls in.
QRgb pixelAt(const QImage &image, double x, double y);

// Smooth value noise in [0, 1] with the given lattice period in pixels.
double valueNoise(double x, double y, double period, std::uint32_t seed);
// Sum of `octaves` layers of value noise, each twice as fine and half as strong; in [0, 1].
double fractalNoise(double x, double y, double period, int octaves, std::uint32_t seed);

// Gives the picture the look of paint on paper: a mottled wash, the tooth of the paper and a
// fine speckle, each of the given standard deviation, brighten and darken every pixel.
void addGrain(QImage &image, double wash, double tooth, double speckle, std::uint32_t seed);

QColor mix(const QColor &a, const QColor &b, double t);

// Draws `text` so that the ink of every glyph (any pixel it touches) lies inside `box`,
// at the largest pixel size that fits, its ink centred in the box.
void drawFittedText(QPainter &painter, const QString &text, QFont font, const QRect &box,
                    const QColor &colour);

}  // namespace morvik::assetgen
