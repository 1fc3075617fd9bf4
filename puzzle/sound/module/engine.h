#pragma once

#include "audio_module.h"
#include "stage.h"
#include "synth.h"

#include <SDL.h>

#include <array>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace morvik::audio {

// The audio device, SDL's own, with the synth that plays MIDI songs into it. The waves are mixed on
// top of the synth, each on its deck's own channel.
//
// Made on the program's start-up thread, which opens the device; from then on the decks are used
// on the UI thread, and they steer the audio callback only through the stage. The synth module is
// opened, on a thread of its own, when a deck first loads a song, and the callback plays the song
// from the block after the synth is ready. One song at a time: the deck that loaded it last owns
// it. Every call to the synth happens in the callback.
class Engine : public Module {
public:
    Engine();
    ~Engine() override;
    Engine(const Engine &) = delete;
    Engine &operator=(const Engine &) = delete;

    std::unique_ptr<Deck> newDeck(Report report) override;

    bool isOpen() const { return device_ != 0; }
    // Opens the synth the first time; the UI thread's.
    void needSynth();
    Stage &stage() { return stage_; }
    // The deck whose song the stage holds; the UI thread's.
    const Deck *songOwner = nullptr;

private:
    void startSynth();
    static void SDLCALL callback(void *self, Uint8 *stream, int length);
    void render(std::int16_t *out, int frames);
    void restartSong(Synth &synth, const Stage::SongRequest &request);
    void playSong(Synth &synth, std::int16_t *out, int frames);
    void renderAhead(Synth &synth, int frames);

    Stage stage_;
    SDL_AudioDeviceID device_ = 0;
    std::thread synthStarter_;
    // Set once by the synth's thread; null while it starts, or for good if it could not.
    std::atomic<Synth *> synth_{nullptr};

    // The callback's own.
    //
    // The synth renders the song a few of the device's buffers ahead, each as it would have been
    // rendered in a callback of its own, and they are handed out one a callback: the synth costs
    // a good deal for each wake-up, and little for each frame.
    static constexpr int BuffersAhead = 4;
    struct Piece {
        bool sounds = false;     // rendered; else silence, with nothing to report
        bool ofSong = false;     // its frames count as the song's
        bool endedAfter = false;
    };
    std::vector<std::int16_t> ahead_;
    std::array<Piece, BuffersAhead> pieces_;
    int nextPiece_ = BuffersAhead;
    unsigned restart_ = 0;
    bool playerStarted_ = false;
    float gain_ = -1.0f;
    std::uint64_t frames_ = 0;
};

}  // namespace morvik::audio
