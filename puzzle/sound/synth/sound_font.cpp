#include "sound_font.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <cstdio>

namespace morvik::audio {

namespace {

// The synth opens a soundfont by name, and again each time it reads more of its samples. The
// name of a soundfont in memory carries its address and size, so the callbacks need nothing else.
struct Cursor {
    const char *data;
    fluid_long_long_t size;
    bool fileBacked;
    fluid_long_long_t at;
};

void *openMemory(const char *name)
{
    std::uintptr_t address = 0;
    std::uint64_t size = 0;
    int fileBacked = 0;
    if (std::sscanf(name, "memory:%" SCNxPTR ":%" SCNu64 ":%d", &address, &size, &fileBacked) != 3)
        return nullptr;
    return new Cursor{reinterpret_cast<const char *>(address), static_cast<fluid_long_long_t>(size), fileBacked != 0, 0};
}

int readMemory(void *buffer, fluid_long_long_t count, void *handle)
{
    auto *cursor = static_cast<Cursor *>(handle);
    if (count < 0 || count > cursor->size - cursor->at)
        return FLUID_FAILED;
    std::copy_n(cursor->data + cursor->at, count, static_cast<char *>(buffer));
    cursor->at += count;
    return FLUID_OK;
}

int seekMemory(void *handle, fluid_long_long_t offset, int origin)
{
    auto *cursor = static_cast<Cursor *>(handle);
    const fluid_long_long_t base = origin == SEEK_CUR ? cursor->at : origin == SEEK_END ? cursor->size : 0;
    if (offset < -base || offset > cursor->size - base)
        return FLUID_FAILED;
    cursor->at = base + offset;
    return FLUID_OK;
}

fluid_long_long_t tellMemory(void *handle)
{
    return static_cast<Cursor *>(handle)->at;
}

// The synth keeps its own copy of what it has read, so the pages of bytes mapped from a file are
// let go of: they are read again from the file should they be needed.
int closeMemory(void *handle)
{
    auto *cursor = static_cast<Cursor *>(handle);
    if (!cursor->fileBacked) {
        delete cursor;
        return FLUID_OK;
    }
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const std::uintptr_t first = reinterpret_cast<std::uintptr_t>(cursor->data) / page * page;
    const std::uintptr_t end = reinterpret_cast<std::uintptr_t>(cursor->data) + static_cast<std::uintptr_t>(cursor->size);
    ::madvise(reinterpret_cast<void *>(first), end - first, MADV_DONTNEED);
    delete cursor;
    return FLUID_OK;
}

}  // namespace

void readSoundFontsFromMemory(fluid_settings_t *settings, fluid_synth_t *synth)
{
    fluid_sfloader_t *loader = new_fluid_defsfloader(settings);
    fluid_sfloader_set_callbacks(loader, openMemory, readMemory, seekMemory, tellMemory, closeMemory);
    fluid_synth_add_sfloader(synth, loader);
}

bool loadSoundFont(fluid_synth_t *synth, std::span<const char> bytes, bool fileBacked)
{
    char name[80];
    std::snprintf(name, sizeof name, "memory:%" PRIxPTR ":%zu:%d", reinterpret_cast<std::uintptr_t>(bytes.data()),
                  bytes.size(), fileBacked ? 1 : 0);
    return fluid_synth_sfload(synth, name, 0) != FLUID_FAILED;
}

}  // namespace morvik::audio
