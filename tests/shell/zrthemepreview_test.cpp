#include "shell/zrthemepreview.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "display/zrfieldbitmaps.h"
#include "game/zrgamethread.h"
#include "gfx/blit.h"
#include "gfx/surfaceconv.h"
#include "support/golden.h"
#include "support/synthetic_theme.h"

namespace pk {
namespace {

constexpr const char* kFlat = "04011111";

// Pictures of different sizes in a row, a white column between them, white below the shorter.
Surface16 SideBySide(const std::vector<Surface16>& pictures) {
    int width = -1;
    int height = 0;
    for (const Surface16& p : pictures) {
        width += p.width() + 1;
        height = std::max(height, p.height());
    }
    Surface16 sheet(width, height, kWhite555);
    int left = 0;
    for (const Surface16& p : pictures) {
        BitBlt(sheet, left, 0, p.width(), p.height(), p, 0, 0);
        left += p.width() + 1;
    }
    return sheet;
}

int Specials(const TFieldString& field) {
    return static_cast<int>(std::count_if(field.begin(), field.end(), IsSpecialLetter));
}

// A theme in memory from the synthetic main bitmap, whose field backgrounds get a colour per
// row (so a test sees which rows a picture took), and a special-block bitmap of 14 tiles.
class ThemePreviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        FieldWidth = 12;
        FieldHeight = 22;
        BlockSize = 16;
        SmallBlockSize = 8;
    }
    void TearDown() override { SetUp(); }

    void MakeTheme(const test::MainLayout& l, int specialSide) {
        FieldWidth = l.fieldWidth;
        FieldHeight = l.fieldHeight;
        BlockSize = l.large;
        SmallBlockSize = l.small;
        auto main = std::make_unique<TZRC>();
        main->kind = KlbKind::Main;
        main->mainbmp = std::make_unique<TZRMainbmp>();
        TZRMainbmp& m = *main->mainbmp;
        m.fieldWidth = l.fieldWidth;
        m.fieldHeight = l.fieldHeight;
        m.largeBlockSize = l.large;
        m.smallBlockSize = l.small;
        m.Information = "Made for the test.";
        m.image = test::MainImage(l);
        const int top = l.large + l.small;
        for (int y = top; y < m.image.height; ++y)
            m.image.fillRect(0, y, m.image.width, 1, RowColour(y));
        theme.draw.mainbmp = &m;
        theme.entries.push_back(std::move(main));
        if (specialSide > 0) {
            auto detail = std::make_unique<TZRC>();
            detail->kind = KlbKind::Detail;
            detail->detailbmp = std::make_unique<TZRDetailbmp>();
            DibBitmap& d = detail->detailbmp->image;
            d = DibBitmap(14 * specialSide, specialSide);
            for (int i = 0; i < 14; ++i)
                d.fillRect(i * specialSide, 0, specialSide, specialSide, test::TileColour(i + 5));
            theme.detailbmp = detail->detailbmp.get();
            theme.entries.push_back(std::move(detail));
        }
    }
    static uint32_t RowColour(int y) {
        return 0xFF000000u | static_cast<uint32_t>((y % 32) << 3) << 8 |
               static_cast<uint32_t>((y / 32) << 3);
    }

    TZRTheme theme;
};

TEST_F(ThemePreviewTest, AFlatPieceReachesTheBottomRow) {
    const TFieldString empty = EmptyField();
    EXPECT_EQ(DropDepth(kFlat, 1, empty), 22);
    EXPECT_EQ(DropDepth("0202"
                        "2222",
                        11, empty),
              21);
    EXPECT_EQ(DropDepth(kFlat, 10, empty), 0);  // leaves the field: no place at all
    TFieldString field = empty;
    stickpiece(kFlat, 1, 22, field);
    EXPECT_EQ(DropDepth(kFlat, 1, field), 21);
    EXPECT_EQ(DropDepth(kFlat, 4, field), 21);
    EXPECT_EQ(DropDepth(kFlat, 5, field), 22);
}

TEST_F(ThemePreviewTest, SampleFieldsAreTheBottomRowsWithOneOfEachSpecial) {
    TRandomGen random(12345);
    const TFieldString field = BuildPreviewField(10, 20, random);
    ASSERT_EQ(field.size(), 120u);
    EXPECT_EQ(Specials(field), 14);
    for (char special : SpecialAlphabet)
        EXPECT_EQ(std::count(field.begin(), field.end(), special), 1) << special;
    for (int row = 0; row < 10; ++row)
        for (int column : {0, 11}) EXPECT_FALSE(IsSpecialLetter(field[row * 12 + column]));
    // The bottom row is used, and the same seed gives the same field.
    EXPECT_NE(field.substr(108).find_first_not_of('0'), std::string::npos);
    TRandomGen again(12345);
    EXPECT_EQ(BuildPreviewField(10, 20, again), field);
    EXPECT_EQ(field,
              "01101c000550"
              "114110000055"
              "444g0000r140"
              "2203330110a0"
              "2200502f0044"
              "4005522201i0"
              "400v22201n10"
              "4o4005502211"
              "4d40035b2201"
              "111103smq111");
}

TEST_F(ThemePreviewTest, TooFewInnerCellsCarryNoSpecials) {
    TRandomGen random(7);
    const TFieldString field = BuildPreviewField(16, 2, random);
    EXPECT_EQ(field.size(), 16u * 12);
    EXPECT_EQ(Specials(field), 0);
    EXPECT_EQ(std::count_if(field.begin(), field.end(), [](char c) { return c != '0'; }), 8);
}

TEST_F(ThemePreviewTest, AFullFieldStopsAddingPieces) {
    FieldHeight = 4;
    TRandomGen random(99);
    const TFieldString field = BuildPreviewField(16, 500, random);
    EXPECT_EQ(field.size(), 4u * 12);  // no more rows than the field has
    EXPECT_LT(std::count(field.begin(), field.end(), '0'), 48);
}

TEST_F(ThemePreviewTest, WithoutAMainBitmapNothingChanges) {
    TThemePreview preview;
    preview.info = "old";
    TRandomGen random(1);
    EXPECT_FALSE(UpdateThemePreview(theme, random, preview));
    EXPECT_EQ(preview.info, "old");
    EXPECT_FALSE(preview.built);
}

TEST_F(ThemePreviewTest, PicturesComeFromTheTilesAndTheBottomOfTheFieldBackgrounds) {
    MakeTheme({}, 20);
    TThemePreview preview;
    TRandomGen random(2024);
    ASSERT_TRUE(UpdateThemePreview(theme, random, preview));
    EXPECT_EQ(preview.info, "Made for the test.");
    EXPECT_EQ(preview.largeRows, 10);
    EXPECT_EQ(preview.smallRows, 16);
    EXPECT_EQ(preview.largePicture.width(), 12 * 16);
    EXPECT_EQ(preview.largePicture.height(), 9 * 16 + 8);
    EXPECT_EQ(preview.smallPicture.width(), 12 * 8);
    EXPECT_EQ(preview.smallPicture.height(), 15 * 8 + 4);
    EXPECT_EQ(preview.specialPicture.width(), 20);
    // The top left corner is empty: the bitmap's row as far above the field's height as the
    // picture is high, counted from the bitmap's top (not from the backgrounds', at 24).
    const int largeTop = 22 * 16 - preview.largePicture.height();
    EXPECT_EQ(preview.largePicture.pixel(0, 0), ArgbTo555(RowColour(largeTop)));
    EXPECT_EQ(preview.largePicture.pixel(0, 1), ArgbTo555(RowColour(largeTop + 1)));
    const int smallTop = 22 * 8 - preview.smallPicture.height();
    EXPECT_EQ(preview.smallPicture.pixel(0, 0), ArgbTo555(RowColour(smallTop)));
    // The first special's tile.
    EXPECT_EQ(preview.specialPicture.pixel(10, 10), ArgbTo555(test::TileColour(5)));
    EXPECT_TRUE(test::MatchesGolden(
        SideBySide({preview.largePicture, preview.smallPicture, preview.specialPicture}),
        "shell/golden/theme_preview.png"));
}

TEST_F(ThemePreviewTest, WithoutSpecialBlocksTheSpecialPictureIsBlank) {
    MakeTheme({}, 0);
    TThemePreview preview;
    TRandomGen random(3);
    ASSERT_TRUE(UpdateThemePreview(theme, random, preview));
    EXPECT_EQ(preview.specialPicture.width(), PreviewSpecialSide);
    EXPECT_EQ(preview.specialPicture.pixel(40, 40), kBlack555);
    EXPECT_TRUE(PreviewSpecialTile(preview, 'a').empty());
}

TEST_F(ThemePreviewTest, AThemeWithFewRowsShowsWhatItHas) {
    test::MainLayout small;
    small.fieldHeight = 6;
    small.large = 10;
    small.small = 4;
    MakeTheme(small, 12);
    TThemePreview preview;
    TRandomGen random(5);
    ASSERT_TRUE(UpdateThemePreview(theme, random, preview));
    EXPECT_EQ(preview.largeRows, 6);
    EXPECT_EQ(preview.smallRows, 6);
    EXPECT_EQ(preview.largePicture.height(), 5 * 10 + 5);
    // Cut from the bitmap's top: so short a field reaches up into the tile strips.
    EXPECT_EQ(preview.largePicture.pixel(0, 0),
              ArgbTo555(theme.draw.mainbmp->image.at(0, 6 * 10 - preview.largePicture.height())));
    EXPECT_EQ(preview.PreviewLargeField.size(), 6u * 12);
}

TEST_F(ThemePreviewTest, AThemeNotAppliedToTheFieldIsNotDrawn) {
    MakeTheme({}, 20);
    FieldWidth = 10;
    TThemePreview preview;
    TRandomGen random(5);
    EXPECT_FALSE(UpdateThemePreview(theme, random, preview));
}

TEST_F(ThemePreviewTest, HoverFindsTheCellIncludingTheHalfRowAtTheTop) {
    TFieldString field(10 * 12, '0');
    field[0] = 'q';            // row 1, column 1
    field[9 * 12 + 11] = 'm';  // row 10, column 12
    field[4 * 12 + 3] = '2';   // a colour block
    // Shown at 2:1: cells 32 wide, rows Trunc(304 / 9.5) = 32 high.
    EXPECT_EQ(PreviewCellAt(field, 10, 384, 304, 0, 0), 'q');
    EXPECT_EQ(PreviewCellAt(field, 10, 384, 304, 31, 15), 'q');
    EXPECT_EQ(PreviewCellAt(field, 10, 384, 304, 31, 16), '0');
    EXPECT_EQ(PreviewCellAt(field, 10, 384, 304, 383, 303), 'm');
    EXPECT_EQ(PreviewCellAt(field, 10, 384, 304, 5000, 5000), 'm');  // clamped
    EXPECT_EQ(PreviewCellAt(field, 10, 384, 304, -9, -9), 'q');
    EXPECT_EQ(PreviewCellAt(field, 10, 384, 304, 3 * 32, 4 * 32 + 16 - 1), '2');
    // Too small to cut cells from.
    EXPECT_EQ(PreviewCellAt(field, 10, 11, 304, 0, 0), '\0');
    EXPECT_EQ(PreviewCellAt(field, 10, 384, 9, 0, 0), '\0');
    EXPECT_EQ(PreviewCellAt(field, 0, 384, 304, 0, 0), '\0');
}

TEST_F(ThemePreviewTest, TheTileOfASpecialOnlyForSpecials) {
    MakeTheme({}, 20);
    TThemePreview preview;
    TRandomGen random(8);
    ASSERT_TRUE(UpdateThemePreview(theme, random, preview));
    const Surface16 tile = PreviewSpecialTile(preview, 'f');  // the 13th
    ASSERT_EQ(tile.width(), 20);
    EXPECT_EQ(tile.pixel(0, 0), ArgbTo555(test::TileColour(5 + 12)));
    EXPECT_TRUE(PreviewSpecialTile(preview, '3').empty());
    EXPECT_TRUE(PreviewSpecialTile(preview, '0').empty());
    EXPECT_TRUE(PreviewSpecialTile(preview, '\0').empty());
    // A bitmap too narrow for all 14 tiles has none for the last ones.
    preview.specials = Surface16(20 * 3, 20);
    EXPECT_FALSE(PreviewSpecialTile(preview, 'n').empty());
    EXPECT_TRUE(PreviewSpecialTile(preview, 'r').empty());
}

TEST_F(ThemePreviewTest, LayoutScalesToTheStripAndNeverGoesNegative) {
    const ThemePreviewLayout l = LayoutThemePreview(560, 200, 76);
    // f = (200 - 8 - 12) / 152
    const double f = 180.0 / 152;
    EXPECT_EQ(l.small.height, static_cast<int>(124 * f + 2.0));
    EXPECT_EQ(l.small.width, static_cast<int>(96 * f + 2.0));
    EXPECT_EQ(l.small.left, 560 - l.small.width - 5);
    EXPECT_EQ(l.small.top, 5);
    EXPECT_EQ(l.large.width, static_cast<int>(192 * f + 2.0));
    EXPECT_EQ(l.large.height, static_cast<int>(152 * f + 2.0));
    EXPECT_EQ(l.large.left, l.small.left - l.large.width + 8);
    EXPECT_EQ(l.large.top, 13);
    EXPECT_EQ(l.special.width, static_cast<int>(76 * f + 2.0));
    EXPECT_EQ(l.special.left, l.large.left - l.special.width + 8);
    EXPECT_EQ(l.infoWidth, l.special.left - 10);
    EXPECT_EQ(l.labelTop, l.large.height / 2);
    const ThemePreviewLayout tiny = LayoutThemePreview(20, 3, 76);
    for (const PixelRect& r : {tiny.small, tiny.large, tiny.special}) {
        EXPECT_GE(r.width, 0);
        EXPECT_GE(r.height, 0);
    }
    EXPECT_GE(tiny.infoWidth, 0);
    EXPECT_EQ(LayoutThemePreview(0, 200, 76).infoWidth, 0);
}

}  // namespace
}  // namespace pk
