#include "sound_font.h"
#include "soundfont.h"
#include "synth.h"
#include "files.h"

#include <fluidsynth.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace morvik::audio {

namespace {

constexpr int Rate = 44100;

// SDL_SOUNDFONTS, as SDL_mixer reads it: file names separated by ';'.
std::vector<std::string> listedSoundFonts(const char *list)
{
    std::vector<std::string> fonts;
    std::istringstream in(list);
    for (std::string font; std::getline(in, font, ';');)
        if (!font.empty())
            fonts.push_back(font);
    return fonts;
}

// FluidSynth, without audio or MIDI drivers of its own: the engine's audio callback runs it.
class Fluid : public Synth {
public:
    Fluid()
    {
        for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
            fluid_set_log_function(level, nullptr, nullptr);
        settings_ = new_fluid_settings();
        fluid_settings_setnum(settings_, "synth.sample-rate", Rate);
        // Only the samples of the instruments the song selects are read from the soundfont.
        fluid_settings_setint(settings_, "synth.dynamic-sample-loading", 1);
        fluid_settings_setint(settings_, "synth.lock-memory", 0);
        // A cheap synth: a background song needs neither reverb nor chorus nor hundreds of voices,
        // and it is only ever called from the audio callback.
        fluid_settings_setint(settings_, "synth.reverb.active", 0);
        fluid_settings_setint(settings_, "synth.chorus.active", 0);
        fluid_settings_setint(settings_, "synth.ladspa.active", 0);
        fluid_settings_setint(settings_, "synth.polyphony", 32);
        fluid_settings_setint(settings_, "synth.cpu-cores", 1);
        fluid_settings_setint(settings_, "synth.threadsafe-api", 0);
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

    // The soundfonts listed in SDL_SOUNDFONTS, else the song's own instruments built into the module.
    bool loadInstruments()
    {
        bool loaded = false;
        if (const char *list = std::getenv("SDL_SOUNDFONTS")) {
            loaded = loadFirstSoundFont(listedSoundFonts(list));
        } else {
            const auto font = soundFontData();
            loaded = loadSoundFont(synth_, {reinterpret_cast<const char *>(font.data()), font.size()}, true);
        }
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
        fluid_synth_write_s16(synth_, frames, out, 0, 2, out, 1, 2);
    }

private:
    bool loadFirstSoundFont(const std::vector<std::string> &files)
    {
        std::string tried;
        for (const auto &file : files) {
            auto font = std::make_unique<MappedFile>(file);
            if (font->error().empty() && loadSoundFont(synth_, font->bytes(), true)) {
                soundFont_ = std::move(font);
                return true;
            }
            tried += (tried.empty() ? "" : ", ") + file;
        }
        std::fprintf(stderr, "morvik: no General MIDI soundfont (tried %s); the music is silent\n",
                     tried.empty() ? "none" : tried.c_str());
        return false;
    }

    fluid_settings_t *settings_ = nullptr;
    fluid_synth_t *synth_ = nullptr;
    fluid_player_t *player_ = nullptr;
    std::unique_ptr<MappedFile> soundFont_;
};

}  // namespace

}  // namespace morvik::audio

extern "C" __attribute__((visibility("default"))) morvik::audio::Synth *morvik_synth_start()
{
    auto synth = std::make_unique<morvik::audio::Fluid>();
    return synth->loadInstruments() ? synth.release() : nullptr;
}
