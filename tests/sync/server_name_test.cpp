#include <gtest/gtest.h>

#include "platform/server_name.h"

namespace horalux {
namespace {

std::optional<ServerName> parse(std::string_view name) {
    return parseServerName(name, 123);
}

TEST(ServerNameTest, APlainNameUsesTheDefaultPort) {
    EXPECT_EQ(parse("time.example.org"), (ServerName{"time.example.org", 123}));
    EXPECT_EQ(parse("192.0.2.7"), (ServerName{"192.0.2.7", 123}));
    EXPECT_EQ(parseServerName("192.0.2.7", 13), (ServerName{"192.0.2.7", 13}));
    EXPECT_EQ(parse("  time.example.org \r\n"), (ServerName{"time.example.org", 123}));
}

TEST(ServerNameTest, APortAfterTheNameReplacesTheDefault) {
    EXPECT_EQ(parse("time.example.org:12300"), (ServerName{"time.example.org", 12300}));
    EXPECT_EQ(parse("127.0.0.1:1"), (ServerName{"127.0.0.1", 1}));
    EXPECT_EQ(parse("127.0.0.1:65535"), (ServerName{"127.0.0.1", 65535}));
    EXPECT_EQ(parse("localhost:0013"), (ServerName{"localhost", 13}));
}

TEST(ServerNameTest, IPv6AddressesTakeAPortOnlyInBrackets) {
    EXPECT_EQ(parse("[::1]"), (ServerName{"::1", 123}));
    EXPECT_EQ(parse("[::1]:12300"), (ServerName{"::1", 12300}));
    EXPECT_EQ(parse("[2001:db8::5]:123"), (ServerName{"2001:db8::5", 123}));
    EXPECT_EQ(parse("::1"), (ServerName{"::1", 123}));
    EXPECT_EQ(parse("2001:db8::5"), (ServerName{"2001:db8::5", 123}));
    EXPECT_EQ(parse("fe80::1%eth0"), (ServerName{"fe80::1%eth0", 123}));
}

TEST(ServerNameTest, RejectsWhatCannotBeAServer) {
    for (const char* bad : {"",           "   ",        "host:",       ":123",
                            "host:0",     "host:65536", "host:99999",  "host:123456789012",
                            "host:-1",    "host:+5",    "host:1x",     "host: 5",
                            "host:0x10",  "[::1",       "::1]",        "[::1]:",
                            "[::1]x",     "[::1]:0",    "[::1]:70000", "[]",
                            "[]:123",     "[host]",     "[[::1]]",     "time server",
                            "host\tname", "a/b",        "host\x7f"}) {
        EXPECT_EQ(parse(bad), std::nullopt) << '"' << bad << '"';
    }
    EXPECT_EQ(parse(std::string_view("ho\0st", 5)), std::nullopt);
}

}  // namespace
}  // namespace horalux
