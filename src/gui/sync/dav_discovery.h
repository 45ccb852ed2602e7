#pragma once

#include "gui/sync/dav_transport.h"

namespace zel::gui::dav {

using DiscoveryDone = std::function<void(std::vector<AddressBookInfo>, QUrl, DavError)>;

// From the address the user typed (with a scheme and a path): .well-known/carddav for a bare server,
// the typed address itself, the current user principal, its address-book home set, and the address
// books in that home set; a typed address that is itself a book is listed too. Each step that finds
// nothing falls through to the next way in; no answer at all (Offline, Unauthorized, Certificate) ends
// it at once.
void discoverBooks(Transport& transport, const QUrl& typed, DiscoveryDone done);

} // namespace zel::gui::dav
