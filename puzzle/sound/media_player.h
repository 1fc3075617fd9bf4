#pragma once

#include "audio_module.h"
#include "player.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace morvik {

class AudioDevice;

// A media player on an audio device. A file whose name ends in ".mid" (any letter case) is a MIDI
// song played by the synth; any other file is a wave file played on the player's own channel.
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
//
// Until its device has started, a player keeps only what it has been told last: the file, whether
// it plays, the level and the flag; nothing has played yet, so a rewind changes nothing. The
// device then gets exactly that. Every call belongs on the UI thread.
class MediaPlayer : public Player {
public:
    // On the device shared by the players of the process, which starts at once.
    MediaPlayer();
    explicit MediaPlayer(std::shared_ptr<AudioDevice> device);
    ~MediaPlayer() override;
    MediaPlayer(const MediaPlayer &) = delete;
    MediaPlayer &operator=(const MediaPlayer &) = delete;

    void setCommand(const std::string &command) override;
    void setFileName(const std::string &path) override;
    std::int32_t position() override;
    void setPosition(std::int16_t position) override;
    void setFlag(bool flag) override;
    void setLevel(std::int16_t level) override;

    // Called by the device once it has started: the player's deck gets what the player was told.
    void takeUp(audio::Module &module);

private:
    struct Waiting {
        std::optional<std::string> file;
        bool reportFile = true;
        bool play = false;
    };

    audio::Deck *deck();
    void report(const std::string &subject, const std::string &reason);

    const std::shared_ptr<AudioDevice> device_;
    std::unique_ptr<audio::Deck> deck_;
    Waiting waiting_;
    std::int16_t level_ = 1000;
    bool reportErrors_ = true;
};

}  // namespace morvik
