#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zel {

// What tells one build of the program from another: the executable's size, the sum of its bytes
// modulo 2^32, and their CRC-32 (reflected polynomial 0xEDB88320, register starting at 0xFFFFFFFF,
// no final inversion). Copies of one build in different folders have the same identity.
struct ExeIdentity {
    std::uint32_t size = 0;
    std::uint32_t sum = 0;
    std::uint32_t crc = 0;
    bool operator==(const ExeIdentity&) const = default;
};

ExeIdentity identityOf(std::string_view bytes);
// The identity of a file; a file that cannot be opened gives zeros, one that cannot be read whole keeps
// only its size.
ExeIdentity identityOfFile(const std::filesystem::path& file);

// A running instance as it describes itself: its process, its main window (0 while it has none) and
// its start time (days since 1899-12-30, the fraction the time of day).
struct InstanceRecord {
    std::uint32_t process = 0;
    std::uint32_t mainWindow = 0;
    double startTime = 0;
    bool operator==(const InstanceRecord&) const = default;
};

// The enquiry: the 12 bytes of the identity (size, sum, crc, little-endian), then one byte saying
// what is asked; an activation adds the desktop's activation token that the asking start was given
// (its length in 16 bits, little-endian, then its bytes; empty when there was none). The answer: the
// 16-byte record (process, main window, start time as two 32-bit halves, low half first).
enum class InstanceRequest : std::uint8_t { Query = 'q', Activate = 'a' };
constexpr std::size_t kEnquirySize = 13;
constexpr std::size_t kRecordSize = 16;
// Tokens are short printable names; anything longer or stranger is no token.
constexpr std::size_t kMaxActivationTokenSize = 1024;

struct Enquiry {
    InstanceRequest request = InstanceRequest::Query;
    std::string activationToken;
    bool operator==(const Enquiry&) const = default;
};

std::string encodeEnquiry(const ExeIdentity& identity, const Enquiry& enquiry);
// Reads the bytes a connection sent so far: an enquiry needs more of them, is complete, or is none
// (another build's, an unknown request, a token that is no token, or anything after a whole enquiry).
struct EnquiryRead {
    enum class Status { NeedsMore, Complete, Invalid } status = Status::NeedsMore;
    Enquiry enquiry;
};
EnquiryRead readEnquiry(std::string_view bytes, const ExeIdentity& own);
std::array<std::uint8_t, kRecordSize> encodeRecord(const InstanceRecord& record);
InstanceRecord decodeRecord(const std::uint8_t* bytes);

} // namespace zel
