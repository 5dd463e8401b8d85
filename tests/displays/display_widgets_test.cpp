// The display widgets' pixels, offscreen: the satellite icons and the LED sheet as drawn, the
// sky plot's exclusive-or markers on its back buffer, the light over its parent, the bars.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QWidget>
#include <set>

#include "clock/qt_color.h"
#include "displays/activity_led.h"
#include "displays/centred_text.h"
#include "displays/signal_quality_graph.h"
#include "displays/sky_plot.h"
#include "displays/sky_plot_legend.h"
#include "position_page_plot.h"
#include "resources/horalux_resources.h"
#include "ui/wait_for.h"

namespace horalux {
namespace {

TEST(DisplayBitmapsTest, SatelliteIconsAreTheNineBySevenRowsOnBlack) {
    const char* const rows[] = {"XX.....XX", "XX.....XX", "XX.XXX.XX", "XXXXXXXXX",
                                "XX.XXX.XX", "XX.....XX", "XX.....XX"};
    for (auto [id, colour] : {std::pair{114, qRgb(255, 255, 0)}, {121, qRgb(128, 128, 128)}}) {
        const QImage icon = resourceBitmap(id).toImage().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(icon.size(), QSize(9, 7)) << id;
        for (int y = 0; y < 7; ++y) {
            for (int x = 0; x < 9; ++x) {
                EXPECT_EQ(icon.pixel(x, y), rows[y][x] == 'X' ? colour : qRgb(0, 0, 0))
                    << id << " at " << x << "," << y;
            }
        }
    }
}

TEST(DisplayBitmapsTest, LedSheetHasItsCellsInSixteenColoursOnMagenta) {
    const QImage sheet = resourceBitmap(135).toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(sheet.size(), QSize(48, 192));
    const std::set<QRgb> palette = {
        qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
        qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
        qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
    const QRgb lit[] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(255, 255, 0), qRgb(0, 0, 255)};
    const QRgb dim[] = {qRgb(128, 0, 0), qRgb(0, 128, 0), qRgb(128, 128, 0), qRgb(0, 0, 128)};
    for (int row = 0; row < 12; ++row) {
        for (int column = 0; column < 3; ++column) {
            std::set<QRgb> colours;
            for (int y = 0; y < 16; ++y) {
                for (int x = 0; x < 16; ++x) {
                    colours.insert(sheet.pixel(column * 16 + x, row * 16 + y));
                }
            }
            for (QRgb c : colours) {
                EXPECT_TRUE(palette.count(c)) << "cell " << column << "," << row;
            }
            const QRgb face = column == 0   ? lit[row % 4]
                              : column == 1 ? dim[row % 4]
                                            : qRgb(128, 128, 128);
            EXPECT_TRUE(colours.count(face)) << "cell " << column << "," << row;
            EXPECT_TRUE(colours.count(qRgb(255, 0, 255))) << "the key around the light";
            EXPECT_TRUE(colours.count(qRgb(192, 192, 192))) << "the bezel";
            EXPECT_EQ(sheet.pixel(column * 16 + 15, row * 16 + 15), qRgb(255, 0, 255));
        }
    }
}

// The plot as the Position page sets it up, in a control of 208 x 187.
struct PagePlot {
    PagePlot() {
        SetUpAsOnThePositionPage(plot, {208, 187});
        plot.grab();  // the first paint builds the buffer
    }
    void Put(int i, int prn, int azimuth, int elevation, int used) {
        SatelliteSlot& s = plot.slot(i);
        s.prn = prn;
        s.azimuth = azimuth;
        s.elevation = elevation;
        s.used = used;
    }
    SkyPlot plot;
};

// Where two images differ.
QRect Differences(const QImage& a, const QImage& b) {
    QRect r;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) {
                r |= QRect(x, y, 1, 1);
            }
        }
    }
    return r;
}

TEST(SkyPlotWidgetTest, MarkersAreCombinedByExclusiveOrAndTouchNothingElse) {
    PagePlot p;
    const QImage grid = p.plot.buffer().copy();
    ASSERT_EQ(p.plot.wholeRepaints(), 1);
    EXPECT_EQ(grid.pixel(104, 93 - 45), toQColor(0xFF0000).rgb()) << "the north spoke in blue";
    EXPECT_EQ(grid.pixel(60, 70), qRgb(0, 0, 0)) << "the disc is black";
    EXPECT_NE(grid.pixel(1, 1), qRgb(0, 0, 0)) << "outside the disc, the page's colour";

    // A used satellite at azimuth 45, elevation 45: its yellow icon over the black disc.
    p.Put(0, 12, 45, 45, 1);
    p.plot.UpdateMarkers();
    EXPECT_EQ(p.plot.markersLastUpdate(), 1);
    const QImage one = p.plot.buffer().copy();
    const QPoint at = p.plot.geometry().Polar(45, 45);
    EXPECT_EQ(one.pixel(at.x() - 4, at.y() - 3), qRgb(255, 255, 0));
    EXPECT_EQ(one.pixel(at.x() - 2, at.y() - 3), qRgb(0, 0, 0))
        << "the icon's black is see-through";
    const QRect marker12 = Differences(grid, one);
    ASSERT_FALSE(marker12.isEmpty());

    // A second satellite; then the first moves from elevation 45 to 46: only its two places
    // change, the other marker's pixels stay.
    p.Put(1, 5, 250, 20, 0);
    p.plot.UpdateMarkers();
    const QImage two = p.plot.buffer().copy();
    const QRect marker5 = Differences(one, two);
    p.Put(0, 12, 45, 46, 1);
    p.plot.UpdateMarkers();
    EXPECT_EQ(p.plot.markersLastUpdate(), 2) << "removed once, drawn once";
    const QImage moved = p.plot.buffer().copy();
    const QRect changed = Differences(two, moved);
    EXPECT_FALSE(changed.intersects(marker5));
    const QPoint step = p.plot.geometry().Polar(45, 46) - at;
    EXPECT_TRUE(marker12.united(marker12.translated(step)).contains(changed));

    // The incremental picture is the one a whole repaint draws from the same slots.
    EXPECT_EQ(RepaintedAfresh(p.plot), moved);

    // Clearing the slots draws each marker a second time: the grid is back, pixel for pixel.
    p.Put(0, 0, 0, 0, 0);
    p.Put(1, 0, 0, 0, 0);
    p.plot.UpdateMarkers();
    EXPECT_EQ(p.plot.buffer(), grid);
    EXPECT_EQ(p.plot.wholeRepaints(), 1) << "updates never redraw the grid";
    // What the screen shows is the buffer.
    EXPECT_EQ(p.plot.grab().toImage().convertToFormat(QImage::Format_RGB32), grid);
}

TEST(SkyPlotWidgetTest, SettersRepaintEverythingAndMarkersStayInsideTheDisc) {
    PagePlot p;
    p.Put(0, 7, 90, 90, 0);    // the zenith
    p.Put(1, 9, 300, -20, 1);  // below the horizon: clipped away
    p.Put(2, 3, 10, 95, 1);    // never drawn
    p.plot.UpdateMarkers();
    const QImage image = p.plot.buffer().copy();
    const QPoint centre = p.plot.geometry().Polar(0, 90);
    EXPECT_EQ(centre, QPoint(104, 93));
    // Grey icon over the black disc (the spokes cross in the middle).
    EXPECT_EQ(image.pixel(centre.x() - 4, centre.y() - 2), qRgb(128, 128, 128));
    const QRegion disc(p.plot.geometry().ClipBounds(), QRegion::Ellipse);
    PagePlot reference;
    const QRect changed = Differences(reference.plot.buffer(), image);
    EXPECT_TRUE(disc.boundingRect().contains(changed)) << "nothing drawn outside the disc";

    p.plot.SetRingStep(0);  // refused
    EXPECT_EQ(p.plot.state().ringStep(), 30);
    p.plot.SetGridTextColor(0xFFFFFF);
    p.plot.grab();
    EXPECT_EQ(p.plot.wholeRepaints(), 2);
    EXPECT_TRUE(AccessibleNameOf(&p.plot).startsWith(QString::fromUtf8(
        "Sky plot: 2 satellites, 1 used in the fix: 7 at azimuth 90°, elevation 90°;")))
        << AccessibleNameOf(&p.plot).toStdString();
}

TEST(SkyPlotWidgetTest, ACrowdOfSystemsNearTheHorizonUpdatesAsAWholeRepaintDraws) {
    // Markers on the horizon are clipped to the disc, others not; the one that moves is drawn
    // twice clipped, and nothing may be left of it outside the disc.
    PagePlot p;
    PagePlot grid;
    struct {
        int prn, azimuth, elevation;
        GnssSystem system;
    } const sky[] = {{1, 70, 25, GnssSystem::Gps},     {7, 130, 13, GnssSystem::Gps},
                     {13, 243, 48, GnssSystem::Gps},   {87, 18, 2, GnssSystem::Glonass},
                     {46, 174, 39, GnssSystem::Sbas},  {44, 177, 39, GnssSystem::Sbas},
                     {33, 47, 53, GnssSystem::Galileo}};
    for (size_t i = 0; i < std::size(sky); ++i) {
        p.Put(int(i), sky[i].prn, sky[i].azimuth, sky[i].elevation, 1);
        p.plot.slot(int(i)).system = sky[i].system;
    }
    p.plot.UpdateMarkers();
    EXPECT_NE(p.plot.slot(5).labelSide, p.plot.slot(4).labelSide) << "S131 beside S133";
    p.Put(3, 87, 17, 1, 1);
    p.plot.UpdateMarkers();

    const QImage fresh = RepaintedAfresh(p.plot);
    EXPECT_EQ(fresh, p.plot.buffer());
    const QRegion disc(p.plot.geometry().ClipBounds(), QRegion::Ellipse);
    EXPECT_TRUE(disc.boundingRect().contains(Differences(grid.plot.buffer(), p.plot.buffer())));
    for (const QImage* image : {&fresh, &p.plot.buffer()}) {
        for (int y = 0; y < 187; ++y) {
            for (int x = 0; x < 208; ++x) {
                if (!disc.contains(QPoint(x, y))) {
                    ASSERT_EQ(image->pixel(x, y), grid.plot.buffer().pixel(x, y)) << x << "," << y;
                }
            }
        }
    }
}

TEST(SkyPlotWidgetTest, TheLegendShowsEachSystemsLetterInItsColourOnBlack) {
    SkyPlotLegend legend;
    legend.resize(285, 71);
    EXPECT_EQ(AccessibleNameOf(&legend), QStringLiteral("No satellite systems"));
    legend.SetCounts({{GnssSystem::Gps, 10, 5}, {GnssSystem::Glonass, 8, 7}});
    EXPECT_EQ(AccessibleNameOf(&legend),
              QStringLiteral("Satellite systems: GPS 10, 5 used; GLONASS 8, 7 used"));
    const QImage image = legend.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int line = QFontMetrics(legend.font()).height() + 3;
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(image.pixel(0, row * line), qRgb(0, 0, 0)) << "the chip";
        // The letter's brightest pixel, smoothed against the black: the colour, dimmed at most.
        QColor brightest(Qt::black);
        for (int y = row * line; y < row * line + line - 3; ++y) {
            for (int x = 0; x < line - 2; ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.value() > brightest.value()) {
                    brightest = c;
                }
            }
        }
        const QColor colour = toQColor(legend.entries()[size_t(row)].colour);
        EXPECT_GT(brightest.value(), 160) << "row " << row;
        EXPECT_NEAR(brightest.hueF(), colour.hueF(), 0.05) << "row " << row;
    }
}

// A parent of one colour with a light in it.
struct LedOnPage {
    explicit LedOnPage(QRect where) {
        QPalette palette = page.palette();
        palette.setColor(QPalette::Window, QColor(0, 128, 128));
        page.setPalette(palette);
        page.setAutoFillBackground(true);
        page.resize(40, 40);
        led = new ActivityLed(&page);
        led->setGeometry(where);
        led->SetLed(16, 1, 128);
    }
    QImage Shot() { return page.grab().toImage().convertToFormat(QImage::Format_RGB32); }
    QWidget page;
    ActivityLed* led;
};

TEST(ActivityLedWidgetTest, TheCellShowsOverItsParentWithoutItsKeyColour) {
    const QRgb teal = qRgb(0, 128, 128);
    const QRgb magenta = qRgb(255, 0, 255);
    const QImage sheet = ActivityLed::Sheet();
    struct {
        QRect where;
        QPoint origin;  // of the cell, in the page
    } const cases[] = {
        {QRect(4, 4, 16, 16), QPoint(4, 4)},
        {QRect(4, 4, 21, 30), QPoint(6, 11)},  // centred
        {QRect(4, 4, 12, 13), QPoint(4, 4)},   // the GPS status page's control: cut off
    };
    for (const auto& c : cases) {
        LedOnPage p(c.where);
        for (int lit = 0; lit < 2; ++lit) {
            if (lit == 1) {
                p.led->Flash(10000);
            }
            const QImage shot = p.Shot();
            const QPoint cell(lit == 1 ? 0 : 16, 144);
            for (int y = 0; y < 40; ++y) {
                for (int x = 0; x < 40; ++x) {
                    const QRgb seen = shot.pixel(x, y);
                    ASSERT_NE(seen, magenta) << "at " << x << "," << y;
                    const QPoint inCell = QPoint(x, y) - c.origin;
                    const bool inside = c.where.contains(x, y) && inCell.x() >= 0 &&
                                        inCell.y() >= 0 && inCell.x() < 16 && inCell.y() < 16;
                    const QRgb drawn = inside ? sheet.pixel(cell + inCell) : 0;
                    const QRgb want = inside && qAlpha(drawn) == 255 ? (drawn | 0xFF000000u) : teal;
                    ASSERT_EQ(seen, want) << "at " << x << "," << y << " lit " << lit;
                }
            }
            EXPECT_EQ(shot.pixel(c.origin + QPoint(6, 6)),
                      lit == 1 ? qRgb(0, 255, 0) : qRgb(0, 128, 0));
        }
    }
}

TEST(ActivityLedWidgetTest, AFlashDimsItselfAndOtherTimersChangeNothing) {
    LedOnPage p(QRect(4, 4, 12, 13));
    p.led->Flash(100);
    EXPECT_EQ(p.led->state().ledState, 0);
    EXPECT_TRUE(p.led->timerRunning());
    p.led->FireTimer(2);
    EXPECT_EQ(p.led->state().ledState, 0);
    ASSERT_TRUE(test::waitFor([&] { return !p.led->state().flashing; }, 2000));
    EXPECT_EQ(p.led->state().ledState, 1);
    EXPECT_FALSE(p.led->timerRunning());
}

TEST(CentredTextTest, DrawsEveryTextAsDrawTextCentresIt) {
    // The graph's values and labels, in boxes of even and odd widths, in two fonts: the same
    // pixels as drawText's, drawn from the cache the first time and every time after.
    QFont small = SignalQualityGraph().font();
    QFont large = small;
    large.setPixelSize(17);
    CentredText cache;
    for (const QFont& font : {small, large}) {
        for (const QString& text :
             {QStringLiteral("  45  "), QStringLiteral("  7  "), QStringLiteral("5"),
              QStringLiteral("G05"), QStringLiteral("J193"), QStringLiteral("")}) {
            for (const QRect& box : {QRect(3, 4, 40, 12), QRect(2, 1, 15, 9), QRect(5, 5, 1, 1)}) {
                const auto draw = [&](bool cached) {
                    QImage image(60, 40, QImage::Format_RGB32);
                    image.fill(Qt::white);
                    QPainter painter(&image);
                    painter.setFont(font);
                    painter.setPen(Qt::black);
                    if (cached) {
                        cache.Draw(painter, box, text);
                    } else {
                        painter.drawText(box.adjusted(0, 0, 0, QFontMetrics(font).height()),
                                         Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip, text);
                    }
                    return image;
                };
                const QImage expected = draw(false);
                EXPECT_EQ(draw(true), expected) << text.toStdString() << " " << box.width();
                EXPECT_EQ(draw(true), expected) << text.toStdString() << " again";
            }
        }
    }
}

TEST(SignalQualityGraphWidgetTest, BarsAndLabelsWhereTheRowsSay) {
    SignalQualityGraph graph;
    graph.resize(504, 127);
    auto& s = graph.state();
    s.bars[0] = {5, 45, 1};
    s.bars[1] = {12, 30, 0};
    s.bars[2] = {17, 40, 0};
    s.seenMax = s.scaleMax = 45;
    s.seenMin = s.scaleMin = 30;
    graph.invalidate(s.SetBarCount(3));
    const QImage image = graph.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QPalette& palette = graph.palette();
    const QRgb face = palette.color(QPalette::Window).rgb();
    const QRgb used = palette.color(QPalette::Highlight).rgb();
    const QRgb grey = palette.color(QPalette::Disabled, QPalette::WindowText).rgb();
    const int w = (504 - 2) / 3;
    const int hc = 127;
    // A full bar from row 3 down to row hc - 14, one row of face under it.
    EXPECT_EQ(image.pixel(4, 3), used);
    EXPECT_EQ(image.pixel(4, hc - 14), used);
    EXPECT_EQ(image.pixel(4, hc - 13), face);
    EXPECT_EQ(image.pixel(2, 2), palette.color(QPalette::Shadow).rgb());
    EXPECT_EQ(image.pixel(w - 1, hc - 12), palette.color(QPalette::Light).rgb());
    // An empty bar: face all the way.
    for (int y = 3; y <= hc - 13; ++y) {
        ASSERT_EQ(image.pixel(w + 4, y), face) << y;
    }
    // Two thirds of a bar, grey, with its value in it.
    const int h = static_cast<int>((hc - 15) / 15.0 * 10);
    EXPECT_EQ(image.pixel(2 * w + 4, hc - 12 - h), grey);
    EXPECT_EQ(image.pixel(2 * w + 4, hc - 13 - h), face);
    bool valueText = false;
    for (int x = 2 * w + 3; x < 3 * w - 1; ++x) {
        for (int y = hc - 12 - h; y < hc - 12 - h + 12; ++y) {
            valueText |= image.pixel(x, y) != grey;
        }
    }
    EXPECT_TRUE(valueText) << "\"  40  \" in the bar";
    EXPECT_EQ(AccessibleNameOf(&graph),
              QStringLiteral("Signal quality: 3 bars: 5 45 dB used; 12 30 dB; 17 40 dB"));

    // Beyond the last bar nothing but face.
    EXPECT_EQ(image.pixel(503, 60), face);
}

TEST(SignalQualityGraphWidgetTest, ThirtyTwoBarsOfSeveralSystemsTakeTwoRowsOfLabels) {
    SignalQualityGraph graph;
    graph.resize(504, 127);
    auto& s = graph.state();
    for (int i = 0; i < 32; ++i) {
        s.bars[size_t(i)] = {65 + i, 40, 1, GnssSystem::Glonass};
    }
    graph.invalidate(s.SetBarCount(32));
    const QImage image = graph.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb face = graph.palette().color(QPalette::Window).rgb();
    const int text = QFontMetrics(graph.font()).height();
    const int w = (504 - 2) / 32;
    // The second row, under the bars: text under every odd bar, none under the even ones.
    const auto inked = [&](int bar) {
        const int middle = bar * w + w / 2 + 1;
        for (int y = 127 - 10; y < 127; ++y) {
            for (int x = middle - 1; x <= middle + 1; ++x) {
                if (image.pixel(x, y) != face) {
                    return true;
                }
            }
        }
        return false;
    };
    for (int bar = 0; bar < 32; ++bar) {
        EXPECT_EQ(inked(bar), bar % 2 == 1) << "bar " << bar;
    }
    EXPECT_EQ(image.pixel(4, 127 - 12 - text), graph.palette().color(QPalette::Light).rgb())
        << "the frames end a line higher";
}

}  // namespace
}  // namespace horalux
