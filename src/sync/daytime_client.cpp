#include "sync/daytime_client.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <thread>

#include "platform/net_socket.h"
#include "platform/server_name.h"

namespace horalux {

namespace {

// Cuts text into tokens the way strtok does: each token begins after any leading characters of
// its own delimiter set and ends at the next one, which is consumed.
class Tokenizer {
  public:
    explicit Tokenizer(std::string_view text) : rest_(text) {}

    std::optional<std::string_view> next(std::string_view delimiters) {
        const size_t start = rest_.find_first_not_of(delimiters);
        if (start == std::string_view::npos) {
            rest_ = {};
            return std::nullopt;
        }
        rest_.remove_prefix(start);
        const size_t end = rest_.find_first_of(delimiters);
        const std::string_view token = rest_.substr(0, end);
        rest_ = end == std::string_view::npos ? std::string_view{} : rest_.substr(end + 1);
        return token;
    }

  private:
    std::string_view rest_;
};

constexpr std::string_view kWhiteSpace = " \t\n\v\f\r";

// Leading white space, which the C library's number conversions skip too.
std::string_view skipWhiteSpace(std::string_view token) {
    const size_t start = token.find_first_not_of(kWhiteSpace);
    return start == std::string_view::npos ? std::string_view{} : token.substr(start);
}

// A field of the date or time: one to four decimal digits after any white space.
std::optional<int> parseField(std::string_view token) {
    token = skipWhiteSpace(token);
    if (token.empty() || token.size() > 4) {
        return std::nullopt;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
    if (error != std::errc{} || end != token.data() + token.size() || value < 0) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> parseAdvance(std::string_view token) {
    token = skipWhiteSpace(token);
    double value = 0.0;
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
    if (error != std::errc{} || end != token.data() + token.size() || !std::isfinite(value) ||
        value < 0.0 || value > DaytimeClient::kMaxAdvanceMs) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<DaytimeReply> ParseDaytimeReply(std::string_view text) {
    text = text.substr(0, text.find('\0'));  // the bytes are read as a C string
    Tokenizer tokens(text);
    // Token: delimiter that ends it.
    constexpr std::array<std::string_view, 11> kDelimiters{" ", "-", "-", " ", ":", ":",
                                                           " ", " ", " ", " ", " "};
    std::array<std::string_view, 11> token;
    for (size_t i = 0; i < token.size(); ++i) {
        const auto next = tokens.next(kDelimiters[i]);
        if (!next) {
            return std::nullopt;
        }
        token[i] = *next;
    }

    const auto yy = parseField(token[1]);
    const auto month = parseField(token[2]);
    const auto day = parseField(token[3]);
    const auto hour = parseField(token[4]);
    const auto minute = parseField(token[5]);
    const auto second = parseField(token[6]);
    const auto advance = parseAdvance(token[10]);
    if (!yy || *yy > 99 || !month || !day || !hour || !minute || !second || !advance) {
        return std::nullopt;
    }

    DaytimeReply reply;
    reply.year = *yy < 70 ? 2000 + *yy : 1900 + *yy;
    reply.month = *month;
    reply.day = *day;
    reply.hour = *hour;
    reply.minute = *minute;
    reply.second = *second;
    reply.advanceMs = *advance;
    const SystemTime check{static_cast<uint16_t>(reply.year),
                           static_cast<uint16_t>(reply.month),
                           0,
                           static_cast<uint16_t>(reply.day),
                           static_cast<uint16_t>(reply.hour),
                           static_cast<uint16_t>(reply.minute),
                           static_cast<uint16_t>(reply.second),
                           0};
    if (!isValidSystemTime(check)) {
        return std::nullopt;
    }
    return reply;
}

DaytimeClient::DaytimeClient(SystemClock& clock, SyncFlags& flags, ClockSetter& setter)
    : clock_(clock), flags_(flags), setter_(setter) {}

int DaytimeClient::Update(const std::string& server, int port) {
    const DaytimeExchange exchange = Exchange(server, port);
    switch (exchange.status) {
        case DaytimeExchange::Status::NotConnected:
            flags_.networkFailed = 1;
            lastResult_ = exchange.error == EINVAL ? UpdateResult::BadServerName
                                                   : UpdateResult::ServerUnreachable;
            return 0;
        case DaytimeExchange::Status::NoReply:
            lastResult_ = UpdateResult::ServerSilent;
            return 0;
        case DaytimeExchange::Status::Received:
            break;
    }
    flags_.networkFailed = 0;  // the server has answered
    const auto reply = ParseDaytimeReply(exchange.text);
    if (!reply) {
        lastResult_ = UpdateResult::BadReply;
        return 0;
    }
    const int set = SetClock(*reply);
    lastResult_ = set == 1 ? UpdateResult::Set : UpdateResult::ClockRefused;
    return set;
}

DaytimeExchange DaytimeClient::Exchange(const std::string& server, int port) {
    DaytimeExchange result;
    if (port < 1 || port > 65535) {
        result.error = EINVAL;
        return result;
    }
    const auto name = parseServerName(server, static_cast<uint16_t>(port));
    if (!name) {
        result.error = EINVAL;
        return result;
    }
    const auto addresses = resolveHost(name->host, name->port, SocketKind::Stream);
    TcpStream stream;
    if (stream.connect(addresses, kConnectTimeout) != TcpStream::Connect::Connected) {
        result.error = stream.lastError();
        return result;
    }

    std::array<char, kMaxReplySize> buffer{};
    size_t received = 0;
    switch (stream.receive(buffer.data(), buffer.size(), received, kReceiveTimeout)) {
        case TcpStream::Receive::Data:
            break;
        case TcpStream::Receive::Closed:
            result.status = DaytimeExchange::Status::NoReply;
            return result;
        case TcpStream::Receive::TimedOut:
        case TcpStream::Receive::Failed:
            result.status = DaytimeExchange::Status::NoReply;
            result.error = stream.lastError();
            return result;
    }
    result.status = DaytimeExchange::Status::Received;
    result.text.assign(buffer.data(), received);
    return result;
}

int DaytimeClient::SetClock(const DaytimeReply& reply) {
    std::this_thread::sleep_for(
        std::chrono::milliseconds(static_cast<int64_t>(std::trunc(reply.advanceMs))));
    const SystemTime reading = clock_.utcNow();
    SystemTime utc = reading;  // keeps the day of week as read
    utc.year = static_cast<uint16_t>(reply.year);
    utc.month = static_cast<uint16_t>(reply.month);
    utc.day = static_cast<uint16_t>(reply.day);
    utc.hour = static_cast<uint16_t>(reply.hour);
    utc.minute = static_cast<uint16_t>(reply.minute);
    utc.second = static_cast<uint16_t>(reply.second);
    utc.milliseconds = 0;
    return setter_.apply(CorrectionFrom(reading, utc)).set() ? 1 : 0;
}

}  // namespace horalux
