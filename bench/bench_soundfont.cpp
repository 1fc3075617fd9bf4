// What a soundfont costs the game's synth while it plays the song, with the game's settings: the
// resident memory it adds, the voices it keeps sounding and the processor time per second of
// music. Measures morvik.sf2 from the build, then any soundfont named on the command line, e.g.
//   build/bench/bench_soundfont /usr/share/sounds/sf2/TimGM6mb.sf2
#include "settings.h"

#include <fluidsynth.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

long residentKiB()
{
    long value = 0;
    if (FILE *status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, status))
            if (std::strncmp(line, "VmRSS:", 6) == 0)
                value = std::atol(line + 6);
        std::fclose(status);
    }
    return value;
}

bool measure(const std::string &font, bool dynamic)
{
    fluid_settings_t *settings = morvik::audio::newSynthSettings();
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", dynamic);
    fluid_synth_t *synth = new_fluid_synth(settings);
    fluid_player_t *player = new_fluid_player(synth);
    fluid_player_add(player, MORVIK_SOUND_DIR "/ST.Mid");
    const long before = residentKiB();
    const bool loaded = fluid_synth_sfload(synth, font.c_str(), 1) != FLUID_FAILED;
    const long afterLoad = residentKiB();
    fluid_synth_set_interp_method(synth, -1, FLUID_INTERP_LINEAR);
    long peak = afterLoad;
    if (loaded) {
        fluid_player_play(player);
        std::vector<std::int16_t> block(2 * 512);
        long blocks = 0, voices = 0, processor = 0;
        while (fluid_player_get_status(player) == FLUID_PLAYER_PLAYING) {
            const std::clock_t start = std::clock();
            fluid_synth_write_s16(synth, 512, block.data(), 0, 2, block.data(), 1, 2);
            processor += std::clock() - start;
            voices += fluid_synth_get_active_voice_count(synth);
            ++blocks;
            const long now = residentKiB();
            peak = now > peak ? now : peak;
        }
        const double seconds = blocks * 512.0 / morvik::audio::SynthRate;
        std::printf("%-44s %-9s %8ld KiB %8ld KiB %8.1f %9.2f %%\n", font.c_str(), dynamic ? "on demand" : "all",
                    afterLoad - before, peak - before, double(voices) / double(blocks),
                    100.0 * double(processor) / CLOCKS_PER_SEC / seconds);
    } else {
        std::printf("%-44s cannot be loaded\n", font.c_str());
    }
    delete_fluid_player(player);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    return loaded;
}

}  // namespace

int main(int argc, char **argv)
{
    for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
        fluid_set_log_function(level, nullptr, nullptr);
    std::vector<std::string> fonts = {MORVIK_SOUND_DIR "/morvik.sf2"};
    fonts.insert(fonts.end(), argv + 1, argv + argc);
    std::printf("%-44s %-9s %12s %12s %8s %11s\n", "soundfont", "samples", "after load", "song peak", "voices",
                "synth CPU");
    std::fflush(stdout);
    // Each measurement in a fresh process, so that none reuses memory another has freed.
    bool ok = true;
    for (const std::string &font : fonts)
        for (bool dynamic : {true, false}) {
            const pid_t child = fork();
            if (child == 0) {
                const bool loaded = measure(font, dynamic);
                std::fflush(stdout);
                _exit(loaded ? 0 : 1);
            }
            int status = 0;
            ok = child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0 && ok;
        }
    return ok ? 0 : 1;
}
