#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zel {

constexpr std::size_t kPartnerRecordSize = 537;
constexpr const char* kPartnerFileName = "partnerek.dat";

// One contact. Texts are Windows-1250; each is cut to its capacity when stored.
struct PartnerRecord {
    std::string Name;       // 41
    std::string Address;    // 52
    std::string WebAddress; // 100
    std::string Email;      // 33
    std::string Mobile;     // 24
    std::string Phone;      // 25
    std::string Note;       // 255

    bool operator==(const PartnerRecord&) const = default;
};

std::string encodePartner(const PartnerRecord& p);
// A length byte beyond its field's capacity: no version of the program writes one.
bool partnerRecordMalformed(const std::uint8_t* bytes);
PartnerRecord decodePartner(const std::uint8_t* bytes);

// The contact card the partner file starts with.
PartnerRecord makerCard();

} // namespace zel
