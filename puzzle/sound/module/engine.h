#pragma once

#include "audio_module.h"
#include "files.h"
#include "stage.h"

#include <SDL.h>
#include <fluidsynth.h>

#include <memory>
#include <string>
#include <vector>

namespace morvik::audio {

// The audio device, SDL's own, with the FluidSynth synth that plays MIDI songs into it. The waves
// are mixed on top of the synth, each on its deck's own channel.
//
// Made on the program's start-up thread, which opens the device and loads the soundfont; from then
// on the decks are used on the UI thread, and they steer the audio callback only through the stage.
// One song at a time: the deck that loaded it last owns it. Every fluid_player_* call happens in
// the callback.
class Engine : public Module {
public:
    Engine();
    ~Engine() override;
    Engine(const Engine &) = delete;
    Engine &operator=(const Engine &) = delete;

    std::unique_ptr<Deck> newDeck(Report report) override;

    bool isOpen() const { return device_ != 0; }
    bool hasSynth() const { return synth_ != nullptr; }
    Stage &stage() { return stage_; }
    // The deck whose song the stage holds; the UI thread's.
    const Deck *songOwner = nullptr;

private:
    void startSynth();
    bool loadInstruments();
    bool loadFirstSoundFont(const std::vector<std::string> &files);
    static void SDLCALL callback(void *self, Uint8 *stream, int length);
    void render(std::int16_t *out, int frames);
    void restartSong(const Stage::SongRequest &request);
    bool songRunning() const;

    Stage stage_;
    SDL_AudioDeviceID device_ = 0;
    fluid_settings_t *settings_ = nullptr;
    fluid_synth_t *synth_ = nullptr;
    std::unique_ptr<MappedFile> soundFont_;

    // The callback's own.
    fluid_player_t *player_ = nullptr;
    unsigned restart_ = 0;
    bool playerStarted_ = false;
    float gain_ = -1.0f;
    std::uint64_t frames_ = 0;
};

}  // namespace morvik::audio
