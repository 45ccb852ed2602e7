#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace zel {

// Fixed-size record files: no header, record k at k × size. Every failure throws IoError with the
// platform's error number. A trailing partial record is never read and is dropped by the next change.

// Creates the file empty when it is missing. An existing file that cannot be opened for reading and
// writing is reported, never replaced.
void openOrCreate(const std::filesystem::path& path);

// Opens the file for reading and closes it again; throws when it does not open.
void checkOpens(const std::filesystem::path& path);

// The whole records of the file. A missing file throws.
std::string readRecords(const std::filesystem::path& path, std::size_t recordSize);
// Hands every whole record to `visit` in file order, reading through one small buffer, so a large
// file never needs a copy of its own in memory. Returns the number of records.
std::size_t forEachRecord(const std::filesystem::path& path, std::size_t recordSize,
                          const std::function<void(const std::uint8_t* record, std::size_t index)>& visit);
// At most the first n bytes of the file; the rest is never read. A missing file throws.
std::string readFirstBytes(const std::filesystem::path& path, std::size_t n);
// The same as readRecords, but a missing file reads as empty.
std::string readRecordsIfExists(const std::filesystem::path& path, std::size_t recordSize);

// Writes the bytes beside the file, flushes them to disk and renames them over it, so a crash leaves
// either the old or the new file.
void replaceFile(const std::filesystem::path& path, std::string_view bytes);

// Inserts one record at position pos (0 … count), moving the later ones up.
void insertRecordAt(const std::filesystem::path& path, std::size_t recordSize, std::size_t pos,
                    std::string_view record);
// Inserts before the first record for which goesAfter(existing) holds, or at the end. Returns the
// position taken.
std::size_t insertRecordOrdered(const std::filesystem::path& path, std::size_t recordSize,
                                std::string_view record,
                                const std::function<bool(const std::uint8_t* existing)>& goesAfter);
// Removes the record at pos and closes the gap.
void removeRecordAt(const std::filesystem::path& path, std::size_t recordSize, std::size_t pos);
// Puts one record in place of record pos; nothing else moves. The file is rewritten beside, so the
// record is never seen half written.
void rewriteRecordAt(const std::filesystem::path& path, std::size_t recordSize, std::size_t pos,
                     std::string_view record);

std::size_t recordCount(std::size_t byteCount, std::size_t recordSize);

} // namespace zel
