#pragma once

#include "platform/time_capability.h"

namespace horalux {

// CAP_SYS_TIME in the effective set, through libcap. Linux keeps capabilities per thread: raise()
// and lower() act on the calling thread, which is the clock-update thread that then sets the
// clock, so the rest of the program never holds the capability effective on its account.
//
// raise(): Raised once CAP_SYS_TIME is effective; NotSupported where the kernel manages no
// capabilities (the calls fail with EINVAL or ENOSYS, or CAP_SYS_TIME is unknown); Failed when the
// capability is not permitted to this process (e.g. dropped with capsh) or a call fails otherwise.
class LinuxTimeCapability final : public TimeCapability {
  public:
    Result raise() override;
    void lower() override;
};

}  // namespace horalux
