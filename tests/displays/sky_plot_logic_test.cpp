// The sky plot's geometry and its marker bookkeeping, without a display.
#include <gtest/gtest.h>

#include <QStringList>
#include <vector>

#include "displays/sky_label_placement.h"
#include "displays/sky_plot_geometry.h"
#include "displays/sky_plot_state.h"
#include "displays/system_legend.h"

namespace horalux {
namespace {

QString Deg(int degrees) {
    return QString::number(degrees) + QChar(0x00BA);
}

TEST(SkyPlotGeometryTest, DiscOfTheInnerRectangleAndThePolarMapping) {
    // A control of 208 x 187 has an inner rectangle of 204 x 183.
    const SkyPlotGeometry g(QSize(208, 187));
    EXPECT_EQ(g.inner(), QRect(2, 2, 204, 183));
    EXPECT_DOUBLE_EQ(g.radius(), 91.5);
    EXPECT_DOUBLE_EQ(g.cx(), 104.0);
    EXPECT_DOUBLE_EQ(g.cy(), 93.5);
    EXPECT_EQ(g.ClipRadius(), 91);
    EXPECT_EQ(g.ClipBounds(), QRect(13, 2, 183, 183));

    struct {
        int azimuth, elevation;
        QPoint at;
    } const points[] = {
        {0, 90, {104, 93}},    // the zenith is the centre
        {123, 90, {104, 93}},  // whatever the azimuth
        {0, 0, {104, 2}},      // north on the horizon: trunc(-91.5) = -91
        {90, 0, {195, 93}},    // east
        {180, 0, {104, 184}},  // south: trunc(91.5) = 91
        {270, 0, {13, 93}},    // west
        {45, 30, {147, 50}},   // rho 61: trunc(43.13), trunc(-43.13)
        {90, -90, {287, 93}},  // below the horizon: outside the disc
    };
    for (const auto& p : points) {
        EXPECT_EQ(g.Polar(p.azimuth, p.elevation), p.at) << p.azimuth << "/" << p.elevation;
    }
    // Areas that clipping to the disc leaves whole.
    EXPECT_TRUE(g.InsideDisc(QRect(74, 77, 60, 33)));
    EXPECT_FALSE(g.InsideDisc(QRect(74, 0, 60, 33))) << "across the horizon";
    EXPECT_FALSE(g.InsideDisc(QRect(14, 3, 10, 10))) << "in the corner outside the disc";
    EXPECT_FALSE(g.InsideDisc(QRect()));
    // Absurd values stay finite.
    const QPoint far = g.Polar(90, -2000000000);
    EXPECT_LE(far.x(), 104 + 1000000);
}

TEST(SkyPlotGeometryTest, GridsOfTheConstructionAndThePositionPage) {
    const SkyPlotGeometry g(QSize(208, 187));
    struct Grid {
        int ringStep, spokeStep;
        std::vector<int> rings;
        QStringList ringLabels;
        QStringList spokeLabels;
    } const grids[] = {
        {30, 90, {0, 30, 60}, {Deg(30), Deg(60)}, {" N ", " E ", " S ", " W "}},
        {15,
         30,
         {0, 15, 30, 45, 60, 75},
         {Deg(15), Deg(30), Deg(45), Deg(60), Deg(75)},
         {" N ", Deg(30), Deg(60), " E ", Deg(120), Deg(150), " S ", Deg(210), Deg(240), " W ",
          Deg(300), Deg(330)}},
    };
    for (const Grid& grid : grids) {
        std::vector<int> rings;
        QStringList ringLabels;
        for (const auto& ring : g.Rings(grid.ringStep)) {
            rings.push_back(ring.elevation);
            if (ring.labelled) {
                ringLabels << ring.label;
                EXPECT_EQ(ring.labelAt, g.Polar(45, ring.elevation))
                    << "on the north-east diagonal";
            }
        }
        EXPECT_EQ(rings, grid.rings);
        EXPECT_EQ(ringLabels, grid.ringLabels);
        QStringList spokeLabels;
        for (const auto& spoke : g.Spokes(grid.spokeStep, 15)) {
            spokeLabels << spoke.label;
            EXPECT_EQ(spoke.line.p1(), QPoint(104, 93));
            EXPECT_EQ(spoke.labelAt, g.Polar(spoke.azimuth, 15));
        }
        EXPECT_EQ(spokeLabels, grid.spokeLabels);
    }
    // The horizon ring fills the disc; the 30 degree ring has r = trunc(91.5 - 30.5) = 61.
    const auto rings = g.Rings(30);
    EXPECT_EQ(rings[0].bounds, QRect(13, 2, 182, 182));
    EXPECT_EQ(rings[1].bounds, QRect(43, 32, 122, 122));
    // No loop without a step.
    EXPECT_TRUE(g.Rings(0).empty());
    EXPECT_TRUE(g.Spokes(-30, 15).empty());
}

TEST(SkyPlotGeometryTest, MarkerLayoutWithAndWithoutIcon) {
    // Font 9 px: widest character 12, height 11; icon 9 x 7.
    const auto withIcon = SkyPlotGeometry::MarkerLayout(QPoint(100, 50), 12, 11, QSize(9, 7));
    EXPECT_EQ(withIcon.image, QRect(70, 47, 60, 33));  // at (x - w/2, y - 7/2)
    EXPECT_EQ(withIcon.iconAt, QPoint(26, 0));
    EXPECT_EQ(withIcon.text, QRect(0, 7, 60, 26));

    const auto cross = SkyPlotGeometry::MarkerLayout(QPoint(100, 50), 12, 11, QSize());
    EXPECT_EQ(cross.image, QRect(70, 48, 60, 33));  // anchored 2 pixels down
    EXPECT_EQ(cross.cross[0], QLine(28, 0, 32, 4));
    EXPECT_EQ(cross.cross[1], QLine(32, 0, 28, 4));
    EXPECT_EQ(cross.text.top(), 5);
}

TEST(SkyPlotGeometryTest, LabelsOnEachSideOfTheIconWhichStaysOnThePoint) {
    // w 60, h 33; icon 9 x 7; a text of 20 x 11.
    const QPoint at(100, 50);
    struct {
        LabelSide side;
        QRect image;
        QPoint iconAt;
        QRect text;
        Qt::Alignment alignment;
        QPoint textAt;  // the top-left corner of the text on the plot
    } const cases[] = {
        {LabelSide::Below,
         {70, 47, 60, 33},
         {26, 0},
         {0, 7, 60, 26},
         Qt::AlignHCenter | Qt::AlignTop,
         {90, 54}},
        {LabelSide::Above,
         {70, 21, 60, 33},
         {26, 26},
         {0, 0, 60, 26},
         Qt::AlignHCenter | Qt::AlignBottom,
         {90, 36}},
        {LabelSide::Right,
         {96, 34, 60, 33},
         {0, 13},
         {10, 0, 50, 33},
         Qt::AlignLeft | Qt::AlignVCenter,
         {106, 45}},
        {LabelSide::Left,
         {45, 34, 60, 33},
         {51, 13},
         {0, 0, 50, 33},
         Qt::AlignRight | Qt::AlignVCenter,
         {75, 45}},
    };
    for (const auto& c : cases) {
        const auto m = SkyPlotGeometry::MarkerLayout(at, 12, 11, QSize(9, 7), c.side);
        SCOPED_TRACE(static_cast<int>(c.side));
        EXPECT_EQ(m.image, c.image);
        EXPECT_EQ(m.iconAt, c.iconAt);
        EXPECT_EQ(m.text, c.text);
        EXPECT_EQ(m.textAlignment, c.alignment);
        EXPECT_EQ(m.image.topLeft() + m.iconAt + QPoint(4, 3), at) << "the icon's middle";
        EXPECT_EQ(SkyPlotGeometry::TextBounds(m, QSize(20, 11)), QRect(c.textAt, QSize(20, 11)));
    }
    EXPECT_EQ(SkyPlotGeometry::MarkerLayout(at, 12, 11, QSize(), LabelSide::Right).text.top(), 5)
        << "a cross keeps its label under it";
}

TEST(SkyLabelPlacementTest, EachLabelTakesTheFirstFreeSideOfItsIconUntilSomethingMoves) {
    const SkyPlotGeometry g(QSize(208, 187));  // the disc: centre (104, 93.5), radius 91
    const QSize text(20, 11);
    using enum LabelSide;
    struct {
        const char* what;
        std::vector<QPoint> at;
        std::vector<LabelSide> sides;
    } const cases[] = {
        {"alone", {{104, 93}}, {Below}},
        {"an icon under it", {{104, 93}, {104, 104}}, {Right, Below}},
        {"icons under it and to its right",
         {{104, 93}, {104, 104}, {120, 93}},
         {Left, Below, Below}},
        {"a label placed before it", {{80, 93}, {92, 93}}, {Below, Right}},
        {"on the horizon in the south", {{104, 181}}, {Above}},
        {"on the horizon in the east", {{192, 93}}, {Left}},
    };
    for (const auto& c : cases) {
        std::vector<LabelRequest> requests;
        for (const QPoint& p : c.at) {
            requests.push_back({p, text});
        }
        EXPECT_EQ(PlaceLabels(g, requests, 10, 10, QSize(9, 7)), c.sides) << c.what;
        EXPECT_EQ(PlaceLabels(g, requests, 10, 10, QSize()),
                  std::vector<LabelSide>(c.at.size(), Below))
            << c.what << ": crosses";
    }
    // Where every side is taken, the one that hides least: a cluster still gets a side each.
    std::vector<LabelRequest> cluster;
    for (int i = 0; i < 9; ++i) {
        cluster.push_back({QPoint(100 + 6 * (i % 3), 90 + 6 * (i / 3)), text});
    }
    const std::vector<LabelSide> clustered = {Left,  Above, Right, Left, Right,
                                              Right, Below, Below, Right};
    EXPECT_EQ(PlaceLabels(g, cluster, 10, 10, QSize(9, 7)), clustered);

    // A placer remembers its last answer, and places afresh whatever has changed since.
    LabelPlacer placer;
    EXPECT_EQ(placer.Place(g, cluster, 10, 10, QSize(9, 7)), clustered);
    EXPECT_EQ(placer.Place(g, cluster, 10, 10, QSize(9, 7)), clustered);
    std::vector<LabelRequest> moved = cluster;
    moved[4].at = QPoint(150, 150);
    EXPECT_EQ(placer.Place(g, moved, 10, 10, QSize(9, 7)),
              PlaceLabels(g, moved, 10, 10, QSize(9, 7)));
    moved.pop_back();
    EXPECT_EQ(placer.Place(g, moved, 10, 10, QSize(9, 7)),
              PlaceLabels(g, moved, 10, 10, QSize(9, 7)));
    const std::vector<LabelRequest> horizon = {{QPoint(104, 181), text}};
    const SkyPlotGeometry small(QSize(208, 300));
    EXPECT_EQ(placer.Place(g, horizon, 10, 10, QSize(9, 7)), std::vector<LabelSide>{Above});
    EXPECT_EQ(placer.Place(small, horizon, 10, 10, QSize(9, 7)), std::vector<LabelSide>{Below})
        << "a larger disc leaves room under it";
    EXPECT_EQ(placer.Place(small, horizon, 10, 10, QSize()), std::vector<LabelSide>{Below});
}

SkyPlotState PageState() {
    SkyPlotState s;
    s.usedIcon = 114;
    s.inViewIcon = 121;
    s.SetLabelFormat(QStringLiteral("%d"));
    return s;
}

void Put(SkyPlotState& s, int i, int prn, int azimuth, int elevation, int used) {
    SatelliteSlot& slot = s.satelliteSlots[static_cast<size_t>(i)];
    slot.prn = prn;
    slot.azimuth = azimuth;
    slot.elevation = elevation;
    slot.used = used;
}

TEST(SkyPlotStateTest, StartsEmptyWithTheUsedColourAndRefusesStepsThatNeverEnd) {
    SkyPlotState s;
    for (const SatelliteSlot& slot : s.satelliteSlots) {
        EXPECT_EQ(slot.colour, 0x00FFFFu);
        EXPECT_EQ(slot.prn, 0);
    }
    EXPECT_TRUE(s.Update().empty()) << "nothing to draw at first";
    EXPECT_EQ(s.Label(7), QStringLiteral("PRN:7"));
    s.SetLabelFormat(QStringLiteral("%d%%"));
    EXPECT_EQ(s.Label(-3), QStringLiteral("-3%"));
    s.SetLabelFormat(QStringLiteral("%s %x"));
    EXPECT_EQ(s.Label(3), QStringLiteral("%s %x")) << "only %d stands for the number";

    EXPECT_FALSE(s.SetRingStep(0));
    EXPECT_FALSE(s.SetSpokeStep(-90));
    EXPECT_EQ(s.ringStep(), 15);
    EXPECT_EQ(s.spokeStep(), 30);
    EXPECT_TRUE(s.SetRingStep(30));
    EXPECT_TRUE(s.SetSpokeStep(90));
    EXPECT_EQ(s.ringStep(), 30);
    EXPECT_EQ(s.spokeStep(), 90);
}

TEST(SkyPlotStateTest, OnlySatellitesOffTheAxesAndAboveTheHorizonAreDrawn) {
    struct {
        int prn, azimuth, elevation;
        bool drawn;
    } const cases[] = {
        {5, 120, 90, true}, {5, 120, 1, true},   {5, 359, 45, true},  {5, 0, 45, false},
        {5, 120, 0, false}, {5, 120, 95, false}, {0, 120, 45, false}, {5, 120, -5, true},
    };
    for (const auto& c : cases) {
        SkyPlotState s = PageState();
        Put(s, 3, c.prn, c.azimuth, c.elevation, 1);
        EXPECT_EQ(s.Update().size(), c.drawn ? 1u : 0u)
            << c.prn << " " << c.azimuth << " " << c.elevation;
        EXPECT_EQ(s.Repaint().size(), c.drawn ? 1u : 0u) << "the paint draws the same";
    }
}

TEST(SkyPlotStateTest, AnUpdateRedrawsOnlyTheSatellitesThatChanged) {
    SkyPlotState s = PageState();
    Put(s, 0, 5, 120, 40, 0);
    Put(s, 1, 12, 200, 60, 1);
    Put(s, 2, 17, 300, 20, 1);
    ASSERT_EQ(s.Update().size(), 3u);
    EXPECT_TRUE(s.Update().empty()) << "an unchanged sky draws nothing";

    const SkyMarker old{5, 120, 40, 0xC0C0C0, 121};
    const SkyMarker moved{5, 120, 41, 0xC0C0C0, 121};
    const SkyMarker used{5, 120, 41, 0x00FFFF, 114};
    struct Step {
        const char* what;
        int prn, azimuth, elevation, used;
        std::vector<SkyMarker> drawn;  // in order: the old marker drawn again, then the new one
    } const steps[] = {
        {"elevation 40 to 41", 5, 120, 41, 0, {old, moved}},
        {"enters the fix without moving", 5, 120, 41, 1, {moved, used}},
        {"a used flag of 2 is not 'used'", 5, 120, 41, 2, {used, moved}},
        {"sinks to the horizon", 5, 120, 0, 2, {moved}},
        {"rises again", 5, 120, 41, 1, {used}},
        {"slot cleared by the host", 0, 0, 0, 0, {used}},
    };
    for (const Step& step : steps) {
        Put(s, 0, step.prn, step.azimuth, step.elevation, step.used);
        EXPECT_EQ(s.Update(), step.drawn) << step.what;
        EXPECT_EQ(s.satelliteSlots[0].colour, step.used == 1 ? 0x00FFFFu : 0xC0C0C0u);
        EXPECT_EQ(s.satelliteSlots[0].icon, step.used == 1 ? 114 : 121);
        EXPECT_EQ(s.lastDrawn(1), (SkyMarker{12, 200, 60, 0x00FFFF, 114})) << "others untouched";
    }
}

TEST(SkyPlotStateTest, ARepaintRecordsWhatItDrawsAndTheSummaryNamesIt) {
    SkyPlotState s = PageState();
    EXPECT_EQ(s.Summary(), QStringLiteral("No satellites"));
    Put(s, 0, 5, 120, 40, 1);
    Put(s, 1, 7, 0, 40, 1);  // exactly north: not on the plot
    s.Update();
    Put(s, 0, 5, 120, 50, 1);
    // A whole repaint in between draws the slot as it stands (with its last colour and icon)...
    const auto painted = s.Repaint();
    ASSERT_EQ(painted.size(), 1u);
    EXPECT_EQ(painted[0], (SkyMarker{5, 120, 50, 0x00FFFF, 114}));
    // ...so the next update has nothing left to remove.
    EXPECT_TRUE(s.Update().empty());

    Put(s, 2, 30, 45, 10, 0);
    s.Update();
    EXPECT_EQ(s.Summary(), QString::fromUtf8("2 satellites, 1 used in the fix: 5 at azimuth 120°, "
                                             "elevation 50°, used; 30 at azimuth 45°, elevation "
                                             "10°"));
}

TEST(SkyPlotStateTest, SatellitesWithTheirSystemsInTheSystemsColoursAndTheirLetters) {
    SkyPlotState s = PageState();
    EXPECT_EQ(s.Label(65, GnssSystem::Glonass), QStringLiteral("R65"));
    EXPECT_EQ(s.Label(46, GnssSystem::Sbas), QStringLiteral("S133"));
    EXPECT_EQ(s.Label(5, GnssSystem::Gps), QStringLiteral("G05"));
    EXPECT_EQ(s.Label(5), QStringLiteral("5"));
    s.SetLabelFormat(QStringLiteral("PRN:%d"));
    EXPECT_EQ(s.Label(8, GnssSystem::BeiDou), QStringLiteral("PRN:C08"));
    s.SetLabelFormat(QStringLiteral("%d"));

    // The label colour is the system's, used or not; the icon says whether it is used.
    Put(s, 0, 5, 120, 50, 1);
    s.satelliteSlots[0].system = GnssSystem::Gps;
    Put(s, 1, 65, 45, 10, 0);
    s.satelliteSlots[1].system = GnssSystem::Glonass;
    Put(s, 2, 12, 200, 30, 1);  // no system: the used colour
    ASSERT_EQ(s.Update().size(), 3u);
    const ColorRef gps = SystemLabelColour(GnssSystem::Gps);
    const ColorRef glonass = SystemLabelColour(GnssSystem::Glonass);
    EXPECT_EQ(s.lastDrawn(0), (SkyMarker{5, 120, 50, gps, 114, GnssSystem::Gps}));
    EXPECT_EQ(s.lastDrawn(1), (SkyMarker{65, 45, 10, glonass, 121, GnssSystem::Glonass}));
    EXPECT_EQ(s.lastDrawn(2), (SkyMarker{12, 200, 30, 0x00FFFF, 114}));
    s.satelliteSlots[1].used = 1;
    EXPECT_EQ(s.Update(),
              (std::vector<SkyMarker>{{65, 45, 10, glonass, 121, GnssSystem::Glonass},
                                      {65, 45, 10, glonass, 114, GnssSystem::Glonass}}));
    // A label moved to another side is drawn again there.
    s.satelliteSlots[1].labelSide = LabelSide::Left;
    const auto moved = s.Update();
    ASSERT_EQ(moved.size(), 2u);
    EXPECT_EQ(moved[1].labelSide, LabelSide::Left);

    EXPECT_EQ(s.Summary(),
              QString::fromUtf8("3 satellites, 3 used in the fix (GPS 1, 1 used; GLONASS 1, 1 "
                                "used): G05 at azimuth 120°, elevation 50°, used; R65 at azimuth "
                                "45°, elevation 10°, used; 12 at azimuth 200°, elevation 30°, "
                                "used"));
}

}  // namespace
}  // namespace horalux
