#include "application.h"
#include "audio_device.h"
#include "clock_random.h"
#include "form1.h"
#include "media_player.h"

#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char *usage =
    "Usage: morvik [OPTION]\n"
    "A picture puzzle: put fifteen pictures back together, sliding or piece by piece.\n"
    "The music and the sound effects are read from the folder the game is started in:\n"
    "ST.Mid, move.wav, no.wav, Yes.wav and done.wav.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "  -v, --version  show the version and exit\n"
    "\n"
    "Qt's own options, such as -platform NAME, are accepted too.\n";

bool is(const char *arg, const char *shortName, const char *longName)
{
    return std::strcmp(arg, shortName) == 0 || std::strcmp(arg, longName) == 0;
}

}  // namespace

int main(int argc, char **argv)
{
    // Help and version answer before anything reaches for a display.
    for (int i = 1; i < argc; ++i) {
        if (is(argv[i], "-h", "--help")) {
            std::fputs(usage, stdout);
            return 0;
        }
        if (is(argv[i], "-v", "--version")) {
            std::printf("morvik %s\n", MORVIK_VERSION);
            return 0;
        }
    }
    morvik::Application app(argc, argv);
    // Qt has taken its own options out; anything left is not ours either.
    if (argc > 1) {
        std::fprintf(stderr, "morvik: unknown %s '%s' (see morvik --help)\n",
                     argv[1][0] == '-' ? "option" : "argument", argv[1]);
        return 2;
    }
    // The audio device opens once the window is first painted, so that the two do not compete at
    // start, or half a second from now if that comes first: a window started minimised or on
    // another workspace may be painted much later. What the players are told meanwhile plays then.
    auto audio = std::make_shared<morvik::AudioDevice>(std::chrono::milliseconds(500));
    morvik::MediaPlayer MCIWnd1(audio);
    morvik::MediaPlayer MCIWnd2(audio);
    morvik::ClockRandom random;
    morvik::Form1 form(MCIWnd1, MCIWnd2, random);
    app.setKeyPreview(&form, [&form](std::int16_t key) { form.Form_KeyPress(key); });
    form.client->onFirstPaint = [&audio] { audio->start(); };
    form.show();
    return app.exec();
}
