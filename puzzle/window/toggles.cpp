#include "toggles.h"

#include "accessibility.h"

#include <QPainter>
#include <QPainterPath>

namespace morvik {

TickBox::TickBox(QWidget *parent, QRect geometry, const QString &accessibleName) : QCheckBox(parent)
{
    setGeometry(geometry);
    describe(this, QAccessible::CheckBox, accessibleName);
    setFocusPolicy(Qt::StrongFocus);
}

void TickBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect box = rect().adjusted(0, 0, -1, -1);
    painter.fillRect(box, isDown() ? QColor(220, 220, 220) : Qt::white);
    painter.setPen(QColor(64, 64, 64));
    painter.drawRect(box);
    if (isChecked()) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPainterPath tick;
        tick.moveTo(3.5, 7.5);
        tick.lineTo(6, 10.5);
        tick.lineTo(11.5, 4);
        painter.drawPath(tick);
    }
    if (hasFocus()) {
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(Qt::gray, 1, Qt::DotLine));
        painter.drawRect(box.adjusted(1, 1, -1, -1));
    }
}

OptionBar::OptionBar(QWidget *parent, QRect geometry, const QString &accessibleName)
    : QRadioButton(parent)
{
    setGeometry(geometry);
    describe(this, QAccessible::RadioButton, accessibleName);
    setFocusPolicy(Qt::StrongFocus);
}

void OptionBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const bool in = isChecked() || isDown();
    painter.fillRect(rect(), QColor(255, 0, 0));
    const QRect edge = rect().adjusted(0, 0, -1, -1);
    painter.setPen(in ? QColor(120, 0, 0) : QColor(255, 150, 150));
    painter.drawLine(edge.topLeft(), edge.topRight());
    painter.drawLine(edge.topLeft(), edge.bottomLeft());
    painter.setPen(in ? QColor(255, 150, 150) : QColor(120, 0, 0));
    painter.drawLine(edge.bottomLeft(), edge.bottomRight());
    painter.drawLine(edge.topRight(), edge.bottomRight());
    if (isChecked())
        painter.fillRect(QRect(6, 2, 5, 5), QColor(255, 255, 255));
    if (hasFocus()) {
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.drawRect(edge.adjusted(1, 1, -1, -1));
    }
}

}  // namespace morvik
