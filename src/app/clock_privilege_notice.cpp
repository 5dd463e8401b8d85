#include "app/clock_privilege_notice.h"

namespace horalux {

std::string ClockPrivilegeLine(const std::optional<ClockSetOutcome>& latest) {
    if (!latest) {
        return {};
    }
    switch (latest->result) {
        case ClockSetResult::Set:
            return {};
        case ClockSetResult::NoHelper:
            return "Horalux cannot set the PC clock: its clock helper (horalux-clockd) is not "
                   "installed, or the system bus cannot be reached. Install Horalux's package, "
                   "which brings the helper; Horalux itself runs without privileges.";
        case ClockSetResult::NotAuthorized:
            return "Horalux may not set the PC clock: the system's policy (polkit) refused it "
                   "for this session. An administrator can allow it with a polkit rule for the "
                   "action example.quorvane.horalux.set-clock.";
        case ClockSetResult::HelperFailed:
            return "Horalux could not set the PC clock: its clock helper did not do it (" +
                   latest->detail + "). The system log says more: journalctl -t horalux-clockd";
        case ClockSetResult::ClockRefused:
            return "The system did not take the new time (" + latest->detail + ").";
    }
    return {};
}

}  // namespace horalux
