#include "core/app/data_reader.h"

#include <algorithm>
#include <thread>

namespace zel {
namespace {

// Stamped before reading: a change while it is read makes the stamps differ. A failure is read again
// when asked, where it is reported.
template <class T, class Read>
std::optional<T> readIfUnchanged(const std::filesystem::path& path, os::FileStamp& stamp, Read read) {
    const std::optional<os::FileStamp> before = os::stampOf(path);
    if (!before) return std::nullopt;
    stamp = *before;
    try {
        return read(path);
    } catch (...) {
        return std::nullopt;
    }
}

} // namespace

DataReader::DataReader(std::filesystem::path dataDir)
    : folder_(std::move(dataDir)), gate_(std::make_shared<Gate>()) {
    std::promise<std::optional<Read<PartnerNames>>> names;
    partners_ = names.get_future();
    std::array<std::promise<std::optional<Read<EventTable>>>, 4> read;
    for (EventKind k : kAllEventKinds)
        tables_[kindIndex(k)] = read[kindIndex(k)].get_future();
    reader_ = std::async(std::launch::async, [folder = folder_, names = std::move(names),
                                              read = std::move(read), gate = gate_]() mutable {
        const auto standAside = [&gate] {
            if (!gate->hurry.load(std::memory_order_relaxed)) std::this_thread::yield();
        };
        std::optional<Read<PartnerNames>> partners;
        if (Read<PartnerNames> r;
            auto n = readIfUnchanged<PartnerNames>(
                folder / kPartnerFileName, r.stamp,
                [&](const std::filesystem::path& p) { return readPartnerNames(p, standAside); })) {
            r.what = std::move(*n);
            partners = std::move(r);
        }
        names.set_value(std::move(partners));
        for (EventKind k : kAllEventKinds) {
            std::unique_lock lock(gate->mutex);
            gate->asked.wait(lock, [&] { return gate->stop || kindIndex(k) < gate->wanted; });
            const bool stopped = gate->stop;
            lock.unlock();
            std::optional<Read<EventTable>> out;
            Read<EventTable> r;
            if (!stopped)
                if (auto t = readIfUnchanged<EventTable>(
                        folder / eventFileName(k), r.stamp,
                        [&](const std::filesystem::path& p) { return readEventTable(p, k, standAside); })) {
                    r.what = std::move(*t);
                    out = std::move(r);
                }
            read[kindIndex(k)].set_value(std::move(out));
        }
    });
}

DataReader::~DataReader() {
    const std::lock_guard lock(gate_->mutex);
    gate_->stop = true;
    gate_->asked.notify_one();
}

void DataReader::hurry() {
    gate_->hurry = true;
}

std::optional<PartnerNames> DataReader::takePartnerNames() {
    if (!partners_.valid()) return std::nullopt;
    hurry();
    std::optional<Read<PartnerNames>> read = partners_.get();
    if (!read || os::stampOf(folder_ / kPartnerFileName) != read->stamp) return std::nullopt;
    return std::move(read->what);
}

std::optional<EventTable> DataReader::take(EventKind kind) {
    std::future<std::optional<Read<EventTable>>>& reading = tables_[kindIndex(kind)];
    if (!reading.valid()) return std::nullopt;
    hurry();
    {
        const std::lock_guard lock(gate_->mutex);
        gate_->wanted = std::max(gate_->wanted, kindIndex(kind) + 1);
        gate_->asked.notify_one();
    }
    std::optional<Read<EventTable>> read = reading.get();
    if (!read || os::stampOf(folder_ / eventFileName(kind)) != read->stamp) return std::nullopt;
    return std::move(read->what);
}

} // namespace zel
