#pragma once

#include "audio_module.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace morvik {

class MediaPlayer;

// The program's audio device, in the audio module. A thread of its own opens the module and the
// device when start() is called or when the given time has passed, whichever comes first; that is
// all it does. The module is then taken up on the UI thread by the first player
// call that finds it ready, and every player gets its deck there.
class AudioDevice {
public:
    explicit AudioDevice(std::chrono::milliseconds startWithin = {});
    ~AudioDevice();
    AudioDevice(const AudioDevice &) = delete;
    AudioDevice &operator=(const AudioDevice &) = delete;

    // A device that starts at once, shared by the players made while it lives.
    static std::shared_ptr<AudioDevice> shared();

    void start();

    // The UI thread's side.
    void add(MediaPlayer *player);
    void remove(MediaPlayer *player);
    // The started module, or null while it starts or when it could not be opened.
    audio::Module *module();
    // One line on standard error, once per subject and reason.
    void report(const std::string &subject, const std::string &reason);

private:
    void open(std::chrono::milliseconds startWithin);

    std::mutex mutex_;
    std::condition_variable startNow_;
    bool startAsked_ = false;
    bool closing_ = false;
    // Written by the start thread before it sets ready_.
    void *library_ = nullptr;
    audio::Module *opened_ = nullptr;
    std::atomic<bool> ready_{false};

    bool takenUp_ = false;
    std::unique_ptr<audio::Module> module_;
    std::vector<MediaPlayer *> players_;
    std::set<std::string> reported_;
    std::thread starter_;
};

}  // namespace morvik
