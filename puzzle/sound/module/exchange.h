#pragma once

#include "synth.h"
#include "wave.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

namespace morvik::audio {

// A song as its deck loaded it: read, checked and timed once, on the thread that loads it, and
// played from its start as often as it is asked to without being read again.
struct PreparedSong {
    Song song;
    // Made with it, its instruments held; null if the soundfont could not be loaded.
    std::unique_ptr<Synth> synth;
};

// The decks at most at once; the waves of any beyond are not heard.
inline constexpr int MaxDecks = 32;

// What the decks ask: written by the UI thread, copied whole by the renderer and the keeper.
// Each start of a song or a wave from its beginning is numbered, so that a rewind is told from
// playing on; the progress says which start it reports on.
struct Request {
    struct Song {
        const PreparedSong *prepared = nullptr;
        unsigned start = 0;
        bool playing = false;
        float gain = 1.0f;
        // Its deck's last command was play.
        bool wanted = false;
    };
    struct Cue {
        const Samples *wave = nullptr;
        std::size_t frames = 0;  // the wave's
        unsigned start = 0;
        bool paused = false;
        std::int16_t level = 1000;
        bool wanted = false;
    };
    Song song;
    std::array<Cue, MaxDecks> cues{};
};

// What the renderer has played, written by its callbacks, and what of the decks' it holds: the
// decks free a song or a wave only once no progress names it.
struct Progress {
    struct Song {
        const PreparedSong *playing = nullptr;
        // The one asked for, which the callback under way may take up.
        const PreparedSong *asked = nullptr;
        unsigned start = 0;
        std::uint64_t frames = 0;
        bool ended = false;
    };
    struct Cue {
        const Samples *wave = nullptr;
        unsigned start = 0;
        std::size_t frames = 0;  // mixed of it
    };
    Song song;
    std::array<Cue, MaxDecks> cues{};
};

// The one lock of the module, with the records it guards, and the keeper's wake-up.
struct Exchange {
    std::mutex mutex;
    std::condition_variable wake;
    bool woken = false;
    bool closing = false;
    Request request;
    Progress progress;
};

}  // namespace morvik::audio
