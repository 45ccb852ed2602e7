// Kills the driver again and again and checks what every kill left; see README.md.
#include "crash/crash_check.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    using namespace zel::crash;
    RunOptions options;
    options.driver = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "zel_crash_driver";
    options.work = std::filesystem::temp_directory_path() / ("zel-crash-" + std::to_string(::getpid()));
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (arg == "--keep") {
            keep = true;
            continue;
        }
        if (!value) {
            std::fprintf(stderr,
                         "usage: %s [--kills N] [--start S] [--work DIR] [--driver PATH] "
                         "[--fresh-every N] [--max-delay-ms X] [--at-steps N] [--keep]\n",
                         argv[0]);
            return 64;
        }
        ++i;
        if (arg == "--kills")
            options.kills = std::strtoull(value, nullptr, 10);
        else if (arg == "--start")
            options.start = std::strtoull(value, nullptr, 10);
        else if (arg == "--work")
            options.work = value;
        else if (arg == "--driver")
            options.driver = value;
        else if (arg == "--fresh-every")
            options.freshEvery = std::strtoull(value, nullptr, 10);
        else if (arg == "--max-delay-ms")
            options.maxDelayMs = std::strtod(value, nullptr);
        else if (arg == "--at-steps")
            options.lastStep = std::strtoull(value, nullptr, 10);
        else {
            std::fprintf(stderr, "unknown option %s\n", arg.c_str());
            return 64;
        }
    }
    const Figures figures = runKills(options);
    std::fputs(describe(figures).c_str(), stdout);
    if (!keep) std::filesystem::remove_all(options.work);
    return figures.clean() ? 0 : 1;
}
