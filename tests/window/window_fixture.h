#pragma once

#include "application.h"
#include "clock_random.h"
#include "form1.h"
#include "player.h"

#include <QApplication>
#include <QDir>
#include <QString>
#include <QStringList>
#include <QTest>

#include <string>
#include <vector>

namespace morvik::test {

// A media player that writes down every operation, one shared log for both players.
class RecordingPlayer : public Player {
public:
    RecordingPlayer(QString name, QStringList &log) : name_(std::move(name)), log_(log) {}

    void setCommand(const std::string &command) override { note("command " + command); }
    void setFileName(const std::string &path) override
    {
        files.push_back(path);
        note("file " + path);
    }
    std::int32_t position() override { return position_; }
    void setPosition(std::int16_t position) override
    {
        position_ = position;
        note("position " + std::to_string(position));
    }
    void setFlag(bool flag) override { note(flag ? "flag true" : "flag false"); }
    void setLevel(std::int16_t level) override { note("level " + std::to_string(level)); }

    std::int32_t position_ = 0;
    // The file names as given, byte for byte.
    std::vector<std::string> files;

private:
    void note(const std::string &what) { log_ << name_ + ": " + QString::fromStdString(what); }
    QString name_;
    QStringList &log_;
};

// The window with recording players and a fixed clock.
struct Window {
    QStringList log;
    RecordingPlayer MCIWnd1{"MCIWnd1", log};
    RecordingPlayer MCIWnd2{"MCIWnd2", log};
    ClockRandom random{[] { return std::uint64_t{1}; }};
    Form1 form{MCIWnd1, MCIWnd2, random};

    ~Window() { application()->setKeyPreview(nullptr, nullptr); }

    static Application *application() { return static_cast<Application *>(qApp); }

    // Shows the window, with every typed key going to its key handler first.
    void open()
    {
        application()->setKeyPreview(&form, [this](std::int16_t key) { form.Form_KeyPress(key); });
        form.show();
        form.activateWindow();
        // Qt's Wayland platform leaves activation to the compositor, and a headless Weston has no
        // seat to give it; the keys the tests type need the focus that an active window has. Qt
        // 6.5 deprecates making a window active from the program, and has no other way to.
        if (QGuiApplication::platformName() == "wayland" && QTest::qWaitForWindowExposed(&form)) {
            QT_WARNING_PUSH
            QT_WARNING_DISABLE_DEPRECATED
            QApplication::setActiveWindow(&form);
            QT_WARNING_POP
        }
    }

    QWidget *keyTarget() { return QApplication::focusWidget() ? QApplication::focusWidget() : &form; }

    // What a cue sends to the effect player.
    QStringList cue(const char *file) const
    {
        const QString dir = QDir::currentPath();
        return {"MCIWnd1: command stop", "MCIWnd1: file " + dir + "/" + file, "MCIWnd1: command play"};
    }

    // A click on box n of a control array.
    static void click(PictureArray *array, int n)
    {
        QTest::mouseClick(array, Qt::LeftButton, {}, array->geometry(n).center() - array->pos());
    }

    // A key typed to whatever has the focus, as the keyboard would.
    void type(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(keyTarget(), key, modifiers);
    }

    // Presses Tab (or Shift+Tab) until `target` has the focus; false after twenty presses.
    bool tabTo(QWidget *target, bool backwards = false)
    {
        for (int i = 0; i < 20 && QApplication::focusWidget() != target; ++i)
            type(backwards ? Qt::Key_Backtab : Qt::Key_Tab, backwards ? Qt::ShiftModifier : Qt::NoModifier);
        return QApplication::focusWidget() == target;
    }

    // Walks the focused grid's cursor towards `cell` with the arrow keys, Home and End, as a
    // player would, one key at a time; a cursor that does not follow gives up after 40 keys.
    void walkTo(PictureArray *grid, int cell)
    {
        const int column = cell % 10, row = cell / 10;
        for (int keys = 0; keys < 40 && grid->cursorCell() != cell; ++keys) {
            const int c = grid->cursorCell() % 10, r = grid->cursorCell() / 10;
            if (column == 0 && c > 1)
                type(Qt::Key_Home);
            else if (column == 9 && c < 8)
                type(Qt::Key_End);
            else if (r != row)
                type(r < row ? Qt::Key_Down : Qt::Key_Up);
            else
                type(c < column ? Qt::Key_Right : Qt::Key_Left);
        }
    }

    // The tray box that shows piece p.
    int trayOf(int p)
    {
        for (int i = 0; i < 100; ++i)
            if (!(form.game.controls.Picture1[i].picture == form.game.controls.Picture5)
                && form.state.TrayPiece[i] == p)
                return i;
        return -1;
    }
};

}  // namespace morvik::test
