// Partner records as they may be found in the partner file: every field read back the same after
// one trip through the encoder.
#include "fuzz_util.h"

#include "core/partners/partner_record.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

void checkRecord(const std::uint8_t* bytes) {
    using namespace zel;
    const PartnerRecord p = decodePartner(bytes);
    ZEL_CHECK(p.name.size() <= 41 && p.address.size() <= 52 && p.webAddress.size() <= 100);
    ZEL_CHECK(p.email.size() <= 33 && p.mobile.size() <= 24 && p.phone.size() <= 25 && p.note.size() <= 255);
    const std::string encoded = encodePartner(p);
    ZEL_CHECK(encoded.size() == kPartnerRecordSize);
    ZEL_CHECK(decodePartner(reinterpret_cast<const std::uint8_t*>(encoded.data())) == p);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first record, padded with zeros when the input is shorter, then every further whole one.
    std::vector<std::uint8_t> first(zel::kPartnerRecordSize, 0);
    std::memcpy(first.data(), data, std::min(size, first.size()));
    checkRecord(first.data());
    for (std::size_t at = zel::kPartnerRecordSize; at + zel::kPartnerRecordSize <= size;
         at += zel::kPartnerRecordSize)
        checkRecord(data + at);
    return 0;
}
