#pragma once

#include "game.h"
#include "picture.h"

#include <QColor>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

namespace morvik {

// A control array of picture boxes, drawn by one widget. Each box has its own place (in the
// parent's coordinates), picture, visibility and tool tip; all share a size, a background colour
// and a border. Where boxes overlap, the one later in the stacking order lies above.
class PictureArray : public QWidget {
public:
    struct Design {
        std::vector<QRect> places;  // by index
        std::vector<int> stacking;  // indexes, the lowest first
        QColor background;
        bool sunken = false;
        bool visible = false;
    };
    PictureArray(QWidget *parent, Design design);

    // A click on a visible box, with its index.
    std::function<void(int)> onClick;

    // Makes the array the game's tray or board, a grid of 10 x 10 cells at the boxes' design
    // places, played from the keyboard as well: while it is shown, Tab brings the focus into it,
    // the arrows, Home and End move the game's cursor, and Space or Enter click the cell under it.
    // What lies in a cell, and which box is shown there, the game tells.
    void makeGrid(Game &game, Place place);
    bool isGrid() const { return game_; }
    // Whether the grid is shown, and so can take the focus. Taken out of the focus chain, it gives
    // the focus up.
    void setGridShown(bool shown);
    bool isGridShown() const { return shown_; }
    int cursorCell() const { return cursor().cell; }
    void moveCursorTo(int cell);
    // The grid cell's place in the parent's coordinates; what the game tells of it: the box shown
    // there (or -1), and whether a piece lies there.
    QRect cell(int n) const { return cells_[n]; }
    int boxAtCell(int n) const { return game_->boxAt(place_, n); }
    bool holdsPiece(int n) const { return game_->inCell(place_, n).piece.has_value(); }
    // A click on a cell: on the box shown there, as the mouse would make it, or nothing.
    void clickCell(int n);
    // Tells a screen reader of the cells whose piece or box has changed since it was last told.
    void announceChangedCells();

    void setBox(int n, const Picture &picture, QPoint place, bool visible, const std::string &toolTip);
    void setPicture(int n, const Picture &picture);

    int count() const { return static_cast<int>(boxes_.size()); }
    QRect geometry(int n) const { return boxes_[n].place; }
    bool isShown(int n) const { return boxes_[n].visible; }
    const Picture &picture(int n) const { return boxes_[n].picture; }
    QString toolTip(int n) const { return QString::fromStdString(boxes_[n].toolTip); }
    // The topmost visible box at a point of this widget, or -1.
    int boxAt(QPoint point) const;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    struct Box {
        QRect place;
        Picture picture;
        bool visible;
        std::string toolTip;
    };
    void redraw(int n);
    GridCursor &cursor() const { return game_->cursor(place_); }
    void redrawCursor();
    // Tells a screen reader that the cursor cell holds the focus.
    void announceCursor();

    std::vector<Box> boxes_;
    std::vector<int> stacking_;
    QColor background_;
    bool sunken_;
    int pressed_ = -1;
    Game *game_ = nullptr;  // for the tray and the board
    Place place_ = Place::Tray;
    bool shown_ = false;
    std::vector<QRect> cells_;  // the boxes' design places
    struct Told {
        int box = -1;
        bool piece = false;
        friend bool operator==(const Told &, const Told &) = default;
    };
    std::vector<Told> told_;  // by cell, what a screen reader was last told
};

}  // namespace morvik
