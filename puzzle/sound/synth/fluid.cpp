#include "settings.h"
#include "sound_font.h"
#include "soundfont.h"
#include "synth.h"

#include <fluidsynth.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
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
        settings_ = newSynthSettings();
        synth_ = new_fluid_synth(settings_);
        readSoundFontsFromMemory(settings_, synth_);
    }

    ~Fluid() override
    {
        if (player_)
            delete_fluid_player(player_);
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

    void load(std::span<const char> song) override
    {
        if (player_) {
            delete_fluid_player(player_);
            player_ = nullptr;
            fluid_synth_all_sounds_off(synth_, -1);
        }
        doubler_.clear();
        pending_ = false;
        if (!song.empty()) {
            player_ = new_fluid_player(synth_);
            fluid_player_add_mem(player_, song.data(), song.size());
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

    bool sounding() const override { return fluid_synth_get_active_voice_count(synth_) > 0; }

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
        fluid_synth_write_s16(synth_, rendered, half_.data(), 0, 2, half_.data(), 1, 2);
        doubler_.run(half_.data(), rendered, doubled_.data());
        std::copy_n(doubled_.begin(), frames * 2, out);
        // An odd count leaves the last frame for the next write.
        if (frames % 2 != 0) {
            std::copy_n(doubled_.end() - 2, 2, pendingFrame_.begin());
            pending_ = true;
        }
    }

private:
    fluid_settings_t *settings_ = nullptr;
    fluid_synth_t *synth_ = nullptr;
    fluid_player_t *player_ = nullptr;
    // The synth's frames and the device's.
    std::vector<std::int16_t> half_;
    std::vector<std::int16_t> doubled_;
    Doubler doubler_;
    std::array<std::int16_t, 2> pendingFrame_{};
    bool pending_ = false;
};

}  // namespace

std::unique_ptr<Synth> startSynth()
{
    auto synth = std::make_unique<Fluid>();
    if (synth->loadInstruments())
        return synth;
    std::fprintf(stderr, "morvik: the built-in soundfont cannot be loaded; the music is silent\n");
    return nullptr;
}

}  // namespace morvik::audio
