// Eight hours of play in a few minutes: 288 000 timer ticks, the song looping all along and a game
// played in between, with the audio rendered by SDL's disk driver as fast as the ticks take it.
//
// The disk driver writes into a pipe that this program reads: every tick takes exactly 100 ms of
// audio out of it, so the tick clock and the audio clock are one, however fast the machine is. It
// prints, hour by hour, resident memory, the loudest sample and how far the song's position stands
// from the tick clock, and at the end the loops counted against the loops expected. The exit status
// is 1 when memory grew by 1 MiB or more from the first hour to the last, when the song looped a
// different number of times than expected, or when it fell out of time.
//
//   build/bench/soak [hours]      (default 8)

#include "application.h"
#include "media_player.h"
#include "real_window.h"

#include <QTemporaryDir>

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace morvik;
using morvik::test::RealWindow;

namespace {

constexpr int TicksPerHour = 36000;
constexpr int FramesPerTick = 4410;  // 100 ms at 44 100 frames a second
constexpr int LoopPoint = 86800;     // the song starts over at the first tick past it
constexpr int MixerBufferMs = 47;    // the audio device mixes 2048 frames at a time

long residentKiB()
{
    long pages = 0;
    long resident = 0;
    if (std::FILE *f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// One tick of audio out of the pipe; the loudest sample in it. Until the device has opened the
// pipe, reading finds no writer and returns at once: wait for it.
int readTick(int fd)
{
    static bool connected = false;
    static std::vector<std::int16_t> samples(FramesPerTick * 2);
    auto *bytes = reinterpret_cast<char *>(samples.data());
    std::size_t got = 0;
    const std::size_t want = samples.size() * sizeof(std::int16_t);
    while (got < want) {
        const ssize_t n = read(fd, bytes + got, want - got);
        if (n == 0 && !connected) {
            usleep(1000);
            continue;
        }
        connected = true;
        if (n <= 0) {
            std::fprintf(stderr, "the audio pipe closed\n");
            std::exit(2);
        }
        got += static_cast<std::size_t>(n);
    }
    int peak = 0;
    for (std::int16_t s : samples)
        peak = std::max(peak, std::abs(int(s)));
    return peak;
}

// What the player does at tick `tick`: a game at once and a new one every ten minutes; the typed
// word that completes the picture every 200 seconds in the first hour, so that all fifteen pictures
// have been shown (and decoded, to stay) by its end, and once an hour after it; in between a key
// or a click every second.
void play(Form1 &form, int tick, std::mt19937 &pick)
{
    if (tick == 1 || tick % 6000 == 0) {
        (tick / 6000) % 2 ? form.Option1_Click() : form.Option2_Click();
        return;
    }
    if (tick < TicksPerHour ? tick % 2000 == 1000 : tick % TicksPerHour == 3000) {
        for (char c : std::string("hopla")) {
            std::int16_t key = c;
            form.Form_KeyPress(key);
        }
        return;
    }
    if (tick % 10 != 0)
        return;
    if (form.state.GameMode == 1) {
        std::int16_t key = "8246"[pick() % 4];
        form.Form_KeyPress(key);
    } else {
        std::int16_t index = static_cast<std::int16_t>(pick() % 100);
        (pick() % 2) ? form.Picture1_Click(index) : form.Picture2_Click(index);
    }
}

struct Hour {
    long residentKiB = 0;
    long heapKiB = 0;
    int peak = 0;
    int loops = 0;
    int minDrift = 1 << 30;
    int maxDrift = -(1 << 30);
};

}  // namespace

int main(int argc, char **argv)
{
    const int hours = argc > 1 ? std::max(1, std::atoi(argv[1])) : 8;
    QTemporaryDir scratch;
    const std::string pipe = scratch.path().toStdString() + "/audio";
    if (!scratch.isValid() || mkfifo(pipe.c_str(), 0600) != 0) {
        std::perror("mkfifo");
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", pipe.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    setenv("SDL_AUDIO_DISK_TIMESCALE", "0", 1);  // the same for SDL 3, under sdl2-compat
    setenv("MORVIK_AUDIO_MODULE", MORVIK_AUDIO_MODULE, 0);
    if (chdir(MORVIK_SOUND_DIR) != 0) {
        std::perror(MORVIK_SOUND_DIR);
        return 2;
    }

    Application app(argc, argv);
    // The reading end is open before the device opens the pipe on its own thread, so that the pipe
    // can be made small first: it keeps the song's renderer close behind the ticks.
    const int fd = open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0 || fcntl(fd, F_SETPIPE_SZ, 4096) < 0 || fcntl(fd, F_SETFL, 0) < 0) {
        std::perror("the audio pipe");
        return 2;
    }

    auto game = std::make_unique<RealWindow>([] { return std::uint64_t{1}; });
    Form1 &form = game->form;
    form.Timer1.stop();  // the ticks come from the audio clock below
    form.show();


    std::mt19937 pick(1);
    std::vector<Hour> perHour(static_cast<std::size_t>(hours));
    std::vector<int> periods;  // ticks from one start of the song to the next
    int lastStart = 0;
    bool early = false;
    int songBegan = 0;  // the first tick that found the song playing
    std::int32_t restartFirst = INT32_MAX;
    std::int32_t restartLast = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int tick = 1; tick <= hours * TicksPerHour; ++tick) {
        Hour &hour = perHour[static_cast<std::size_t>((tick - 1) / TicksPerHour)];
        hour.peak = std::max(hour.peak, readTick(fd));
        // About what the loop watch reads: the renderer may add one mixer buffer meanwhile.
        const std::int32_t seen = game->MCIWnd2.position();
        form.Timer1_Timer();
        const std::int32_t position = game->MCIWnd2.position();
        if (songBegan == 0 && position > 0)
            songBegan = tick;
        if (position < seen) {
            // The loop watch started the song over in this tick.
            if (seen <= LoopPoint - MixerBufferMs) {
                std::printf("tick %d: the song started over at %d ms, before its loop point\n", tick, seen);
                early = true;
            }
            restartFirst = std::min(restartFirst, seen);
            restartLast = std::max(restartLast, seen);
            if (lastStart > 0)
                periods.push_back(tick - lastStart);
            lastStart = tick;
            ++hour.loops;
        } else if (lastStart > 0) {
            const int drift = position - 100 * (tick - lastStart);
            hour.minDrift = std::min(hour.minDrift, drift);
            hour.maxDrift = std::max(hour.maxDrift, drift);
        }
        play(form, tick, pick);
        QCoreApplication::processEvents();
        if (tick % TicksPerHour == 0) {
            hour.residentKiB = residentKiB();
            hour.heapKiB = static_cast<long>(mallinfo2().uordblks / 1024);
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::printf("hour  resident KiB  heap in use KiB  loudest sample  song starts  song position - tick clock (ms)\n");
    int loops = 0;
    for (std::size_t h = 0; h < perHour.size(); ++h) {
        const Hour &s = perHour[h];
        loops += s.loops;
        std::printf("%4zu  %12ld  %15ld  %14d  %11d  %d..%d\n", h + 1, s.residentKiB, s.heapKiB, s.peak, s.loops,
                    s.minDrift, s.maxDrift);
    }
    const auto [shortest, longest] = std::minmax_element(periods.begin(), periods.end());
    // The song starts over at the first tick whose position is past the loop point: every
    // LoopPoint / 100 + 1 ticks, one tick sooner when the renderer runs a tick or more ahead.
    const int period = LoopPoint / 100 + 1;
    const int ticks = hours * TicksPerHour;
    const int played = ticks - songBegan;
    const long growth = perHour.back().residentKiB - perHour.front().residentKiB;
    const int driftFirst = perHour.front().maxDrift;
    const int driftLast = perHour.back().maxDrift;
    std::printf("%d ticks in %.1f s (%.0f times real time); song starts %d, expected %d to %d;\n"
                "ticks from start to start %d..%d; positions at which it started over %d..%d ms;\n"
                "resident memory grew %ld KiB from the first hour to the last\n",
                ticks, seconds, ticks / 10.0 / seconds, loops, played / period, played / (period - 1),
                periods.empty() ? 0 : *shortest, periods.empty() ? 0 : *longest, restartFirst, restartLast, growth);

    bool ok = !early;
    if (growth >= 1024) {
        std::printf("FAIL: resident memory grew by 1 MiB or more\n");
        ok = false;
    }
    if (loops < played / period || loops > played / (period - 1)) {
        std::printf("FAIL: the song looped an unexpected number of times\n");
        ok = false;
    }
    if (periods.empty() || *shortest < period - 1 || *longest > period
        || std::abs(driftLast - driftFirst) >= 100) {
        std::printf("FAIL: the song fell out of time with the ticks\n");
        ok = false;
    }
    for (const Hour &s : perHour) {
        if (s.peak < 1000) {
            std::printf("FAIL: an hour without audible sound\n");
            ok = false;
            break;
        }
    }
    // The device's thread writes until the device closes: keep reading while the players go.
    std::thread drain([fd] {
        char bytes[4096];
        while (read(fd, bytes, sizeof bytes) > 0) {
        }
    });
    game.reset();
    drain.join();
    close(fd);
    return ok ? 0 : 1;
}
