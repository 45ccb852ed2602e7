// vCard files as phones and mail programs write them, or as a cut download leaves them; and our own
// export of any rows, read back.
#include "fuzz_contacts.h"

#include "core/exchange/exchange_text.h"

namespace {

using namespace zel;

void checkExport(const std::vector<PartnerRecord>& rows) {
    const std::string out = writeVCard(rows);
    ZEL_CHECK(exchange::isUtf8(out));
    // Content lines of at most 75 octets, each ended by CR LF.
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (out[i] == '\n') {
            ZEL_CHECK(i > 0 && out[i - 1] == '\r');
            ZEL_CHECK(i - 1 - lineStart <= 75);
            lineStart = i + 1;
        } else if (out[i] == '\r') {
            ZEL_CHECK(i + 1 < out.size() && out[i + 1] == '\n');
        }
    }
    ZEL_CHECK(lineStart == out.size());
    const ContactsRead back = readVCard(out);
    ZEL_CHECK(back.damaged == 0);
    ZEL_CHECK(back.contacts == fuzz::withAnyField(rows));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    const ContactsRead read = readVCard(in);
    // A card takes at least its BEGIN line.
    ZEL_CHECK((read.contacts.size() + read.damaged) * 11 <= size);
    fuzz::checkContacts(read);

    fuzz::ByteSource fdp(data, size);
    checkExport(fuzz::rowsFrom(fdp));
    return 0;
}
