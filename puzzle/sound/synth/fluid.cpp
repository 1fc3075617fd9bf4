#include "settings.h"
#include "sound_font.h"
#include "soundfont.h"
#include "synth.h"
#include "files.h"

#include <fluidsynth.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <numbers>
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

// FluidSynth, without audio or MIDI drivers of its own: the engine's audio callback runs it.
class Fluid : public Synth {
public:
    Fluid()
    {
        for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
            fluid_set_log_function(level, nullptr, nullptr);
        create(FewestVoices);
    }

    ~Fluid() override
    {
        if (player_)
            delete_fluid_player(player_);
        destroy();
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

    // A new song, or the same again, cuts the notes still sounding: they fade out over a few
    // milliseconds under the song's first notes instead of stopping at once, which clicks.
    void load(std::span<const char> song) override
    {
        fadeLeft_ = 0;
        if (player_) {
            delete_fluid_player(player_);
            player_ = nullptr;
            if (!song.empty() && fluid_synth_get_active_voice_count(synth_) > 0) {
                fade_.resize(FadeFrames * 2);
                fluid_synth_write_s16(synth_, FadeFrames, fade_.data(), 0, 2, fade_.data(), 1, 2);
                fadeLeft_ = FadeFrames;
            }
            fluid_synth_all_sounds_off(synth_, -1);
        } else {
            doubler_.clear();
            pending_ = false;
        }
        if (!song.empty()) {
            const Song standard = readSong(song);
            // No note of a dense song is lost to a voice taken for another. FluidSynth takes more
            // voices only when it is made: a synth that has too few is made again.
            if (const int voices = voicesFor(standard.notesAtOnce); voices > voices_) {
                destroy();
                create(voices);
                loadInstruments();
                fluid_synth_set_gain(synth_, gain_);
            }
            player_ = new_fluid_player(synth_);
            fluid_player_add_mem(player_, standard.standard.data(), standard.standard.size());
            selectFirstPrograms(synth_, standard.startsOnDefault);
        }
    }

    bool hasSong() const override { return player_ != nullptr; }

    void play() override { fluid_player_play(player_); }

    // The player itself stays "playing" a little longer while the last notes fade; that time is not
    // the song's. Before the first block the song is not read yet and counts no ticks at all.
    bool songRunning() const override
    {
        const int total = fluid_player_get_total_ticks(player_);
        return fluid_player_get_status(player_) == FLUID_PLAYER_PLAYING
            && (total == 0 || fluid_player_get_current_tick(player_) < total);
    }

    bool sounding() const override { return fadeLeft_ > 0 || fluid_synth_get_active_voice_count(synth_) > 0; }

    void setGain(float gain) override
    {
        gain_ = gain;
        fluid_synth_set_gain(synth_, gain);
    }

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
        fluid_synth_write_s16(synth_, rendered, half_.data(), 0, 2, half_.data(), 1, 2);
        fadeInto(half_.data(), rendered);
        doubler_.run(half_.data(), rendered, doubled_.data());
        std::copy_n(doubled_.begin(), frames * 2, out);
        // An odd count leaves the last frame for the next write.
        if (frames % 2 != 0) {
            std::copy_n(doubled_.end() - 2, 2, pendingFrame_.begin());
            pending_ = true;
        }
    }

private:
    void create(int voices)
    {
        settings_ = newSynthSettings(voices);
        synth_ = new_fluid_synth(settings_);
        readSoundFontsFromMemory(settings_, synth_);
        voices_ = voices;
        gain_ = static_cast<float>(fluid_synth_get_gain(synth_));
    }

    void destroy()
    {
        delete_fluid_synth(synth_);
        delete_fluid_settings(settings_);
    }

    // 5 ms at the synth's rate.
    static constexpr int FadeFrames = SynthRate / 200;
    // Adds what is left of the fade of the notes cut by the last load.
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
    int voices_ = 0;
    float gain_ = 0;
    fluid_player_t *player_ = nullptr;
    // The synth's frames and the device's.
    std::vector<std::int16_t> half_;
    std::vector<std::int16_t> doubled_;
    Doubler doubler_;
    std::array<std::int16_t, 2> pendingFrame_{};
    bool pending_ = false;
    // The sound of the notes cut by the last load, and how much of it is still to be faded in.
    std::vector<std::int16_t> fade_;
    int fadeLeft_ = 0;
};

}  // namespace

std::unique_ptr<Synth> startSynth()
{
    auto synth = std::make_unique<Fluid>();
    return synth->loadInstruments() ? std::move(synth) : nullptr;
}

}  // namespace morvik::audio

// FluidSynth starts libinstpatch with every synth it makes, so that it can read DLS soundfonts as
// well; the start registers all of libinstpatch's types and converters and keeps about 0.65 MiB
// resident. Our synth reads only our own SoundFont 2, from memory, through the loader it is given
// first (sound_font.h), so it never asks libinstpatch for anything. These stand in for the start
// and its end: the module's own definitions come before libinstpatch's in FluidSynth's lookup.
extern "C" __attribute__((visibility("default"))) void ipatch_init() {}
extern "C" __attribute__((visibility("default"))) void ipatch_close() {}
