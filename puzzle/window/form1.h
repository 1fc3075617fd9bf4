#pragma once

#include "clickable.h"
#include "game.h"
#include "module1.h"
#include "picture_array.h"
#include "picture_box.h"
#include "player.h"
#include "ports.h"
#include "sound.h"
#include "toggles.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>

namespace morvik {

// Design sizes are in twips, 15 to a pixel; a fraction of a pixel is rounded to the nearest pixel
// (the animation display's left edge 316.7 becomes 317, the check boxes' 15.3 becomes 15).
constexpr int pixels(int twips) { return (twips + 7) / 15; }
constexpr QRect design(int left, int top, int width, int height)
{
    return QRect(pixels(left), pixels(top), pixels(width), pixels(height));
}

// The window's background picture, drawn unscaled from the top left. Dragging it with the left
// button (from anywhere that takes no click itself) moves the window through the window manager;
// a press and release without movement does nothing.
class Backdrop : public QWidget {
public:
    Backdrop(QWidget *parent, QImage picture);
    const QImage &picture() const { return picture_; }
    // Called once, when the window is first drawn.
    std::function<void()> onFirstPaint;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QImage picture_;
    std::optional<QPointF> pressedAt_;  // where the left button went down, on the screen
};

// The game's one window: a frameless 610 x 415 client area inside a one-pixel border, the
// controls at their design places, and the handlers of its events. The handlers pass each event
// to the rules and then draw what the rules hold.
class Form1 : public QWidget, private EventLoop {
    Q_DECLARE_TR_FUNCTIONS(Form1)

public:
    Form1(Player &MCIWnd1, Player &MCIWnd2, Random &random);

    // The handlers, named after their control and event.
    void Form_Load();
    void Form_KeyPress(std::int16_t &KeyAscii);
    void Timer1_Timer();
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Label3_Click();
    void Check2_Click();
    void Check3_Click();
    void Picture1_Click(std::int16_t &Index);
    void Picture2_Click(std::int16_t &Index);

    Backdrop *client;
    PictureArray *Picture1;  // the tray
    PictureArray *Picture2;  // the board
    PictureBox *Picture3;
    PictureBox *Picture4;
    PictureBox *Picture5;
    PictureArray *Picture6;
    PictureArray *Picture7;
    ImageBox *Image1;
    ImageBox *Image2;
    QLabel *Label1;
    QLabel *Label2;
    Clickable<QLabel> *Label3;
    TickBox *Check2;
    TickBox *Check3;
    OptionBar *Option1;
    OptionBar *Option2;
    OptionBar *Option3;
    QTimer Timer1;

    Module1 state;
    Sound sound;
    Game game;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void describeControls();
    void yield() override;
    // Brings every control up to date with what the rules hold.
    void showState();
    template <class Handler>
    void handle(Handler handler);
};

}  // namespace morvik
