#pragma once

#include <string>
#include <vector>

namespace horalux::diag {

// Each takes the arguments after the command name and returns the process exit code.
int runNmea(const std::vector<std::string>& args);
int runSntp(const std::vector<std::string>& args);
int runDaytime(const std::vector<std::string>& args);
int runFeed(const std::vector<std::string>& args);
int runHistory(const std::vector<std::string>& args);
int runDelay(const std::vector<std::string>& args);

}  // namespace horalux::diag
