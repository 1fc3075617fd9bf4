#pragma once

#include "module1.h"
#include "player.h"
#include "ports.h"

namespace morvik {

// The sound of the game: the cues on the effect player and the looping music on the music player.
class Sound : public CuePlayer {
public:
    Sound(Module1 &state, Player &MCIWnd1, Player &MCIWnd2);

    // The cue sequence on the effect player: "stop", the cue's file, then the effects command.
    void play(Cue cue) override;
    // The effects check box was clicked: 1 turns the effects on, anything else off, from the next cue.
    void switchEffects(int value);
    // Start-up: the song is loaded and started, then the levels and the music player's flag are set.
    void setUpMusic();
    // The music check box was clicked: 1 plays the song on, anything else stops it.
    void switchMusic(int value);
    // The last step of every timer tick: past the loop point the song starts over.
    void loopWatch();

private:
    Module1 &state_;
    Player &MCIWnd1_;
    Player &MCIWnd2_;
};

}  // namespace morvik
