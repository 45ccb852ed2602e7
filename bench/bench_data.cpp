#include "bench_data.h"

#include "core/text/cp1250.h"

#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace zel::bench {

TempDir::TempDir(const char* prefix) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/" + prefix + "XXXXXX";
    if (!::mkdtemp(pattern.data())) throw std::system_error(errno, std::generic_category(), pattern);
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

DayNumber firstDay() {
    return dayNumber(2020, 1, 1);
}

EventRecord generatedRecord(EventKind kind, std::size_t k) {
    EventRecord rec;
    // Some inactive rows, as a real file has them; the middle row stays active so it can fire.
    rec.active = k % 10 != 3;
    rec.date = static_cast<double>(firstDay() + static_cast<DayNumber>(k / kEventsPerDay));
    const std::string n = std::to_string(k);
    switch (kind) {
    case EventKind::Reminder:
        rec.text = utf8ToCp1250("Emlékeztető: fogorvos, " + n);
        break;
    case EventKind::Program:
        rec.text = "/usr/bin/backup --full /home/" + n;
        break;
    case EventKind::NameDay:
        rec.text = utf8ToCp1250("Kovács Éva " + n);
        break;
    case EventKind::Birthday:
        rec.text = utf8ToCp1250("Szabó Péter " + n);
        break;
    }
    if (hasTime(kind)) rec.time = storedFromMinute(6 * 60 + static_cast<int>(k % kEventsPerDay) * 45);
    return rec;
}

Recurrence generatedRecurrence(std::size_t k, std::size_t firstRecurring) {
    if (k < firstRecurring || (k - firstRecurring) % kRecurringStride != 0) return Recurrence::Never;
    const std::size_t n = (k - firstRecurring) / kRecurringStride;
    if (n >= kRecurringRows) return Recurrence::Never;
    constexpr Recurrence kInTurn[] = {Recurrence::Daily, Recurrence::Weekly, Recurrence::Monthly,
                                      Recurrence::Yearly};
    return kInTurn[n % 4];
}

namespace {

template <class Recurring> std::string fileOf(EventKind kind, Recurring recurring) {
    std::string bytes;
    bytes.reserve(kRecordsPerFile * recordSize(kind));
    for (std::size_t k = 0; k < kRecordsPerFile; ++k) {
        EventRecord rec = generatedRecord(kind, k);
        if (hasTime(kind)) rec.recurrence = recurring(k);
        bytes += encodeEvent(kind, rec);
    }
    return bytes;
}

} // namespace

std::string generatedFile(EventKind kind) {
    return fileOf(kind, [](std::size_t) { return Recurrence::Never; });
}

std::string generatedFile(EventKind kind, std::size_t firstRecurring) {
    return fileOf(kind, [&](std::size_t k) { return generatedRecurrence(k, firstRecurring); });
}

} // namespace zel::bench
