#pragma once

#include "audio_module.h"
#include "stage.h"

#include <memory>

namespace morvik::audio {

class Engine;

// A deck of the engine. A file whose name ends in ".mid" (any letter case) is a MIDI song played
// by the synth; any other file is a wave file played on the deck's own channel. Without an audio
// device every deck is silent; without a soundfont MIDI songs are. A file that cannot be played is
// reported and leaves the deck silent until the next file.
class EngineDeck : public Deck {
public:
    EngineDeck(Engine &engine, Report report);
    ~EngineDeck() override;
    EngineDeck(const EngineDeck &) = delete;
    EngineDeck &operator=(const EngineDeck &) = delete;

    void load(const std::string &path) override;
    void play() override;
    void stop() override;
    void rewind() override;
    void setLevel(std::int16_t level) override;
    std::int32_t position() override;

private:
    enum class Kind { None, Wave, Song };

    void release();
    bool ownsSong() const;

    Engine &engine_;
    Stage &stage_;
    const Report report_;
    const int channel_;
    Kind kind_ = Kind::None;
    std::shared_ptr<const Samples> wave_;
    std::shared_ptr<const SongFile> song_;
    std::int16_t level_ = 1000;
};

}  // namespace morvik::audio
