// LDIF address books as Thunderbird and older Netscape-family programs export them.
#include "fuzz_contacts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zel;
    const ContactsRead read = readLdif(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const PartnerRecord& c : read.contacts)
        ZEL_CHECK(!c.name.empty() || !c.email.empty());
    fuzz::checkContacts(read);
    return 0;
}
