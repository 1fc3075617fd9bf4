// How long the audio callback takes while the song plays and is rewound, as the loop watch rewinds
// it: the worst callback over a run with 20 rewinds, beside the median and the 99th percentile.
// The song plays through SDL's disk driver at full speed. The callback is timed from outside the
// audio module: this program's SDL_OpenAudioDevice stands in front of SDL's and wraps the callback
// it is given.
//
//   build/bench/callback_time [rewinds]      (default 20)

#include "media_player.h"

#include <QTemporaryDir>

#include <SDL.h>
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Timed {
    SDL_AudioCallback callback;
    void *userdata;
};

// Each device's callback with its own data; devices are few.
std::mutex timesMutex;
std::vector<double> times;
Timed timed[8];
int timedCount = 0;

void SDLCALL timedCallback(void *userdata, Uint8 *stream, int length)
{
    const Timed &t = *static_cast<const Timed *>(userdata);
    const auto start = Clock::now();
    t.callback(t.userdata, stream, length);
    const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    std::lock_guard lock(timesMutex);
    if (times.size() < times.capacity())
        times.push_back(us);
}

}  // namespace

extern "C" SDL_AudioDeviceID SDL_OpenAudioDevice(const char *device, int iscapture, const SDL_AudioSpec *desired,
                                                 SDL_AudioSpec *obtained, int allowed_changes)
{
    using Open = SDL_AudioDeviceID (*)(const char *, int, const SDL_AudioSpec *, SDL_AudioSpec *, int);
    void *sdl = dlopen("libSDL2-2.0.so.0", RTLD_LAZY | RTLD_NOLOAD);
    const auto open = reinterpret_cast<Open>(dlsym(sdl, "SDL_OpenAudioDevice"));
    SDL_AudioSpec wrapped = *desired;
    if (desired->callback && timedCount < 8) {
        timed[timedCount] = {desired->callback, desired->userdata};
        wrapped.callback = timedCallback;
        wrapped.userdata = &timed[timedCount++];
    }
    return open(device, iscapture, &wrapped, obtained, allowed_changes);
}

int main(int argc, char **argv)
{
    const int rewinds = argc > 1 ? std::atoi(argv[1]) : 20;
    QTemporaryDir dir;
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", qPrintable(dir.filePath("rendered.raw")), 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    times.reserve(1 << 20);
    {
        auto device = std::make_shared<morvik::AudioDevice>();
        morvik::MediaPlayer music(device);
        music.setFileName(MORVIK_SOUND_DIR "/ST.Mid");
        music.setCommand("play");
        // A rewind a second into the song, as the loop watch does it past the loop point.
        for (int done = 0; done < rewinds;) {
            if (music.position() > 1000) {
                music.setPosition(0);
                music.setCommand("play");
                ++done;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        while (music.position() < 1000)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        music.setCommand("stop");
    }
    std::lock_guard lock(timesMutex);
    if (times.empty()) {
        std::fprintf(stderr, "callback_time: no callback was timed\n");
        return 1;
    }
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    const auto at = [&](double q) { return sorted[std::min(sorted.size() - 1, std::size_t(q * double(sorted.size())))]; };
    std::printf("callbacks %zu, rewinds %d: median %.0f us, 99th percentile %.0f us, worst %.0f us\n", sorted.size(),
                rewinds, at(0.5), at(0.99), sorted.back());
    return 0;
}
