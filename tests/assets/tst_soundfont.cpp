// The song's own soundfont, as FluidSynth plays it with the game's settings: every instrument the
// song selects is there, every note it plays sounds at its pitch and ends cleanly, and the whole
// song renders without clipping or clicks, with sound on each of its channels.
#include "settings.h"
#include "soundfont.h"

#include <fluidsynth.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <tuple>
#include <vector>

namespace {

constexpr int rate = morvik::audio::SynthRate;
constexpr double musicGain = 0.3;  // the game's music level, 300 of 1000

QByteArray buildFile(const QString &name)
{
    QFile file(QStringLiteral(MORVIK_SOUND_DIR "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

double decibels(double amplitude) { return 20 * std::log10(std::max(amplitude, 1e-10)); }

// Stereo frames, interleaved.
struct Audio {
    std::vector<float> samples;
    std::size_t frames() const { return samples.size() / 2; }
    double peak(std::size_t from = 0, std::size_t to = SIZE_MAX) const
    {
        double p = 0;
        for (std::size_t i = 2 * from; i < std::min(samples.size(), 2 * to); ++i)
            p = std::max(p, double(std::abs(samples[i])));
        return p;
    }
    double rms(std::size_t from = 0, std::size_t to = SIZE_MAX) const
    {
        to = std::min(to, frames());
        double sum = 0;
        for (std::size_t i = 2 * from; i < 2 * to; ++i)
            sum += double(samples[i]) * samples[i];
        return to > from ? std::sqrt(sum / double(2 * (to - from))) : 0;
    }
};

// A click is a step from one sample to the next far larger than the steps around it. Returns the
// largest such ratio, each step measured against the RMS of the steps within 10 ms either side;
// steps below -70 dBFS are too faint to hear and are passed over.
struct Click {
    double ratio = 0;
    double seconds = 0;
};
Click worstClick(const Audio &audio)
{
    const std::size_t n = audio.frames(), window = rate / 100;
    Click worst;
    for (int channel = 0; channel < 2; ++channel) {
        std::vector<double> steps(n, 0.0), sums(n + 1, 0.0);
        for (std::size_t i = 1; i < n; ++i)
            steps[i] = std::abs(audio.samples[2 * i + channel] - audio.samples[2 * (i - 1) + channel]);
        for (std::size_t i = 0; i < n; ++i)
            sums[i + 1] = sums[i] + steps[i] * steps[i];
        for (std::size_t i = 1; i < n; ++i) {
            if (steps[i] < 3e-4)
                continue;
            const std::size_t from = i > window ? i - window : 0, to = std::min(n, i + window);
            const double local = std::sqrt((sums[to] - sums[from]) / double(to - from));
            if (steps[i] / local > worst.ratio)
                worst = {steps[i] / local, double(i) / rate};
        }
    }
    return worst;
}

// A synth with the game's settings: no reverb or chorus, 32 voices, linear interpolation.
class Synth {
public:
    Synth()
    {
        for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
            fluid_set_log_function(level, nullptr, nullptr);
        settings_ = morvik::audio::newSynthSettings();
        fluid_settings_setnum(settings_, "synth.gain", musicGain);
        synth_ = new_fluid_synth(settings_);
    }
    ~Synth()
    {
        delete_fluid_synth(synth_);
        delete_fluid_settings(settings_);
    }
    Synth(const Synth &) = delete;
    Synth &operator=(const Synth &) = delete;

    bool load(const QString &file)
    {
        font_ = fluid_synth_sfload(synth_, QFile::encodeName(file).constData(), 1);
        fluid_synth_set_interp_method(synth_, -1, FLUID_INTERP_LINEAR);
        return font_ != FLUID_FAILED;
    }
    int font() const { return font_; }
    fluid_synth_t *get() const { return synth_; }

    void render(Audio &audio, std::size_t frames)
    {
        const std::size_t at = audio.samples.size();
        audio.samples.resize(at + 2 * frames);
        fluid_synth_write_float(synth_, int(frames), audio.samples.data() + at, 0, 2, audio.samples.data() + at, 1, 2);
    }

private:
    fluid_settings_t *settings_ = nullptr;
    fluid_synth_t *synth_ = nullptr;
    int font_ = FLUID_FAILED;
};

struct Note {
    int channel, program, key;
    bool operator<(const Note &o) const
    {
        return std::tie(channel, program, key) < std::tie(o.channel, o.program, o.key);
    }
};

// The song as FluidSynth's player reads it: what it selects and plays, and how it sounds.
struct Performance {
    Audio audio;
    std::set<int> channels;
    std::set<std::pair<int, int>> programs;  // channel, program
    std::map<Note, int> notes;                // the loudest velocity of each
};

// Plays ST.Mid to its end (and the last notes' release), with only `solo`'s notes if it is 0..15.
Performance perform(const QString &font, int solo = -1)
{
    Performance result;
    Synth synth;
    if (!synth.load(font))
        return result;
    struct Listener {
        fluid_synth_t *synth;
        int solo;
        Performance *result;
        std::map<int, int> program;
    } listener{synth.get(), solo, &result, {}};
    std::unique_ptr<fluid_player_t, void (*)(fluid_player_t *)> player(new_fluid_player(synth.get()), delete_fluid_player);
    fluid_player_set_playback_callback(
        player.get(),
        [](void *data, fluid_midi_event_t *event) {
            auto *l = static_cast<Listener *>(data);
            const int type = fluid_midi_event_get_type(event), channel = fluid_midi_event_get_channel(event);
            if (type == 0xC0) {
                l->program[channel] = fluid_midi_event_get_program(event);
                l->result->programs.insert({channel, l->program[channel]});
            }
            if (type == 0x90 && fluid_midi_event_get_velocity(event) > 0) {
                l->result->channels.insert(channel);
                int &velocity = l->result->notes[{channel, l->program[channel], fluid_midi_event_get_key(event)}];
                velocity = std::max(velocity, fluid_midi_event_get_velocity(event));
            }
            if ((type == 0x90 || type == 0x80) && l->solo >= 0 && channel != l->solo)
                return FLUID_OK;
            return fluid_synth_handle_midi_event(l->synth, event);
        },
        &listener);
    const QByteArray song = buildFile("ST.Mid");
    fluid_player_add_mem(player.get(), song.constData(), std::size_t(song.size()));
    fluid_player_play(player.get());
    while (fluid_player_get_status(player.get()) == FLUID_PLAYER_PLAYING)
        synth.render(result.audio, 512);
    for (int i = 0; i < 4 * rate / 512 && fluid_synth_get_active_voice_count(synth.get()) > 0; ++i)
        synth.render(result.audio, 512);
    return result;
}

// The pitch of a steady stretch, in Hz, found as the lag of the strongest autocorrelation near
// the expected period.
double pitch(const Audio &audio, std::size_t from, std::size_t to, double expected)
{
    std::vector<double> x;
    for (std::size_t i = from; i < to; ++i)
        x.push_back(audio.samples[2 * i] + audio.samples[2 * i + 1]);
    const auto correlation = [&x](int lag) {
        double sum = 0, a = 0, b = 0;
        for (std::size_t i = 0; i + std::size_t(lag) < x.size(); ++i) {
            sum += x[i] * x[i + lag];
            a += x[i] * x[i];
            b += x[i + lag] * x[i + lag];
        }
        return sum / std::sqrt(a * b + 1e-30);
    };
    const int low = int(rate / expected / 1.2), high = int(rate / expected * 1.2) + 1;
    int best = low;
    for (int lag = low; lag <= high; ++lag)
        if (correlation(lag) > correlation(best))
            best = lag;
    // Between samples: the peak of a parabola through the best lag and its neighbours.
    const double l = correlation(best - 1), c = correlation(best), r = correlation(best + 1);
    const double offset = (l - r) / (2 * (l - 2 * c + r));
    return rate / (best + (std::isfinite(offset) ? offset : 0));
}


// A note struck and held, then released: the synth's output from the note-on until it falls silent
// (at most 4 s after the note-off).
Audio strike(Synth &synth, int channel, int key, double heldSeconds)
{
    Audio audio;
    fluid_synth_noteon(synth.get(), channel, key, 100);
    synth.render(audio, std::size_t(heldSeconds * rate));
    fluid_synth_noteoff(synth.get(), channel, key);
    for (int blocks = 0; blocks < 4 * rate / 512 && fluid_synth_get_active_voice_count(synth.get()) > 0; ++blocks)
        synth.render(audio, 512);
    return audio;
}

// What tells sounds apart by ear, measured.
struct Character {
    double centroid = 0;   // Hz, of the spectrum over the first 0.3 s
    double attack = 0;     // seconds from the start to 90 % of the loudest 5 ms
    double level = 0;      // dB of the 5 ms at `after` seconds against the loudest
    double length = 0;     // seconds until it stays 40 dB below its loudest
    double tonality = 0;   // the strongest normalised autocorrelation at a pitch of 50 Hz to 2 kHz
};

Character character(const Audio &audio, double after = 1.0)
{
    Character c;
    const std::size_t block = rate / 200;
    std::vector<double> loudness;
    for (std::size_t at = 0; at + block <= audio.frames(); at += block)
        loudness.push_back(audio.rms(at, at + block));
    if (loudness.empty())
        return c;
    const double loudest = *std::max_element(loudness.begin(), loudness.end());
    const auto reached = std::find_if(loudness.begin(), loudness.end(), [&](double v) { return v >= 0.9 * loudest; });
    c.attack = double(reached - loudness.begin()) * block / rate;
    const std::size_t late = std::size_t(after * rate) / block;
    c.level = decibels(late < loudness.size() ? loudness[late] : 0) - decibels(loudest);
    std::size_t last = 0;
    for (std::size_t i = 0; i < loudness.size(); ++i)
        if (decibels(loudness[i]) > decibels(loudest) - 40)
            last = i + 1;
    c.length = double(last * block) / rate;

    // The spectrum of the first 0.3 s (less for a shorter sound), through a Hann window.
    const std::size_t n = std::min<std::size_t>(audio.frames(), rate * 3 / 10);
    std::vector<double> x(n);
    for (std::size_t i = 0; i < n; ++i)
        x[i] = (audio.samples[2 * i] + audio.samples[2 * i + 1]) * (0.5 - 0.5 * std::cos(2 * M_PI * double(i) / double(n)));
    std::vector<double> cosine(n), sine(n);
    for (std::size_t i = 0; i < n; ++i) {
        cosine[i] = std::cos(2 * M_PI * double(i) / double(n));
        sine[i] = std::sin(2 * M_PI * double(i) / double(n));
    }
    double weighted = 0, total = 0;
    for (std::size_t k = 1; k < n / 2; k += 2) {
        double re = 0, im = 0;
        for (std::size_t i = 0, at = 0; i < n; ++i, at = (at + k) % n) {
            re += x[i] * cosine[at];
            im += x[i] * sine[at];
        }
        const double magnitude = std::hypot(re, im), hz = double(k) * rate / double(n);
        weighted += hz * magnitude;
        total += magnitude;
    }
    c.centroid = total > 0 ? weighted / total : 0;

    for (int lag = rate / 2000; lag <= rate / 50; ++lag) {
        double sum = 0, a = 0, b = 0;
        for (std::size_t i = 0; i + std::size_t(lag) < n; ++i) {
            sum += x[i] * x[i + lag];
            a += x[i] * x[i];
            b += x[i + lag] * x[i + lag];
        }
        c.tonality = std::max(c.tonality, sum / std::sqrt(a * b + 1e-30));
    }
    return c;
}

}  // namespace

class TestSoundFont : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void embeddedFontIsTheGeneratedFile();
    void generatorWritesTheSameFontEveryRun();
    void everyInstrumentTheSongSelectsIsInTheFont();
    void songRendersWithoutClipOrClick();
    void everyChannelOfTheSongSounds();
    void everyNoteOfTheSongSpeaksInTuneAndEndsCleanly();
    void aLoopThatDoesNotCloseIsHeardAsClicks();
    void anySongTheFolderHoldsIsHeard();
    void everyPercussionKeySoundsAsItsKind();
    void hiHatsChokeEachOther();
    void everyFamilyHasAVoiceOfItsOwn();

private:
    QString fontFile_ = QStringLiteral(MORVIK_SOUND_DIR "/morvik.sf2");
    Performance song_;
};

void TestSoundFont::initTestCase()
{
    Synth synth;
    QVERIFY2(synth.load(fontFile_), "FluidSynth cannot load morvik.sf2");
    song_ = perform(fontFile_);
    QVERIFY2(!song_.notes.empty(), "the song played no note");
}

void TestSoundFont::embeddedFontIsTheGeneratedFile()
{
    const std::span<const unsigned char> data = morvik::soundFontData();
    const QByteArray file = buildFile("morvik.sf2");
    QVERIFY(!file.isEmpty());
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(data.data()), qsizetype(data.size())), file);
    QVERIFY(file.startsWith("RIFF") && file.mid(8, 4) == "sfbk");
    qInfo("morvik.sf2: %.0f KiB", file.size() / 1024.0);
    QVERIFY2(file.size() <= 1536 * 1024, "the soundfont should stay small");
}

// The build must give the same program every time: a second run of the generator writes the very
// same bytes.
void TestSoundFont::generatorWritesTheSameFontEveryRun()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QProcess generator;
    generator.start(QStringLiteral(MORVIK_ASSETGEN), {"sounds", dir.path()});
    QVERIFY(generator.waitForFinished(120000));
    QCOMPARE(generator.exitCode(), 0);
    QFile again(QDir(dir.path()).filePath("morvik.sf2"));
    QVERIFY(again.open(QIODevice::ReadOnly));
    QVERIFY2(again.readAll() == buildFile("morvik.sf2"), "the soundfont differs from one run to the next");
}

// Each program change finds its preset in our font: no instrument falls back to another, or
// to silence. Channel 10 plays the drum kit, bank 128.
void TestSoundFont::everyInstrumentTheSongSelectsIsInTheFont()
{
    Synth synth;
    QVERIFY(synth.load(fontFile_));
    fluid_sfont_t *font = fluid_synth_get_sfont_by_id(synth.get(), synth.font());
    QVERIFY(font);
    std::set<std::pair<int, int>> wanted = song_.programs;
    if (song_.channels.count(9))
        wanted.insert({9, 0});
    QVERIFY(wanted.size() >= 5);
    for (const auto &[channel, program] : wanted) {
        const int bank = channel == 9 ? 128 : 0;
        QVERIFY2(fluid_sfont_get_preset(font, bank, program),
                 qPrintable(QString("channel %1: no preset %2 in bank %3").arg(channel + 1).arg(program).arg(bank)));
    }
}

// At the game's music level the song peaks well below full scale, leaving room for the sound
// effects mixed over it, and no step between two samples stands out from the sound around it.
void TestSoundFont::songRendersWithoutClipOrClick()
{
    const Audio &audio = song_.audio;
    QVERIFY(audio.frames() > std::size_t(88 * rate));
    const Click click = worstClick(audio);
    qInfo("song: peak %.1f dBFS, RMS %.1f dBFS, worst step %.1f times its surroundings at %.3f s",
          decibels(audio.peak()), decibels(audio.rms()), click.ratio, click.seconds);
    QVERIFY2(decibels(audio.peak()) < -6, qPrintable(QString::number(decibels(audio.peak()))));
    QVERIFY2(decibels(audio.rms()) > -40, "the song is too quiet");
    QVERIFY2(click.ratio < 10, qPrintable(QString("a click at %1 s").arg(click.seconds)));
}

// Each channel on its own is heard through the song, at a level that keeps it in the mix.
void TestSoundFont::everyChannelOfTheSongSounds()
{
    QVERIFY(song_.channels.size() >= 5);
    for (int channel : song_.channels) {
        const Performance solo = perform(fontFile_, channel);
        const Click click = worstClick(solo.audio);
        qInfo("channel %d: peak %.1f dBFS, RMS %.1f dBFS, worst step %.1f", channel + 1, decibels(solo.audio.peak()),
              decibels(solo.audio.rms()), click.ratio);
        const double rms = decibels(solo.audio.rms());
        QVERIFY2(rms > -60 && rms < -30, qPrintable(QString("channel %1: %2 dBFS").arg(channel + 1).arg(rms)));
        QVERIFY2(click.ratio < 10, qPrintable(QString("channel %1: a click at %2 s").arg(channel + 1).arg(click.seconds)));
    }
}

// Every key the song plays, on its own: it sounds at once, a pitched note at the pitch of its
// key, without a click as it starts, sustains, loops or is released, and it falls silent soon
// after its note-off.
void TestSoundFont::everyNoteOfTheSongSpeaksInTuneAndEndsCleanly()
{
    Synth synth;
    QVERIFY(synth.load(fontFile_));
    for (const auto &[note, velocity] : song_.notes) {
        const QString name = QString("channel %1, program %2, key %3").arg(note.channel + 1).arg(note.program).arg(note.key);
        fluid_synth_program_change(synth.get(), note.channel, note.program);
        Audio audio;
        const std::size_t held = rate * 6 / 10;
        fluid_synth_noteon(synth.get(), note.channel, note.key, velocity);
        synth.render(audio, held);
        fluid_synth_noteoff(synth.get(), note.channel, note.key);
        int blocks = 0;
        for (; blocks < 3 * rate / 512 && fluid_synth_get_active_voice_count(synth.get()) > 0; ++blocks)
            synth.render(audio, 512);
        QVERIFY2(fluid_synth_get_active_voice_count(synth.get()) == 0, qPrintable(name + ": still sounding 3 s after its note-off"));

        QVERIFY2(decibels(audio.peak(0, held)) > -50, qPrintable(name + ": silent"));
        QVERIFY2(audio.peak() < 0.5, qPrintable(name + ": too loud"));
        const Click click = worstClick(audio);
        QVERIFY2(click.ratio < 10, qPrintable(name + QString(": a click at %1 s").arg(click.seconds)));
        if (note.channel != 9) {
            const double expected = 440 * std::pow(2.0, (note.key - 69) / 12.0);
            const double cents = 1200 * std::log2(pitch(audio, rate / 10, rate * 3 / 10, expected) / expected);
            QVERIFY2(std::abs(cents) < 10, qPrintable(name + QString(": %1 cents off").arg(cents)));
        }
    }
}

// The fault the click check is there for: a sample whose loop does not hold a whole number of
// periods. Moving one loop start a few samples on, in a copy of the font, makes its notes click
// at every pass of the loop.
void TestSoundFont::aLoopThatDoesNotCloseIsHeardAsClicks()
{
    QByteArray font = buildFile("morvik.sf2");
    const qsizetype shdr = font.lastIndexOf("shdr");
    QVERIFY(shdr > 0);
    const auto field = [&font](qsizetype at) {
        quint32 v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | quint8(font[at + i]);
        return v;
    };
    // The first record: name[20], start, end, loop start, loop end, rate, root key...
    const qsizetype record = shdr + 8;
    const quint32 loopStart = field(record + 28), loopEnd = field(record + 32), sampleRate = field(record + 36);
    QVERIFY2(loopEnd > loopStart + 100, "the first sample should be a looped, pitched one");
    const int root = quint8(font[record + 40]);
    // Half a period on: the loop's end no longer meets its start.
    const quint32 moved = loopStart + quint32(std::lround(sampleRate / (440 * std::pow(2.0, (root - 69) / 12.0)) / 2));
    for (int i = 0; i < 4; ++i)
        font[record + 28 + i] = char((moved >> (8 * i)) & 0xFF);
    QTemporaryFile file;
    QVERIFY(file.open());
    file.write(font);
    file.close();

    // The root key of that sample on each melodic preset in turn: the one that uses it clicks.
    Synth synth;
    QVERIFY(synth.load(file.fileName()));
    fluid_sfont_t *sfont = fluid_synth_get_sfont_by_id(synth.get(), synth.font());
    fluid_sfont_iteration_start(sfont);
    double worst = 0;
    while (fluid_preset_t *preset = fluid_sfont_iteration_next(sfont)) {
        if (fluid_preset_get_banknum(preset) != 0)
            continue;
        fluid_synth_program_select(synth.get(), 0, synth.font(), 0, fluid_preset_get_num(preset));
        Audio audio;
        fluid_synth_noteon(synth.get(), 0, root, 100);
        synth.render(audio, rate);
        fluid_synth_all_sounds_off(synth.get(), 0);
        worst = std::max(worst, worstClick(audio).ratio);
    }
    qInfo("broken %.1f", worst);
    QVERIFY2(worst > 10, qPrintable(QString::number(worst)));
}

// A player may put any General MIDI song in the game's folder: every program of bank 0 is in the
// font and sounds, and a snare sounds on the drum channel whatever drum kit the song selects.
void TestSoundFont::anySongTheFolderHoldsIsHeard()
{
    Synth synth;
    QVERIFY(synth.load(fontFile_));
    fluid_sfont_t *font = fluid_synth_get_sfont_by_id(synth.get(), synth.font());
    QVERIFY(font);
    const auto play = [&synth](int channel, int program, int key) {
        fluid_synth_program_change(synth.get(), channel, program);
        Audio audio;
        fluid_synth_noteon(synth.get(), channel, key, 100);
        synth.render(audio, rate * 3 / 10);
        fluid_synth_noteoff(synth.get(), channel, key);
        for (int blocks = 0; blocks < 3 * rate / 512 && fluid_synth_get_active_voice_count(synth.get()) > 0; ++blocks)
            synth.render(audio, 512);
        return std::pair(decibels(audio.peak()), fluid_synth_get_active_voice_count(synth.get()));
    };
    for (int program = 0; program < 128; ++program) {
        const QByteArray name = "program " + QByteArray::number(program);
        QVERIFY2(fluid_sfont_get_preset(font, 0, program), name + ": not in the font");
        const auto [peak, sounding] = play(0, program, 60);
        QVERIFY2(peak > -50, name + ": silent");
        QVERIFY2(sounding == 0, name + ": still sounding 3 s after its note-off");
    }
    for (const int kit : {0, 8, 16, 25, 32, 40, 48, 127}) {
        const auto [peak, sounding] = play(9, kit, 38);
        QVERIFY2(peak > -50, "drum kit " + QByteArray::number(kit) + ": silent");
        QVERIFY2(sounding == 0, "drum kit " + QByteArray::number(kit) + ": still sounding");
    }
}

// The General MIDI percussion map, key by key on the drum channel: every key from 35 to 81 is
// heard, and each sounds as its kind does.
void TestSoundFont::everyPercussionKeySoundsAsItsKind()
{
    Synth synth;
    QVERIFY(synth.load(fontFile_));
    std::map<int, Character> kit;
    for (int key = 35; key <= 81; ++key) {
        const Audio audio = strike(synth, 9, key, 0.1);
        QVERIFY2(fluid_synth_get_active_voice_count(synth.get()) == 0, qPrintable(QString("key %1 still sounds").arg(key)));
        QVERIFY2(decibels(audio.peak()) > -40, qPrintable(QString("key %1 is silent").arg(key)));
        QVERIFY2(worstClick(audio).ratio < 10, qPrintable(QString("key %1 clicks").arg(key)));
        kit[key] = character(audio, 0.3);
        qInfo("key %d: centroid %5.0f Hz, length %.2f s, tonality %.2f, peak %.1f dBFS", key, kit[key].centroid,
              kit[key].length, kit[key].tonality, decibels(audio.peak()));
    }
    const auto dark = [&](int key, int than) { return kit[key].centroid < kit[than].centroid; };
    // Kicks below snares, the acoustic bass drum the deeper of the two.
    for (int kick : {35, 36})
        for (int snare : {38, 40})
            QVERIFY2(dark(kick, snare), qPrintable(QString("kick %1 against snare %2").arg(kick).arg(snare)));
    QVERIFY(dark(35, 36));
    QVERIFY(kit[38].centroid != kit[40].centroid);
    // Toms from the low floor tom to the high tom.
    const int toms[] = {41, 43, 45, 47, 48, 50};
    for (std::size_t i = 0; i + 1 < std::size(toms); ++i)
        QVERIFY2(dark(toms[i], toms[i + 1]), qPrintable(QString("tom %1 against %2").arg(toms[i]).arg(toms[i + 1])));
    // Cymbals ring on bright, as noise but for the rides' ring; shakers and the tambourine are
    // bright noise, but short.
    for (int cymbal : {46, 49, 51, 52, 55, 57, 59}) {
        QVERIFY2(kit[cymbal].centroid > 2500, qPrintable(QString("cymbal %1 is dull").arg(cymbal)));
        QVERIFY2(kit[cymbal].length > 0.4, qPrintable(QString("cymbal %1 is short").arg(cymbal)));
        QVERIFY2(kit[cymbal].tonality < 0.5 || cymbal == 51 || cymbal == 59, qPrintable(QString("cymbal %1 is a tone").arg(cymbal)));
    }
    for (int shaker : {54, 69, 70}) {
        QVERIFY2(kit[shaker].centroid > 3000 && kit[shaker].tonality < 0.5, qPrintable(QString("shaker %1").arg(shaker)));
        QVERIFY2(kit[shaker].length < 0.4, qPrintable(QString("shaker %1 is long").arg(shaker)));
    }
    // Hand percussion is short and pitched.
    for (int key : {56, 60, 61, 62, 63, 64, 65, 66, 67, 68, 75, 76, 77, 78, 79}) {
        QVERIFY2(kit[key].length < 0.5, qPrintable(QString("key %1 is long").arg(key)));
        QVERIFY2(kit[key].tonality > 0.5, qPrintable(QString("key %1 has no pitch").arg(key)));
    }
}

// The pedal and the closed hi-hat cut the open one short, as the mute triangle cuts the open one.
void TestSoundFont::hiHatsChokeEachOther()
{
    Synth synth;
    QVERIFY(synth.load(fontFile_));
    for (const auto &[open, choke] : {std::pair(46, 42), std::pair(46, 44), std::pair(81, 80)}) {
        Audio alone, choked;
        fluid_synth_noteon(synth.get(), 9, open, 100);
        synth.render(alone, rate / 2);
        fluid_synth_all_sounds_off(synth.get(), 9);
        fluid_synth_noteon(synth.get(), 9, open, 100);
        synth.render(choked, rate / 10);
        fluid_synth_noteon(synth.get(), 9, choke, 1);
        synth.render(choked, rate / 2 - rate / 10);
        fluid_synth_all_sounds_off(synth.get(), 9);
        // Once the choking note's own short sound has gone.
        const double ringing = alone.rms(rate * 3 / 10, rate / 2), after = choked.rms(rate * 3 / 10, rate / 2);
        qInfo("%d after %d: %.1f dB against %.1f dB alone", open, choke, decibels(after), decibels(ringing));
        QVERIFY2(decibels(after) < decibels(ringing) - 20, qPrintable(QString("%1 rings on after %2").arg(open).arg(choke)));
    }
}

// Each of the sixteen families of General MIDI programs has a voice of its own, told apart from
// every other family's by how bright it is, how fast it speaks, how it dies away or how much it is
// a tone at all; and every program of a family, but the song's own, plays its family's voice.
void TestSoundFont::everyFamilyHasAVoiceOfItsOwn()
{
    static const char *const families[16] = {"piano", "chromatic percussion", "organ", "guitar", "bass", "strings",
                                             "ensemble", "brass", "reed", "pipe", "synth lead", "synth pad",
                                             "synth effects", "ethnic", "percussive", "sound effects"};
    const std::set<int> songsOwn = {4};
    std::vector<Character> voices;
    for (int family = 0; family < 16; ++family) {
        Synth synth;
        QVERIFY(synth.load(fontFile_));
        fluid_synth_program_change(synth.get(), 0, 8 * family);
        const Audio voice = strike(synth, 0, 60, 1.5);
        voices.push_back(character(voice, 1.2));
        const Character &c = voices.back();
        qInfo("%-20s centroid %5.0f Hz, attack %.3f s, at 1.2 s %6.1f dB, tonality %.2f", families[family], c.centroid,
              c.attack, c.level, c.tonality);
        for (int program = 8 * family + 1; program < 8 * family + 8; ++program) {
            if (songsOwn.count(program))
                continue;
            Synth fresh;
            QVERIFY(fresh.load(fontFile_));
            fluid_synth_program_change(fresh.get(), 0, program);
            const Audio same = strike(fresh, 0, 60, 1.5);
            QVERIFY2(same.samples == voice.samples, qPrintable(QString("program %1 is not the %2 voice").arg(program).arg(families[family])));
        }
    }
    for (int a = 0; a < 16; ++a)
        for (int b = a + 1; b < 16; ++b) {
            const Character &x = voices[std::size_t(a)], &y = voices[std::size_t(b)];
            const bool brighter = std::abs(std::log2(x.centroid / y.centroid)) > 0.25;
            const bool faster = std::abs(std::log2((x.attack + 0.01) / (y.attack + 0.01))) > 1;
            const bool dies = std::abs(x.level - y.level) > 6;
            const bool tone = std::abs(x.tonality - y.tonality) > 0.3;
            QVERIFY2(brighter || faster || dies || tone, qPrintable(QString("%1 and %2 sound alike").arg(families[a], families[b])));
        }
}

QTEST_GUILESS_MAIN(TestSoundFont)
#include "tst_soundfont.moc"
