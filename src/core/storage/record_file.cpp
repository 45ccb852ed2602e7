#include "core/storage/record_file.h"

#include "core/errors.h"
#include "core/os/file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
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

// The whole records of a file about to be changed, open for reading while the new file is written,
// so the records that stay are copied from it without passing through memory.
class RecordSource {
  public:
    RecordSource(const fs::path& path, std::size_t recordSize, bool missingIsEmpty)
        : recordSize_(recordSize) {
        try {
            file_.emplace(path, File::Access::Read);
        } catch (const IoError& e) {
            if (!missingIsEmpty || (e.code() != ENOENT && e.code() != ENOTDIR)) throw;
            return;
        }
        if (file_->isFolder()) fail(path, EISDIR);
        // A trailing partial record is no record: it is left out of the new file.
        count_ = recordCount(static_cast<std::size_t>(file_->size()), recordSize);
    }

    std::size_t count() const { return count_; }

    // Records from … to (exclusive), as a piece of the new file.
    os::ReplacePiece records(std::size_t from, std::size_t to) const {
        if (!file_ || from >= to) return std::string_view();
        return {*file_, std::uint64_t{from} * recordSize_, std::uint64_t{to - from} * recordSize_};
    }

    // The first record for which the test holds, or count() when none does. Only as many records are
    // read as it takes, through one small buffer.
    std::size_t firstWhere(const std::function<bool(const std::uint8_t*)>& test) {
        std::vector<std::uint8_t> buf(recordSize_ * std::max<std::size_t>(1, (64 * 1024) / recordSize_));
        const std::size_t perRead = buf.size() / recordSize_;
        for (std::size_t at = 0; at < count_; at += perRead) {
            const std::size_t k = std::min(perRead, count_ - at);
            file_->readAt(buf.data(), k * recordSize_, std::uint64_t{at} * recordSize_);
            for (std::size_t i = 0; i < k; ++i)
                if (test(buf.data() + i * recordSize_)) return at + i;
        }
        return count_;
    }

  private:
    std::optional<File> file_;
    std::size_t recordSize_;
    std::size_t count_ = 0;
};

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
    const RecordSource old(path, recordSize, true);
    const std::size_t n = old.count();
    if (pos > n || record.size() != recordSize) fail(path, EINVAL);
    os::replaceAtomically(path, {old.records(0, pos), record, old.records(pos, n)});
}

std::size_t insertRecordOrdered(const fs::path& path, std::size_t recordSize, std::string_view record,
                                const std::function<bool(const std::uint8_t*)>& goesAfter) {
    RecordSource old(path, recordSize, true);
    const std::size_t n = old.count();
    if (record.size() != recordSize) fail(path, EINVAL);
    const std::size_t pos = old.firstWhere(goesAfter);
    os::replaceAtomically(path, {old.records(0, pos), record, old.records(pos, n)});
    return pos;
}

void removeRecordAt(const fs::path& path, std::size_t recordSize, std::size_t pos) {
    const RecordSource old(path, recordSize, false);
    const std::size_t n = old.count();
    if (pos >= n) fail(path, EINVAL);
    os::replaceAtomically(path, {old.records(0, pos), old.records(pos + 1, n)});
}

void rewriteRecordAt(const fs::path& path, std::size_t recordSize, std::size_t pos, std::string_view record) {
    if (record.size() != recordSize) fail(path, EINVAL);
    const RecordSource old(path, recordSize, false);
    const std::size_t n = old.count();
    if (pos >= n) fail(path, EINVAL);
    // Written beside and renamed like every other change: a record written in place can straddle two
    // pages, and a crash between them would leave it half old, half new.
    os::replaceAtomically(path, {old.records(0, pos), record, old.records(pos + 1, n)});
}

} // namespace zel
