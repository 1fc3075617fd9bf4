#include "application.h"
#include "clock_random.h"
#include "form1.h"
#include "media_player.h"

int main(int argc, char **argv)
{
    morvik::Application app(argc, argv);
    // The audio device opens once the window is on the screen; the music queued for it meanwhile
    // starts then.
    morvik::MediaPlayer::holdAudioStart();
    morvik::MediaPlayer MCIWnd1;
    morvik::MediaPlayer MCIWnd2;
    morvik::ClockRandom random;
    morvik::Form1 form(MCIWnd1, MCIWnd2, random);
    app.setKeyPreview(&form, [&form](std::int16_t key) { form.Form_KeyPress(key); });
    form.client->onFirstPaint = morvik::MediaPlayer::releaseAudioStart;
    form.show();
    return app.exec();
}
