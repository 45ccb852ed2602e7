#pragma once

#include "core/events/event_record.h"

#include <filesystem>

namespace zel {

constexpr const char* kAppTitle = "Zelmoran v1.6.1";

// Every data path is the executable's folder plus a fixed name; the working directory never counts.
struct AppPaths {
    std::filesystem::path exeDir;

    std::filesystem::path writeTest() const { return exeDir / "teszt.tmp"; }
    std::filesystem::path serviceMarker() const { return exeDir / "szervizmod"; }
    std::filesystem::path dataDir() const { return exeDir / "Data"; }
    std::filesystem::path partners() const { return dataDir() / "partnerek.dat"; }
    std::filesystem::path settings() const { return exeDir / "beallitasok.cfg"; }
    std::filesystem::path events(EventKind k) const { return dataDir() / eventFileName(k); }
};

// Saves "test" to teszt.tmp and deletes it again. False when the folder takes no file.
bool passesWriteTest(const AppPaths& paths);

// Creates the Data folder when it is missing (failures are ignored) and, when the partner file does
// not exist, writes it with the maker's card. An existing partner file is never replaced.
void preparePartnerFile(const AppPaths& paths);

bool serviceViewRequested(const AppPaths& paths);

// Deletes the files a write beside leaves when the program is killed in the middle of it
// ("<data file>.tmp-XXXXXX"); nothing reads them, but they would pile up. Returns how many went.
std::size_t removeLeftoverTemporaries(const AppPaths& paths);

} // namespace zel
