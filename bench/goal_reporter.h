#pragma once

#include <span>

namespace zel::bench {

// A speed goal: a benchmark's median against its baseline's from the same run, since absolute times
// drift on shared machines.
struct Goal {
    const char* id;
    const char* measured;
    const char* baseline;
    // speedup: baseline / measured must reach limit; otherwise measured / baseline must stay within it.
    // Without a baseline the limit is in milliseconds.
    bool speedup;
    double limit;
};

// Runs the benchmarks the command line selects, then prints each goal's figure and whether it is met.
int runWithGoals(int argc, char** argv, std::span<const Goal> goals);

} // namespace zel::bench
