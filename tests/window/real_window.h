#pragma once

#include "audio_device.h"
#include "clock_random.h"
#include "form1.h"
#include "media_player.h"

namespace morvik::test {

// The window with the game's own media players: the one place where tests and benchmarks make them.
struct RealWindow {
    explicit RealWindow(ClockRandom::Clock clock = {},
                        const std::shared_ptr<AudioDevice> &audio = AudioDevice::shared())
        : MCIWnd1(audio), MCIWnd2(audio), random(std::move(clock))
    {
    }

    MediaPlayer MCIWnd1;
    MediaPlayer MCIWnd2;
    ClockRandom random;
    Form1 form{MCIWnd1, MCIWnd2, random};
};

}  // namespace morvik::test
