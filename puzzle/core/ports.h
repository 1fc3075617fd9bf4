#pragma once

namespace morvik {

// The narrow ways out of the rules: sound cues, randomness and the event loop.

enum class Cue { Move, PickAndPut, CorrectPiece, Completion };

class CuePlayer {
public:
    virtual ~CuePlayer() = default;
    virtual void play(Cue cue) = 0;
};

class Random {
public:
    virtual ~Random() = default;
    // 0 <= r < 1
    virtual float draw() = 0;
    // A new seed from the clock, mixed into the current state.
    virtual void reseed() = 0;
};

class EventLoop {
public:
    virtual ~EventLoop() = default;
    // Brings the window up to date and runs the handler of every pending event in full.
    virtual void yield() = 0;
};

}  // namespace morvik
