#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace horalux::diag {

// The server of a network command: "HOST [--port N]". The port is used unless HOST carries its
// own ":PORT".
struct HostAndPort {
    std::string host;
    uint16_t port = 0;
};

// Nothing (after a message on stderr) when the arguments do not fit.
std::optional<HostAndPort> parseHostAndPort(const std::vector<std::string>& args,
                                            const char* command, uint16_t defaultPort);

}  // namespace horalux::diag
