#include "clockd/clock_step_service.h"

#include <cstdio>
#include <cstdlib>

#include "platform/clock_helper.h"

namespace horalux::clockd {

std::string SecondsText(int64_t offsetUs) {
    const uint64_t magnitude =
        offsetUs < 0 ? 0 - static_cast<uint64_t>(offsetUs) : static_cast<uint64_t>(offsetUs);
    char text[48];
    std::snprintf(text, sizeof text, "%c%llu.%06llu s", offsetUs < 0 ? '-' : '+',
                  static_cast<unsigned long long>(magnitude / 1000000),
                  static_cast<unsigned long long>(magnitude % 1000000));
    return text;
}

StepReply ClockStepService::handle(const StepRequest& request) {
    const int64_t limit = clock_helper::kMaxStep.count();
    if (request.offsetUs > limit || request.offsetUs < -limit) {
        return refuse(
            request, clock_helper::kInvalidOffset,
            "a step of " + SecondsText(request.offsetUs) + " is more than a century either way");
    }
    const AuthorityAnswer answer = authority_.check(request.sender, clock_helper::kPolkitAction);
    switch (answer.verdict) {
        case AuthorityAnswer::Verdict::Allowed:
            break;
        case AuthorityAnswer::Verdict::Denied:
            return refuse(request, clock_helper::kNotAuthorized,
                          "polkit does not allow this caller to set the clock (action " +
                              std::string(clock_helper::kPolkitAction) + ")" +
                              (answer.detail.empty() ? "" : ": " + answer.detail));
        case AuthorityAnswer::Verdict::Unavailable:
            return refuse(
                request, clock_helper::kAuthorizationUnavailable,
                "cannot ask polkit whether this caller may set the clock: " + answer.detail);
    }
    const std::string failure = stepper_.step(std::chrono::microseconds{request.offsetUs});
    if (!failure.empty()) {
        return refuse(request, clock_helper::kStepFailed,
                      "the system did not step the clock: " + failure);
    }
    log_("stepped the clock by " + SecondsText(request.offsetUs) + " for uid " +
         std::to_string(request.uid) + " pid " + std::to_string(request.pid));
    return {true, {}, {}};
}

StepReply ClockStepService::refuse(const StepRequest& request, const char* errorName,
                                   std::string message) {
    log_("refused a step of " + SecondsText(request.offsetUs) + " for uid " +
         std::to_string(request.uid) + " pid " + std::to_string(request.pid) + ": " + message);
    return {false, errorName, std::move(message)};
}

}  // namespace horalux::clockd
