#include "gfx/tiling.h"

#include <gtest/gtest.h>

#include "gfx/patterns.h"
#include "support/golden.h"

namespace pk {
namespace {

using test::Checker;
using test::MatchesGolden;
using test::Pattern;
using test::Sheet;

constexpr int kPanel = 24;

// Destinations: inside the panel; cut by every edge of the panel; a partial last tile both ways.
const PixelRect kDests[] = {{2, 3, 19, 17}, {-4, -5, 32, 34}, {5, 5, 7, 6}};

std::vector<Surface16> FillPanels(const Picture& p, const PixelRect& source) {
    std::vector<Surface16> panels;
    for (FillMode mode : {FillMode{false, false}, FillMode{true, false}, FillMode{false, true},
                          FillMode{true, true}}) {
        for (const PixelRect& d : kDests) {
            Surface16 dst = Checker(kPanel, kPanel);
            FillWithPicture(dst, d, p, source, mode);
            panels.push_back(dst);
        }
    }
    return panels;
}

TEST(FillWithPicture, TilesAndStretchesEachWayWithAndWithoutMasks) {
    const Surface16 image = Pattern(5, 4, 2);
    const Mask mono = test::MonoDiamond(5, 4);
    const Surface16 masked = test::MaskedImage(image, mono);
    const Mask alpha = test::AlphaRamp(5, 4);
    std::vector<Surface16> all;
    for (const Picture& p :
         {Picture{&image, nullptr}, Picture{&masked, &mono}, Picture{&image, &alpha}}) {
        auto panels = FillPanels(p, image.bounds());
        all.insert(all.end(), panels.begin(), panels.end());
    }
    EXPECT_TRUE(MatchesGolden(Sheet(all, 12), "gfx/golden/fill_picture.png"));
}

TEST(FillWithPicture, TilesRepeatFromTheTopLeftCornerAndCutTheLastTile) {
    const Surface16 image = Pattern(5, 4, 7);
    Surface16 dst(20, 20, kWhite555);
    FillWithPicture(dst, {1, 2, 12, 9}, {&image, nullptr}, image.bounds(), {});
    for (int y = 2; y < 11; ++y)
        for (int x = 1; x < 13; ++x)
            ASSERT_EQ(dst.pixel(x, y), image.pixel((x - 1) % 5, (y - 2) % 4)) << x << "," << y;
    EXPECT_EQ(dst.pixel(13, 5), kWhite555);  // the third tile is cut after two columns
    EXPECT_EQ(dst.pixel(5, 11), kWhite555);
    EXPECT_EQ(dst.pixel(0, 2), kWhite555);
}

TEST(FillWithPicture, PartOfTheImageIsTheTile) {
    const Surface16 image = Pattern(8, 8, 1);
    Surface16 dst(9, 9, kWhite555);
    FillWithPicture(dst, {0, 0, 9, 9}, {&image, nullptr}, {2, 3, 3, 3}, {});
    EXPECT_EQ(dst.pixel(0, 0), image.pixel(2, 3));
    EXPECT_EQ(dst.pixel(4, 7), image.pixel(3, 4));
    // A source reaching past the image is cut to it.
    Surface16 cut(9, 9, kWhite555);
    FillWithPicture(cut, {0, 0, 9, 9}, {&image, nullptr}, {6, 6, 10, 10}, {});
    EXPECT_EQ(cut.pixel(2, 0), image.pixel(6, 6));
    EXPECT_EQ(cut.pixel(1, 1), image.pixel(7, 7));
}

TEST(FillWithPicture, EmptyPiecesDrawNothingAndHugeAreasOnlyCostWhatShows) {
    const Surface16 image = Pattern(1, 1, 3);
    const Surface16 before = Checker(16, 16);
    Surface16 dst = before;
    FillWithPicture(dst, {0, 0, 16, 16}, {&image, nullptr}, {0, 0, 0, 1}, {});
    FillWithPicture(dst, {0, 0, 0, 16}, {&image, nullptr}, image.bounds(), {});
    FillWithPicture(dst, {0, 0, 16, -3}, {&image, nullptr}, image.bounds(), {});
    FillWithPicture(dst, {0, 0, 16, 16}, {nullptr, nullptr}, image.bounds(), {});
    EXPECT_EQ(dst, before);
    // A one-pixel tile over a rectangle of a billion pixels a side: only the 16 x 16 visible
    // tiles are visited.
    FillWithPicture(dst, {-1000000000, -1000000000, 2000000000, 2000000000}, {&image, nullptr},
                    image.bounds(), {});
    EXPECT_EQ(dst.pixel(15, 15), image.pixel(0, 0));
}

TEST(ClampBands, BandsFitTheImage) {
    EXPECT_EQ(ClampBands({5, 5, 5, 5}, 20, 20), (SliceBands{5, 5, 5, 5}));
    EXPECT_EQ(ClampBands({8, 8, 5, 5}, 10, 6), (SliceBands{8, 6, 2, 0}));
    EXPECT_EQ(ClampBands({-3, 2, -1, 40}, 10, 10), (SliceBands{0, 2, 0, 8}));
    EXPECT_EQ(ClampBands({5, 5, 5, 5}, 0, -2), (SliceBands{0, 0, 0, 0}));
}

TEST(DrawNineSlice, CornersStayEdgesTileCentreFollowsItsMode) {
    const Surface16 image = Pattern(9, 8, 4);
    const Mask mono = test::MonoDiamond(9, 8);
    const Surface16 masked = test::MaskedImage(image, mono);
    const SliceBands bands{3, 2, 2, 3};
    std::vector<Surface16> all;
    for (const Picture& p : {Picture{&image, nullptr}, Picture{&masked, &mono}}) {
        for (FillMode centre : {FillMode{false, false}, FillMode{true, false},
                                FillMode{false, true}, FillMode{true, true}}) {
            for (const PixelRect& d :
                 {PixelRect{1, 1, 22, 21}, PixelRect{-3, 4, 15, 30}, PixelRect{6, 6, 4, 4}}) {
                Surface16 dst = Checker(kPanel, kPanel);
                DrawNineSlice(dst, d, p, bands, centre);
                all.push_back(dst);
            }
        }
    }
    EXPECT_TRUE(MatchesGolden(Sheet(all, 12), "gfx/golden/nine_slice.png"));
}

TEST(DrawNineSlice, PiecesLandWhereTheBitmapLayoutSays) {
    const Surface16 image = Pattern(9, 8, 5);
    Surface16 dst(30, 30, kWhite555);
    const PixelRect d{2, 3, 20, 17};
    DrawNineSlice(dst, d, {&image, nullptr}, {3, 2, 2, 3}, {});
    // Corners unscaled.
    EXPECT_EQ(dst.pixel(2, 3), image.pixel(0, 0));
    EXPECT_EQ(dst.pixel(21, 3), image.pixel(8, 0));
    EXPECT_EQ(dst.pixel(2, 19), image.pixel(0, 7));
    EXPECT_EQ(dst.pixel(21, 19), image.pixel(8, 7));
    // The top edge's middle (4 columns) repeats across: column 5 + 4 shows the first again.
    EXPECT_EQ(dst.pixel(5, 3), image.pixel(3, 0));
    EXPECT_EQ(dst.pixel(9, 3), image.pixel(3, 0));
    // The left edge's middle (3 rows) repeats down.
    EXPECT_EQ(dst.pixel(2, 5), image.pixel(0, 2));
    EXPECT_EQ(dst.pixel(2, 8), image.pixel(0, 2));
    // The centre tiles both ways; nothing is drawn outside the rectangle.
    EXPECT_EQ(dst.pixel(5 + 4, 5 + 3), image.pixel(3, 2));
    EXPECT_EQ(dst.pixel(22, 10), kWhite555);
    EXPECT_EQ(dst.pixel(10, 20), kWhite555);
}

TEST(DrawNineSlice, ImagesSmallerThanTheirBandsAndZeroBands) {
    const Surface16 image = Pattern(6, 4, 6);
    // Bands of 8 on a 6 x 4 image: left 6, top 4, nothing left for the other bands or the
    // middle; only the two corners that fit are drawn, once each, and nothing hangs.
    Surface16 dst(20, 20, kWhite555);
    DrawNineSlice(dst, {0, 0, 20, 20}, {&image, nullptr}, {8, 8, 8, 8}, {});
    EXPECT_EQ(dst.pixel(0, 0), image.pixel(0, 0));
    EXPECT_EQ(dst.pixel(5, 3), image.pixel(5, 3));
    EXPECT_EQ(dst.pixel(6, 0), kWhite555);
    EXPECT_EQ(dst.pixel(0, 4), kWhite555);
    EXPECT_EQ(dst.pixel(19, 19), kWhite555);
    // Zero bands: the whole image is the centre and tiles.
    Surface16 tiled(12, 8, kWhite555);
    DrawNineSlice(tiled, {0, 0, 12, 8}, {&image, nullptr}, {0, 0, 0, 0}, {});
    EXPECT_EQ(tiled.pixel(7, 5), image.pixel(1, 1));
}

}  // namespace
}  // namespace pk
