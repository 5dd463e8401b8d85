#pragma once

#include <systemd/sd-bus.h>

#include "clockd/clock_step_service.h"

namespace horalux::clockd {

// polkit's CheckAuthorization over the system bus, for a subject "system-bus-name", with user
// interaction allowed (the person at the desk may be asked for a password) and bounded by
// clock_helper::kAuthorizationTimeout.
class PolkitAuthority final : public Authority {
  public:
    explicit PolkitAuthority(sd_bus* bus) : bus_(bus) {}
    AuthorityAnswer check(const std::string& busName, const std::string& action) override;

  private:
    sd_bus* bus_;
};

}  // namespace horalux::clockd
