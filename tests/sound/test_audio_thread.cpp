// What runs on the audio threads: the callbacks render, and nothing else. This program stands in
// front of SDL's SDL_OpenAudioDevice, of FluidSynth's constructors and of the C library's
// allocations (a sanitizer's hooks in a sanitizer build), all of which the audio module finds in
// the program first: it marks the module's callbacks as they run, and notes every allocation in
// one (a file read or a song parsed allocates too), and every synth, settings or player made on
// one of SDL's audio threads.
#include "fixtures.h"
#include "media_player.h"

#include <QtTest>

#include <SDL.h>
#include <dlfcn.h>
#include <fluidsynth.h>
#include <pthread.h>

#include <atomic>
#include <cstring>

#ifdef __SANITIZE_ADDRESS__
// The sanitizer's runtime calls these on every allocation (GCC 12's headers do not declare it).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void *, size_t),
                                                         void (*free_hook)(const volatile void *));
#endif

namespace {

thread_local bool inCallback = false;
std::atomic<int> callbacks{0};
std::atomic<int> allocationsInCallback{0};
std::atomic<int> synthPartsMade{0};
std::atomic<int> synthPartsMadeOnAudioThread{0};

bool onAudioThread()
{
    char name[16] = {};
    pthread_getname_np(pthread_self(), name, sizeof name);
    return std::strncmp(name, "SDLAudio", 8) == 0;
}

void noteAllocation()
{
    if (inCallback)
        ++allocationsInCallback;
}

void noteSynthPart()
{
    ++synthPartsMade;
    if (onAudioThread())
        ++synthPartsMadeOnAudioThread;
}

template <typename F>
F next(const char *library, const char *name)
{
    void *handle = library ? dlopen(library, RTLD_LAZY | RTLD_NOLOAD) : RTLD_NEXT;
    return reinterpret_cast<F>(dlsym(handle, name));
}

struct Wrapped {
    SDL_AudioCallback callback;
    void *userdata;
};
Wrapped wrapped[8];
std::atomic<int> wrappedCount{0};

void SDLCALL markedCallback(void *userdata, Uint8 *stream, int length)
{
    const Wrapped &w = *static_cast<const Wrapped *>(userdata);
    inCallback = true;
    w.callback(w.userdata, stream, length);
    inCallback = false;
    ++callbacks;
}

#ifdef __SANITIZE_ADDRESS__
void allocated(const volatile void *, size_t)
{
    noteAllocation();
}
void freed(const volatile void *) {}
const int hooks = __sanitizer_install_malloc_and_free_hooks(allocated, freed);
#endif

}  // namespace

extern "C" {

SDL_AudioDeviceID SDL_OpenAudioDevice(const char *device, int iscapture, const SDL_AudioSpec *desired,
                                      SDL_AudioSpec *obtained, int allowed_changes)
{
    using Open = SDL_AudioDeviceID (*)(const char *, int, const SDL_AudioSpec *, SDL_AudioSpec *, int);
    SDL_AudioSpec marked = *desired;
    const int slot = wrappedCount++;
    if (slot < 8) {
        wrapped[slot] = {desired->callback, desired->userdata};
        marked.callback = markedCallback;
        marked.userdata = &wrapped[slot];
    }
    return next<Open>("libSDL2-2.0.so.0", "SDL_OpenAudioDevice")(device, iscapture, &marked, obtained, allowed_changes);
}

fluid_settings_t *new_fluid_settings()
{
    noteSynthPart();
    return next<fluid_settings_t *(*)()>("libfluidsynth.so.3", "new_fluid_settings")();
}

fluid_synth_t *new_fluid_synth(fluid_settings_t *settings)
{
    noteSynthPart();
    return next<fluid_synth_t *(*)(fluid_settings_t *)>("libfluidsynth.so.3", "new_fluid_synth")(settings);
}

fluid_player_t *new_fluid_player(fluid_synth_t *synth)
{
    noteSynthPart();
    return next<fluid_player_t *(*)(fluid_synth_t *)>("libfluidsynth.so.3", "new_fluid_player")(synth);
}

#ifndef __SANITIZE_ADDRESS__
void *__libc_malloc(size_t);
void *__libc_calloc(size_t, size_t);
void *__libc_realloc(void *, size_t);
void *__libc_memalign(size_t, size_t);

void *malloc(size_t size)
{
    noteAllocation();
    return __libc_malloc(size);
}

void *calloc(size_t count, size_t size)
{
    noteAllocation();
    return __libc_calloc(count, size);
}

void *realloc(void *old, size_t size)
{
    noteAllocation();
    return __libc_realloc(old, size);
}

void *memalign(size_t alignment, size_t size)
{
    noteAllocation();
    return __libc_memalign(alignment, size);
}

void *aligned_alloc(size_t alignment, size_t size)
{
    noteAllocation();
    return __libc_memalign(alignment, size);
}

int posix_memalign(void **out, size_t alignment, size_t size)
{
    noteAllocation();
    *out = __libc_memalign(alignment, size);
    return *out ? 0 : ENOMEM;
}
#endif
}

class TestAudioThread : public QObject {
    Q_OBJECT

private slots:
    // The game's song played and rewound 20 times, as the loop watch rewinds it; then a denser
    // song, whose synth has more voices, loaded under it; cues all along.
    void callbacksOnlyRender()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", dir.filePath("rendered.raw").toLocal8Bit());
        qputenv("SDL_DISKAUDIODELAY", "0");
        fixtures::write(dir.filePath("cue.wav"), fixtures::tone(4410, 440, 8000));
        std::vector<fixtures::Note> chord;
        for (int key = 0; key < 40; ++key)
            chord.push_back({0, 1500});
        fixtures::write(dir.filePath("dense.mid"), fixtures::song(chord, 2000));
        {
            auto device = std::make_shared<morvik::AudioDevice>();
            morvik::MediaPlayer effects(device), music(device);
            music.setFileName(MORVIK_SOUND_DIR "/ST.Mid");
            music.setCommand("play");
            QElapsedTimer clock;
            clock.start();
            for (int rewinds = 0; rewinds < 20;) {
                QVERIFY(clock.elapsed() < 60000);
                if (music.position() > 500) {
                    music.setPosition(0);
                    music.setCommand("play");
                    effects.setCommand("stop");
                    effects.setFileName(dir.filePath("cue.wav").toStdString());
                    effects.setCommand("play");
                    ++rewinds;
                }
                QTest::qWait(1);
            }
            music.setFileName(dir.filePath("dense.mid").toStdString());
            music.setCommand("play");
            QVERIFY(QTest::qWaitFor([&] { return music.position() > 1000; }, 60000));
            music.setCommand("stop");
        }
        qInfo("%d callbacks, %d allocations in them; synths, settings and players made: %d, %d of them on an audio thread",
              callbacks.load(), allocationsInCallback.load(), synthPartsMade.load(), synthPartsMadeOnAudioThread.load());
        QVERIFY(callbacks > 100);
        QVERIFY(synthPartsMade >= 4);
        QCOMPARE(synthPartsMadeOnAudioThread.load(), 0);
        QCOMPARE(allocationsInCallback.load(), 0);
    }
};

QTEST_GUILESS_MAIN(TestAudioThread)
#include "test_audio_thread.moc"
