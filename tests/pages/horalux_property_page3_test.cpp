// The "Position" tab through its timer: the position in the stored formats and units, and the
// satellites copied into the sky plot's slots.
#include "pages/horalux_property_page3.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>

#include "app/settings_keys.h"
#include "displays/display_accessibility.h"
#include "displays/sky_plot.h"
#include "displays/sky_plot_legend.h"
#include "gps/nmea_parser.h"
#include "page_fixture.h"
#include "ui/dialog_units.h"

namespace horalux {
namespace {

struct PositionPage {
    PositionPage() { page = &f.Show(new CHoraluxPropertyPage3(f.services(), f.sheet.bubbleTip())); }
    QString Text(int id) const { return page->Control<QLineEdit>(id)->text(); }
    SkyPlot& plot() const { return *page->skyPlot(); }

    test::PageFixture f;
    CHoraluxPropertyPage3* page = nullptr;
};

TEST(PositionPageTest, TemplateTipsNamesAndThePlotsSettings) {
    PositionPage p;
    struct {
        int id;
        DlgRect rect;
        const char* label;
        const char* tip;
    } const controls[] = {
        {1003, {59, 14, 69, 12}, "Latitude:", "Shows the current latitude from GPS receiver."},
        {1005, {59, 34, 69, 12}, "Longitude:", "Shows the current longitude from GPS receiver."},
        {1006, {59, 55, 69, 12}, "Altitude:", "Shows the current altitude from GPS receiver."},
        {1013, {205, 7, 139, 115}, nullptr, "Shows satellite azimuth and elevation."},
    };
    const auto labels = p.page->findChildren<QLabel*>();
    for (const auto& c : controls) {
        QWidget* w = p.page->Control(c.id);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->geometry(), dialogRect(c.rect.x, c.rect.y, c.rect.width, c.rect.height));
        EXPECT_EQ(w->accessibleDescription(), QString::fromUtf8(c.tip));
        if (c.label != nullptr) {
            const auto label = std::find_if(labels.begin(), labels.end(),
                                            [&](QLabel* l) { return l->buddy() == w; });
            ASSERT_NE(label, labels.end());
            EXPECT_EQ((*label)->text(), QString::fromUtf8(c.label));
        }
    }
    EXPECT_EQ(p.page->minimumSize(), dialogRect(0, 0, 351, 130).size());
    const SkyPlotState& s = p.plot().state();
    EXPECT_EQ(s.spokeStep(), 90);
    EXPECT_EQ(s.ringStep(), 30);
    EXPECT_EQ(s.fontSize, 70);
    EXPECT_EQ(s.gridLabelColour, 0x808080u);
    EXPECT_EQ(s.usedIcon, 114);
    EXPECT_EQ(s.inViewIcon, 121);
    EXPECT_EQ(s.Label(9), QStringLiteral("9"));
    EXPECT_EQ(p.page->TimerPeriod(1), 1000);
}

TEST(PositionPageTest, EveryTickFormatsThePositionAsTheStoreSaysNow) {
    PositionPage p;
    p.page->FireTimer(1);
    EXPECT_EQ(p.Text(1003), QString::fromUtf8("N 00° 00.0000"));
    EXPECT_EQ(p.Text(1005), QString::fromUtf8("E 000° 00.0000"));
    EXPECT_EQ(p.Text(1006), QStringLiteral("0.00     ft       "));

    p.f.gps.latitude = -33.856783;
    p.f.gps.longitude = 151.215;
    p.f.gps.altitude = 58.3;
    p.page->FireTimer(1);
    EXPECT_EQ(p.Text(1003), QString::fromUtf8("S 33° 51.4070"));
    EXPECT_EQ(p.Text(1005), QString::fromUtf8("E 151° 12.9000"));
    EXPECT_EQ(p.Text(1006), QStringLiteral("191.27   ft       "));
    p.f.store.write(keys::PositionFormat, 2);
    p.f.store.write(keys::Units, 0);
    p.page->FireTimer(1);
    EXPECT_EQ(p.Text(1003), QString::fromUtf8("S 33.8567830000°"));
    EXPECT_EQ(p.Text(1006), QStringLiteral("58.30    m       "));
    EXPECT_EQ(p.f.store.writeCount(), 2) << "the page writes no settings";
}

TEST(PositionPageTest, SatellitesInViewAreCopiedBoundedByBothTables) {
    PositionPage p;
    for (int i = 0; i < GpsState::kTableSize; ++i) {
        p.f.gps.satellites[static_cast<size_t>(i)] = {i + 1, 10 * i + 5, 5 + i, i % 2, 30 + i};
    }
    for (int i = 0; i < SkyPlotState::kSlots; ++i) {
        p.plot().slot(i).snr = -1;
    }
    struct {
        int inView;
        int copied;
    } const cases[] = {{9, 9}, {8, 8}, {0, 0}, {100, 32}, {-3, 0}, {32, 32}};
    for (const auto& c : cases) {
        p.f.gps.satellitesInView = c.inView;
        p.page->FireTimer(1);
        for (int i = 0; i < SkyPlotState::kSlots; ++i) {
            const SatelliteSlot& slot = p.plot().slot(i);
            if (i < c.copied) {
                EXPECT_EQ(slot.prn, i + 1);
                EXPECT_EQ(slot.azimuth, 10 * i + 5);
                EXPECT_EQ(slot.elevation, 5 + i);
                EXPECT_EQ(slot.used, i % 2);
                EXPECT_EQ(slot.snr, 30 + i);
            } else {
                EXPECT_EQ(slot.prn, 0) << "n " << c.inView << " slot " << i;
                EXPECT_EQ(slot.azimuth, 0);
                EXPECT_EQ(slot.elevation, 0);
                EXPECT_EQ(slot.used, 0);
            }
        }
        // The plot has taken the slots as they are.
        EXPECT_EQ(p.plot().state().lastDrawn(0).prn, c.copied > 0 ? 1 : 0);
    }
    EXPECT_EQ(p.plot().slot(39).snr, -1) << "a cleared slot keeps its SNR";
}

TEST(PositionPageTest, AReceiverOfSeveralSystemsGetsTheViewOnThePlotAndALegend) {
    PositionPage p;
    SkyPlotLegend& legend = *p.page->legend();
    EXPECT_EQ(legend.geometry(), dialogRect(7, 78, 190, 44));
    EXPECT_EQ(legend.accessibleDescription(),
              QStringLiteral("Shows the satellite systems on the sky plot, the colour of their "
                             "labels and how many of their satellites are used."));
    NmeaParser parser(p.f.gps, &p.f.sky);
    parser.Dispatch("GPGSV", "1,1,01,05,40,083,46");
    p.page->FireTimer(1);
    EXPECT_TRUE(legend.isHidden());
    EXPECT_FALSE(p.plot().slot(0).system.has_value());

    parser.Dispatch("GNGSA", "A,3,65,,,,,,,,,,,,2.5,1.3,2.1,2");
    parser.Dispatch("GLGSV", "1,1,01,65,30,200,40");
    p.page->FireTimer(1);
    EXPECT_FALSE(legend.isHidden());
    EXPECT_EQ(p.plot().slot(0).system, GnssSystem::Gps);
    EXPECT_EQ(p.plot().slot(1).system, GnssSystem::Glonass);
    EXPECT_EQ(p.plot().slot(1).used, 1);
    EXPECT_EQ(p.plot().state().lastDrawn(1).prn, 65);
    EXPECT_EQ(AccessibleNameOf(&legend),
              QStringLiteral("Satellite systems: GPS 1, 0 used; GLONASS 1, 1 used"));
    EXPECT_TRUE(AccessibleNameOf(&p.plot()).contains(
        QStringLiteral("(GPS 1, 0 used; GLONASS 1, 1 used): G05")));

    p.f.sky.Clear();
    p.f.gps.Reset();
    p.page->FireTimer(1);
    EXPECT_TRUE(legend.isHidden());
    EXPECT_EQ(p.plot().slot(0).prn, 0);
    EXPECT_FALSE(p.plot().slot(1).system.has_value());
}

}  // namespace
}  // namespace horalux
