#include "platform/clock_privilege.h"

#include <linux/securebits.h>
#include <sys/capability.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace horalux {

namespace {

struct CapFree {
    void operator()(void* p) const { cap_free(p); }
};
using Caps = std::unique_ptr<std::remove_pointer_t<cap_t>, CapFree>;

bool InSet(cap_t caps, cap_value_t cap, cap_flag_t set) {
    cap_flag_value_t value = CAP_CLEAR;
    return cap_get_flag(caps, cap, set, &value) == 0 && value == CAP_SET;
}

}  // namespace

HeldCapabilities ProbeHeldCapabilities() {
    HeldCapabilities held;
    Caps caps(cap_get_proc());
    if (!caps) {
        return held;
    }
    held.timePermitted = InSet(caps.get(), CAP_SYS_TIME, CAP_PERMITTED);
    for (cap_value_t cap = 0; cap < cap_max_bits(); ++cap) {
        if (InSet(caps.get(), cap, CAP_PERMITTED) || cap_get_ambient(cap) == 1) {
            std::unique_ptr<char, CapFree> name(cap_to_name(cap));
            if (name) {
                held.names += (held.names.empty() ? "" : ",") + std::string(name.get());
            }
        }
    }
    return held;
}

CapabilityDrop DropAllCapabilities() {
    CapabilityDrop drop;
    drop.held = ProbeHeldCapabilities().names;
    if (drop.held.empty() && ::geteuid() != 0) {
        drop.done = true;
        return drop;
    }
    if (::geteuid() == 0 || ::getuid() == 0) {
        // Needs CAP_SETPCAP, which root has until the sets are emptied below; without it, root
        // would get every capability back at the next exec.
        cap_set_secbits(cap_get_secbits() | SECBIT_NOROOT | SECBIT_NOROOT_LOCKED);
    }
    cap_reset_ambient();
    Caps none(cap_init());
    if (!none || cap_set_proc(none.get()) != 0) {
        drop.error = std::strerror(errno);
        return drop;
    }
    drop.done = ProbeHeldCapabilities().names.empty();
    if (!drop.done) {
        drop.error = "capabilities remain after the drop";
    }
    return drop;
}

}  // namespace horalux
