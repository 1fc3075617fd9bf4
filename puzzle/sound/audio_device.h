#pragma once

#include <SDL.h>
#include <SDL_mixer.h>
#include <fluidsynth.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace morvik {

class MediaPlayer;

using Song = std::vector<char>;

// The one SDL_mixer device of the process, shared by every media player, with the FluidSynth synth
// that plays MIDI songs inside the mixer's music hook.
//
// Opening the device and loading the soundfont take tens of milliseconds, so a thread of the device
// does both while the program goes on starting; operations issued before it is done wait in a queue
// and run in their order when it is. After that, operations run on the caller's thread.
//
// One song at a time: the player that loaded it last owns it. The UI thread steers the hook only
// through atomics, and every fluid_player_* call happens inside the hook.
class AudioDevice {
public:
    static constexpr int Rate = 44100;

    // The device of the process, started by the first player and closed after the last one.
    static std::shared_ptr<AudioDevice> shared();
    // While held, a device's start waits; releasing lets it go on. A device going away releases it.
    static void holdStart();
    static void releaseStart();

    AudioDevice();
    ~AudioDevice();
    AudioDevice(const AudioDevice &) = delete;
    AudioDevice &operator=(const AudioDevice &) = delete;

    // Runs op now if the device has started, else queues it for the start.
    void run(const MediaPlayer *owner, std::function<void()> op);
    // Drops the operations still queued for owner; true if the device has started.
    bool forget(const MediaPlayer *owner);
    bool started();

    // Valid once started.
    bool isOpen() const { return open_; }
    bool hasSynth() const { return synth_ != nullptr; }

    int newChannel() { return nextChannel_++; }
    // One line on standard error, once per subject and reason.
    void report(const std::string &subject, const std::string &reason);

    // The song: handed over to the hook, which starts it from its beginning.
    void loadSong(const MediaPlayer *owner, Song song, float gain);
    void dropSong();
    const MediaPlayer *songOwner() const { return songOwner_; }
    void rewindSong();
    void setSongPlaying(bool playing);
    void setSongGain(float gain);
    // Milliseconds of the song rendered since its start.
    std::int32_t songPosition() const;
    bool songEnded() const;

private:
    void start();
    void startSynth();
    static void SDLCALL renderHook(void *self, Uint8 *stream, int length);
    void render(std::int16_t *out, int frames);
    void restartSong(unsigned epoch);
    bool songRunning() const;

    std::mutex mutex_;
    bool started_ = false;
    std::vector<std::pair<const MediaPlayer *, std::function<void()>>> queued_;

    bool open_ = false;
    fluid_settings_t *settings_ = nullptr;
    fluid_synth_t *synth_ = nullptr;
    std::atomic<int> nextChannel_{0};
    std::set<std::string> reported_;

    // Written by the UI thread, read by the hook. Each load and each rewind starts a new epoch.
    const MediaPlayer *songOwner_ = nullptr;
    std::atomic<Song *> nextSong_{nullptr};
    std::atomic<unsigned> songEpoch_{0};
    std::atomic<bool> songPlaying_{false};
    std::atomic<float> songGain_{1.0f};
    // Written by the hook: the epoch it plays, whether its song has ended, and the frames rendered.
    std::atomic<std::uint64_t> progress_{0};
    // The hook's own.
    Song *song_ = nullptr;
    fluid_player_t *player_ = nullptr;
    unsigned epoch_ = 0;
    bool playerStarted_ = false;
    float gain_ = -1.0f;
    std::uint64_t frames_ = 0;

    std::thread starter_;
};

}  // namespace morvik
