#include "gfx/blockblit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "gfx/patterns.h"
#include "gfx/surfaceconv.h"
#include "support/golden.h"
#include "support/tile_theme.h"

namespace pk {
namespace {

using test::Checker;
using test::MaskKind;
using test::MatchesGolden;

// The theme's tiles as the blits read them.
ThemeTiles Tiles(MaskKind kind, test::MainLayout layout = {}) {
    const TZRMainbmp main = test::TileTheme(layout, kind);
    ThemeTiles t;
    t.present = true;
    t.metrics = {layout.large, layout.small, layout.fieldWidth, layout.fieldHeight};
    t.image = SurfaceFromDib(main.image);
    if (main.mask)
        t.mask = MaskFromDib(*main.mask);
    return t;
}

TEST(BlockTiles, RectanglesOfTheMainBitmapLayout) {
    const BlockMetrics m{16, 8, 12, 22};
    PixelRect r;
    ASSERT_TRUE(BlockTileRect(m, true, 'a', r));
    EXPECT_EQ(r, (PixelRect{5 * 16, 0, 16, 16}));
    ASSERT_TRUE(BlockTileRect(m, false, 'm', r));
    EXPECT_EQ(r, (PixelRect{18 * 8, 16, 8, 8}));
    EXPECT_FALSE(BlockTileRect(m, true, '0', r));
    EXPECT_FALSE(BlockTileRect(m, true, '7', r));
    EXPECT_TRUE(r.empty());
    EXPECT_EQ(CellBackgroundRect(m, true, 1, 1), (PixelRect{0, 24, 16, 16}));
    EXPECT_EQ(CellBackgroundRect(m, true, 3, 2), (PixelRect{32, 40, 16, 16}));
    EXPECT_EQ(CellBackgroundRect(m, false, 2, 3), (PixelRect{12 * 16 + 8, 24 + 16, 8, 8}));
    EXPECT_EQ(BlockTileIndex('1'), 0);
    EXPECT_EQ(BlockTileIndex('m'), 18);
    EXPECT_EQ(BlockTileIndex('A'), -1);
}

TEST(BlockTiles, PixelRectToCellsAlwaysUsesTheLargeSize) {
    const BlockMetrics m{16, 8, 12, 22};
    CellRange r = PixelRectToCells(m, 17, 8, 40, 33);
    EXPECT_EQ(r.firstColumn, 2);
    EXPECT_EQ(r.firstRow, 1);
    EXPECT_EQ(r.lastColumn, 3);  // ceil(40 / 16)
    EXPECT_EQ(r.lastRow, 3);     // ceil(33 / 16)
    r = PixelRectToCells(m, -40, -40, 1000, 1000);
    EXPECT_EQ(r.firstColumn, 1);
    EXPECT_EQ(r.lastColumn, 12);
    EXPECT_EQ(r.lastRow, 22);
    EXPECT_TRUE(PixelRectToCells({0, 8, 12, 22}, 0, 0, 10, 10).empty());
}

TEST(BlockTiles, ExtremeThemeMetricsAndCoordinatesSaturate) {
    // A theme may name any sizes; nothing here may overflow on its way to a clipped blit.
    constexpr int kMax = std::numeric_limits<int>::max(), kMin = std::numeric_limits<int>::min();
    const BlockMetrics huge{kMax, kMax, kMax, kMax};
    EXPECT_EQ(CellBackgroundRect(huge, false, kMax, kMax), (PixelRect{kMax, kMax, kMax, kMax}));
    EXPECT_EQ(CellBackgroundRect(huge, false, kMin, kMin).left, kMin);
    EXPECT_EQ(CellBackgroundRect(huge, true, kMin, kMax).top, kMax);
    const CellRange r = PixelRectToCells({1, 1, kMax, kMax}, kMax, kMax, kMax, kMax);
    EXPECT_EQ(r.firstColumn, kMax);
    EXPECT_EQ(r.firstRow, kMax);
    EXPECT_EQ(r.lastColumn, kMax);
}

TEST(DrawBlock, EveryMaskKindAndOpacity) {
    std::vector<Surface16> panels;
    for (MaskKind kind : {MaskKind::None, MaskKind::Monochrome, MaskKind::Alpha}) {
        const ThemeTiles t = Tiles(kind);
        for (float opacity : {1.0f, 0.75f, 0.5f, 0.25f}) {
            Surface16 d = Checker(20, 20);
            DrawBlock(d, 2, 2, t, opacity, 16, 'b');
            DrawBlock(d, 12, 12, t, opacity, 8, '3');
            panels.push_back(d);
        }
        // Cut at the left and the top; a cell without a tile; no theme.
        Surface16 d = Checker(20, 20);
        DrawBlock(d, -3, -5, t, 1.0f, 16, 'q');
        DrawBlock(d, 10, 10, t, 1.0f, 8, '7');
        DrawBlock(d, 10, 2, ThemeTiles{}, 1.0f, 8, '1');
        panels.push_back(d);
    }
    EXPECT_TRUE(MatchesGolden(test::Sheet(panels, 5), "gfx/golden/drawblock.png"));
}

TEST(DrawBlock, TileAtMinusThreeReadsThreeColumnsFurther) {
    const ThemeTiles t = Tiles(MaskKind::None);
    Surface16 d = Checker(20, 20);
    DrawBlock(d, -3, 0, t, 1.0f, 16, 'c');  // tile 6
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 13; ++x) ASSERT_EQ(d.pixel(x, y), t.image.pixel(6 * 16 + 3 + x, y));
}

TEST(DrawBlock, CellsOutsideTheAlphabetDrawNothing) {
    const ThemeTiles t = Tiles(MaskKind::Monochrome);
    const Surface16 before = Checker(20, 20);
    for (char c : {'0', '6', '7', 'z', 'A', '\0', '\xff'}) {
        Surface16 d = before;
        DrawBlock(d, 0, 0, t, 1.0f, 16, c);
        DrawBlock(d, 0, 0, t, 0.5f, 8, c);
        DrawBlockScaled(d, 0, 0, t, 16, c, 20, 20);
        EXPECT_EQ(d, before) << c;
    }
}

// The strip follows the size alone: the small strip exactly when the size is the small one.
TEST(DrawBlock, TheSmallSizeReadsTheSmallStripEvenWhenTheSizesAreEqual) {
    for (const test::MainLayout layout :
         {test::MainLayout{8, 8, 4, 4}, test::MainLayout{16, 8, 4, 4}}) {
        const ThemeTiles t = Tiles(MaskKind::None, layout);
        Surface16 small(8, 8), scaled(8, 8);
        DrawBlock(small, 0, 0, t, 1.0f, 8, '2');
        DrawBlockScaled(scaled, 0, 0, t, 8, '2', 8, 8);
        EXPECT_EQ(small.pixel(3, 3), t.image.pixel(8 + 3, layout.large + 3));
        EXPECT_EQ(scaled, small);
    }
    // Any other size reads the large strip's row.
    const ThemeTiles t = Tiles(MaskKind::None, {16, 8, 4, 4});
    Surface16 odd(4, 4);
    DrawBlock(odd, 0, 0, t, 1.0f, 4, '2');
    EXPECT_EQ(odd.pixel(1, 1), t.image.pixel(4 + 1, 1));
}

TEST(DrawBlock, WithoutAMaskTheTileIsCopiedWhateverTheOpacity) {
    const ThemeTiles t = Tiles(MaskKind::None);
    Surface16 copied(16, 16, kBlack555);
    DrawBlock(copied, 0, 0, t, 1.0f, 16, '1');
    for (float opacity : {0.75f, 0.5f, 0.25f, 0.0f}) {
        Surface16 d(16, 16, kBlack555);
        DrawBlock(d, 0, 0, t, opacity, 16, '1');
        EXPECT_EQ(d, copied) << opacity;
    }
}

TEST(DrawBlockScaled, StretchedOrNaturalSizeThroughAnAlphaMap) {
    std::vector<Surface16> panels;
    for (MaskKind kind : {MaskKind::None, MaskKind::Monochrome, MaskKind::Alpha}) {
        const ThemeTiles t = Tiles(kind);
        Surface16 d = Checker(24, 24);
        DrawBlockScaled(d, 1, 1, t, 16, 'n', 22, 13);
        DrawBlockScaled(d, 2, 15, t, 8, 'o', 5, 8);
        panels.push_back(d);
    }
    EXPECT_TRUE(MatchesGolden(test::Sheet(panels, 3), "gfx/golden/drawblockscaled.png"));
    // Through an alpha map the tile keeps its natural size whatever is asked.
    const ThemeTiles alpha = Tiles(MaskKind::Alpha);
    Surface16 a = Checker(24, 24), b = Checker(24, 24);
    DrawBlockScaled(a, 1, 1, alpha, 16, 'n', 22, 13);
    DrawBlock(b, 1, 1, alpha, 1.0f, 16, 'n');
    EXPECT_EQ(a, b);
}

TEST(FieldParts, BlitCentresAFieldThatDoesNotFill) {
    const BlockMetrics m{4, 2, 3, 2};  // big field 12 x 8
    const Surface16 field = test::Pattern(12, 8, 1);
    // Exact size: at (left + dx, top + dy).
    Surface16 d = Checker(20, 14);
    BlitFieldPart(d, {2, 3, 12, 8}, m, 4, RasterOp::SrcCopy, field, 4, 0, 8, 4, 4, 0);
    EXPECT_EQ(d.pixel(6, 3), field.pixel(4, 0));
    // Two pixels wider than the field: shifted right by 1.
    Surface16 e = Checker(20, 14);
    BlitFieldPart(e, {2, 3, 14, 8}, m, 4, RasterOp::SrcCopy, field, 0, 0, 12, 8, 0, 0);
    EXPECT_EQ(e.pixel(3, 3), field.pixel(0, 0));
    // Narrower (truncated toward zero: -1.5 -> -1) and taller by 3 (1.5 -> 1).
    Surface16 f = Checker(20, 14);
    BlitFieldPart(f, {2, 3, 9, 11}, m, 4, RasterOp::SrcCopy, field, 0, 0, 12, 8, 0, 0);
    EXPECT_EQ(f.pixel(1, 4), field.pixel(0, 0));
    EXPECT_TRUE(MatchesGolden(test::Sheet({d, e, f}, 3), "gfx/golden/blitfieldpart.png"));
}

TEST(FieldParts, StretchedPartsMeetWithoutGaps) {
    const BlockMetrics m{4, 2, 3, 2};
    const Surface16 field = test::Pattern(12, 8, 2);
    for (const PixelRect& element :
         {PixelRect{0, 0, 19, 13}, PixelRect{1, 1, 7, 5}, PixelRect{0, 0, 30, 20}}) {
        Surface16 whole(32, 22, kWhite555), parts(32, 22, kWhite555);
        StretchFieldPart(whole, element, m, 4, RasterOp::SrcCopy, field, 0, 0, 12, 8, 0, 0);
        // Cell by cell, as resized fields are drawn.
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 3; ++x) {
                StretchFieldPart(parts, element, m, 4, RasterOp::SrcCopy, field, x * 4, y * 4, 4, 4,
                                 x * 4, y * 4);
            }
        }
        // Every pixel of the element is covered by the parts, none left white.
        for (int y = element.top; y < element.bottom(); ++y) {
            for (int x = element.left; x < element.right(); ++x) {
                ASSERT_NE(parts.pixel(x, y), kWhite555) << x << "," << y;
            }
        }
        if (element.width == 30) {
            EXPECT_TRUE(
                MatchesGolden(test::Sheet({whole, parts}, 2), "gfx/golden/stretchfieldpart.png"));
        }
    }
}

}  // namespace
}  // namespace pk
