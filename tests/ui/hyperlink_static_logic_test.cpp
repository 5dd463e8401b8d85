// The hyperlink control's decisions: what it starts with, its colours, its size, and what a
// click's result leads to.
#include "ui/hyperlink_static_logic.h"

#include <gtest/gtest.h>

#include <vector>

namespace horalux {
namespace {

constexpr uint32_t kHighlight = 0xC68C30;

TEST(HyperlinkStaticLogicTest, TargetAndTextFillEachOther) {
    struct Case {
        const char* text;
        const char* target;
        const char* shown;
        const char* targetAfter;
    };
    for (const Case& c : std::vector<Case>{
             {"Home", "", "Home", "Home"},
             {"", "https://example.org/", "https://example.org/", "https://example.org/"},
             {"example.org", "https://example.org/", "example.org", "https://example.org/"},
             {"", "", "", ""},
         }) {
        HyperlinkStaticLogic link(kHighlight);
        link.SetTarget(QString::fromLatin1(c.target));
        EXPECT_EQ(link.Attach(QString::fromLatin1(c.text)), QString::fromLatin1(c.shown)) << c.text;
        EXPECT_EQ(link.target(), QString::fromLatin1(c.targetAfter)) << c.text;
    }
}

TEST(HyperlinkStaticLogicTest, ColoursByHoverAndVisit) {
    HyperlinkStaticLogic link(kHighlight);
    EXPECT_TRUE(link.underline());
    EXPECT_EQ(link.TextColour(), 0xEE0000u) << "unvisited: blue 238";
    link.SetHovering(true);
    EXPECT_EQ(link.TextColour(), kHighlight);
    link.SetHovering(false);
    link.SetVisited(true);
    EXPECT_EQ(link.TextColour(), 0x8B1A55u) << "visited: red 85, green 26, blue 139";
    link.SetHovering(true);
    EXPECT_EQ(link.TextColour(), kHighlight) << "hovering wins over visited";
}

TEST(HyperlinkStaticLogicTest, FitsTheTextByTheAlignment) {
    const QRect control(165, 50, 99, 13);  // 110, 31, 66, 8 in dialog units
    struct Case {
        Qt::Alignment alignment;
        QSize text;
        QRect fitted;
    };
    for (const Case& c : std::vector<Case>{
             {Qt::AlignLeft | Qt::AlignTop, {60, 11}, {165, 50, 60, 11}},
             {Qt::AlignHCenter | Qt::AlignTop, {60, 11}, {184, 50, 60, 11}},
             {Qt::AlignRight | Qt::AlignTop, {60, 11}, {204, 50, 60, 11}},
             {Qt::AlignLeft | Qt::AlignVCenter, {60, 11}, {165, 51, 60, 11}},
             {Qt::AlignHCenter | Qt::AlignVCenter, {59, 9}, {185, 52, 59, 9}},
             // A text larger than its control grows it the same way.
             {Qt::AlignLeft | Qt::AlignTop, {180, 15}, {165, 50, 180, 15}},
             {Qt::AlignRight | Qt::AlignVCenter, {180, 15}, {84, 49, 180, 15}},
         }) {
        EXPECT_EQ(HyperlinkStaticLogic::FitToText(control, c.text, c.alignment), c.fitted)
            << c.alignment << " " << c.text.width() << "x" << c.text.height();
    }
}

TEST(HyperlinkStaticLogicTest, ClickResultsAndTheirMessages) {
    const auto opened = HyperlinkStaticLogic::Clicked(42);
    EXPECT_TRUE(opened.visited);
    EXPECT_FALSE(opened.beep);
    EXPECT_TRUE(opened.message.empty());

    const auto failed = HyperlinkStaticLogic::Clicked(26);
    EXPECT_FALSE(failed.visited);
    EXPECT_TRUE(failed.beep);
    EXPECT_EQ(failed.message, "Unable to open hyperlink:\n\nA sharing violation occurred. ");
    EXPECT_TRUE(HyperlinkStaticLogic::Clicked(32).beep) << "32 is not success";

    const std::vector<std::pair<int, const char*>> texts = {
        {0, "The operating system is out\nof memory or resources."},
        {2, "The specified file was not found."},
        {3, "The specified path was not found."},
        {5, "The operating system denied\naccess to the specified file."},
        {8, "There was not enough memory to complete the operation."},
        {11, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
        {26, "A sharing violation occurred. "},
        {27, "The filename association is\nincomplete or invalid."},
        {28, "The DDE transaction could not\nbe completed because the request timed out."},
        {29, "The DDE transaction failed."},
        {30,
         "The DDE transaction could not\nbe completed because other DDE transactions\nwere "
         "being processed."},
        {31, "There is no application associated\nwith the given filename extension."},
        {32, "The specified dynamic-link library was not found."},
        {1, "Unknown Error (1) occurred."},
        {33, "Unknown Error (33) occurred."},
        {-7, "Unknown Error (-7) occurred."},
    };
    for (const auto& [code, text] : texts) {
        EXPECT_EQ(HyperlinkStaticLogic::ErrorText(code), text) << code;
    }
}

}  // namespace
}  // namespace horalux
