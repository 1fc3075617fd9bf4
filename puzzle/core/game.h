#pragma once

#include "controls.h"
#include "module1.h"
#include "picture_clip.h"
#include "ports.h"

#include <cstdint>
#include <string>

namespace morvik {

// The rules of both ways to play, over the puzzle state and the controls it owns. The window turns
// its events into calls here and draws what `controls` holds afterwards.
class Game {
public:
    Game(Module1 &state, CuePlayer &cues, Random &random, EventLoop &loop);

    Module1 &state;
    Controls controls;
    PictureClip PictureClip1;

    // What the window's handlers do.
    void KeyPress(std::int16_t key);
    void ChooseSliding();
    void ChooseAssembly();
    void ChooseIdle();
    void TrayClick(std::int16_t index);
    void BoardClick(std::int16_t index);
    void AdvanceAnimation();
    // The window is going away: a game start waiting in a yield is abandoned after it.
    void Close() { closed_ = true; }
    bool closed() const { return closed_; }

    // The game-start sequence and its procedures.
    void StartGame();
    void PreparePicture();
    void LayOutBoard();
    void ShufflePieces();

    // The blank moves. Each assumes that its move is possible: the caller tests the bounds.
    void BlankDown();
    void BlankUp();
    void BlankRight();
    void BlankLeft();

private:
    bool trayEmpty(int index) const;
    bool boardEmpty(int index) const;
    bool handEmpty() const;
    bool boardComplete() const;
    void completePicture();
    // False once a newer game start or the closing of the window has overtaken game start `start`.
    bool stillCurrent(unsigned start) const;
    // Yields to the event loop; false when the game start that yielded was overtaken meanwhile.
    bool yieldToEvents();
    int draw(int range);

    CuePlayer &cues_;
    Random &random_;
    EventLoop &loop_;
    unsigned gameStarts_ = 0;
    bool closed_ = false;
};

// A whole number as text, with one space before it when it is not negative: " 23", " 0", "-1".
std::string numberText(int value);

}  // namespace morvik
