#pragma once

#include <QMouseEvent>

#include <functional>

namespace morvik {

// A widget that reports a click: the left button pressed and released over it.
template <class Widget>
class Clickable : public Widget {
public:
    using Widget::Widget;
    std::function<void()> onClick;

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        pressed_ = event->button() == Qt::LeftButton;
    }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        const bool click = pressed_ && event->button() == Qt::LeftButton
            && this->rect().contains(event->position().toPoint());
        pressed_ = false;
        if (click && onClick)
            onClick();
    }

private:
    bool pressed_ = false;
};

}  // namespace morvik
