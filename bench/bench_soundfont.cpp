// What a soundfont costs the game's synth while it plays the song, with the game's settings: the
// resident memory it adds, the voices it keeps sounding and the processor time per second of
// music. Measures morvik.sf2 from the build, then any soundfont named on the command line, e.g.
//   build/bench/bench_soundfont /usr/share/sounds/sf2/TimGM6mb.sf2
// Then denser songs on morvik.sf2: how many notes are lost to voice stealing when more notes sound
// at once than our song needs voices, with the voices the game gives each song and with 32.
#include "midi_file.h"
#include "settings.h"

#include <fluidsynth.h>

#include <algorithm>
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

std::vector<char> readAll(const char *path)
{
    std::vector<char> bytes;
    if (FILE *file = std::fopen(path, "rb")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            bytes.insert(bytes.end(), buffer, buffer + n);
        std::fclose(file);
    }
    return bytes;
}

bool measure(const std::string &font, bool dynamic)
{
    const morvik::audio::Song song = morvik::audio::readSong(readAll(MORVIK_SOUND_DIR "/ST.Mid"));
    fluid_settings_t *settings = morvik::audio::newSynthSettings(morvik::audio::voicesFor(song.notesAtOnce));
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", dynamic);
    fluid_synth_t *synth = new_fluid_synth(settings);
    // The song as the game gives it to the synth, with the voices the game gives it.
    fluid_player_t *player = new_fluid_player(synth);
    fluid_player_add_mem(player, song.standard.data(), song.standard.size());
    const long before = residentKiB();
    const bool loaded = fluid_synth_sfload(synth, font.c_str(), 0) != FLUID_FAILED;
    morvik::audio::selectFirstPrograms(synth, song.startsOnDefault);
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
        std::printf("%-44s %-9s %8ld KiB %8ld KiB %8.1f %9.2f %% %7d\n", font.c_str(), dynamic ? "on demand" : "all",
                    afterLoad - before, peak - before, double(voices) / double(blocks),
                    100.0 * double(processor) / CLOCKS_PER_SEC / seconds, fluid_synth_get_polyphony(synth));
    } else {
        std::printf("%-44s cannot be loaded\n", font.c_str());
    }
    delete_fluid_player(player);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    return loaded;
}

void putNumber(std::vector<char> &out, std::uint32_t value)
{
    if (value >= 0x80)
        out.push_back(static_cast<char>(0x80 | value >> 7));
    out.push_back(static_cast<char>(value & 0x7f));
}

// A song of `notes` notes that all sound together: organs (one voice a note, held at full
// strength) at distinct keys over fifteen channels, started 2 ms apart and held for a second.
std::vector<char> denseSong(int notes)
{
    std::vector<char> track;
    for (int channel = 0; channel < 16; ++channel)
        if (channel != 9)
            track.insert(track.end(), {0, static_cast<char>(0xc0 | channel), 16});
    const auto note = [&](int i, bool on, std::uint32_t delta) {
        const int channel = i % 15 < 9 ? i % 15 : i % 15 + 1;
        putNumber(track, delta);
        track.insert(track.end(), {static_cast<char>((on ? 0x90 : 0x80) | channel), static_cast<char>(20 + i % 88),
                                   static_cast<char>(on ? 100 : 0)});
    };
    // 500 ticks a quarter at the default tempo: a tick a millisecond.
    for (int i = 0; i < notes; ++i)
        note(i, true, i == 0 ? 0 : 2);
    for (int i = 0; i < notes; ++i)
        note(i, false, i == 0 ? 1000 : 0);
    track.insert(track.end(), {0, '\xff', '\x2f', 0});
    std::vector<char> song = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, '\xf4', 'M', 'T', 'r', 'k'};
    for (int shift = 24; shift >= 0; shift -= 8)
        song.push_back(static_cast<char>(track.size() >> shift & 0xff));
    song.insert(song.end(), track.begin(), track.end());
    return song;
}

// Plays the dense song with the voices the game gives it, or with 32, and prints the most voices
// that sounded at once, the notes lost to stealing, and the memory and processor time it took.
void measureVoices(int notes, bool asTheGame)
{
    const long before = residentKiB();
    const morvik::audio::Song song = morvik::audio::readSong(denseSong(notes));
    fluid_settings_t *settings =
        morvik::audio::newSynthSettings(asTheGame ? morvik::audio::voicesFor(song.notesAtOnce) : 32);
    fluid_synth_t *synth = new_fluid_synth(settings);
    fluid_synth_sfload(synth, MORVIK_SOUND_DIR "/morvik.sf2", 1);
    fluid_synth_set_interp_method(synth, -1, FLUID_INTERP_LINEAR);
    fluid_player_t *player = new_fluid_player(synth);
    fluid_player_add_mem(player, song.standard.data(), song.standard.size());
    fluid_player_play(player);
    std::vector<std::int16_t> block(2 * 512);
    int most = 0;
    long peak = before, blocks = 0, processor = 0;
    while (fluid_player_get_status(player) == FLUID_PLAYER_PLAYING) {
        const std::clock_t start = std::clock();
        fluid_synth_write_s16(synth, 512, block.data(), 0, 2, block.data(), 1, 2);
        processor += std::clock() - start;
        ++blocks;
        most = std::max(most, fluid_synth_get_active_voice_count(synth));
        peak = std::max(peak, residentKiB());
    }
    const double seconds = blocks * 512.0 / morvik::audio::SynthRate;
    std::printf("%5d notes at once %-12s %7d %12d %8d %10ld KiB %9.2f %%\n", notes, asTheGame ? "as the game" : "on 32",
                fluid_synth_get_polyphony(synth), most, std::max(0, notes - most), peak - before,
                100.0 * double(processor) / CLOCKS_PER_SEC / seconds);
    delete_fluid_player(player);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
}

// Runs a measurement in a fresh process, so that none reuses memory another has freed.
template <typename Measure>
bool inChild(const Measure &measure)
{
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        const bool ok = measure();
        std::fflush(stdout);
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char **argv)
{
    for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
        fluid_set_log_function(level, nullptr, nullptr);
    std::vector<std::string> fonts = {MORVIK_SOUND_DIR "/morvik.sf2"};
    fonts.insert(fonts.end(), argv + 1, argv + argc);
    std::printf("%-44s %-9s %12s %12s %8s %11s %7s\n", "soundfont", "samples", "after load", "song peak", "voices",
                "synth CPU", "held");
    bool ok = true;
    for (const std::string &font : fonts)
        for (bool dynamic : {true, false})
            ok = inChild([&] { return measure(font, dynamic); }) && ok;
    std::printf("\n%-30s %7s %12s %8s %14s %11s\n", "dense song", "voices", "most at once", "lost", "memory",
                "synth CPU");
    for (int notes : {16, 64, 127, 128})
        for (bool asTheGame : {true, false})
            ok = inChild([&] {
                measureVoices(notes, asTheGame);
                return true;
            }) && ok;
    return ok ? 0 : 1;
}
