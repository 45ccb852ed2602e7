#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zel {

constexpr std::size_t kPartnerRecordSize = 537;
constexpr const char* kPartnerFileName = "partnerek.dat";

// One contact. Texts are Windows-1250; each is cut to its capacity when stored.
struct PartnerRecord {
    // Windows-1250, each at most the bytes given.
    std::string name;       // 41
    std::string address;    // 52
    std::string webAddress; // 100
    std::string email;      // 33
    std::string mobile;     // 24
    std::string phone;      // 25
    std::string note;       // 255

    bool operator==(const PartnerRecord&) const = default;
};

std::string encodePartner(const PartnerRecord& p);
// A length byte beyond its field's capacity: no version of the program writes one.
bool partnerRecordMalformed(const std::uint8_t* bytes);
PartnerRecord decodePartner(const std::uint8_t* bytes);

// The contact card the partner file starts with.
PartnerRecord makerCard();

} // namespace zel
