#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "clock/painter_surface.h"
#include "clock/seven_segment_font.h"

namespace horalux {
namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kRed = 0xFFFF0000;  // ColorRef 0x0000FF

// Draws on a white image through a PainterSurface.
template <typename Draw>
QImage render(int width, int height, Draw draw) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(kWhite);
    QPainter painter(&image);
    PainterSurface surface(painter);
    draw(surface);
    painter.end();
    return image;
}

int countPainted(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            n += image.pixel(x, y) != kWhite ? 1 : 0;
        }
    }
    return n;
}

TEST(PainterSurfaceTest, OnePixelStrokesLeaveOutTheirEndPoint) {
    for (const int width : {0, 1}) {
        const QImage image = render(40, 40, [&](SegmentSurface& s) {
            const auto pen = s.makePen(width, 0x0000FF);
            SegmentPen* previous = s.selectPen(pen.get());
            s.moveTo(10, 5);
            s.lineTo(20, 5);  // paints 10..19
            s.moveTo(30, 30);
            s.lineTo(30, 20);  // upwards: paints 30..21
            s.moveTo(2, 30);
            s.lineTo(6, 34);  // diagonal: 2..5
            s.selectPen(previous);
        });
        for (int x = 10; x <= 19; ++x) {
            EXPECT_EQ(image.pixel(x, 5), kRed) << x;
        }
        EXPECT_EQ(image.pixel(20, 5), kWhite);
        EXPECT_EQ(image.pixel(9, 5), kWhite);
        for (int y = 21; y <= 30; ++y) {
            EXPECT_EQ(image.pixel(30, y), kRed) << y;
        }
        EXPECT_EQ(image.pixel(30, 20), kWhite);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(image.pixel(2 + i, 30 + i), kRed) << i;
        }
        EXPECT_EQ(image.pixel(6, 34), kWhite);
        EXPECT_EQ(countPainted(image), 10 + 10 + 4);
    }
}

TEST(PainterSurfaceTest, ZeroLengthStrokesPaintADiscOnlyWithAWidePen) {
    const QImage thin = render(20, 20, [](SegmentSurface& s) {
        const auto pen = s.makePen(1, 0x0000FF);
        s.selectPen(pen.get());
        s.moveTo(10, 10);
        s.lineTo(10, 10);
        s.selectPen(nullptr);
    });
    EXPECT_EQ(countPainted(thin), 0);

    const QImage wide = render(40, 40, [](SegmentSurface& s) {
        const auto pen = s.makePen(8, 0x0000FF);
        s.selectPen(pen.get());
        s.moveTo(20, 20);
        s.lineTo(20, 20);
        s.selectPen(nullptr);
    });
    // A disc of diameter 8 around the pixel (20, 20): about pi * 16 pixels, symmetric.
    EXPECT_EQ(wide.pixel(20, 20), kRed);
    EXPECT_EQ(wide.pixel(17, 20), kRed);
    EXPECT_EQ(wide.pixel(23, 20), kRed);
    EXPECT_EQ(wide.pixel(20, 17), kRed);
    EXPECT_EQ(wide.pixel(20, 23), kRed);
    EXPECT_EQ(wide.pixel(25, 20), kWhite);
    EXPECT_EQ(wide.pixel(23, 23), kWhite);  // round, not square
    EXPECT_NEAR(countPainted(wide), 50, 8);
}

TEST(PainterSurfaceTest, WidePensAreCentredOnThePixelsWithRoundCaps) {
    const QImage image = render(60, 30, [](SegmentSurface& s) {
        const auto pen = s.makePen(3, 0x0000FF);
        s.selectPen(pen.get());
        s.moveTo(10, 10);
        s.lineTo(40, 10);
        s.selectPen(nullptr);
    });
    for (int x = 10; x <= 40; ++x) {
        EXPECT_EQ(image.pixel(x, 9), kRed) << x;
        EXPECT_EQ(image.pixel(x, 10), kRed) << x;
        EXPECT_EQ(image.pixel(x, 11), kRed) << x;
        EXPECT_EQ(image.pixel(x, 8), kWhite) << x;
        EXPECT_EQ(image.pixel(x, 12), kWhite) << x;
    }
    EXPECT_EQ(image.pixel(9, 10), kRed);  // the caps reach half the width past the ends
    EXPECT_EQ(image.pixel(41, 10), kRed);
    EXPECT_EQ(image.pixel(7, 10), kWhite);
    EXPECT_EQ(image.pixel(43, 10), kWhite);
}

TEST(PainterSurfaceTest, ThicknessOneDigitBarsHaveTheirNominalLength) {
    // Cell 0..20 x 0..40, t = 1: H = 17.
    const QImage image = render(30, 50, [](SegmentSurface& s) {
        SevenSegmentFont font;
        font.setStyle({1, 0x0000FF, 0x0000FF});
        font.DrawDigit(s, {0, 0, 20, 40}, '8');
    });
    // The top bar paints L + 2 to R - 2 inclusive.
    EXPECT_EQ(image.pixel(1, 1), kWhite);
    for (int x = 2; x <= 18; ++x) {
        EXPECT_EQ(image.pixel(x, 1), kRed) << x;
    }
    EXPECT_EQ(image.pixel(19, 1), kWhite);
    // The upper right bar paints H + 1 pixels from T + 2.
    int bar = 0;
    for (int y = 0; y < 50; ++y) {
        bar += image.pixel(19, y) == kRed && y < 21 ? 1 : 0;
    }
    EXPECT_EQ(bar, 18);
    EXPECT_EQ(image.pixel(19, 2), kRed);
    EXPECT_EQ(image.pixel(19, 19), kRed);
}

TEST(PainterSurfaceTest, ThicknessZeroSeparatorsPaintNothing) {
    const QImage image = render(30, 50, [](SegmentSurface& s) {
        SevenSegmentFont font;
        font.setStyle({0, 0x0000FF, 0x0000FF});
        font.DrawColon(s, {5, 0, 10, 40});
    });
    EXPECT_EQ(countPainted(image), 0);
}

}  // namespace
}  // namespace horalux
