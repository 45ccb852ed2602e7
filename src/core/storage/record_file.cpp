#include "core/storage/record_file.h"

#include "core/errors.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zel {
namespace fs = std::filesystem;

namespace {

// Closes the descriptor on every way out.
class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

  private:
    int fd_;
};

[[noreturn]] void fail(const fs::path& path, int code = errno) {
    throw IoError(code, path.string());
}

Fd openOrThrow(const fs::path& path, int flags, mode_t mode = 0644) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) fail(path);
    return Fd(fd);
}

void writeAll(const fs::path& path, int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(path);
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

void writeAllAt(const fs::path& path, int fd, std::string_view bytes, off_t offset) {
    while (!bytes.empty()) {
        const ssize_t n = ::pwrite(fd, bytes.data(), bytes.size(), offset);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(path);
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
        offset += n;
    }
}

void readAllAt(const fs::path& path, int fd, std::string& out, off_t offset) {
    std::size_t got = 0;
    while (got < out.size()) {
        const ssize_t n = ::pread(fd, out.data() + got, out.size() - got, offset + static_cast<off_t>(got));
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(path);
        }
        if (n == 0) fail(path, EINVAL); // the record is gone: as if pos were past the end
        got += static_cast<std::size_t>(n);
    }
}

std::string readAll(const fs::path& path, int fd) {
    std::string out;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > 0) out.reserve(static_cast<std::size_t>(st.st_size));
    char buf[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(path);
        }
        if (n == 0) break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    return out;
}

void syncFolderOf(const fs::path& path) {
    const fs::path dir = path.has_parent_path() ? path.parent_path() : fs::path(".");
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd); // best effort: the rename itself already happened
        ::close(fd);
    }
}

void writeBeside(const fs::path& path, std::initializer_list<std::string_view> pieces) {
    fs::path tmp = path;
    tmp += ".new";
    mode_t mode = 0644;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) mode = st.st_mode & 07777;
    {
        Fd fd = openOrThrow(tmp, O_WRONLY | O_CREAT | O_TRUNC, mode);
        try {
            for (auto piece : pieces)
                writeAll(tmp, fd.get(), piece);
            if (::fsync(fd.get()) != 0) fail(tmp);
        } catch (...) {
            ::unlink(tmp.c_str());
            throw;
        }
        if (::close(fd.release()) != 0) {
            const int code = errno;
            ::unlink(tmp.c_str());
            fail(tmp, code);
        }
    }
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        const int code = errno;
        ::unlink(tmp.c_str());
        fail(path, code);
    }
    syncFolderOf(path);
}

} // namespace

std::size_t recordCount(std::size_t byteCount, std::size_t recordSize) {
    return byteCount / recordSize;
}

void openOrCreate(const fs::path& path) {
    // O_CREAT without O_TRUNC: an existing file keeps its bytes; one we may not open is an error.
    Fd fd = openOrThrow(path, O_RDWR | O_CREAT);
}

void checkOpens(const fs::path& path) {
    Fd fd = openOrThrow(path, O_RDONLY);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) fail(path);
    if (S_ISDIR(st.st_mode)) fail(path, EISDIR);
}

std::string readRecords(const fs::path& path, std::size_t recordSize) {
    Fd fd = openOrThrow(path, O_RDONLY);
    std::string bytes = readAll(path, fd.get());
    bytes.resize(recordCount(bytes.size(), recordSize) * recordSize);
    return bytes;
}

std::size_t forEachRecord(const fs::path& path, std::size_t recordSize,
                          const std::function<void(const std::uint8_t*, std::size_t)>& visit) {
    Fd fd = openOrThrow(path, O_RDONLY);
    std::vector<std::uint8_t> buf(recordSize * std::max<std::size_t>(1, (256 * 1024) / recordSize));
    std::size_t filled = 0, index = 0;
    for (;;) {
        const ssize_t n = ::read(fd.get(), buf.data() + filled, buf.size() - filled);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(path);
        }
        filled += static_cast<std::size_t>(n);
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

std::string readRecordsIfExists(const fs::path& path, std::size_t recordSize) {
    std::error_code ec;
    if (!fs::exists(path, ec) && !ec) return {};
    return readRecords(path, recordSize);
}

void replaceFile(const fs::path& path, std::string_view bytes) {
    writeBeside(path, {bytes});
}

void insertRecordAt(const fs::path& path, std::size_t recordSize, std::size_t pos, std::string_view record) {
    const std::string old = readRecordsIfExists(path, recordSize);
    const std::size_t n = recordCount(old.size(), recordSize);
    if (pos > n || record.size() != recordSize) fail(path, EINVAL);
    const std::string_view all(old);
    writeBeside(path, {all.substr(0, pos * recordSize), record, all.substr(pos * recordSize)});
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
    writeBeside(path, {all.substr(0, pos * recordSize), record, all.substr(pos * recordSize)});
    return pos;
}

void removeRecordAt(const fs::path& path, std::size_t recordSize, std::size_t pos) {
    const std::string old = readRecords(path, recordSize);
    const std::size_t n = recordCount(old.size(), recordSize);
    if (pos >= n) fail(path, EINVAL);
    const std::string_view all(old);
    writeBeside(path, {all.substr(0, pos * recordSize), all.substr((pos + 1) * recordSize)});
}

void rewriteRecordAt(const fs::path& path, std::size_t recordSize, std::size_t pos, std::string_view record) {
    if (record.size() != recordSize) fail(path, EINVAL);
    Fd fd = openOrThrow(path, O_RDWR);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) fail(path);
    if (pos >= recordCount(static_cast<std::size_t>(st.st_size), recordSize)) fail(path, EINVAL);
    const off_t at = static_cast<off_t>(pos * recordSize);
    // A write stopped partway (disk full, file size limit) would leave a record half old, half new,
    // so the old bytes are kept to put back over whatever part of it was written.
    std::string old(recordSize, '\0');
    readAllAt(path, fd.get(), old, at);
    try {
        writeAllAt(path, fd.get(), record, at);
    } catch (const IoError&) {
        try {
            writeAllAt(path, fd.get(), old, at);
        } catch (const IoError&) {
            // Best effort: past the point the first write reached, the old bytes never changed.
        }
        throw;
    }
    if (::fsync(fd.get()) != 0) fail(path);
}

} // namespace zel
