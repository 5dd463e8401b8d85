// The sorted lists' rules: where an entry goes, the prefix search that wraps round, and which
// entry names a server.
#include "ui/sorted_list.h"

#include <gtest/gtest.h>

namespace horalux {
namespace {

TEST(SortedListTest, EntriesGoInAtTheirAlphabeticalPlaceRegardlessOfCase) {
    QStringList list;
    for (const char* name : {"time.nist.gov", "ntp.b", "NTP.a", "time-a-g.nist.gov", "ntp.c",
                             "Ntp.b", "[::1]:12300", "10.0.0.1:123"}) {
        list.insert(SortedInsertIndex(list, QString::fromLatin1(name)), QString::fromLatin1(name));
    }
    // '-' sorts before '.', digits and '[' before letters; equal names keep the order they came
    // in.
    EXPECT_EQ(list, (QStringList{"10.0.0.1:123", "[::1]:12300", "NTP.a", "ntp.b", "Ntp.b", "ntp.c",
                                 "time-a-g.nist.gov", "time.nist.gov"}));
}

TEST(SortedListTest, ThePrefixSearchStartsAfterAnEntryAndWrapsRoundToTryEveryEntry) {
    const QStringList list{"ntp.a", "ntp.b", "pool.ntp.org", "time.example"};
    const struct {
        const char* prefix;
        int startAfter;
        int found;
    } cases[] = {
        {"ntp", -1, 0},   // from the first entry
        {"ntp", 0, 1},    // after the first: the second matches first
        {"NTP.A", 0, 0},  // ignoring case, and wrapping round to the first entry
        {"ntp", 1, 0},    // after the second: past the end and round
        {"time", 3, 3},   // the starting entry itself is tried last
        {"pool.ntp.org.uk", 0, -1},
        {"ntp.b", 99, 1},  // a start outside the list searches from the first entry
        {"", 1, 2},        // an empty prefix matches any entry
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindStringPrefix(list, QString::fromLatin1(c.prefix), c.startAfter), c.found)
            << c.prefix << " after " << c.startAfter;
    }
    EXPECT_EQ(FindStringPrefix({}, QStringLiteral("ntp"), 0), -1);
}

TEST(SortedListTest, TheEntryNamingAServerIsTheEqualOneBeforeAnyItBegins) {
    const QStringList list{"ntp", "ntp.example", "time.example", "TIME.example.org"};
    const struct {
        const char* name;
        int found;
    } cases[] = {
        {"ntp", 0},  // equal, although "ntp.example" also begins with it
        {"ntp.example", 1},
        {"time.example", 2},  // equal, case and all
        {"Time.Example", 2},  // no equal entry: the prefix search, ignoring case
        {"time.example.org", 3},
        {"other", -1},
        {"", -1},  // an empty name names no server
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindEntryNamed(list, QString::fromLatin1(c.name)), c.found) << c.name;
    }
}

}  // namespace
}  // namespace horalux
