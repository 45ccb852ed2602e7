// Ordered insert of one reminder at the top of a 100,000-record file, safe replace included, against
// one copy of that file plus one fsync of the copy.
#include "bench_data.h"

#include "core/storage/record_file.h"
#include "core/text/cp1250.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <memory>

namespace zel::bench {
namespace {

namespace fs = std::filesystem;

struct InsertData {
    TempDir dir{"zel_bench_insert_"};
    fs::path file = dir.path() / eventFileName(EventKind::Reminder);
    fs::path copy = dir.path() / "copy.dat";
    std::string original = generatedFile(EventKind::Reminder);
};

InsertData& insertData() {
    static const auto data = std::make_unique<InsertData>();
    return *data;
}

// Both benchmarks put the original file back the same way between iterations (untimed), so the
// disk sees the same traffic around each timed step.
void restore(const InsertData& d) {
    replaceFile(d.file, d.original);
}

void P2_copy_file_fsync(benchmark::State& state) {
    InsertData& d = insertData();
    restore(d);
    for (auto _ : state) {
        fs::copy_file(d.file, d.copy, fs::copy_options::overwrite_existing);
        const int fd = ::open(d.copy.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0 || ::fsync(fd) != 0) {
            state.SkipWithError("copy not synced");
            if (fd >= 0) ::close(fd);
            break;
        }
        ::close(fd);
        state.PauseTiming();
        restore(d);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * d.original.size()));
}

void P2_insert_ordered(benchmark::State& state) {
    InsertData& d = insertData();
    restore(d);
    EventRecord rec;
    rec.text = utf8ToCp1250("Új emlékeztető");
    rec.date = static_cast<double>(firstDay() - 1); // earlier than every stored date: position 0
    rec.time = storedFromMinute(8 * 60);
    for (auto _ : state) {
        const std::size_t pos = insertEventOrdered(d.file.string(), EventKind::Reminder, rec);
        state.PauseTiming();
        if (pos != 0) {
            state.SkipWithError("the new reminder did not go to position 0");
            break;
        }
        restore(d);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * d.original.size()));
}

BENCHMARK(P2_copy_file_fsync)->Name("P2/copy_file_fsync")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(P2_insert_ordered)->Name("P2/insert_ordered")->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace zel::bench
