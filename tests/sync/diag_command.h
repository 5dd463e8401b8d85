#pragma once

#include <optional>
#include <regex>
#include <string>

#include "support/command_runner.h"
#include "support/test_dirs.h"
#include "support/testdata.h"

namespace horalux::test {

// horalux-diag run as any program of ours is: without the power to set the clock.
inline CommandResult runDiag(const std::string& arguments) {
    const auto capsh = findProgram("capsh");
    if (!capsh) {
        return {};
    }
    return runCommand({*capsh, "--drop=cap_sys_time", "--", "-c",
                       "exec " + shellQuote(binary("horalux-diag")) + " " + arguments},
                      std::chrono::seconds(30));
}

// A number of horalux-diag's JSON output, by its key.
inline std::optional<double> jsonNumber(const std::string& json, const std::string& key) {
    std::smatch match;
    if (!std::regex_search(json, match, std::regex("\"" + key + "\": (-?[0-9.]+)"))) {
        return std::nullopt;
    }
    return std::stod(match[1].str());
}

}  // namespace horalux::test
