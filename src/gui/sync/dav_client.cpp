#include "gui/sync/dav_client.h"

#include "gui/sync/dav_discovery.h"
#include "gui/sync/dav_transport.h"
#include "gui/sync/dav_xml.h"
#include "gui/sync/multistatus.h"

#include <QHash>
#include <memory>

namespace zel::gui {

using dav::badAnswer;
using dav::davRequest;
using dav::HttpAnswer;
using dav::HttpRequest;
using dav::Multistatus;
using dav::multistatusOf;
using dav::Prop;
using dav::succeeded;

struct DavClient::Impl {
    explicit Impl(DavCredentials credentials) : transport(std::move(credentials)) {}
    dav::Transport transport;
};

namespace {

// Answers of about 250 cards stay a few hundred kilobytes, and a failure costs one batch.
constexpr std::size_t kFetchBatch = 250;
// "zelmoran/" taken: "zelmoran-2/" … up to this suffix, then the server's 405 is reported.
constexpr int kMaxNameTries = 9;

// The members of a collection listing: cards only, with their ETags. False when one lacks its ETag.
bool collectMembers(const QUrl& book, const Multistatus& ms, CollectionChanges& out) {
    for (const auto& r : ms.responses) {
        for (const QString& href : r.hrefs) {
            if (href.endsWith(u'/') || dav::samePath(dav::resolveHref(book, href), book)) continue;
            if (r.status == 404) {
                out.removed.push_back(href);
                continue;
            }
            const auto* p = r.found();
            if (!p || p->isCollection) continue;
            if (p->etag.isEmpty()) return false;
            out.changed.push_back({href, p->etag});
        }
    }
    return true;
}

// The cards of one multiget answer; a card the server no longer has is left out.
DavError readCards(const QUrl& book, const std::vector<QString>& asked, const HttpAnswer& a,
                   std::vector<FetchedCard>& cards) {
    DavError error;
    const auto ms = multistatusOf(a, error);
    if (!ms) return error;
    // Named as asked, whatever encoding the server chose for the same path.
    QHash<QString, QString> askedByPath;
    for (const QString& href : asked)
        askedByPath.insert(dav::resolveHref(book, href).path(QUrl::FullyDecoded), href);
    for (const auto& r : ms->responses) {
        const auto* p = r.found();
        if (!p || !p->hasAddressData) continue; // a 404: gone since it was listed
        if (p->etag.isEmpty()) return badAnswer(a, QStringLiteral("a card without ETag"));
        const QString href = r.href();
        cards.push_back({askedByPath.value(dav::resolveHref(book, href).path(QUrl::FullyDecoded), href),
                         p->etag, p->addressData});
    }
    return {};
}

} // namespace

DavClient::DavClient(DavCredentials credentials, QObject* parent)
    : QObject(parent), impl_(new Impl(std::move(credentials))) {}

DavClient::~DavClient() {
    delete impl_;
}

namespace {

// The address the user typed, "https://" assumed when no scheme, "/" when no path.
QUrl typedServer(const QUrl& server) {
    QUrl typed = server;
    if (typed.scheme() != u"http" && typed.scheme() != u"https")
        typed = QUrl(QStringLiteral("https://") + server.toString(), QUrl::TolerantMode);
    if (typed.path().isEmpty()) typed.setPath(QStringLiteral("/"));
    return typed;
}

template <class Info> std::vector<Info> infosOf(std::vector<dav::FoundCollection> found) {
    std::vector<Info> infos;
    infos.reserve(found.size());
    for (auto& c : found)
        infos.push_back({std::move(c.url), std::move(c.name)});
    return infos;
}

// The name is in use: MKCOL answers 405; MKCALENDAR may say so with a 403 or 409 and its precondition.
bool nameTaken(const HttpAnswer& a) {
    return a.status == 405 ||
           ((a.status == 403 || a.status == 409) && a.body.contains("resource-must-be-null"));
}

} // namespace

void DavClient::discover(const QUrl& server,
                         std::function<void(std::vector<AddressBookInfo> books, QUrl home, DavError)> done) {
    dav::discoverCollections(impl_->transport, dav::Protocol::CardDav, typedServer(server),
                             [done = std::move(done)](auto found, QUrl home, DavError error) {
                                 done(infosOf<AddressBookInfo>(std::move(found)), std::move(home), error);
                             });
}

void DavClient::discoverCalendars(
    const QUrl& server, std::function<void(std::vector<CalendarInfo> calendars, QUrl home, DavError)> done) {
    dav::discoverCollections(impl_->transport, dav::Protocol::CalDav, typedServer(server),
                             [done = std::move(done)](auto found, QUrl home, DavError error) {
                                 done(infosOf<CalendarInfo>(std::move(found)), std::move(home), error);
                             });
}

void DavClient::createAddressBook(const QUrl& home, const QString& displayName,
                                  std::function<void(AddressBookInfo book, DavError)> done) {
    createCollection(
        home, dav::slugOf(displayName), "MKCOL", dav::mkcolBody(displayName),
        [displayName, done = std::move(done)](QUrl url, DavError error) {
            done(error ? AddressBookInfo{} : AddressBookInfo{std::move(url), displayName}, error);
        });
}

void DavClient::createCalendar(const QUrl& home, const QString& displayName,
                               std::function<void(CalendarInfo calendar, DavError)> done) {
    createCollection(home, dav::slugOf(displayName, QStringLiteral("calendar")), "MKCALENDAR",
                     dav::mkcalendarBody(displayName),
                     [displayName, done = std::move(done)](QUrl url, DavError error) {
                         done(error ? CalendarInfo{} : CalendarInfo{std::move(url), displayName}, error);
                     });
}

void DavClient::createCollection(const QUrl& home, const QString& slug, const char* verb, QByteArray body,
                                 std::function<void(QUrl url, DavError)> done) {
    const QUrl base = dav::asCollection(home);
    auto attempt = std::make_shared<std::function<void(int)>>();
    *attempt = [this, base, slug, verb, body, done = std::move(done), weak = std::weak_ptr(attempt)](int n) {
        const QString segment = n == 1 ? slug : slug + u'-' + QString::number(n);
        const QUrl url = base.resolved(QUrl(segment + u'/'));
        impl_->transport.send(davRequest(verb, url, nullptr, body),
                              [n, url, done, next = weak.lock()](HttpAnswer a) {
                                  if (a.error) return done({}, a.error);
                                  if (nameTaken(a) && n < kMaxNameTries) return (*next)(n + 1);
                                  if (!succeeded(a.status)) return done({}, dav::unexpectedAnswer(a));
                                  done(url, {});
                              });
    };
    (*attempt)(1);
}

void DavClient::changes(const QUrl& book, const QString& token,
                        std::function<void(CollectionChanges, DavError)> done) {
    auto& transport = impl_->transport;
    // Every member at once: for a server without sync-collection, or one that refused the token.
    auto listAll = [&transport, book, done] {
        transport.send(davRequest("PROPFIND", book, "1",
                                  dav::propfindBody({Prop::GetEtag, Prop::ResourceType, Prop::SyncToken})),
                       [book, done](HttpAnswer a) {
                           DavError error;
                           const auto ms = multistatusOf(a, error);
                           if (!ms) return done({}, error);
                           CollectionChanges all;
                           all.complete = true;
                           if (!collectMembers(book, *ms, all))
                               return done({}, badAnswer(a, QStringLiteral("a card without ETag")));
                           all.removed.clear();
                           for (const auto& r : ms->responses)
                               if (const auto* p = r.found();
                                   p && !p->syncToken.isEmpty() &&
                                   dav::samePath(dav::resolveHref(book, r.href()), book))
                                   all.token = p->syncToken;
                           done(std::move(all), {});
                       });
    };
    transport.send(davRequest("REPORT", book, "0", dav::syncCollectionBody(token)),
                   [book, token, done, listAll](HttpAnswer a) {
                       if (a.error) return done({}, a.error);
                       DavError error;
                       const auto ms = multistatusOf(a, error);
                       // Token refused (403/409 valid-sync-token) or no sync-collection (400, 501, …).
                       if (!ms) return listAll();
                       CollectionChanges changes;
                       changes.complete = token.isEmpty();
                       changes.token = ms->syncToken;
                       if (!collectMembers(book, *ms, changes))
                           return done({}, badAnswer(a, QStringLiteral("a card without ETag")));
                       if (changes.complete) changes.removed.clear();
                       done(std::move(changes), {});
                   });
}

void DavClient::fetch(const QUrl& book, const std::vector<QString>& hrefs,
                      std::function<void(std::vector<FetchedCard>, DavError)> done) {
    if (hrefs.empty()) return impl_->transport.post([done] { done({}, {}); });
    struct State {
        std::vector<std::vector<FetchedCard>> batches;
        std::size_t open = 0;
        bool failed = false;
    };
    auto state = std::make_shared<State>();
    state->open = (hrefs.size() + kFetchBatch - 1) / kFetchBatch;
    state->batches.resize(state->open);
    for (std::size_t b = 0; b < state->open; ++b) {
        const auto first = hrefs.begin() + static_cast<std::ptrdiff_t>(b * kFetchBatch);
        const std::vector<QString> batch(first, first + static_cast<std::ptrdiff_t>(std::min(
                                                            kFetchBatch, hrefs.size() - b * kFetchBatch)));
        impl_->transport.send(davRequest("REPORT", book, "1", dav::multigetBody(batch)),
                              [book, batch, b, state, done](HttpAnswer a) {
                                  if (state->failed) return;
                                  if (DavError error = readCards(book, batch, a, state->batches[b])) {
                                      state->failed = true;
                                      return done({}, error);
                                  }
                                  if (--state->open > 0) return;
                                  std::vector<FetchedCard> all;
                                  for (auto& list : state->batches)
                                      for (auto& card : list)
                                          all.push_back(std::move(card));
                                  done(std::move(all), {});
                              });
    }
}

void DavClient::put(const QUrl& book, const QString& href, const QByteArray& card,
                    const std::optional<QByteArray>& ifMatch, std::function<void(PutResult, DavError)> done,
                    const QByteArray& contentType) {
    HttpRequest r;
    r.verb = "PUT";
    r.url = dav::resolveHref(book, href);
    r.body = card;
    r.headers.append(qMakePair(QByteArray("Content-Type"), contentType));
    if (ifMatch)
        r.headers.append(qMakePair(QByteArray("If-Match"), QByteArray(*ifMatch)));
    else
        r.headers.append(qMakePair(QByteArray("If-None-Match"), QByteArray("*")));
    const QString path = r.url.path(QUrl::FullyEncoded);
    impl_->transport.send(std::move(r), [path, done](HttpAnswer a) {
        if (a.error) return done({}, a.error);
        PutResult result;
        result.href = path;
        if (a.status == 412) {
            result.preconditionFailed = true;
            return done(result, {});
        }
        if (!succeeded(a.status)) return done({}, dav::unexpectedAnswer(a));
        result.etag = a.etag;
        done(result, {});
    });
}

void DavClient::remove(const QUrl& book, const QString& href, const QByteArray& ifMatch,
                       std::function<void(bool preconditionFailed, DavError)> done) {
    HttpRequest r;
    r.verb = "DELETE";
    r.url = dav::resolveHref(book, href);
    r.headers.append(qMakePair(QByteArray("If-Match"), QByteArray(ifMatch)));
    impl_->transport.send(std::move(r), [done](HttpAnswer a) {
        if (a.error) return done(false, a.error);
        if (a.status == 412) return done(true, {});
        if (!succeeded(a.status) && a.status != 404) return done(false, dav::unexpectedAnswer(a));
        done(false, {});
    });
}

void DavClient::cancel() {
    impl_->transport.cancel();
}

int DavClient::requestsSent() const {
    return impl_->transport.sent();
}

int DavClient::mostInFlight() const {
    return impl_->transport.mostInFlight();
}

} // namespace zel::gui
