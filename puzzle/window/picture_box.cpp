#include "picture_box.h"

#include <QPainter>

namespace morvik {

void drawPictureBox(QPainter &painter, QRect box, const Picture &picture, QColor background, bool sunken)
{
    const int inset = sunken ? 1 : 0;
    painter.fillRect(box, background);
    if (!picture.isNull()) {
        painter.save();
        painter.setClipRect(box.adjusted(inset, inset, -inset, -inset), Qt::IntersectClip);
        // A finer picture than the screen's pixels is scaled down smoothly.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, picture.image().devicePixelRatio() != 1);
        painter.drawImage(box.topLeft() + QPoint(inset, inset), picture.image());
        painter.restore();
    }
    if (sunken) {
        painter.setPen(background.darker(160));
        painter.drawLine(box.topLeft(), box.topRight());
        painter.drawLine(box.topLeft(), box.bottomLeft());
        painter.setPen(background.lighter(130));
        painter.drawLine(box.bottomLeft() + QPoint(1, 0), box.bottomRight());
        painter.drawLine(box.topRight() + QPoint(0, 1), box.bottomRight());
    }
}

PictureBox::PictureBox(QWidget *parent, QRect geometry, QColor background, bool sunkenBorder,
                       bool visible)
    : QWidget(parent), background_(background), sunken_(sunkenBorder)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setGeometry(geometry);
    setVisible(visible);
}

void PictureBox::setPicture(const Picture &picture)
{
    if (picture == picture_)
        return;
    picture_ = picture;
    update();
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawPictureBox(painter, rect(), picture_, background_, sunken_);
}

ImageBox::ImageBox(QWidget *parent, QRect geometry, Mode mode, bool border)
    : QWidget(parent), mode_(mode), border_(border)
{
    setGeometry(geometry);
}

void ImageBox::setPicture(const Picture &picture)
{
    if (picture == picture_)
        return;
    picture_ = picture;
    if (mode_ == TakeSize && !picture_.isNull()) {
        resize(picture_.image().deviceIndependentSize().toSize());
        // The picture covers it all: nothing behind it needs drawing first.
        setAttribute(Qt::WA_OpaquePaintEvent, !picture_.image().hasAlphaChannel());
    }
    update();
}

void ImageBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect inside = border_ ? rect().adjusted(1, 1, -1, -1) : rect();
    if (!picture_.isNull()) {
        if (mode_ == Stretch) {
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(inside, picture_.image());
        } else {
            painter.setRenderHint(QPainter::SmoothPixmapTransform, picture_.image().devicePixelRatio() != 1);
            painter.drawImage(inside.topLeft(), picture_.image());
        }
    }
    if (border_) {
        painter.setPen(Qt::black);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

}  // namespace morvik
