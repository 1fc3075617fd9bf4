#pragma once

#include "controls.h"
#include "grid_cursor.h"
#include "module1.h"
#include "picture_clip.h"
#include "ports.h"

#include <cstdint>
#include <optional>
#include <string>

namespace morvik {

// The two grids where pieces lie.
enum class Place { Tray, Board };

// What a tray cell, a board cell or the hand holds, told by the picture shown there. A place is
// empty when it shows its own empty marker: the tray's is no picture, the board's and the hand's
// the empty-cell marker. A place that shows a piece's picture holds that piece, whose number the
// state keeps for the place. A place can show neither: the hand shows no picture until the first
// assembly game, and board cell 99 in sliding mode shows the tray's marker; it is then not empty,
// and no piece lies there.
struct Holding {
    bool empty = true;
    std::optional<int> piece;
    friend bool operator==(const Holding &, const Holding &) = default;
};

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

    // What lies where. The rules tell emptiness by these answers, and the window asks them.
    Holding inBox(Place place, int box) const;
    Holding inHand() const;
    // The box shown at a cell, the one on top where two stand there, or -1 where none is shown.
    int boxAt(Place place, int cell) const;
    // What the box shown at a cell holds; a cell where no box is shown is empty.
    Holding inCell(Place place, int cell) const;

    // The keyboard cursors of the tray and the board.
    GridCursor &cursor(Place place) { return place == Place::Tray ? trayCursor_ : boardCursor_; }
    const GridCursor &cursor(Place place) const { return place == Place::Tray ? trayCursor_ : boardCursor_; }

    // The blank moves. Each assumes that its move is possible: the caller tests the bounds.
    void BlankDown();
    void BlankUp();
    void BlankRight();
    void BlankLeft();

private:
    Holding holding(const Picture &picture, const Picture &empty, int number) const;
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
    GridCursor trayCursor_;
    GridCursor boardCursor_;
    unsigned gameStarts_ = 0;
    bool closed_ = false;
};

// A whole number as text, with one space before it when it is not negative: " 23", " 0", "-1".
std::string numberText(int value);

}  // namespace morvik
