#pragma once

#include <span>

namespace zel::bench {

// A speed goal: a benchmark's median against its baseline's from the same run, since absolute times
// drift on shared machines. A benchmark with an argument is named with it: "P10/first_sync/1000".
struct Goal {
    const char* id;
    const char* measured;
    const char* baseline;
    // speedup: baseline / measured must reach limit; otherwise measured / baseline must stay within it.
    // Without a baseline the limit is in milliseconds.
    bool speedup;
    double limit;
    // A counter of the measured benchmark that must also stay within counterLimit (requests sent, say).
    const char* counter = nullptr;
    double counterLimit = 0;
};

// Runs the benchmarks the command line selects, then prints each goal's figure and whether it is met.
int runWithGoals(int argc, char** argv, std::span<const Goal> goals);

} // namespace zel::bench
