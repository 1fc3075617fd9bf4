#include "keeper.h"

#include <algorithm>

namespace morvik::audio {

namespace {

using namespace std::chrono_literals;

// How often the keeper looks at an open device: whether it has been lost, whether it is still
// needed. A lost device is noticed within this time.
constexpr auto Poll = 100ms;
// Between attempts to open the device while there is none, growing to the last: a server or an
// ALSA device that comes back is heard again well within two seconds.
constexpr auto FirstRetry = 100ms;
constexpr auto LastRetry = 500ms;

// Each of the song and the cues sounds while the renderer has not played all of the start asked.
bool songSounds(const Request::Song &asked, const Progress::Song &played)
{
    return asked.prepared && asked.playing && !(played.start == asked.start && played.ended);
}

bool cueSounds(const Request::Cue &asked, const Progress::Cue &played)
{
    return asked.wave && !asked.paused && !(played.start == asked.start && played.frames >= asked.frames);
}

}  // namespace

Keeper::Keeper(Exchange &exchange, Renderer &renderer, const Lines &lines)
    : exchange_(exchange),
      lines_(lines),
      songDevice_{{&renderer, true, false}, SongFrames},
      cueDevice_{{&renderer, false, true}, CueFrames},
      sharedDevice_{{&renderer, true, true}, SharedFrames},
      retry_(FirstRetry),
      thread_([this] { keep(); })
{
}

Keeper::~Keeper()
{
    thread_.join();
}

void Keeper::keep()
{
    std::unique_lock lock(exchange_.mutex);
    while (!exchange_.closing) {
        const Request request = exchange_.request;
        const Progress progress = exchange_.progress;
        lock.unlock();
        const auto now = Clock::now();
        const Wanted wants = wanted(request, progress, now);
        if (anyLost())
            lose(now);
        if (wants.any() && now >= retryAt_)
            openWanted(wants, now);
        closeUnwanted(wants);
        const bool open = anyOpen();
        lock.lock();
        const auto awake = [this] { return exchange_.woken || exchange_.closing; };
        if (open)
            exchange_.wake.wait_for(lock, Poll, awake);
        else if (wants.any())
            exchange_.wake.wait_until(lock, retryAt_, awake);
        else
            exchange_.wake.wait(lock, awake);
        exchange_.woken = false;
    }
    lock.unlock();
    stopAudio();
    // SDL's error text for this thread goes with it.
    SDL_TLSCleanup();
}

// Each of the song and the cues is wanted while it sounds, and while a deck of its own asked to
// play and its last sound is recent.
Keeper::Wanted Keeper::wanted(const Request &request, const Progress &progress, Clock::time_point now)
{
    const bool song = songSounds(request.song, progress.song);
    bool cues = false;
    bool cuesAsked = false;
    for (std::size_t k = 0; k < request.cues.size(); ++k) {
        cues = cues || cueSounds(request.cues[k], progress.cues[k]);
        cuesAsked = cuesAsked || request.cues[k].wanted;
    }
    if (song)
        lastSong_ = now;
    if (cues)
        lastCue_ = now;
    return {song || (request.song.wanted && now - lastSong_ < Linger), cues || (cuesAsked && now - lastCue_ < Linger)};
}

// One line on standard error when the sound goes, and one when it is back.
void Keeper::openWanted(const Wanted &wants, Clock::time_point now)
{
    std::string error;
    bool opened = startAudio(error);
    if (opened)
        for (Output *output : outputs())
            if (!output->id && wants.of(*output))
                opened = openDevice(*output, error) && opened;
    if (opened) {
        if (silent_)
            say(lines_.deviceBack, SDL_GetCurrentAudioDriver());
        silent_ = false;
        retry_ = FirstRetry;
        return;
    }
    stopAudio();
    if (!silent_)
        say(lines_.noDevice, error);
    silent_ = true;
    retryAt_ = now + retry_;
    retry_ = std::min<Clock::duration>(retry_ * 2, LastRetry);
}

// SDL stops calling back when the server of an open device goes away, or the device itself, and
// does not reconnect: the devices are closed and opened again, with SDL's audio started afresh so
// that it finds a server that has come back, or one that has appeared since the start.
void Keeper::lose(Clock::time_point now)
{
    stopAudio();
    say(lines_.deviceGone);
    silent_ = true;
    retryAt_ = now;
    retry_ = FirstRetry;
}

void Keeper::closeUnwanted(const Wanted &wants)
{
    for (Output *output : outputs())
        if (output->id && !wants.of(*output))
            closeDevice(*output);
}

// SDL's audio, started if it is not, with the driver SDL chooses (SDL_AUDIODRIVER, when set,
// still decides), and whether that driver is a sound server's.
bool Keeper::startAudio(std::string &error)
{
    if (SDL_WasInit(SDL_INIT_AUDIO))
        return true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        error = SDL_GetError();
        return false;
    }
    const std::string driver = SDL_GetCurrentAudioDriver();
    serverMixes_ = driver == "pulseaudio" || driver == "pipewire";
    return true;
}

void Keeper::stopAudio()
{
    for (Output *output : allOutputs_)
        closeDevice(*output);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

// The devices of SDL's driver: the song's and the cues' where a server mixes them, else the one.
std::span<Keeper::Output *const> Keeper::outputs() const
{
    return serverMixes_ ? std::span(allOutputs_).first(2) : std::span(allOutputs_).last(1);
}

bool Keeper::anyOpen() const
{
    return std::any_of(allOutputs_.begin(), allOutputs_.end(), [](const Output *output) { return output->id != 0; });
}

bool Keeper::anyLost() const
{
    return std::any_of(allOutputs_.begin(), allOutputs_.end(), [](const Output *output) {
        return output->id && SDL_GetAudioDeviceStatus(output->id) == SDL_AUDIO_STOPPED;
    });
}

// Exactly 44.1 kHz stereo 16-bit, as the cues and the synth are: SDL converts if the server
// differs, and each cue is converted once, when it is loaded.
bool Keeper::openDevice(Output &output, std::string &error)
{
    SDL_AudioSpec wanted{};
    wanted.freq = DeviceRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = static_cast<Uint16>(output.frames);
    wanted.callback = Renderer::callback;
    wanted.userdata = &output.part;
    output.id = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (output.id == 0) {
        error = SDL_GetError();
        return false;
    }
    SDL_PauseAudioDevice(output.id, 0);
    return true;
}

// Only closing lets go of the server's stream: a paused device still writes silence to it.
void Keeper::closeDevice(Output &output)
{
    if (output.id)
        SDL_CloseAudioDevice(output.id);
    output.id = 0;
}

}  // namespace morvik::audio
