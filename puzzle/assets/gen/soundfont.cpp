// The instruments of the background song as a SoundFont 2 file: flute, electric piano, acoustic
// bass, string ensemble and the six drums of the song's kit, each synthesised here.
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
std::vector<double> loopedNoise(int length, double hz, double q, std::uint32_t seed)
{
    Noise noise(seed);
    std::vector<double> white(static_cast<std::size_t>(length)), out(white.size());
    for (double &v : white)
        v = noise.next();
    Filter band(Filter::BandPass, hz, q);
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
               const Transient &transient, Air air = {})
{
    const double target = frequency(root);
    int periods = 1, loop = 0;
    for (;; ++periods) {
        loop = int(std::lround(periods * rate / target));
        if (loop >= minLoop * rate && std::abs(1200 * std::log2(periods * rate / double(loop) / target)) < 0.5)
            break;
    }
    const double f = periods * double(rate) / loop;
    const int start = int(std::lround(attack * rate));
    const std::vector<double> breath =
        loopedNoise(loop, std::min(air.hz, 12000.0), air.q, std::uint32_t(root * 7919 + name.size()));
    Sample s{name, std::vector<double>(std::size_t(start + loop + 16)), rate, root, start, start + loop};
    const int fadeIn = rate / 1000;
    for (std::size_t n = 0; n < s.pcm.size(); ++n) {
        const double t = double(n) / rate, phase = f * t;
        double v = air.level * breath[std::size_t((int(n) - start + 64 * loop) % loop)];
        // Schroeder's phases keep a rich spectrum from piling up into sharp edges.
        for (std::size_t h = 0; h < steady.size(); ++h)
            if ((h + 1) * f < 16000)
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
    FineTune = 52, SampleId = 53, SampleModes = 54,
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

// Every General MIDI program, so that any song a player puts in the game's folder sounds: the
// song's own four, and each other program on the closest of their instruments by its family,
// sustained families on the flute or the strings, struck and plucked ones on the electric piano.
// FluidSynth plays the kit of bank 128 for any drum kit a song selects that a font lacks.
std::vector<Preset> generalMidiPresets()
{
    enum { Flute, ElectricPiano, Bass, Strings, Kit };
    // The instrument of each family of eight programs: pianos, chromatic percussion, organs,
    // guitars, basses, strings, ensembles, brass, reeds, pipes, synth leads, synth pads, synth
    // effects, ethnic, percussive, sound effects.
    constexpr int byFamily[16] = {ElectricPiano, ElectricPiano, Flute, ElectricPiano, Bass, Strings, Strings, Strings,
                                  Flute, Flute, Flute, Strings, Strings, ElectricPiano, ElectricPiano, Strings};
    const std::map<int, QByteArray> songs = {
        {4, "Electric Piano 1"}, {32, "Acoustic Bass"}, {48, "String Ensemble 1"}, {73, "Flute"}};
    std::vector<Preset> presets;
    for (int program = 0; program < 128; ++program) {
        const auto own = songs.find(program);
        presets.push_back({own != songs.end() ? own->second : "Program " + QByteArray::number(program), program, 0,
                           byFamily[program / 8]});
    }
    // Bagpipe and shanai hold their notes; the fiddle is a string.
    presets[109].instrument = Flute;
    presets[110].instrument = Strings;
    presets[111].instrument = Flute;
    presets.push_back({"Standard", 0, 128, Kit});
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

}  // namespace

QByteArray soundFont()
{
    std::vector<std::vector<Sample>> sets = {flute(), electricPiano(), acousticBass(), strings(), drums()};
    for (std::size_t i = 0; i + 1 < sets.size(); ++i)
        normalise(sets[i]);
    // Each drum on its own: the balance of the kit is set by attenuation.
    for (Sample &drum : sets.back())
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
    instruments.push_back(keyboard("Flute", first[0], sets[0],
                                   with(with(envelope({0.05, 0.001, 0.6, 25, 0.12}), vibrato),
                                        {{DelayModLfo, timecents(0.3)}, {FreqModLfo, absoluteCents(5.2)},
                                         {ModLfoToVolume, 10}, {InitialAttenuation, 5}})));
    instruments.push_back(keyboard("Electric Piano", first[1], sets[1],
                                   with(envelope({0.001, 0.02, 6.0, 1000, 0.3}),
                                        {{KeynumToVolEnvDecay, 12}, {InitialAttenuation, 20}})));
    instruments.push_back(keyboard("Acoustic Bass", first[2], sets[2],
                                   with(envelope({0.002, 0.04, 4.0, 1000, 0.09}), {{InitialAttenuation, 20}})));
    Instrument ensemble{"Strings", {}};
    for (const qint16 detune : {-7, 7}) {
        const Instrument layer = keyboard("", first[3], sets[3],
                                          with(with(envelope({0.3, 0.001, 1.0, 30, 0.45}), vibrato),
                                               {{FineTune, detune}, {Pan, qint16(detune * 25)},
                                                {InitialAttenuation, 150}}));
        ensemble.zones.insert(ensemble.zones.end(), layer.zones.begin(), layer.zones.end());
    }
    instruments.push_back(ensemble);
    Instrument kit{"Standard Kit", {}};
    // Each drum's attenuation and pan (in tenths of a percent, left negative).
    const std::map<int, std::pair<qint16, qint16>> drumMix = {
        {36, {80, 0}}, {37, {150, -100}}, {38, {120, 0}}, {42, {230, 200}}, {49, {260, -250}}, {51, {230, 250}}};
    for (std::size_t i = 0; i < sets[4].size(); ++i) {
        const Sample &s = sets[4][i];
        const auto [attenuation, pan] = drumMix.at(s.root);
        // A short note still lets the drum ring: the release is slow beside the sample's own fade.
        kit.zones.push_back({s.root, s.root, first[4] + int(i),
                             with(envelope({0.001, 0.001, 0.001, 0, 5.0}),
                                  {{InitialAttenuation, attenuation}, {Pan, pan}})});
    }
    instruments.push_back(kit);

    return build(samples, instruments, generalMidiPresets());
}

}  // namespace morvik::assetgen
