#pragma once

#include "audio_module.h"
#include "synth.h"
#include "wave.h"

#include <SDL.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

namespace morvik::audio {

using SongFile = std::vector<char>;

// Writes LINE on standard error, with %1 replaced by DETAIL.
void say(const std::string &line, const std::string &detail = {});

// The audio devices, SDL's own, with the synth that plays MIDI songs into them; the waves are mixed
// on top of the synth, each on its deck's own channel. One song at a time: the deck that played it
// last owns it.
//
// Where a sound server mixes its clients (PulseAudio, PipeWire), the song and the cues go to it as
// two streams: the song's with a long period, which wakes the process seldom, and the cues' with a
// short one, so that a cue is heard soon after the move that plays it, open only while cues are
// played. Elsewhere (ALSA, or SDL's disk and dummy drivers) one device at the short period plays both.
//
// Three threads meet here, and one lock guards what they share. The UI thread works the decks. The
// devices' threads (SDL's) render in the callbacks; they hold the lock to take up what the decks ask
// of the song, publish its progress and mix the waves, never while the synth renders, and only the
// song's device calls the synth. The keeper thread opens a device when something of its own is to
// be heard, closes it when nothing has been for a while, and opens them again after the sound
// server has gone away; it alone calls SDL's device functions, never while holding the lock, so
// that no deck call waits for a sound server.
class Engine : public Module {
public:
    // A device's buffer: each callback renders this many frames, and each wakes the device's
    // thread. A cue starts at the next callback of its device, so its buffer sets how late it is
    // heard. Through a sound server the cues' device is open only while cues are played and the
    // song's wakes a sixteenth as often; elsewhere one device plays both.
    static constexpr int CueFrames = 256;
    static constexpr int SongFrames = 4096;
    static constexpr int SharedFrames = 512;
    // The synth renders the song this many frames at a time (see renderAhead).
    static constexpr int AheadFrames = 8192;
    // A deck whose last command was play keeps its device open this long after its last sound, so
    // that a cue soon after is not held up by the opening of a stream.
    static constexpr std::chrono::seconds Linger{10};

    explicit Engine(const Lines &lines);
    ~Engine() override;
    Engine(const Engine &) = delete;
    Engine &operator=(const Engine &) = delete;

    int newDeck() override;
    void dropDeck(int deck) override;
    std::string load(int deck, const std::string &path) override;
    void play(int deck) override;
    void stop(int deck) override;
    void rewind(int deck) override;
    void setLevel(int deck, std::int16_t level) override;
    std::int32_t position(int deck) override;

private:
    using Clock = std::chrono::steady_clock;
    enum class Kind { None, Wave, Song };
    struct Deck {
        Kind kind = Kind::None;
        std::shared_ptr<const Samples> wave;
        std::shared_ptr<const SongFile> song;
        std::int16_t level = 1000;
        // Its last command was play: while so, the device is kept open a while after the sound.
        bool wantsSound = false;
        // The wave's channel: the wave from its start, and the frames mixed of it.
        std::shared_ptr<const Samples> sounding;
        std::size_t at = 0;
        bool paused = false;
        std::int64_t frames = 0;
    };

    // One of SDL's devices, and what it plays.
    struct Output {
        Engine *engine;
        bool song;
        bool cues;
        int frames;
        SDL_AudioDeviceID id = 0;
    };
    // What is to be heard: the song, the cues.
    struct Wanted {
        bool song = false;
        bool cues = false;
        bool any() const { return song || cues; }
        // Whether the device plays something to be heard.
        bool of(const Output &output) const { return (output.song && song) || (output.cues && cues); }
    };

    static bool waveActive(const Deck &deck) { return deck.sounding && deck.at * 2 < deck.sounding->size(); }
    void release(int deck);
    void startWave(Deck &deck);
    void haltWave(Deck &deck);
    bool songEnded() const;
    bool ownsSong(int deck) const { return songOwner_ == deck; }

    // The keeper's.
    void keep();
    Wanted wanted(Clock::time_point now);
    static void waitForServer();
    bool startAudio(std::string &error);
    std::span<Output *const> outputs() const;
    bool anyOpen() const;
    bool anyLost() const;
    bool openDevice(Output &output, std::string &error);
    static void closeDevice(Output &output);
    void closeDevices();

    // The callback's.
    static void SDLCALL callback(void *output, Uint8 *stream, int length);
    void renderSong(std::int16_t *out, int frames);
    void startSong(const std::shared_ptr<const SongFile> &song);
    void playSong(std::int16_t *out, int frames);
    void renderAhead(int frames);
    void mixWaves(std::int16_t *out, int frames);

    std::mutex mutex_;
    std::condition_variable wake_;
    bool woken_ = false;
    bool closing_ = false;
    std::vector<Deck> decks_;
    // The song the decks ask for: each load and rewind is a new restart, taken up by the callback at
    // its next block, which then reports how far it has rendered that restart.
    int songOwner_ = -1;
    std::shared_ptr<const SongFile> song_;
    unsigned restart_ = 0;
    bool songPlaying_ = false;
    float songGain_ = 1.0f;
    unsigned renderedRestart_ = 0;
    std::uint64_t renderedFrames_ = 0;
    bool renderedEnd_ = false;
    Clock::time_point lastSong_{};
    Clock::time_point lastCue_{};

    // What is said on standard error, in the player's language.
    const Lines lines_;
    // Made before the keeper starts; used by the callback alone.
    std::unique_ptr<Synth> synth_;
    // The keeper's own: the song's and the cues' devices where a server mixes them, else the one
    // device for both.
    Output songDevice_{this, true, false, SongFrames};
    Output cueDevice_{this, false, true, CueFrames};
    Output sharedDevice_{this, true, true, SharedFrames};
    const std::array<Output *, 3> allOutputs_{&songDevice_, &cueDevice_, &sharedDevice_};
    bool serverMixes_ = false;

    // The callback's own.
    //
    // The synth renders the song a few of the device's buffers ahead, each as it would have been
    // rendered in a callback of its own, and they are handed out one a callback: the synth costs
    // a good deal for each wake-up, and little for each frame. The buffers are as long as the
    // device's that plays the song.
    struct Piece {
        bool sounds = false;     // rendered; else silence, with nothing to report
        bool ofSong = false;     // its frames count as the song's
        bool endedAfter = false;
    };
    std::vector<std::int16_t> ahead_;
    std::vector<Piece> pieces_;
    std::size_t nextPiece_ = 0;
    int pieceFrames_ = 0;
    unsigned playedRestart_ = 0;
    bool playerStarted_ = false;
    float gain_ = -1.0f;
    std::uint64_t frames_ = 0;

    std::thread keeper_;
};

}  // namespace morvik::audio
