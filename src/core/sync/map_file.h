#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

// What the syncs remember between runs is kept in small text files of TAB-separated lines, one record
// a line. These are the rules they share.

// A larger file is not one the program wrote.
constexpr std::size_t kSyncMapMaxSize = 256u << 20;

// A file that is not a map as the program writes it. Syncing on from it could delete or duplicate
// records, so it is never read as an empty map.
class SyncMapDamaged : public std::runtime_error {
  public:
    SyncMapDamaged(std::size_t line, const std::string& path = {})
        : std::runtime_error("damaged sync map" + (path.empty() ? "" : " " + path) + ", line " +
                             std::to_string(line)),
          line_(line), path_(path) {}
    // 1-based; the line after the last one when the end is missing.
    std::size_t line() const { return line_; }
    const std::string& path() const { return path_; }

  private:
    std::size_t line_;
    std::string path_;
};

// A value as a line holds it: a backslash, a TAB, an LF and a CR are written \\, \t, \n and \r.
void putMapValue(std::string& out, std::string_view value);
// The line's values split at TAB and unescaped; nothing when an escape is unknown or cut off, or a raw
// CR stands in it.
std::optional<std::vector<std::string>> mapValues(std::string_view line);
// The file's lines without their LFs; SyncMapDamaged when the last one is not ended.
std::vector<std::string_view> mapLines(std::string_view bytes);
// The single value of a "key<TAB>value" line at `index`, else SyncMapDamaged naming it.
std::string mapSingleValue(const std::vector<std::string_view>& lines, std::size_t index,
                           std::string_view key);

// The file's bytes; nothing when it is missing. IoError when it cannot be read, and when it is larger
// than kSyncMapMaxSize (EFBIG).
std::optional<std::string> readMapFile(const std::filesystem::path& path);

} // namespace zel
