#include "gfx/blend.h"

#include <gtest/gtest.h>

#include "gfx/patterns.h"
#include "support/golden.h"

namespace pk {
namespace {

using test::Checker;
using test::MatchesGolden;
using test::Pattern;
using test::Sheet;

// One channel blended at mask value m and opacity: source s over destination d, both in the
// red channel of one pixel.
int BlendRed(int s, int d, uint8_t m, float opacity, bool mono = false) {
    Surface16 dst(1, 1, Rgb555(d, 0, 0));
    const Surface16 src(1, 1, Rgb555(s, 0, 0));
    const Mask alpha(1, 1, mono, m);
    AlphaBlendBitmapFaded(dst, 0, 0, opacity, -1, -1, 0, 0, alpha, src, 1, 1);
    return Red555(dst.pixel(0, 0));
}

// Values worked by hand: a = single(m / 255 * opacity), b = single(1 - a), each channel
// Round(s * a + d * b) with the sum exact and ties to even.
TEST(Blend, RoundingAgainstValuesWorkedByHand) {
    // m 128: a = 0.50196081399917603, b = 0.49803918600082397.
    EXPECT_EQ(BlendRed(31, 0, 128, 1.0f), 16);   // 15.5608
    EXPECT_EQ(BlendRed(0, 31, 128, 1.0f), 15);   // 15.4392
    EXPECT_EQ(BlendRed(17, 9, 128, 1.0f), 13);   // 13.0157
    EXPECT_EQ(BlendRed(5, 0, 128, 1.0f), 3);     // 2.5098
    EXPECT_EQ(BlendRed(10, 20, 128, 1.0f), 15);  // 14.9804
    // m 64: a = 0.25098040699958801, b = 0.74901962280273438.
    EXPECT_EQ(BlendRed(10, 20, 64, 1.0f), 17);  // 17.4902
    EXPECT_EQ(BlendRed(31, 31, 64, 1.0f), 31);  // 31.0000009 stays in range
    // m 200 at 0.75: a = 0.58823531866073608.
    EXPECT_EQ(BlendRed(17, 9, 200, 0.75f), 14);  // 13.7059
    // Exact halves go to the even neighbour: a = b = 0.5 (black of a transparency mask at
    // opacity 0.5).
    EXPECT_EQ(BlendRed(5, 0, 0, 0.5f, true), 2);    // 2.5
    EXPECT_EQ(BlendRed(7, 0, 0, 0.5f, true), 4);    // 3.5
    EXPECT_EQ(BlendRed(0, 31, 0, 0.5f, true), 16);  // 15.5
    // Where a sum formed in single precision would round the other way: m 15 at 0.5,
    // a = 0.029411764815449715, b = 0.97058820724487305.
    EXPECT_EQ(BlendRed(1, 18, 15, 0.5f), 17);  // 17.4999995, single gives 17.5 -> 18
    EXPECT_EQ(BlendRed(17, 0, 15, 0.5f), 1);   // 0.5000000019, single gives 0.5 -> 0
}

TEST(Blend, AlphaZeroLeavesAndFullCopies) {
    const Surface16 src = Pattern(4, 4, 2);
    Surface16 dst = Checker(4, 4);
    const Surface16 before = dst;
    AlphaBlendBitmap(dst, 0, 0, -1, -1, 0, 0, Mask(4, 4, false, 0), src, 4, 4);
    EXPECT_EQ(dst, before);
    AlphaBlendBitmap(dst, 0, 0, -1, -1, 0, 0, Mask(4, 4, false, 255), src, 4, 4);
    EXPECT_EQ(dst, src);
}

TEST(Blend, MonochromeMaskFadedBlendsBlackAndLeavesWhite) {
    const Surface16 src(2, 1, Rgb555(31, 20, 10));
    Surface16 dst(2, 1, Rgb555(1, 2, 30));
    Mask mono(2, 1, true, 255);
    mono.setValue(0, 0, 0);
    AlphaBlendBitmapFaded(dst, 0, 0, 0.5f, -1, -1, 0, 0, mono, src, 1, 2);
    EXPECT_EQ(dst.pixel(0, 0), Rgb555(16, 11, 20));  // 16, 11, 20: halves of 32, 22, 40
    EXPECT_EQ(dst.pixel(1, 0), Rgb555(1, 2, 30));
    // At full opacity without fading the same mask is a transparency mask, not inverted.
    AlphaBlendBitmap(dst, 0, 0, -1, -1, 0, 0, mono, src, 1, 2);
    EXPECT_EQ(dst.pixel(0, 0), src.pixel(0, 0));
    EXPECT_EQ(dst.pixel(1, 0), Rgb555(1, 2, 30));
}

TEST(Blend, OpacityOutsideTheRangeIsBounded) {
    EXPECT_EQ(BlendRed(31, 0, 255, 7.0f), 31);
    EXPECT_EQ(BlendRed(31, 5, 255, -1.0f), 5);
    EXPECT_EQ(BlendRed(31, 5, 255, std::nanf("")), 5);
}

TEST(Blend, ClippingAndTheAlphaPosition) {
    const Surface16 src = Pattern(8, 8, 4);
    const Mask ramp = test::AlphaRamp(8, 8);
    const Mask diamond = test::MonoDiamond(8, 8);
    struct C {
        int x, y, w, h, sx, sy, ax, ay;
        float opacity;
        const Mask* mask;
    };
    const C cases[] = {
        {2, 2, 8, 8, 0, 0, -1, -1, 1.0f, &ramp},    {2, 2, 8, 8, 0, 0, -1, -1, 0.75f, &ramp},
        {2, 2, 8, 8, 0, 0, -1, -1, 0.5f, &ramp},    {2, 2, 8, 8, 0, 0, -1, -1, 0.25f, &ramp},
        {2, 2, 8, 8, 0, 0, -1, -1, 1.0f, &diamond}, {2, 2, 8, 8, 0, 0, -1, -1, 0.5f, &diamond},
        {-3, 2, 8, 8, 0, 0, -1, -1, 1.0f, &ramp},   {7, 7, 8, 8, 0, 0, -1, -1, 1.0f, &ramp},
        {2, -5, 8, 8, 0, 0, 0, 0, 0.5f, &diamond},  {2, 2, 8, 8, 0, 0, 2, 0, 1.0f, &ramp},
        {2, 2, 8, 8, 3, 0, -1, -1, 1.0f, &ramp},    {2, 2, 8, 8, -3, -3, -1, -1, 1.0f, &ramp},
        {2, 2, 8, 8, 0, 0, 4, 4, 0.5f, &diamond},   {20, 2, 8, 8, 0, 0, -1, -1, 1.0f, &ramp},
        {2, 2, 0, 8, 0, 0, -1, -1, 1.0f, &ramp},    {2, 2, 8, 8, 0, 0, 9, 9, 1.0f, &ramp},
    };
    std::vector<Surface16> panels;
    for (const C& c : cases) {
        Surface16 d = Checker(12, 12);
        AlphaBlendBitmapFaded(d, c.x, c.y, c.opacity, c.ax, c.ay, c.sx, c.sy, *c.mask, src, c.h,
                              c.w);
        panels.push_back(d);
    }
    EXPECT_TRUE(MatchesGolden(Sheet(panels, 8), "gfx/golden/blend.png"));

    // A cut at the left moves the source and a given alpha position alike.
    Surface16 d = Checker(12, 12);
    Mask one(8, 8, false, 0);
    one.setValue(5, 3, 255);
    AlphaBlendBitmapFaded(d, -3, 0, 1.0f, 1, 0, 0, 0, one, src, 8, 8);
    EXPECT_EQ(d.pixel(1, 3), src.pixel(4, 3));  // alpha (5, 3) -> destination (1, 3)
    // Alpha outside the map counts as 0.
    Surface16 e = Checker(12, 12);
    const Surface16 before = e;
    AlphaBlendBitmap(e, 0, 0, 6, 0, 0, 0, Mask(8, 8, false, 255), src, 8, 8);
    EXPECT_TRUE(test::SameOutside(before, e, {0, 0, 2, 8}));
}

TEST(Blend, UniformOpacity) {
    Surface16 d(1, 1, Rgb555(0, 31, 10));
    BlendBitmap(d, 0, 0, 0.5f, 0, 0, Surface16(1, 1, Rgb555(31, 0, 20)), 1, 1);
    EXPECT_EQ(d.pixel(0, 0), Rgb555(16, 16, 15));  // 15.5 -> 16, 15.5 -> 16, 15
}

TEST(DimRect, FactorsRoundHalfToEven) {
    Surface16 d(4, 1, Rgb555(31, 31, 31));
    DimRect(d, 0, 0, 0.9f, 1, 1);
    EXPECT_EQ(d.pixel(0, 0), Rgb555(28, 28, 28));  // 27.9 rounds up
    Surface16 e(1, 1, Rgb555(5, 7, 30));
    DimRect(e, 0, 0, 0.5f, 1, 1);
    EXPECT_EQ(e.pixel(0, 0), Rgb555(2, 4, 15));  // 2.5 -> 2, 3.5 -> 4
    Surface16 f(1, 1, Rgb555(20, 1, 0));
    DimRect(f, 0, 0, 3.0f, 1, 1);
    EXPECT_EQ(f.pixel(0, 0), Rgb555(31, 3, 0));
    DimRect(f, 0, 0, std::nanf(""), 1, 1);
    EXPECT_EQ(f.pixel(0, 0), kBlack555);

    std::vector<Surface16> panels;
    for (float factor : {0.25f, 0.5f, 0.75f, 0.9f}) {
        for (const PixelRect& r : {PixelRect{2, 2, 8, 8}, PixelRect{-4, 6, 10, 10}}) {
            Surface16 p = Pattern(12, 12, 6);
            DimRect(p, r.left, r.top, factor, r.height, r.width);
            panels.push_back(p);
        }
    }
    EXPECT_TRUE(MatchesGolden(Sheet(panels, 8), "gfx/golden/dimrect.png"));
}

}  // namespace
}  // namespace pk
