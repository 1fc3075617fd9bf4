#include "application.h"
#include "audio_device.h"
#include "clock_random.h"
#include "form1.h"
#include "media_player.h"

#include <chrono>

int main(int argc, char **argv)
{
    morvik::Application app(argc, argv);
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
