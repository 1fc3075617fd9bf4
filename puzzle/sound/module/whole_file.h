#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace morvik::audio {

struct FileData {
    std::vector<char> bytes;
    std::string error;
};

// The whole of a regular file of at most maxSize bytes, or why not.
FileData readFile(const std::string &path, std::size_t maxSize);

}  // namespace morvik::audio
