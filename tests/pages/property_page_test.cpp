// What every property page shares: its template placed in dialog units, labels naming the fields
// after them, bubble tips, settings stored as typed, one initialisation on the first show, and
// numbered timers.
#include "pages/property_page.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QCheckBox>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>
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

    void SetStatus(const QString& text) { SetDlgItemText(1041, text); }

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
    page->SetStatus(QStringLiteral("Nominal"));
    EXPECT_EQ(page->Control(1041)->accessibleName(), QStringLiteral("Status: Nominal"))
        << "a screen reader hears what a static text says";
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

// Texts too wide for their template rectangles in the desktop's font, and with no room beside them,
// are narrowed until they show whole; the others keep the page's font.
class CrowdedPage final : public PropertyPage {
  public:
    CrowdedPage(const PageServices& services, BubbleTip& tip)
        : PropertyPage(services, tip, QStringLiteral("Crowded")) {}

  protected:
    void BuildTemplate() override {
        PushButton(1, QStringLiteral("Apply Comm Settings"), {127, 27, 60, 14});
        PushButton(2, QStringLiteral("OK"), {127, 47, 60, 14});
        CheckBox(3, QStringLiteral("Randomly pick time server when setting the PC clock"),
                 {106, 65, 150, 10});
        Label(QStringLiteral("A label far too long for its eight units"), {7, 90, 8, 8});
        PushButton(4, QStringLiteral("Next"), {30, 88, 40, 14});  // no room to widen into
    }
    void OnInitDialog() override {}
};

TEST(PropertyPageTest, TextsTooWideForTheirRectanglesAreNarrowedUntilTheyShowWhole) {
    test::PageFixture f;
    auto& page = f.Show(new CrowdedPage(f.services(), f.sheet.bubbleTip()));
    const QFont pageFont = page.font();
    EXPECT_EQ(page.Control(2)->font(), pageFont);
    for (const int id : {1, 3}) {
        const QWidget* control = page.Control(id);
        EXPECT_TRUE(control->font().stretch() < 100 ||
                    control->font().pixelSize() < pageFont.pixelSize())
            << id;
        const auto* button = qobject_cast<const QAbstractButton*>(control);
        const int textRoom = id == 1 ? control->width() : control->width() - 20;
        EXPECT_LE(control->fontMetrics().horizontalAdvance(button->text()), textRoom) << id;
    }
    for (const QLabel* label : page.findChildren<QLabel*>()) {
        EXPECT_EQ(label->font().pixelSize(), 8) << "at 8 pixels the shrinking stops";
        EXPECT_LE(label->geometry().right() + 3, page.Control(4)->x())
            << "widened up to the button";
    }
}

// A page with a check box and a group of two radio buttons whose handlers record what they would
// store, and a push button that runs a modal loop (as "Add/Delete..." does).
class TogglePage final : public PropertyPage {
  public:
    static constexpr int kBox = 1028;
    static constexpr int kGps = 1039;
    static constexpr int kNetwork = 1040;
    static constexpr int kModal = 1072;

    TogglePage(const PageServices& services, BubbleTip& tip)
        : PropertyPage(services, tip, QStringLiteral("Toggles")) {}

    std::vector<std::string> stored;
    std::function<void()> duringModal;
    std::function<void()> onTick;

    using PropertyPage::CheckDlgButton;

  protected:
    void BuildTemplate() override {
        RadioButton(kGps, QStringLiteral("GPS"), {14, 20, 93, 10}, true);
        RadioButton(kNetwork, QStringLiteral("Network"), {14, 35, 139, 10});
        CheckBox(kBox, QStringLiteral("Box"), {168, 20, 80, 10});
        PushButton(kModal, QStringLiteral("Modal..."), {168, 40, 50, 14});
    }
    void OnInitDialog() override {
        // Registered before the page fills itself, as the pages do: filling stores nothing.
        OnClicked(kBox, [this] { Store(IsDlgButtonChecked(kBox) ? "box=1" : "box=0"); });
        for (const int id : {kGps, kNetwork}) {
            OnClicked(id, [this] { Store(IsDlgButtonChecked(kGps) ? "ref=gps" : "ref=network"); });
        }
        OnClicked(kModal, [this] {
            QEventLoop loop;
            QTimer::singleShot(0, &loop, [&] {
                if (duringModal) {
                    duringModal();
                }
                loop.quit();
            });
            loop.exec();
        });
        CheckDlgButton(kGps, true);
        CheckDlgButton(kBox, true);
        Control<QAbstractButton>(kNetwork)->setChecked(false);  // set directly while filling
        SetTimer(1, 60000);
    }
    void OnTimer(int) override {
        if (onTick) {
            onTick();
        }
    }

  private:
    void Store(const std::string& what) {
        stored.push_back(what);
        // What a handler sets is the program's: the box follows the reference, and stores
        // nothing (as page 8 puts back the state its autostart entry ended in).
        if (what.rfind("ref=", 0) == 0) {
            Control<QAbstractButton>(kBox)->setChecked(what == "ref=gps");
        }
    }
};

void AccessibleToggle(QAbstractButton* button) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(button);
    ASSERT_NE(face, nullptr);
    ASSERT_NE(face->actionInterface(), nullptr);
    ASSERT_TRUE(face->actionInterface()->actionNames().contains(
        QAccessibleActionInterface::toggleAction()));
    face->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
}

// Radio buttons and check boxes store once for each change the user makes, by mouse, keyboard or
// a screen reader's action, and never for a state the program sets.
TEST(PropertyPageTest, ButtonsStoreEachChangeOfTheUsersOnceAndNoneOfTheProgramsOwn) {
    test::PageFixture f;
    auto& page = f.Show(new TogglePage(f.services(), f.sheet.bubbleTip()));
    EXPECT_EQ(page.stored, std::vector<std::string>{}) << "the page filled itself";
    auto* gps = page.Control<QRadioButton>(TogglePage::kGps);
    auto* network = page.Control<QRadioButton>(TogglePage::kNetwork);
    auto* box = page.Control<QCheckBox>(TogglePage::kBox);
    const auto space = [](QAbstractButton* b) { QTest::keyClick(b, Qt::Key_Space); };
    // On the indicator: a short text leaves most of the button's rectangle outside it.
    const auto click = [](QAbstractButton* b) {
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
    };

    struct Step {
        const char* what;
        std::function<void()> act;
        std::vector<std::string> stored;  // what that step stores
    };
    const Step steps[] = {
        {"a screen reader unchecks the box", [&] { AccessibleToggle(box); }, {"box=0"}},
        {"and checks it", [&] { AccessibleToggle(box); }, {"box=1"}},
        {"a click", [&] { click(box); }, {"box=0"}},
        {"the space bar", [&] { space(box); }, {"box=1"}},
        {"a screen reader switches the group: one store",
         [&] { AccessibleToggle(network); },
         {"ref=network"}},
        {"its action on the checked button changes nothing",
         [&] { AccessibleToggle(network); },
         {}},
        {"an arrow key moves the check",
         [&] {
             network->setFocus();
             ASSERT_TRUE(test::waitFor([&] { return network->hasFocus(); }, 2000));
             QTest::keyClick(network, Qt::Key_Up);
         },
         {"ref=gps"}},
        {"a click on the checked radio button chooses it again", [&] { click(gps); }, {"ref=gps"}},
        {"a click on the other", [&] { click(network); }, {"ref=network"}},
        {"the program: CheckDlgButton", [&] { page.CheckDlgButton(TogglePage::kGps, true); }, {}},
        {"the program: a timer tick",
         [&] {
             page.onTick = [&] {
                 box->setChecked(true);
                 network->setChecked(true);
             };
             page.FireTimer(1);
         },
         {}},
        {"a screen reader during a modal loop that a handler runs",
         [&] {
             page.duringModal = [&] { AccessibleToggle(box); };
             QTest::mouseClick(page.Control<QPushButton>(TogglePage::kModal), Qt::LeftButton);
         },
         {"box=0"}},
    };
    for (const Step& step : steps) {
        page.stored.clear();
        step.act();
        EXPECT_EQ(page.stored, step.stored) << step.what;
    }
    EXPECT_TRUE(network->isChecked());
    EXPECT_FALSE(box->isChecked());
}

}  // namespace
}  // namespace horalux
