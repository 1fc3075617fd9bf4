#include "audio_device.h"

#include "media_player.h"

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace morvik {

namespace {

// The module lies next to the program in a build tree, and in lib/morvik beside the program's
// folder (bin/ or games/) when installed. MORVIK_AUDIO_MODULE names it anywhere else.
std::string modulePath()
{
    if (const char *path = std::getenv("MORVIK_AUDIO_MODULE"))
        return path;
    char program[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", program, sizeof program - 1);
    if (length <= 0)
        return audio::FileName;
    const std::string self(program, static_cast<std::size_t>(length));
    const std::string folder = self.substr(0, self.rfind('/') + 1);
    for (const std::string &path : {folder + audio::FileName, folder + "../lib/morvik/" + audio::FileName})
        if (::access(path.c_str(), R_OK) == 0)
            return path;
    return folder + audio::FileName;
}

}  // namespace

AudioDevice::AudioDevice(std::chrono::milliseconds startWithin)
    : starter_([this, startWithin] { open(startWithin); })
{
}

AudioDevice::~AudioDevice()
{
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    startNow_.notify_all();
    starter_.join();
    if (!takenUp_)
        module_.reset(opened_);
    module_.reset();
    if (library_)
        ::dlclose(library_);
}

std::shared_ptr<AudioDevice> AudioDevice::shared()
{
    static std::mutex mutex;
    static std::weak_ptr<AudioDevice> current;
    std::lock_guard lock(mutex);
    auto device = current.lock();
    if (!device) {
        device = std::make_shared<AudioDevice>();
        current = device;
    }
    return device;
}

void AudioDevice::start()
{
    {
        std::lock_guard lock(mutex_);
        startAsked_ = true;
    }
    startNow_.notify_all();
}

void AudioDevice::open(std::chrono::milliseconds startWithin)
{
    {
        std::unique_lock lock(mutex_);
        startNow_.wait_for(lock, startWithin, [this] { return startAsked_ || closing_; });
        // A device that goes away before its start is never opened.
        if (closing_ && !startAsked_)
            return;
    }
    const std::string path = modulePath();
    // Kept in memory until the process ends, so that nothing of it is looked up after it is gone.
    library_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    auto start = library_ ? reinterpret_cast<audio::Start>(::dlsym(library_, audio::StartSymbol)) : nullptr;
    if (start)
        opened_ = start();
    else
        std::fprintf(stderr, "morvik: no audio module (%s); the game runs silently\n", ::dlerror());
    ready_.store(true, std::memory_order_release);
}

void AudioDevice::add(MediaPlayer *player)
{
    players_.push_back(player);
}

void AudioDevice::remove(MediaPlayer *player)
{
    std::erase(players_, player);
}

audio::Module *AudioDevice::module()
{
    if (!takenUp_ && ready_.load(std::memory_order_acquire)) {
        takenUp_ = true;
        module_.reset(opened_);
        if (module_)
            for (MediaPlayer *player : players_)
                player->takeUp(*module_);
    }
    return module_.get();
}

void AudioDevice::report(const std::string &subject, const std::string &reason)
{
    if (reported_.insert(subject + '\n' + reason).second)
        std::fprintf(stderr, "morvik: %s: %s\n", subject.c_str(), reason.c_str());
}

}  // namespace morvik
