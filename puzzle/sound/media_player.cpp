#include "media_player.h"

#include <QCoreApplication>

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

// The line of an error in the player's language, with %1 and %2 replaced by the bytes given: a file
// name that is not UTF-8 is written as the system gives it.
std::string line(const char *text, const std::string &first, const std::string &second = {})
{
    const std::string translated = QCoreApplication::translate("Sound", text).toStdString();
    std::string line;
    for (std::size_t i = 0; i < translated.size(); ++i) {
        if (translated[i] == '%' && i + 1 < translated.size() && (translated[i + 1] == '1' || translated[i + 1] == '2'))
            line += translated[++i] == '1' ? first : second;
        else
            line += translated[i];
    }
    return line;
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
        this->report(line(QT_TRANSLATE_NOOP("Sound", "morvik: cannot play %1: %2"), path, error), report);
}

void MediaPlayer::setCommand(const std::string &command)
{
    const bool play = equalsIgnoringCase(command, "play");
    if (!play && !equalsIgnoringCase(command, "stop")) {
        report(line(QT_TRANSLATE_NOOP("Sound", "morvik: command \"%1\": unknown; the commands are play and stop"),
                    command),
               reportErrors_);
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
        report(line(QT_TRANSLATE_NOOP("Sound", "morvik: position %1: unsupported; only 0, the start, is"),
                    std::to_string(position)),
               reportErrors_);
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

void MediaPlayer::report(const std::string &line, bool report)
{
    if (report && reported_.insert(line).second)
        std::fprintf(stderr, "%s\n", line.c_str());
}

}  // namespace morvik
