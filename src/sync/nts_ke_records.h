#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace horalux {

// The records of an NTS key exchange (RFC 8915, section 4): each a 16-bit type whose top bit
// marks it critical, a 16-bit body length and the body, all in network byte order.
namespace ntske {

inline constexpr uint16_t kCritical = 0x8000;
inline constexpr uint16_t kEndOfMessage = 0;
inline constexpr uint16_t kNextProtocol = 1;
inline constexpr uint16_t kError = 2;
inline constexpr uint16_t kWarning = 3;
inline constexpr uint16_t kAeadAlgorithm = 4;
inline constexpr uint16_t kNewCookie = 5;
inline constexpr uint16_t kNtpServer = 6;
inline constexpr uint16_t kNtpPort = 7;

inline constexpr uint16_t kProtocolNtpV4 = 0;
inline constexpr uint16_t kAeadAesSivCmac256 = 15;
inline constexpr const char* kAeadName = "AEAD_AES_SIV_CMAC_256";
inline constexpr size_t kMaxCookies = 8;
// A response longer than this is refused: no honest server sends so much.
inline constexpr size_t kMaxResponse = 16384;

}  // namespace ntske

// Our request: NTPv4 as the next protocol, AEAD_AES_SIV_CMAC_256, end of message.
std::vector<uint8_t> encodeNtsKeRequest();

// Why a key-exchange response cannot be used.
enum class NtsKeRefusal {
    None,
    UnknownCriticalRecord,  // a critical record we do not know
    ErrorRecord,            // the server reports an error (errorCode)
    WarningRecord,          // the server warns of something we do not know
    BadRecord,              // a known record with a body of the wrong size or content
    RepeatedRecord,         // a record that may appear once appears again
    NoNextProtocol,         // no next-protocol record
    NtpNotOffered,          // the server does not offer NTPv4
    NoAead,                 // no AEAD algorithm record
    AeadNotSupported,       // the server chose an algorithm we did not offer
    NoCookies,              // no cookie to start with
    TooLong,                // the response exceeds ntske::kMaxResponse
};
const char* describe(NtsKeRefusal refusal);

// What a key-exchange response said.
struct NtsKeResponse {
    enum class State { Complete, Incomplete, Refused };
    State state = State::Incomplete;
    NtsKeRefusal refusal = NtsKeRefusal::None;
    uint16_t errorCode = 0;  // of an error or warning record
    uint16_t aead = 0;
    std::vector<std::vector<uint8_t>> cookies;  // at most ntske::kMaxCookies
    std::string server;                         // empty: the key-exchange server itself
    std::optional<uint16_t> port;               // none: 123
};

// Reads a response from its first byte: Incomplete while its end-of-message record has not
// arrived, Refused (with the reason) as soon as something in it cannot be used, else Complete.
NtsKeResponse parseNtsKeResponse(const uint8_t* data, size_t size);

}  // namespace horalux
