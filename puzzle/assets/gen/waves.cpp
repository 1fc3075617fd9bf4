// The four sound effects, synthesised sample by sample.
#include "generators.h"
#include "paint.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace morvik::assetgen {

namespace {

constexpr int rate = 44100;
constexpr double pi = std::numbers::pi;

struct Stereo {
    std::vector<double> left, right;
    explicit Stereo(double seconds) : left(std::size_t(seconds * rate)), right(left.size()) {}
    std::size_t size() const { return left.size(); }
};

// Scales the sound to a peak of -3 dBFS, fades both ends over five milliseconds and
// stores it as a 16-bit stereo wave file.
QByteArray toWave(Stereo sound)
{
    double peak = 0;
    for (std::size_t i = 0; i < sound.size(); ++i)
        peak = std::max({peak, std::abs(sound.left[i]), std::abs(sound.right[i])});
    const double gain = std::pow(10.0, -3.0 / 20.0) / peak;
    const std::size_t fade = rate * 5 / 1000;
    QByteArray data;
    for (std::size_t i = 0; i < sound.size(); ++i) {
        const double edge = std::min({1.0, double(i) / fade, double(sound.size() - 1 - i) / fade});
        for (double v : {sound.left[i], sound.right[i]}) {
            const auto sample = qint16(std::lround(v * gain * edge * 32767));
            data.append(reinterpret_cast<const char *>(&sample), 2);
        }
    }
    QByteArray wave;
    const auto u32 = [&wave](quint32 v) { v = qToLittleEndian(v); wave.append(reinterpret_cast<const char *>(&v), 4); };
    const auto u16 = [&wave](quint16 v) { v = qToLittleEndian(v); wave.append(reinterpret_cast<const char *>(&v), 2); };
    wave.append("RIFF");
    u32(quint32(36 + data.size()));
    wave.append("WAVEfmt ");
    u32(16);
    u16(1);
    u16(2);
    u32(rate);
    u32(rate * 4);
    u16(4);
    u16(16);
    wave.append("data");
    u32(quint32(data.size()));
    return wave + data;
}

// A bell-like tone: a few inharmonic partials, each dying away at its own pace.
double bell(double t, double frequency)
{
    if (t < 0)
        return 0;
    const double attack = std::min(1.0, t / 0.002);
    return attack * (std::sin(2 * pi * frequency * t) * std::exp(-t * 6)
                     + 0.5 * std::sin(2 * pi * frequency * 2.76 * t) * std::exp(-t * 12)
                     + 0.25 * std::sin(2 * pi * frequency * 5.4 * t) * std::exp(-t * 20));
}

// A brass-like note: harmonics that brighten as the note swells, with a slow vibrato.
double brass(double t, double frequency, double length)
{
    if (t < 0 || t > length)
        return 0;
    const double swell = std::min(1.0, t / 0.04) * std::min(1.0, (length - t) / 0.08);
    const double vibrato = 1 + 0.004 * std::sin(2 * pi * 5.5 * t) * std::min(1.0, t / 0.3);
    double sum = 0;
    for (int h = 1; h <= 8; ++h)
        sum += std::sin(2 * pi * frequency * vibrato * h * t) / (h * (1.2 - 0.4 * std::min(1.0, t / 0.1)));
    return swell * sum;
}

}  // namespace

QByteArray moveWave()
{
    // A soft slide: noise through a low-pass filter that opens and closes, under a gliding hum.
    Stereo sound(0.12);
    Random random(21);
    double low = 0, lower = 0;
    for (std::size_t i = 0; i < sound.size(); ++i) {
        const double t = double(i) / rate, shape = std::sin(pi * t / 0.12);
        const double cutoff = 0.02 + 0.10 * shape;
        low += cutoff * (random.range(-1, 1) - low);
        lower += cutoff * (low - lower);
        const double hum = 0.3 * std::sin(2 * pi * (180 * t + 400 * t * t));
        const double v = shape * shape * (lower * 4 + hum);
        sound.left[i] = v * (0.8 + 0.4 * t / 0.12);
        sound.right[i] = v * (1.2 - 0.4 * t / 0.12);
    }
    return toWave(sound);
}

QByteArray pickAndPutWave()
{
    // A click and a thunk: a bright tick, then a low body whose pitch drops as it dies.
    // Both begin just after the fade-in.
    Stereo sound(0.16);
    Random random(5);
    double phase = 0;
    for (std::size_t i = 0; i < sound.size(); ++i) {
        const double t = double(i) / rate - 0.006;
        if (t < 0)
            continue;
        const double click = random.range(-1, 1) * std::exp(-t * 900) + std::sin(2 * pi * 2400 * t) * std::exp(-t * 500);
        phase += 2 * pi * (90 + 80 * std::exp(-t * 40)) / rate;
        const double thunk = std::sin(phase) * std::min(1.0, t / 0.003) * std::exp(-t * 28);
        const double wood = 0.35 * std::sin(2 * pi * 430 * t) * std::exp(-t * 60);
        const double v = 0.5 * click + thunk + wood;
        sound.left[i] = v;
        sound.right[i] = v;
    }
    return toWave(sound);
}

QByteArray correctPieceWave()
{
    // A bright chime: two bell strokes a fifth apart, the second a little to the right.
    Stereo sound(0.45);
    for (std::size_t i = 0; i < sound.size(); ++i) {
        const double t = double(i) / rate;
        const double first = bell(t, 1046.5), second = bell(t - 0.07, 1568.0);
        sound.left[i] = first + 0.7 * second;
        sound.right[i] = 0.8 * first + second;
    }
    return toWave(sound);
}

QByteArray completionWave()
{
    // A fanfare: a rising call on the notes of the major chord, then the full chord held.
    struct Note {
        double start, length, frequency, pan;
    };
    const Note notes[] = {
        {0.00, 0.14, 392.00, 0.5}, {0.15, 0.14, 523.25, 0.4}, {0.30, 0.14, 659.25, 0.6},
        {0.45, 0.22, 783.99, 0.5}, {0.70, 1.60, 523.25, 0.3}, {0.70, 1.60, 659.25, 0.7},
        {0.70, 1.60, 783.99, 0.5}, {0.70, 1.60, 261.63, 0.5},
    };
    Stereo sound(2.35);
    for (std::size_t i = 0; i < sound.size(); ++i) {
        const double t = double(i) / rate;
        for (const Note &n : notes) {
            const double v = brass(t - n.start, n.frequency, n.length);
            sound.left[i] += v * (1 - n.pan);
            sound.right[i] += v * n.pan;
        }
    }
    return toWave(sound);
}

}  // namespace morvik::assetgen
