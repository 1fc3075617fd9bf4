#include "sound.h"

namespace morvik {

namespace {

constexpr std::int32_t LoopPoint = 86800;

const char *cueFile(Cue cue)
{
    switch (cue) {
    case Cue::Move:
        return "/move.wav";
    case Cue::PickAndPut:
        return "/no.wav";
    case Cue::CorrectPiece:
        return "/Yes.wav";
    case Cue::Completion:
        return "/done.wav";
    }
    return "";
}

}  // namespace

Sound::Sound(Module1 &state, Player &MCIWnd1, Player &MCIWnd2)
    : state_(state), MCIWnd1_(MCIWnd1), MCIWnd2_(MCIWnd2)
{
}

void Sound::play(Cue cue)
{
    MCIWnd1_.setCommand("stop");
    MCIWnd1_.setFileName(state_.AppDir + cueFile(cue));
    MCIWnd1_.setCommand(state_.EffectCommand);
}

void Sound::switchEffects(int value)
{
    state_.EffectCommand = value == 1 ? "play" : "stop";
}

void Sound::setUpMusic()
{
    MCIWnd2_.setFileName(state_.AppDir + "/ST.Mid");
    MCIWnd2_.setCommand("play");
    MCIWnd2_.setLevel(300);
    MCIWnd1_.setLevel(1000);
    MCIWnd2_.setFlag(true);
}

void Sound::switchMusic(int value)
{
    MCIWnd2_.setCommand(value == 1 ? "play" : "STOP");
}

void Sound::loopWatch()
{
    if (MCIWnd2_.position() > LoopPoint) {
        MCIWnd2_.setPosition(0);
        MCIWnd2_.setCommand("play");
    }
}

}  // namespace morvik
