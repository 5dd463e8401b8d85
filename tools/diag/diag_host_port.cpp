#include "diag/diag_host_port.h"

#include <charconv>
#include <cstdio>

namespace horalux::diag {

std::optional<HostAndPort> parseHostAndPort(const std::vector<std::string>& args,
                                            const char* command, uint16_t defaultPort) {
    HostAndPort target;
    target.port = defaultPort;
    bool haveHost = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--port") {
            unsigned port = 0;
            const std::string value = i + 1 < args.size() ? args[++i] : "";
            const auto [end, error] =
                std::from_chars(value.data(), value.data() + value.size(), port);
            if (value.empty() || error != std::errc{} || end != value.data() + value.size() ||
                port == 0 || port > 65535) {
                std::fprintf(stderr, "horalux-diag %s: --port needs a number from 1 to 65535\n",
                             command);
                return std::nullopt;
            }
            target.port = static_cast<uint16_t>(port);
        } else if (!haveHost && !args[i].starts_with("--")) {
            target.host = args[i];
            haveHost = true;
        } else {
            std::fprintf(stderr, "horalux-diag %s: unexpected argument '%s'\n", command,
                         args[i].c_str());
            return std::nullopt;
        }
    }
    if (!haveHost) {
        std::fprintf(stderr, "usage: horalux-diag %s HOST [--port N]\n", command);
        return std::nullopt;
    }
    return target;
}

}  // namespace horalux::diag
