#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace zel::test {

// Whether Python's icalendar package, which shares no code with libical, is there to read a written
// calendar back (Debian: python3-icalendar).
inline bool icsReaderAvailable() {
    return std::system((std::string(ZEL_PYTHON3) + " -c 'import icalendar' 2>/dev/null").c_str()) == 0;
}

// What that package reads from the file, through ics_events.py: a line for the calendar, one per time
// zone and one per event. A file it cannot read fails the test.
inline std::vector<std::string> icsLinesOf(const std::filesystem::path& file) {
    const std::string command = std::string(ZEL_PYTHON3) + " " ZEL_ICS_READER " '" + file.string() + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) {
        ADD_FAILURE() << "the reader did not start";
        return {};
    }
    std::vector<std::string> lines;
    std::string pending;
    char buf[4096];
    while (std::fgets(buf, sizeof buf, pipe.get())) {
        pending += buf;
        if (pending.back() != '\n') continue;
        pending.pop_back();
        lines.push_back(pending);
        pending.clear();
    }
    if (pclose(pipe.release()) != 0) ADD_FAILURE() << "the reader failed on " << file;
    return lines;
}

// The same with each event's identifier left out (the identifiers have tests of their own).
inline std::vector<std::string> icsLinesWithoutUids(const std::filesystem::path& file) {
    std::vector<std::string> lines = icsLinesOf(file);
    for (std::string& line : lines)
        if (!line.starts_with("CALENDAR | ") && !line.starts_with("VTIMEZONE | "))
            line.erase(0, line.find(" | ") + 3);
    return lines;
}

} // namespace zel::test
