#pragma once

#include "player.h"

#include <QString>
#include <QStringList>

namespace morvik::test {

// A media player that writes down every operation, one shared log for both players.
class RecordingPlayer : public Player {
public:
    RecordingPlayer(QString name, QStringList &log) : name_(std::move(name)), log_(log) {}

    void setCommand(const std::string &command) override { note("command " + command); }
    void setFileName(const std::string &path) override { note("file " + path); }
    std::int32_t position() override { return position_; }
    void setPosition(std::int16_t position) override
    {
        position_ = position;
        note("position " + std::to_string(position));
    }
    void setFlag(bool flag) override { note(flag ? "flag true" : "flag false"); }
    void setLevel(std::int16_t level) override { note("level " + std::to_string(level)); }

    std::int32_t position_ = 0;

private:
    void note(const std::string &what) { log_ << name_ + ": " + QString::fromStdString(what); }
    QString name_;
    QStringList &log_;
};

}  // namespace morvik::test
