// The messages between two running copies of the program: an enquiry is taken only when it is exactly
// 13 bytes, made by the same build and asks 'q' or 'a'; records and enquiries survive their encoding.
#include "fuzz_util.h"

#include "core/app/instance_identity.h"

#include <array>
#include <cstring>
#include <vector>

namespace {

using namespace zel;

std::uint32_t le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

bool isEnquiryOf(const std::uint8_t* data, std::size_t size, const ExeIdentity& own) {
    return size == kEnquirySize && le32(data) == own.size && le32(data + 4) == own.sum &&
           le32(data + 8) == own.crc && (data[12] == 'q' || data[12] == 'a');
}

void checkEnquiry(const std::uint8_t* data, std::size_t size, const ExeIdentity& own) {
    const auto request = decodeEnquiry(data, size, own);
    ZEL_CHECK(request.has_value() == isEnquiryOf(data, size, own));
    if (request) ZEL_CHECK(static_cast<std::uint8_t>(*request) == data[12]);
}

void checkRecord(const std::uint8_t* bytes) {
    const InstanceRecord r = decodeRecord(bytes);
    const auto encoded = encodeRecord(r);
    // Byte for byte, so a NaN start time keeps its bits too.
    ZEL_CHECK(std::memcmp(encoded.data(), bytes, kRecordSize) == 0);
    ZEL_CHECK(r.process == le32(bytes) && r.mainWindow == le32(bytes + 4));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Copied to a buffer of exactly `size` bytes, so a read past the message's end is caught.
    const std::vector<std::uint8_t> message(data, data + size);
    const std::uint8_t* bytes = message.empty() ? nullptr : message.data();

    const ExeIdentity ofInput = identityOf(std::string_view(reinterpret_cast<const char*>(data), size));
    ZEL_CHECK(ofInput.size == static_cast<std::uint32_t>(size));
    checkEnquiry(bytes, size, ofInput);
    checkEnquiry(bytes, size, ExeIdentity{});
    if (size >= 12) {
        // The identity the input itself names, so the accepting path is reached.
        const ExeIdentity named{le32(data), le32(data + 4), le32(data + 8)};
        checkEnquiry(bytes, size, named);
        for (const auto request : {InstanceRequest::Query, InstanceRequest::Activate}) {
            const auto enquiry = encodeEnquiry(named, request);
            ZEL_CHECK(std::memcmp(enquiry.data(), data, 12) == 0);
            ZEL_CHECK(decodeEnquiry(enquiry.data(), enquiry.size(), named) == request);
            ZEL_CHECK(!decodeEnquiry(enquiry.data(), enquiry.size() - 1, named));
        }
    }

    std::array<std::uint8_t, kRecordSize> first{};
    std::memcpy(first.data(), data, std::min(size, first.size()));
    checkRecord(first.data());
    for (std::size_t at = kRecordSize; at + kRecordSize <= size; at += kRecordSize)
        checkRecord(data + at);
    return 0;
}
