#include "picture_array.h"

#include "picture_box.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>

namespace morvik {

PictureArray::PictureArray(QWidget *parent, Design design)
    : QWidget(parent), stacking_(std::move(design.stacking)), background_(design.background),
      sunken_(design.sunken)
{
    QRect bounds;
    for (const QRect &place : design.places) {
        boxes_.push_back({place, Picture(), design.visible, {}});
        bounds |= place;
    }
    setGeometry(bounds);
}

void PictureArray::redraw(int n)
{
    update(boxes_[n].place.translated(-pos()));
}

void PictureArray::setPicture(int n, const Picture &picture)
{
    Box &box = boxes_[n];
    if (box.picture == picture)
        return;
    box.picture = picture;
    if (box.visible)
        redraw(n);
}

void PictureArray::setBox(int n, const Picture &picture, QPoint place, bool visible,
                          const std::string &toolTip)
{
    Box &box = boxes_[n];
    box.toolTip = toolTip;
    if (box.place.topLeft() == place && box.visible == visible) {
        setPicture(n, picture);
        return;
    }
    if (box.visible)
        redraw(n);
    box.place.moveTopLeft(place);
    box.visible = visible;
    box.picture = picture;
    if (box.visible)
        redraw(n);
}

int PictureArray::boxAt(QPoint point) const
{
    const QPoint inParent = point + pos();
    for (auto n = stacking_.rbegin(); n != stacking_.rend(); ++n)
        if (boxes_[*n].visible && boxes_[*n].place.contains(inParent))
            return *n;
    return -1;
}

bool PictureArray::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const int n = boxAt(help->pos());
        if (n >= 0 && !boxes_[n].toolTip.empty())
            QToolTip::showText(help->globalPos(), toolTip(n), this, boxes_[n].place.translated(-pos()));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void PictureArray::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.translate(-pos());
    const QRect dirty = event->rect().translated(pos());
    for (int n : stacking_) {
        const Box &box = boxes_[n];
        if (box.visible && box.place.intersects(dirty))
            drawPictureBox(painter, box.place, box.picture, background_, sunken_);
    }
}

// A press beside every visible box is a press on the window's background.
void PictureArray::mousePressEvent(QMouseEvent *event)
{
    pressed_ = event->button() == Qt::LeftButton ? boxAt(event->position().toPoint()) : -1;
    if (boxAt(event->position().toPoint()) < 0)
        event->ignore();
}

void PictureArray::mouseReleaseEvent(QMouseEvent *event)
{
    const int n = event->button() == Qt::LeftButton ? boxAt(event->position().toPoint()) : -1;
    const bool click = n >= 0 && n == pressed_;
    if (pressed_ < 0)
        event->ignore();
    pressed_ = -1;
    if (click && onClick)
        onClick(n);
}

}  // namespace morvik
