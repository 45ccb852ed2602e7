#include "gui/sync/dav_client.h"

#include "gui/sync/dav_transport.h"
#include "gui/sync/dav_xml.h"
#include "gui/sync/multistatus.h"

#include <memory>

namespace zel::gui {

using dav::HttpAnswer;
using dav::HttpRequest;
using dav::Multistatus;
using dav::Prop;

struct DavClient::Impl {
    explicit Impl(DavCredentials credentials) : transport(std::move(credentials)) {}
    dav::Transport transport;
};

namespace {

// Answers of about 250 cards stay a few hundred kilobytes, and a failure costs one batch.
constexpr std::size_t kFetchBatch = 250;
// "zelmoran/" taken: "zelmoran-2/" … up to this suffix, then the server's 405 is reported.
constexpr int kMaxNameTries = 9;

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

// Discovery: .well-known, the typed address, the principal, the home set, its address books. Each
// step that finds nothing falls through to the next way in; no answer at all ends it at once.
class Discovery : public std::enable_shared_from_this<Discovery> {
  public:
    using Done = std::function<void(std::vector<AddressBookInfo>, QUrl, DavError)>;
    Discovery(dav::Transport& transport, QUrl typed, Done done)
        : transport_(transport), typed_(std::move(typed)), done_(std::move(done)) {}

    void run() {
        const QString path = typed_.path();
        if (path.isEmpty() || path == u"/")
            wellKnown();
        else
            typedAddress();
    }

  private:
    void send(HttpRequest request, void (Discovery::*step)(const HttpAnswer&)) {
        request.followRedirects = true;
        transport_.send(std::move(request),
                        [self = shared_from_this(), step](HttpAnswer a) { ((*self).*step)(a); });
    }

    void wellKnown() {
        triedWellKnown_ = true;
        QUrl url = typed_;
        url.setPath(QStringLiteral("/.well-known/carddav"));
        url.setQuery(QString());
        url.setFragment(QString());
        send(davRequest("PROPFIND", url, "0", dav::propfindBody({Prop::CurrentUserPrincipal})),
             &Discovery::onWellKnown);
    }
    void onWellKnown(const HttpAnswer& a) {
        if (fatal(a.error)) return fail(a.error);
        DavError error;
        if (const auto ms = multistatusOf(a, error))
            for (const auto& r : ms->responses)
                if (const auto* p = r.found(); p && !p->currentUserPrincipal.isEmpty())
                    return principal(dav::resolveHref(a.url, p->currentUserPrincipal));
        if (!triedTyped_) return typedAddress();
        fail(error ? error : badAnswer(a, QStringLiteral("no principal")));
    }

    void typedAddress() {
        triedTyped_ = true;
        send(davRequest("PROPFIND", typed_, "0",
                        dav::propfindBody({Prop::CurrentUserPrincipal, Prop::AddressBookHomeSet,
                                           Prop::ResourceType, Prop::DisplayName})),
             &Discovery::onTypedAddress);
    }
    void onTypedAddress(const HttpAnswer& a) {
        if (fatal(a.error)) return fail(a.error);
        DavError error;
        QUrl principalUrl, homeUrl;
        if (const auto ms = multistatusOf(a, error)) {
            for (const auto& r : ms->responses) {
                const auto* p = r.found();
                if (!p) continue;
                if (p->isAddressBook && !typedBook_) typedBook_ = bookOf(a.url, r.href(), p->displayName);
                if (!p->addressBookHomeSet.isEmpty())
                    homeUrl = dav::resolveHref(a.url, p->addressBookHomeSet);
                if (!p->currentUserPrincipal.isEmpty())
                    principalUrl = dav::resolveHref(a.url, p->currentUserPrincipal);
            }
        }
        if (!homeUrl.isEmpty()) return home(homeUrl);
        if (!principalUrl.isEmpty()) return principal(principalUrl);
        if (!triedWellKnown_) return wellKnown();
        if (typedBook_) return finish({}, QUrl());
        fail(error ? error : badAnswer(a, QStringLiteral("no CardDAV principal")));
    }

    void principal(const QUrl& url) {
        send(davRequest("PROPFIND", url, "0", dav::propfindBody({Prop::AddressBookHomeSet})),
             &Discovery::onPrincipal);
    }
    void onPrincipal(const HttpAnswer& a) {
        DavError error;
        if (const auto ms = multistatusOf(a, error))
            for (const auto& r : ms->responses)
                if (const auto* p = r.found(); p && !p->addressBookHomeSet.isEmpty())
                    return home(dav::resolveHref(a.url, p->addressBookHomeSet));
        fail(error ? error : badAnswer(a, QStringLiteral("no address-book home")));
    }

    void home(const QUrl& url) {
        home_ = dav::asCollection(url);
        send(davRequest("PROPFIND", home_, "1", dav::propfindBody({Prop::ResourceType, Prop::DisplayName})),
             &Discovery::onHome);
    }
    void onHome(const HttpAnswer& a) {
        DavError error;
        const auto ms = multistatusOf(a, error);
        if (!ms) return fail(error);
        home_ = dav::asCollection(a.url);
        std::vector<AddressBookInfo> books;
        for (const auto& r : ms->responses)
            if (const auto* p = r.found(); p && p->isAddressBook)
                books.push_back(bookOf(a.url, r.href(), p->displayName));
        finish(std::move(books), home_);
    }

    static AddressBookInfo bookOf(const QUrl& base, const QString& href, const QString& displayName) {
        AddressBookInfo book;
        book.url = dav::asCollection(href.isEmpty() ? base : dav::resolveHref(base, href));
        book.name = displayName.trimmed();
        if (book.name.isEmpty()) {
            QString path = book.url.path(QUrl::FullyDecoded);
            path.chop(1);
            book.name = path.mid(path.lastIndexOf(u'/') + 1);
        }
        return book;
    }

    void finish(std::vector<AddressBookInfo> books, const QUrl& home) {
        // The address the user typed may itself be a book outside the home set.
        if (typedBook_) {
            bool listed = false;
            for (const auto& b : books)
                listed = listed || dav::samePath(b.url, typedBook_->url);
            if (!listed) books.insert(books.begin(), *typedBook_);
        }
        done_(std::move(books), home, DavError());
    }
    void fail(const DavError& error) { done_({}, QUrl(), error); }

    dav::Transport& transport_;
    QUrl typed_;
    QUrl home_;
    Done done_;
    std::optional<AddressBookInfo> typedBook_;
    bool triedWellKnown_ = false;
    bool triedTyped_ = false;
};

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

} // namespace

DavClient::DavClient(DavCredentials credentials, QObject* parent)
    : QObject(parent), impl_(new Impl(std::move(credentials))) {}

DavClient::~DavClient() {
    delete impl_;
}

void DavClient::discover(const QUrl& server,
                         std::function<void(std::vector<AddressBookInfo> books, QUrl home, DavError)> done) {
    QUrl typed = server;
    if (typed.scheme() != u"http" && typed.scheme() != u"https")
        typed = QUrl(QStringLiteral("https://") + server.toString(), QUrl::TolerantMode);
    if (typed.path().isEmpty()) typed.setPath(QStringLiteral("/"));
    std::make_shared<Discovery>(impl_->transport, typed, std::move(done))->run();
}

void DavClient::createAddressBook(const QUrl& home, const QString& displayName,
                                  std::function<void(AddressBookInfo book, DavError)> done) {
    const QUrl base = dav::asCollection(home);
    const QString slug = dav::slugOf(displayName);
    auto attempt = std::make_shared<std::function<void(int)>>();
    *attempt = [this, base, slug, displayName, done = std::move(done), weak = std::weak_ptr(attempt)](int n) {
        const QString segment = n == 1 ? slug : slug + u'-' + QString::number(n);
        const QUrl url = base.resolved(QUrl(segment + u'/'));
        impl_->transport.send(davRequest("MKCOL", url, nullptr, dav::mkcolBody(displayName)),
                              [n, url, displayName, done, next = weak.lock()](HttpAnswer a) {
                                  if (a.error) return done({}, a.error);
                                  if (a.status == 405 && n < kMaxNameTries)
                                      return (*next)(n + 1); // the name is taken
                                  if (!succeeded(a.status)) return done({}, dav::unexpectedAnswer(a));
                                  done({url, displayName}, {});
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
                                  DavError error;
                                  const auto ms = multistatusOf(a, error);
                                  auto& cards = state->batches[b];
                                  for (const auto& r : ms ? ms->responses : std::vector<dav::Response>()) {
                                      const auto* p = r.found();
                                      if (!p || !p->hasAddressData) continue; // a 404: the card is gone
                                      if (p->etag.isEmpty()) {
                                          error = badAnswer(a, QStringLiteral("a card without ETag"));
                                          break;
                                      }
                                      // Named as asked, whatever encoding the server chose for the same path.
                                      QString href = r.href();
                                      const QUrl url = dav::resolveHref(book, href);
                                      for (const QString& asked : batch)
                                          if (dav::samePath(dav::resolveHref(book, asked), url)) href = asked;
                                      cards.push_back({href, p->etag, p->addressData});
                                  }
                                  if (error) {
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
                    const std::optional<QByteArray>& ifMatch, std::function<void(PutResult, DavError)> done) {
    HttpRequest r;
    r.verb = "PUT";
    r.url = dav::resolveHref(book, href);
    r.body = card;
    r.headers.append(qMakePair(QByteArray("Content-Type"), QByteArray("text/vcard; charset=utf-8")));
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
