#pragma once

// The request queue under DavClient: one QNetworkAccessManager, at most four requests in flight,
// credentials given once per request, and every failure sorted into a DavError.

#include "gui/sync/dav_client.h"

#include "gui/sync/multistatus.h"

#include <QList>
#include <QNetworkAccessManager>
#include <QPair>
#include <deque>
#include <map>
#include <memory>

class QAuthenticator;
class QNetworkReply;

namespace zel::gui::dav {

struct HttpRequest {
    QByteArray verb;
    QUrl url;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    bool followRedirects = false; // for discovery only: .well-known answers with a redirect
};

struct HttpAnswer {
    int status = 0; // 0 when no answer came (then `error` says why)
    QUrl url;       // where the answer came from, after any redirect
    QByteArray body;
    QByteArray etag;
    QByteArray reason; // the status line's words
    DavError error;    // Offline, Certificate or Unauthorized; other statuses are the caller's to judge
};

// A WebDAV request with a Depth header (unless null) and an XML body (unless empty).
HttpRequest davRequest(const char* verb, const QUrl& url, const char* depth, QByteArray body);
// The multistatus of a 207 answer; anything else sets `error` (BadAnswer for a 207 that is none).
std::optional<Multistatus> multistatusOf(const HttpAnswer& answer, DavError& error);
// A DavError of kind BadAnswer, `what` and the start of the body.
DavError badAnswer(const HttpAnswer& answer, const QString& what);
bool succeeded(int status);

// A DavError of kind Server for an answer the caller did not expect.
DavError unexpectedAnswer(const HttpAnswer& answer);
// The error a reply ended with, when no HTTP answer came: Certificate when the TLS handshake failed
// (`sslErrors` are the handshake's complaints), else Offline.
DavError networkFailure(const QUrl& url, bool tlsFailed, const QStringList& sslErrors,
                        const QString& systemText);

class Transport {
  public:
    static constexpr int kMaxInFlight = 4;
    static constexpr int kTimeoutMs = 60000;
    static constexpr int kMaxRedirects = 5;

    explicit Transport(DavCredentials credentials);
    ~Transport();

    void send(HttpRequest request, std::function<void(HttpAnswer)> done);
    // Aborts every request; their callbacks, and every posted call, are dropped.
    void cancel();
    // Calls `call` on the event loop, unless the transport is cancelled or gone by then.
    void post(std::function<void()> call);

    int sent() const { return sent_; }
    int mostInFlight() const { return mostInFlight_; }

  private:
    struct Pending {
        HttpRequest request;
        std::function<void(HttpAnswer)> done;
        int redirects = 0;
        bool credentialsGiven = false;
        QStringList sslErrors;
    };

    void pump();
    void start(Pending pending);
    void finished(QNetworkReply* reply);
    void authenticate(QNetworkReply* reply, QAuthenticator* authenticator);

    DavCredentials credentials_;
    QNetworkAccessManager network_;
    std::deque<Pending> queue_;
    std::map<QNetworkReply*, Pending> inFlight_;
    std::shared_ptr<int> generation_ = std::make_shared<int>(0);
    int sent_ = 0;
    int mostInFlight_ = 0;
};

} // namespace zel::gui::dav
