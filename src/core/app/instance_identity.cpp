#include "core/app/instance_identity.h"

#include "core/text/field.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <string>
#include <vector>
#include <zlib.h>

namespace zel {

namespace {

// The identity of bytes given piece by piece.
struct IdentitySum {
    std::uint64_t size = 0;
    std::uint32_t sum = 0;
    uLong crc = crc32_z(0, nullptr, 0);

    void add(std::string_view bytes) {
        size += bytes.size();
        // Apart from the CRC, so the compiler can vectorise the sum.
        for (const char ch : bytes)
            sum += static_cast<std::uint8_t>(ch);
        crc = crc32_z(crc, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<z_size_t>(bytes.size()));
    }
    // zlib's CRC-32 is the same polynomial, pre- and post-inverted; the identity keeps the register
    // before the final inversion.
    ExeIdentity identity() const {
        return {static_cast<std::uint32_t>(size), sum, ~static_cast<std::uint32_t>(crc)};
    }
};

} // namespace

ExeIdentity identityOf(std::string_view bytes) {
    IdentitySum id;
    id.add(bytes);
    return id.identity();
}

ExeIdentity identityOfFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    if (ec) return {};
    // Read piece by piece through one small buffer: the program reads its own executable at every
    // start, and a buffer of its size costs a fresh page for every 4 KiB of it.
    IdentitySum id;
    std::array<char, 64 * 1024> buffer;
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        id.add(std::string_view(buffer.data(), static_cast<std::size_t>(in.gcount())));
    }
    // A file that changed its size while it was read has no identity beyond its size.
    if (!in.eof() || id.size != size) return {static_cast<std::uint32_t>(size), 0, 0};
    return id.identity();
}

std::string encodeEnquiry(const ExeIdentity& identity, const Enquiry& enquiry) {
    std::string out(kEnquirySize, '\0');
    auto* bytes = reinterpret_cast<std::uint8_t*>(out.data());
    putU32(bytes, identity.size);
    putU32(bytes + 4, identity.sum);
    putU32(bytes + 8, identity.crc);
    bytes[12] = static_cast<std::uint8_t>(enquiry.request);
    if (enquiry.request == InstanceRequest::Activate) {
        const std::size_t n = enquiry.activationToken.size();
        out += static_cast<char>(n & 0xFF);
        out += static_cast<char>((n >> 8) & 0xFF);
        out += enquiry.activationToken;
    }
    return out;
}

EnquiryRead readEnquiry(std::string_view bytes, const ExeIdentity& own) {
    using Status = EnquiryRead::Status;
    const auto* b = reinterpret_cast<const std::uint8_t*>(bytes.data());
    // The identity is checked as soon as it is there, so another build's bytes are dropped at once.
    if (bytes.size() >= 12 && !(ExeIdentity{getU32(b), getU32(b + 4), getU32(b + 8)} == own))
        return {Status::Invalid, {}};
    if (bytes.size() < kEnquirySize) return {};
    const auto request = static_cast<InstanceRequest>(b[12]);
    if (request == InstanceRequest::Query)
        return {bytes.size() == kEnquirySize ? Status::Complete : Status::Invalid, {request, {}}};
    if (request != InstanceRequest::Activate) return {Status::Invalid, {}};
    if (bytes.size() < kEnquirySize + 2) return {};
    const std::size_t n = b[kEnquirySize] | static_cast<std::size_t>(b[kEnquirySize + 1]) << 8;
    if (n > kMaxActivationTokenSize) return {Status::Invalid, {}};
    const std::string_view token = bytes.substr(std::min(bytes.size(), kEnquirySize + 2));
    if (token.size() < n) return {};
    if (token.size() > n) return {Status::Invalid, {}};
    for (const char c : token)
        if (c < 0x21 || c > 0x7E) return {Status::Invalid, {}};
    return {Status::Complete, {request, std::string(token)}};
}

std::array<std::uint8_t, kRecordSize> encodeRecord(const InstanceRecord& record) {
    std::array<std::uint8_t, kRecordSize> out{};
    putU32(out.data(), record.process);
    putU32(out.data() + 4, record.mainWindow);
    // Little-endian: the low half of the double first.
    putDouble(out.data() + 8, record.startTime);
    return out;
}

InstanceRecord decodeRecord(const std::uint8_t* bytes) {
    InstanceRecord r;
    r.process = getU32(bytes);
    r.mainWindow = getU32(bytes + 4);
    r.startTime = getDouble(bytes + 8);
    return r;
}

} // namespace zel
