// Random play on the rules over many seeds: random_events [--events N] [--seeds S] [--first F]
// plays N events in all, shared out over seeds F to F + S - 1, and prints what it went through.
// A failing seed prints its failure and the shortest event list that still fails; the exit
// status is then 1.

#include "random_events.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

using namespace morvik::random_events;

int main(int argc, char **argv)
{
    std::uint64_t events = 1'000'000;
    std::uint64_t seeds = 100;
    std::uint64_t first = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::uint64_t value = std::strtoull(argv[i + 1], nullptr, 10);
        if (std::strcmp(argv[i], "--events") == 0)
            events = value;
        else if (std::strcmp(argv[i], "--seeds") == 0)
            seeds = value;
        else if (std::strcmp(argv[i], "--first") == 0)
            first = value;
        else {
            std::cerr << "usage: " << argv[0] << " [--events N] [--seeds S] [--first F]\n";
            return 2;
        }
    }
    if (seeds == 0) {
        std::cerr << "no seeds to play\n";
        return 2;
    }

    const auto start = std::chrono::steady_clock::now();
    Stats total;
    int failures = 0;
    for (std::uint64_t seed = first; seed < first + seeds; ++seed) {
        const std::uint64_t count = events / seeds + (seed - first < events % seeds ? 1 : 0);
        const Outcome outcome = generate(seed, count);
        total += outcome.stats;
        if (outcome.failure) {
            ++failures;
            std::cout << report(seed, outcome) << std::flush;
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("events %llu, seeds %llu..%llu, windows %llu, game starts %llu (overtaken in a yield %llu),\n"
                "pictures completed on the board %llu (from the keyboard %llu) and by the typed word %llu,\n"
                "clicks from the keyboard or a screen reader %llu (inside a yield %llu), deepest nested yield %d,\n"
                "%.1f s, failing seeds %d\n",
                static_cast<unsigned long long>(total.events), static_cast<unsigned long long>(first),
                static_cast<unsigned long long>(first + seeds - 1), static_cast<unsigned long long>(total.windows),
                static_cast<unsigned long long>(total.gameStarts),
                static_cast<unsigned long long>(total.overtakenStarts),
                static_cast<unsigned long long>(total.boardCompletions),
                static_cast<unsigned long long>(total.keyboardCompletions),
                static_cast<unsigned long long>(total.cheatCompletions),
                static_cast<unsigned long long>(total.cellClicks),
                static_cast<unsigned long long>(total.nestedCellClicks), total.deepestYield, seconds, failures);
    return failures ? 1 : 0;
}
