#include "core/app/paths.h"

#include "core/partners/partner_record.h"
#include "core/storage/record_file.h"

#include <fstream>

namespace zel {
namespace fs = std::filesystem;

bool passesWriteTest(const AppPaths& paths) {
    bool written = false;
    {
        std::ofstream out(paths.writeTest(), std::ios::binary | std::ios::trunc);
        if (out) {
            out << "test\r\n";
            out.flush();
            written = static_cast<bool>(out);
        }
    }
    // Removed whether or not it took its bytes: on a full disk the empty file would stay behind.
    std::error_code ec;
    fs::remove(paths.writeTest(), ec);
    return written;
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

} // namespace zel
