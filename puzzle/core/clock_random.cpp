#include "clock_random.h"

#include <chrono>

namespace morvik {

namespace {
// The finaliser of SplitMix64: every input bit reaches every output bit.
std::uint64_t mix(std::uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

std::uint64_t steadyNanoseconds()
{
    return static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}
}  // namespace

ClockRandom::ClockRandom(Clock clock) : clock_(clock ? std::move(clock) : Clock(steadyNanoseconds)) {}

float ClockRandom::draw()
{
    state_ += 0x9e3779b97f4a7c15ULL;
    // 24 random bits make a float in [0, 1) exactly.
    return static_cast<float>(mix(state_) >> 40) * 0x1p-24f;
}

void ClockRandom::reseed()
{
    state_ = mix(state_ ^ clock_());
}

}  // namespace morvik
