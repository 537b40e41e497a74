// The property grids' parse rules, the refusal of reference entries and the
// skin page's flag and event lists.
#include "editor/zrpages.h"

#include <gtest/gtest.h>

#include "support/synthetic_theme.h"

namespace pk {
namespace {

TZRC Make(KlbEntry e, bool reference = false) {
    TZRC z;
    z.entry = std::move(e);
    z.IsReference = reference;
    return z;
}

const std::filesystem::path kFolder = "/prog";

TEST(PagesTest, MainBitmapRowsShowAndStore) {
    TZRC e = Make(test::MainEntry("Basic", "t1", {}, test::MaskKind::Monochrome, "ref"));
    e.entry.minWindowWidth = 640;
    e.entry.minWindowHeight = 480;
    auto rows = ShownValues(kPageMain, e, kFolder);
    ASSERT_EQ(rows.size(), 9u);
    EXPECT_EQ(rows[0], "t1");
    EXPECT_EQ(rows[1], "(Internal)");
    EXPECT_EQ(rows[2], "(Internal)");
    EXPECT_EQ(rows[3], "640 480");
    EXPECT_EQ(rows[6], "12 22");
    EXPECT_EQ(rows[8], "ref");

    rows[0] = "t2 t3";
    rows[1] = "ignored";
    rows[3] = "800 x";
    rows[4] = "twenty";
    rows[5] = " 9 ";
    rows[6] = "10";
    rows[7] = "info";
    ASSERT_TRUE(StoreEdit(kPageMain, e, rows));
    EXPECT_EQ(e.entry.themeIdList, "t2 t3");
    EXPECT_EQ(e.entry.minWindowWidth, 800);
    EXPECT_EQ(e.entry.minWindowHeight, 0);
    EXPECT_EQ(e.entry.largeBlockSize, 0);
    EXPECT_EQ(e.entry.smallBlockSize, 9);
    EXPECT_EQ(e.entry.fieldWidth, 10);
    EXPECT_EQ(e.entry.fieldHeight, 0);
    EXPECT_EQ(e.entry.information, "info");
    EXPECT_FALSE(e.entry.mask.empty());

    // Emptying the mask cell removes the mask; the next save writes none.
    rows[2] = "";
    ASSERT_TRUE(StoreEdit(kPageMain, e, rows));
    EXPECT_TRUE(e.entry.mask.empty());
    EXPECT_EQ(e.entry.maskPart, KlbPart{});
    EXPECT_EQ(ShownValues(kPageMain, e, kFolder)[2], "");
}

TEST(PagesTest, SkinRectAndColourRules) {
    TZRC e = Make(test::SkinEntry("Main", "*", 1, 2, 3, 4, 0xFF102030, true));
    auto rows = ShownValues(kPageSkin, e, kFolder);
    EXPECT_EQ(rows[1], "(Internal)");
    EXPECT_EQ(rows[2], "(Internal)");
    EXPECT_EQ(rows[4], "1 2 3 4");
    EXPECT_EQ(rows[5], "-1 -1 -1");

    rows[4] = "a 7 0 -5";
    rows[5] = "255 0 128";
    rows[3] = "parent";
    ASSERT_TRUE(StoreEdit(kPageSkin, e, rows));
    EXPECT_EQ(e.entry.left, 0);
    EXPECT_EQ(e.entry.top, 7);
    EXPECT_EQ(e.entry.width, 1);
    EXPECT_EQ(e.entry.height, 1);
    EXPECT_EQ(e.entry.backColour, 0x008000FF);
    EXPECT_EQ(e.entry.parentName, "parent");
    EXPECT_EQ(ShownValues(kPageSkin, e, kFolder)[5], "255 0 128");

    rows[5] = "12 -1 3";
    rows[1] = "";
    ASSERT_TRUE(StoreEdit(kPageSkin, e, rows));
    EXPECT_EQ(e.entry.backColour, -1);
    EXPECT_TRUE(e.entry.image.empty());
    EXPECT_EQ(e.entry.imagePart, KlbPart{});
    EXPECT_FALSE(e.entry.mask.empty());
    EXPECT_EQ(ShownValues(kPageSkin, e, kFolder)[1], "");
}

TEST(PagesTest, ReferenceAndOtherKindEntriesAreNeverWritten) {
    TZRC ref = Make(test::SoundEntry("drop", "*", test::MakeWav(3)), true);
    const TZRC before = ref;
    EXPECT_FALSE(StoreEdit(kPageSound, ref, {"changed", ""}));
    EXPECT_EQ(ref.entry, before.entry);
    TZRC music = Make(test::MusicEntry("Tune", "*", test::MakeMidi()));
    EXPECT_FALSE(StoreEdit(kPageSound, music, {"changed", ""}));
    EXPECT_FALSE(StoreEdit(kPageMusic, music, {"short"}));
    EXPECT_EQ(music.entry.themeIdList, "*");
    EXPECT_TRUE(StoreEdit(kPageMusic, music, {"new", "x", "y"}));
    EXPECT_EQ(music.entry.themeIdList, "new");
    EXPECT_EQ(music.entry.fileType, "mid");
}

TEST(PagesTest, MusicFileCellHidesThePreviewFileOnly) {
    TZRC music = Make(test::MusicEntry("Tune", "*", test::MakeMidi()));
    music.heldFile = kFolder / "tmp.mid";
    EXPECT_EQ(ShownValues(kPageMusic, music, kFolder)[1], "");
    music.heldFile = kFolder / "TMP.MID";  // the editor's copy, whatever its case
    EXPECT_EQ(ShownValues(kPageMusic, music, kFolder)[1], "");
    music.heldFile = kFolder / "tmp2.mid";
    EXPECT_EQ(ShownValues(kPageMusic, music, kFolder)[1], "/prog/tmp2.mid");
    EXPECT_EQ(ShownValues(kPageMusic, music, kFolder)[2], "mid");
}

TEST(PagesTest, DefaultsOfEveryPage) {
    EXPECT_EQ(DefaultValues(kPageMain),
              (std::vector<std::string>{"*", "", "", "0 0", "16", "8", "12 22", "", ""}));
    EXPECT_EQ(DefaultValues(kPageSkin),
              (std::vector<std::string>{"*", "", "", "", "0 0 0 0", "-1 -1 -1"}));
    EXPECT_EQ(DefaultValues(kPageMusic), (std::vector<std::string>{"*", "", ""}));
    EXPECT_EQ(DefaultValues(kPageDetail), (std::vector<std::string>{"*", ""}));
}

TEST(SkinListTest, FlagListRoundTripTrimsParts) {
    const std::string list = "stretch\r tile \n a b \rfont\nArial 8";
    SkinGrid grid = FlagListToGrid(list);
    ASSERT_EQ(grid.rows.size(), kSkinListRows);
    EXPECT_EQ(grid.rows[0], (std::vector<std::string>{"stretch", ""}));
    EXPECT_EQ(grid.rows[1], (std::vector<std::string>{"tile", "a b"}));
    EXPECT_EQ(grid.rows[2], (std::vector<std::string>{"font", "Arial 8"}));
    EXPECT_EQ(GridToFlagList(grid), "stretch\rtile\na b\rfont\nArial 8");
}

TEST(SkinListTest, EventListShowsAnEventOnceAndRebuildsIt) {
    const std::string list = "onclick\nclose\rOnClick\nplay\nsnd\rbogus\ronkey\nlogin";
    SkinGrid grid = EventListToGrid(list);
    EXPECT_EQ(grid.rows[0], (std::vector<std::string>{"onclick", "close", ""}));
    EXPECT_EQ(grid.rows[1], (std::vector<std::string>{"", "play", "snd"}));
    EXPECT_EQ(grid.rows[2], (std::vector<std::string>{"", "", ""}));  // no LF: skipped
    EXPECT_EQ(grid.rows[3], (std::vector<std::string>{"onkey", "login", ""}));
    EXPECT_EQ(GridToEventList(grid), "onclick\nclose\ronclick\nplay\nsnd\r\ronkey\nlogin");
    // An action with no event before it is a blank line.
    SkinGrid lone(3);
    lone.SetCell(0, 1, "act");
    EXPECT_EQ(GridToEventList(lone), "");
    // A repeated event without an action keeps its name, so its line survives.
    const std::string bare = "onclick\nclose\ronclick\n";
    SkinGrid bareGrid = EventListToGrid(bare);
    EXPECT_EQ(bareGrid.rows[1], (std::vector<std::string>{"onclick", "", ""}));
    EXPECT_EQ(GridToEventList(bareGrid), bare);
}

TEST(SkinListTest, LongListsGrowTheGridAndInsertNeverDropsALine) {
    std::string list;
    for (int i = 0; i < 60; ++i) list += (i ? "\r" : "") + std::string("f") + std::to_string(i);
    SkinGrid grid = FlagListToGrid(list);
    ASSERT_EQ(grid.rows.size(), 60u);
    EXPECT_EQ(GridToFlagList(grid), list);
    grid.InsertRow(0);
    EXPECT_EQ(grid.rows.size(), 61u);
    EXPECT_EQ(grid.rows.back()[0], "f59");
    EXPECT_EQ(GridToFlagList(grid), list);  // the empty first line is stripped
    grid.DeleteRow(1);
    EXPECT_EQ(grid.rows.size(), 61u);
    EXPECT_EQ(grid.rows[1][0], "f1");
    EXPECT_EQ(grid.rows.back()[0], "");

    SkinGrid small = FlagListToGrid("a\rb");
    small.InsertRow(1);
    EXPECT_EQ(small.rows.size(), kSkinListRows);
    EXPECT_EQ(GridToFlagList(small), "a\r\rb");
    small.DeleteRow(1);
    EXPECT_EQ(GridToFlagList(small), "a\rb");
}

}  // namespace
}  // namespace pk
