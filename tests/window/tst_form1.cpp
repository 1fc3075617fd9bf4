#include "assets.h"
#include "window_fixture.h"

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
    for (const char *name : {"Option1", "Option2", "Option3", "Check2", "Check3", "window"})
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
        {"Check2", w.form.Check2},   {"Check3", w.form.Check3},   {"window", &w.form}};
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

int main(int argc, char **argv)
{
    Application app(argc, argv);
    TestForm1 test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_form1.moc"
