#pragma once

#include <optional>
#include <string>

#include "sync/clock_setter.h"

namespace horalux {

// The line that tells the user why the PC clock is not being set and what to do about it, from
// the outcome of the latest clock setting (or of the look for the clock helper at start-up);
// empty while nothing stands in the way.
std::string ClockPrivilegeLine(const std::optional<ClockSetOutcome>& latest);

}  // namespace horalux
