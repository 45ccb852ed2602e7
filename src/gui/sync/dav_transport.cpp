#include "gui/sync/dav_transport.h"

#include "gui/sync/multistatus.h"

#include <QAuthenticator>
#include <QCoreApplication>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>

namespace zel::gui::dav {

HttpRequest davRequest(const char* verb, const QUrl& url, const char* depth, QByteArray body) {
    HttpRequest r;
    r.verb = verb;
    r.url = url;
    if (depth) r.headers.append(qMakePair(QByteArray("Depth"), QByteArray(depth)));
    if (!body.isEmpty())
        r.headers.append(qMakePair(QByteArray("Content-Type"), QByteArray("application/xml; charset=utf-8")));
    r.body = std::move(body);
    return r;
}

bool fatal(const DavError& e) {
    return bool(e);
} // no answer, or credentials refused

DavError badAnswer(const HttpAnswer& a, const QString& what) {
    DavError e;
    e.kind = DavError::Kind::BadAnswer;
    e.status = a.status;
    e.host = a.url.host();
    e.detail = what + QStringLiteral(": ") + QString::fromUtf8(a.body.left(200)).simplified();
    return e;
}

// The multistatus of a 207 answer; anything else sets `error`.
std::optional<Multistatus> multistatusOf(const HttpAnswer& a, DavError& error) {
    if (a.error) {
        error = a.error;
        return std::nullopt;
    }
    if (a.status != 207) {
        error = dav::unexpectedAnswer(a);
        return std::nullopt;
    }
    auto ms = dav::readMultistatus(a.body);
    if (!ms) error = badAnswer(a, QStringLiteral("not a WebDAV multistatus"));
    return ms;
}

bool succeeded(int status) {
    return status >= 200 && status < 300;
}

DavError unexpectedAnswer(const HttpAnswer& answer) {
    DavError error;
    error.kind = DavError::Kind::Server;
    error.status = answer.status;
    error.host = answer.url.host();
    // The status line, and the start of the body: servers say there what they did not like.
    error.detail = QString::number(answer.status);
    if (!answer.reason.isEmpty()) error.detail += u' ' + QString::fromUtf8(answer.reason);
    const QString body = QString::fromUtf8(answer.body.left(300)).simplified();
    if (!body.isEmpty()) error.detail += QStringLiteral(": ") + body;
    return error;
}

DavError networkFailure(const QUrl& url, bool tlsFailed, const QStringList& sslErrors,
                        const QString& systemText) {
    DavError error;
    error.host = url.host();
    if (tlsFailed || !sslErrors.isEmpty()) {
        error.kind = DavError::Kind::Certificate;
        error.detail = sslErrors.isEmpty() ? systemText : sslErrors.join(QStringLiteral("; "));
    } else {
        error.kind = DavError::Kind::Offline;
        error.detail = systemText;
    }
    return error;
}

Transport::Transport(DavCredentials credentials) : credentials_(std::move(credentials)) {
    QObject::connect(
        &network_, &QNetworkAccessManager::authenticationRequired, &network_,
        [this](QNetworkReply* reply, QAuthenticator* authenticator) { authenticate(reply, authenticator); });
}

Transport::~Transport() {
    cancel();
}

void Transport::send(HttpRequest request, std::function<void(HttpAnswer)> done) {
    Pending pending;
    pending.request = std::move(request);
    pending.done = std::move(done);
    queue_.push_back(std::move(pending));
    pump();
}

void Transport::cancel() {
    ++*generation_;
    queue_.clear();
    // Taken out first: abort() may finish a reply at once, and its callback must not run.
    auto replies = std::move(inFlight_);
    inFlight_.clear();
    for (auto& [reply, pending] : replies) {
        QObject::disconnect(reply, nullptr, &network_, nullptr);
        reply->abort();
        reply->deleteLater();
    }
}

void Transport::pump() {
    while (static_cast<int>(inFlight_.size()) < kMaxInFlight && !queue_.empty()) {
        Pending next = std::move(queue_.front());
        queue_.pop_front();
        start(std::move(next));
    }
}

void Transport::start(Pending pending) {
    QNetworkRequest request(pending.request.url);
    // Redirects are followed here, where the body goes along and a step down to plain HTTP is refused.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(kTimeoutMs);
    for (const auto& [name, value] : pending.request.headers)
        request.setRawHeader(name, value);
    QNetworkReply* reply = network_.sendCustomRequest(request, pending.request.verb, pending.request.body);
    ++sent_;
    QObject::connect(reply, &QNetworkReply::finished, &network_, [this, reply] { finished(reply); });
    QObject::connect(reply, &QNetworkReply::sslErrors, &network_,
                     [this, reply](const QList<QSslError>& errors) {
                         // Never ignored: the handshake fails and the reply ends with the errors recorded
                         // here.
                         const auto it = inFlight_.find(reply);
                         if (it == inFlight_.end()) return;
                         for (const QSslError& e : errors)
                             it->second.sslErrors.append(e.errorString());
                     });
    inFlight_.emplace(reply, std::move(pending));
    mostInFlight_ = std::max(mostInFlight_, static_cast<int>(inFlight_.size()));
}

void Transport::authenticate(QNetworkReply* reply, QAuthenticator* authenticator) {
    const auto it = inFlight_.find(reply);
    if (it == inFlight_.end()) return;
    // Once per request: asked again, the credentials were refused, and leaving the authenticator
    // empty ends the request with its 401 instead of a loop.
    if (it->second.credentialsGiven) return;
    it->second.credentialsGiven = true;
    authenticator->setUser(credentials_.user);
    authenticator->setPassword(credentials_.password);
}

void Transport::finished(QNetworkReply* reply) {
    const auto it = inFlight_.find(reply);
    if (it == inFlight_.end()) return;
    Pending pending = std::move(it->second);
    inFlight_.erase(it);
    reply->deleteLater();

    HttpAnswer answer;
    answer.url = pending.request.url;
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray();
    answer.body = reply->readAll();
    answer.etag = reply->rawHeader("ETag");
    const QNetworkReply::NetworkError code = reply->error();

    if (answer.status == 0) {
        const bool tlsFailed = code == QNetworkReply::SslHandshakeFailedError;
        answer.error = networkFailure(answer.url, tlsFailed, pending.sslErrors, reply->errorString());
    } else if (answer.status == 401) {
        answer.error.kind = DavError::Kind::Unauthorized;
        answer.error.status = 401;
        answer.error.host = answer.url.host();
        answer.error.detail = reply->errorString();
    } else if (pending.request.followRedirects && answer.status >= 300 && answer.status < 400 &&
               reply->hasRawHeader("Location") && pending.redirects < kMaxRedirects) {
        const QUrl next =
            answer.url.resolved(QUrl::fromEncoded(reply->rawHeader("Location"), QUrl::TolerantMode));
        const bool downgrade = answer.url.scheme() == u"https" && next.scheme() != u"https";
        if (next.isValid() && !downgrade) {
            pending.request.url = next;
            ++pending.redirects;
            pending.sslErrors.clear();
            pending.credentialsGiven = false;
            queue_.push_front(std::move(pending));
            pump();
            return;
        }
    }
    pump();
    post([done = std::move(pending.done), answer = std::move(answer)] { done(answer); });
}

void Transport::post(std::function<void()> call) {
    // Through the event loop and the application object, never through an object of the client's: a
    // callback may cancel or even destroy the client, and one posted before that is dropped.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [alive = std::weak_ptr<int>(generation_), generation = *generation_, call = std::move(call)] {
            const auto current = alive.lock();
            if (current && *current == generation) call();
        },
        Qt::QueuedConnection);
}

} // namespace zel::gui::dav
