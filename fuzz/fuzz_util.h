#pragma once

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

namespace zel::fuzz {

// A failed property is a finding: say which one, then abort so libFuzzer keeps the input.
[[noreturn]] inline void fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "property failed: %s (%s:%d)\n", what, file, line);
    std::abort();
}
#define ZEL_CHECK(cond)                                                                                      \
    do {                                                                                                     \
        if (!(cond)) ::zel::fuzz::fail(#cond, __FILE__, __LINE__);                                           \
    } while (0)

// One folder per process, on tmpfs when there is one: the core fsyncs every change, which would
// otherwise bound the fuzzer to the disk's speed.
inline const std::filesystem::path& scratchDir() {
    struct Dir {
        std::filesystem::path path;
        Dir() {
            std::string base;
            if (const char* env = std::getenv("ZEL_FUZZ_TMPDIR"); env && *env)
                base = env;
            else if (std::filesystem::is_directory("/dev/shm"))
                base = "/dev/shm";
            else if (const char* tmp = std::getenv("TMPDIR"); tmp && *tmp)
                base = tmp;
            else
                base = "/tmp";
            std::string pattern = base + "/zel_fuzz_XXXXXX";
            if (!::mkdtemp(pattern.data())) throw std::system_error(errno, std::generic_category(), pattern);
            path = pattern;
        }
        ~Dir() {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    };
    static const Dir dir;
    return dir.path;
}

// Plain write, no fsync: the harness sets the stage, the core's own writes are what is tested.
inline void writeFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) std::abort();
}

} // namespace zel::fuzz
