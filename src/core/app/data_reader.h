#pragma once

#include "core/events/event_table.h"
#include "core/os/file.h"
#include "core/partners/partner_file.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <future>
#include <memory>
#include <mutex>
#include <optional>

namespace zel {

// Reads a Data folder's files on another thread, so that the reading overlaps other work of the start:
// the partners' names and the reminders' file at once, each other event file once a table of its kind
// or a later one is asked for (not before: the reading slows the thread that builds the window). Until
// something is asked for, it stands aside every few hundred records: the window's thread, woken on the
// core this one runs on, would otherwise wait out this one's time slice at each answer of the display.
// Ending it stops what it has not read yet and waits for the file it is reading.
class DataReader {
  public:
    explicit DataReader(std::filesystem::path dataDir);
    ~DataReader();
    DataReader(const DataReader&) = delete;
    DataReader& operator=(const DataReader&) = delete;

    const std::filesystem::path& folder() const { return folder_; }
    // What was read, waiting for it, while its file is still the one that was read; nothing when it
    // was asked for before, or for a missing file, a failure or a change since.
    std::optional<PartnerNames> takePartnerNames();
    std::optional<EventTable> take(EventKind kind);

  private:
    template <class T> struct Read {
        os::FileStamp stamp;
        T what;
    };
    // How many event files, in the order of the kinds, the reader may read now.
    struct Gate {
        std::mutex mutex;
        std::condition_variable asked;
        std::size_t wanted = 1;
        bool stop = false;
        // Something was asked for: whoever asked may be waiting, so the reading no longer stands aside.
        std::atomic<bool> hurry = false;
    };
    void hurry();

    std::filesystem::path folder_;
    std::future<std::optional<Read<PartnerNames>>> partners_;
    std::array<std::future<std::optional<Read<EventTable>>>, 4> tables_;
    std::shared_ptr<Gate> gate_;
    // Last, so it goes first: its end is waited for.
    std::future<void> reader_;
};

} // namespace zel
