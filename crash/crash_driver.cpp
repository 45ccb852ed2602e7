// Performs random writes on a data folder until it is killed. Before each write it records in the
// journal what it is about to do, and after it "done", each line flushed to disk before going on.
// Given a step number, it kills itself at that step of its replacements, so the kill falls exactly
// between two of a write's steps whatever the machine's load.
#include "core/os/file.h"
#include "crash/crash_model.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

void append(int fd, const std::string& line) {
    std::string_view rest(line);
    while (!rest.empty()) {
        const ssize_t n = ::write(fd, rest.data(), rest.size());
        if (n < 0) throw std::runtime_error("cannot write the journal");
        rest.remove_prefix(static_cast<std::size_t>(n));
    }
    if (::fdatasync(fd) != 0 && fd != 1) throw std::runtime_error("cannot flush the journal");
}

unsigned long long stepsLeft = 0;

void killAtStep(zel::os::ReplaceStep, const std::filesystem::path&) {
    if (--stepsLeft == 0) ::kill(::getpid(), SIGKILL);
}

} // namespace

int main(int argc, char** argv) {
    using namespace zel::crash;
    if (argc != 5 && argc != 6) {
        std::fprintf(stderr, "usage: %s APP_FOLDER JOURNAL START OPERATIONS [KILL_AT_STEP]\n", argv[0]);
        return 64;
    }
    const std::filesystem::path app = argv[1];
    try {
        std::mt19937_64 rng(std::strtoull(argv[3], nullptr, 10));
        const unsigned long long operations = std::strtoull(argv[4], nullptr, 10);
        const int journal = ::open(argv[2], O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (journal < 0) throw std::runtime_error("cannot open the journal");
        FolderState state = readFolder(app);
        if (argc == 6 && (stepsLeft = std::strtoull(argv[5], nullptr, 10)) > 0)
            zel::os::setReplaceObserver(killAtStep);
        // The runner's clock starts here, so its kills fall among the writes, not in the start.
        append(1, "\n");
        for (unsigned long long i = 0; i < operations; ++i) {
            const Operation op = randomOperation(state, rng);
            append(journal, "op " + std::to_string(i) + " " + formatOperation(op) + "\n");
            perform(app, state, op);
            state = statesOf(state, op).back();
            append(journal, "done " + std::to_string(i) + "\n");
            // The model and the writers must agree, or the kills prove nothing.
            if (readFolder(app) != state) {
                std::fprintf(stderr, "after write %llu (%s) the files differ from the model\n", i,
                             formatOperation(op).substr(0, 40).c_str());
                return 3;
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    }
    return 0;
}
