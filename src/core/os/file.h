#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <utility>

namespace zel::os {

// The platform's file calls, in one place: a port to another system changes this unit only. Every
// failure throws IoError with the platform's error number.

struct ReplacePiece;

class File {
  public:
    enum class Access { Read, ReadWrite, ReadWriteCreate };

    // ReadWriteCreate creates a missing file empty and never truncates an existing one.
    File(const std::filesystem::path& path, Access access);
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File();

    bool isFolder() const;
    std::uint64_t size() const;
    // Up to n bytes; 0 at the end of the file.
    std::size_t read(void* into, std::size_t n);
    // Exactly n bytes at offset; a file that ends before them fails with EINVAL.
    void readAt(void* into, std::size_t n, std::uint64_t offset);
    void writeAt(std::string_view bytes, std::uint64_t offset);
    void sync();

  private:
    // Copies ranges of the file into a replacement.
    friend void replaceAtomically(const std::filesystem::path& path,
                                  std::initializer_list<ReplacePiece> pieces);

    std::filesystem::path path_;
    int fd_ = -1;
};

// One part of a replacement's new contents: bytes in memory, or `length` bytes of an open file from
// `offset` on, copied through a small buffer, so a large file is never held whole in memory.
struct ReplacePiece {
    ReplacePiece(std::string_view inMemory) : bytes(inMemory) {}
    ReplacePiece(const File& from, std::uint64_t at, std::uint64_t count)
        : source(&from), offset(at), length(count) {}

    std::string_view bytes;
    const File* source = nullptr;
    std::uint64_t offset = 0, length = 0;
};

// Writes the pieces into a new file beside `path` (its own folder, a unique name, created exclusively,
// so never through a planted link), with the permissions of the file it replaces, flushes it to disk
// and renames it over `path` in one step. On failure the new file is removed and `path` is as it was.
// A `path` that is a link is replaced at its target. A failure names `path`, never the new file. A
// source that ends before a range of it does fails with EINVAL: it changed under the copy, and what
// was left of it must not become the file.
void replaceAtomically(const std::filesystem::path& path, std::initializer_list<ReplacePiece> pieces);

// The steps of a replacement, in the order they happen: the new file written and then flushed to disk,
// renamed over the old one, and the folder's new entry flushed.
enum class ReplaceStep { Written, FileSynced, Renamed, FolderSynced };
// Told of every step of every replacement in the process, with the file replaced; none by default.
// For the checks that must see the order of the steps, or stop the process between two of them.
using ReplaceObserver = void (*)(ReplaceStep step, const std::filesystem::path& file);
void setReplaceObserver(ReplaceObserver observer);

// Creates `path` as a new file holding `bytes`: exclusively, so never over what is there and never
// through a link planted at the name. A write that fails removes the file it created.
void createNew(const std::filesystem::path& path, std::string_view bytes);
// The same under a name of its own: `prefix` followed by six characters that make it unique.
std::filesystem::path createUnique(const std::filesystem::path& prefix, std::string_view bytes);

// An advisory lock on one file, held while the object lives. The system drops it when the process
// ends, however it ends, so a killed or crashed holder never leaves it taken.
class FileLock {
  public:
    // Takes the lock on `path`, creating the file when it is missing (never through a link).
    // Nothing when another holder has it, in this process or another; a file system without locks
    // gives a lock that holds nothing. Throws when the file cannot be opened.
    static std::optional<FileLock> tryTake(const std::filesystem::path& path);
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    ~FileLock();

    // Puts `text` in the file in place of what was there, for whoever finds the lock taken.
    void note(std::string_view text);

  private:
    FileLock(std::filesystem::path path, int fd) : path_(std::move(path)), fd_(fd) {}
    std::filesystem::path path_;
    int fd_ = -1;
};

// What tells one state of a file from another without reading it: which file it is, its size and
// its change times (a link is followed).
struct FileStamp {
    std::uint64_t device = 0, inode = 0, size = 0;
    std::int64_t modifiedNs = 0, changedNs = 0;
    bool operator==(const FileStamp&) const = default;
};
// Nothing when the file cannot be asked (missing, say).
std::optional<FileStamp> stampOf(const std::filesystem::path& path);

// Asks the system to back a fresh buffer with memory in one call, which is far cheaper than page by
// page on some machines. A hint: a refusal is harmless.
void populate(void* data, std::size_t size);

} // namespace zel::os
