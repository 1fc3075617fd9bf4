#include "form1.h"

#include "accessibility.h"
#include "assets.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QPaintEvent>
#include <QScreen>
#include <QWindow>

#include <malloc.h>

#include <algorithm>
#include <filesystem>

namespace morvik {

namespace {
constexpr QColor red(255, 0, 0);

// The folder the program was started in, with its name's bytes as the system gives them: a name
// that is not valid UTF-8 still leads to the files in it.
std::string startFolder()
{
    std::error_code error;
    return std::filesystem::current_path(error).native();
}
}  // namespace

Backdrop::Backdrop(QWidget *parent, QImage picture) : QWidget(parent), picture_(std::move(picture))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

// The picture is held at three bytes a pixel. Drawn whole, it would be converted whole to the
// screen's format, on threads of Qt's pool; at the screen's own scale it is drawn in bands of rows,
// each converted on its own. A picture scaled to the screen is drawn whole, so that no seams show.
void Backdrop::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect area = event->rect();
    const qreal scale = picture_.devicePixelRatio();
    const auto source = [scale](QRect rows) { return QRectF(QPointF(rows.topLeft()) * scale, QSizeF(rows.size()) * scale); };
    if (scale != devicePixelRatioF()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(area), picture_, source(area));
    } else {
        const int band = std::max(1, 32768 / std::max(1, area.width()));
        for (int top = area.top(); top <= area.bottom(); top += band) {
            const QRect rows(area.left(), top, area.width(), std::min(band, area.bottom() + 1 - top));
            painter.drawImage(QRectF(rows), picture_.copy(source(rows).toRect()).convertToFormat(QImage::Format_RGB32));
        }
    }
    if (onFirstPaint)
        std::exchange(onFirstPaint, nullptr)();
}

void Backdrop::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        pressedAt_ = event->globalPosition();
}

void Backdrop::mouseMoveEvent(QMouseEvent *event)
{
    if (!pressedAt_ || !(event->buttons() & Qt::LeftButton))
        return;
    // The window follows the pointer from its first move, so that it travels the whole drag; a
    // press and release without a move leaves it where it is.
    if (event->globalPosition() == *pressedAt_)
        return;
    pressedAt_.reset();
    if (QWindow *window = this->window()->windowHandle())
        window->startSystemMove();
}

void Backdrop::mouseReleaseEvent(QMouseEvent *) { pressedAt_.reset(); }

Form1::Form1(Player &MCIWnd1, Player &MCIWnd2, Random &random)
    : QWidget(nullptr, Qt::FramelessWindowHint), sound(state, MCIWnd1, MCIWnd2),
      game(state, sound, random, *this)
{
    // Described before anything else, so that a screen reader meets it with its role.
    describe(this, QAccessible::Window, "Morvik");
    setFixedSize(612, 417);
    setWindowIcon(assets::programIcon());
    setAutoFillBackground(true);
    QPalette frame = palette();
    frame.setColor(QPalette::Window, Qt::black);
    setPalette(frame);

    // Pictures of twice the detail on a screen of more than one device pixel to a pixel.
    const int scale = assets::scaleFor(devicePixelRatioF());
    client = new Backdrop(this, assets::background(scale));
    client->setGeometry(1, 1, 610, 415);

    Controls &k = game.controls;
    k.Picture4 = Picture(assets::emptyCellMarker(scale));
    for (int i = 0; i < 15; ++i)
        k.Picture6[i] = Picture(std::function<QImage()>(
            [i, scale] { return assets::puzzlePicture(i, scale).convertToFormat(QImage::Format_RGB32); }));
    // The title's frames are all held while it runs: at three bytes a pixel, a quarter less than
    // the screen's own format, for the same colours and no measurable cost to draw.
    for (int i = 0; i < 16; ++i)
        k.Picture7[i] = Picture(std::function<QImage()>(
            [i, scale] { return assets::animationFrame(i, scale).convertToFormat(QImage::Format_RGB888); }));

    createControls();
    Form_Load();
    showState();

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    connect(&Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    Timer1.start(100);
}

// A control array's design: box n at (left, top) of the given function of n, all of one size.
static PictureArray::Design array(int count, QPoint (*place)(int), int width, int height,
                                  std::vector<int> stacking, QColor background, bool sunken, bool visible)
{
    PictureArray::Design d{{}, std::move(stacking), background, sunken, visible};
    for (int n = 0; n < count; ++n)
        d.places.push_back(QRect(place(n), QSize(pixels(width), pixels(height))));
    return d;
}

static std::vector<int> descending(int last)
{
    std::vector<int> order;
    for (int n = last; n >= 0; --n)
        order.push_back(n);
    return order;
}

// Created in the design's order: where controls overlap, the later one lies above. Within the
// tray the design creates box 99, then 0 to 68, 70 to 98, and 69 last; the board from 99 down to 0.
void Form1::createControls()
{
    const QColor buttonFace = palette().color(QPalette::Button);
    QPalette redText = palette();
    redText.setColor(QPalette::WindowText, red);
    const Controls &k = game.controls;

    auto store = [](int n) { return QPoint(pixels(480 + 480 * n), pixels(6840)); };
    Picture7 = new PictureArray(client, array(16, store, 375, 255, descending(15), buttonFace, true, true));
    for (int i = 0; i < 16; ++i)
        Picture7->setPicture(i, k.Picture7[i]);

    auto tray = [](int n) { return QPoint(pixels(trayLeft(n % 10)), pixels(trayTop(n / 10))); };
    Picture1 = new PictureArray(client, array(100, tray, 360, 360, {trayStacking.begin(), trayStacking.end()},
                                              Qt::black, false, false));
    Picture1->onClick = [this](int n) {
        std::int16_t index = static_cast<std::int16_t>(n);
        Picture1_Click(index);
    };

    Check2 = new TickBox(client, design(1680, 480, 230, 230), tr("Music"));
    auto pictures = [](int n) { return QPoint(pixels(480 + 480 * n), pixels(6480)); };
    Picture6 = new PictureArray(client, array(15, pictures, 375, 255, descending(14), buttonFace, true, false));
    for (int i = 0; i < 15; ++i)
        Picture6->setPicture(i, k.Picture6[i]);
    Option3 = new OptionBar(client, design(4320, 5640, 255, 135), tr("Idle"));
    Picture5 = new PictureBox(client, design(4440, 2040, 375, 375), buttonFace, true, false);
    Picture4 = new PictureBox(client, design(4440, 1680, 375, 375), buttonFace, true, false);
    Picture4->setPicture(k.Picture4);
    Option2 = new OptionBar(client, design(6600, 5640, 255, 135), tr("Assembling"));
    auto board = [](int n) { return QPoint(pixels(boardLeft(n % 10)), pixels(boardTop(n / 10))); };
    Picture2 = new PictureArray(client, array(100, board, 375, 375, {boardStacking.begin(), boardStacking.end()},
                                              buttonFace, false, false));
    Picture2->onClick = [this](int n) {
        std::int16_t index = static_cast<std::int16_t>(n);
        Picture2_Click(index);
    };
    Picture3 = new PictureBox(client, design(4440, 4920, 375, 375), buttonFace, true, false);
    Check3 = new TickBox(client, design(1680, 840, 230, 230), tr("Effects"));
    Option1 = new OptionBar(client, design(1560, 5640, 255, 135), tr("Sliding"));

    // Described before its caption is set, which a screen reader already hears of.
    Label3 = new Clickable<QLabel>(client);
    describe(Label3, QAccessible::Button, tr("Close"), QString::fromUtf8("Vyskoč..."));
    Label3->setText("x");
    Label3->setGeometry(design(8880, 0, 255, 255));
    Label3->setToolTip(QString::fromUtf8("Vyskoč..."));
    // Free fonts installed with the game, metric-compatible with the design's MS Sans Serif, Arial
    // and Times New Roman: named directly, so that no font has to be searched for at start.
    QFont close("Liberation Sans");
    close.setPointSize(12);
    close.setBold(true);
    Label3->setFont(close);
    Label3->setPalette(redText);
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label3->onClick = [this] { Label3_Click(); };

    Label2 = new QLabel("Velto 25.11.00", client);
    Label2->setGeometry(design(8040, 6000, 1095, 255));
    Label2->setToolTip("Quilb from VELTO in 25/10/00");
    QFont credit("Liberation Sans");
    credit.setPointSize(8);
    Label2->setFont(credit);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Image2 = new ImageBox(client, design(4750, 240, 3855, 1095), ImageBox::TakeSize, false);
    Image1 = new ImageBox(client, design(510, 240, 1035, 1080), ImageBox::Stretch, true);

    Label1 = new QLabel("1", client);
    Label1->setGeometry(design(2640, 120, 1335, 1095));
    QFont number("Liberation Serif");
    number.setPointSizeF(50.25);
    number.setBold(true);
    Label1->setFont(number);
    Label1->setPalette(redText);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    for (QLabel *label : {Label1, Label2, static_cast<QLabel *>(Label3)})
        label->setAttribute(Qt::WA_TranslucentBackground);

    Check2->setChecked(true);
    Check3->setChecked(true);
    auto *options = new QButtonGroup(this);
    for (OptionBar *option : {Option1, Option2, Option3})
        options->addButton(option);
    Option3->setChecked(true);
    connect(Option1, &QAbstractButton::clicked, this, [this] { Option1_Click(); });
    connect(Option2, &QAbstractButton::clicked, this, [this] { Option2_Click(); });
    connect(Option3, &QAbstractButton::clicked, this, [this] { Option3_Click(); });
    connect(Check2, &QAbstractButton::clicked, this, [this] { Check2_Click(); });
    connect(Check3, &QAbstractButton::clicked, this, [this] { Check3_Click(); });

    Picture1->makeGrid(game, Place::Tray);
    Picture2->makeGrid(game, Place::Board);
    describeControls();
    QWidget::setTabOrder(Option1, Option2);
    QWidget::setTabOrder(Option2, Option3);
    QWidget::setTabOrder(Option3, Check2);
    QWidget::setTabOrder(Check2, Check3);
    // The tray and the board come before the option buttons, as in the window's design. Only
    // controls that take the focus can be ordered, so they take it for this moment; hidden at
    // start, they take none, and the focus starts where it always has.
    Picture1->setGridShown(true);
    Picture2->setGridShown(true);
    QWidget::setTabOrder(Check3, Picture1);
    QWidget::setTabOrder(Picture1, Picture2);
    Picture1->setGridShown(false);
    Picture2->setGridShown(false);
}

// What a screen reader tells of each control that is no standard button, box or label.
void Form1::describeControls()
{
    describe(client, QAccessible::Pane, "Morvik", tr("Picture puzzle: choose sliding or assembling below"));
    describe(Image1, QAccessible::Graphic, tr("Preview"), tr("The whole current picture"));
    describe(Image2, QAccessible::Animation, tr("Title animation"));
    describe(Picture1, QAccessible::Canvas, tr("Tray"), tr("The pieces of the picture, ten by ten"));
    describe(Picture2, QAccessible::Canvas, tr("Board"), tr("Ten by ten cells where the pieces are put together"));
    describe(Picture3, QAccessible::Graphic, tr("Hand: empty"), tr("The piece being carried"));
    describe(Picture4, QAccessible::Graphic, tr("Empty cell"), tr("Never shown"));
    describe(Picture5, QAccessible::Graphic, tr("Empty tray cell"), tr("Never shown"));
    describe(Picture6, QAccessible::Grouping, tr("Picture store"), tr("Never shown"));
    describe(Picture7, QAccessible::Grouping, tr("Frame store"), tr("Never shown"));
}

template <class Handler>
void Form1::handle(Handler handler)
{
    if (game.closed())
        return;
    handler();
    showState();
}

void Form1::Form_Load()
{
    state.AppDir = startFolder();
    state.EffectCommand = "play";
    state.PictureNo = 0;
    sound.setUpMusic();
    game.controls.Label1 = "X";
}

void Form1::Form_KeyPress(std::int16_t &KeyAscii)
{
    handle([&] { game.KeyPress(KeyAscii); });
}

// A tick changes only the animation display, so only that is redrawn.
void Form1::Timer1_Timer()
{
    if (game.closed())
        return;
    game.AdvanceAnimation();
    Image2->setPicture(game.controls.Image2);
    sound.loopWatch();
}

void Form1::Option1_Click()
{
    handle([&] { game.ChooseSliding(); });
}

void Form1::Option2_Click()
{
    handle([&] { game.ChooseAssembly(); });
}

void Form1::Option3_Click()
{
    handle([&] { game.ChooseIdle(); });
}

void Form1::Label3_Click()
{
    close();
}

void Form1::Check2_Click()
{
    handle([&] { sound.switchMusic(Check2->isChecked() ? 1 : 0); });
}

void Form1::Check3_Click()
{
    handle([&] { sound.switchEffects(Check3->isChecked() ? 1 : 0); });
}

void Form1::Picture1_Click(std::int16_t &Index)
{
    handle([&] { game.TrayClick(Index); });
}

void Form1::Picture2_Click(std::int16_t &Index)
{
    handle([&] { game.BoardClick(Index); });
}

// Unloading ends the program, also from inside a yield: the game start waiting there is
// abandoned, and the main loop ends once control is back in it.
void Form1::closeEvent(QCloseEvent *event)
{
    game.Close();
    Timer1.stop();
    event->accept();
    QCoreApplication::exit(0);
}

void Form1::yield()
{
    showState();
    QCoreApplication::processEvents();
}

void Form1::showState()
{
    const Controls &k = game.controls;
    auto place = [](const Box &box) { return QPoint(box.left / 15, box.top / 15); };
    bool trayShown = false, boardShown = false;
    for (int n = 0; n < 100; ++n) {
        const Box &tray = k.Picture1[n];
        const Box &board = k.Picture2[n];
        Picture1->setBox(n, tray.picture, place(tray), tray.visible, tray.toolTip);
        Picture2->setBox(n, board.picture, place(board), board.visible, board.toolTip);
        trayShown = trayShown || tray.visible;
        boardShown = boardShown || board.visible;
    }
    Picture1->setGridShown(trayShown);
    Picture2->setGridShown(boardShown);
    Picture1->announceChangedCells();
    Picture2->announceChangedCells();
    Picture3->setPicture(k.Picture3.picture);
    // The hand tells a screen reader which piece it carries: the cell it belongs on.
    const std::optional<int> carrying = game.inHand().piece;
    const QString hand = carrying ? tr("Hand: the piece of column %1, row %2")
                                        .arg(*carrying % 10)
                                        .arg(*carrying / 10)
                                  : tr("Hand: empty");
    if (Picture3->accessibleName() != hand) {
        Picture3->setAccessibleName(hand);
        announce(Picture3, carrying ? tr("Picked up the piece of column %1, row %2").arg(*carrying % 10).arg(*carrying / 10)
                                    : tr("Put the piece down"));
    }
    if (Picture3->pos() != place(k.Picture3))
        Picture3->move(place(k.Picture3));
    if (Picture3->isHidden() == k.Picture3.visible)
        Picture3->setVisible(k.Picture3.visible);
    if (!(Image1->picture() == k.Image1)) {
        // A puzzle picture no longer in play keeps no pixels; its pieces are copies of their own.
        // The heap then gives the freed pages back, so that memory stays flat through play.
        const Picture before = Image1->picture();
        Image1->setPicture(k.Image1);
        before.unload();
        malloc_trim(0);
    }
    Image2->setPicture(k.Image2);
    const QString number = QString::fromStdString(k.Label1);
    if (Label1->text() != number) {
        Label1->setText(number);
        Label1->setAccessibleName(number == "X" ? tr("No picture yet") : tr("Picture %1").arg(number.trimmed()));
    }
}

}  // namespace morvik
