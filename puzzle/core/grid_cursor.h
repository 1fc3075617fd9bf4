#pragma once

#include <Qt>

#include <algorithm>

namespace morvik {

// The keyboard cursor of the tray or the board, a 10 x 10 grid of cells numbered as the boxes are
// (10 x row + column). The window passes it the keys and draws it where it is.
struct GridCursor {
    int cell = 0;

    int column() const { return cell % 10; }
    int row() const { return cell / 10; }

    // The arrows move one cell and stop at the edges; Home and End go to the row's ends, and with
    // Ctrl to the grid's first and last cells. False for any other key, which leaves it in place.
    bool move(int key, bool control)
    {
        int c = column(), r = row();
        switch (key) {
        case Qt::Key_Left: c = std::max(c - 1, 0); break;
        case Qt::Key_Right: c = std::min(c + 1, 9); break;
        case Qt::Key_Up: r = std::max(r - 1, 0); break;
        case Qt::Key_Down: r = std::min(r + 1, 9); break;
        case Qt::Key_Home: c = 0; r = control ? 0 : r; break;
        case Qt::Key_End: c = 9; r = control ? 9 : r; break;
        default: return false;
        }
        cell = 10 * r + c;
        return true;
    }

    // The keys that click the cell under the cursor.
    static bool clicks(int key)
    {
        return key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
    }
};

}  // namespace morvik
