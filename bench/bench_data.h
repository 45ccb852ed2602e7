#pragma once

#include "core/events/event_record.h"
#include "core/partners/partner_record.h"
#include "core/text/datetime.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace zel::bench {

constexpr std::size_t kRecordsPerFile = 100'000;
// Twenty events a day, 45 minutes apart from 6:00, so every date and minute is taken once.
constexpr std::size_t kEventsPerDay = 20;

// A folder under $TMPDIR (or /tmp) that is removed with everything in it when the object goes.
class TempDir {
  public:
    explicit TempDir(const char* prefix);
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

DayNumber firstDay();
// Record k of the generated files: its day, its minute (timed kinds) and a text that tells it apart.
EventRecord generatedRecord(EventKind kind, std::size_t k);
// The whole file of kRecordsPerFile generated records, in file order.
std::string generatedFile(EventKind kind);

// A book whose reminders and programs partly recur: kRecurringRows of each table, every
// kRecurringStride-th row from `firstRecurring` on, daily, weekly, monthly and yearly in turn. A
// recurring row moves on once it has fallen due, so in a book that has been watched the recurring
// rows lie from the moment last watched on.
constexpr std::size_t kRecurringRows = 1000;
constexpr std::size_t kRecurringStride = 50;
Recurrence generatedRecurrence(std::size_t k, std::size_t firstRecurring);
// The same file with those rows recurring; name days and birthdays never recur.
std::string generatedFile(EventKind kind, std::size_t firstRecurring);

// `count` partners in the partner file's order (bytes of Windows-1250), with Hungarian names spread
// over every combination of the name lists (double surnames too), an address, an e-mail address, two
// phone numbers and a note; every fourth has a web address.
std::vector<PartnerRecord> generatedPartners(std::size_t count);
// Those partners as the partner file holds them.
std::string generatedPartnerFile(std::size_t count);

// A program folder as the start-up benchmarks use it: 10,000 partners, the four generated event
// files and a settings file with the defaults.
constexpr std::size_t kFullPartners = 10'000;
void prepareFullFolder(const std::filesystem::path& folder);

} // namespace zel::bench
