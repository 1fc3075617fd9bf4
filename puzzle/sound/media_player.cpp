#include "media_player.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

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

MediaPlayer::MediaPlayer(std::shared_ptr<AudioDevice> device) : device_(std::move(device)) {}

MediaPlayer::~MediaPlayer()
{
    if (module_)
        module_->dropDeck(deck_);
}

audio::Module *MediaPlayer::module()
{
    if (module_ || !(module_ = device_->module()))
        return module_;
    deck_ = module_->newDeck();
    module_->setLevel(deck_, level_);
    if (file_) {
        load(*file_, reportFile_);
        if (play_)
            module_->play(deck_);
    }
    file_.reset();
    return module_;
}

void MediaPlayer::load(const std::string &path, bool report)
{
    if (const std::string error = module_->load(deck_, path); !error.empty())
        this->report("cannot play " + path, error, report);
}

void MediaPlayer::setCommand(const std::string &command)
{
    const bool play = equalsIgnoringCase(command, "play");
    if (!play && !equalsIgnoringCase(command, "stop")) {
        report("command \"" + command + "\"", "unknown; the commands are play and stop", reportErrors_);
        return;
    }
    if (audio::Module *module = this->module())
        play ? module->play(deck_) : module->stop(deck_);
    else
        play_ = play;
}

void MediaPlayer::setFileName(const std::string &path)
{
    if (module())
        load(path, reportErrors_);
    else {
        file_ = path;
        reportFile_ = reportErrors_;
        play_ = false;
    }
}

std::int32_t MediaPlayer::position()
{
    audio::Module *module = this->module();
    return module ? module->position(deck_) : 0;
}

void MediaPlayer::setPosition(std::int16_t position)
{
    if (position != 0)
        report("position " + std::to_string(position), "unsupported; only 0, the start, is", reportErrors_);
    else if (audio::Module *module = this->module())
        module->rewind(deck_);
}

void MediaPlayer::setFlag(bool flag)
{
    reportErrors_ = flag;
}

void MediaPlayer::setLevel(std::int16_t level)
{
    level_ = std::clamp<std::int16_t>(level, 0, 1000);
    if (audio::Module *module = this->module())
        module->setLevel(deck_, level_);
}

void MediaPlayer::report(const std::string &subject, const std::string &reason, bool report)
{
    if (report && reported_.insert(subject + '\n' + reason).second)
        std::fprintf(stderr, "morvik: %s: %s\n", subject.c_str(), reason.c_str());
}

}  // namespace morvik
