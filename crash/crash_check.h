#pragma once

#include "crash/crash_model.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zel::crash {

// What the journal says: the state after every finished write, and the write that was under way.
struct Replay {
    FolderState settled;
    std::optional<Operation> inFlight;
    std::size_t finished = 0;
    std::string problem; // a journal the model cannot follow
};
Replay replayJournal(const FolderState& start, const std::string& journal);

// A file's state after a kill, against the write under way: untouched by it, as before, as after, or
// neither (torn).
enum class Verdict { Untouched, Old, New, Torn };

struct KillCheck {
    bool inFlight = false;
    std::optional<Operation> write; // the write under way
    bool straddling = false;        // the write under way rewrote a record across a page boundary
    std::array<Verdict, kFileCount> files{};
    // Every file is old or new, but together they are no state the program passes through.
    bool outOfOrder = false;
    // A write over several files stopped between two of them: some new, the rest still old.
    bool partway = false;
    std::vector<std::string> temporaries; // leftover files of an unfinished replacement
    std::vector<std::string> strays;      // any other unexpected file
    std::string loadError;                // what the start's readers said, empty when they read it
    std::string problem;
};
// Checks the folder a killed driver left, given the folder it started on and its journal.
KillCheck checkKilledFolder(const std::filesystem::path& appFolder, const FolderState& start,
                            const std::string& journal);

struct FileFigures {
    std::size_t old = 0, fresh = 0, torn = 0;
};
struct Figures {
    std::size_t kills = 0, inFlight = 0, betweenWrites = 0, driverFinished = 0, straddling = 0;
    std::size_t straddlingNew = 0; // of those, how many found the record's new bytes
    std::size_t partway = 0;
    // Kills during a move of occurrences (of them, with several rows asked) and a last-watched write.
    std::size_t moves = 0, severalMoves = 0, watched = 0;
    std::array<FileFigures, kFileCount> files{};
    std::size_t outOfOrder = 0, unloadable = 0, temporaries = 0, strays = 0;
    double seconds = 0;
    std::vector<std::string> problems;

    std::size_t torn() const;
    bool clean() const;
};

struct RunOptions {
    std::filesystem::path driver;
    std::filesystem::path work; // the data folder and the journal live here
    std::size_t kills = 100;
    std::uint64_t start = 1;
    // A new folder every so many kills, by turns empty and filled; between them the last one carries on.
    std::size_t freshEvery = 25;
    double minDelayMs = 0.02, maxDelayMs = 40;
    // Instead of after a delay, the driver kills itself at a step of its replacements chosen between 1
    // and this (0: by delay). Such a run does not depend on the machine's speed.
    std::size_t lastStep = 0;
};
Figures runKills(const RunOptions& options);

std::string describe(const Figures& figures);

} // namespace zel::crash
