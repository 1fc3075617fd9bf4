#pragma once

#include "picture.h"

#include <array>
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

// The order in which the design creates the boxes of the tray and of the board, the lowest first:
// where two boxes stand on one cell, the one created later lies above. The tray is created as box
// 99, then 0 to 68, 70 to 98, and 69 last; the board from 99 down to 0.
constexpr std::array<int, 100> trayStacking = [] {
    std::array<int, 100> order{99};
    int at = 1;
    for (int n = 0; n <= 98; ++n)
        if (n != 69)
            order[at++] = n;
    order[at] = 69;
    return order;
}();
constexpr std::array<int, 100> boardStacking = [] {
    std::array<int, 100> order{};
    for (int at = 0; at < 100; ++at)
        order[at] = 99 - at;
    return order;
}();

}  // namespace morvik
