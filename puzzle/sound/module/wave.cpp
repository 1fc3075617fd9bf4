#include "wave.h"

#include "synth.h"

#include <SDL.h>

#include <algorithm>

namespace morvik::audio {

namespace {

// A cue is a few seconds; converted to the device's frames a minute is already 10 MiB.
constexpr int MaxWaveSeconds = 60;

}  // namespace

// The reason, where SDL refuses the file, is SDL's own.
std::shared_ptr<const Samples> decodeWave(const std::vector<char> &bytes, std::string &error)
{
    SDL_AudioSpec spec{};
    Uint8 *buffer = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1, &spec, &buffer, &length)) {
        error = SDL_GetError();
        return {};
    }
    const Uint32 frameBytes = SDL_AUDIO_BITSIZE(spec.format) / 8 * spec.channels;
    if (frameBytes == 0 || spec.freq <= 0 || length / frameBytes / static_cast<Uint32>(spec.freq) >= MaxWaveSeconds) {
        error = "longer than a minute";
        SDL_FreeWAV(buffer);
        return {};
    }
    SDL_AudioCVT convert{};
    const int needed = SDL_BuildAudioCVT(&convert, spec.format, spec.channels, spec.freq, AUDIO_S16SYS, 2, DeviceRate);
    if (needed < 0) {
        error = SDL_GetError();
        SDL_FreeWAV(buffer);
        return {};
    }
    std::vector<Uint8> work(static_cast<std::size_t>(length) * std::max(convert.len_mult, 1));
    std::copy_n(buffer, length, work.data());
    SDL_FreeWAV(buffer);
    convert.buf = work.data();
    convert.len = static_cast<int>(length);
    if (needed && SDL_ConvertAudio(&convert) != 0) {
        error = SDL_GetError();
        return {};
    }
    const std::size_t converted = needed ? static_cast<std::size_t>(convert.len_cvt) : length;
    auto samples = std::make_shared<Samples>(converted / 4 * 2);
    std::copy_n(work.data(), samples->size() * sizeof(std::int16_t), reinterpret_cast<Uint8 *>(samples->data()));
    return samples;
}

}  // namespace morvik::audio
