#include "sync/nts_ke_records.h"

namespace horalux {

namespace {

uint16_t read16(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

void append16(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

void appendRecord(std::vector<uint8_t>& out, uint16_t type, const std::vector<uint16_t>& body) {
    append16(out, type | ntske::kCritical);
    append16(out, static_cast<uint16_t>(2 * body.size()));
    for (const uint16_t value : body) {
        append16(out, value);
    }
}

NtsKeResponse refused(NtsKeResponse response, NtsKeRefusal why) {
    response.state = NtsKeResponse::State::Refused;
    response.refusal = why;
    response.cookies.clear();
    return response;
}

bool isHostText(const uint8_t* body, size_t size) {
    if (size == 0 || size > 255) {
        return false;
    }
    for (size_t i = 0; i < size; ++i) {
        if (body[i] <= ' ' || body[i] >= 0x7F) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::vector<uint8_t> encodeNtsKeRequest() {
    std::vector<uint8_t> out;
    appendRecord(out, ntske::kNextProtocol, {ntske::kProtocolNtpV4});
    appendRecord(out, ntske::kAeadAlgorithm, {ntske::kAeadAesSivCmac256});
    appendRecord(out, ntske::kEndOfMessage, {});
    return out;
}

const char* describe(NtsKeRefusal refusal) {
    switch (refusal) {
        case NtsKeRefusal::None:
            return "";
        case NtsKeRefusal::UnknownCriticalRecord:
            return "unknown critical record";
        case NtsKeRefusal::ErrorRecord:
            return "the server reports an error";
        case NtsKeRefusal::WarningRecord:
            return "the server sends a warning";
        case NtsKeRefusal::BadRecord:
            return "malformed record";
        case NtsKeRefusal::RepeatedRecord:
            return "repeated record";
        case NtsKeRefusal::NoNextProtocol:
            return "no next protocol";
        case NtsKeRefusal::NtpNotOffered:
            return "NTPv4 not offered";
        case NtsKeRefusal::NoAead:
            return "no AEAD algorithm";
        case NtsKeRefusal::AeadNotSupported:
            return "AEAD algorithm not supported";
        case NtsKeRefusal::NoCookies:
            return "no cookies";
        case NtsKeRefusal::TooLong:
            return "response too long";
    }
    return "?";
}

NtsKeResponse parseNtsKeResponse(const uint8_t* data, size_t size) {
    NtsKeResponse r;
    bool haveProtocol = false;
    bool haveAead = false;
    bool haveServer = false;
    size_t at = 0;
    for (;;) {
        if (at > ntske::kMaxResponse) {
            return refused(r, NtsKeRefusal::TooLong);
        }
        if (size - at < 4) {
            return size > ntske::kMaxResponse ? refused(r, NtsKeRefusal::TooLong) : r;
        }
        const bool critical = (data[at] & 0x80) != 0;
        const uint16_t type = read16(data + at) & ~ntske::kCritical;
        const size_t length = read16(data + at + 2);
        if (size - at - 4 < length) {
            return at + 4 + length > ntske::kMaxResponse ? refused(r, NtsKeRefusal::TooLong) : r;
        }
        const uint8_t* body = data + at + 4;
        at += 4 + length;

        switch (type) {
            case ntske::kEndOfMessage:
                if (length != 0) {
                    return refused(r, NtsKeRefusal::BadRecord);
                }
                if (!haveProtocol) {
                    return refused(r, NtsKeRefusal::NoNextProtocol);
                }
                if (!haveAead) {
                    return refused(r, NtsKeRefusal::NoAead);
                }
                if (r.cookies.empty()) {
                    return refused(r, NtsKeRefusal::NoCookies);
                }
                r.state = NtsKeResponse::State::Complete;
                return r;
            case ntske::kNextProtocol:
                if (haveProtocol) {
                    return refused(r, NtsKeRefusal::RepeatedRecord);
                }
                if (length % 2 != 0) {
                    return refused(r, NtsKeRefusal::BadRecord);
                }
                // The server names exactly the one protocol it agrees to; none means none.
                if (length != 2 || read16(body) != ntske::kProtocolNtpV4) {
                    return refused(r, NtsKeRefusal::NtpNotOffered);
                }
                haveProtocol = true;
                break;
            case ntske::kError:
            case ntske::kWarning:
                r.errorCode = length == 2 ? read16(body) : 0;
                return refused(r, type == ntske::kError ? NtsKeRefusal::ErrorRecord
                                                        : NtsKeRefusal::WarningRecord);
            case ntske::kAeadAlgorithm:
                if (haveAead) {
                    return refused(r, NtsKeRefusal::RepeatedRecord);
                }
                if (length != 2) {
                    return refused(
                        r, length == 0 ? NtsKeRefusal::AeadNotSupported : NtsKeRefusal::BadRecord);
                }
                r.aead = read16(body);
                if (r.aead != ntske::kAeadAesSivCmac256) {
                    return refused(r, NtsKeRefusal::AeadNotSupported);
                }
                haveAead = true;
                break;
            case ntske::kNewCookie:
                if (length == 0) {
                    return refused(r, NtsKeRefusal::BadRecord);
                }
                if (r.cookies.size() < ntske::kMaxCookies) {
                    r.cookies.emplace_back(body, body + length);
                }
                break;
            case ntske::kNtpServer:
                if (haveServer) {
                    return refused(r, NtsKeRefusal::RepeatedRecord);
                }
                if (!isHostText(body, length)) {
                    return refused(r, NtsKeRefusal::BadRecord);
                }
                r.server.assign(reinterpret_cast<const char*>(body), length);
                haveServer = true;
                break;
            case ntske::kNtpPort:
                if (r.port) {
                    return refused(r, NtsKeRefusal::RepeatedRecord);
                }
                if (length != 2 || read16(body) == 0) {
                    return refused(r, NtsKeRefusal::BadRecord);
                }
                r.port = read16(body);
                break;
            default:
                if (critical) {
                    return refused(r, NtsKeRefusal::UnknownCriticalRecord);
                }
                break;  // an unknown record that is not critical is passed over
        }
    }
}

}  // namespace horalux
