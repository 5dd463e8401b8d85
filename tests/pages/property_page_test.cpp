// What every property page shares: its template placed in dialog units, labels naming the fields
// after them, bubble tips, settings stored as typed, one initialisation on the first show, and
// numbered timers.
#include "pages/property_page.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <vector>

#include "page_fixture.h"
#include "ui/dialog_units.h"
#include "ui/wait_for.h"

namespace horalux {
namespace {

class SamplePage final : public PropertyPage {
  public:
    SamplePage(const PageServices& services, BubbleTip& tip)
        : PropertyPage(services, tip, QStringLiteral("Sample"), QSize(351, 130)) {}

    int inits = 0;
    std::vector<int> ticks;
    std::vector<int32_t> stored;

  protected:
    void BuildTemplate() override {
        Label(QStringLiteral("Rate:"), {7, 10, 35, 8});
        Edit(1009, {54, 8, 57, 12});
        Label(QStringLiteral("minute(s)"), {120, 10, 30, 8});
        PushButton(1008, QStringLiteral("Now"), {125, 30, 80, 14});
        Label(QStringLiteral("Orphan:"), {7, 50, 35, 8});
        RadioButton(1020, QStringLiteral("A"), {15, 83, 93, 10}, true);
        RadioButton(1021, QStringLiteral("B"), {15, 96, 93, 10});
        RadioButton(1039, QStringLiteral("C"), {120, 83, 93, 10}, true);
        RadioButton(1040, QStringLiteral("D"), {120, 96, 93, 10});
        Label(QStringLiteral("Status:"), {7, 110, 30, 8});
        StaticText(1041, {40, 110, 89, 9}, true);
    }
    void OnInitDialog() override {
        ++inits;
        AddTip(1009, QStringLiteral("PC clock update rate in minutes."));
        OnChange(1009, [this] { stored.push_back(GetDlgItemInt(1009)); });
        SetDlgItemInt(1009, 60);
        SetTimer(1, 50);
        SetTimer(1000, 1000);
    }
    void OnTimer(int id) override { ticks.push_back(id); }
};

TEST(PropertyPageTest, TemplatePlacesControlsAndLabelsNameTheFieldsAfterThem) {
    test::PageFixture f;
    auto* page = new SamplePage(f.services(), f.sheet.bubbleTip());
    EXPECT_FALSE(page->created());
    EXPECT_EQ(page->Control(1009), nullptr) << "no window before the tab is first shown";
    EXPECT_EQ(page->minimumSize(), dialogRect(0, 0, 351, 130).size());

    f.Show(page);
    ASSERT_TRUE(page->created());
    EXPECT_EQ(page->inits, 1);
    auto* edit = page->Control<QLineEdit>(1009);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->objectName(), QStringLiteral("control1009"));
    EXPECT_EQ(edit->geometry(), dialogRect(54, 8, 57, 12));

    // Each label names the field that follows it; a button in between ends the claim.
    std::vector<QString> buddies;
    for (QLabel* label : page->findChildren<QLabel*>()) {
        if (label->buddy() != nullptr) {
            buddies.push_back(label->text() + "->" + label->buddy()->objectName());
        }
    }
    EXPECT_EQ(buddies, (std::vector<QString>{"Rate:->control1009", "Status:->control1041"}));
    EXPECT_EQ(page->Control(1041)->accessibleName(), QStringLiteral("Status:"));
    EXPECT_EQ(edit->accessibleDescription(), QStringLiteral("PC clock update rate in minutes."));

    // Radio groups are exclusive within themselves only.
    page->Control<QRadioButton>(1021)->click();
    page->Control<QRadioButton>(1039)->click();
    EXPECT_TRUE(page->Control<QRadioButton>(1021)->isChecked());
    EXPECT_TRUE(page->Control<QRadioButton>(1039)->isChecked());
    page->Control<QRadioButton>(1020)->click();
    EXPECT_FALSE(page->Control<QRadioButton>(1021)->isChecked());
    EXPECT_TRUE(page->Control<QRadioButton>(1039)->isChecked());

    // Showing the page again initialises nothing again.
    f.sheet.hide();
    f.sheet.show();
    EXPECT_EQ(page->inits, 1);
}

TEST(PropertyPageTest, EditsStoreKeystrokeByKeystrokeAndTimersTickByIdentifier) {
    test::PageFixture f;
    auto& page = f.Show(new SamplePage(f.services(), f.sheet.bubbleTip()));
    EXPECT_EQ(page.stored, (std::vector<int32_t>{60})) << "the initial text is stored back";

    auto* edit = page.Control<QLineEdit>(1009);
    edit->clear();
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("-2x"));
    EXPECT_EQ(page.stored, (std::vector<int32_t>{60, 0, 0, -2, 0}));

    EXPECT_TRUE(page.TimerRunning(1));
    EXPECT_EQ(page.TimerPeriod(1000), 1000);
    ASSERT_TRUE(test::waitFor([&] { return page.ticks.size() >= 3; }, 2000));
    EXPECT_EQ(page.ticks.front(), 1) << "the 50 ms timer ticks first";
}

}  // namespace
}  // namespace horalux
