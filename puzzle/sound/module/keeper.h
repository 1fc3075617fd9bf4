#pragma once

#include "audio_module.h"
#include "exchange.h"
#include "renderer.h"

#include <SDL.h>

#include <array>
#include <chrono>
#include <mutex>
#include <span>
#include <string>
#include <thread>

namespace morvik::audio {

// The keeper: a thread of its own that makes every call to SDL's audio devices. It opens a device
// when something is to be heard, closes it when nothing has been for a while, and opens them
// again after a device has been lost or could not be opened, each time with the driver SDL itself
// chooses then: the desktop's sound server if there is one, else ALSA. It copies the request and
// the progress under the exchange's lock and calls SDL only without it, so that no deck call
// waits for a sound server.
//
// Where a sound server mixes its clients (PulseAudio, PipeWire), the song and the cues go to it as
// two streams: the song's with a long period, which wakes the process seldom, and the cues' with a
// short one, so that a cue is heard soon after the move that plays it, open only while cues are
// played. Elsewhere (ALSA, or SDL's disk and dummy drivers) one device at the short period plays both.
class Keeper {
public:
    // A device's buffer: each callback renders this many frames, and each wakes the device's
    // thread. A cue starts at the next callback of its device, so its buffer sets how late it is
    // heard. Through a sound server the cues' device is open only while cues are played and the
    // song's wakes a sixteenth as often; elsewhere one device plays both.
    static constexpr int CueFrames = 256;
    static constexpr int SongFrames = 4096;
    static constexpr int SharedFrames = 512;
    // A deck whose last command was play keeps its device open this long after its last sound, so
    // that a cue soon after is not held up by the opening of a stream.
    static constexpr std::chrono::seconds Linger{10};

    Keeper(Exchange &exchange, Renderer &renderer, const Lines &lines);
    // Closes the devices, after the exchange has been told it is closing.
    ~Keeper();
    Keeper(const Keeper &) = delete;
    Keeper &operator=(const Keeper &) = delete;

private:
    using Clock = std::chrono::steady_clock;

    // One of SDL's devices, and what it plays.
    struct Output {
        Renderer::Part part;
        int frames;
        SDL_AudioDeviceID id = 0;
    };
    // What is to be heard: the song, the cues.
    struct Wanted {
        bool song = false;
        bool cues = false;
        bool any() const { return song || cues; }
        // Whether the device plays something to be heard.
        bool of(const Output &output) const { return (output.part.song && song) || (output.part.cues && cues); }
    };

    void keep();
    Wanted wanted(const Request &request, const Progress &progress, Clock::time_point now);
    void openWanted(const Wanted &wants, Clock::time_point now);
    void lose(Clock::time_point now);
    void closeUnwanted(const Wanted &wants);
    bool startAudio(std::string &error);
    void stopAudio();
    std::span<Output *const> outputs() const;
    bool anyOpen() const;
    bool anyLost() const;
    bool openDevice(Output &output, std::string &error);
    static void closeDevice(Output &output);

    Exchange &exchange_;
    const Lines &lines_;
    Output songDevice_;
    Output cueDevice_;
    Output sharedDevice_;
    const std::array<Output *, 3> allOutputs_{&songDevice_, &cueDevice_, &sharedDevice_};
    bool serverMixes_ = false;
    // Without a device: the next attempt, the wait before the one after, and whether the loss has
    // been told on standard error.
    Clock::time_point retryAt_{};
    Clock::duration retry_;
    bool silent_ = false;
    Clock::time_point lastSong_{};
    Clock::time_point lastCue_{};
    std::thread thread_;
};

}  // namespace morvik::audio
