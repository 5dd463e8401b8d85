#pragma once

#include "platform/time_capability.h"

namespace horalux {

// Makes the permission to set the clock effective for the process, at the start of every
// clock update. The result is not checked: where it fails, the setting that follows fails.
void EnableTimePrivilege(TimeCapability& capability);

// The permission around one clock setting: Acquire before setting, Release afterwards.
class ScopedTimePrivilege {
  public:
    explicit ScopedTimePrivilege(TimeCapability& capability) : capability_(capability) {}

    // 1 when the clock may now be set (also on a system without such permissions), else 0.
    int Acquire();
    // Drops the permission again when Acquire raised it, even if it had been raised before.
    void Release();

  private:
    TimeCapability& capability_;
    bool acquired_ = false;
};

}  // namespace horalux
