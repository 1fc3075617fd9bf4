#include "soundfont.h"

// The file made by morvik-assetgen, assembled into read-only data between two symbols.
asm(".pushsection .rodata.morvik_soundfont, \"a\", @progbits\n"
    ".balign 16\n"
    ".globl morvik_soundfont_begin\n"
    ".hidden morvik_soundfont_begin\n"
    "morvik_soundfont_begin:\n"
    ".incbin \"" MORVIK_SOUNDFONT_FILE "\"\n"
    ".globl morvik_soundfont_end\n"
    ".hidden morvik_soundfont_end\n"
    "morvik_soundfont_end:\n"
    ".popsection\n");

extern "C" const unsigned char morvik_soundfont_begin[];
extern "C" const unsigned char morvik_soundfont_end[];

namespace morvik {

std::span<const unsigned char> soundFontData()
{
    return {morvik_soundfont_begin, morvik_soundfont_end};
}

}  // namespace morvik
