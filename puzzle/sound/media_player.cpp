#include "media_player.h"

#include "audio_device.h"

#include <algorithm>
#include <cctype>

namespace morvik {

namespace {

bool equalsIgnoringCase(const std::string &text, const std::string &lowerCase)
{
    return std::ranges::equal(text, lowerCase, [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
}

}  // namespace

MediaPlayer::MediaPlayer() : MediaPlayer(AudioDevice::shared()) {}

MediaPlayer::MediaPlayer(std::shared_ptr<AudioDevice> device) : device_(std::move(device))
{
    device_->add(this);
}

MediaPlayer::~MediaPlayer()
{
    deck_.reset();
    device_->remove(this);
}

void MediaPlayer::takeUp(audio::Module &module)
{
    deck_ = module.newDeck([this](const std::string &subject, const std::string &reason) { report(subject, reason); });
    deck_->setLevel(level_);
    if (!waiting_.file)
        return;
    const bool reportErrors = reportErrors_;
    reportErrors_ = waiting_.reportFile;
    deck_->load(*waiting_.file);
    reportErrors_ = reportErrors;
    if (waiting_.play)
        deck_->play();
    waiting_ = {};
}

audio::Deck *MediaPlayer::deck()
{
    if (!deck_)
        if (audio::Module *module = device_->module(); module && !deck_)
            takeUp(*module);
    return deck_.get();
}

void MediaPlayer::setCommand(const std::string &command)
{
    const bool play = equalsIgnoringCase(command, "play");
    if (!play && !equalsIgnoringCase(command, "stop")) {
        report("command \"" + command + "\"", "unknown; the commands are play and stop");
        return;
    }
    if (audio::Deck *deck = this->deck())
        play ? deck->play() : deck->stop();
    else
        waiting_.play = play;
}

void MediaPlayer::setFileName(const std::string &path)
{
    if (audio::Deck *deck = this->deck())
        deck->load(path);
    else
        waiting_ = {path, reportErrors_, false};
}

std::int32_t MediaPlayer::position()
{
    audio::Deck *deck = this->deck();
    return deck ? deck->position() : 0;
}

void MediaPlayer::setPosition(std::int16_t position)
{
    if (position != 0)
        report("position " + std::to_string(position), "unsupported; only 0, the start, is");
    else if (audio::Deck *deck = this->deck())
        deck->rewind();
}

void MediaPlayer::setFlag(bool flag)
{
    reportErrors_ = flag;
}

void MediaPlayer::setLevel(std::int16_t level)
{
    level_ = std::clamp<std::int16_t>(level, 0, 1000);
    if (audio::Deck *deck = this->deck())
        deck->setLevel(level_);
}

void MediaPlayer::report(const std::string &subject, const std::string &reason)
{
    if (reportErrors_)
        device_->report(subject, reason);
}

}  // namespace morvik
