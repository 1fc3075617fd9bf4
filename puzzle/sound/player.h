#pragma once

#include <cstdint>
#include <string>

namespace morvik {

// The five operations of a media player, as the game uses them.
class Player {
public:
    virtual ~Player() = default;
    // "play" starts the current file, "stop" (any letter case) halts it.
    virtual void setCommand(const std::string &command) = 0;
    // The file that the next "play" plays from its start.
    virtual void setFileName(const std::string &path) = 0;
    // How far playback of the current file has come, in milliseconds.
    virtual std::int32_t position() = 0;
    // 0 moves playback to the start of the file.
    virtual void setPosition(std::int16_t position) = 0;
    virtual void setFlag(bool flag) = 0;
    // 0..1000, 1000 full volume.
    virtual void setLevel(std::int16_t level) = 0;
};

}  // namespace morvik
