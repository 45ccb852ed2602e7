#include "core/storage/record_file.h"

#include "core/errors.h"
#include "core/os/file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace zel {
namespace fs = std::filesystem;
using os::File;

namespace {

[[noreturn]] void fail(const fs::path& path, int code) {
    throw IoError(code, path.string());
}

std::string readAll(File& file) {
    std::string out;
    out.reserve(static_cast<std::size_t>(file.size()));
    char buf[1 << 16];
    while (const std::size_t n = file.read(buf, sizeof buf))
        out.append(buf, n);
    return out;
}

} // namespace

std::size_t recordCount(std::size_t byteCount, std::size_t recordSize) {
    return byteCount / recordSize;
}

void openOrCreate(const fs::path& path) {
    // An existing file keeps its bytes; one we may not open is an error.
    File file(path, File::Access::ReadWriteCreate);
}

void checkOpens(const fs::path& path) {
    File file(path, File::Access::Read);
    if (file.isFolder()) fail(path, EISDIR);
}

std::string readRecords(const fs::path& path, std::size_t recordSize) {
    File file(path, File::Access::Read);
    std::string bytes = readAll(file);
    bytes.resize(recordCount(bytes.size(), recordSize) * recordSize);
    return bytes;
}

std::size_t forEachRecord(const fs::path& path, std::size_t recordSize,
                          const std::function<void(const std::uint8_t*, std::size_t)>& visit) {
    File file(path, File::Access::Read);
    std::vector<std::uint8_t> buf(recordSize * std::max<std::size_t>(1, (256 * 1024) / recordSize));
    std::size_t filled = 0, index = 0;
    for (;;) {
        const std::size_t n = file.read(buf.data() + filled, buf.size() - filled);
        filled += n;
        const std::size_t whole = filled / recordSize * recordSize;
        if (n == 0 || filled == buf.size()) {
            for (std::size_t at = 0; at < whole; at += recordSize)
                visit(buf.data() + at, index++);
            // A trailing partial record waits for the rest of its bytes, or is dropped at the end.
            std::memmove(buf.data(), buf.data() + whole, filled - whole);
            filled -= whole;
        }
        if (n == 0) break;
    }
    return index;
}

std::string readFirstBytes(const fs::path& path, std::size_t n) {
    File file(path, File::Access::Read);
    std::string out(n, '\0');
    std::size_t got = 0;
    while (got < n) {
        const std::size_t k = file.read(out.data() + got, n - got);
        if (k == 0) break;
        got += k;
    }
    out.resize(got);
    return out;
}

std::string readRecordsIfExists(const fs::path& path, std::size_t recordSize) {
    std::error_code ec;
    if (!fs::exists(path, ec) && !ec) return {};
    return readRecords(path, recordSize);
}

void replaceFile(const fs::path& path, std::string_view bytes) {
    os::replaceAtomically(path, {bytes});
}

void insertRecordAt(const fs::path& path, std::size_t recordSize, std::size_t pos, std::string_view record) {
    const std::string old = readRecordsIfExists(path, recordSize);
    const std::size_t n = recordCount(old.size(), recordSize);
    if (pos > n || record.size() != recordSize) fail(path, EINVAL);
    const std::string_view all(old);
    os::replaceAtomically(path, {all.substr(0, pos * recordSize), record, all.substr(pos * recordSize)});
}

std::size_t insertRecordOrdered(const fs::path& path, std::size_t recordSize, std::string_view record,
                                const std::function<bool(const std::uint8_t*)>& goesAfter) {
    const std::string old = readRecordsIfExists(path, recordSize);
    const std::size_t n = recordCount(old.size(), recordSize);
    if (record.size() != recordSize) fail(path, EINVAL);
    const auto* base = reinterpret_cast<const std::uint8_t*>(old.data());
    std::size_t pos = 0;
    while (pos < n && !goesAfter(base + pos * recordSize))
        ++pos;
    const std::string_view all(old);
    os::replaceAtomically(path, {all.substr(0, pos * recordSize), record, all.substr(pos * recordSize)});
    return pos;
}

void removeRecordAt(const fs::path& path, std::size_t recordSize, std::size_t pos) {
    const std::string old = readRecords(path, recordSize);
    const std::size_t n = recordCount(old.size(), recordSize);
    if (pos >= n) fail(path, EINVAL);
    const std::string_view all(old);
    os::replaceAtomically(path, {all.substr(0, pos * recordSize), all.substr((pos + 1) * recordSize)});
}

void rewriteRecordAt(const fs::path& path, std::size_t recordSize, std::size_t pos, std::string_view record) {
    if (record.size() != recordSize) fail(path, EINVAL);
    std::string bytes = readRecords(path, recordSize);
    if (pos >= recordCount(bytes.size(), recordSize)) fail(path, EINVAL);
    // Written beside and renamed like every other change: a record written in place can straddle two
    // pages, and a crash between them would leave it half old, half new.
    bytes.replace(pos * recordSize, recordSize, record);
    replaceFile(path, bytes);
}

} // namespace zel
