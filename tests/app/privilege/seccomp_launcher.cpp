// Starts a program as an unprivileged user under a seccomp filter that makes every call that sets
// the clock fail with EPERM, so that whatever the program does, the machine's clock is safe:
//
//   seccomp_launcher UID GID PROGRAM [ARGUMENTS...]
//
// Run as root. The filter is installed without no_new_privs (root's CAP_SYS_ADMIN allows that),
// so a file capability on PROGRAM is still granted at the exec; the filter survives the change
// of user and the exec.
#include <grp.h>
#include <seccomp.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: seccomp_launcher UID GID PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    const uid_t uid = static_cast<uid_t>(std::strtoul(argv[1], nullptr, 10));
    const gid_t gid = static_cast<gid_t>(std::strtoul(argv[2], nullptr, 10));

    scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ALLOW);
    if (filter == nullptr || seccomp_attr_set(filter, SCMP_FLTATR_CTL_NNP, 0) != 0) {
        std::fprintf(stderr, "seccomp_launcher: cannot make a filter\n");
        return 1;
    }
    for (const char* call : {"clock_settime", "clock_settime64", "settimeofday", "adjtimex",
                             "clock_adjtime", "clock_adjtime64", "stime"}) {
        const int number = seccomp_syscall_resolve_name(call);
        if (number != __NR_SCMP_ERROR &&
            seccomp_rule_add(filter, SCMP_ACT_ERRNO(EPERM), number, 0) != 0) {
            std::fprintf(stderr, "seccomp_launcher: cannot filter %s\n", call);
            return 1;
        }
    }
    const int loaded = seccomp_load(filter);
    seccomp_release(filter);
    if (loaded != 0) {
        std::fprintf(stderr, "seccomp_launcher: cannot load the filter: %s\n",
                     std::strerror(-loaded));
        return 1;
    }
    if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0 || getuid() != uid) {
        std::fprintf(stderr, "seccomp_launcher: cannot become %u:%u: %s\n", uid, gid,
                     std::strerror(errno));
        return 1;
    }
    execv(argv[3], argv + 3);
    std::fprintf(stderr, "seccomp_launcher: cannot run %s: %s\n", argv[3], std::strerror(errno));
    return 127;
}
