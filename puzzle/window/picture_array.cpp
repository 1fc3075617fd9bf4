#include "picture_array.h"

#include "picture_box.h"

#include <QAccessible>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QToolTip>

namespace morvik {

PictureArray::PictureArray(QWidget *parent, Design design)
    : QWidget(parent), stacking_(std::move(design.stacking)), background_(design.background),
      sunken_(design.sunken), cells_(design.places)
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
    // The cursor: a black ring outside a white one, so that it shows on any picture, on the
    // empty-cell marker and on the bare background alike.
    if (hasFocus() && cells_[cursorCell()].intersects(dirty)) {
        const QRect cell = cells_[cursorCell()];
        const auto ring = [&painter](QRect r, int width, QColor colour) {
            painter.fillRect(r.left(), r.top(), r.width(), width, colour);
            painter.fillRect(r.left(), r.bottom() - width + 1, r.width(), width, colour);
            painter.fillRect(r.left(), r.top(), width, r.height(), colour);
            painter.fillRect(r.right() - width + 1, r.top(), width, r.height(), colour);
        };
        ring(cell, 1, Qt::black);
        ring(cell.adjusted(1, 1, -1, -1), 2, Qt::white);
    }
}

void PictureArray::makeGrid(Game &game, Place place)
{
    game_ = &game;
    place_ = place;
}

void PictureArray::setGridShown(bool shown)
{
    shown_ = shown;
    setFocusPolicy(isGrid() && shown ? Qt::TabFocus : Qt::NoFocus);
    if (!shown && hasFocus())
        clearFocus();
}

void PictureArray::moveCursorTo(int cell)
{
    redrawCursor();
    cursor().cell = cell;
    redrawCursor();
    announceCursor();
}

void PictureArray::clickCell(int n)
{
    const int box = boxAtCell(n);
    if (box >= 0 && onClick)
        onClick(box);
}

void PictureArray::announceChangedCells()
{
    if (!isGrid() || !QAccessible::isActive())
        return;
    told_.resize(cells_.size());
    for (int n = 0; n < static_cast<int>(cells_.size()); ++n) {
        const Told now{boxAtCell(n), holdsPiece(n)};
        if (now == told_[n])
            continue;
        told_[n] = now;
        for (const QAccessible::Event change : {QAccessible::NameChanged, QAccessible::DescriptionChanged}) {
            QAccessibleEvent event(this, change);
            event.setChild(n);
            QAccessible::updateAccessibility(&event);
        }
    }
}

void PictureArray::redrawCursor()
{
    if (hasFocus())
        update(cells_[cursorCell()].translated(-pos()));
}

void PictureArray::announceCursor()
{
    if (!QAccessible::isActive() || !hasFocus())
        return;
    QAccessibleEvent event(this, QAccessible::Focus);
    event.setChild(cursorCell());
    QAccessible::updateAccessibility(&event);
}

// A held Space or Enter clicks once: a piece is not dropped and picked up again at the key's rate.
void PictureArray::keyPressEvent(QKeyEvent *event)
{
    if (!isGrid()) {
        QWidget::keyPressEvent(event);
        return;
    }
    GridCursor next = cursor();
    if (next.move(event->key(), event->modifiers() & Qt::ControlModifier)) {
        moveCursorTo(next.cell);
    } else if (GridCursor::clicks(event->key())) {
        if (!event->isAutoRepeat())
            clickCell(cursorCell());
    } else {
        QWidget::keyPressEvent(event);
    }
}

// The toolkit tells a screen reader of the grid's own focus after this; the cursor cell's comes
// once that is done.
void PictureArray::focusInEvent(QFocusEvent *)
{
    redrawCursor();
    QTimer::singleShot(0, this, [this] { announceCursor(); });
}

void PictureArray::focusOutEvent(QFocusEvent *)
{
    update(cells_[cursorCell()].translated(-pos()));
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
