#include "core/partners/partner_record.h"

#include "core/text/cp1250.h"
#include "core/text/field.h"

namespace zel {

namespace {
struct FieldSpec {
    std::string PartnerRecord::*member;
    std::size_t offset;
    std::size_t capacity;
};
constexpr FieldSpec kFields[] = {
    {&PartnerRecord::name, 0, 41},         {&PartnerRecord::address, 42, 52},
    {&PartnerRecord::webAddress, 95, 100}, {&PartnerRecord::email, 196, 33},
    {&PartnerRecord::mobile, 230, 24},     {&PartnerRecord::phone, 255, 25},
    {&PartnerRecord::note, 281, 255},
};
} // namespace

std::string encodePartner(const PartnerRecord& p) {
    std::string out(kPartnerRecordSize, '\0');
    auto* b = reinterpret_cast<std::uint8_t*>(out.data());
    for (const auto& f : kFields)
        putField(b + f.offset, f.capacity, p.*f.member);
    return out;
}

bool partnerRecordMalformed(const std::uint8_t* b) {
    for (const auto& f : kFields)
        if (b[f.offset] > f.capacity) return true;
    return false;
}

PartnerRecord decodePartner(const std::uint8_t* b) {
    PartnerRecord p;
    for (const auto& f : kFields)
        p.*f.member = getField(b + f.offset, f.capacity);
    return p;
}

PartnerRecord makerCard() {
    PartnerRecord p;
    p.name = "Zelmoran";
    p.webAddress = "https://zelmoran.example.org";
    p.email = "zelmoran@example.org";
    p.note = utf8ToCp1250("A Zelmoran programot a Zelmoran fejlesztői készítették: hibát vagy ötletet erre "
                          "az e-mail címre írjon nekik.");
    return p;
}

} // namespace zel
