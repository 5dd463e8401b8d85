// Prints what ProbeClockPrivilege finds for this process and a file: one "name=0|1" per fact.
// The clock privilege tests run it under capsh to see it without the capability.
#include <cstdio>

#include "platform/clock_privilege.h"

int main(int argc, char** argv) {
    const horalux::ClockPrivilegeFacts facts =
        horalux::ProbeClockPrivilege(argc > 1 ? argv[1] : "/proc/self/exe");
    std::printf("permitted=%d\nbounded=%d\nnoNewPrivs=%d\nfileHasIt=%d\n", facts.permitted,
                facts.bounded, facts.noNewPrivs, facts.fileHasIt);
    return 0;
}
