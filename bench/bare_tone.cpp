// The floor for bench/cue_latency: a bare SDL2 program with a 256-frame buffer that starts a
// 50 ms tone when a mouse button is pressed in its window.
#include <SDL.h>

#include <atomic>
#include <cmath>

namespace {

std::atomic<int> left{0};

void SDLCALL play(void *, Uint8 *stream, int length)
{
    auto *out = reinterpret_cast<Sint16 *>(stream);
    static int phase = 0;
    for (int i = 0; i < length / 4; ++i) {
        Sint16 sample = 0;
        if (left.load(std::memory_order_relaxed) > 0) {
            left.fetch_sub(1, std::memory_order_relaxed);
            sample = static_cast<Sint16>(8000 * std::sin(2 * M_PI * 880 * phase++ / 44100.0));
        }
        out[2 * i] = out[2 * i + 1] = sample;
    }
}

}  // namespace

int main()
{
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO) != 0)
        return 1;
    SDL_Window *window = SDL_CreateWindow("bare tone", 0, 0, 200, 100, 0);
    SDL_AudioSpec wanted{};
    wanted.freq = 44100;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = 256;
    wanted.callback = play;
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (!window || !device)
        return 1;
    SDL_PauseAudioDevice(device, 0);
    for (SDL_Event event; SDL_WaitEvent(&event) && event.type != SDL_QUIT;)
        if (event.type == SDL_MOUSEBUTTONDOWN)
            left = 44100 / 20;
    SDL_CloseAudioDevice(device);
    SDL_Quit();
    return 0;
}
