#pragma once

#include "exchange.h"

#include <SDL.h>

#include <array>
#include <memory>
#include <vector>

namespace morvik::audio {

// The audio callbacks: the song rendered by the synth, and the waves mixed on top, each on its
// deck's own channel. They only render: what they are to play they copy from the request at the
// start of each callback, and what they have played they write into the progress, both under
// the exchange's lock, never while the synth renders. The song's state is touched by the
// callback of the device that plays the song alone, the waves' by that of the device that plays
// the cues alone (one device may play both).
class Renderer {
public:
    // The synth renders the song this many frames at a time (see renderAhead).
    static constexpr int AheadFrames = 8192;

    explicit Renderer(Exchange &exchange);

    // What one device plays, given to SDL with the callback.
    struct Part {
        Renderer *renderer;
        bool song;
        bool cues;
    };
    static void SDLCALL callback(void *part, Uint8 *stream, int length);

private:
    void renderSong(std::int16_t *out, int frames);
    bool playsOutFirst(const Request::Song &asked, int frames) const;
    void takeUp(const Request::Song &asked);
    void playSong(std::int16_t *out, int frames);
    void renderAhead(int frames);
    void mixCues(std::int16_t *out, int frames);

    Exchange &exchange_;

    // The song's.
    const PreparedSong *song_ = nullptr;
    unsigned start_ = 0;
    // The song's synth, which rendered the last frames.
    Synth *heard_ = nullptr;
    float gain_ = -1.0f;
    std::uint64_t frames_ = 0;
    bool ended_ = false;
    // The synth renders the song a few of the device's buffers ahead, each as it would have been
    // rendered in a callback of its own, and they are handed out one a callback: the synth costs
    // a good deal for each wake-up, and little for each frame. The buffers are as long as the
    // device's that plays the song.
    struct Piece {
        bool sounds = false;  // rendered; else silence, with nothing to report
        bool ofSong = false;  // its frames count as the song's
        bool endedAfter = false;
    };
    std::vector<std::int16_t> ahead_;
    std::vector<Piece> pieces_;
    std::size_t nextPiece_ = 0;
    int pieceFrames_ = 0;

    // The waves'.
    struct Channel {
        const Samples *wave = nullptr;
        unsigned start = 0;
        std::size_t at = 0;  // frames mixed
    };
    std::array<Channel, MaxDecks> channels_{};
};

}  // namespace morvik::audio
