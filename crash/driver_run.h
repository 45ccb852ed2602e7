#pragma once

// One run of zel_sync_crash_driver, killed by itself or after a delay or left to finish, and the wait
// for the server to be done with what a killed run sent.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>

namespace zel::test {

struct DriverRun {
    bool killed = false;
    int exitCode = -1;
    std::string out, err;
    // From the line the driver ends with.
    int steps = -1, uploads = -1, requests = -1;
    bool nothingChanged = false;
    std::chrono::microseconds time{}; // from "syncing" to the end
};

// Runs the driver with these arguments; given `killAfter`, kills it that long after it said "syncing".
inline DriverRun runDriver(const QString& driver, const QStringList& arguments,
                           std::optional<std::chrono::microseconds> killAfter = std::nullopt) {
    QProcess process;
    process.start(driver, arguments);
    DriverRun run;
    if (!process.waitForStarted(10000)) {
        run.err = process.errorString().toStdString();
        return run;
    }
    // Times count from the start of the run, past the start of the process and the reading of the
    // folder.
    QByteArray out;
    while (!out.contains("syncing\n") && process.waitForReadyRead(10000))
        out += process.readAllStandardOutput();
    const auto syncing = std::chrono::steady_clock::now();
    if (killAfter) {
        std::this_thread::sleep_for(*killAfter);
        process.kill();
    }
    process.waitForFinished(60000);
    run.time =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - syncing);
    out += process.readAllStandardOutput();
    run.out = out.toStdString();
    run.err = process.readAllStandardError().toStdString();
    run.killed = process.exitStatus() == QProcess::CrashExit;
    run.exitCode = run.killed ? -1 : process.exitCode();
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
        char verdict[16] = {};
        if (std::sscanf(line.c_str(), "steps %d uploads %d %15s requests %d", &run.steps, &run.uploads,
                        verdict, &run.requests) >= 3)
            run.nothingChanged = std::string_view(verdict) == "nothing";
    }
    return run;
}

// Whether the server still holds a connection it has not closed: a request it has not answered,
// read or not yet taken. It closes each connection once its answer is out, so when none is left
// every request of a killed client is either applied or never will be.
inline bool serverBusy(quint16 port) {
    char local[16];
    std::snprintf(local, sizeof local, "0100007F:%04X", static_cast<unsigned>(port));
    std::ifstream table("/proc/net/tcp");
    std::string line;
    std::getline(table, line);
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, here, there, state;
        fields >> slot >> here >> there >> state;
        // Established, half-open, or closed by the client and not yet by the server.
        if (here == local && (state == "01" || state == "03" || state == "08")) return true;
    }
    return false;
}

// Waits up to 30 s for the server to close every connection; false when it never did.
inline bool awaitServerIdle(quint16 port) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (serverBusy(port) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return !serverBusy(port);
}

} // namespace zel::test
