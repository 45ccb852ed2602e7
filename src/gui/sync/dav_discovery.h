#pragma once

#include "gui/sync/dav_transport.h"

namespace zel::gui::dav {

// A collection discovery found: its URL (ending in '/') and its display name, else the last segment
// of its path.
struct FoundCollection {
    QUrl url;
    QString name;
};

using DiscoveryDone = std::function<void(std::vector<FoundCollection>, QUrl home, DavError)>;

// What is looked for: CardDAV address books, or CalDAV calendars that take events.
enum class Protocol { CardDav, CalDav };

// From the address the user typed (with a scheme and a path): the protocol's .well-known address for a
// bare server, the typed address itself, the current user principal, its home set (address books' or
// calendars'), and the protocol's collections in that home set; a typed address that is itself such a
// collection is listed too. Each step that finds nothing falls through to the next way in; no answer
// at all (Offline, Unauthorized, Certificate) ends it at once.
void discoverCollections(Transport& transport, Protocol protocol, const QUrl& typed, DiscoveryDone done);

} // namespace zel::gui::dav
