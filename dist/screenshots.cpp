// morvik-screenshots DIR: plays the game without a screen or a sound and saves the window in
// each way to play, as DIR/sliding.png (a shuffled sliding puzzle) and DIR/assembly.png (the
// top rows of the picture carried to the board). The same clock seed gives the same pictures, and
// the title always shows its first frame.
#include "application.h"
#include "clock_random.h"
#include "form1.h"
#include "language.h"
#include "player.h"

#include <QDir>

#include <cstdio>

namespace {

class Silent : public morvik::Player {
public:
    void setCommand(const std::string &) override {}
    void setFileName(const std::string &) override {}
    std::int32_t position() override { return 0; }
    void setPosition(std::int16_t) override {}
    void setFlag(bool) override {}
    void setLevel(std::int16_t) override {}
};

bool save(morvik::Form1 &form, const QDir &dir, const QString &name)
{
    QCoreApplication::processEvents();
    if (form.grab().save(dir.filePath(name), "PNG"))
        return true;
    std::fprintf(stderr, "morvik-screenshots: cannot write %s\n", qPrintable(dir.filePath(name)));
    return false;
}

}  // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // In the player's language, as the game: what the window shows must not depend on it.
    morvik::Language language;
    morvik::Application app(argc, argv);
    language.install();
    if (argc != 2) {
        std::fprintf(stderr, "usage: morvik-screenshots DIR\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    dir.mkpath(".");
    Silent effects, music;
    morvik::ClockRandom random([] { return std::uint64_t{20261210}; });
    morvik::Form1 form(effects, music, random);
    // The title runs on the clock: stopped and moved on by hand, it shows its first frame in every
    // run, however slow the machine.
    form.Timer1.stop();
    form.Timer1_Timer();
    form.show();

    form.Option1->click();
    if (!save(form, dir, "sliding.png"))
        return 1;

    form.Option2->click();
    for (std::int16_t cell = 0; cell < 100; ++cell) {
        std::int16_t piece = form.state.TrayPiece[cell];
        if (piece < 40) {
            form.Picture1_Click(cell);
            form.Picture2_Click(piece);
        }
    }
    return save(form, dir, "assembly.png") ? 0 : 1;
}
