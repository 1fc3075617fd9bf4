#include "audio_device.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace morvik {

namespace {

// 2048 frames (46 ms) per mixer call: few wake-ups while the game idles, and a cue still starts
// well within a tick of the game's timer.
constexpr int BufferFrames = 2048;

// The hook's progress word: the epoch it plays (high bits), whether the song has ended (bit 40)
// and the frames rendered (low 40 bits, more than 280 days).
constexpr int EpochShift = 41;
constexpr std::uint64_t EndedBit = std::uint64_t{1} << 40;
constexpr std::uint64_t FrameMask = EndedBit - 1;
constexpr unsigned EpochMask = (1u << (64 - EpochShift)) - 1;

std::uint64_t progressWord(unsigned epoch, bool ended, std::uint64_t frames)
{
    return std::uint64_t{epoch & EpochMask} << EpochShift | (ended ? EndedBit : 0) | (frames & FrameMask);
}

// The soundfonts to try: those listed in SDL_SOUNDFONTS (separated by ';', as SDL_mixer reads it),
// else a General MIDI soundfont of the system. The small TimGM6mb comes first: FluidR3_GM, even
// with its samples loaded on demand, holds some 16 MiB of instrument tables and 11 MiB of drum kit,
// against under 8 MiB for the whole of TimGM6mb.
std::vector<std::string> soundFonts(fluid_settings_t *settings)
{
    std::vector<std::string> fonts;
    if (const char *list = std::getenv("SDL_SOUNDFONTS")) {
        std::istringstream in(list);
        for (std::string font; std::getline(in, font, ';');)
            if (!font.empty())
                fonts.push_back(font);
        return fonts;
    }
    fonts.push_back("/usr/share/sounds/sf2/TimGM6mb.sf2");
    fonts.push_back("/usr/share/sounds/sf2/default-GM.sf2");
    char *fallback = nullptr;
    if (fluid_settings_dupstr(settings, "synth.default-soundfont", &fallback) == FLUID_OK && fallback) {
        fonts.push_back(fallback);
        fluid_free(fallback);
    }
    return fonts;
}

std::mutex startGate;
std::condition_variable startReleased;
bool startHeld = false;

}  // namespace

void AudioDevice::holdStart()
{
    std::lock_guard lock(startGate);
    startHeld = true;
}

void AudioDevice::releaseStart()
{
    {
        std::lock_guard lock(startGate);
        startHeld = false;
    }
    startReleased.notify_all();
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

AudioDevice::AudioDevice() : starter_([this] { start(); }) {}

AudioDevice::~AudioDevice()
{
    releaseStart();
    starter_.join();
    if (open_) {
        Mix_HookMusic(nullptr, nullptr);
        Mix_CloseAudio();
    }
    if (player_)
        delete_fluid_player(player_);
    delete song_;
    delete nextSong_.load();
    if (synth_)
        delete_fluid_synth(synth_);
    if (settings_)
        delete_fluid_settings(settings_);
    SDL_Quit();
}

void AudioDevice::start()
{
    {
        std::unique_lock lock(startGate);
        startReleased.wait(lock, [] { return !startHeld; });
    }
    // The program keeps its own SIGINT and SIGTERM behaviour: ending at once.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // A wave file cut short is refused, not played up to the cut.
    SDL_SetHint(SDL_HINT_WAVE_TRUNCATION, "verystrict");
    // Exactly 44.1 kHz stereo 16-bit, as the cues and the synth are: SDL converts if the hardware
    // differs, and nothing is resampled per cue.
    if (SDL_Init(SDL_INIT_AUDIO) != 0
        || Mix_OpenAudioDevice(Rate, AUDIO_S16SYS, 2, BufferFrames, nullptr, 0) != 0) {
        std::fprintf(stderr, "morvik: no audio device (%s); the game runs silently\n", SDL_GetError());
    } else {
        open_ = true;
        startSynth();
    }
    std::lock_guard lock(mutex_);
    for (auto &queued : queued_)
        queued.second();
    queued_.clear();
    started_ = true;
    // SDL keeps an error buffer for every thread that calls it; this thread's ends here.
    SDL_TLSCleanup();
}

void AudioDevice::startSynth()
{
    for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
        fluid_set_log_function(level, nullptr, nullptr);
    settings_ = new_fluid_settings();
    fluid_settings_setnum(settings_, "synth.sample-rate", Rate);
    // Only the samples of the instruments the song selects are read from the soundfont.
    fluid_settings_setint(settings_, "synth.dynamic-sample-loading", 1);
    fluid_settings_setint(settings_, "synth.lock-memory", 0);
    // A cheap synth: a background song needs neither reverb nor chorus nor hundreds of voices.
    fluid_settings_setint(settings_, "synth.reverb.active", 0);
    fluid_settings_setint(settings_, "synth.chorus.active", 0);
    fluid_settings_setint(settings_, "synth.polyphony", 64);
    fluid_settings_setint(settings_, "synth.cpu-cores", 1);
    synth_ = new_fluid_synth(settings_);
    std::string tried;
    for (const auto &font : soundFonts(settings_)) {
        if (fluid_synth_sfload(synth_, font.c_str(), 1) != FLUID_FAILED) {
            fluid_synth_set_interp_method(synth_, -1, FLUID_INTERP_LINEAR);
            Mix_HookMusic(renderHook, this);
            return;
        }
        tried += (tried.empty() ? "" : ", ") + font;
    }
    std::fprintf(stderr, "morvik: no General MIDI soundfont (tried %s); the music is silent\n",
                 tried.empty() ? "none" : tried.c_str());
    delete_fluid_synth(synth_);
    synth_ = nullptr;
}

void AudioDevice::run(const MediaPlayer *owner, std::function<void()> op)
{
    std::unique_lock lock(mutex_);
    if (!started_) {
        queued_.emplace_back(owner, std::move(op));
        return;
    }
    lock.unlock();
    op();
}

bool AudioDevice::forget(const MediaPlayer *owner)
{
    std::lock_guard lock(mutex_);
    std::erase_if(queued_, [owner](const auto &queued) { return queued.first == owner; });
    return started_;
}

bool AudioDevice::started()
{
    std::lock_guard lock(mutex_);
    return started_;
}

void AudioDevice::report(const std::string &subject, const std::string &reason)
{
    if (reported_.insert(subject + '\n' + reason).second)
        std::fprintf(stderr, "morvik: %s: %s\n", subject.c_str(), reason.c_str());
}

void AudioDevice::loadSong(const MediaPlayer *owner, Song song, float gain)
{
    songOwner_ = owner;
    delete nextSong_.exchange(new Song(std::move(song)), std::memory_order_acq_rel);
    songGain_.store(gain, std::memory_order_relaxed);
    songPlaying_.store(false, std::memory_order_release);
    songEpoch_.fetch_add(1, std::memory_order_release);
}

void AudioDevice::dropSong()
{
    loadSong(nullptr, {}, songGain_.load(std::memory_order_relaxed));
}

void AudioDevice::rewindSong()
{
    songEpoch_.fetch_add(1, std::memory_order_release);
}

void AudioDevice::setSongPlaying(bool playing)
{
    songPlaying_.store(playing, std::memory_order_release);
}

void AudioDevice::setSongGain(float gain)
{
    songGain_.store(gain, std::memory_order_relaxed);
}

std::int32_t AudioDevice::songPosition() const
{
    const std::uint64_t progress = progress_.load(std::memory_order_acquire);
    // Until the hook has taken up the latest load or rewind, the song stands at its start.
    if ((progress >> EpochShift) != (songEpoch_.load(std::memory_order_relaxed) & EpochMask))
        return 0;
    return static_cast<std::int32_t>(std::min<std::uint64_t>((progress & FrameMask) * 1000 / Rate, INT32_MAX));
}

bool AudioDevice::songEnded() const
{
    const std::uint64_t progress = progress_.load(std::memory_order_acquire);
    return (progress >> EpochShift) == (songEpoch_.load(std::memory_order_relaxed) & EpochMask)
        && (progress & EndedBit);
}

void SDLCALL AudioDevice::renderHook(void *self, Uint8 *stream, int length)
{
    static_cast<AudioDevice *>(self)->render(reinterpret_cast<std::int16_t *>(stream), length / 4);
}

// The mixer has cleared the stream before calling; the wave channels are mixed on top afterwards.
void AudioDevice::render(std::int16_t *out, int frames)
{
    // Read the switch before the epoch: a "play" that follows a load then never plays the old song.
    const bool playing = songPlaying_.load(std::memory_order_acquire);
    const unsigned epoch = songEpoch_.load(std::memory_order_acquire);
    if (epoch != epoch_)
        restartSong(epoch);
    const float gain = songGain_.load(std::memory_order_relaxed);
    if (gain != gain_) {
        fluid_synth_set_gain(synth_, gain);
        gain_ = gain;
    }
    // Stopped, the synth is not run at all, so the song waits exactly where it stopped.
    if (!player_ || !playing)
        return;
    if (!playerStarted_) {
        fluid_player_play(player_);
        playerStarted_ = true;
    }
    const bool running = songRunning();
    if (!running && fluid_synth_get_active_voice_count(synth_) == 0)
        return;
    fluid_synth_write_s16(synth_, frames, out, 0, 2, out, 1, 2);
    if (running)
        frames_ += static_cast<std::uint64_t>(frames);
    progress_.store(progressWord(epoch, !songRunning(), frames_), std::memory_order_release);
}

// The song runs until its last event. The player itself stays "playing" a little longer while the
// last notes fade; that time is not the song's. Before the first block the song is not read yet
// and counts no ticks at all.
bool AudioDevice::songRunning() const
{
    const int total = fluid_player_get_total_ticks(player_);
    return fluid_player_get_status(player_) == FLUID_PLAYER_PLAYING
        && (total == 0 || fluid_player_get_current_tick(player_) < total);
}

void AudioDevice::restartSong(unsigned epoch)
{
    if (Song *song = nextSong_.exchange(nullptr, std::memory_order_acq_rel)) {
        delete song_;
        song_ = song;
    }
    if (player_) {
        delete_fluid_player(player_);
        player_ = nullptr;
        fluid_synth_all_sounds_off(synth_, -1);
    }
    if (song_ && !song_->empty()) {
        player_ = new_fluid_player(synth_);
        fluid_player_add_mem(player_, song_->data(), song_->size());
    }
    playerStarted_ = false;
    frames_ = 0;
    epoch_ = epoch;
    progress_.store(progressWord(epoch, false, 0), std::memory_order_release);
}

}  // namespace morvik
