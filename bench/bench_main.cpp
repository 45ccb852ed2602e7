// The core's benchmarks; after the tables each goal's figure is set beside its baseline.
#include "goal_reporter.h"

namespace {

using zel::bench::Goal;

constexpr Goal kGoals[] = {
    {"P1", "P1/tick_bisection", "P1/naive_text_walk", true, 100.0},
    {"P1, summary every tick", "P1/tick_bisection_summary", "P1/naive_text_walk", true, 100.0},
    {"P1 cold caches", "P1/tick_bisection_cold", "P1/naive_text_walk_cold", true, 100.0},
    {"P2", "P2/insert_ordered", "P2/copy_file_fsync", false, 2.0},
    {"P5", "P5/import", nullptr, false, 1000.0},
    {"P7", "P7/notice_selection", nullptr, false, 20.0},
    {"P9", "P9/missed_two_days", nullptr, false, 10.0},
    {"P9, last watched a year ago", "P9/missed_a_year", nullptr, false, 10.0},
};

} // namespace

int main(int argc, char** argv) {
    return zel::bench::runWithGoals(argc, argv, kGoals);
}
