#pragma once

#include "core/events/event_record.h"
#include "core/os/file.h"

#include <filesystem>
#include <optional>

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
    // The settings the record has no field for, beside it.
    std::filesystem::path furtherSettings() const { return exeDir / "beallitasok-tovabbi.ini"; }
    std::filesystem::path events(EventKind k) const { return dataDir() / eventFileName(k); }
    // The moment the program last watched the clock, so a start can tell what fell due while it was off.
    std::filesystem::path lastWatched() const { return dataDir() / "utoljara-figyelve.txt"; }
    // What the last synchronisation with the address book on the server agreed on.
    std::filesystem::path syncMap() const { return dataDir() / "szinkron-cimjegyzek.txt"; }
    // What the calendar's last publish left: the events sent and their ETags.
    std::filesystem::path calendarMap() const { return dataDir() / "szinkron-naptar.txt"; }
    // The moment the last sync succeeded, in the last-watched file's form.
    std::filesystem::path lastSync() const { return dataDir() / "szinkron-utoljara.txt"; }
    // Held by whoever uses the data; no data file, and nothing that lists the folder reads it.
    std::filesystem::path dataLock() const { return dataDir() / ".zelmoran.lock"; }
};

// Saves "test" to a new teszt.tmp and deletes it again. The platform's error number when the folder
// takes no file, 0 when it does. Whatever already has the name (a link, a folder, a file an earlier
// start left) is left alone, and the test file gets a name of its own beside it.
int writeTestError(const AppPaths& paths);
inline bool passesWriteTest(const AppPaths& paths) {
    return writeTestError(paths) == 0;
}

// Whether the folder holds data of its own: the Data folder or a settings file.
bool holdsData(const AppPaths& paths);

// The lock that keeps every user of the data alone, whatever build it is (the window, the command
// line). Creates the Data folder when it is missing. Nothing while another process holds it.
std::optional<os::FileLock> takeDataLock(const AppPaths& paths);

// Creates the Data folder when it is missing (failures are ignored) and, when the partner file does
// not exist, writes it with the maker's card. An existing partner file is never replaced.
void preparePartnerFile(const AppPaths& paths);

bool serviceViewRequested(const AppPaths& paths);

// Deletes the files a write beside leaves when the program is killed in the middle of it
// ("<data file>.tmp-XXXXXX"); nothing reads them, but they would pile up. Returns how many went.
std::size_t removeLeftoverTemporaries(const AppPaths& paths);

} // namespace zel
