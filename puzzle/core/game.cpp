#include "game.h"

#include <algorithm>
#include <utility>

namespace morvik {

namespace {
// Typed in either game mode, it completes the current picture at once.
constexpr std::int16_t cheatWord[5] = {'h', 'o', 'p', 'l', 'a'};
}  // namespace

std::string numberText(int value)
{
    std::string text = std::to_string(value);
    if (value >= 0)
        text.insert(text.begin(), ' ');
    return text;
}

Game::Game(Module1 &state, CuePlayer &cues, Random &random, EventLoop &loop)
    : state(state), cues_(cues), random_(random), loop_(loop)
{
}

// A piece's picture is never either marker, and the tray's marker is no picture at all.
Holding Game::holding(const Picture &picture, const Picture &empty, int number) const
{
    if (picture == empty)
        return {true, std::nullopt};
    if (picture == controls.Picture4 || picture == controls.Picture5)
        return {false, std::nullopt};
    return {false, number};
}

Holding Game::inBox(Place place, int box) const
{
    if (place == Place::Tray)
        return holding(controls.Picture1[box].picture, controls.Picture5, state.TrayPiece[box]);
    return holding(controls.Picture2[box].picture, controls.Picture4, state.BoardPiece[box]);
}

Holding Game::inHand() const
{
    return holding(controls.Picture3.picture, controls.Picture4, state.HandPiece);
}

// Boxes move a whole cell at a time, so a box is shown at a cell when it stands at the cell's place.
int Game::boxAt(Place place, int cell) const
{
    const bool tray = place == Place::Tray;
    const Box *boxes = tray ? controls.Picture1 : controls.Picture2;
    const auto &stacking = tray ? trayStacking : boardStacking;
    const int left = tray ? trayLeft(cell % 10) : boardLeft(cell % 10);
    const int top = tray ? trayTop(cell / 10) : boardTop(cell / 10);
    for (auto n = stacking.rbegin(); n != stacking.rend(); ++n) {
        const Box &box = boxes[*n];
        if (box.visible && box.left == left && box.top == top)
            return *n;
    }
    return -1;
}

Holding Game::inCell(Place place, int cell) const
{
    const int box = boxAt(place, cell);
    return box < 0 ? Holding{} : inBox(place, box);
}

bool Game::stillCurrent(unsigned start) const
{
    return start == gameStarts_ && !closed_;
}

bool Game::yieldToEvents()
{
    const unsigned start = gameStarts_;
    loop_.yield();
    return stillCurrent(start);
}

int Game::draw(int range)
{
    // In double, so that a draw just below 1 never rounds up to `range`.
    return static_cast<int>(static_cast<double>(random_.draw()) * range);
}

void Game::StartGame()
{
    ++gameStarts_;
    const unsigned start = gameStarts_;
    PreparePicture();
    if (!stillCurrent(start))
        return;
    LayOutBoard();
    ShufflePieces();
}

void Game::PreparePicture()
{
    if (state.PictureNo == 15)
        state.PictureNo = 0;
    PictureClip1.setPicture(controls.Picture6[state.PictureNo]);
    controls.Image1 = PictureClip1.picture();
    controls.Label1 = numberText(state.PictureNo + 1);
    controls.Picture3.visible = true;
    loop_.yield();
}

void Game::LayOutBoard()
{
    controls.Picture2[99].picture = controls.Picture5;
    int n = 0;
    for (state.BlankY = 0; state.BlankY <= 9; ++state.BlankY) {
        for (state.BlankX = 0; state.BlankX <= 9; ++state.BlankX) {
            const int column = state.BlankX;
            const int row = state.BlankY;
            state.Grid[column][row] = static_cast<std::int16_t>(n);
            state.TrayPiece[n] = static_cast<std::int16_t>(n);
            state.BoardPiece[n] = 0;
            if (!(n == 99 && state.GameMode == 1)) {
                Box &tray = controls.Picture1[n];
                Box &board = controls.Picture2[n];
                if (state.GameMode != 0) {
                    tray.picture = PictureClip1.GraphicCell(static_cast<std::int16_t>(n));
                    board.picture = controls.Picture4;
                    tray.visible = true;
                    board.visible = true;
                } else {
                    tray.visible = false;
                    board.visible = false;
                }
                tray.top = trayTop(row);
                tray.left = trayLeft(column);
                tray.toolTip = state.GameMode == 1
                    ? numberText(n) + " = " + numberText(column) + "," + numberText(row)
                    : "";
            }
            ++n;
        }
    }
    state.Grid[9][9] = 0;
    state.BlankX = 9;
    state.BlankY = 9;
}

void Game::ShufflePieces()
{
    if (state.GameMode == 1) {
        int barred = 0;
        if (!yieldToEvents())
            return;
        for (int leg = 0; leg <= 50; ++leg) {
            random_.reseed();
            const int steps = draw(7) + 5;
            for (int step = 0; step <= steps; ++step) {
                random_.reseed();
                int direction = draw(4);
                while (direction == barred)
                    direction = draw(4);
                switch (direction) {
                case 0:
                    if (state.BlankY < 9) {
                        BlankDown();
                        barred = 1;
                    }
                    break;
                case 1:
                    if (state.BlankY > 0) {
                        BlankUp();
                        barred = 0;
                    }
                    break;
                case 2:
                    if (state.BlankX < 9) {
                        BlankRight();
                        barred = 3;
                    }
                    break;
                default:
                    if (state.BlankX > 0) {
                        BlankLeft();
                        barred = 2;
                    }
                    break;
                }
            }
        }
    }
    if (state.GameMode == 2) {
        Box &hand = controls.Picture3;
        for (int exchange = 0; exchange <= 100; ++exchange) {
            random_.reseed();
            const int a = draw(100);
            random_.reseed();
            const int b = draw(100);
            hand.picture = controls.Picture1[b].picture;
            controls.Picture1[b].picture = controls.Picture1[a].picture;
            controls.Picture1[a].picture = hand.picture;
            std::swap(state.TrayPiece[a], state.TrayPiece[b]);
        }
        hand.picture = controls.Picture4;
    }
}

void Game::BlankDown()
{
    auto &s = state;
    ++s.BlankY;
    s.Grid[s.BlankX][s.BlankY - 1] = s.Grid[s.BlankX][s.BlankY];
    s.Grid[s.BlankX][s.BlankY] = 0;
    controls.Picture1[s.Grid[s.BlankX][s.BlankY - 1]].top -= 360;
}

void Game::BlankUp()
{
    auto &s = state;
    --s.BlankY;
    s.Grid[s.BlankX][s.BlankY + 1] = s.Grid[s.BlankX][s.BlankY];
    s.Grid[s.BlankX][s.BlankY] = 0;
    controls.Picture1[s.Grid[s.BlankX][s.BlankY + 1]].top += 360;
}

void Game::BlankRight()
{
    auto &s = state;
    ++s.BlankX;
    s.Grid[s.BlankX - 1][s.BlankY] = s.Grid[s.BlankX][s.BlankY];
    s.Grid[s.BlankX][s.BlankY] = 0;
    controls.Picture1[s.Grid[s.BlankX - 1][s.BlankY]].left -= 360;
}

void Game::BlankLeft()
{
    auto &s = state;
    --s.BlankX;
    s.Grid[s.BlankX + 1][s.BlankY] = s.Grid[s.BlankX][s.BlankY];
    s.Grid[s.BlankX][s.BlankY] = 0;
    controls.Picture1[s.Grid[s.BlankX + 1][s.BlankY]].left += 360;
}

void Game::completePicture()
{
    cues_.play(Cue::Completion);
    ++state.PictureNo;
    StartGame();
}

void Game::KeyPress(std::int16_t key)
{
    if (state.GameMode != 0) {
        std::copy(state.KeyHistory + 1, state.KeyHistory + 5, state.KeyHistory);
        state.KeyHistory[4] = key;
        if (std::equal(cheatWord, cheatWord + 5, state.KeyHistory)) {
            completePicture();
            if (closed_)
                return;
        }
    }
    if (state.GameMode != 1)
        return;
    switch (key) {
    case '8':
        if (state.BlankY < 9) {
            cues_.play(Cue::Move);
            BlankDown();
        }
        break;
    case '2':
        if (state.BlankY > 0) {
            cues_.play(Cue::Move);
            BlankUp();
        }
        break;
    case '4':
        if (state.BlankX < 9) {
            cues_.play(Cue::Move);
            BlankRight();
        }
        break;
    case '6':
        if (state.BlankX > 0) {
            cues_.play(Cue::Move);
            BlankLeft();
        }
        break;
    default:
        break;
    }
}

void Game::ChooseSliding()
{
    state.GameMode = 1;
    controls.Picture1[99].visible = false;
    StartGame();
}

void Game::ChooseAssembly()
{
    state.GameMode = 2;
    controls.Picture1[99].visible = true;
    StartGame();
}

void Game::ChooseIdle()
{
    state.GameMode = 0;
    controls.Picture1[99].visible = true;
    LayOutBoard();
}

void Game::TrayClick(std::int16_t index)
{
    if (state.GameMode != 2)
        return;
    Box &tray = controls.Picture1[index];
    Box &hand = controls.Picture3;
    const bool boxEmpty = inBox(Place::Tray, index).empty;
    const bool emptyHand = inHand().empty;
    if (emptyHand && !boxEmpty) {
        hand.picture = tray.picture;
        tray.picture = controls.Picture5;
        state.HandPiece = state.TrayPiece[index];
        cues_.play(Cue::PickAndPut);
    } else if (boxEmpty && !emptyHand) {
        tray.picture = hand.picture;
        hand.picture = controls.Picture4;
        state.TrayPiece[index] = state.HandPiece;
        cues_.play(Cue::PickAndPut);
    }
}

void Game::BoardClick(std::int16_t index)
{
    if (state.GameMode != 2)
        return;
    Box &board = controls.Picture2[index];
    Box &hand = controls.Picture3;
    const bool cellEmpty = inBox(Place::Board, index).empty;
    const bool emptyHand = inHand().empty;
    if (cellEmpty && !emptyHand) {
        board.picture = hand.picture;
        hand.picture = controls.Picture4;
        state.BoardPiece[index] = state.HandPiece;
        cues_.play(Cue::PickAndPut);
        if (state.BoardPiece[index] == index) {
            cues_.play(Cue::CorrectPiece);
            if (boardComplete())
                completePicture();
        }
    } else if (emptyHand && !cellEmpty) {
        hand.picture = board.picture;
        board.picture = controls.Picture4;
        state.HandPiece = state.BoardPiece[index];
        cues_.play(Cue::PickAndPut);
    }
}

// A cell counts only while it shows a piece and its last piece put down is its own.
bool Game::boardComplete() const
{
    for (int k = 0; k < 100; ++k) {
        if (inBox(Place::Board, k).empty || state.BoardPiece[k] != k)
            return false;
    }
    return true;
}

void Game::AdvanceAnimation()
{
    ++state.AnimFrame;
    if (state.AnimFrame == 16)
        state.AnimFrame = 0;
    controls.Image2 = controls.Picture7[state.AnimFrame];
}

}  // namespace morvik
