// Drops every capability as the program does at start and prints what its capability sets hold
// before and after, and what a program it then starts holds ("child ..." lines: the probe run
// again with --status). The clock privilege tests run it under capsh and unshare; it never sets
// the clock.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/clock_privilege.h"

namespace {

// The capability lines of /proc/self/status, e.g. "CapPrm=0000000000000000".
void PrintSets(const char* prefix) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        for (const char* set : {"CapInh:", "CapPrm:", "CapEff:", "CapAmb:"}) {
            if (line.rfind(set, 0) == 0) {
                const size_t value = line.find_first_not_of(" \t", std::strlen(set));
                std::printf("%s%.6s=%s\n", prefix, set, line.c_str() + value);
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--status") == 0) {
        PrintSets("child ");
        return 0;
    }
    std::printf("held=%s\n", horalux::ProbeHeldCapabilities().names.c_str());
    const horalux::CapabilityDrop drop = horalux::DropAllCapabilities();
    std::printf("done=%d error=%s\n", drop.done, drop.error.c_str());
    PrintSets("");
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        execl("/proc/self/exe", argv[0], "--status", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return 0;
}
