#include "application.h"
#include "audio_device.h"
#include "clock_random.h"
#include "form1.h"
#include "language.h"
#include "media_player.h"
#include "release.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string_view>
#include <thread>

namespace {

constexpr const char *usage = QT_TRANSLATE_NOOP(
    "Help",
    "Usage: morvik [OPTION]\n"
    "%1.\n"
    "The music and the sound effects are read from the folder the game is started in:\n"
    "ST.Mid, move.wav, no.wav, Yes.wav and done.wav.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "  -v, --version  show the version and exit\n"
    "\n"
    "Qt's own options, such as -platform NAME, are accepted too.\n");

bool is(const char *arg, const char *shortName, const char *longName)
{
    return std::strcmp(arg, shortName) == 0 || std::strcmp(arg, longName) == 0;
}

// Qt's own options (those of QGuiApplication and QApplication, and X11's), which Qt takes out of
// the arguments itself. Qt reads each with one dash or two.
constexpr std::string_view qtWithValue[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowicon",
    "qwindowtitle", "session", "display", "geometry", "style", "stylesheet"};
constexpr std::string_view qtWithJoinedValue[] = {"style=", "stylesheet=", "qmljsdebugger="};
constexpr std::string_view qtFlags[] = {"reverse", "widgetcount"};

template <std::size_t N>
bool among(std::string_view name, const std::string_view (&names)[N])
{
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

template <std::size_t N>
bool startsWithOneOf(std::string_view name, const std::string_view (&prefixes)[N])
{
    return std::any_of(std::begin(prefixes), std::end(prefixes),
                       [name](std::string_view prefix) { return name.starts_with(prefix); });
}

// Every argument is checked here, before the application object exists: Qt connects to the
// display in its constructor and aborts where there is none, so a mistyped option must be refused
// first. Returns the one-line complaint, or an empty string when Qt may have the arguments.
QString refusal(int argc, char **argv, const morvik::Language &language)
{
    const auto complaint = [&language](const char *text, std::string_view arg) {
        return language.text("Help", text).arg(QString::fromLocal8Bit(arg.data(), qsizetype(arg.size())));
    };
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        std::string_view name = arg;
        if (name.starts_with("--"))
            name.remove_prefix(2);
        else if (name.starts_with("-"))
            name.remove_prefix(1);
        else
            return complaint(QT_TRANSLATE_NOOP("Help", "morvik: unknown argument '%1' (see morvik --help)"), arg);
        if (among(name, qtFlags) || startsWithOneOf(name, qtWithJoinedValue))
            continue;
        if (!among(name, qtWithValue))
            return complaint(QT_TRANSLATE_NOOP("Help", "morvik: unknown option '%1' (see morvik --help)"), arg);
        if (++i == argc)
            return complaint(QT_TRANSLATE_NOOP("Help", "morvik: option '%1' needs a value (see morvik --help)"),
                             arg);
    }
    return {};
}

}  // namespace

int main(int argc, char **argv)
{
    morvik::Language language;
    // Help and version answer whatever else is given, and before anything reaches for a display.
    for (int i = 1; i < argc; ++i) {
        if (is(argv[i], "-h", "--help")) {
            const QString help =
                language.text("Help", usage).arg(language.text("Release", morvik::release::summary));
            std::fputs(help.toLocal8Bit().constData(), stdout);
            return 0;
        }
        if (is(argv[i], "-v", "--version")) {
            std::printf("morvik %s\n", MORVIK_VERSION);
            return 0;
        }
    }
    if (const QString complaint = refusal(argc, argv, language); !complaint.isEmpty()) {
        std::fprintf(stderr, "%s\n", complaint.toLocal8Bit().constData());
        return 2;
    }
    morvik::Application app(argc, argv);
    language.install();
    int status = 0;
    {
        // The audio device opens once the window is first painted, so that the two do not compete
        // at start, or half a second from now if that comes first: a window started minimised or
        // on another workspace may be painted much later. What the players are told meanwhile
        // plays then.
        auto audio = std::make_shared<morvik::AudioDevice>(std::chrono::milliseconds(500));
        morvik::MediaPlayer MCIWnd1(audio);
        morvik::MediaPlayer MCIWnd2(audio);
        morvik::ClockRandom random;
        morvik::Form1 form(MCIWnd1, MCIWnd2, random);
        app.setKeyPreview(&form, [&form](std::int16_t key) { form.Form_KeyPress(key); });
        form.client->onFirstPaint = [&audio] { audio->start(); };
        form.show();
        status = app.exec();
    }
    // The window is gone, the sound has stopped and the device is closed; what was written is out.
    // Qt 6.4's Wayland client can still deadlock while it tears its display down (its event
    // thread waiting in wl_display_read_events for a read that never comes), so the process ends
    // a second from now whether that teardown is over or not.
    std::fflush(nullptr);
    std::thread([status] {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        std::_Exit(status);
    }).detach();
    return status;
}
