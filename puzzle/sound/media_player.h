#pragma once

#include "player.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct Mix_Chunk;

namespace morvik {

class AudioDevice;

// A media player on the shared audio device. A file whose name ends in ".mid" (any letter case) is
// a MIDI song played by the FluidSynth synth; any other file is a wave file played on the player's
// own mixer channel.
//
// - "play" starts the file from its start after a new file name; after "stop" it goes on from
//   where it stopped; after the file has played to its end it starts it again.
// - The position counts the milliseconds of the file actually rendered. Writing 0 starts the file
//   again from its start at once, playing or not; other positions are refused.
// - The level runs from 0 (silent) to 1000 (full volume).
// - The flag says whether the player reports its errors on standard error (on at first): a file it
//   cannot play, a command or position it does not know. Either way such a file stays silent.
//
// Every error is one line on standard error, once per file and reason, and leaves the player
// silent until the next file. Without an audio device every player is silent; without a soundfont
// MIDI songs are.
class MediaPlayer : public Player {
public:
    MediaPlayer();
    ~MediaPlayer() override;

    // The audio device opens on a thread of its own when the first player is made, and what the
    // players are told meanwhile waits for it. A program can hold the opening back, for instance
    // until its window is on the screen, so that the two do not compete for the processor.
    static void holdAudioStart();
    static void releaseAudioStart();
    MediaPlayer(const MediaPlayer &) = delete;
    MediaPlayer &operator=(const MediaPlayer &) = delete;

    void setCommand(const std::string &command) override;
    void setFileName(const std::string &path) override;
    std::int32_t position() override;
    void setPosition(std::int16_t position) override;
    void setFlag(bool flag) override;
    void setLevel(std::int16_t level) override;

private:
    enum class Kind { None, Wave, Song };

    void load(const std::string &path);
    void release();
    void play();
    void stop();
    void rewind();
    void applyLevel();
    void startWave();
    bool ownsSong() const;
    void report(const std::string &subject, const std::string &reason);

    std::shared_ptr<AudioDevice> device_;
    const int channel_;
    Kind kind_ = Kind::None;
    Mix_Chunk *chunk_ = nullptr;
    std::vector<char> song_;
    std::int16_t level_ = 1000;
    bool reportErrors_ = true;
    // Frames of the wave mixed since it started, counted by the mixer's thread.
    std::atomic<std::int64_t> waveFrames_{0};
};

}  // namespace morvik
