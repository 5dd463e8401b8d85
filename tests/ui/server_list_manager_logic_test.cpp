// What the server list manager decides: sorted entries, the limit of 25, the question for a name
// already listed, blanks trimmed, and the selection after a removal.
#include "ui/server_list_manager_logic.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake_message_service.h"

namespace horalux {
namespace {

using Names = std::vector<std::string>;

TEST(ServerListManagerLogicTest, OpensSortedWithTheFirstEntrySelectedAndHandsBackInListOrder) {
    ServerListManagerLogic logic(Names{"time.nist.gov", "ntp.b", "Ntp.a"});
    EXPECT_EQ(logic.selected(), 0);
    EXPECT_EQ(logic.names(), (Names{"Ntp.a", "ntp.b", "time.nist.gov"}));
    EXPECT_EQ(ServerListManagerLogic(Names{}).selected(), -1);

    FakeMessageService messages;
    ASSERT_TRUE(logic.Add(QStringLiteral("  pool.example:12300 "), messages));
    EXPECT_EQ(logic.names(), (Names{"Ntp.a", "ntp.b", "pool.example:12300", "time.nist.gov"}));
    EXPECT_EQ(logic.selected(), 2) << "the new entry is selected";
    EXPECT_TRUE(messages.boxes().empty());

    EXPECT_FALSE(ServerListManagerLogic::CanAdd(QString()));
    EXPECT_FALSE(ServerListManagerLogic::CanAdd(QStringLiteral("   ")));
    EXPECT_TRUE(ServerListManagerLogic::CanAdd(QStringLiteral("n")));
    EXPECT_FALSE(logic.Add(QStringLiteral(" \t "), messages)) << "blanks are no server";
    EXPECT_EQ(logic.entries().size(), 4);
}

TEST(ServerListManagerLogicTest, ANameAnEntryBeginsWithIsAddedOnlyWhenTheUserSaysYes) {
    FakeMessageService messages;
    ServerListManagerLogic logic(Names{"a.example", "ntp.example.org"});

    messages.queueAnswer(false);
    EXPECT_FALSE(logic.Add(QStringLiteral("NTP"), messages));
    ASSERT_EQ(messages.boxes().size(), 1u);
    EXPECT_EQ(messages.boxes()[0].text, ServerListManagerLogic::kExistsQuestion);
    EXPECT_EQ(messages.boxes()[0].style, kIconExclamation);
    EXPECT_EQ(logic.entries().size(), 2) << "No adds nothing";

    messages.queueAnswer(true);
    EXPECT_TRUE(logic.Add(QStringLiteral("NTP"), messages));
    EXPECT_EQ(logic.names(), (Names{"a.example", "NTP", "ntp.example.org"}));

    // The first entry is searched too (the search wraps round), and a longer name than an entry
    // is not a duplicate of it.
    messages.clear();
    EXPECT_FALSE(logic.Add(QStringLiteral("A.EX"), messages));
    EXPECT_EQ(messages.boxes().size(), 1u);
    EXPECT_TRUE(logic.Add(QStringLiteral("a.example.net"), messages));
    EXPECT_EQ(messages.boxes().size(), 1u) << "no question";
}

TEST(ServerListManagerLogicTest, TwentyFiveServersAreTheMost) {
    Names names;
    for (int i = 0; i < 25; ++i) {
        names.push_back("ntp" + std::to_string(100 + i) + ".example");
    }
    FakeMessageService messages;
    ServerListManagerLogic logic(names);
    EXPECT_FALSE(logic.Add(QStringLiteral("one.more"), messages));
    ASSERT_EQ(messages.boxes().size(), 1u);
    EXPECT_EQ(messages.boxes()[0].text, ServerListManagerLogic::kFullText);
    EXPECT_EQ(messages.boxes()[0].style, kIconStop);
    EXPECT_EQ(logic.entries().size(), 25);

    logic.Remove();
    EXPECT_TRUE(logic.Add(QStringLiteral("one.more"), messages));
    EXPECT_EQ(logic.entries().size(), 25);
}

TEST(ServerListManagerLogicTest, RemovalSelectsTheEntryTakingItsPlaceOrTheOneBefore) {
    const struct {
        int entries;
        int selected;
        int left;
        int selectedAfter;
    } cases[] = {
        {3, 0, 2, 0},                  // the next entry moves up into the place
        {3, 1, 2, 1},   {3, 2, 2, 1},  // the last: the one before it
        {1, 0, 0, -1},                 // the only one: nothing selected
        {3, -1, 3, -1},                // nothing selected: nothing removed
    };
    for (const auto& c : cases) {
        Names names;
        for (int i = 0; i < c.entries; ++i) {
            names.push_back(std::string(1, static_cast<char>('a' + i)));
        }
        ServerListManagerLogic logic(names);
        logic.select(c.selected);
        logic.Remove();
        EXPECT_EQ(logic.entries().size(), c.left) << c.entries << "/" << c.selected;
        EXPECT_EQ(logic.selected(), c.selectedAfter) << c.entries << "/" << c.selected;
    }

    ServerListManagerLogic emptied(Names{"x"});
    emptied.Remove();
    emptied.Remove();
    EXPECT_EQ(emptied.names(), Names{}) << "an emptied list hands back a count of 0";
}

}  // namespace
}  // namespace horalux
