#pragma once

#include <QCheckBox>
#include <QRadioButton>

namespace morvik {

// The caption-less check box: a small white box that shows a tick while it is on.
class TickBox : public QCheckBox {
    Q_OBJECT
public:
    TickBox(QWidget *parent, QRect geometry, const QString &accessibleName);

protected:
    void paintEvent(QPaintEvent *) override;
    bool hitButton(const QPoint &pos) const override { return rect().contains(pos); }
};

// The caption-less option button: a red bar that looks pressed in while it is chosen.
class OptionBar : public QRadioButton {
    Q_OBJECT
public:
    OptionBar(QWidget *parent, QRect geometry, const QString &accessibleName);

protected:
    void paintEvent(QPaintEvent *) override;
    bool hitButton(const QPoint &pos) const override { return rect().contains(pos); }
};

}  // namespace morvik
