#include "gui/sync/dav_discovery.h"

#include "gui/sync/dav_xml.h"
#include "gui/sync/multistatus.h"

#include <memory>

namespace zel::gui::dav {

namespace {

// Discovery: .well-known, the typed address, the principal, the home set, its address books. Each
// step that finds nothing falls through to the next way in; no answer at all ends it at once.
class Discovery : public std::enable_shared_from_this<Discovery> {
  public:
    using Done = DiscoveryDone;
    Discovery(Transport& transport, QUrl typed, Done done)
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
        send(davRequest("PROPFIND", url, "0", propfindBody({Prop::CurrentUserPrincipal})),
             &Discovery::onWellKnown);
    }
    void onWellKnown(const HttpAnswer& a) {
        if (a.error) return fail(a.error); // no answer, or credentials refused
        DavError error;
        if (const auto ms = multistatusOf(a, error))
            for (const auto& r : ms->responses)
                if (const auto* p = r.found(); p && !p->currentUserPrincipal.isEmpty())
                    return principal(resolveHref(a.url, p->currentUserPrincipal));
        if (!triedTyped_) return typedAddress();
        fail(error ? error : badAnswer(a, QStringLiteral("no principal")));
    }

    void typedAddress() {
        triedTyped_ = true;
        send(davRequest("PROPFIND", typed_, "0",
                        propfindBody({Prop::CurrentUserPrincipal, Prop::AddressBookHomeSet,
                                      Prop::ResourceType, Prop::DisplayName})),
             &Discovery::onTypedAddress);
    }
    void onTypedAddress(const HttpAnswer& a) {
        if (a.error) return fail(a.error); // no answer, or credentials refused
        DavError error;
        QUrl principalUrl, homeUrl;
        if (const auto ms = multistatusOf(a, error)) {
            for (const auto& r : ms->responses) {
                const auto* p = r.found();
                if (!p) continue;
                if (p->isAddressBook && !typedBook_) typedBook_ = bookOf(a.url, r.href(), p->displayName);
                if (!p->addressBookHomeSet.isEmpty()) homeUrl = resolveHref(a.url, p->addressBookHomeSet);
                if (!p->currentUserPrincipal.isEmpty())
                    principalUrl = resolveHref(a.url, p->currentUserPrincipal);
            }
        }
        if (!homeUrl.isEmpty()) return home(homeUrl);
        if (!principalUrl.isEmpty()) return principal(principalUrl);
        if (!triedWellKnown_) return wellKnown();
        if (typedBook_) return finish({}, QUrl());
        fail(error ? error : badAnswer(a, QStringLiteral("no CardDAV principal")));
    }

    void principal(const QUrl& url) {
        send(davRequest("PROPFIND", url, "0", propfindBody({Prop::AddressBookHomeSet})),
             &Discovery::onPrincipal);
    }
    void onPrincipal(const HttpAnswer& a) {
        DavError error;
        if (const auto ms = multistatusOf(a, error))
            for (const auto& r : ms->responses)
                if (const auto* p = r.found(); p && !p->addressBookHomeSet.isEmpty())
                    return home(resolveHref(a.url, p->addressBookHomeSet));
        fail(error ? error : badAnswer(a, QStringLiteral("no address-book home")));
    }

    void home(const QUrl& url) {
        home_ = asCollection(url);
        send(davRequest("PROPFIND", home_, "1", propfindBody({Prop::ResourceType, Prop::DisplayName})),
             &Discovery::onHome);
    }
    void onHome(const HttpAnswer& a) {
        DavError error;
        const auto ms = multistatusOf(a, error);
        if (!ms) return fail(error);
        home_ = asCollection(a.url);
        std::vector<AddressBookInfo> books;
        for (const auto& r : ms->responses)
            if (const auto* p = r.found(); p && p->isAddressBook)
                books.push_back(bookOf(a.url, r.href(), p->displayName));
        finish(std::move(books), home_);
    }

    static AddressBookInfo bookOf(const QUrl& base, const QString& href, const QString& displayName) {
        AddressBookInfo book;
        book.url = asCollection(href.isEmpty() ? base : resolveHref(base, href));
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
                listed = listed || samePath(b.url, typedBook_->url);
            if (!listed) books.insert(books.begin(), *typedBook_);
        }
        done_(std::move(books), home, DavError());
    }
    void fail(const DavError& error) { done_({}, QUrl(), error); }

    Transport& transport_;
    QUrl typed_;
    QUrl home_;
    Done done_;
    std::optional<AddressBookInfo> typedBook_;
    bool triedWellKnown_ = false;
    bool triedTyped_ = false;
};

} // namespace

void discoverBooks(Transport& transport, const QUrl& typed, DiscoveryDone done) {
    std::make_shared<Discovery>(transport, typed, std::move(done))->run();
}

} // namespace zel::gui::dav
