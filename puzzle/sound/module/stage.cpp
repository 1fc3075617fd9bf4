#include "stage.h"

#include <algorithm>
#include <climits>

namespace morvik::audio {

int Stage::newChannel()
{
    std::lock_guard lock(mutex_);
    channels_.emplace_back();
    return static_cast<int>(channels_.size()) - 1;
}

void Stage::startWave(int channel, std::shared_ptr<const Samples> wave, std::int16_t level)
{
    std::lock_guard lock(mutex_);
    channels_[channel] = {std::move(wave), 0, false, level, 0};
}

void Stage::pauseWave(int channel, bool paused)
{
    std::lock_guard lock(mutex_);
    channels_[channel].paused = paused;
}

void Stage::haltWave(int channel)
{
    std::lock_guard lock(mutex_);
    const std::int16_t level = channels_[channel].level;
    channels_[channel] = {};
    channels_[channel].level = level;
}

void Stage::setWaveLevel(int channel, std::int16_t level)
{
    std::lock_guard lock(mutex_);
    channels_[channel].level = level;
}

bool Stage::waveActive(int channel) const
{
    std::lock_guard lock(mutex_);
    return active(channels_[channel]);
}

bool Stage::wavePaused(int channel) const
{
    std::lock_guard lock(mutex_);
    return channels_[channel].paused;
}

std::int64_t Stage::waveFrames(int channel) const
{
    std::lock_guard lock(mutex_);
    return channels_[channel].frames;
}

void Stage::loadSong(std::shared_ptr<const SongFile> song)
{
    std::lock_guard lock(mutex_);
    song_ = std::move(song);
    songPlaying_ = false;
    ++restart_;
}

void Stage::rewindSong()
{
    std::lock_guard lock(mutex_);
    ++restart_;
}

void Stage::setSongPlaying(bool playing)
{
    std::lock_guard lock(mutex_);
    songPlaying_ = playing;
}

void Stage::setSongGain(float gain)
{
    std::lock_guard lock(mutex_);
    songGain_ = gain;
}

std::int32_t Stage::songPosition() const
{
    std::lock_guard lock(mutex_);
    if (renderedRestart_ != restart_)
        return 0;
    return static_cast<std::int32_t>(std::min<std::uint64_t>(renderedFrames_ * 1000 / Rate, INT32_MAX));
}

bool Stage::songEnded() const
{
    std::lock_guard lock(mutex_);
    return renderedRestart_ == restart_ && songEnded_;
}

Stage::SongRequest Stage::songRequest() const
{
    std::lock_guard lock(mutex_);
    return {restart_, song_, songPlaying_, songGain_};
}

void Stage::songProgress(unsigned restart, std::uint64_t frames, bool ended)
{
    std::lock_guard lock(mutex_);
    renderedRestart_ = restart;
    renderedFrames_ = frames;
    songEnded_ = ended;
}

void Stage::mixWaves(std::int16_t *out, int frames)
{
    std::lock_guard lock(mutex_);
    for (Channel &channel : channels_) {
        if (!active(channel) || channel.paused)
            continue;
        const std::size_t count = std::min<std::size_t>(frames, channel.wave->size() / 2 - channel.at);
        const std::int16_t *in = channel.wave->data() + channel.at * 2;
        for (std::size_t i = 0; i < count * 2; ++i) {
            const int sample = out[i] + in[i] * channel.level / 1000;
            out[i] = static_cast<std::int16_t>(std::clamp(sample, INT16_MIN, INT16_MAX));
        }
        channel.at += count;
        channel.frames += static_cast<std::int64_t>(count);
    }
}

}  // namespace morvik::audio
