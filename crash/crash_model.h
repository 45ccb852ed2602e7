#pragma once

#include "core/events/event_record.h"
#include "core/text/datetime.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace zel::crash {

// The files a data folder holds; a missing one is nullopt.
enum FileId : std::size_t {
    Partners,
    Reminders,
    Programs,
    NameDays,
    Birthdays,
    SettingsFile,
    LastWatchedFile,
    kFileCount
};
using FolderState = std::array<std::optional<std::string>, kFileCount>;

const char* fileLabel(std::size_t file);
std::filesystem::path filePath(const std::filesystem::path& appFolder, std::size_t file);
std::size_t fileOf(EventKind kind);

// The bytes of every data file of the folder.
FolderState readFolder(const std::filesystem::path& appFolder);
// Makes a fresh folder as a first start leaves it: the maker's card and four empty event files.
void prepareFreshFolder(const std::filesystem::path& appFolder);

// Fills a fresh folder with events of every kind and partners, written plainly (no kill is aimed
// at this), so the writes that follow meet files of several pages.
void populateFolder(const std::filesystem::path& appFolder, std::mt19937_64& rng);

// One write the program can make. Records travel as their file bytes, so the journal holds exactly
// what was asked; `pos` is a record position, `start` makes the settings or is the moment written as
// last watched (milliseconds since day 0) or the moment the moves were worked out for. A move asks
// for each of `moves` the row `records[i]` was read from, at `moves[i].pos`, to go to `moves[i].day`.
enum class OpKind {
    Insert,
    Remove,
    Modify,
    PartnerAdd,
    PartnerChange,
    PartnerRename,
    PartnerDelete,
    Settings,
    Import,
    Move,
    Watched
};
struct MoveTo {
    std::size_t pos = 0;
    DayNumber day = 0;
};
struct Operation {
    OpKind op = OpKind::Insert;
    EventKind kind = EventKind::Reminder;
    std::size_t pos = 0;
    std::uint64_t start = 0;
    std::vector<std::string> records;
    std::vector<MoveTo> moves;
};

std::string formatOperation(const Operation& op);
std::optional<Operation> parseOperation(const std::string& text);

// The states the folder passes through: the first is `before`, the last the state after the
// operation. A write that touches several files adds one state per file, in the program's order.
std::vector<FolderState> statesOf(const FolderState& before, const Operation& op);

// A random operation that makes sense on the state; aims now and then at records that straddle a
// 4 KiB page.
Operation randomOperation(const FolderState& state, std::mt19937_64& rng);

// An in-place rewrite of a record that lies across a 4 KiB page boundary.
bool rewritesStraddlingRecord(const FolderState& before, const Operation& op);

// Performs the operation on the folder through the core's own writers.
void perform(const std::filesystem::path& appFolder, const FolderState& before, const Operation& op);

} // namespace zel::crash
