#include "core/app/instance_identity.h"

#include "core/text/field.h"

#include <fstream>
#include <string>
#include <vector>

namespace zel {

namespace {

const std::array<std::uint32_t, 256>& crcTable() {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    return table;
}

} // namespace

ExeIdentity identityOf(std::string_view bytes) {
    ExeIdentity id;
    id.size = static_cast<std::uint32_t>(bytes.size());
    std::uint32_t crc = 0xFFFFFFFFu;
    const auto& table = crcTable();
    for (const char ch : bytes) {
        const auto b = static_cast<std::uint8_t>(ch);
        id.sum += b;
        crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
    }
    id.crc = crc;
    return id;
}

ExeIdentity identityOfFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    if (ec) return {};
    std::string bytes(static_cast<std::size_t>(size), '\0');
    // One read: the program reads its own executable at every start.
    if (!in.read(bytes.data(), static_cast<std::streamsize>(size)) ||
        in.peek() != std::char_traits<char>::eof())
        return {static_cast<std::uint32_t>(size), 0, 0};
    return identityOf(bytes);
}

std::array<std::uint8_t, kEnquirySize> encodeEnquiry(const ExeIdentity& identity, InstanceRequest request) {
    std::array<std::uint8_t, kEnquirySize> out{};
    putU32(out.data(), identity.size);
    putU32(out.data() + 4, identity.sum);
    putU32(out.data() + 8, identity.crc);
    out[12] = static_cast<std::uint8_t>(request);
    return out;
}

std::optional<InstanceRequest> decodeEnquiry(const std::uint8_t* bytes, std::size_t size,
                                             const ExeIdentity& own) {
    if (size != kEnquirySize) return std::nullopt;
    const ExeIdentity asked{getU32(bytes), getU32(bytes + 4), getU32(bytes + 8)};
    if (!(asked == own)) return std::nullopt;
    const auto request = static_cast<InstanceRequest>(bytes[12]);
    if (request != InstanceRequest::Query && request != InstanceRequest::Activate) return std::nullopt;
    return request;
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
