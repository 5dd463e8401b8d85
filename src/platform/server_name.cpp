#include "platform/server_name.h"

#include <charconv>

namespace horalux {

namespace {

constexpr std::string_view kBlanks = " \t\r\n";

std::string_view trim(std::string_view text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

std::optional<uint16_t> parsePort(std::string_view digits) {
    if (digits.empty() || digits.size() > 5) {
        return std::nullopt;
    }
    unsigned value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc{} || end != digits.data() + digits.size() || value == 0 ||
        value > 65535) {
        return std::nullopt;
    }
    return static_cast<uint16_t>(value);
}

bool isPlainHost(std::string_view host) {
    if (host.empty()) {
        return false;
    }
    for (const char c : host) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= ' ' || byte == 0x7F || c == '[' || c == ']' || c == '/') {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<ServerName> parseServerName(std::string_view name, uint16_t defaultPort) {
    name = trim(name);
    if (name.empty()) {
        return std::nullopt;
    }

    if (name.front() == '[') {
        const size_t close = name.find(']');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view host = name.substr(1, close - 1);
        if (!isPlainHost(host) || host.find(':') == std::string_view::npos) {
            return std::nullopt;  // brackets hold an IPv6 address and nothing else
        }
        const std::string_view rest = name.substr(close + 1);
        if (rest.empty()) {
            return ServerName{std::string(host), defaultPort};
        }
        if (rest.front() != ':') {
            return std::nullopt;
        }
        const auto port = parsePort(rest.substr(1));
        if (!port) {
            return std::nullopt;
        }
        return ServerName{std::string(host), *port};
    }

    const size_t colon = name.find(':');
    if (colon == std::string_view::npos || name.find(':', colon + 1) != std::string_view::npos) {
        // No colon: a plain name. Two or more: a bare IPv6 address, which cannot carry a port.
        if (!isPlainHost(name)) {
            return std::nullopt;
        }
        return ServerName{std::string(name), defaultPort};
    }
    const std::string_view host = name.substr(0, colon);
    const auto port = parsePort(name.substr(colon + 1));
    if (!isPlainHost(host) || !port) {
        return std::nullopt;
    }
    return ServerName{std::string(host), *port};
}

}  // namespace horalux
