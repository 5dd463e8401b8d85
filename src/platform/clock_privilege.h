#pragma once

#include <string>

namespace horalux {

// The capabilities this process holds, as the kernel reports them.
struct HeldCapabilities {
    bool timePermitted = false;  // CAP_SYS_TIME in the permitted set (root, or a file capability)
    std::string names;           // every capability in the permitted or ambient set, libcap's
                                 // text ("cap_sys_time"); empty when none
};

HeldCapabilities ProbeHeldCapabilities();

// What dropping every capability found and did.
struct CapabilityDrop {
    std::string held;   // what was held before (HeldCapabilities::names); empty: nothing to drop
    bool done = false;  // the permitted, effective, inheritable and ambient sets are now empty
    std::string error;  // why not, when not
};

// Empties the permitted, effective, inheritable and ambient sets of the calling thread, which
// must be the only one (start-up, before any library starts a thread). As root it first sets the
// secure bits that keep root from regaining capabilities at an exec, so that a program started
// later (a browser, a helper) holds none either. The program does this before it loads any GUI
// library plugin: such a plugin, named by the user in the environment, then never runs with a
// capability.
CapabilityDrop DropAllCapabilities();

}  // namespace horalux
