#pragma once

#include "picture.h"

#include <QColor>
#include <QPainter>
#include <QWidget>

namespace morvik {

// Draws one picture box: its background, its picture unscaled from the top left, and its border.
void drawPictureBox(QPainter &painter, QRect box, const Picture &picture, QColor background, bool sunken);

// A single picture box: its background colour, and its picture drawn unscaled from the top left,
// inside an optional sunken border.
class PictureBox : public QWidget {
public:
    PictureBox(QWidget *parent, QRect geometry, QColor background, bool sunkenBorder, bool visible);

    void setPicture(const Picture &picture);
    const Picture &picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    Picture picture_;
    QColor background_;
    bool sunken_;
};

// An image control: either stretches its picture to fill itself, or takes on the picture's size.
class ImageBox : public QWidget {
public:
    enum Mode { Stretch, TakeSize };
    ImageBox(QWidget *parent, QRect geometry, Mode mode, bool border);

    void setPicture(const Picture &picture);
    const Picture &picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    Picture picture_;
    Mode mode_;
    bool border_;
};

}  // namespace morvik
