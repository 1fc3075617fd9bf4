// Loads and plays any bytes as a sound file of the game: the first byte chooses whether they are
// the song (ST.Mid) or a cue (move.wav), the rest is the file. The players run on SDL's disk
// driver, writing nowhere, and each input renders a few of the device's callbacks before it is
// rewound and stopped. Built with MORVIK_FUZZ=ON; run by scripts/fuzz.
#include "audio_device.h"
#include "media_player.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

namespace {

struct Players {
    std::string folder;
    std::shared_ptr<morvik::AudioDevice> device = std::make_shared<morvik::AudioDevice>();
    morvik::MediaPlayer effect{device};
    morvik::MediaPlayer music{device};
};

Players *players;

// Polls the player as the game's timer does, while the device renders (about 1 ms a callback).
void render(morvik::MediaPlayer &player, int polls)
{
    for (int i = 0; i < polls; ++i) {
        player.position();
        usleep(500);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    char folder[] = "/tmp/morvik-fuzz-XXXXXX";
    if (!mkdtemp(folder)) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    players = new Players{folder};
    players->device->start();
    // The device is up once a player has taken up the module.
    for (int i = 0; i < 10000 && !players->device->module(); ++i)
        usleep(1000);
    if (!players->device->module()) {
        std::fprintf(stderr, "media_player_fuzzer: the audio module did not start (MORVIK_AUDIO_MODULE?)\n");
        std::exit(1);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const bool song = data[0] & 1;
    const std::string file = players->folder + (song ? "/ST.Mid" : "/move.wav");
    std::ofstream(file, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char *>(data + 1),
                                                                  std::streamsize(size - 1));
    morvik::MediaPlayer &player = song ? players->music : players->effect;
    player.setFileName(file);
    player.setCommand("play");
    render(player, 8);
    player.setPosition(0);
    render(player, 4);
    player.setCommand("stop");
    player.position();
    return 0;
}
