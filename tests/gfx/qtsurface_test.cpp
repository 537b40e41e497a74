#include "gfx/qtsurface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "gfx/patterns.h"
#include "gfx/surfaceconv.h"
#include "support/qtapp.h"

namespace pk {
namespace {

TEST(SurfaceLayout, RowsBottomUpPaddedToFourBytes) {
    Surface16 s(3, 2, kBlack555);
    EXPECT_EQ(s.stride(), 4);
    EXPECT_EQ(s.data().size(), 8u);
    s.setPixel(0, 0, 0x1234);  // the top row is stored last
    s.setPixel(2, 1, 0x0042);
    EXPECT_EQ(s.data()[4], 0x1234);
    EXPECT_EQ(s.data()[2], 0x0042);
    EXPECT_EQ(Surface16(4, 1).stride(), 4);
    EXPECT_TRUE(Surface16(-3, 5).empty());
    EXPECT_EQ(Surface16(Surface16::kMaxSide + 5, 1).width(), Surface16::kMaxSide);
}

TEST(SurfaceColours, ChannelsAndConversions) {
    EXPECT_EQ(Rgb555(31, 0, 0), 0x7C00);
    EXPECT_EQ(ColorRefTo555(0x0000FF), Rgb555(31, 0, 0));   // 0x00BBGGRR: red
    EXPECT_EQ(ColorRefTo555(0x00FFFF), Rgb555(31, 31, 0));  // yellow
    EXPECT_EQ(ArgbTo555(0xFF0000FF), Rgb555(0, 0, 31));
    EXPECT_EQ(Argb(Rgb555(31, 16, 1)), 0xFFFF8408u);
    const Surface16 p = test::Pattern(5, 3, 1);
    EXPECT_EQ(SurfaceFromDib(DibFromSurface(p)), p);
    EXPECT_EQ(SurfaceFromQImage(ToQImage(p)), p);
}

TEST(SurfaceColours, MasksFromBothDepths) {
    DibBitmap mono(3, 1, 0xFF000000u, 1);
    mono.at(1, 0) = 0xFFFFFFFFu;
    mono.at(2, 0) = 0xFF808080u;  // lighter than mid-grey counts as white
    const Mask m = MaskFromDib(mono);
    EXPECT_TRUE(m.mono());
    EXPECT_EQ(m.value(0, 0), 0);
    EXPECT_EQ(m.value(1, 0), 255);
    EXPECT_EQ(m.value(2, 0), 255);
    DibBitmap alpha(2, 1, 0x00000000u, 32);
    alpha.at(1, 0) = 0x00FF00C8u;  // only the blue byte counts
    const Mask a = MaskFromDib(alpha);
    EXPECT_FALSE(a.mono());
    EXPECT_EQ(a.value(1, 0), 200);
    EXPECT_EQ(MaskFromDib(DibFromMask(a)), a);
    EXPECT_EQ(MaskFromDib(DibFromMask(m)), m);
}

TEST(QtTextPainter, DrawsOutlinedTextInItsColours) {
    test::EnsureQtApp();
    QtTextPainter text;
    text.SetFont("Arial", 12);
    const TextExtent e = text.Measure("Team");
    EXPECT_GT(e.width, 10);
    EXPECT_GT(e.height, 10);
    Surface16 s(80, 30, Rgb555(0, 0, 10));
    DrawOutlinedText(text, s, 0x00FFFF, 0x000000, "Team", 5, 5);
    int yellow = 0, black = 0, other = 0;
    for (int y = 0; y < s.height(); ++y) {
        for (int x = 0; x < s.width(); ++x) {
            const Pixel16 p = s.pixel(x, y);
            if (p == Rgb555(31, 31, 0)) {
                ++yellow;
                EXPECT_GE(x, 5);
                EXPECT_LT(x, 5 + e.width + 8);
            } else if (p == kBlack555) {
                ++black;
            } else if (p != Rgb555(0, 0, 10)) {
                ++other;
            }
        }
    }
    EXPECT_GT(yellow, 10);
    EXPECT_GT(black, yellow / 2);  // the outline rings the glyphs
    EXPECT_EQ(other, 0);           // no anti-aliasing
    // Clipped at the surface's edge without harm.
    DrawOutlinedText(text, s, 0xFFFFFF, 0, "Team", -20, 25);
    DrawOutlinedText(text, s, 0xFFFFFF, 0, std::string(10000, 'W'), 0, 0);
    DrawOutlinedText(text, s, 0xFFFFFF, 0, "Team", std::numeric_limits<int>::min(),
                     std::numeric_limits<int>::max());
    DrawOutlinedText(text, s, 0xFFFFFF, 0, "Team", std::numeric_limits<int>::max(),
                     std::numeric_limits<int>::min());
}

TEST(QtTextPainter, BoldLettersCoverMoreThanRegularOnes) {
    test::EnsureQtApp();
    QtTextPainter text;
    auto covered = [&](FontWeight weight) {
        text.SetFont("Liberation Sans", 11, weight);
        Surface16 s(40, 30, kBlack555);
        text.DrawText(s, 2, 2, "m", kWhite555);
        return std::count(s.data().begin(), s.data().end(), kWhite555);
    };
    const auto regular = covered(FontWeight::Normal);
    EXPECT_GT(regular, 10);
    EXPECT_GT(covered(FontWeight::Bold), regular);
    EXPECT_EQ(covered(FontWeight::Normal), regular);  // the weight is not kept past its call
}

}  // namespace
}  // namespace pk
