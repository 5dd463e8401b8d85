// How every page reads a number typed into a field.
#include "pages/dialog_int.h"

#include <gtest/gtest.h>

namespace horalux {
namespace {

TEST(DialogIntTest, ReadsSignedDecimalAndEverythingElseAsZero) {
    struct Case {
        const char* text;
        int32_t value;
    } const cases[] = {
        {"120", 120},
        {"-25", -25},
        {"+7", 7},
        {" 42 ", 42},
        {"0", 0},
        {"", 0},
        {"-", 0},
        {"+", 0},
        {"abc", 0},
        {"12a", 0},
        {"1 2", 0},
        {"--1", 0},
        {"+-1", 0},
        {"0x10", 0},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"2147483648", 0},
        {"99999999999", 0},
        {"007", 7},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DialogInt(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(DialogIntTest, SixteenBitFieldsKeepTheLowBits) {
    EXPECT_EQ(Low16(DialogInt("70000")), 4464);
    EXPECT_EQ(Low16(DialogInt("-1")), 65535);
    EXPECT_EQ(Low16(DialogInt("44640")), 44640);
    EXPECT_EQ(Low16(DialogInt("65536")), 0);
}

}  // namespace
}  // namespace horalux
