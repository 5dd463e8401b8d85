#include "clockd/polkit_authority.h"

#include <cstring>

#include "platform/clock_helper.h"

namespace horalux::clockd {

namespace {

constexpr uint32_t kAllowUserInteraction = 1;

AuthorityAnswer Unavailable(std::string why) {
    return {AuthorityAnswer::Verdict::Unavailable, std::move(why)};
}

}  // namespace

AuthorityAnswer PolkitAuthority::check(const std::string& busName, const std::string& action) {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* call = nullptr;
    sd_bus_message* reply = nullptr;
    int r = sd_bus_message_new_method_call(
        bus_, &call, "org.freedesktop.PolicyKit1", "/org/freedesktop/PolicyKit1/Authority",
        "org.freedesktop.PolicyKit1.Authority", "CheckAuthorization");
    if (r >= 0) {
        r = sd_bus_message_append(call, "(sa{sv})sa{ss}us", "system-bus-name", 1, "name", "s",
                                  busName.c_str(), action.c_str(), 0, kAllowUserInteraction, "");
    }
    if (r >= 0) {
        r = sd_bus_message_set_allow_interactive_authorization(call, 1);
    }
    if (r >= 0) {
        const auto timeout = std::chrono::duration_cast<std::chrono::microseconds>(
            clock_helper::kAuthorizationTimeout);
        r = sd_bus_call(bus_, call, static_cast<uint64_t>(timeout.count()), &error, &reply);
    }
    sd_bus_message_unref(call);
    if (r < 0) {
        AuthorityAnswer answer =
            Unavailable(error.message != nullptr ? error.message : std::strerror(-r));
        sd_bus_error_free(&error);
        return answer;
    }
    int authorized = 0;
    int challenge = 0;
    r = sd_bus_message_enter_container(reply, 'r', "bba{ss}");
    if (r >= 0) {
        r = sd_bus_message_read(reply, "bb", &authorized, &challenge);
    }
    sd_bus_message_unref(reply);
    if (r < 0) {
        return Unavailable(std::string("polkit's answer cannot be read: ") + std::strerror(-r));
    }
    if (authorized != 0) {
        return {AuthorityAnswer::Verdict::Allowed, {}};
    }
    return {AuthorityAnswer::Verdict::Denied,
            challenge != 0 ? "it would need an administrator's password, and none was given" : ""};
}

}  // namespace horalux::clockd
