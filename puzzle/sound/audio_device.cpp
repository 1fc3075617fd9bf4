#include "audio_device.h"

#include <QCoreApplication>

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>

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

std::string translated(const char *text) { return QCoreApplication::translate("Sound", text).toStdString(); }

// What the module says on standard error, in the player's language.
audio::Lines lines()
{
    return {
        translated(QT_TRANSLATE_NOOP("Sound", "morvik: the audio device is gone; the game is silent until it is back")),
        translated(QT_TRANSLATE_NOOP("Sound", "morvik: the audio device is back (%1)")),
        translated(QT_TRANSLATE_NOOP("Sound", "morvik: no audio device (%1); the game is silent until there is one")),
        translated(QT_TRANSLATE_NOOP("Sound", "morvik: the built-in soundfont cannot be loaded; the music is silent")),
    };
}

}  // namespace

AudioDevice::AudioDevice(std::chrono::milliseconds startWithin)
    : lines_(lines()),
      noModule_(translated(QT_TRANSLATE_NOOP("Sound", "morvik: no audio module (%1); the game runs silently"))),
      loader_([this, startWithin] { load(startWithin); })
{
}

AudioDevice::~AudioDevice()
{
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    startNow_.notify_all();
    loader_.join();
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

// The library stays in memory until the process ends: the sound stack's libraries do not all let
// go of what they have set up.
void AudioDevice::load(std::chrono::milliseconds startWithin)
{
    {
        std::unique_lock lock(mutex_);
        startNow_.wait_for(lock, startWithin, [this] { return startAsked_ || closing_; });
        // A device that goes away before its start never loads the module.
        if (closing_ && !startAsked_)
            return;
    }
    const std::string path = modulePath();
    void *library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    auto start = library ? reinterpret_cast<audio::Start>(::dlsym(library, audio::StartSymbol)) : nullptr;
    if (start) {
        module_.reset(start(lines_));
    } else {
        const char *why = ::dlerror();
        audio::say(noModule_, why ? why : "");
    }
    ready_.store(true, std::memory_order_release);
}

audio::Module *AudioDevice::module() const
{
    return ready_.load(std::memory_order_acquire) ? module_.get() : nullptr;
}

}  // namespace morvik
