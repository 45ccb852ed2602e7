#pragma once

// What the benchmarks against a DAV server on this machine share: a Radicale of their own, another
// client's requests to it, the server's own account of its answers, and the timing helpers.

#include "support/radicale_server.h"

#include <QNetworkAccessManager>
#include <QRegularExpression>
#include <QThread>
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace zel::bench {

using Clk = std::chrono::steady_clock;
using Headers = QList<QPair<QByteArray, QByteArray>>;

inline double msSince(Clk::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clk::now() - t0).count();
}

// CPU time of this process, all its threads (Qt's network thread too), in milliseconds.
inline double processCpuMs() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    const auto ms = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
    };
    return ms(u.ru_utime) + ms(u.ru_stime);
}

// Google Benchmark keeps the pointer, so the text must outlive the run.
inline void fail(benchmark::State& state, const std::string& why) {
    static std::vector<std::unique_ptr<std::string>> kept;
    kept.push_back(std::make_unique<std::string>(why));
    state.SkipWithError(kept.back()->c_str());
}

inline double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A Radicale of its own, and another client's requests to it.
struct DavServer {
    test::RadicaleServer radicale;
    QNetworkAccessManager network;
    std::string error; // why it did not come up
    int collections = 0;

    DavServer() {
        if (const auto started = radicale.start(); !started) error = started.message();
    }

    test::HttpReply send(const QByteArray& verb, const QUrl& url, Headers headers = {},
                         const QByteArray& body = {}) {
        headers.append({"Authorization", test::basicAuthorization(radicale.user(), radicale.password())});
        return test::sendHttp(network, verb, url, headers, body);
    }

    // As send(), without the ten-second limit on the answer: Radicale takes minutes over 100,000
    // objects it has not read before.
    test::HttpReply sendUnbounded(const QByteArray& verb, const QUrl& url, Headers headers = {},
                                  const QByteArray& body = {}) {
        QNetworkRequest request(url);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        headers.append({"Authorization", test::basicAuthorization(radicale.user(), radicale.password())});
        for (const auto& [name, value] : headers)
            request.setRawHeader(name, value);
        QNetworkReply* reply = network.sendCustomRequest(request, verb, body);
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        if (!reply->isFinished()) loop.exec();
        test::HttpReply result;
        result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        result.error = reply->error();
        result.errorText = reply->errorString();
        result.body = reply->readAll();
        reply->deleteLater();
        return result;
    }

    // A new, empty collection "/anna/<prefix>N/"; an empty URL when the server refused it.
    QUrl newCollection(const QString& prefix, const QByteArray& verb, const QByteArray& body) {
        const QUrl url =
            radicale.baseUrl().resolved(QUrl(QStringLiteral("/anna/%1%2/").arg(prefix).arg(++collections)));
        const test::HttpReply r = send(verb, url, {{"Content-Type", "application/xml; charset=utf-8"}}, body);
        return r.status == 201 ? url : QUrl();
    }

    void removeCollection(const QUrl& url) { send("DELETE", url); }

    // What the server's log says of the answers since `from` (a length of log()): how many (a request
    // Qt sends again with the credentials after a 401 gives two) and the time it took over them, summed.
    struct Answers {
        int count = 0;
        double ms = 0;
    };
    qsizetype logLength() const { return radicale.log().size(); }
    // Radicale logs an answer once it has sent it, so a moment is left for the last lines to arrive.
    Answers answersSince(qsizetype from) const {
        QThread::msleep(200);
        static const QRegularExpression answer(
            QStringLiteral(R"(response status for '[^']*'[^\n]*? in ([0-9.]+) seconds)"));
        Answers a;
        const QString log = radicale.log().mid(from);
        for (auto it = answer.globalMatch(log); it.hasNext();) {
            const auto m = it.next();
            ++a.count;
            a.ms += m.captured(1).toDouble() * 1000;
        }
        return a;
    }

    // The folder of a collection in Radicale's storage.
    QString collectionFolder(const QUrl& collection) const {
        return radicale.storagePath() + QStringLiteral("/collection-root") + collection.path();
    }
};

} // namespace zel::bench
