#include "gui/sync/dav_discovery.h"

#include "gui/sync/dav_xml.h"
#include "gui/sync/multistatus.h"

#include <algorithm>
#include <memory>

namespace zel::gui::dav {

namespace {

// What tells the two protocols apart on the way to their collections.
struct Traits {
    const char16_t* wellKnown;
    Prop homeSet;
    QString PropStat::*homeSetOf;
    bool (*isMember)(const PropStat&);
    std::vector<Prop> memberProps;
    const char16_t* noPrincipal;
    const char16_t* noHome;
};

bool takesEvents(const PropStat& p) {
    if (!p.isCalendar) return false;
    // Without the property a calendar takes every kind of component.
    if (!p.hasCalendarComponents) return true;
    return std::any_of(p.calendarComponents.begin(), p.calendarComponents.end(), [](const QString& c) {
        return c.compare(QStringLiteral("VEVENT"), Qt::CaseInsensitive) == 0;
    });
}

const Traits& traitsOf(Protocol protocol) {
    static const Traits cardDav{u"/.well-known/carddav",
                                Prop::AddressBookHomeSet,
                                &PropStat::addressBookHomeSet,
                                [](const PropStat& p) { return p.isAddressBook; },
                                {Prop::ResourceType, Prop::DisplayName},
                                u"no CardDAV principal",
                                u"no address-book home"};
    static const Traits calDav{u"/.well-known/caldav",
                               Prop::CalendarHomeSet,
                               &PropStat::calendarHomeSet,
                               takesEvents,
                               {Prop::ResourceType, Prop::DisplayName, Prop::SupportedCalendarComponentSet},
                               u"no CalDAV principal",
                               u"no calendar home"};
    return protocol == Protocol::CalDav ? calDav : cardDav;
}

// Discovery: .well-known, the typed address, the principal, the home set, its collections. Each
// step that finds nothing falls through to the next way in; no answer at all ends it at once.
class Discovery : public std::enable_shared_from_this<Discovery> {
  public:
    using Done = DiscoveryDone;
    Discovery(Transport& transport, const Traits& traits, QUrl typed, Done done)
        : transport_(transport), traits_(traits), typed_(std::move(typed)), done_(std::move(done)) {}

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
        url.setPath(QString::fromUtf16(traits_.wellKnown));
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
        std::vector<Prop> props{Prop::CurrentUserPrincipal, traits_.homeSet};
        props.insert(props.end(), traits_.memberProps.begin(), traits_.memberProps.end());
        send(davRequest("PROPFIND", typed_, "0", propfindBody(props)), &Discovery::onTypedAddress);
    }
    void onTypedAddress(const HttpAnswer& a) {
        if (a.error) return fail(a.error); // no answer, or credentials refused
        DavError error;
        QUrl principalUrl, homeUrl;
        if (const auto ms = multistatusOf(a, error)) {
            for (const auto& r : ms->responses) {
                const auto* p = r.found();
                if (!p) continue;
                if (traits_.isMember(*p) && !typedCollection_)
                    typedCollection_ = collectionOf(a.url, r.href(), p->displayName);
                if (const QString& h = p->*traits_.homeSetOf; !h.isEmpty()) homeUrl = resolveHref(a.url, h);
                if (!p->currentUserPrincipal.isEmpty())
                    principalUrl = resolveHref(a.url, p->currentUserPrincipal);
            }
        }
        if (!homeUrl.isEmpty()) return home(homeUrl);
        if (!principalUrl.isEmpty()) return principal(principalUrl);
        if (!triedWellKnown_) return wellKnown();
        if (typedCollection_) return finish({}, QUrl());
        fail(error ? error : badAnswer(a, QString::fromUtf16(traits_.noPrincipal)));
    }

    void principal(const QUrl& url) {
        send(davRequest("PROPFIND", url, "0", propfindBody({traits_.homeSet})), &Discovery::onPrincipal);
    }
    void onPrincipal(const HttpAnswer& a) {
        DavError error;
        if (const auto ms = multistatusOf(a, error))
            for (const auto& r : ms->responses)
                if (const auto* p = r.found(); p && !(p->*traits_.homeSetOf).isEmpty())
                    return home(resolveHref(a.url, p->*traits_.homeSetOf));
        fail(error ? error : badAnswer(a, QString::fromUtf16(traits_.noHome)));
    }

    void home(const QUrl& url) {
        home_ = asCollection(url);
        send(davRequest("PROPFIND", home_, "1", propfindBody(traits_.memberProps)), &Discovery::onHome);
    }
    void onHome(const HttpAnswer& a) {
        DavError error;
        const auto ms = multistatusOf(a, error);
        if (!ms) return fail(error);
        home_ = asCollection(a.url);
        std::vector<FoundCollection> found;
        for (const auto& r : ms->responses)
            if (const auto* p = r.found(); p && traits_.isMember(*p))
                found.push_back(collectionOf(a.url, r.href(), p->displayName));
        finish(std::move(found), home_);
    }

    static FoundCollection collectionOf(const QUrl& base, const QString& href, const QString& displayName) {
        FoundCollection c;
        c.url = asCollection(href.isEmpty() ? base : resolveHref(base, href));
        c.name = displayName.trimmed();
        if (c.name.isEmpty()) {
            QString path = c.url.path(QUrl::FullyDecoded);
            path.chop(1);
            c.name = path.mid(path.lastIndexOf(u'/') + 1);
        }
        return c;
    }

    void finish(std::vector<FoundCollection> found, const QUrl& home) {
        // The address the user typed may itself be a collection outside the home set.
        if (typedCollection_) {
            bool listed = false;
            for (const auto& c : found)
                listed = listed || samePath(c.url, typedCollection_->url);
            if (!listed) found.insert(found.begin(), *typedCollection_);
        }
        done_(std::move(found), home, DavError());
    }
    void fail(const DavError& error) { done_({}, QUrl(), error); }

    Transport& transport_;
    const Traits& traits_;
    QUrl typed_;
    QUrl home_;
    Done done_;
    std::optional<FoundCollection> typedCollection_;
    bool triedWellKnown_ = false;
    bool triedTyped_ = false;
};

} // namespace

void discoverCollections(Transport& transport, Protocol protocol, const QUrl& typed, DiscoveryDone done) {
    std::make_shared<Discovery>(transport, traitsOf(protocol), typed, std::move(done))->run();
}

} // namespace zel::gui::dav
