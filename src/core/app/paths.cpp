#include "core/app/paths.h"

#include "core/errors.h"
#include "core/partners/partner_record.h"
#include "core/storage/record_file.h"

#include <cerrno>
#include <vector>

namespace zel {
namespace fs = std::filesystem;

int writeTestError(const AppPaths& paths) {
    constexpr std::string_view kBytes = "test\r\n";
    fs::path made = paths.writeTest();
    try {
        try {
            os::createNew(made, kBytes);
        } catch (const IoError& e) {
            if (e.code() != EEXIST) throw;
            made = os::createUnique(paths.writeTest().string() + "-", kBytes);
        }
    } catch (const IoError& e) {
        return e.code();
    }
    // Only the file made here goes; a failed write already took its own file away.
    std::error_code ec;
    fs::remove(made, ec);
    return 0;
}

bool holdsData(const AppPaths& paths) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(paths.dataDir(), ec)) ||
           fs::exists(fs::symlink_status(paths.settings(), ec)) ||
           fs::exists(fs::symlink_status(paths.furtherSettings(), ec));
}

std::optional<os::FileLock> takeDataLock(const AppPaths& paths) {
    std::error_code ec;
    fs::create_directory(paths.dataDir(), ec);
    return os::FileLock::tryTake(paths.dataLock());
}

void preparePartnerFile(const AppPaths& paths) {
    std::error_code ec;
    fs::create_directory(paths.dataDir(), ec);
    ec.clear();
    const bool exists = fs::exists(paths.partners(), ec);
    if (exists || ec) {
        // Prove that it opens; an unreadable file is reported, not replaced.
        checkOpens(paths.partners());
        return;
    }
    replaceFile(paths.partners(), encodePartner(makerCard()));
}

bool serviceViewRequested(const AppPaths& paths) {
    std::error_code ec;
    return fs::exists(paths.serviceMarker(), ec);
}

std::size_t removeLeftoverTemporaries(const AppPaths& paths) {
    std::vector<fs::path> owners{paths.partners(),    paths.settings(), paths.furtherSettings(),
                                 paths.lastWatched(), paths.syncMap(),  paths.calendarMap(),
                                 paths.lastSync()};
    for (EventKind kind : kAllEventKinds)
        owners.push_back(paths.events(kind));
    std::size_t removed = 0;
    for (const fs::path& owner : owners) {
        const std::string prefix = owner.filename().string() + ".tmp-";
        std::error_code ec;
        for (fs::directory_iterator it(owner.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            // Exactly the six characters mkstemp puts in, so no file of the user's is taken for one.
            if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
            std::error_code removeError;
            if (it->is_regular_file(removeError) && fs::remove(it->path(), removeError)) ++removed;
        }
    }
    return removed;
}

} // namespace zel
