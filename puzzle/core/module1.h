#pragma once

#include <cstdint>
#include <string>

namespace morvik {

// The one shared record of the game. Every number is a 16-bit signed integer; everything starts at
// zero and both strings start empty. Grid is indexed [column][row].
struct Module1 {
    std::int16_t BlankX = 0;
    std::int16_t BlankY = 0;
    std::int16_t Grid[10][10] = {};
    std::int16_t TrayPiece[100] = {};
    std::int16_t BoardPiece[100] = {};
    std::int16_t GameMode = 0;  // 0 idle, 1 sliding, 2 assembly
    std::int16_t PictureNo = 0;
    std::int16_t HandPiece = 0;
    std::int16_t AnimFrame = 0;
    std::int16_t KeyHistory[5] = {};  // oldest in slot 0, newest in slot 4
    std::string AppDir;
    std::string EffectCommand;
};

}  // namespace morvik
