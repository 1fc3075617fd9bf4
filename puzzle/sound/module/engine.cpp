#include "engine.h"

#include "deck.h"
#include "sound_font.h"
#include "soundfont.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace morvik::audio {

namespace {

// 2048 frames (46 ms) per callback: few wake-ups while the game idles, and a cue still starts well
// within a tick of the game's timer.
constexpr int BufferFrames = 2048;

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

}  // namespace

Engine::Engine()
{
    // The program keeps its own SIGINT and SIGTERM behaviour: ending at once.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // A wave file cut short is refused, not played up to the cut.
    SDL_SetHint(SDL_HINT_WAVE_TRUNCATION, "verystrict");
    // Exactly 44.1 kHz stereo 16-bit, as the cues and the synth are: SDL converts if the hardware
    // differs, and each cue is converted once, when it is loaded.
    SDL_AudioSpec wanted{};
    wanted.freq = Stage::Rate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = BufferFrames;
    wanted.callback = callback;
    wanted.userdata = this;
    if (SDL_Init(SDL_INIT_AUDIO) != 0 || (device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0)) == 0) {
        std::fprintf(stderr, "morvik: no audio device (%s); the game runs silently\n", SDL_GetError());
        return;
    }
    startSynth();
    SDL_PauseAudioDevice(device_, 0);
}

Engine::~Engine()
{
    if (device_)
        SDL_CloseAudioDevice(device_);
    if (player_)
        delete_fluid_player(player_);
    if (synth_)
        delete_fluid_synth(synth_);
    if (settings_)
        delete_fluid_settings(settings_);
    SDL_Quit();
}

std::unique_ptr<Deck> Engine::newDeck(Report report)
{
    return std::make_unique<EngineDeck>(*this, std::move(report));
}

void Engine::startSynth()
{
    for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
        fluid_set_log_function(level, nullptr, nullptr);
    settings_ = new_fluid_settings();
    fluid_settings_setnum(settings_, "synth.sample-rate", Stage::Rate);
    // Only the samples of the instruments the song selects are read from the soundfont.
    fluid_settings_setint(settings_, "synth.dynamic-sample-loading", 1);
    fluid_settings_setint(settings_, "synth.lock-memory", 0);
    // A cheap synth: a background song needs neither reverb nor chorus nor hundreds of voices, and
    // it is only ever called from the audio callback.
    fluid_settings_setint(settings_, "synth.reverb.active", 0);
    fluid_settings_setint(settings_, "synth.chorus.active", 0);
    fluid_settings_setint(settings_, "synth.ladspa.active", 0);
    fluid_settings_setint(settings_, "synth.polyphony", 64);
    fluid_settings_setint(settings_, "synth.cpu-cores", 1);
    fluid_settings_setint(settings_, "synth.threadsafe-api", 0);
    synth_ = new_fluid_synth(settings_);
    readSoundFontsFromMemory(settings_, synth_);
    if (!loadInstruments()) {
        delete_fluid_synth(synth_);
        synth_ = nullptr;
        return;
    }
    fluid_synth_set_interp_method(synth_, -1, FLUID_INTERP_LINEAR);
}

// The soundfonts listed in SDL_SOUNDFONTS, else the song's own instruments built into the module.
bool Engine::loadInstruments()
{
    if (const char *list = std::getenv("SDL_SOUNDFONTS"))
        return loadFirstSoundFont(listedSoundFonts(list));
    const auto font = soundFontData();
    return loadSoundFont(synth_, {reinterpret_cast<const char *>(font.data()), font.size()}, true);
}

bool Engine::loadFirstSoundFont(const std::vector<std::string> &files)
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

void SDLCALL Engine::callback(void *self, Uint8 *stream, int length)
{
    static_cast<Engine *>(self)->render(reinterpret_cast<std::int16_t *>(stream), length / 4);
}

void Engine::render(std::int16_t *out, int frames)
{
    std::fill_n(out, frames * 2, std::int16_t{0});
    if (synth_) {
        const Stage::SongRequest request = stage_.songRequest();
        if (request.restart != restart_)
            restartSong(request);
        if (request.gain != gain_) {
            fluid_synth_set_gain(synth_, request.gain);
            gain_ = request.gain;
        }
        // Stopped, the synth is not run at all, so the song waits exactly where it stopped.
        if (player_ && request.playing) {
            if (!playerStarted_) {
                fluid_player_play(player_);
                playerStarted_ = true;
            }
            const bool running = songRunning();
            if (running || fluid_synth_get_active_voice_count(synth_) > 0) {
                fluid_synth_write_s16(synth_, frames, out, 0, 2, out, 1, 2);
                if (running)
                    frames_ += static_cast<std::uint64_t>(frames);
                stage_.songProgress(restart_, frames_, !songRunning());
            }
        }
    }
    stage_.mixWaves(out, frames);
}

// The song runs until its last event. The player itself stays "playing" a little longer while the
// last notes fade; that time is not the song's. Before the first block the song is not read yet
// and counts no ticks at all.
bool Engine::songRunning() const
{
    const int total = fluid_player_get_total_ticks(player_);
    return fluid_player_get_status(player_) == FLUID_PLAYER_PLAYING
        && (total == 0 || fluid_player_get_current_tick(player_) < total);
}

void Engine::restartSong(const Stage::SongRequest &request)
{
    if (player_) {
        delete_fluid_player(player_);
        player_ = nullptr;
        fluid_synth_all_sounds_off(synth_, -1);
    }
    if (request.song && !request.song->empty()) {
        player_ = new_fluid_player(synth_);
        fluid_player_add_mem(player_, request.song->data(), request.song->size());
    }
    playerStarted_ = false;
    frames_ = 0;
    restart_ = request.restart;
    stage_.songProgress(restart_, 0, false);
}

}  // namespace morvik::audio

// The caller's thread ends once the device is open: SDL's error buffer for it goes with it.
extern "C" __attribute__((visibility("default"))) morvik::audio::Module *morvik_audio_start()
{
    auto *engine = new morvik::audio::Engine;
    SDL_TLSCleanup();
    return engine;
}
