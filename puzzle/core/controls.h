#pragma once

#include "picture.h"

#include <string>

namespace morvik {

// What a picture box shows. Positions are in twips, 15 to a pixel, from the client area's top left.
struct Box {
    Picture picture;
    bool visible = false;
    int left = 0;
    int top = 0;
    std::string toolTip;
};

// The state of every control that the game procedures touch, named after the window's controls.
// The window draws what this holds; the rules change only this.
struct Controls {
    Box Picture1[100];  // the tray
    Box Picture2[100];  // the board
    Box Picture3;       // the hand
    Picture Picture4;   // its picture is the empty-cell marker
    Picture Picture5;   // no picture: the empty-tray marker
    Picture Picture6[15];  // the puzzle pictures
    Picture Picture7[16];  // the title animation frames
    Picture Image1;     // the preview
    Picture Image2;     // the animation display
    std::string Label1 = "1";  // the picture number

    // Design positions and visibility, pictures as given.
    Controls();
};

// Twips of the tray's home cell (column, row), and of the board cells.
constexpr int trayLeft(int column) { return 480 + 360 * column; }
constexpr int trayTop(int row) { return 1680 + 360 * row; }
constexpr int boardLeft(int column) { return 5160 + 360 * column; }
constexpr int boardTop(int row) { return 1680 + 360 * row; }

}  // namespace morvik
