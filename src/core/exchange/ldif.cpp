#include "core/exchange/contacts.h"

namespace zel {

ContactsRead readLdif(std::string_view) {
    return {};
}

} // namespace zel
