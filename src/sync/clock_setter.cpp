#include "sync/clock_setter.h"

#include <string_view>

#include "sync/time_privilege.h"

namespace horalux {

ClockPath ChooseClockPath(const ClockPathFacts& facts) {
    if (facts.helperForced) {
        return ClockPath::Helper;
    }
    if (facts.virtualClock) {
        return ClockPath::Virtual;
    }
    return facts.timeCapability ? ClockPath::Direct : ClockPath::Helper;
}

ClockSetOutcome OutcomeOfHelperAnswer(const ClockHelperAnswer& answer) {
    using Status = ClockHelperAnswer::Status;
    switch (answer.status) {
        case Status::Stepped:
            return {};
        case Status::NoBus:
            return {ClockSetResult::NoHelper, answer.message};
        case Status::TimedOut:
        case Status::Stopped:
            return {ClockSetResult::HelperFailed, answer.message};
        case Status::Error:
            break;
    }
    const std::string_view name = answer.errorName;
    const std::string detail = answer.errorName + ": " + answer.message;
    if (name == "org.freedesktop.DBus.Error.ServiceUnknown" ||
        name == "org.freedesktop.DBus.Error.NameHasNoOwner") {
        return {ClockSetResult::NoHelper, answer.message};
    }
    if (name == clock_helper::kNotAuthorized) {
        return {ClockSetResult::NotAuthorized, answer.message};
    }
    if (name == clock_helper::kStepFailed || name == clock_helper::kInvalidOffset) {
        return {ClockSetResult::ClockRefused, answer.message};
    }
    return {ClockSetResult::HelperFailed, detail};
}

ClockCorrection CorrectionFrom(const SystemTime& reading, const SystemTime& target) {
    return {target, std::chrono::milliseconds{toUnixMillis(target) - toUnixMillis(reading)}};
}

ClockSetter::ClockSetter(SystemClock& clock, TimeCapability& capability, ClockPath path,
                         ClockHelper* helper)
    : clock_(clock), capability_(capability), path_(path), helper_(helper) {}

ClockSetOutcome ClockSetter::apply(const ClockCorrection& correction, const std::stop_token& stop) {
    ClockSetOutcome outcome =
        applyByPath(correction, stop.stop_possible() ? stop : cancel_.get_token());
    std::lock_guard lock(mutex_);
    last_ = outcome;
    lastStep_.reset();
    if (outcome.set()) {
        lastStep_ = correction.step;
    }
    return outcome;
}

ClockSetOutcome ClockSetter::applyByPath(const ClockCorrection& correction,
                                         const std::stop_token& stop) {
    switch (path_) {
        case ClockPath::Direct: {
            ScopedTimePrivilege privilege(capability_);
            ClockSetOutcome outcome{ClockSetResult::ClockRefused, "CAP_SYS_TIME cannot be raised"};
            if (privilege.Acquire() != 0) {
                outcome = clock_.setUtc(correction.target)
                              ? ClockSetOutcome{}
                              : ClockSetOutcome{ClockSetResult::ClockRefused,
                                                "the system refused the new time"};
            }
            privilege.Release();
            return outcome;
        }
        case ClockPath::Virtual:
            if (clock_.setUtc(correction.target)) {
                return {};
            }
            return {ClockSetResult::ClockRefused, "the virtual clock's file could not be written"};
        case ClockPath::Helper:
            if (helper_ == nullptr) {
                return {ClockSetResult::NoHelper, "no clock helper"};
            }
            return OutcomeOfHelperAnswer(helper_->step(correction.step, stop));
    }
    return {ClockSetResult::ClockRefused, "no way to set the clock"};
}

std::optional<ClockSetOutcome> ClockSetter::lastOutcome() const {
    std::lock_guard lock(mutex_);
    return last_;
}

std::optional<std::chrono::microseconds> ClockSetter::lastStep() const {
    std::lock_guard lock(mutex_);
    return lastStep_;
}

void ClockSetter::forget() {
    std::lock_guard lock(mutex_);
    last_.reset();
    lastStep_.reset();
}

}  // namespace horalux
