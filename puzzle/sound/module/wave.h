#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace morvik::audio {

// 16-bit stereo frames at the device's rate, interleaved.
using Samples = std::vector<std::int16_t>;

// The bytes of a wave file as the device's frames, or null with why not in error.
std::shared_ptr<const Samples> decodeWave(const std::vector<char> &bytes, std::string &error);

}  // namespace morvik::audio
