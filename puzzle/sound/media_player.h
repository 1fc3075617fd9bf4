#pragma once

#include "audio_device.h"
#include "player.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>

namespace morvik {

// A media player on the audio module. A file whose name ends in ".mid" (any letter case) is a MIDI
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
// silent until the next file. While there is no audio device nothing is rendered: the players
// keep their files and positions, and go on once a device opens.
//
// Until the module is loaded, a player keeps what it has been told last: its file, whether it
// plays, and its level; nothing has played yet, so a rewind changes nothing. Its deck then gets
// exactly that. Every call belongs on the UI thread.
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

private:
    // The module with this player's deck, or null while it loads or if it could not be.
    audio::Module *module();
    void load(const std::string &path, bool report);
    void report(const std::string &line, bool report);

    const std::shared_ptr<AudioDevice> device_;
    audio::Module *module_ = nullptr;
    int deck_ = -1;
    // What the deck gets once the module is there; the flag as it was when the file was named.
    std::optional<std::string> file_;
    bool reportFile_ = true;
    bool play_ = false;
    std::int16_t level_ = 1000;
    bool reportErrors_ = true;
    std::set<std::string> reported_;
};

}  // namespace morvik
