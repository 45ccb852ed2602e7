#pragma once

#include "core/app/paths.h"

#include <QString>
#include <optional>
#include <string>

namespace zel::app {

// What "--sync" was given.
struct SyncOptions {
    // Another server than the account's: both or neither, and then with a password file. The server
    // as the account keeps one ("https://" put before one without a scheme).
    QString server, user;
    // The name as the argument holds it.
    std::optional<std::string> passwordFile;
    bool allowDeletions = false;
};

// Synchronises the partners in the data folder with the account's address book, or with the one
// the server given offers, on an event loop; prints the report or why it failed and returns the exit
// status. The caller holds the data folder's lock. Throws IoError for a data file that cannot be read
// or written outside the sync itself.
int runSync(const AppPaths& paths, const SyncOptions& options);

} // namespace zel::app
