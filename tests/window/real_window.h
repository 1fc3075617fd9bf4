#pragma once

#include "clock_random.h"
#include "form1.h"
#include "media_player.h"

namespace morvik::test {

// The window with the game's own media players: the one place where tests and benchmarks make them.
struct RealWindow {
    explicit RealWindow(ClockRandom::Clock clock = {}) : random(std::move(clock)) {}

    MediaPlayer MCIWnd1;
    MediaPlayer MCIWnd2;
    ClockRandom random;
    Form1 form{MCIWnd1, MCIWnd2, random};
};

}  // namespace morvik::test
