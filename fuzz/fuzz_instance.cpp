// The messages between two running copies of the program: an enquiry is taken only when it is made by
// the same build, asks 'q' in exactly 13 bytes or 'a' with a printable token of the length it gives,
// and nothing follows it; records and enquiries survive their encoding.
#include "fuzz_util.h"

#include "core/app/instance_identity.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace zel;

std::uint32_t le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

using Status = EnquiryRead::Status;

// What the bytes are, worked out apart from the reader.
Status expectedStatus(const std::uint8_t* data, std::size_t size, const ExeIdentity& own) {
    if (size >= 12 && !(le32(data) == own.size && le32(data + 4) == own.sum && le32(data + 8) == own.crc))
        return Status::Invalid;
    if (size < kEnquirySize) return Status::NeedsMore;
    if (data[12] == 'q') return size == kEnquirySize ? Status::Complete : Status::Invalid;
    if (data[12] != 'a') return Status::Invalid;
    if (size < kEnquirySize + 2) return Status::NeedsMore;
    const std::size_t n = data[13] | static_cast<std::size_t>(data[14]) << 8;
    if (n > kMaxActivationTokenSize) return Status::Invalid;
    if (size < kEnquirySize + 2 + n) return Status::NeedsMore;
    if (size > kEnquirySize + 2 + n) return Status::Invalid;
    for (std::size_t i = kEnquirySize + 2; i < size; ++i)
        if (data[i] < 0x21 || data[i] > 0x7E) return Status::Invalid;
    return Status::Complete;
}

void checkEnquiry(const std::uint8_t* data, std::size_t size, const ExeIdentity& own) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const EnquiryRead read = readEnquiry(bytes, own);
    ZEL_CHECK(read.status == expectedStatus(data, size, own));
    // A complete enquiry is exactly what encoding it gives.
    if (read.status == Status::Complete) ZEL_CHECK(encodeEnquiry(own, read.enquiry) == bytes);
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
        // The rest of the input as a token, printable or not.
        const std::string token(reinterpret_cast<const char*>(data) + 12, size - 12);
        for (const auto request : {InstanceRequest::Query, InstanceRequest::Activate}) {
            const std::string enquiry = encodeEnquiry(named, {request, token});
            ZEL_CHECK(std::memcmp(enquiry.data(), data, 12) == 0);
            const EnquiryRead read = readEnquiry(enquiry, named);
            const bool printable =
                std::all_of(token.begin(), token.end(), [](char c) { return c > 0x20 && c < 0x7F; });
            if (request == InstanceRequest::Query || (printable && token.size() <= kMaxActivationTokenSize))
                ZEL_CHECK(read.status == Status::Complete && read.enquiry.request == request &&
                          (request == InstanceRequest::Query || read.enquiry.activationToken == token));
            ZEL_CHECK(readEnquiry(std::string_view(enquiry).substr(0, enquiry.size() - 1), named).status !=
                      Status::Complete);
        }
    }

    std::array<std::uint8_t, kRecordSize> first{};
    std::memcpy(first.data(), data, std::min(size, first.size()));
    checkRecord(first.data());
    for (std::size_t at = kRecordSize; at + kRecordSize <= size; at += kRecordSize)
        checkRecord(data + at);
    return 0;
}
