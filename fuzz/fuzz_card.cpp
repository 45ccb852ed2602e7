// One card as a CardDAV server may send it: read, given back byte for byte, and each partner field
// changed and cleared in turn.
#include "fuzz_util.h"

#include "core/exchange/exchange_text.h"
#include "core/sync/card.h"

namespace {

using namespace zel;

constexpr PartnerField kFields[] = {PartnerField::Name,  PartnerField::Address, PartnerField::WebAddress,
                                    PartnerField::Email, PartnerField::Mobile,  PartnerField::Phone,
                                    PartnerField::Note};

// The card's fields read back the same from its bytes: only for a plain 3.0 or 4.0 card, as a 2.1
// card's escapes differ from the ones a changed line is written with.
bool rereadable(const VCard& card) {
    const auto props = card.properties();
    std::size_t versions = 0;
    for (const auto& p : props)
        versions += p.name == "VERSION";
    return versions == 1 && props.size() > 1 && props[1].name == "VERSION" &&
           (card.version() == "3.0" || card.version() == "4.0");
}

void checkEdit(const VCard& original, PartnerField f, const std::string& value, bool utf8) {
    VCard card = original;
    card.setField(f, value);
    const std::string bytes = card.bytes();
    const auto back = VCard::parse(bytes);
    ZEL_CHECK(back.has_value());
    if (!utf8) return;
    const PartnerFields before = fieldsOf(original), after = fieldsOf(card);
    for (PartnerField other : kFields)
        if (other != f) ZEL_CHECK(after[other] == before[other]);
    const std::string expected = exchange::withCrLf(value);
    // An address kept in LABEL reads back with its lines joined.
    if (!value.empty())
        ZEL_CHECK(after[f] == expected ||
                  (f == PartnerField::Address && after[f] == exchange::linesJoined(expected)));
    if (rereadable(original) && exchange::isUtf8(bytes)) ZEL_CHECK(fieldsOf(*back) == after);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    const auto card = VCard::parse(in);
    if (!card) return 0;
    ZEL_CHECK(card->bytes() == in);
    const bool utf8 = exchange::isUtf8(exchange::withoutBom(in));
    const PartnerFields fields = fieldsOf(*card);
    for (std::size_t i = 0; i < std::size(kFields); ++i) {
        const PartnerField f = kFields[i];
        if (utf8) ZEL_CHECK(exchange::isUtf8(fields[f]));
        // Another field's text, so that escapes and line breaks of the input come along.
        checkEdit(*card, f, fields[kFields[(i + 1) % std::size(kFields)]] + " ő;,\\", utf8);
        checkEdit(*card, f, "", utf8);
    }
    return 0;
}
