#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace horalux {

// A time server as the user wrote it, split into the host to resolve and the port to use.
struct ServerName {
    std::string host;  // a host name, a dotted IPv4 address or an IPv6 address (no brackets)
    uint16_t port = 0;

    friend bool operator==(const ServerName&, const ServerName&) = default;
};

// Reads a server name: "host", "host:PORT", "[IPv6]" or "[IPv6]:PORT"; a bare IPv6 address such
// as "::1" has no port. Without ":PORT" the server is reached on defaultPort. Blanks around the
// name are ignored. Nothing when the name is empty, the port is not a number from 1 to 65535,
// the brackets do not match or the host holds blanks or control characters.
std::optional<ServerName> parseServerName(std::string_view name, uint16_t defaultPort);

}  // namespace horalux
