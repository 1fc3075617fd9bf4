#pragma once

#include "synth.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace morvik::audio {

// 16-bit stereo frames at the device's rate, interleaved.
using Samples = std::vector<std::int16_t>;
using SongFile = std::vector<char>;

// Everything the UI thread and the audio callback share: the wave channels, what the UI thread
// asks of the song, and how far the callback has rendered it. One lock guards it all; the callback
// holds it only to take up requests, publish its progress and mix the waves, never while the synth
// renders.
class Stage {
public:
    static constexpr int Rate = DeviceRate;

    // The UI thread's side. Levels run from 0 to 1000.
    int newChannel();
    // The wave from its start, counting the frames mixed of it.
    void startWave(int channel, std::shared_ptr<const Samples> wave, std::int16_t level);
    void pauseWave(int channel, bool paused);
    // Silent, with its count back at 0.
    void haltWave(int channel);
    void setWaveLevel(int channel, std::int16_t level);
    // Started and not yet played to its end, paused or not.
    bool waveActive(int channel) const;
    bool wavePaused(int channel) const;
    std::int64_t waveFrames(int channel) const;

    // A new song, or none, to be started from its beginning. Each load and each rewind is taken
    // up by the callback at its next block.
    void loadSong(std::shared_ptr<const SongFile> song);
    void rewindSong();
    void setSongPlaying(bool playing);
    void setSongGain(float gain);
    // Milliseconds rendered since the latest load or rewind (0 until the callback has taken it up).
    std::int32_t songPosition() const;
    bool songEnded() const;

    // The callback's side.
    struct SongRequest {
        unsigned restart;  // the number of the latest load or rewind
        std::shared_ptr<const SongFile> song;
        bool playing;
        float gain;
    };
    SongRequest songRequest() const;
    void songProgress(unsigned restart, std::uint64_t frames, bool ended);
    // Adds every playing wave into out.
    void mixWaves(std::int16_t *out, int frames);

private:
    struct Channel {
        std::shared_ptr<const Samples> wave;
        std::size_t at = 0;  // in frames
        bool paused = false;
        std::int16_t level = 1000;
        std::int64_t frames = 0;
    };

    bool active(const Channel &channel) const { return channel.wave && channel.at * 2 < channel.wave->size(); }

    mutable std::mutex mutex_;
    std::vector<Channel> channels_;
    std::shared_ptr<const SongFile> song_;
    unsigned restart_ = 0;
    bool songPlaying_ = false;
    float songGain_ = 1.0f;
    unsigned renderedRestart_ = 0;
    std::uint64_t renderedFrames_ = 0;
    bool songEnded_ = false;
};

}  // namespace morvik::audio
