// libFuzzer target: arbitrary bytes as an NTS key-exchange response (whole, and arriving in two
// pieces) and as an NTP reply with extension fields checked against a fixed identifier and key.
// Whatever comes, the results must hold together; a broken invariant aborts.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "sync/nts_extension_fields.h"
#include "sync/nts_ke_records.h"

namespace {

using namespace horalux;

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

void checkKeResponse(const uint8_t* data, size_t size) {
    const NtsKeResponse r = parseNtsKeResponse(data, size);
    check(r.cookies.size() <= ntske::kMaxCookies, "at most 8 cookies");
    if (r.state == NtsKeResponse::State::Complete) {
        check(r.refusal == NtsKeRefusal::None, "complete without a refusal");
        check(!r.cookies.empty(), "complete with cookies");
        check(r.aead == ntske::kAeadAesSivCmac256, "complete with our AEAD");
        check(!r.port || *r.port != 0, "no port 0");
        // A complete response stays complete, with the same cookies, whatever follows it.
        std::vector<uint8_t> more(data, data + size);
        more.push_back(0xFF);
        check(parseNtsKeResponse(more.data(), more.size()).cookies == r.cookies,
              "bytes after the end change nothing");
    } else if (r.state == NtsKeResponse::State::Refused) {
        check(r.refusal != NtsKeRefusal::None, "refused with a reason");
        check(r.cookies.empty(), "refused without cookies");
    } else {
        check(r.refusal == NtsKeRefusal::None, "incomplete without a refusal");
    }
    // A prefix of a response is never complete unless the response is.
    if (size > 0) {
        const NtsKeResponse prefix = parseNtsKeResponse(data, size / 2);
        check(prefix.state != NtsKeResponse::State::Complete ||
                  r.state == NtsKeResponse::State::Complete,
              "a complete prefix");
    }
}

void checkReply(const uint8_t* data, size_t size) {
    static const std::vector<uint8_t> uid(32, 0x11);
    static const NtsKey key{};
    const NtsReplyCheck r = checkNtsReply(data, size, uid, key);
    check(r.check != SntpReplyCheck::Usable || size > 48, "usable only with fields");
    check(r.check == SntpReplyCheck::Usable || r.cookies.empty(), "cookies only when usable");
    if (size >= 48) {
        if (const auto fields = parseExtensionFields(data + 48, size - 48)) {
            size_t end = 48;
            for (const ExtensionField& f : *fields) {
                check(f.offset + 48 == end, "fields follow each other");
                check(f.size + 4 >= ntsef::kMinField && (f.size + 4) % 4 == 0, "field length");
                end += f.size + 4;
            }
            check(end == size, "fields cover the packet");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    checkKeResponse(data, size);
    checkReply(data, size);
    return 0;
}
