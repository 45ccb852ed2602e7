#include "core/exchange/contacts.h"

namespace zel {

ContactsRead readVCard(std::string_view) {
    return {};
}
std::string writeVCard(const std::vector<PartnerRecord>&) {
    return {};
}

} // namespace zel
