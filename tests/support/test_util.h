#pragma once

#include "core/events/event_record.h"
#include "core/partners/partner_record.h"
#include "core/storage/record_file.h"
#include "core/text/cp1250.h"
#include "core/text/datetime.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace zel::test {

// A fresh folder under the system's temp folder, removed when the test ends.
class TempDir {
  public:
    TempDir() { std::filesystem::create_directories(path_); }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_ =
        std::filesystem::temp_directory_path() /
        ("zel-test-" + std::to_string(std::random_device()()) + std::to_string(std::random_device()()));
};

inline std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void writeFile(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string cp(std::string_view utf8) {
    return utf8ToCp1250(utf8);
}

// An event at a day and a time; the text is given in UTF-8 and stored in Windows-1250.
inline EventRecord event(DayNumber day, int h, int m, std::string_view utf8, bool active = true,
                         Recurrence recurrence = Recurrence::Never) {
    return {active, recurrence, cp(utf8), static_cast<double>(day), storedFromMinute(h * 60 + m)};
}

inline std::string eventBytes(EventKind k, const std::vector<EventRecord>& recs) {
    std::string bytes;
    for (const auto& r : recs)
        bytes += encodeEvent(k, r);
    return bytes;
}

inline void writeEvents(const std::filesystem::path& p, EventKind k, const std::vector<EventRecord>& recs) {
    std::filesystem::create_directories(p.parent_path());
    replaceFile(p, eventBytes(k, recs));
}

inline std::vector<EventRecord> readEvents(const std::filesystem::path& p, EventKind k) {
    const std::string bytes = readRecords(p, recordSize(k));
    std::vector<EventRecord> out;
    for (std::size_t i = 0; i < bytes.size(); i += recordSize(k))
        out.push_back(decodeEvent(k, reinterpret_cast<const std::uint8_t*>(bytes.data() + i)));
    return out;
}

inline PartnerRecord partner(std::string_view name, std::string email = "", std::string mobile = "") {
    return {cp(name), {}, {}, std::move(email), std::move(mobile), {}, {}}; // name, email, mobile
}

inline std::string partnerBytes(const std::vector<PartnerRecord>& records) {
    std::string bytes;
    for (const auto& r : records)
        bytes += encodePartner(r);
    return bytes;
}

} // namespace zel::test
