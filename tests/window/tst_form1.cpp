#include "assets.h"
#include "window_fixture.h"

#include <QAccessible>
#include <QDir>
#include <QTest>
#include <QTemporaryDir>
#include <QTimer>

#include <filesystem>

#include <memory>

using namespace morvik;
using morvik::test::Window;

class TestForm1 : public QObject {
    Q_OBJECT

private slots:
    void windowIsFixedAndCentred();
    void controlsAtTheirDesignPlaces_data();
    void controlsAtTheirDesignPlaces();
    void arraysAtTheirDesignPlaces();
    void captionsAndToolTips();
    void formLoadSetsUpTheMusicInOrder();
    void soundPathsFromARootDirectory();
    void soundPathsKeepTheStartFolderBytes();
    void boardShowsLinesAndTrayNone();
    void clicksAndTipsFindTheBoxOnTop();
    void keysReachTheWindowWhateverHasTheFocus_data();
    void keysReachTheWindowWhateverHasTheFocus();
    void exitEndsCleanly();
    void exitDuringAYield();
    void cursorKeys_data();
    void cursorKeys();
    void focusFrameOnlyWhileAGridHasTheFocus();
    void focusLeavesAGridThatIsHidden();
    void cellsForAScreenReader();
    void togglesClickThroughTheirAction();
};

void TestForm1::windowIsFixedAndCentred()
{
    Window w;
    QVERIFY(w.form.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(w.form.client->size(), QSize(610, 415));
    QCOMPARE(w.form.client->pos(), QPoint(1, 1));
    QCOMPARE(w.form.minimumSize(), w.form.maximumSize());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(qAbs(w.form.geometry().center().x() - screen.center().x()) <= 1);
    QVERIFY(qAbs(w.form.geometry().center().y() - screen.center().y()) <= 1);
    // The window icon holds every drawn size, each given as drawn, never scaled from another.
    QList<int> iconSizes;
    for (const QSize size : w.form.windowIcon().availableSizes()) {
        iconSizes << size.width();
        QCOMPARE(w.form.windowIcon().pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32),
                 assets::icon(size.width()).convertToFormat(QImage::Format_ARGB32));
    }
    QCOMPARE(iconSizes, QList<int>({16, 24, 32, 48, 64, 128, 256}));
    QCOMPARE(w.form.client->picture().size(), QSize(611, 428));
}

void TestForm1::controlsAtTheirDesignPlaces_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<bool>("shown");
    QTest::newRow("Image1") << "Image1" << QRect(34, 16, 69, 72) << true;
    QTest::newRow("Image2") << "Image2" << QRect(317, 16, 257, 73) << true;
    QTest::newRow("Label1") << "Label1" << QRect(176, 8, 89, 73) << true;
    QTest::newRow("Label2") << "Label2" << QRect(536, 400, 73, 17) << true;
    QTest::newRow("Label3") << "Label3" << QRect(592, 0, 17, 17) << true;
    QTest::newRow("Check2") << "Check2" << QRect(112, 32, 15, 15) << true;
    QTest::newRow("Check3") << "Check3" << QRect(112, 56, 15, 15) << true;
    QTest::newRow("Option1") << "Option1" << QRect(104, 376, 17, 9) << true;
    QTest::newRow("Option3") << "Option3" << QRect(288, 376, 17, 9) << true;
    QTest::newRow("Option2") << "Option2" << QRect(440, 376, 17, 9) << true;
    QTest::newRow("Picture3") << "Picture3" << QRect(296, 328, 25, 25) << false;
    QTest::newRow("Picture4") << "Picture4" << QRect(296, 112, 25, 25) << false;
    QTest::newRow("Picture5") << "Picture5" << QRect(296, 136, 25, 25) << false;
}

void TestForm1::controlsAtTheirDesignPlaces()
{
    QFETCH(QString, name);
    QFETCH(QRect, place);
    QFETCH(bool, shown);
    Window w;
    const std::map<QString, QWidget *> controls{
        {"Image1", w.form.Image1},     {"Image2", w.form.Image2},     {"Label1", w.form.Label1},
        {"Label2", w.form.Label2},     {"Label3", w.form.Label3},     {"Check2", w.form.Check2},
        {"Check3", w.form.Check3},     {"Option1", w.form.Option1},   {"Option2", w.form.Option2},
        {"Option3", w.form.Option3},   {"Picture3", w.form.Picture3}, {"Picture4", w.form.Picture4},
        {"Picture5", w.form.Picture5}};
    QWidget *control = controls.at(name);
    QCOMPARE(control->geometry(), place);
    QCOMPARE(!control->isHidden(), shown);
    QCOMPARE(control->parentWidget(), w.form.client);
}

void TestForm1::arraysAtTheirDesignPlaces()
{
    Window w;
    for (int n = 0; n < 100; ++n) {
        const int column = n % 10, row = n / 10;
        QCOMPARE(w.form.Picture1->geometry(n), QRect(32 + 24 * column, 112 + 24 * row, 24, 24));
        QCOMPARE(w.form.Picture2->geometry(n), QRect(344 + 24 * column, 112 + 24 * row, 25, 25));
        QVERIFY(!w.form.Picture1->isShown(n));
        QVERIFY(!w.form.Picture2->isShown(n));
    }
    for (int i = 0; i < 15; ++i) {
        QCOMPARE(w.form.Picture6->geometry(i), QRect(32 + 32 * i, 432, 25, 17));
        QCOMPARE(w.form.Picture6->picture(i), w.form.game.controls.Picture6[i]);
    }
    for (int i = 0; i < 16; ++i) {
        QCOMPARE(w.form.Picture7->geometry(i), QRect(32 + 32 * i, 456, 25, 17));
        QVERIFY(w.form.Picture7->isShown(i));
        // Out of sight below the client area.
        QVERIFY(!w.form.client->rect().intersects(w.form.Picture7->geometry(i)));
    }
    QCOMPARE(w.form.Picture4->picture(), w.form.game.controls.Picture4);
    QCOMPARE(w.form.Picture5->picture().handle(), 0);
}

void TestForm1::captionsAndToolTips()
{
    Window w;
    QCOMPARE(w.form.Label1->text(), QString("X"));
    QCOMPARE(w.form.Label1->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    QVERIFY(w.form.Label1->font().bold());
    QCOMPARE(w.form.Label1->font().pointSizeF(), 50.25);
    QCOMPARE(QFontInfo(w.form.Label1->font()).family(), QString("Liberation Serif"));
    QCOMPARE(w.form.Label2->text(), QString("Velto 25.11.00"));
    QCOMPARE(w.form.Label2->toolTip(), QString("Quilb from VELTO in 25/10/00"));
    // Its lowest two rows lie outside the client area; the text stays whole above them.
    const QFontMetrics credit(w.form.Label2->font());
    QVERIFY(credit.horizontalAdvance(w.form.Label2->text()) <= w.form.Label2->width());
    QVERIFY(credit.height() <= w.form.Label2->height() - 2);
    QCOMPARE(w.form.Label3->text(), QString("x"));
    QCOMPARE(w.form.Label3->toolTip(), QString::fromUtf8("Vysko\u010d..."));
    QCOMPARE(w.form.Label3->toolTip().at(5).unicode(), 0x010d);
    QVERIFY(w.form.Check2->isChecked());
    QVERIFY(w.form.Check3->isChecked());
    QVERIFY(w.form.Option3->isChecked());
    QVERIFY(!w.form.Option1->isChecked());
    QVERIFY(!w.form.Option2->isChecked());
    QCOMPARE(w.form.Option1->accessibleName(), QString("Sliding"));
    QCOMPARE(w.form.Option2->accessibleName(), QString("Assembling"));
    QCOMPARE(w.form.Option3->accessibleName(), QString("Idle"));
    QCOMPARE(w.form.Check2->accessibleName(), QString("Music"));
    QCOMPARE(w.form.Check3->accessibleName(), QString("Effects"));
    QCOMPARE(w.form.Label3->accessibleName(), QString("Close"));
    for (QAbstractButton *b : std::initializer_list<QAbstractButton *>{
             w.form.Option1, w.form.Option2, w.form.Option3, w.form.Check2, w.form.Check3})
        QVERIFY(b->text().isEmpty());
}

void TestForm1::formLoadSetsUpTheMusicInOrder()
{
    Window w;
    const QString dir = QDir::currentPath();
    QCOMPARE(QString::fromStdString(w.form.state.AppDir), dir);
    QCOMPARE(w.form.state.EffectCommand, std::string("play"));
    QCOMPARE(w.form.state.PictureNo, 0);
    QCOMPARE(w.form.state.GameMode, 0);
    QCOMPARE(w.log, (QStringList{"MCIWnd2: file " + dir + "/ST.Mid", "MCIWnd2: command play",
                                 "MCIWnd2: level 300", "MCIWnd1: level 1000", "MCIWnd2: flag true"}));
}

void TestForm1::soundPathsFromARootDirectory()
{
    const QString before = QDir::currentPath();
    QDir::setCurrent("/");
    auto w = std::make_unique<Window>();
    QDir::setCurrent(before);
    QCOMPARE(w->log.first(), QString("MCIWnd2: file //ST.Mid"));
    w->form.Option1_Click();
    w->log.clear();
    for (char key : {'8', '2', '4', '6'}) {
        std::int16_t code = key;
        w->form.Form_KeyPress(code);
    }
    QVERIFY(w->log.contains("MCIWnd1: file //move.wav"));
}

// A start folder whose name is not valid UTF-8 (a Windows-1250 "č" is the byte 0xE8): the sound
// paths hold its bytes unchanged.
void TestForm1::soundPathsKeepTheStartFolderBytes()
{
    QTemporaryDir base;
    QVERIFY(base.isValid());
    const std::filesystem::path folder = std::filesystem::path(base.path().toStdString()) / "\xE8";
    std::filesystem::create_directory(folder);
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    auto w = std::make_unique<Window>();
    std::filesystem::current_path(before);
    QCOMPARE(w->form.state.AppDir, folder.native());
    QCOMPARE(w->MCIWnd2.files, std::vector<std::string>{folder.native() + "/ST.Mid"});
    w->form.Option1_Click();
    std::int16_t key = '8';
    w->form.Form_KeyPress(key);
    key = '2';
    w->form.Form_KeyPress(key);
    QCOMPARE(w->MCIWnd1.files.back(), folder.native() + "/move.wav");
}

// Board boxes are a pixel larger than their pictures and each lies above its right and lower
// neighbours, so lines of their background colour show between the cells; the tray has none.
void TestForm1::boardShowsLinesAndTrayNone()
{
    Window w;
    w.form.Option2_Click();
    const QImage shot = w.form.client->grab().toImage();
    const QRgb face = w.form.palette().color(QPalette::Button).rgb();
    const QRgb marker = w.form.game.controls.Picture4.image().pixel(2, 2);
    for (int i = 1; i <= 10; ++i) {
        QCOMPARE(shot.pixel(344 + 24 * i, 112 + 5), face);  // vertical lines, the right edge last
        QCOMPARE(shot.pixel(344 + 5, 112 + 24 * i), face);  // horizontal lines, the bottom edge last
        QCOMPARE(shot.pixel(346 + 24 * i - 24, 114), marker);
    }
    for (int n = 0; n < 100; ++n) {
        const QImage cell = w.form.game.controls.Picture1[n].picture.image();
        const QPoint at(32 + 24 * (n % 10), 112 + 24 * (n / 10));
        QCOMPARE(shot.pixel(at), cell.pixel(0, 0));
        QCOMPARE(shot.pixel(at + QPoint(23, 23)), cell.pixel(23, 23));
    }
}

// A board box lies above its right and lower neighbours, so its one-pixel strip takes the click;
// a tool tip names the tile under the mouse, wherever the shuffle put it.
void TestForm1::clicksAndTipsFindTheBoxOnTop()
{
    Window w;
    w.form.Option1_Click();
    const QPoint board = w.form.Picture2->pos();
    QCOMPARE(w.form.Picture2->boxAt(QPoint(368, 120) - board), 0);
    QCOMPARE(w.form.Picture2->boxAt(QPoint(369, 120) - board), 1);
    QCOMPARE(w.form.Picture2->boxAt(QPoint(344, 136) - board), 0);
    QCOMPARE(w.form.Picture2->boxAt(QPoint(344, 137) - board), 10);
    const int tile = w.form.state.Grid[0][0];
    const QPoint tray = w.form.Picture1->pos();
    const int blank = w.form.Picture1->boxAt(QPoint(32 + 24 * w.form.state.BlankX + 5,
                                                    112 + 24 * w.form.state.BlankY + 5) - tray);
    QCOMPARE(blank, -1);
    QCOMPARE(w.form.Picture1->boxAt(QPoint(40, 120) - tray), tile);
    QCOMPARE(w.form.Picture1->toolTip(tile), QString::fromStdString(w.form.game.controls.Picture1[tile].toolTip));

    w.form.Option2_Click();
    const int piece = w.form.state.TrayPiece[0];
    w.click(w.form.Picture1, 0);
    QCOMPARE(w.form.state.HandPiece, piece);
    QCOMPARE(w.form.Picture1->picture(0).handle(), 0);
    w.click(w.form.Picture2, 11);
    QCOMPARE(w.form.state.BoardPiece[11], piece);
}

void TestForm1::keysReachTheWindowWhateverHasTheFocus_data()
{
    QTest::addColumn<QString>("focus");
    for (const char *name : {"Option1", "Option2", "Option3", "Check2", "Check3", "tray", "board", "window"})
        QTest::newRow(name) << name;
}

void TestForm1::keysReachTheWindowWhateverHasTheFocus()
{
    QFETCH(QString, focus);
    Window w;
    w.form.Option1_Click();
    w.open();
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    const std::map<QString, QWidget *> controls{
        {"Option1", w.form.Option1}, {"Option2", w.form.Option2}, {"Option3", w.form.Option3},
        {"Check2", w.form.Check2},   {"Check3", w.form.Check3},   {"tray", w.form.Picture1},
        {"board", w.form.Picture2},  {"window", &w.form}};
    QWidget *target = controls.at(focus);
    if (focus == "window")
        QApplication::focusWidget()->clearFocus();
    else
        target->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), focus == "window" ? nullptr : target);
    QWidget *receiver = w.keyTarget();

    const std::int16_t blankY = w.form.state.BlankY;
    QTest::keyClick(receiver, Qt::Key_Q);
    QTest::keyClick(receiver, Qt::Key_8, Qt::KeypadModifier);
    QCOMPARE(w.form.state.KeyHistory[3], 'q');
    QCOMPARE(w.form.state.KeyHistory[4], '8');
    if (blankY < 9)
        QCOMPARE(w.form.state.BlankY, blankY + 1);
    // The focused control still gets its key: a space chooses the focused option.
    if (focus.startsWith("Option") && focus != "Option1") {
        QTest::keyClick(receiver, Qt::Key_Space);
        QCOMPARE(w.form.state.KeyHistory[4], ' ');
        QVERIFY(static_cast<QAbstractButton *>(target)->isChecked());
        QCOMPARE(int(w.form.state.GameMode), focus == "Option2" ? 2 : 0);
    }
}

void TestForm1::exitEndsCleanly()
{
    Window w;
    w.form.show();
    QTimer::singleShot(0, [&] { QTest::mouseClick(w.form.Label3, Qt::LeftButton); });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(w.form.isHidden());
    // Nothing is sent to the players at the exit.
    QCOMPARE(w.log.size(), 5);
}

// The "x" clicked while a new game waits in its yield: the window closes, the game start is
// abandoned and the program ends normally.
void TestForm1::exitDuringAYield()
{
    Window w;
    w.form.show();
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, [&] { QTest::mouseClick(w.form.Label3, Qt::LeftButton); });
        QTest::mouseClick(w.form.Option1, Qt::LeftButton);
    });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(w.form.isHidden());
    QVERIFY(w.form.game.closed());
    QCOMPARE(w.form.Label1->text(), QString(" 1"));
    for (int n = 0; n < 100; ++n)
        QVERIFY(!w.form.Picture1->isShown(n));
}

// Keys to the focused tray from a cursor cell: the arrows stop at the edges, Home and End go to
// the row's ends and with Ctrl to the corners; keys that type a character move nothing.
void TestForm1::cursorKeys_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("to");
    const int none = Qt::NoModifier, ctrl = Qt::ControlModifier, keypad = Qt::KeypadModifier;
    QTest::newRow("right") << 44 << int(Qt::Key_Right) << none << 45;
    QTest::newRow("right at the edge") << 49 << int(Qt::Key_Right) << none << 49;
    QTest::newRow("left") << 44 << int(Qt::Key_Left) << none << 43;
    QTest::newRow("left at the edge") << 40 << int(Qt::Key_Left) << none << 40;
    QTest::newRow("down") << 44 << int(Qt::Key_Down) << none << 54;
    QTest::newRow("down at the edge") << 94 << int(Qt::Key_Down) << none << 94;
    QTest::newRow("up") << 44 << int(Qt::Key_Up) << none << 34;
    QTest::newRow("up at the edge") << 4 << int(Qt::Key_Up) << none << 4;
    QTest::newRow("home") << 47 << int(Qt::Key_Home) << none << 40;
    QTest::newRow("end") << 41 << int(Qt::Key_End) << none << 49;
    QTest::newRow("ctrl+home") << 47 << int(Qt::Key_Home) << ctrl << 0;
    QTest::newRow("ctrl+end") << 41 << int(Qt::Key_End) << ctrl << 99;
    QTest::newRow("keypad up, Num Lock off") << 44 << int(Qt::Key_Up) << keypad << 34;
    QTest::newRow("keypad 8, Num Lock on") << 44 << int(Qt::Key_8) << keypad << 44;
    QTest::newRow("a letter") << 44 << int(Qt::Key_A) << none << 44;
}

void TestForm1::cursorKeys()
{
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, to);
    Window w;
    w.form.Option2_Click();
    w.open();
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.form.Picture1->setFocus(Qt::TabFocusReason);
    w.form.Picture1->moveCursorTo(from);
    const std::int16_t history = w.form.state.KeyHistory[4];
    QTest::keyClick(w.form.Picture1, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(w.form.Picture1->cursorCell(), to);
    // A key that types nothing never reaches the window's key handler.
    if (!QTest::keyToAscii(Qt::Key(key)))
        QCOMPARE(w.form.state.KeyHistory[4], history);
    QVERIFY(w.log.size() == 5);
}

// The cursor's frame shows only while the tray or the board has the focus, on a piece and on the
// empty-cell marker alike, and leaves every pixel as it was once the focus is gone.
void TestForm1::focusFrameOnlyWhileAGridHasTheFocus()
{
    Window w;
    w.form.Option2_Click();
    w.open();
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    QApplication::focusWidget()->clearFocus();
    const QImage plain = w.form.client->grab().toImage();
    for (PictureArray *grid : {w.form.Picture1, w.form.Picture2}) {
        for (const int cell : {0, 37, 99}) {
            grid->moveCursorTo(cell);
            grid->setFocus(Qt::TabFocusReason);
            const QImage framed = w.form.client->grab().toImage();
            const QRect frame = grid->cell(cell);
            // Black all round the cell's edge, white just inside: it shows on any picture.
            for (int i = 0; i < frame.width(); ++i) {
                QCOMPARE(framed.pixel(frame.left() + i, frame.top()), qRgb(0, 0, 0));
                QCOMPARE(framed.pixel(frame.right(), frame.top() + i), qRgb(0, 0, 0));
            }
            for (int i = 1; i < frame.width() - 1; ++i) {
                QCOMPARE(framed.pixel(frame.left() + i, frame.top() + 1), qRgb(255, 255, 255));
                QCOMPARE(framed.pixel(frame.left() + 2, frame.top() + i), qRgb(255, 255, 255));
            }
            // Nothing else differs.
            for (int y = 0; y < plain.height(); ++y)
                for (int x = 0; x < plain.width(); ++x)
                    if (!frame.contains(x, y) && plain.pixel(x, y) != framed.pixel(x, y))
                        QFAIL(qPrintable(QString("pixel (%1, %2) changed outside the frame").arg(x).arg(y)));
            grid->clearFocus();
            QCOMPARE(w.form.client->grab().toImage(), plain);
        }
    }
}

// Idle mode chosen while the tray has the focus: the hidden tray gives it up and takes no more.
void TestForm1::focusLeavesAGridThatIsHidden()
{
    Window w;
    w.form.Option2_Click();
    w.open();
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.form.Picture1->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), w.form.Picture1);
    w.form.Option3_Click();
    QVERIFY(!w.form.Picture1->hasFocus());
    QCOMPARE(w.form.Picture1->focusPolicy(), Qt::NoFocus);
    QCOMPARE(w.form.Picture2->focusPolicy(), Qt::NoFocus);
    QVERIFY(!w.tabTo(w.form.Picture1));
}

// What a screen reader finds in the tray and the board: a hundred cells each, named by column,
// row and whether a piece lies there, the sliding tool tip as description, one action that
// clicks, and the focus on the cursor cell.
void TestForm1::cellsForAScreenReader()
{
    Window w;
    w.open();
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.form.Option1_Click();
    QAccessibleInterface *tray = QAccessible::queryAccessibleInterface(w.form.Picture1);
    QAccessibleInterface *board = QAccessible::queryAccessibleInterface(w.form.Picture2);
    QCOMPARE(tray->childCount(), 100);
    QCOMPARE(board->childCount(), 100);
    const int blank = 10 * w.form.state.BlankY + w.form.state.BlankX;
    const int tile = w.form.state.Grid[(blank + 1) % 10][(blank + 1) / 10 % 10];
    const int next = (blank + 1) % 100;
    QCOMPARE(tray->child(blank)->text(QAccessible::Name),
             QString("Column %1, row %2, empty").arg(blank % 10).arg(blank / 10));
    QCOMPARE(tray->child(next)->text(QAccessible::Name),
             QString("Column %1, row %2, piece").arg(next % 10).arg(next / 10));
    QCOMPARE(tray->child(next)->text(QAccessible::Description), w.form.Picture1->toolTip(tile));
    QCOMPARE(tray->child(next)->role(), QAccessible::Button);
    QCOMPARE(tray->child(next)->parent(), tray);
    QCOMPARE(tray->indexOfChild(tray->child(next)), next);
    QCOMPARE(tray->childAt(tray->child(37)->rect().center().x(), tray->child(37)->rect().center().y()),
             tray->child(37));

    w.form.Option2_Click();
    QAccessibleInterface *cell = tray->child(23);
    QCOMPARE(cell->text(QAccessible::Description), QString());
    QAccessibleActionInterface *click = cell->actionInterface();
    QVERIFY(click);
    QCOMPARE(click->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
    const int piece = w.form.state.TrayPiece[23];
    w.log.clear();
    click->doAction(QAccessibleActionInterface::pressAction());
    QTRY_COMPARE(w.form.state.HandPiece, piece);
    QCOMPARE(w.log, w.cue("no.wav"));
    QCOMPARE(cell->text(QAccessible::Name), QString("Column 3, row 2, empty"));
    QCOMPARE(QAccessible::queryAccessibleInterface(w.form.Picture3)->text(QAccessible::Name),
             QString("Hand: the piece of column %1, row %2").arg(piece % 10).arg(piece / 10));
    board->child(piece)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTRY_COMPARE(w.form.state.BoardPiece[piece], piece);
    QCOMPARE(board->child(piece)->text(QAccessible::Name),
             QString("Column %1, row %2, piece").arg(piece % 10).arg(piece / 10));
    QCOMPARE(QAccessible::queryAccessibleInterface(w.form.Picture3)->text(QAccessible::Name),
             QString("Hand: empty"));

    // The focus follows the cursor, cell by cell. (The focus events a screen reader hears are
    // checked over AT-SPI, where accessibility is switched on.)
    QVERIFY(w.tabTo(w.form.Picture2));
    QCOMPARE(board->focusChild(), board->child(0));
    QVERIFY(board->child(0)->state().focused);
    w.type(Qt::Key_Right);
    QCOMPARE(board->focusChild(), board->child(1));
    QVERIFY(board->child(1)->state().focused);
    QVERIFY(!board->child(0)->state().focused);
    QCOMPARE(tray->focusChild(), nullptr);

    w.form.Option3_Click();
    QVERIFY(tray->state().invisible);
    QVERIFY(tray->child(0)->state().invisible);
}

// The check boxes' and option buttons' accessible action is a click: the game hears it.
void TestForm1::togglesClickThroughTheirAction()
{
    Window w;
    w.open();
    auto press = [](QWidget *button) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(button);
        QCOMPARE(iface->actionInterface()->actionNames().first(), QAccessibleActionInterface::pressAction());
        iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    };
    QCOMPARE(QAccessible::queryAccessibleInterface(w.form.Option2)->role(), QAccessible::RadioButton);
    QCOMPARE(QAccessible::queryAccessibleInterface(w.form.Check3)->role(), QAccessible::CheckBox);
    QVERIFY(QAccessible::queryAccessibleInterface(w.form.Check3)->state().checked);
    press(w.form.Option2);
    QTRY_COMPARE(w.form.state.GameMode, 2);
    QCOMPARE(w.form.Label1->text(), QString(" 1"));
    QVERIFY(QAccessible::queryAccessibleInterface(w.form.Option2)->state().checked);
    // Pressed again, it starts a new game, as a click does.
    const std::vector<std::int16_t> first(w.form.state.TrayPiece, w.form.state.TrayPiece + 100);
    press(w.form.Option2);
    QTRY_VERIFY(std::vector<std::int16_t>(w.form.state.TrayPiece, w.form.state.TrayPiece + 100) != first);
    press(w.form.Option1);
    QTRY_COMPARE(w.form.state.GameMode, 1);
    press(w.form.Check3);
    QTRY_COMPARE(w.form.state.EffectCommand, std::string("stop"));
    QVERIFY(!QAccessible::queryAccessibleInterface(w.form.Check3)->state().checked);
}

int main(int argc, char **argv)
{
    Application app(argc, argv);
    TestForm1 test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_form1.moc"
