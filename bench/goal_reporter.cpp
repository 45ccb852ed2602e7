#include "goal_reporter.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace zel::bench {
namespace {

double nanoseconds(double value, benchmark::TimeUnit unit) {
    switch (unit) {
    case benchmark::kNanosecond:
        return value;
    case benchmark::kMicrosecond:
        return value * 1e3;
    case benchmark::kMillisecond:
        return value * 1e6;
    case benchmark::kSecond:
        return value * 1e9;
    }
    return value;
}

class GoalReporter : public benchmark::ConsoleReporter {
  public:
    GoalReporter(OutputOptions options, std::span<const Goal> goals)
        : ConsoleReporter(options), goals_(goals) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const double ns = nanoseconds(run.GetAdjustedRealTime(), run.time_unit);
            const std::string name = run.run_name.args.empty()
                                         ? run.run_name.function_name
                                         : run.run_name.function_name + "/" + run.run_name.args;
            // With --benchmark_report_aggregates_only only the aggregates arrive here.
            if (run.run_type == Run::RT_Iteration) {
                times_[name].push_back(ns);
                for (const auto& [counter, value] : run.counters)
                    counters_[name][counter].push_back(value.value);
            } else if (run.aggregate_name == "median") {
                medians_[name] = ns;
                for (const auto& [counter, value] : run.counters)
                    medianCounters_[name][counter] = value.value;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::FILE* out = stdout;
        std::fprintf(out, "\nGoals (median real time of the repetitions):\n");
        for (const Goal& g : goals_) {
            const double m = median(g.measured), b = g.baseline ? median(g.baseline) : 0;
            if (!g.baseline && m > 0) {
                // A figure under a millisecond in microseconds, so it does not show as 0.00 ms.
                const bool small = m < 1e6;
                bool met = m / 1e6 < g.limit;
                std::string counted;
                if (g.counter) {
                    const double c = counter(g.measured, g.counter);
                    met = met && c >= 0 && c <= g.counterLimit;
                    counted = ", " + std::string(g.counter) + " " + (c >= 0 ? number(c) : "not counted") +
                              " (goal <= " + number(g.counterLimit) + ")";
                }
                std::fprintf(out, "  %s: %.2f %s, goal < %g ms%s: %s\n", g.id, small ? m / 1e3 : m / 1e6,
                             small ? "us" : "ms", g.limit, counted.c_str(), met ? "met" : "MISSED");
                continue;
            }
            if (m <= 0 || b <= 0) {
                std::fprintf(out, "  %s: not measured in this run\n", g.id);
                continue;
            }
            if (g.speedup) {
                const double ratio = b / m;
                std::fprintf(out,
                             "  %s: %.0fx faster than the baseline (%.3f us vs %.3f us), goal >= %.0fx: %s\n",
                             g.id, ratio, m / 1e3, b / 1e3, g.limit, ratio >= g.limit ? "met" : "MISSED");
            } else {
                const double ratio = m / b;
                std::fprintf(out, "  %s: %.2fx the baseline (%.1f ms vs %.1f ms), goal <= %.1fx: %s\n", g.id,
                             ratio, m / 1e6, b / 1e6, g.limit, ratio <= g.limit ? "met" : "MISSED");
            }
        }
        std::fflush(out);
    }

  private:
    static double medianOf(std::vector<double> v) {
        std::sort(v.begin(), v.end());
        const std::size_t n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }

    static std::string number(double value) {
        char text[32];
        std::snprintf(text, sizeof text, "%g", value);
        return text;
    }

    double median(const std::string& name) const {
        if (const auto m = medians_.find(name); m != medians_.end()) return m->second;
        const auto it = times_.find(name);
        if (it == times_.end() || it->second.empty()) return 0;
        return medianOf(it->second);
    }

    // The counter's median over the repetitions; -1 when the benchmark did not count it.
    double counter(const std::string& name, const std::string& counterName) const {
        if (const auto m = medianCounters_.find(name); m != medianCounters_.end()) {
            const auto c = m->second.find(counterName);
            return c != m->second.end() ? c->second : -1;
        }
        const auto it = counters_.find(name);
        if (it == counters_.end()) return -1;
        const auto c = it->second.find(counterName);
        return c != it->second.end() && !c->second.empty() ? medianOf(c->second) : -1;
    }

    std::map<std::string, std::vector<double>> times_;
    std::map<std::string, std::map<std::string, std::vector<double>>> counters_;
    std::span<const Goal> goals_;
    std::map<std::string, double> medians_;
    std::map<std::string, std::map<std::string, double>> medianCounters_;
};

} // namespace

int runWithGoals(int argc, char** argv, std::span<const Goal> goals) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    GoalReporter reporter(isatty(STDOUT_FILENO) ? GoalReporter::OO_ColorTabular : GoalReporter::OO_Tabular,
                          goals);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

} // namespace zel::bench
