// The game display elements painted from the game state into a game skin, and updatestats:
// which elements a refresh marks, the target markers, and what a failure logs.
#include "display/zrgamedisplay.h"

#include <gtest/gtest.h>

#include "core/zrlog.h"
#include "display/painter_fixture.h"
#include "display/zrgameelements.h"
#include "game/zrgameio.h"
#include "skin/skin_fixture.h"
#include "skin/zrskintable.h"
#include "support/golden.h"

namespace pk::testing {
namespace {

using test::FakeForm;
using test::SkinSpec;

Pixel16 Tile(char cell) {
    return ArgbTo555(test::TileColour(BlockTileIndex(cell)));
}

class DisplayTest : public PainterTest {
protected:
    void SetUp() override {
        PainterTest::SetUp();
        SetUpPainter(10, 20, 8, 4, test::MaskKind::None);
        InitSkins(400, 300);
        form = std::make_unique<FakeForm>(300, 200);
        form->colour = 0xFFFFFF;
        RegisterSkin(form.get(), GameSkinName);
        InstallGameDisplay(&text);
        own->name = "me";
    }
    void TearDown() override {
        RemoveGameDisplay();
        FreeSkins();
        form.reset();
        FreeTheme(skinTheme);
        PainterTest::TearDown();
    }
    void Add(const std::string& name, PixelRect r, const std::string& flags = "") {
        test::AddSkinEntry(skinTheme, SkinSpec(name, GameSkinName + std::string("\r") + flags, r));
    }
    void Build() {
        BuildSkinElements(skinTheme);
        ResizeSkin(form.get());
        GameDisplayThemeApplied();
    }
    void PaintAll() { PaintSkinRect(form.get(), {0, 0, form->width, form->height}); }
    Pixel16 At(int x, int y) const { return form->screen.pixel(x, y); }

    TZRTheme skinTheme;
    std::unique_ptr<FakeForm> form;
};

TEST_F(DisplayTest, UpdatedNamesFollowTheFlags) {
    EXPECT_EQ(UpdatedElementNames(0x20E, 0), "nextpiece level linecount holdpiece");
    const std::string all = UpdatedElementNames(rfEverything, 0);
    EXPECT_NE(all.find("holdpiece"), std::string::npos);  // a new viewed slot's hold piece
    EXPECT_NE(all.find("player6"), std::string::npos);
    ClientState.game.OwnSlot = 2;
    EXPECT_EQ(UpdatedElementNames(rfSlotElements, 1), "name2 player2");
    EXPECT_EQ(UpdatedElementNames(rfSlotElements, 2), "name1 player1");
    EXPECT_EQ(UpdatedElementNames(rfFields, 0), "field1 field2 field3 field4 field5 field6");
}

TEST_F(DisplayTest, TargetMarkersFollowTheTarget) {
    for (int n = 1; n <= 6; ++n) {
        Add("p" + std::to_string(n) + "target", {n * 10, 0, 5, 5});
        Add("p" + std::to_string(n) + "notarget", {n * 10, 10, 5, 5});
    }
    Build();
    ClientState.game.TargetSlot = 0;
    updatestats(rfTargets, 0);
    for (int n = 1; n <= 6; ++n) {
        EXPECT_FALSE(FindElementAnywhere("p" + std::to_string(n) + "target")->active) << n;
        EXPECT_TRUE(FindElementAnywhere("p" + std::to_string(n) + "notarget")->active) << n;
    }
    ClientState.game.OwnSlot = 2;
    ClientState.game.TargetSlot = 3;
    updatestats(rfTargets, 0);
    EXPECT_TRUE(FindElementAnywhere("p3target")->active);
    EXPECT_FALSE(FindElementAnywhere("p3notarget")->active);
    EXPECT_FALSE(FindElementAnywhere("p2target")->active);
}

TEST_F(DisplayTest, InventoryStopsAtZeroAndSkipsUnknownLetters) {
    Add("fullinventory", {0, 0, 60, 10}, "spacing\n1");
    Add("inventoryrest", {0, 20, 60, 10});
    Add("inventoryfirst", {0, 40, 16, 16});
    Build();
    ClientState.game.Inventory = "aXb0c";
    PaintAll();
    // fullinventory: a at 1, b at 10 (the X takes no place), nothing at 19.
    EXPECT_EQ(At(1 + 3, 1 + 3), Tile('a'));
    EXPECT_EQ(At(10 + 3, 1 + 3), Tile('b'));
    EXPECT_EQ(At(19 + 3, 1 + 3), kWhite555);
    // inventoryrest: from the second special: b first.
    EXPECT_EQ(At(3, 20 + 3), Tile('b'));
    EXPECT_EQ(At(8 + 3, 20 + 3), kWhite555);
    // inventoryfirst: the first special stretched over the element.
    EXPECT_EQ(At(8, 48), Tile('a'));
    ClientState.game.Inventory.clear();
    PaintAll();
    EXPECT_EQ(At(3, 3), kWhite555);
    EXPECT_EQ(At(8, 48), kWhite555);
}

TEST_F(DisplayTest, PiecesAreCentredAndNeedTheirMark) {
    Add("nextpiece", {0, 0, 40, 40});
    Add("holdpiece", {50, 0, 40, 40}, "smallblocks");
    Build();
    EXPECT_TRUE(GameFields().HoldPieceElement());
    ClientState.game.NextPieceToken =
        "2"
        "0201"
        "c1";  // not "1": no next piece shown
    ClientState.game.HoldToken =
        "1"
        "0201"
        "2a";
    PaintAll();
    EXPECT_EQ(At(20, 20), kWhite555);
    // Hold: 2 x 1 cells of 4 pixels centred: left 20 - 4 = 16, top 20 - 2 = 18.
    EXPECT_EQ(At(50 + 17, 19), Tile('2'));
    EXPECT_EQ(At(50 + 21, 19), Tile('a'));
    ClientState.game.NextPieceToken =
        "1"
        "0201"
        "c1";
    PaintAll();
    // Next: 2 x 1 cells of 8 pixels: left 20 - 8 = 12, top 20 - 4 = 16.
    EXPECT_EQ(At(12 + 2, 16 + 2), Tile('c'));
    EXPECT_EQ(At(20 + 2, 16 + 2), Tile('1'));
    // A piece string cut short draws nothing.
    ClientState.game.NextPieceToken =
        "1"
        "0303"
        "c1";
    PaintAll();
    EXPECT_EQ(At(20, 20), kWhite555);
}

TEST_F(DisplayTest, TextsAndNames) {
    Add("level", {0, 0, 60, 12}, "levelfg\n255 0 0");
    Add("linecount", {0, 20, 60, 12}, "linebg\n0 0 255");
    Add("sbtext", {0, 40, 200, 10});
    Add("name1", {0, 60, 200, 20});
    Add("name2", {0, 90, 20, 20}, "hidestatus");
    Build();
    ClientState.game.OwnLevel = 7;
    ClientState.game.LinesCleared = 12;
    ClientState.game.Inventory = "c";
    PaintAll();
    EXPECT_TRUE(text.Drew("7", 0, 0, Rgb555(31, 0, 0)));
    EXPECT_TRUE(text.Drew("12", 0, 20, kBlack555));  // outlined: the text last, at its place
    EXPECT_TRUE(text.Drew("Clear Line", 0, 40, ColorRefTo555(0x008000)));
    // "1. me" is 20 wide, 6 high: centred in 200 x 20.
    EXPECT_TRUE(text.Drew("1. me", 90, 67, kBlack555));
    // "2. Not Playing" is 56 wide: shrunk, then centred in 20 (and cut by the element).
    EXPECT_TRUE(text.Drew("2. Not Playing", -18, 97, kBlack555));
    ClientState.game.Inventory = "a";
    Settings.rules.avglvl = 1;
    ClientState.game.AverageLevel = 3;
    text.drawn.clear();
    PaintAll();
    EXPECT_TRUE(text.Drew("Add Line", 0, 40, ColorRefTo555(0x0000FF)));
    EXPECT_TRUE(text.Drew("3", 0, 0, Rgb555(31, 0, 0)));
    ClientState.game.Inventory.clear();
    text.drawn.clear();
    PaintAll();
    EXPECT_TRUE(text.Drew("No special blocks!", 0, 40, kBlack555));
}

TEST_F(DisplayTest, NameTextsStatesAndShrinking) {
    tclient* two = Seat(2, "Alice");
    EXPECT_EQ(NameElementText(1, false, false), "1. me");
    EXPECT_EQ(NameElementText(2, false, false), "2. Alice");
    EXPECT_EQ(NameElementText(2, true, false), "Alice");
    EXPECT_EQ(NameElementText(3, false, false), "3. Not Playing");
    two->plr->PlayerState = psLost;
    EXPECT_EQ(NameElementText(2, false, false), "2. Alice LOST");
    EXPECT_EQ(NameElementText(2, false, true), "2. Alice");
    two->plr->PlayerState = psTeamWon;
    EXPECT_EQ(NameElementText(2, false, false), "2. Alice WON!");
    // Too wide: the size shrinks in proportion, never below 1 point.
    Add("name2", {0, 0, 1, 40});
    Build();
    PaintAll();
    EXPECT_EQ(text.font, "Arial 1");
}

TEST_F(DisplayTest, SmallFieldsShowTimedEffectsInTheirNames) {
    Seat(3, "Carol");
    Add("name3", {0, 0, 12, 30}, "blocksize\nabc");  // not a number: the small block size
    Build();
    TimedSpecials->AddTimed(3, 1, "d", 0, 1, 30, false, tkSeconds, tkSeconds);
    TimedSpecials->AddTimed(3, 1, "i", 0, 1, 30, false, tkSeconds, tkSeconds);
    TimedSpecials->AddTimed(3, 1, "zz", 0, 1, 30, false, tkSeconds, tkSeconds);
    PaintAll();
    // Two tiles of 4 fit a row of 12 (each takes 5): d at (1, 1), i at (6, 1); "zz" is no
    // tile and takes no place.
    EXPECT_EQ(At(2, 2), Tile('d'));
    EXPECT_EQ(At(7, 2), Tile('i'));
    EXPECT_EQ(At(2, 7), kWhite555);
    // The own field's name shows none.
    ClientState.game.OwnSlot = 3;
    form->screen = Surface16(form->width, form->height, kWhite555);
    PaintAll();
    EXPECT_EQ(At(2, 2), kWhite555);
}

TEST_F(DisplayTest, PlayerElementsDrawTheirSlotsFields) {
    Add("player1", {0, 0, 80, 160});
    Add("player3", {100, 0, 40, 80});
    Build();
    tclient* third = Seat(3, "Carol");
    third->plr->field.assign(static_cast<size_t>(FieldWidth * FieldHeight), '0');
    Cell(third, 1, 20) = 'a';
    ClientState.game.OwnSlot = 2;  // position 3 is slot 3
    PaintAll();
    EXPECT_EQ(At(100 + 1, 76 + 1), Tile('a'));
    ClientState.game.OwnSlot = 4;  // position 3 is slot 2: nobody there
    form->screen = Surface16(form->width, form->height, kWhite555);
    PaintAll();
    EXPECT_NE(At(100 + 1, 76 + 1), Tile('a'));
}

TEST_F(DisplayTest, RefreshesPaintTheGameSkinAndIncrementalRedrawsPresentOnlyWhatChanged) {
    Add("player1", {0, 0, 80, 160});
    Build();
    PaintAll();
    form->presented.clear();
    RedrawField(ClientState.game.OwnSlot);
    for (const PixelRect& r : form->presented) {
        EXPECT_GE(r.left, 0);
        EXPECT_LE(r.left + r.width, 80);
    }
    form->visible = false;
    form->presented.clear();
    RedrawField(ClientState.game.OwnSlot);
    EXPECT_TRUE(form->presented.empty());
}

TEST_F(DisplayTest, ThePictureOfEveryElement) {
    Seat(2, "Alice", std::string(static_cast<size_t>(10 * 20), '0'));
    Seat(3, "Carol");
    Add("player1", {0, 0, 80, 160});
    Add("player2", {84, 0, 40, 80});
    Add("name2", {84, 82, 40, 12});
    Add("fullinventory", {130, 0, 100, 10}, "spacing\n2");
    Add("inventoryrest", {130, 14, 10, 60}, "vertical");
    Add("inventoryfirst", {144, 14, 24, 24});
    Add("nextpiece", {172, 14, 40, 30});
    Add("holdpiece", {216, 14, 40, 30}, "smallblocks");
    Add("level", {130, 80, 40, 12});
    Add("linecount", {130, 96, 40, 12}, "linebg\n0 0 255");
    Add("sbtext", {130, 112, 150, 10});
    Add("name3", {84, 100, 40, 30});
    Build();
    tmegame& g = ClientState.game;
    g.Inventory = "acnq0b";
    g.NextPieceToken =
        "1"
        "0302"
        "0a0"
        "111";
    g.HoldToken =
        "1"
        "0202"
        "5555";
    g.OwnLevel = 4;
    g.LinesCleared = 31;
    TimedSpecials->AddTimed(3, 1, "f", 0, 1, 30, false, tkSeconds, tkSeconds);
    Cell(own, 1, 20) = '3';
    Cell(own, 2, 20) = 'g';
    PaintAll();
    EXPECT_TRUE(test::MatchesGolden(form->screen, "display/golden/display_elements.png"));
}

TEST(UpdatestatsLog, NamesEachFlagAndTheSlot) {
    EXPECT_EQ(UpdatestatsErrorText(0x1C1, 5), "Error in updatestats: 1 1 0 0 0 0 0 1 1 5");
    EXPECT_EQ(UpdatestatsErrorText(0x20, 0), "Error in updatestats: 0 0 0 0 0 0 1 0 0 0");
}

}  // namespace
}  // namespace pk::testing
