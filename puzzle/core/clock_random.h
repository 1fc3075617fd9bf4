#pragma once

#include "ports.h"

#include <cstdint>
#include <functional>

namespace morvik {

// A small pseudo-random generator whose reseed mixes a clock reading into the current state, so
// that reseeding many times within one tick of the clock still moves on to new numbers.
class ClockRandom : public Random {
public:
    using Clock = std::function<std::uint64_t()>;
    // The clock defaults to the steady clock in nanoseconds; a fixed clock makes the draws repeatable.
    explicit ClockRandom(Clock clock = {});

    float draw() override;
    void reseed() override;

private:
    std::uint64_t state_ = 0x853c49e6748fea9bULL;
    Clock clock_;
};

}  // namespace morvik
