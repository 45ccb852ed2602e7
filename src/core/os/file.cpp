#include "core/os/file.h"

#include "core/errors.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zel::os {
namespace fs = std::filesystem;

namespace {

std::atomic<ReplaceObserver> replaceObserver{nullptr};

void report(ReplaceStep step, const fs::path& file) {
    if (const ReplaceObserver observer = replaceObserver.load(std::memory_order_relaxed))
        observer(step, file);
}

[[noreturn]] void fail(const fs::path& path, int code = errno) {
    throw IoError(code, path.string());
}

int openFlags(File::Access access) {
    switch (access) {
    case File::Access::Read:
        return O_RDONLY;
    case File::Access::ReadWrite:
        return O_RDWR;
    case File::Access::ReadWriteCreate:
        return O_RDWR | O_CREAT;
    }
    return O_RDONLY;
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

// Fills the new file of a replacement. The disk is asked to take every step written while the next
// one is copied, so the fsync at the end waits for the last step only instead of the whole file.
class NewFileWriter {
  public:
    NewFileWriter(const fs::path& requested, int fd) : requested_(requested), fd_(fd) {}

    void append(std::string_view bytes) {
        while (!bytes.empty()) {
            const std::size_t n = std::min(bytes.size(), kStep);
            writeAll(requested_, fd_, bytes.substr(0, n));
            bytes.remove_prefix(n);
            wrote(n);
        }
    }

    // `length` bytes of `from`, starting at `offset`, through a small buffer. (Not copy_file_range:
    // on ext4 it saves nothing measurable, and it hands the data to the file systems' cloning code.)
    void append(int from, std::uint64_t offset, std::uint64_t length) {
        std::vector<char> buf(std::min<std::uint64_t>(length, 1 << 16));
        while (length > 0) {
            const ssize_t n = ::pread(from, buf.data(), std::min<std::uint64_t>(length, buf.size()),
                                      static_cast<off_t>(offset));
            if (n < 0) {
                if (errno == EINTR) continue;
                fail(requested_);
            }
            // The source ended before its range: it changed under the copy.
            if (n == 0) fail(requested_, EINVAL);
            writeAll(requested_, fd_, std::string_view(buf.data(), static_cast<std::size_t>(n)));
            offset += static_cast<std::uint64_t>(n);
            length -= static_cast<std::uint64_t>(n);
            wrote(static_cast<std::size_t>(n));
        }
    }

  private:
    static constexpr std::size_t kStep = 1 << 20;

    void wrote(std::size_t n) {
        written_ += n;
        if (written_ - started_ < kStep) return;
#ifdef SYNC_FILE_RANGE_WRITE
        // Only a start: the fsync still decides. A refusal leaves it all to the fsync.
        ::sync_file_range(fd_, static_cast<off_t>(started_), static_cast<off_t>(written_ - started_),
                          SYNC_FILE_RANGE_WRITE);
#endif
        started_ = written_;
    }

    const fs::path& requested_;
    int fd_;
    std::uint64_t written_ = 0, started_ = 0;
};

void syncFolderOf(const fs::path& path) {
    const fs::path dir = path.has_parent_path() ? path.parent_path() : fs::path(".");
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd); // best effort: the rename itself already happened
        ::close(fd);
        report(ReplaceStep::FolderSynced, path);
    }
}

// Writes a file this process has just created and closes it; on failure the file goes again.
void fillNewFile(const fs::path& path, int fd, std::string_view bytes) {
    try {
        writeAll(path, fd, bytes);
    } catch (...) {
        ::close(fd);
        ::unlink(path.c_str());
        throw;
    }
    if (::close(fd) != 0) {
        const int code = errno;
        ::unlink(path.c_str());
        fail(path, code);
    }
}

// A link is followed to the file it names, so the link stays and its target gets the new bytes.
fs::path targetOf(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_symlink(path, ec)) return path;
    const fs::path target = fs::weakly_canonical(path, ec);
    return ec ? path : target;
}

} // namespace

File::File(const fs::path& path, Access access) : path_(path) {
    do {
        fd_ = ::open(path.c_str(), openFlags(access) | O_CLOEXEC, 0644);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) fail(path);
}

File::~File() {
    if (fd_ >= 0) ::close(fd_);
}

bool File::isFolder() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) fail(path_);
    return S_ISDIR(st.st_mode);
}

std::uint64_t File::size() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) fail(path_);
    return static_cast<std::uint64_t>(st.st_size);
}

std::size_t File::read(void* into, std::size_t n) {
    for (;;) {
        const ssize_t got = ::read(fd_, into, n);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) fail(path_);
    }
}

void File::readAt(void* into, std::size_t n, std::uint64_t offset) {
    auto* out = static_cast<char*>(into);
    std::size_t got = 0;
    while (got < n) {
        const ssize_t r = ::pread(fd_, out + got, n - got, static_cast<off_t>(offset + got));
        if (r < 0) {
            if (errno == EINTR) continue;
            fail(path_);
        }
        if (r == 0) fail(path_, EINVAL); // the bytes are gone: as if the place were past the end
        got += static_cast<std::size_t>(r);
    }
}

void File::writeAt(std::string_view bytes, std::uint64_t offset) {
    while (!bytes.empty()) {
        const ssize_t n = ::pwrite(fd_, bytes.data(), bytes.size(), static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(path_);
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
        offset += static_cast<std::uint64_t>(n);
    }
}

void File::sync() {
    if (::fsync(fd_) != 0) fail(path_);
}

void replaceAtomically(const fs::path& requested, std::initializer_list<ReplacePiece> pieces) {
    const fs::path path = targetOf(requested);
    std::string name = path.string() + ".tmp-XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    // Every failure names the file the caller asked for: the temporary is gone by the time anyone
    // reads the message.
    if (fd < 0) fail(requested);
    const fs::path tmp = name;
    try {
        struct stat st {};
        const mode_t mode = ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
        if (::fchmod(fd, mode) != 0) fail(requested);
        NewFileWriter writer(requested, fd);
        for (const ReplacePiece& piece : pieces) {
            if (piece.source)
                writer.append(piece.source->fd_, piece.offset, piece.length);
            else
                writer.append(piece.bytes);
        }
        report(ReplaceStep::Written, path);
        if (::fsync(fd) != 0) fail(requested);
        report(ReplaceStep::FileSynced, path);
    } catch (...) {
        ::close(fd);
        ::unlink(tmp.c_str());
        throw;
    }
    if (::close(fd) != 0) {
        const int code = errno;
        ::unlink(tmp.c_str());
        fail(requested, code);
    }
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        const int code = errno;
        ::unlink(tmp.c_str());
        fail(requested, code);
    }
    report(ReplaceStep::Renamed, path);
    syncFolderOf(path);
}

void setReplaceObserver(ReplaceObserver observer) {
    replaceObserver.store(observer, std::memory_order_relaxed);
}

void createNew(const fs::path& path, std::string_view bytes) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) fail(path);
    fillNewFile(path, fd, bytes);
}

fs::path createUnique(const fs::path& prefix, std::string_view bytes) {
    std::string name = prefix.string() + "XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) fail(prefix);
    const fs::path path = name;
    fillNewFile(path, fd, bytes);
    return path;
}

std::optional<FileLock> FileLock::tryTake(const fs::path& path) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) fail(path);
    // flock, not fcntl: a lock of this process's own other open conflicts too, and closing some
    // other descriptor of the file does not drop it.
    int taken;
    do {
        taken = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (taken != 0 && errno == EINTR);
    if (taken != 0) {
        const int code = errno;
        ::close(fd);
        if (code == EWOULDBLOCK) return std::nullopt;
        // A file system that keeps no locks must not keep the program from its data.
        if (code != ENOLCK && code != EOPNOTSUPP) fail(path, code);
        return FileLock(path, -1);
    }
    return FileLock(path, fd);
}

FileLock::FileLock(FileLock&& other) noexcept : path_(std::move(other.path_)), fd_(other.fd_) {
    other.fd_ = -1;
}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        path_ = std::move(other.path_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

FileLock::~FileLock() {
    if (fd_ >= 0) ::close(fd_);
}

void FileLock::note(std::string_view text) {
    if (fd_ < 0) return;
    if (::ftruncate(fd_, 0) != 0 || ::lseek(fd_, 0, SEEK_SET) != 0) fail(path_);
    writeAll(path_, fd_, text);
}

std::optional<FileStamp> stampOf(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    const auto ns = [](const timespec& t) { return std::int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec; };
    return FileStamp{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                     static_cast<std::uint64_t>(st.st_size), ns(st.st_mtim), ns(st.st_ctim)};
}

void populate(void* data, std::size_t size) {
#ifdef MADV_POPULATE_WRITE
    if (size < (1u << 20)) return;
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto from = (reinterpret_cast<std::uintptr_t>(data) + page - 1) / page * page;
    const auto to = (reinterpret_cast<std::uintptr_t>(data) + size) / page * page;
    if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
#else
    (void)data;
    (void)size;
#endif
}

} // namespace zel::os
