#pragma once

#include "core/partners/partner_record.h"
#include "core/text/cp1250.h"

#include <array>
#include <cstddef>
#include <string>

namespace zel {

// A partner as the address book on the server sees it: UTF-8 and full length. Line breaks are kept
// as the partner file holds them (CR LF), so that an untouched text compares equal on both sides.
enum class PartnerField { Name, Address, WebAddress, Email, Mobile, Phone, Note };

constexpr std::array<PartnerField, 7> kPartnerFields = {
    PartnerField::Name,   PartnerField::Address, PartnerField::WebAddress, PartnerField::Email,
    PartnerField::Mobile, PartnerField::Phone,   PartnerField::Note,
};

struct PartnerFields;
inline std::string PartnerFields::*memberOf(PartnerField f);

struct PartnerFields {
    std::string name, address, webAddress, email, mobile, phone, note;

    std::string& operator[](PartnerField f) { return this->*memberOf(f); }
    const std::string& operator[](PartnerField f) const { return this->*memberOf(f); }
    bool operator==(const PartnerFields&) const = default;
};

inline std::string PartnerFields::*memberOf(PartnerField f) {
    switch (f) {
    case PartnerField::Name:
        return &PartnerFields::name;
    case PartnerField::Address:
        return &PartnerFields::address;
    case PartnerField::WebAddress:
        return &PartnerFields::webAddress;
    case PartnerField::Email:
        return &PartnerFields::email;
    case PartnerField::Mobile:
        return &PartnerFields::mobile;
    case PartnerField::Phone:
        return &PartnerFields::phone;
    case PartnerField::Note:
        break;
    }
    return &PartnerFields::note;
}

inline const std::string& fieldOf(const PartnerFields& p, PartnerField f) {
    return p.*memberOf(f);
}
inline std::string& fieldOf(PartnerFields& p, PartnerField f) {
    return p.*memberOf(f);
}

// Bytes of Windows-1250 the partner record keeps of the field.
constexpr std::size_t fieldCapacity(PartnerField f) {
    switch (f) {
    case PartnerField::Name:
        return 41;
    case PartnerField::Address:
        return 52;
    case PartnerField::WebAddress:
        return 100;
    case PartnerField::Email:
        return 33;
    case PartnerField::Mobile:
        return 24;
    case PartnerField::Phone:
        return 25;
    case PartnerField::Note:
        break;
    }
    return 255;
}

inline PartnerFields fieldsOfRecord(const PartnerRecord& r) {
    return {cp1250ToUtf8(r.name),  cp1250ToUtf8(r.address), cp1250ToUtf8(r.webAddress),
            cp1250ToUtf8(r.email), cp1250ToUtf8(r.mobile),  cp1250ToUtf8(r.phone),
            cp1250ToUtf8(r.note)};
}

// Each field in Windows-1250, cut to its capacity as the partner file stores it (one byte is one
// character there, so a cut never splits one).
inline PartnerRecord recordOfFields(const PartnerFields& p) {
    const auto stored = [&p](PartnerField f) {
        return utf8ToCp1250(fieldOf(p, f)).substr(0, fieldCapacity(f));
    };
    return {stored(PartnerField::Name),  stored(PartnerField::Address), stored(PartnerField::WebAddress),
            stored(PartnerField::Email), stored(PartnerField::Mobile),  stored(PartnerField::Phone),
            stored(PartnerField::Note)};
}

} // namespace zel
