#include "gfx/blit.h"

#include <gtest/gtest.h>

#include <functional>

#include "gfx/patterns.h"
#include "support/golden.h"

namespace pk {
namespace {

using test::Checker;
using test::MatchesGolden;
using test::Pattern;
using test::Sheet;

constexpr int kPanel = 12;

// One placement of a 6x6 block from an 8x8 source onto a 12x12 destination.
struct Case {
    int x, y, w, h, sx, sy;
};
// Inside; cut at the left, right, top, bottom; larger than the destination on every side
// (the source bounds cut it too); wholly off; source partly off at the top-left and the
// bottom-right; source wholly off; zero and negative sizes.
const Case kCases[] = {{3, 3, 6, 6, 1, 1},   {-3, 3, 6, 6, 1, 1},  {9, 3, 6, 6, 1, 1},
                       {3, -2, 6, 6, 1, 1},  {3, 9, 6, 6, 1, 1},   {-2, -2, 16, 16, -1, -1},
                       {20, 20, 6, 6, 1, 1}, {3, 3, 6, 6, -2, -3}, {3, 3, 6, 6, 5, 5},
                       {3, 3, 6, 6, 10, 10}, {3, 3, 0, 6, 1, 1},   {3, 3, 6, -4, 1, 1}};

std::vector<Surface16> Panels(const std::function<void(Surface16&, const Case&)>& draw) {
    std::vector<Surface16> panels;
    for (const Case& c : kCases) {
        Surface16 dst = Checker(kPanel, kPanel);
        draw(dst, c);
        panels.push_back(dst);
    }
    return panels;
}

TEST(BitBlt, EveryRasterOperationAndClippingCase) {
    const Surface16 src = Pattern(8, 8, 3);
    std::vector<Surface16> all;
    for (RasterOp op : {RasterOp::SrcCopy, RasterOp::SrcAnd, RasterOp::SrcInvert}) {
        auto row = Panels([&](Surface16& d, const Case& c) {
            BitBlt(d, c.x, c.y, c.w, c.h, src, c.sx, c.sy, op);
        });
        all.insert(all.end(), row.begin(), row.end());
    }
    EXPECT_TRUE(MatchesGolden(Sheet(all, std::size(kCases)), "gfx/golden/bitblt.png"));
}

TEST(BitBlt, ClipsAgainstDestinationAndSource) {
    const Surface16 src = Pattern(8, 8, 3);
    const Surface16 before = Checker(kPanel, kPanel);
    Surface16 dst = before;
    // A tile drawn at x = -3 loses its three left columns and reads three columns further.
    ASSERT_TRUE(BitBlt(dst, -3, 3, 6, 6, src, 1, 1));
    EXPECT_EQ(dst.pixel(0, 3), src.pixel(4, 1));
    EXPECT_EQ(dst.pixel(2, 8), src.pixel(6, 6));
    EXPECT_TRUE(test::SameOutside(before, dst, {0, 3, 3, 6}));
    // The source at (-2, -3): only what lies inside it is copied, at the place it maps to.
    dst = before;
    ASSERT_TRUE(BitBlt(dst, 3, 3, 6, 6, src, -2, -3));
    EXPECT_EQ(dst.pixel(5, 6), src.pixel(0, 0));
    EXPECT_TRUE(test::SameOutside(before, dst, {5, 6, 4, 3}));
    // Nothing at all: wholly off, source wholly off, sizes of zero or less.
    dst = before;
    EXPECT_FALSE(BitBlt(dst, 20, 20, 6, 6, src, 0, 0));
    EXPECT_FALSE(BitBlt(dst, 0, 0, 6, 6, src, 8, 0));
    EXPECT_FALSE(BitBlt(dst, 0, 0, 0, 6, src, 0, 0));
    EXPECT_FALSE(BitBlt(dst, 0, 0, 6, -1, src, 0, 0));
    EXPECT_FALSE(BitBlt(dst, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, src, INT32_MIN, 0));
    EXPECT_EQ(dst, before);
}

TEST(BitBlt, RasterOperationsOnPixels) {
    Surface16 d(1, 1, 0x5A5A & 0x7FFF);
    Surface16 s(1, 1, 0x0FF0);
    BitBlt(d, 0, 0, 1, 1, s, 0, 0, RasterOp::SrcAnd);
    EXPECT_EQ(d.pixel(0, 0), 0x5A5A & 0x0FF0);
    BitBlt(d, 0, 0, 1, 1, s, 0, 0, RasterOp::SrcInvert);
    EXPECT_EQ(d.pixel(0, 0), (0x5A5A & 0x0FF0) ^ 0x0FF0);
    EXPECT_EQ(static_cast<uint32_t>(RasterOp::SrcAnd), 0x8800C6u);
    EXPECT_EQ(static_cast<uint32_t>(RasterOp::SrcInvert), 0x660046u);
}

TEST(BitBlt, ClipGuardNarrowsAndRestores) {
    const Surface16 src = Pattern(8, 8);
    const Surface16 before = Checker(kPanel, kPanel);
    Surface16 dst = before;
    {
        ClipGuard guard(dst, {4, 4, 3, 2});
        BitBlt(dst, 0, 0, 12, 12, src, 0, 0);
        FillRect(dst, {0, 0, 12, 12}, kWhite555);
    }
    EXPECT_EQ(dst.clip(), dst.bounds());
    EXPECT_EQ(dst.pixel(4, 4), kWhite555);
    EXPECT_TRUE(test::SameOutside(before, dst, {4, 4, 3, 2}));
}

TEST(BitBlt, OverlappingCopyWithinOneSurface) {
    Surface16 s = Pattern(8, 8);
    const Surface16 before = s;
    BitBlt(s, 1, 1, 6, 6, s, 0, 0);
    for (int y = 1; y < 7; ++y)
        for (int x = 1; x < 7; ++x) ASSERT_EQ(s.pixel(x, y), before.pixel(x - 1, y - 1));
}

TEST(StretchBlt, EdgesRoundHalfToEven) {
    // Two source columns over three: the edge 1.5 rounds to 2, so column 0 takes two.
    Surface16 src(2, 1);
    src.setPixel(0, 0, 1);
    src.setPixel(1, 0, 2);
    Surface16 dst(3, 1);
    ASSERT_TRUE(StretchBlt(dst, 0, 0, 3, 1, src, 0, 0, 2, 1));
    EXPECT_EQ(dst.pixel(0, 0), 1);
    EXPECT_EQ(dst.pixel(1, 0), 1);
    EXPECT_EQ(dst.pixel(2, 0), 2);
    // Two over five: edges 0, 2.5 -> 2, 5.
    Surface16 wide(5, 1);
    StretchBlt(wide, 0, 0, 5, 1, src, 0, 0, 2, 1);
    EXPECT_EQ(wide.pixel(1, 0), 1);
    EXPECT_EQ(wide.pixel(2, 0), 2);
    // Four over two: edges 0, 0.5 -> 0, 1, 1.5 -> 2, 2; source pixels 1 and 2 cover the two
    // destination pixels, 0 and 3 cover none.
    Surface16 four(4, 1);
    for (int i = 0; i < 4; ++i) four.setPixel(i, 0, static_cast<Pixel16>(i + 1));
    Surface16 two(2, 1);
    StretchBlt(two, 0, 0, 2, 1, four, 0, 0, 4, 1);
    EXPECT_EQ(two.pixel(0, 0), 2);
    EXPECT_EQ(two.pixel(1, 0), 3);
}

TEST(StretchBlt, ScalesAndClips) {
    const Surface16 src = Pattern(8, 8, 5);
    struct S {
        int x, y, w, h, sx, sy, sw, sh;
        RasterOp op = RasterOp::SrcCopy;
    };
    const S cases[] = {
        {0, 0, 12, 12, 0, 0, 6, 6},
        {1, 1, 10, 10, 0, 0, 8, 8},
        {2, 2, 9, 9, 1, 1, 6, 6},
        {0, 0, 12, 12, 0, 0, 8, 3},
        {3, 3, 4, 4, 0, 0, 8, 8},
        {-4, -4, 12, 12, 0, 0, 4, 4},
        {6, 6, 12, 12, 0, 0, 4, 4},
        {0, 0, 12, 12, -2, -2, 8, 8},
        {0, 0, 12, 12, 4, 4, 8, 8},
        {0, 0, 12, 12, 8, 8, 4, 4},
        {0, 0, 0, 12, 0, 0, 4, 4},
        {0, 0, 12, 12, 0, 0, 4, -4},
        {1, 1, 10, 10, 0, 0, 5, 5, RasterOp::SrcAnd},
        {1, 1, 10, 10, 0, 0, 5, 5, RasterOp::SrcInvert},
    };
    std::vector<Surface16> panels;
    for (const S& c : cases) {
        Surface16 dst = Checker(kPanel, kPanel);
        StretchBlt(dst, c.x, c.y, c.w, c.h, src, c.sx, c.sy, c.sw, c.sh, c.op);
        panels.push_back(dst);
    }
    EXPECT_TRUE(MatchesGolden(Sheet(panels, 7), "gfx/golden/stretch.png"));
    // A stretch cut at the left shows the same pixels as the uncut one would there.
    Surface16 whole(24, 12), cut(24, 12);
    StretchBlt(whole, 0, 0, 18, 12, src, 0, 0, 7, 5);
    {
        ClipGuard guard(cut, {5, 0, 19, 12});
        StretchBlt(cut, 0, 0, 18, 12, src, 0, 0, 7, 5);
    }
    for (int y = 0; y < 12; ++y)
        for (int x = 5; x < 18; ++x) ASSERT_EQ(cut.pixel(x, y), whole.pixel(x, y));
}

TEST(MaskedBlt, TransparencyMaskInTwoPasses) {
    const Mask mask = test::MonoDiamond(8, 8);
    const Surface16 image = test::MaskedImage(Pattern(8, 8, 7), mask);
    std::vector<Surface16> panels = Panels([&](Surface16& d, const Case& c) {
        MaskedBlt(d, c.x, c.y, c.sy, c.sx, mask, image, c.h, c.w);
    });
    // A mask smaller than the image: only where both have pixels.
    Surface16 small = Checker(kPanel, kPanel);
    MaskedBlt(small, 2, 2, 0, 0, test::MonoDiamond(5, 5), image, 8, 8);
    panels.push_back(small);
    // An image that is not black under the white mask shows the XOR of the second pass.
    Surface16 xored = Checker(kPanel, kPanel);
    MaskedBlt(xored, 2, 2, 0, 0, mask, Pattern(8, 8, 7), 8, 8);
    panels.push_back(xored);
    EXPECT_TRUE(MatchesGolden(Sheet(panels, 7), "gfx/golden/masked_mono.png"));

    // Black mask pixels show the image; white ones leave the destination.
    Surface16 d = Checker(kPanel, kPanel);
    const Surface16 before = d;
    MaskedBlt(d, 2, 2, 0, 0, mask, image, 8, 8);
    EXPECT_EQ(d.pixel(2 + 3, 2 + 3), image.pixel(3, 3));
    EXPECT_EQ(d.pixel(2, 2), before.pixel(2, 2));
}

TEST(MaskedBlt, AlphaMapBlendsInstead) {
    const Mask alpha = test::AlphaRamp(8, 8);
    const Surface16 image = Pattern(8, 8, 7);
    std::vector<Surface16> panels = Panels([&](Surface16& d, const Case& c) {
        MaskedBlt(d, c.x, c.y, c.sy, c.sx, alpha, image, c.h, c.w);
    });
    EXPECT_TRUE(MatchesGolden(Sheet(panels, 6), "gfx/golden/masked_alpha.png"));
    Surface16 d = Checker(kPanel, kPanel);
    const Surface16 before = d;
    MaskedBlt(d, 0, 0, 0, 0, alpha, image, 8, 8);
    EXPECT_EQ(d.pixel(7, 5), image.pixel(7, 5));   // 255 copies
    EXPECT_EQ(d.pixel(0, 5), before.pixel(0, 5));  // 0 leaves
    EXPECT_EQ(d.pixel(4, 0), before.pixel(4, 0));
}

TEST(MaskedStretchBlt, BothMaskKinds) {
    const Mask mono = test::MonoDiamond(8, 8);
    const Surface16 image = test::MaskedImage(Pattern(8, 8, 9), mono);
    const Mask alpha = test::AlphaRamp(8, 8);
    std::vector<Surface16> panels;
    for (const Mask* m : {&mono, &alpha}) {
        for (const Case& c :
             {Case{0, 0, 12, 12, 0, 0}, Case{-3, 2, 12, 7, 0, 0}, Case{2, 2, 8, 8, -2, 0},
              Case{2, 2, 4, 4, 0, 0}, Case{0, 0, 0, 12, 0, 0}}) {
            Surface16 d = Checker(kPanel, kPanel);
            MaskedStretchBlt(d, c.x, c.y, c.w, c.h, *m, image, c.sx, c.sy, 8, 8);
            panels.push_back(d);
        }
    }
    EXPECT_TRUE(MatchesGolden(Sheet(panels, 5), "gfx/golden/masked_stretch.png"));
}

TEST(MaskCopies, CopyFillAndMaskAsSource) {
    Mask work(6, 6, true, 255);
    const Mask diamond = test::MonoDiamond(4, 4);
    EXPECT_TRUE(CopyMask(work, 1, 1, 4, 4, diamond, 0, 0));
    EXPECT_EQ(work.value(2, 2), 0);
    EXPECT_EQ(work.value(0, 0), 255);
    EXPECT_FALSE(CopyMask(work, -10, 0, 4, 4, diamond, 0, 0));
    FillMask(work, {-5, -5, 7, 7}, 7);
    EXPECT_EQ(work.value(1, 1), 7);
    EXPECT_EQ(work.value(2, 2), 0);
    Surface16 d(2, 1, kWhite555);
    Mask m(2, 1, true, 0);
    m.setValue(1, 0, 255);
    BitBlt(d, 0, 0, 2, 1, m, 0, 0, RasterOp::SrcAnd);
    EXPECT_EQ(d.pixel(0, 0), kBlack555);
    EXPECT_EQ(d.pixel(1, 0), kWhite555);
}

TEST(FillAndFrame, ClippedToTheSurface) {
    Surface16 d(6, 6, kBlack555);
    FrameRect(d, {1, 1, 4, 4}, kWhite555);
    EXPECT_EQ(d.pixel(1, 1), kWhite555);
    EXPECT_EQ(d.pixel(4, 4), kWhite555);
    EXPECT_EQ(d.pixel(2, 2), kBlack555);
    FillRect(d, {-3, 4, 100, 100}, Rgb555(1, 2, 3));
    EXPECT_EQ(d.pixel(0, 5), Rgb555(1, 2, 3));
    EXPECT_EQ(d.pixel(0, 3), kBlack555);
    FrameRect(d, {INT32_MAX - 1, INT32_MAX - 1, INT32_MAX, INT32_MAX}, kWhite555);
    FrameRect(d, {0, 0, 0, 0}, kWhite555);
    EXPECT_EQ(d.pixel(0, 0), kBlack555);
}

}  // namespace
}  // namespace pk
