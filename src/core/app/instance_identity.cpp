#include "core/app/instance_identity.h"

#include <cstring>
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

void put32(std::uint8_t* at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t get32(const std::uint8_t* at) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<std::uint32_t>(at[i]) << (8 * i);
    return v;
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
    put32(out.data(), identity.size);
    put32(out.data() + 4, identity.sum);
    put32(out.data() + 8, identity.crc);
    out[12] = static_cast<std::uint8_t>(request);
    return out;
}

std::optional<InstanceRequest> decodeEnquiry(const std::uint8_t* bytes, std::size_t size,
                                             const ExeIdentity& own) {
    if (size != kEnquirySize) return std::nullopt;
    const ExeIdentity asked{get32(bytes), get32(bytes + 4), get32(bytes + 8)};
    if (!(asked == own)) return std::nullopt;
    const auto request = static_cast<InstanceRequest>(bytes[12]);
    if (request != InstanceRequest::Query && request != InstanceRequest::Activate) return std::nullopt;
    return request;
}

std::array<std::uint8_t, kRecordSize> encodeRecord(const InstanceRecord& record) {
    std::array<std::uint8_t, kRecordSize> out{};
    put32(out.data(), record.process);
    put32(out.data() + 4, record.mainWindow);
    std::uint64_t time = 0;
    std::memcpy(&time, &record.startTime, sizeof time);
    put32(out.data() + 8, static_cast<std::uint32_t>(time));
    put32(out.data() + 12, static_cast<std::uint32_t>(time >> 32));
    return out;
}

InstanceRecord decodeRecord(const std::uint8_t* bytes) {
    InstanceRecord r;
    r.process = get32(bytes);
    r.mainWindow = get32(bytes + 4);
    const std::uint64_t time = get32(bytes + 8) | static_cast<std::uint64_t>(get32(bytes + 12)) << 32;
    std::memcpy(&r.startTime, &time, sizeof time);
    return r;
}

} // namespace zel
