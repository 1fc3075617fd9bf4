#pragma once

#include "audio_module.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace morvik {

// The program's way to its audio module. A thread of its own loads the module when start() is
// called or when the given time has passed, whichever comes first; that is all it does. The
// players find the module through module() once it is there.
class AudioDevice {
public:
    explicit AudioDevice(std::chrono::milliseconds startWithin = {});
    ~AudioDevice();
    AudioDevice(const AudioDevice &) = delete;
    AudioDevice &operator=(const AudioDevice &) = delete;

    // A device that starts at once, shared by the players made while it lives.
    static std::shared_ptr<AudioDevice> shared();

    void start();
    // The loaded module, or null while it loads or when it could not be loaded.
    audio::Module *module() const;

private:
    void load(std::chrono::milliseconds startWithin);

    // What is said on standard error, translated on the thread that makes the device: Qt's
    // translation is the UI thread's, never the loading thread's.
    const audio::Lines lines_;
    const std::string noModule_;
    std::mutex mutex_;
    std::condition_variable startNow_;
    bool startAsked_ = false;
    bool closing_ = false;
    // Written by the loading thread before it sets ready_.
    std::unique_ptr<audio::Module> module_;
    std::atomic<bool> ready_{false};
    std::thread loader_;
};

}  // namespace morvik
