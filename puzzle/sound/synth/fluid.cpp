#include "settings.h"
#include "sound_font.h"
#include "soundfont.h"
#include "synth.h"

#include <fluidsynth.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <numbers>
#include <set>
#include <utility>
#include <vector>

namespace morvik::audio {

namespace {

// The synth runs at half the device's rate (settings.h): the song's instruments hold hardly
// anything above 11 kHz (less than a ten-thousandth of its energy at the full rate), and each voice
// then costs half as much. Its frames are brought up to the device's rate with four-point midpoint
// interpolation.
static_assert(SynthRate * 2 == DeviceRate);

// Twice the frames of a 16-bit stereo stream: each frame, then the point halfway to the next one
// on the cubic through the four frames around it. Runs a frame and a half behind its input.
class Doubler {
public:
    // Two frames out for each frame in.
    void run(const std::int16_t *in, int frames, std::int16_t *out)
    {
        for (int i = 0; i < frames; ++i)
            for (int c = 0; c < 2; ++c) {
                auto &h = history_[c];
                const int next = in[2 * i + c];
                const int middle = (9 * (h[1] + h[2]) - h[0] - next + 8) >> 4;
                out[4 * i + c] = static_cast<std::int16_t>(h[1]);
                out[4 * i + 2 + c] = static_cast<std::int16_t>(std::clamp(middle, -32768, 32767));
                h = {h[1], h[2], next};
            }
    }
    void clear() { history_ = {}; }

private:
    std::array<std::array<int, 3>, 2> history_{};
};

// The most frames written at once without making room first: the renderer's whole run ahead.
constexpr int RoomFrames = 8192;

// FluidSynth for one song, without audio or MIDI drivers or a player of its own: the song's events,
// read and timed when the song was loaded, are played by this class at their frames, so that a
// start, and every start again, reads and allocates nothing.
class Fluid : public Synth {
public:
    Fluid(int voices, int channels)
    {
        for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
            fluid_set_log_function(level, nullptr, nullptr);
        settings_ = newSynthSettings(voices);
        fluid_settings_setint(settings_, "synth.midi-channels", channels);
        synth_ = new_fluid_synth(settings_);
        readSoundFontsFromMemory(settings_, synth_);
        half_.reserve(RoomFrames);
        doubled_.reserve(RoomFrames * 2);
    }

    ~Fluid() override
    {
        delete_fluid_synth(synth_);
        delete_fluid_settings(settings_);
    }

    Fluid(const Fluid &) = delete;
    Fluid &operator=(const Fluid &) = delete;

    // The song's own instruments, built into the module.
    bool loadInstruments()
    {
        const auto font = soundFontData();
        const bool loaded = loadSoundFont(synth_, {reinterpret_cast<const char *>(font.data()), font.size()}, true);
        fluid_synth_set_interp_method(synth_, -1, FLUID_INTERP_LINEAR);
        return loaded;
    }

    // Every instrument the song selects is selected once more on a channel of its own, past the
    // song's 16, which never plays: its samples are read now and stay, so that the song's program
    // changes, in its first pass and in every pass after, read nothing in the audio callback.
    void holdInstruments(const Song &song)
    {
        std::set<std::array<int, 3>> held;
        const auto hold = [&](int channel) {
            std::array<int, 3> preset{};
            const int spare = Channels + static_cast<int>(held.size());
            if (spare < fluid_synth_count_midi_channels(synth_)
                && fluid_synth_get_program(synth_, channel, &preset[0], &preset[1], &preset[2]) == FLUID_OK
                && held.insert(preset).second)
                fluid_synth_program_select(synth_, spare, preset[0], preset[1], preset[2]);
        };
        selectFirstPrograms(synth_, song.startsOnDefault);
        for (int channel = 0; channel < Channels; ++channel)
            if (song.startsOnDefault[static_cast<std::size_t>(channel)])
                hold(channel);
        for (const SongEvent &event : song.events) {
            const int type = event.status & 0xf0, channel = event.status & 0x0f;
            if (type == 0xb0 && (event.data1 == 0 || event.data1 == 32))
                fluid_synth_cc(synth_, channel, event.data1, event.data2);
            if (type == 0xc0) {
                fluid_synth_program_change(synth_, channel, event.data1);
                hold(channel);
            }
        }
        silence();
    }

    void start(const Song *song, Synth &heardLast) override
    {
        auto &last = static_cast<Fluid &>(heardLast);
        fadeLeft_ = 0;
        if (song && fluid_synth_get_active_voice_count(last.synth_) > 0) {
            last.synthWrite(fade_.data(), FadeFrames);
            fadeLeft_ = FadeFrames;
        }
        last.silence();
        if (&last != this) {
            silence();
            doubler_ = last.doubler_;
            pendingFrame_ = last.pendingFrame_;
            pending_ = std::exchange(last.pending_, false);
        }
        song_ = song;
        next_ = 0;
        frame_ = 0;
        if (song)
            selectFirstPrograms(synth_, song->startsOnDefault);
    }

    bool songRunning() const override { return song_ && frame_ < frameOf(song_->lengthMicroseconds); }

    bool sounding() const override { return fadeLeft_ > 0 || fluid_synth_get_active_voice_count(synth_) > 0; }

    void setGain(float gain) override { fluid_synth_set_gain(synth_, gain); }

    void write(std::int16_t *out, int frames) override
    {
        if (pending_ && frames > 0) {
            std::copy_n(pendingFrame_.begin(), 2, out);
            out += 2;
            --frames;
            pending_ = false;
        }
        const int rendered = (frames + 1) / 2;
        half_.resize(static_cast<std::size_t>(rendered) * 2);
        doubled_.resize(half_.size() * 2);
        render(half_.data(), rendered);
        fadeInto(half_.data(), rendered);
        doubler_.run(half_.data(), rendered, doubled_.data());
        std::copy_n(doubled_.begin(), frames * 2, out);
        // An odd count leaves the last frame for the next write.
        if (frames % 2 != 0) {
            std::copy_n(doubled_.end() - 2, 2, pendingFrame_.begin());
            pending_ = true;
        }
    }

    // The song's own channels.
    static constexpr int Channels = 16;
    // FluidSynth's block of frames.
    static constexpr int Block = 64;

private:
    static std::uint64_t frameOf(std::uint64_t microsecond) { return microsecond * SynthRate / 1000000; }

    // Every note cut at once, and the controllers as the song found them. FluidSynth renders in
    // blocks of 64 frames and hands them out as asked: the rest of the block under way, rendered
    // before the cut, is let go too, so that the next frames are the first after it.
    void silence()
    {
        fluid_synth_all_sounds_off(synth_, -1);
        for (int channel = 0; channel < Channels; ++channel)
            fluid_synth_cc(synth_, channel, 121, 0);
        if (const auto rest = (Block - written_ % Block) % Block) {
            std::array<std::int16_t, 2 * Block> frames;
            synthWrite(frames.data(), static_cast<int>(rest));
        }
    }

    void synthWrite(std::int16_t *out, int frames)
    {
        fluid_synth_write_s16(synth_, frames, out, 0, 2, out, 1, 2);
        written_ += static_cast<std::uint64_t>(frames);
    }

    // The synth's own frames, each of the song's events played at its frame.
    void render(std::int16_t *out, int frames)
    {
        while (frames > 0) {
            int count = frames;
            if (song_) {
                for (; next_ < song_->events.size() && frameOf(song_->events[next_].microsecond) <= frame_; ++next_)
                    play(song_->events[next_]);
                if (next_ < song_->events.size())
                    count = static_cast<int>(std::min<std::uint64_t>(count, frameOf(song_->events[next_].microsecond) - frame_));
            }
            synthWrite(out, count);
            out += 2 * count;
            frames -= count;
            frame_ += static_cast<std::uint64_t>(count);
        }
    }

    void play(const SongEvent &event)
    {
        const int channel = event.status & 0x0f;
        switch (event.status & 0xf0) {
        case 0x80:
            fluid_synth_noteoff(synth_, channel, event.data1);
            break;
        case 0x90:
            fluid_synth_noteon(synth_, channel, event.data1, event.data2);
            break;
        case 0xa0:
            fluid_synth_key_pressure(synth_, channel, event.data1, event.data2);
            break;
        case 0xb0:
            fluid_synth_cc(synth_, channel, event.data1, event.data2);
            break;
        case 0xc0:
            fluid_synth_program_change(synth_, channel, event.data1);
            break;
        case 0xd0:
            fluid_synth_channel_pressure(synth_, channel, event.data1);
            break;
        case 0xe0:
            fluid_synth_pitch_bend(synth_, channel, event.data1 | event.data2 << 7);
            break;
        case 0xf0:
            fluid_synth_sysex(synth_, reinterpret_cast<const char *>(song_->sysex.data()) + event.sysexAt,
                              static_cast<int>(event.sysexSize), nullptr, nullptr, nullptr, 0);
            break;
        }
    }

    // 5 ms at the synth's rate.
    static constexpr int FadeFrames = SynthRate / 200;
    // Adds what is left of the fade of the notes cut by the last start.
    void fadeInto(std::int16_t *out, int frames)
    {
        for (int i = 0; i < frames && fadeLeft_ > 0; ++i, --fadeLeft_) {
            const int at = FadeFrames - fadeLeft_;
            const double level = 0.5 * (1 + std::cos(std::numbers::pi * (at + 1) / (FadeFrames + 1)));
            for (int c = 0; c < 2; ++c) {
                const double v = out[2 * i + c] + level * fade_[2 * at + c];
                out[2 * i + c] = static_cast<std::int16_t>(std::clamp(std::lround(v), -32768L, 32767L));
            }
        }
    }

    fluid_settings_t *settings_ = nullptr;
    fluid_synth_t *synth_ = nullptr;
    std::uint64_t written_ = 0;
    const Song *song_ = nullptr;
    // The song's next event, and the synth's frames since the song's start.
    std::size_t next_ = 0;
    std::uint64_t frame_ = 0;
    // The synth's frames and the device's.
    std::vector<std::int16_t> half_;
    std::vector<std::int16_t> doubled_;
    Doubler doubler_;
    std::array<std::int16_t, 2> pendingFrame_{};
    bool pending_ = false;
    // The sound of the notes cut by the last start, and how much of it is still to be faded in.
    std::array<std::int16_t, FadeFrames * 2> fade_{};
    int fadeLeft_ = 0;
};

// The channels a song's synth is given: its own 16, and one for each instrument it selects (at
// most as many as its program changes, and the two it may start on), as FluidSynth counts
// channels, in sixteens.
int channelsFor(const Song &song)
{
    const auto changes = std::count_if(song.events.begin(), song.events.end(), [](const SongEvent &e) { return (e.status & 0xf0) == 0xc0; });
    const auto wanted = std::min<std::ptrdiff_t>(16 + 2 + changes, 256);
    return static_cast<int>((wanted + 15) / 16 * 16);
}

}  // namespace

std::unique_ptr<Synth> synthFor(const Song &song)
{
    auto synth = std::make_unique<Fluid>(voicesFor(song.notesAtOnce), channelsFor(song));
    if (!synth->loadInstruments())
        return nullptr;
    synth->holdInstruments(song);
    return synth;
}

}  // namespace morvik::audio

// FluidSynth starts libinstpatch with every synth it makes, so that it can read DLS soundfonts as
// well; the start registers all of libinstpatch's types and converters and keeps about 0.65 MiB
// resident. Our synth reads only our own SoundFont 2, from memory, through the loader it is given
// first (sound_font.h), so it never asks libinstpatch for anything. These stand in for the start
// and its end: the module's own definitions come before libinstpatch's in FluidSynth's lookup.
extern "C" __attribute__((visibility("default"))) void ipatch_init() {}
extern "C" __attribute__((visibility("default"))) void ipatch_close() {}
