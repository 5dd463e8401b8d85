// horalux-diag: runs one piece of the program on its own and prints what it found.
//   horalux-diag nmea [FILE] [--time-source gga|rmc|zda] [--every]
//   horalux-diag sntp HOST [--port N] [--nts]
//   horalux-diag daytime HOST [--port N]
//   horalux-diag delay DEVICE --server HOST[:PORT] [--seconds N] [--baud N|auto]
//                      [--time-source gga|rmc|zda]
//   horalux-diag history [FILE]
//   horalux-diag feed DEVICE [--unit N] [--seconds S] [--delay MS] [--baud B] [--time-source ...]
// It never sets the clock.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "diag/diag_commands.h"

namespace {

int usage() {
    std::fprintf(
        stderr,
        "usage: horalux-diag nmea [FILE] [--time-source gga|rmc|zda] [--every]\n"
        "       horalux-diag sntp HOST [--port N] [--nts]\n"
        "       horalux-diag daytime HOST [--port N]\n"
        "       horalux-diag history [FILE]\n"
        "       horalux-diag delay DEVICE --server HOST[:PORT] [--seconds N]\n"
        "                          [--baud N|auto] [--time-source gga|rmc|zda]\n"
        "       horalux-diag feed DEVICE [--unit N] [--seconds S] [--delay MS] [--baud B]\n"
        "                         [--time-source gga|rmc|zda]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return usage();
    }
    const std::string command = argv[1];
    std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "nmea") {
        return horalux::diag::runNmea(args);
    }
    if (command == "sntp") {
        return horalux::diag::runSntp(args);
    }
    if (command == "daytime") {
        return horalux::diag::runDaytime(args);
    }
    if (command == "history") {
        return horalux::diag::runHistory(args);
    }
    if (command == "delay") {
        return horalux::diag::runDelay(args);
    }
    if (command == "feed") {
        return horalux::diag::runFeed(args);
    }
    return usage();
}
