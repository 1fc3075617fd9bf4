// The instruments of the background song as a SoundFont 2 file: flute, electric piano, acoustic
// bass, string ensemble and the six drums of the song's kit, each synthesised here. Around them, so
// that any General MIDI song sounds as it means to, a voice for each of the other families of
// programs and a sound for every key of the General MIDI percussion map, 35 to 81. Those are kept
// small: 22.05 kHz (the synth's own rate), short loops, and one sample shared by the drums of a
// kind at their different pitches.
//
// A pitched sample is an attack followed by a loop that holds a whole number of periods, so the
// loop closes on itself without a seam; whatever is not periodic (a pluck, a hammer, breath) dies
// away within the attack. Each instrument has a sample every seven keys, so no note of the song
// is shifted by more than four semitones. Drums are one-shot samples that fade to silence.
#include "generators.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <numbers>
#include <span>
#include <vector>

namespace morvik::assetgen {

namespace {

constexpr double pi = std::numbers::pi;
constexpr int rate = 44100;

double frequency(int key) { return 440.0 * std::pow(2.0, (key - 69) / 12.0); }

// A small fixed-seed noise source, so the file is the same on every run.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state_(seed) {}
    double next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_ / 2147483648.0 - 1.0;
    }

private:
    std::uint32_t state_;
};

// A second-order filter (the audio cookbook's low-, high- and band-pass).
class Filter {
public:
    enum Kind { LowPass, HighPass, BandPass };
    Filter(Kind kind, double hz, double q, int sampleRate = rate)
    {
        const double w = 2 * pi * hz / sampleRate, alpha = std::sin(w) / (2 * q), c = std::cos(w);
        const double a0 = 1 + alpha;
        switch (kind) {
        case LowPass: b_[0] = b_[2] = (1 - c) / 2, b_[1] = 1 - c; break;
        case HighPass: b_[0] = b_[2] = (1 + c) / 2, b_[1] = -(1 + c); break;
        case BandPass: b_[0] = alpha, b_[1] = 0, b_[2] = -alpha; break;
        }
        for (double &b : b_)
            b /= a0;
        a_[0] = -2 * c / a0;
        a_[1] = (1 - alpha) / a0;
    }
    double operator()(double x)
    {
        const double y = b_[0] * x + b_[1] * x1_ + b_[2] * x2_ - a_[0] * y1_ - a_[1] * y2_;
        x2_ = x1_, x1_ = x, y2_ = y1_, y1_ = y;
        return y;
    }

private:
    double b_[3] = {}, a_[2] = {};
    double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

struct Sample {
    QByteArray name;
    std::vector<double> pcm;
    int sampleRate = rate;
    int root = 60;
    int loopStart = 0, loopEnd = 0;  // loopEnd == 0: played once
};

// The steady sound of a pitched sample: harmonic amplitudes (index 0 is the fundamental).
using Spectrum = std::vector<double>;
// What dies away within the attack, given the time in seconds and the fundamental's phase in
// cycles; it is faded out smoothly by the end of the attack.
using Transient = std::function<double(double t, double phase)>;

// Noise that repeats every `length` samples: white noise through a band-pass filter run round
// the loop twice, so the filter's state at the start matches its state at the end.
std::vector<double> loopedNoise(int length, double hz, double q, std::uint32_t seed, int sampleRate = rate)
{
    Noise noise(seed);
    std::vector<double> white(static_cast<std::size_t>(length)), out(white.size());
    for (double &v : white)
        v = noise.next();
    Filter band(Filter::BandPass, hz, q, sampleRate);
    for (int i = 0; i < 2 * length; ++i) {
        const double v = band(white[std::size_t(i % length)]);
        if (i >= length)
            out[std::size_t(i - length)] = v;
    }
    return out;
}

// Steady breath or bow noise under a pitched sample.
struct Air {
    double level = 0, hz = 1000, q = 1;
};

// A pitched sample at `root`: `attack` seconds, then a loop of at least `minLoop` seconds. The
// loop holds k periods in L samples, with the smallest k for which k * rate / L is within half a
// cent of the note, and the sound is written on past the loop end for the synth's interpolation.
Sample pitched(const QByteArray &name, int root, double attack, double minLoop, const Spectrum &steady,
               const Transient &transient, Air air = {}, int sampleRate = rate)
{
    const double target = frequency(root);
    int periods = 1, loop = 0;
    for (;; ++periods) {
        loop = int(std::lround(periods * sampleRate / target));
        if (loop >= minLoop * sampleRate && std::abs(1200 * std::log2(periods * sampleRate / double(loop) / target)) < 0.5)
            break;
    }
    const double f = periods * double(sampleRate) / loop;
    const int start = int(std::lround(attack * sampleRate));
    const std::vector<double> breath = loopedNoise(loop, std::min({air.hz, 12000.0, 0.45 * sampleRate}), air.q,
                                                   std::uint32_t(root * 7919 + name.size()), sampleRate);
    Sample s{name, std::vector<double>(std::size_t(start + loop + 16)), sampleRate, root, start, start + loop};
    const int fadeIn = sampleRate / 1000;
    const double highest = std::min(16000.0, 0.45 * sampleRate);
    for (std::size_t n = 0; n < s.pcm.size(); ++n) {
        const double t = double(n) / sampleRate, phase = f * t;
        double v = air.level * breath[std::size_t((int(n) - start + 64 * loop) % loop)];
        // Schroeder's phases keep a rich spectrum from piling up into sharp edges.
        for (std::size_t h = 0; h < steady.size(); ++h)
            if ((h + 1) * f < highest)
                v += steady[h] * std::sin(2 * pi * double(h + 1) * phase + pi * double(h * h) / double(steady.size()));
        if (int(n) < start)
            v += transient(t, phase) * 0.5 * (1 + std::cos(pi * double(n) / start));
        s.pcm[n] = v * std::min(1.0, double(n) / fadeIn);
    }
    return s;
}

// One sample per root; the roots are the middles of the key ranges.
std::vector<Sample> pitchedSet(const QByteArray &name, const std::vector<int> &roots,
                               const std::function<Sample(const QByteArray &, int)> &make)
{
    std::vector<Sample> set;
    for (int root : roots)
        set.push_back(make(name + QByteArray::number(root), root));
    return set;
}

std::vector<Sample> flute()
{
    return pitchedSet("flute", {62, 69, 76, 83}, [](const QByteArray &name, int root) {
        // The chiff as the note speaks: a burst of breath and a touch of the octave.
        auto chiff = std::make_shared<Filter>(Filter::BandPass, std::min(4 * frequency(root), 9000.0), 1.5);
        auto noise = std::make_shared<Noise>(std::uint32_t(root * 104729));
        const Spectrum tone = {1.0,   0.4,   0.2,   0.11,  0.07,  0.045, 0.03,   0.02,
                               0.014, 0.01,  0.007, 0.005, 0.004, 0.003, 0.0025, 0.002};
        return pitched(
            name, root, 0.12, 0.2, tone,
            [=](double t, double phase) {
                return 0.2 * (*chiff)(noise->next()) * std::exp(-t / 0.04)
                       + 0.25 * std::exp(-t / 0.04) * std::sin(2 * pi * 2 * phase);
            },
            {0.07, 3 * frequency(root), 0.8});
    });
}

std::vector<Sample> electricPiano()
{
    return pitchedSet("epiano", {48, 55, 62, 69, 76}, [](const QByteArray &name, int root) {
        const double f = frequency(root);
        return pitched(name, root, 0.2, 0.04, {1.0, 0.16, 0.05, 0.018, 0.006, 0.004, 0.006},
                       [f](double t, double phase) {
                           // The hammer on the tine: bright harmonics and a high bell partial.
                           double v = std::exp(-t / 0.09)
                                      * (0.45 * std::sin(2 * pi * 2 * phase) + 0.22 * std::sin(2 * pi * 3 * phase)
                                         + 0.1 * std::sin(2 * pi * 5 * phase));
                           if (f * 7.1 < 15000)
                               v += 0.12 * std::exp(-t / 0.05) * std::sin(2 * pi * 7.1 * phase);
                           return v;
                       });
    });
}

std::vector<Sample> acousticBass()
{
    return pitchedSet("bass", {36, 43, 50, 57}, [](const QByteArray &name, int root) {
        auto thump = std::make_shared<Filter>(Filter::LowPass, 300, 0.7);
        auto noise = std::make_shared<Noise>(std::uint32_t(root * 104729));
        return pitched(name, root, 0.25, 0.05, {1.0, 0.6, 0.35, 0.2, 0.12, 0.07, 0.04, 0.025},
                       [=](double t, double phase) {
                           // The pluck: the upper harmonics ring briefly, the higher the shorter.
                           double v = 0;
                           for (int h = 2; h <= 14; ++h)
                               v += 0.5 / h * std::exp(-t * h / 0.12) * std::sin(2 * pi * h * phase);
                           return v + 0.5 * (*thump)(noise->next()) * std::exp(-t / 0.012);
                       });
    });
}

std::vector<Sample> strings()
{
    // A band-limited saw with its highs rounded off; the ensemble comes from two detuned layers.
    return pitchedSet("strings", {55, 62, 69, 76, 83}, [](const QByteArray &name, int root) {
        const double f = frequency(root);
        Spectrum saw;
        for (int h = 1; h * f < 12000; ++h)
            saw.push_back(1.0 / h / (1 + std::pow(h * f / 2500, 2)));
        return pitched(name, root, 0.01, 0.08, saw, [](double, double) { return 0.0; });
    });
}

// --- The other families of General MIDI programs ---
//
// Each a voice of its own character, sampled at the synth's rate every octave and a half of the
// family's range, with loops of a few hundredths of a second: together they cost less than one of
// the song's instruments.

constexpr int small = 22050;

// A family's samples: `tone` gives the steady spectrum at a fundamental, `strike` what dies away
// within the attack, with the fundamental as its third argument.
std::vector<Sample> family(const QByteArray &name, const std::vector<int> &roots, double attack,
                           const std::function<Spectrum(double)> &tone,
                           const std::function<double(double, double, double)> &strike, Air air = {})
{
    return pitchedSet(name, roots, [=](const QByteArray &sampleName, int root) {
        const double f = frequency(root);
        Air rooted = air;
        rooted.hz *= air.hz < 20 ? f : 1;  // below 20: a multiple of the fundamental
        return pitched(sampleName, root, attack, 0.03, tone(f),
                       [=](double t, double phase) { return strike(t, phase, f); }, rooted, small);
    });
}

// Harmonics falling as 1 / h^slope, with their highs rounded off above `corner` Hz.
Spectrum harmonics(double f, double slope, double corner, bool oddOnly = false)
{
    Spectrum out;
    for (int h = 1; h * f < 0.45 * small && h <= 40; ++h)
        out.push_back(oddOnly && h % 2 == 0 ? 0.04 / h : 1.0 / std::pow(h, slope) / (1 + std::pow(h * f / corner, 2)));
    return out;
}

double none(double, double, double) { return 0; }

std::vector<Sample> piano()
{
    // A hammer's thud and the slightly sharp upper partials of stiff strings, dying away.
    return family("piano", {45, 60, 75}, 0.25, [](double f) { return harmonics(f, 1.1, 3000); },
                  [](double t, double phase, double f) {
                      double v = 0;
                      for (int h = 2; h <= 9 && h * f < 9000; ++h)
                          v += 0.35 / h * std::exp(-t * h / 0.3) * std::sin(2 * pi * h * 1.002 * phase);
                      return v;
                  });
}

std::vector<Sample> chromaticPercussion()
{
    // Struck metal bars: a pure tone under inharmonic partials that ring only briefly.
    return family("mallets", {60, 72, 84}, 0.3, [](double) { return Spectrum{1.0, 0.0, 0.0, 0.12}; },
                  [](double t, double phase, double f) {
                      double v = 0;
                      for (const auto &[ratio, level] : {std::pair(2.76, 0.6), std::pair(5.40, 0.4), std::pair(8.93, 0.25)})
                          if (ratio * f < 10000)
                              v += level * std::exp(-t / 0.06) * std::sin(2 * pi * ratio * phase);
                      return v;
                  });
}

std::vector<Sample> organ()
{
    // Drawbars drawn out less and less above the fundamental: steady from the first cycle.
    return family("organ", {48, 63, 78}, 0.01, [](double) { return Spectrum{1.0, 0.35, 0.2, 0.12, 0.0, 0.08, 0.0, 0.05}; }, none);
}

std::vector<Sample> guitar()
{
    return family("guitar", {43, 57, 71}, 0.3, [](double f) { return harmonics(f, 1.3, 2500); },
                  [](double t, double phase, double f) {
                      double v = 0;
                      for (int h = 2; h <= 16 && h * f < 9000; ++h)
                          v += 0.5 / h * std::exp(-t * h / 0.25) * std::sin(2 * pi * h * phase);
                      return v;
                  });
}

std::vector<Sample> soloStrings()
{
    // One bowed string: brighter than the ensemble, with the rasp of the bow.
    return family("violin", {55, 69, 83}, 0.02, [](double f) { return harmonics(f, 1.0, 4500); }, none, {0.04, 4, 1});
}

std::vector<Sample> brass()
{
    return family("brass", {48, 62, 76}, 0.06, [](double f) { return harmonics(f, 0.6, 1800); },
                  [](double t, double phase, double) { return 0.3 * std::exp(-t / 0.02) * std::sin(2 * pi * 3 * phase); });
}

std::vector<Sample> reed()
{
    // Mostly odd harmonics, like a closed pipe, with breath through the reed.
    return family("reed", {50, 64, 78}, 0.01, [](double f) { return harmonics(f, 0.9, 3000, true); }, none, {0.05, 5, 1.2});
}

std::vector<Sample> synthLead()
{
    // A plain sawtooth, as bright as the synth's rate allows.
    return family("lead", {55, 69, 83}, 0.01, [](double f) { return harmonics(f, 1.0, 20000); }, none);
}

std::vector<Sample> synthPad()
{
    return family("pad", {48, 62, 76}, 0.01, [](double f) { return harmonics(f, 2.0, 1200); }, none);
}

std::vector<Sample> synthEffects()
{
    // Glassy: the 1st, 5th, 9th, 13th and 17th harmonics, over a breath of high noise.
    Spectrum glass(17, 0.0);
    for (const auto &[h, level] : {std::pair(1, 0.4), std::pair(5, 0.5), std::pair(9, 0.6), std::pair(13, 0.5), std::pair(17, 0.4)})
        glass[std::size_t(h - 1)] = level;
    return family("effects", {55, 69, 83}, 0.01, [=](double) { return glass; }, none, {0.15, 7, 2});
}

std::vector<Sample> ethnic()
{
    // A sitar's buzz: many strong harmonics that die away fast.
    return family("sitar", {50, 64, 78}, 0.35, [](double f) { return harmonics(f, 0.4, 6000); },
                  [](double t, double phase, double f) {
                      double v = 0;
                      for (int h = 3; h <= 24 && h * f < 10000; ++h)
                          v += 0.3 * std::exp(-t / 0.12) * std::sin(2 * pi * h * phase);
                      return v;
                  });
}

std::vector<Sample> percussive()
{
    // A steel pan or a melodic drum: a low tone with a short metallic strike.
    return family("steel", {48, 62, 76}, 0.15, [](double) { return Spectrum{1.0, 0.3}; },
                  [](double t, double phase, double f) {
                      return (f * 3.9 < 10000 ? 0.5 * std::sin(2 * pi * 3.9 * phase) : 0.0) * std::exp(-t / 0.03);
                  });
}

std::vector<Sample> soundEffects()
{
    // Breath, wind and sea: mostly noise, a hint of pitch.
    return family("noise", {48, 72}, 0.01, [](double) { return Spectrum{0.1}; }, none, {1.0, 2500, 0.7});
}

// A one-shot drum sample at `key`, `seconds` long, whose end fades to silence.
Sample drum(const QByteArray &name, int key, double seconds, int sampleRate, const std::function<double(double)> &sound)
{
    Sample s{name, std::vector<double>(std::size_t(seconds * sampleRate)), sampleRate, key};
    const std::size_t fadeIn = std::size_t(sampleRate / 2000), fadeOut = s.pcm.size() / 5;
    for (std::size_t n = 0; n < s.pcm.size(); ++n) {
        const double in = std::min(1.0, double(n) / fadeIn);
        const double out = std::min(1.0, double(s.pcm.size() - 1 - n) / fadeOut);
        s.pcm[n] = sound(double(n) / sampleRate) * in * out * out;
    }
    return s;
}

// Metal: a few inharmonic square waves, the way drum machines make cymbals.
double metal(double t, double base)
{
    static const double ratios[] = {1.0, 1.4471, 1.6170, 1.9265, 2.5028, 2.6637};
    double v = 0;
    for (double r : ratios)
        v += std::sin(2 * pi * base * r * t) > 0 ? 1 : -1;
    return v / 6;
}

std::vector<Sample> drums()
{
    std::vector<Sample> kit;
    {
        Noise noise(11);
        Filter click(Filter::BandPass, 3000, 1);
        double phase = 0;
        kit.push_back(drum("kick", 36, 0.4, rate, [&](double t) {
            phase += (48 + 100 * std::exp(-t / 0.03)) / rate;
            return std::sin(2 * pi * phase) * std::exp(-t / 0.12) + 0.3 * click(noise.next()) * std::exp(-t / 0.004);
        }));
    }
    {
        Noise noise(23);
        Filter body(Filter::BandPass, 1650, 6), wood(Filter::BandPass, 520, 5), crack(Filter::HighPass, 2500, 0.7);
        kit.push_back(drum("side stick", 37, 0.15, rate, [&](double t) {
            const double x = noise.next();
            return 2.2 * body(x) * std::exp(-t / 0.02) + 2.0 * wood(x) * std::exp(-t / 0.03)
                   + 0.5 * crack(x) * std::exp(-t / 0.004);
        }));
    }
    {
        Noise noise(37);
        Filter wires(Filter::BandPass, 4500, 0.6), snap(Filter::HighPass, 1200, 0.7);
        double phase = 0;
        kit.push_back(drum("snare", 38, 0.35, rate, [&](double t) {
            phase += (175 + 40 * std::exp(-t / 0.01)) / rate;
            const double x = noise.next();
            return 0.7 * std::sin(2 * pi * phase) * std::exp(-t / 0.05)
                   + 0.35 * std::sin(2 * pi * phase * 1.8) * std::exp(-t / 0.03)
                   + 0.9 * wires(x) * std::exp(-t / 0.09) + 0.4 * snap(x) * std::exp(-t / 0.015);
        }));
    }
    {
        Noise noise(41);
        Filter high(Filter::HighPass, 7000, 0.7), band(Filter::BandPass, 10000, 1.2);
        kit.push_back(drum("closed hi-hat", 42, 0.16, rate, [&](double t) {
            return (0.6 * band(metal(t, 410) + 0.6 * noise.next()) + 0.4 * high(noise.next())) * std::exp(-t / 0.028);
        }));
    }
    constexpr int cymbalRate = 32000;
    {
        // A wash of metal and noise, bright at first and darkening as it dies away.
        Noise noise(53);
        Filter metalBand(Filter::HighPass, 2200, 0.7, cymbalRate), air(Filter::HighPass, 5000, 0.7, cymbalRate);
        Filter body(Filter::BandPass, 3800, 0.9, cymbalRate);
        kit.push_back(drum("crash", 49, 1.6, cymbalRate, [&](double t) {
            const double m = metal(t, 540), x = noise.next();
            return (0.7 * metalBand(m) + 0.5 * body(m + 0.4 * x)) * std::exp(-t / 0.6)
                   + 0.45 * air(x) * std::exp(-t / 0.3);
        }));
    }
    {
        // The ride: the tick of the stick, the ring of the bow's partials and a quiet wash.
        Noise noise(67);
        Filter wash(Filter::HighPass, 3000, 0.7, cymbalRate), tick(Filter::HighPass, 4000, 0.7, cymbalRate);
        kit.push_back(drum("ride", 51, 1.3, cymbalRate, [&](double t) {
            static const double partials[][2] = {{1250, 0.3},  {2010, 0.26}, {2960, 0.2}, {3710, 0.16},
                                                 {5230, 0.12}, {6820, 0.1},  {8470, 0.08}};
            double ring = 0;
            for (const auto &[hz, level] : partials)
                ring += level * std::sin(2 * pi * hz * t) * std::exp(-t * hz / 4000);
            const double x = noise.next();
            return ring * std::exp(-t / 0.5) + 0.55 * wash(metal(t, 700) + 0.5 * x) * std::exp(-t / 0.45)
                   + 0.5 * tick(x) * std::exp(-t / 0.006);
        }));
    }
    return kit;
}

// The rest of the General MIDI percussion map: one sample for each kind of sound, which the kit
// plays at a pitch of each drum's own. Whatever holds nothing above 5 kHz is sampled at half the
// synth's rate; the kit's samples are all read as soon as a song selects it.
std::vector<Sample> percussion()
{
    constexpr int low = small / 2;
    std::vector<Sample> kit;
    {
        // Three hands a few milliseconds apart, then the room.
        Noise noise(71);
        Filter band(Filter::BandPass, 1200, 1.5, low);
        kit.push_back(drum("clap", 39, 0.25, low, [&](double t) {
            double hands = 0;
            for (double at : {0.0, 0.011, 0.023})
                hands += t >= at ? std::exp(-(t - at) / 0.005) : 0.0;
            return 3.0 * band(noise.next()) * (hands + 0.4 * std::exp(-t / 0.08));
        }));
    }
    {
        Noise noise(73);
        Filter stick(Filter::BandPass, 2000, 1, low);
        double phase = 0;
        kit.push_back(drum("tom", 45, 0.45, low, [&](double t) {
            phase += 110 * (1 + 0.5 * std::exp(-t / 0.05)) / low;
            return std::sin(2 * pi * phase) * std::exp(-t / 0.2) + 0.3 * stick(noise.next()) * std::exp(-t / 0.01);
        }));
    }
    {
        Noise noise(79);
        Filter high(Filter::HighPass, 6000, 0.7, small), band(Filter::BandPass, 8000, 1.2, small);
        kit.push_back(drum("open hi-hat", 46, 0.55, small, [&](double t) {
            return (0.6 * band(metal(t, 410) + 0.6 * noise.next()) + 0.4 * high(noise.next())) * std::exp(-t / 0.25);
        }));
    }
    kit.push_back(drum("bell", 53, 0.45, small, [](double t) {
        double v = 0;
        for (const auto &[hz, level] : {std::pair(1480.0, 0.5), std::pair(2210.0, 0.35), std::pair(3840.0, 0.3), std::pair(5020.0, 0.2)})
            v += level * std::sin(2 * pi * hz * t) * std::exp(-t * hz / 2500);
        return v * std::exp(-t / 0.3);
    }));
    {
        // Jingles: bright noise in a shake of four quick strokes.
        Noise noise(83);
        Filter jingles(Filter::BandPass, 7000, 2, small);
        kit.push_back(drum("tambourine", 54, 0.3, small, [&](double t) {
            return 2.0 * jingles(noise.next() * (0.5 + 0.5 * std::sin(2 * pi * 28 * t))) * std::exp(-t / 0.1);
        }));
    }
    kit.push_back(drum("cowbell", 56, 0.3, small, [](double t) {
        const double v = (std::sin(2 * pi * 562 * t) > 0 ? 1 : -1) + (std::sin(2 * pi * 845 * t) > 0 ? 1 : -1);
        return 0.4 * v * (0.6 * std::exp(-t / 0.015) + 0.4 * std::exp(-t / 0.12));
    }));
    {
        // A hand on a skin: a tone that falls a little as it dies, over the slap.
        Noise noise(89);
        Filter slap(Filter::BandPass, 3000, 1, low);
        double phase = 0;
        kit.push_back(drum("skin", 62, 0.35, low, [&](double t) {
            phase += 290 * (1 + 0.15 * std::exp(-t / 0.03)) / low;
            return std::sin(2 * pi * phase) * std::exp(-t / 0.09) + 0.4 * slap(noise.next()) * std::exp(-t / 0.006);
        }));
    }
    kit.push_back(drum("agogo", 67, 0.4, low, [](double t) {
        return (0.7 * std::sin(2 * pi * 784 * t) + 0.3 * std::sin(2 * pi * 784 * 2.52 * t)) * std::exp(-t / 0.12);
    }));
    {
        Noise noise(97);
        Filter beads(Filter::HighPass, 5000, 0.7, small);
        kit.push_back(drum("shaker", 70, 0.15, small, [&](double t) {
            return beads(noise.next()) * std::min(1.0, t / 0.02) * std::exp(-t / 0.04);
        }));
    }
    {
        double phase = 0;
        kit.push_back(drum("whistle", 71, 0.35, low, [&](double t) {
            phase += 2350 * (1 + 0.02 * std::sin(2 * pi * 28 * t)) / low;
            return std::sin(2 * pi * phase) * std::min(1.0, t / 0.005);
        }));
    }
    {
        // A stick drawn over ridges: a train of little scrapes.
        Noise noise(101);
        Filter scrape(Filter::BandPass, 2500, 2, low);
        kit.push_back(drum("guiro", 73, 0.35, low, [&](double t) {
            const double ridge = std::fmod(t * 55, 1.0);
            const double stroke = ridge < 0.1 ? ridge / 0.1 : std::exp(-(ridge - 0.1) / 0.15);
            return 3.0 * scrape(noise.next()) * stroke;
        }));
    }
    kit.push_back(drum("block", 76, 0.1, low, [](double t) {
        return std::sin(2 * pi * 1150 * t) * std::exp(-t / 0.018) + 0.3 * std::sin(2 * pi * 2900 * t) * std::exp(-t / 0.008);
    }));
    {
        double phase = 0;
        kit.push_back(drum("cuica", 79, 0.35, low, [&](double t) {
            phase += (650 - 200 * std::min(1.0, t / 0.25)) / low;
            return (std::sin(2 * pi * phase) + 0.3 * std::sin(4 * pi * phase)) * std::min(1.0, t / 0.01) * std::exp(-t / 0.15);
        }));
    }
    kit.push_back(drum("triangle", 81, 0.7, small, [](double t) {
        double v = 0;
        for (const auto &[hz, level] : {std::pair(4100.0, 0.6), std::pair(6250.0, 0.3), std::pair(8470.0, 0.2)})
            v += level * std::sin(2 * pi * hz * t);
        return v * std::exp(-t / 0.5);
    }));
    return kit;
}

// Scales a set of samples by one factor, so that the loudest peak is at -1 dBFS and the samples
// of one instrument keep their levels relative to each other.
void normalise(std::span<Sample> set)
{
    double peak = 0;
    for (const Sample &s : set)
        for (double v : s.pcm)
            peak = std::max(peak, std::abs(v));
    for (Sample &s : set)
        for (double &v : s.pcm)
            v *= 0.89 / peak;
}

// --- The SoundFont 2 file ---

// The generators we set. Attenuations are in centibels as the file states them; FluidSynth, like
// the EMU hardware the format comes from, applies 40 % of that, and our levels are set by ear there.
enum Generator : quint16 {
    VibLfoToPitch = 6, ModLfoToVolume = 13, Pan = 17, DelayModLfo = 21, FreqModLfo = 22, DelayVibLfo = 23,
    FreqVibLfo = 24, AttackVolEnv = 34, HoldVolEnv = 35, DecayVolEnv = 36, SustainVolEnv = 37,
    ReleaseVolEnv = 38, KeynumToVolEnvDecay = 40, InstrumentId = 41, KeyRange = 43, InitialAttenuation = 48,
    FineTune = 52, SampleId = 53, SampleModes = 54, ExclusiveClass = 57, OverridingRootKey = 58,
};

// Seconds as timecents, the unit of envelope and LFO delay times.
qint16 timecents(double seconds) { return qint16(std::lround(1200 * std::log2(seconds))); }
// Hertz as absolute cents, the unit of LFO frequencies.
qint16 absoluteCents(double hz) { return qint16(std::lround(1200 * std::log2(hz / 8.176))); }

struct Envelope {
    double attack, hold, decay;
    int sustainCb;  // attenuation of the sustain level, in centibels
    double release;
};

struct Instrument {
    QByteArray name;
    struct Zone {
        int low, high, sample;
        std::vector<std::pair<Generator, qint16>> generators;
    };
    std::vector<Zone> zones;
};

struct Preset {
    QByteArray name;
    int program, bank, instrument;
};

// The instruments, in the order they are written.
enum InstrumentIndex {
    Flute, ElectricPiano, Bass, Strings, Kit, Piano, Mallets, Organ, Guitar, Violin, Brass, Reed, Lead, Pad,
    Effects, Sitar, Steel, Noises, SongKit,
};

// Every General MIDI program on the voice of its family, except the song's own four, which keep
// their instruments. FluidSynth plays the kit of bank 128 for any drum kit a song selects that a
// font lacks.
std::vector<Preset> generalMidiPresets()
{
    // Pianos, chromatic percussion, organs, guitars, basses, strings, ensembles, brass, reeds,
    // pipes, synth leads, synth pads, synth effects, ethnic, percussive, sound effects.
    constexpr InstrumentIndex byFamily[16] = {Piano, Mallets, Organ, Guitar, Bass, Violin, Strings, Brass,
                                           Reed, Flute, Lead, Pad, Effects, Sitar, Steel, Noises};
    const std::map<int, std::pair<QByteArray, InstrumentIndex>> songs = {{4, {"Electric Piano 1", ElectricPiano}},
                                                                      {32, {"Acoustic Bass", Bass}},
                                                                      {48, {"String Ensemble 1", Strings}},
                                                                      {73, {"Flute", Flute}}};
    std::vector<Preset> presets;
    for (int program = 0; program < 128; ++program) {
        const auto own = songs.find(program);
        if (own != songs.end())
            presets.push_back({own->second.first, program, 0, own->second.second});
        else
            presets.push_back({"Program " + QByteArray::number(program), program, 0, byFamily[program / 8]});
    }
    presets.push_back({"Standard", 0, 128, Kit});
    presets.push_back({"Song Kit", songKitProgram, 128, SongKit});
    return presets;
}

class Writer {
public:
    static void u16(QByteArray &out, quint16 v)
    {
        v = qToLittleEndian(v);
        out.append(reinterpret_cast<const char *>(&v), 2);
    }
    static void u32(QByteArray &out, quint32 v)
    {
        v = qToLittleEndian(v);
        out.append(reinterpret_cast<const char *>(&v), 4);
    }
    static void name(QByteArray &out, const QByteArray &text, int size = 20)
    {
        out.append(text.left(size - 1).leftJustified(size, '\0'));
    }
    static QByteArray chunk(const char *id, QByteArray data)
    {
        QByteArray out(id, 4);
        u32(out, quint32(data.size()));
        if (data.size() % 2)
            data.append('\0');
        return out + data;
    }
    static QByteArray list(const char *type, const QByteArray &chunks) { return chunk("LIST", type + chunks); }
    // A zero-terminated text, padded to an even size that the chunk's size counts.
    static QByteArray text(const char *id, const QByteArray &value)
    {
        return chunk(id, value.leftJustified((value.size() + 2) / 2 * 2, '\0'));
    }
};

// One generator record; a key range packs its two keys into the two bytes of the amount.
void generator(QByteArray &out, quint16 oper, quint16 amount)
{
    Writer::u16(out, oper);
    Writer::u16(out, amount);
}

QByteArray build(std::vector<Sample> samples, const std::vector<Instrument> &instruments,
                 const std::vector<Preset> &presets)
{
    QByteArray smpl, shdr;
    for (const Sample &s : samples) {
        const quint32 start = quint32(smpl.size() / 2);
        for (double v : s.pcm)
            Writer::u16(smpl, quint16(qint16(std::lround(std::clamp(v, -1.0, 1.0) * 32767))));
        const quint32 end = quint32(smpl.size() / 2);
        smpl.append(QByteArray(46 * 2, '\0'));
        Writer::name(shdr, s.name);
        Writer::u32(shdr, start);
        Writer::u32(shdr, end);
        Writer::u32(shdr, s.loopEnd ? start + s.loopStart : start);
        Writer::u32(shdr, s.loopEnd ? start + s.loopEnd : end);
        Writer::u32(shdr, quint32(s.sampleRate));
        shdr.append(char(s.root));
        shdr.append('\0');     // pitch correction in cents
        Writer::u16(shdr, 0);  // no linked sample
        Writer::u16(shdr, 1);  // mono
    }
    Writer::name(shdr, "EOS");
    shdr.append(QByteArray(26, '\0'));

    QByteArray inst, ibag, igen;
    int bags = 0, gens = 0;
    for (const Instrument &instrument : instruments) {
        Writer::name(inst, instrument.name);
        Writer::u16(inst, quint16(bags));
        for (const Instrument::Zone &zone : instrument.zones) {
            Writer::u16(ibag, quint16(gens));
            Writer::u16(ibag, 0);
            ++bags;
            generator(igen, KeyRange, quint16(zone.low | zone.high << 8));
            for (const auto &[oper, amount] : zone.generators)
                generator(igen, oper, quint16(amount));
            const Sample &s = samples[std::size_t(zone.sample)];
            generator(igen, SampleModes, s.loopEnd ? 1 : 0);
            generator(igen, SampleId, quint16(zone.sample));
            gens += 3 + int(zone.generators.size());
        }
    }
    Writer::name(inst, "EOI");
    Writer::u16(inst, quint16(bags));
    Writer::u16(ibag, quint16(gens));
    Writer::u16(ibag, 0);
    generator(igen, 0, 0);

    QByteArray phdr, pbag, pgen;
    for (std::size_t p = 0; p < presets.size(); ++p) {
        Writer::name(phdr, presets[p].name);
        Writer::u16(phdr, quint16(presets[p].program));
        Writer::u16(phdr, quint16(presets[p].bank));
        Writer::u16(phdr, quint16(p));
        phdr.append(QByteArray(12, '\0'));  // library, genre, morphology
        Writer::u16(pbag, quint16(p));
        Writer::u16(pbag, 0);
        generator(pgen, InstrumentId, quint16(presets[p].instrument));
    }
    Writer::name(phdr, "EOP");
    Writer::u16(phdr, 0);
    Writer::u16(phdr, 0);
    Writer::u16(phdr, quint16(presets.size()));
    phdr.append(QByteArray(12, '\0'));
    Writer::u16(pbag, quint16(presets.size()));
    Writer::u16(pbag, 0);
    generator(pgen, 0, 0);

    QByteArray version;
    Writer::u16(version, 2);
    Writer::u16(version, 1);
    const QByteArray info = Writer::chunk("ifil", version) + Writer::text("isng", "EMU8000")
                            + Writer::text("INAM", "Morvik") + Writer::text("ISFT", "morvik-assetgen");
    const QByteArray noModulator(10, '\0');
    const QByteArray pdta = Writer::chunk("phdr", phdr) + Writer::chunk("pbag", pbag)
                            + Writer::chunk("pmod", noModulator) + Writer::chunk("pgen", pgen)
                            + Writer::chunk("inst", inst) + Writer::chunk("ibag", ibag)
                            + Writer::chunk("imod", noModulator) + Writer::chunk("igen", igen)
                            + Writer::chunk("shdr", shdr);
    return Writer::chunk("RIFF", "sfbk" + Writer::list("INFO", info) + Writer::list("sdta", Writer::chunk("smpl", smpl))
                                     + Writer::list("pdta", pdta));
}

std::vector<std::pair<Generator, qint16>> envelope(const Envelope &e)
{
    return {{AttackVolEnv, timecents(e.attack)},
            {HoldVolEnv, timecents(e.hold)},
            {DecayVolEnv, timecents(e.decay)},
            {SustainVolEnv, qint16(e.sustainCb)},
            {ReleaseVolEnv, timecents(e.release)}};
}

// An instrument over a set of pitched samples: each sample covers the keys nearest its root,
// and the lowest and highest stretch to the ends of the keyboard.
Instrument keyboard(const QByteArray &name, int firstSample, const std::vector<Sample> &set,
                    std::vector<std::pair<Generator, qint16>> generators)
{
    Instrument instrument{name, {}};
    for (std::size_t i = 0; i < set.size(); ++i) {
        const int low = i == 0 ? 0 : (set[i - 1].root + set[i].root) / 2 + 1;
        const int high = i + 1 == set.size() ? 127 : (set[i].root + set[i + 1].root) / 2;
        instrument.zones.push_back({low, high, firstSample + int(i), generators});
    }
    return instrument;
}

// Every key of the General MIDI percussion map, 35 to 81: the song's six drums as they were, and
// the others on the same or the shared samples, each at a pitch, level and pan of its own.
Instrument drumKit(int firstDrum, const std::vector<Sample> &drums, int firstSound, const std::vector<Sample> &sounds)
{
    const auto index = [&](const char *name) {
        for (std::size_t i = 0; i < drums.size(); ++i)
            if (drums[i].name == name)
                return firstDrum + int(i);
        for (std::size_t i = 0; i < sounds.size(); ++i)
            if (sounds[i].name == name)
                return firstSound + int(i);
        return -1;
    };
    // Hi-hats choke each other, as do the triangles.
    enum { Open = 0, HiHat = 1, Triangle = 2 };
    const struct {
        int key;
        const char *sample;
        int root;      // the key the sample sounds as made at
        qint16 attenuation, pan;  // pan in tenths of a percent, left negative
        int exclusive;
        double muted;  // seconds the sound is held, if it is cut short
    } drum[] = {
        {35, "kick", 38, 80, 0, Open, 0},           {36, "kick", 36, 80, 0, Open, 0},
        {37, "side stick", 37, 150, -100, Open, 0}, {38, "snare", 38, 120, 0, Open, 0},
        {39, "clap", 39, 140, 50, Open, 0},         {40, "snare", 36, 130, 0, Open, 0},
        {41, "tom", 53, 120, -300, Open, 0},        {42, "closed hi-hat", 42, 230, 200, HiHat, 0},
        {43, "tom", 48, 120, -200, Open, 0},        {44, "closed hi-hat", 46, 250, 200, HiHat, 0},
        {45, "tom", 47, 120, -100, Open, 0},        {46, "open hi-hat", 46, 250, 200, HiHat, 0},
        {47, "tom", 46, 120, 0, Open, 0},           {48, "tom", 45, 120, 100, Open, 0},
        {49, "crash", 49, 260, -250, Open, 0},      {50, "tom", 44, 120, 200, Open, 0},
        {51, "ride", 51, 230, 250, Open, 0},        {52, "crash", 47, 280, -300, Open, 0},
        {53, "bell", 53, 220, 250, Open, 0},        {54, "tambourine", 54, 220, 150, Open, 0},
        {55, "crash", 48, 290, -150, Open, 0},      {56, "cowbell", 56, 220, 100, Open, 0},
        {57, "crash", 55, 260, 250, Open, 0},       {58, "tambourine", 66, 220, -150, Open, 0},
        {59, "ride", 57, 240, 300, Open, 0},        {60, "skin", 50, 170, 200, Open, 0},
        {61, "skin", 54, 170, 150, Open, 0},        {62, "skin", 59, 170, -150, Open, 0.08},
        {63, "skin", 60, 170, -150, Open, 0},       {64, "skin", 66, 170, -200, Open, 0},
        {65, "skin", 52, 190, 250, Open, 0},        {66, "skin", 57, 190, 200, Open, 0},
        {67, "agogo", 67, 210, 300, Open, 0},       {68, "agogo", 71, 210, 300, Open, 0},
        {69, "shaker", 73, 200, -250, Open, 0},     {70, "shaker", 70, 200, -250, Open, 0},
        {71, "whistle", 71, 260, 300, Open, 0.12},  {72, "whistle", 74, 260, 300, Open, 0},
        {73, "guiro", 73, 210, -300, Open, 0.12},   {74, "guiro", 74, 210, -300, Open, 0},
        {75, "block", 71, 190, 200, Open, 0},       {76, "block", 76, 190, 250, Open, 0},
        {77, "block", 80, 190, 250, Open, 0},       {78, "cuica", 76, 200, -200, Open, 0.15},
        {79, "cuica", 79, 200, -200, Open, 0},      {80, "triangle", 80, 240, 300, Triangle, 0.15},
        {81, "triangle", 81, 240, 300, Triangle, 0},
    };
    Instrument kit{"Standard Kit", {}};
    for (const auto &d : drum) {
        // A short note still lets the drum ring: the release is slow beside the sample's own fade.
        auto generators = d.muted > 0 ? envelope({0.001, d.muted, 0.1, 1000, 0.05})
                                      : envelope({0.001, 0.001, 0.001, 0, 5.0});
        generators.push_back({InitialAttenuation, d.attenuation});
        generators.push_back({Pan, d.pan});
        if (d.root != d.key)
            generators.push_back({OverridingRootKey, qint16(d.root)});
        if (d.exclusive != Open)
            generators.push_back({ExclusiveClass, qint16(d.exclusive)});
        kit.zones.push_back({d.key, d.key, index(d.sample), generators});
    }
    return kit;
}

}  // namespace

QByteArray soundFont()
{
    std::vector<std::vector<Sample>> sets = {flute(),      electricPiano(),       acousticBass(), strings(),
                                             drums(),      piano(),               chromaticPercussion(),
                                             organ(),      guitar(),              soloStrings(),  brass(),
                                             reed(),       synthLead(),           synthPad(),     synthEffects(),
                                             ethnic(),     percussive(),          soundEffects(), percussion()};
    const std::size_t sounds = sets.size() - 1;
    for (std::size_t i = 0; i < sets.size(); ++i)
        if (i != Kit && i != sounds)
            normalise(sets[i]);
    // Each drum on its own: the balance of the kit is set by attenuation.
    for (std::size_t i : {std::size_t(Kit), sounds})
        for (Sample &drum : sets[i])
            normalise({&drum, 1});
    std::vector<int> first;
    std::vector<Sample> samples;
    for (std::vector<Sample> &set : sets) {
        first.push_back(int(samples.size()));
        samples.insert(samples.end(), set.begin(), set.end());
    }

    auto with = [](std::vector<std::pair<Generator, qint16>> a, const std::vector<std::pair<Generator, qint16>> &b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    // A gentle vibrato that comes in after the note has spoken.
    const std::vector<std::pair<Generator, qint16>> vibrato = {
        {DelayVibLfo, timecents(0.3)}, {FreqVibLfo, absoluteCents(5.2)}, {VibLfoToPitch, 10}};

    std::vector<Instrument> instruments;
    instruments.push_back(keyboard("Flute", first[Flute], sets[Flute],
                                   with(with(envelope({0.05, 0.001, 0.6, 25, 0.12}), vibrato),
                                        {{DelayModLfo, timecents(0.3)}, {FreqModLfo, absoluteCents(5.2)},
                                         {ModLfoToVolume, 10}, {InitialAttenuation, 5}})));
    instruments.push_back(keyboard("Electric Piano", first[ElectricPiano], sets[ElectricPiano],
                                   with(envelope({0.001, 0.02, 6.0, 1000, 0.3}),
                                        {{KeynumToVolEnvDecay, 12}, {InitialAttenuation, 20}})));
    instruments.push_back(keyboard("Acoustic Bass", first[Bass], sets[Bass],
                                   with(envelope({0.002, 0.04, 4.0, 1000, 0.09}), {{InitialAttenuation, 20}})));
    Instrument ensemble{"Strings", {}};
    for (const qint16 detune : {-7, 7}) {
        const Instrument layer = keyboard("", first[Strings], sets[Strings],
                                          with(with(envelope({0.3, 0.001, 1.0, 30, 0.45}), vibrato),
                                               {{FineTune, detune}, {Pan, qint16(detune * 25)},
                                                {InitialAttenuation, 150}}));
        ensemble.zones.insert(ensemble.zones.end(), layer.zones.begin(), layer.zones.end());
    }
    instruments.push_back(ensemble);
    instruments.push_back(drumKit(first[Kit], sets[Kit], first[sounds], sets[sounds]));

    // The other families: each its own envelope and level (the synth applies 40 % of these
    // attenuations), a little below the song's own, since a song of many parts adds up.
    const struct {
        InstrumentIndex id;
        const char *name;
        Envelope envelope;
        std::vector<std::pair<Generator, qint16>> more;
    } voices[] = {
        {Piano, "Piano", {0.002, 0.02, 5.0, 1000, 0.35}, {{KeynumToVolEnvDecay, 12}, {InitialAttenuation, 130}}},
        {Mallets, "Mallets", {0.001, 0.005, 1.6, 1000, 0.4}, {{InitialAttenuation, 130}}},
        {Organ, "Organ", {0.005, 0.001, 1.0, 0, 0.06}, {{InitialAttenuation, 180}}},
        {Guitar, "Guitar", {0.002, 0.01, 3.0, 1000, 0.25}, {{InitialAttenuation, 130}}},
        {Violin, "Violin", {0.09, 0.001, 1.0, 20, 0.25}, with(vibrato, {{InitialAttenuation, 160}})},
        {Brass, "Brass", {0.05, 0.05, 0.6, 100, 0.15}, {{InitialAttenuation, 160}}},
        {Reed, "Reed", {0.03, 0.001, 1.0, 10, 0.1}, {{InitialAttenuation, 160}}},
        {Lead, "Lead", {0.003, 0.001, 1.0, 0, 0.08}, {{InitialAttenuation, 200}}},
        {Pad, "Pad", {0.7, 0.001, 1.0, 0, 1.2}, with(vibrato, {{InitialAttenuation, 160}})},
        {Effects, "Effects", {0.25, 0.001, 2.0, 60, 0.8},
         {{FreqModLfo, absoluteCents(6)}, {ModLfoToVolume, 60}, {InitialAttenuation, 160}}},
        {Sitar, "Sitar", {0.001, 0.005, 1.2, 1000, 0.2}, {{InitialAttenuation, 140}}},
        {Steel, "Steel", {0.001, 0.005, 0.5, 1000, 0.15}, {{InitialAttenuation, 130}}},
        {Noises, "Noises", {0.12, 0.001, 1.0, 0, 0.3}, {{InitialAttenuation, 160}}},
    };
    for (const auto &voice : voices)
        instruments.push_back(keyboard(voice.name, first[voice.id], sets[voice.id], with(envelope(voice.envelope), voice.more)));

    // The song's kit: the zones of the standard kit that sound the song's drums at their own keys.
    Instrument songKit{"Song Kit", {}};
    for (const Instrument::Zone &zone : instruments[Kit].zones) {
        const int drum = zone.sample - first[Kit];
        if (drum >= 0 && drum < int(sets[Kit].size()) && sets[Kit][std::size_t(drum)].root == zone.low)
            songKit.zones.push_back(zone);
    }
    instruments.push_back(songKit);

    return build(samples, instruments, generalMidiPresets());
}

}  // namespace morvik::assetgen
