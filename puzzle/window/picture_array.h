#pragma once

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

private:
    struct Box {
        QRect place;
        Picture picture;
        bool visible;
        std::string toolTip;
    };
    void redraw(int n);

    std::vector<Box> boxes_;
    std::vector<int> stacking_;
    QColor background_;
    bool sunken_;
    int pressed_ = -1;
};

}  // namespace morvik
