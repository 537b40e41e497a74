#include "display/zrfieldpaint.h"

#include <gtest/gtest.h>

#include "core/zrlog.h"
#include "display/painter_fixture.h"
#include "gfx/blend.h"
#include "support/golden.h"

namespace pk {
namespace {

using test::MaskKind;
using test::MatchesGolden;
using testing::FieldFromRows;
using testing::kCanvasColour;

constexpr int W = 8, H = 10, B = 10, S = 5;

Surface16 Crop(const Surface16& s, const PixelRect& r) {
    Surface16 out(r.width, r.height);
    BitBlt(out, 0, 0, r.width, r.height, s, r.left, r.top);
    return out;
}

class FieldPaintTest : public testing::PainterTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        SetUpPainter(W, H, B, S, MaskKind::Monochrome);
    }

    // A stack with every tile kind, cells outside the tile alphabet ('7', 'x') and a gap.
    static std::string Stack() {
        return FieldFromRows(
            {"00000000", "10000a00", "12030b04", "1207x567", "12345acn", "rsbgqovi", "dfm01234"});
    }

    void Piece(const std::string& piece, int x, int y) {
        ClientState.game.CurrentPiece = piece;
        ClientState.game.PieceX = x;
        ClientState.game.PieceY = y;
    }

    Surface16 BigField() { return Crop(canvas, {0, 0, W * B, H * B}); }

    const TCellLayerRec& Stored(tclient* c, int x, int y) {
        return c->plr->CellLayerGrid[static_cast<size_t>(y - 1)][static_cast<size_t>(x - 1)];
    }
};

TEST_F(FieldPaintTest, DisplayPositionsFollowTheOwnSlot) {
    ClientState.game.OwnSlot = 3;
    EXPECT_EQ(SlotToDisplay(1), 2);
    EXPECT_EQ(SlotToDisplay(2), 3);
    EXPECT_EQ(SlotToDisplay(3), 1);
    EXPECT_EQ(SlotToDisplay(4), 4);
    for (int slot = 1; slot <= 6; ++slot) EXPECT_EQ(DisplayToSlot(SlotToDisplay(slot)), slot);
    ClientState.game.OwnSlot = 6;
    EXPECT_EQ(DisplayToSlot(1), 6);
    EXPECT_EQ(DisplayToSlot(6), 5);
}

TEST_F(FieldPaintTest, NothingIsDrawnWithoutPlayerOrElement) {
    const Surface16 before = canvas;
    redrawfield(4, 1, &canvas);  // nobody in slot 4
    EXPECT_EQ(canvas, before);
    redrawfield(0, 1, &canvas);
    redrawfield(7, 1, &canvas);
    redrawfield(1, 1, nullptr);
    EXPECT_EQ(canvas, before);
    ClearPlayerElements();
    redrawfield(1, 1, &canvas);
    EXPECT_EQ(canvas, before);
    EXPECT_TRUE(host.changed.empty());
}

TEST_F(FieldPaintTest, SceneOfAllSixFields) {
    own->plr->field = Stack();
    own->TeamName = "ab";
    own->plr->SlotValue = 0x00FFFF;  // yellow, as 0x00BBGGRR
    Piece("0302300333", 3, 2);
    Seat(2, "two", FieldFromRows({"0000b000", "12345123"}))->TeamName = "xyz";
    SlotPlayers[2]->plr->SlotValue = 0x0000FF;
    Seat(4, "four", Stack());
    Seat(6, "six", FieldFromRows({"5"}));
    RedrawAll(1);
    EXPECT_TRUE(MatchesGolden(canvas, "display/golden/scene.png"));
    // Slot 3 and 5 are empty: their elements keep the window's colour.
    PixelRect r;
    ASSERT_TRUE(PlayerElement(3, r));
    EXPECT_EQ(canvas.pixel(r.left + 2, r.top + 2), kCanvasColour);
    // A cell outside the tile alphabet shows its background only.
    EXPECT_EQ(canvas.pixel(3 * B + 3, 6 * B + 3),
              Settings.theme.draw.image.pixel(3 * B + 3, B + S + 6 * B + 3));
}

TEST_F(FieldPaintTest, FullRepaintsEveryCellAndIncrementalOnlyWhatChanged) {
    own->plr->field = Stack();
    redrawfield(1, 1, &canvas);
    const Surface16 full = canvas;
    // Unchanged: only the overlay cells are copied, here the big field's timed-mark corner
    // (columns 1..3 of row 1, even without marks).
    FillRect(canvas, {0, 0, W * B, H * B}, kWhite555);
    Surface16 expected = canvas;
    BitBlt(expected, 0, 0, 3 * B, B, full, 0, 0);
    redrawfield(1, 0, &canvas);
    EXPECT_EQ(canvas, expected);
    // A small field without overlays copies nothing at all.
    Seat(2, "two", Stack());
    redrawfield(2, 1, &canvas);
    const Surface16 withSmall = canvas;
    host.changed.clear();
    redrawfield(2, 0, &canvas);
    EXPECT_EQ(canvas, withSmall);
    EXPECT_TRUE(host.changed.empty());
    // One changed cell is repainted and copied alone (with the overlays).
    Cell(own, 5, 5) = '3';
    redrawfield(1, 0, &canvas);
    EXPECT_NE(canvas.pixel(4 * B + 3, 4 * B + 3), kWhite555);
    EXPECT_EQ(canvas.pixel(5 * B + 3, 4 * B + 3), kWhite555);
    EXPECT_EQ(canvas.pixel(3 * B + 3, 4 * B + 3), kWhite555);
    // full = 1 repaints and copies every cell.
    Cell(own, 5, 5) = '0';
    redrawfield(1, 1, &canvas);
    EXPECT_EQ(Crop(canvas, {0, 0, W * B, H * B}), Crop(full, {0, 0, W * B, H * B}));
}

TEST_F(FieldPaintTest, CellsUnderAFormerOverlayAreCopiedAgain) {
    own->plr->field = Stack();
    ClientState.game.HoldToken = "1" + std::string("02022222");
    redrawfield(1, 1, &canvas);
    // The hold piece sits in the top-right corner, half a block in.
    const int left = W * B - 2 * B - B / 2;
    EXPECT_NE(canvas.pixel(left + 3, B / 2 + 3), BigField().pixel(0, 0));
    ClientState.game.HoldToken.clear();
    redrawfield(1, 0, &canvas);
    const Surface16 afterwards = canvas;
    redrawfield(1, 1, &canvas);
    EXPECT_EQ(afterwards, canvas);
    // With a skin element of its own the big field shows no hold piece.
    host.holdElement = true;
    ClientState.game.HoldToken = "102022222";
    redrawfield(1, 0, &canvas);
    EXPECT_EQ(afterwards, canvas);
}

TEST_F(FieldPaintTest, GhostStylesAndWhereNoGhostIsDrawn) {
    Settings.options.showshadow = 1;
    own->plr->field = FieldFromRows({"11000011", "11100111"});
    std::vector<Surface16> panels;
    auto paint = [&] {
        redrawfield(1, 1, &canvas);
        panels.push_back(BigField());
    };
    Piece("0302300333", 3, 1);
    const PixelRect ghostCell{2 * B, 7 * B, B, B};  // cell (3, 8)
    std::vector<Surface16> ghostCells;
    for (int option : {0, 1, 2, 3, 4, 9}) {
        Settings.options.shadowoption = option;
        paint();
        ghostCells.push_back(Crop(panels.back(), ghostCell));
    }
    // The ghost never covers a filled cell: it lands on the stack, its top row in row 8.
    EXPECT_EQ(ClientState.game.ShadowPlace[0], 3);
    EXPECT_EQ(ClientState.game.ShadowPlace[1], 8);
    EXPECT_EQ(Stored(own, 3, 8).b[4], 9);  // the option as it stands
    EXPECT_EQ(Stored(own, 3, 8).b[0], '3');
    // A style above the outline draws no block: the cell shows its background.
    EXPECT_EQ(ghostCells.back(), Crop(Settings.theme.draw.image,
                                      CellBackgroundRect(Settings.theme.draw.metrics, true, 3, 8)));
    EXPECT_EQ(Stored(own, 4, 8).b[4], 0);
    EXPECT_EQ(Stored(own, 1, 9).b[4], 0);
    // Style 0 is the opaque tile, as a placed block of the same kind shows.
    own->plr->field = FieldFromRows({"00300000", "11000011", "11100111"});
    Piece("0302300333", 3, 1);
    ClientState.game.PieceX = -1;
    redrawfield(1, 1, &canvas);
    EXPECT_EQ(ghostCells.front(), Crop(BigField(), ghostCell));
    // A piece that fits nowhere has no ghost.
    own->plr->field = std::string(W * H, '1');
    Piece("0302300333", 3, 1);
    Settings.options.shadowoption = 2;
    paint();
    EXPECT_EQ(ClientState.game.ShadowPlace[0], -1);
    for (int y = 1; y <= H; ++y)
        for (int x = 1; x <= W; ++x) EXPECT_EQ(Stored(own, x, y).b[4], 0);
    // A theme without a mask copies the ghost's tile; an alpha map blends it.
    own->plr->field = FieldFromRows({"11000011", "11100111"});
    for (MaskKind kind : {MaskKind::None, MaskKind::Alpha}) {
        *main_ = test::TileTheme({B, S, W, H}, kind);
        test::UseMainBitmap(Settings.theme, main_.get());
        paint();
    }
    EXPECT_TRUE(MatchesGolden(test::Sheet(panels, 9), "display/golden/ghost.png"));
    // Maskless: the ghost cell at one half is the tile as it is.
    *main_ = test::TileTheme({B, S, W, H}, MaskKind::None);
    test::UseMainBitmap(Settings.theme, main_.get());
    ASSERT_EQ(Settings.options.shadowoption, 2);
    redrawfield(1, 1, &canvas);
    const ThemeTiles& t = Settings.theme.draw;
    EXPECT_EQ(Crop(BigField(), ghostCell), Crop(t.image, {2 * B, 0, B, B}));  // tile '3'
}

TEST_F(FieldPaintTest, DarknessLightsOnlyAroundTheFallingPiece) {
    own->plr->field = Stack();
    Settings.options.showshadow = 1;
    TimedSpecials->AddTimed(1, 2, "d", 10, 1, 10, false, tkSeconds, tkSeconds);
    Piece("020111", 3, 2);  // a 2 x 1 piece at columns 3-4 of row 2
    std::vector<Surface16> panels;
    redrawfield(1, 1, &canvas);
    panels.push_back(BigField());
    // Lit one row below the piece cells; rings 5 (3x3), 4 (plus), 3 (3x3); no ghost.
    EXPECT_EQ(Stored(own, 3, 3).b[5], 0);
    EXPECT_EQ(Stored(own, 4, 3).b[5], 0);
    EXPECT_EQ(Stored(own, 2, 2).b[5], 5);
    EXPECT_EQ(Stored(own, 5, 4).b[5], 5);
    EXPECT_EQ(Stored(own, 1, 3).b[5], 4);
    EXPECT_EQ(Stored(own, 1, 2).b[5], 4);
    EXPECT_EQ(Stored(own, 3, 5).b[5], 4);
    EXPECT_EQ(Stored(own, 1, 1).b[5], 3);
    EXPECT_EQ(Stored(own, 8, 8).b[5], 1);
    EXPECT_EQ(ClientState.game.ShadowPlace[0], -1);
    for (int y = 1; y <= H; ++y)
        for (int x = 1; x <= W; ++x) ASSERT_EQ(Stored(own, x, y).b[4], 0);
    // Without alpha: the two nearest rings lit, the rest black.
    Settings.options.usealpha = 0;
    redrawfield(1, 0, &canvas);
    panels.push_back(BigField());
    EXPECT_EQ(Stored(own, 2, 2).b[5], 0);
    EXPECT_EQ(Stored(own, 1, 3).b[5], 0);
    EXPECT_EQ(Stored(own, 1, 1).b[5], 1);
    // With no falling piece the whole field is dark.
    Piece("", -1, -1);
    redrawfield(1, 0, &canvas);
    panels.push_back(BigField());
    for (int y = 1; y <= H; ++y)
        for (int x = 1; x <= W; ++x) ASSERT_EQ(Stored(own, x, y).b[5], 1);
    // Darkness on a field other than the own game's changes nothing there.
    Seat(2, "two", Stack());
    TimedSpecials->AddTimed(2, 1, "d", 10, 1, 10, false, tkSeconds, tkSeconds);
    redrawfield(2, 1, &canvas);
    EXPECT_EQ(Stored(SlotPlayers[2], 1, 1).b[5], 0);
    EXPECT_TRUE(MatchesGolden(test::Sheet(panels, 3), "display/golden/darkness.png"));
}

TEST_F(FieldPaintTest, HoldTeamLabelAndTimedMarks) {
    own->plr->field = Stack();
    own->TeamName = "red";
    own->plr->SlotValue = 0x0000FF;
    ClientState.game.HoldToken = "10302044444";
    TimedSpecials->AddTimed(1, 2, "i", 3, 1, 3, false, tkPieces, tkSeconds);
    TimedSpecials->AddTimed(1, 2, "m", 5, 1, 5, false, tkSeconds, tkSeconds);
    TimedSpecials->AddTimed(1, 3, "f", 2, 1, 2, false, tkSeconds, tkSeconds);
    // "f" has run out: it stays, without a counter.
    timedHost.clock = 1003;
    TimedSpecials->TickTimedSpecials(tkSeconds);
    TimedSpecials->TickTimedSpecials(tkPieces);
    Seat(3, "three", Stack())->TeamName = "blue";
    RedrawAll(1);
    EXPECT_TRUE(MatchesGolden(canvas, "display/golden/hold_team_timed.png"));
    const Pixel16 white = ColorRefTo555(0xFFFFFF), yellow = ColorRefTo555(0x00FFFF);
    // Icons start below the team label ("|" is 6 high: 6 + 3), one per entry B + 1 apart;
    // counters at x = B + 3, centred on the icon.
    EXPECT_EQ(text.font, "Arial 4");                            // Trunc(10 * 0.45)
    EXPECT_TRUE(text.Drew("2", B + 3, 9 + 2, yellow));          // limit 3, one piece counted
    EXPECT_TRUE(text.Drew("2s", B + 3, 9 + B + 1 + 2, white));  // end 1005 - last step 1003
    for (const auto& d : text.drawn) EXPECT_NE(d.text, "0s");
    EXPECT_TRUE(text.Drew("red", 1, 1, ColorRefTo555(0x0000FF)));
    EXPECT_TRUE(text.Drew("blue", 1, 1, kBlack555));
    // The time-counted mark counts down as the timer steps.
    text.drawn.clear();
    timedHost.clock = 1004;
    TimedSpecials->TickTimedSpecials(tkSeconds);
    redrawfield(1, 0, &canvas);
    EXPECT_TRUE(text.Drew("1s", B + 3, 9 + B + 1 + 2, white));
    timedHost.clock = 1010;
    TimedSpecials->TickTimedSpecials(tkSeconds);
    text.drawn.clear();
    redrawfield(1, 0, &canvas);
    for (const auto& d : text.drawn) EXPECT_EQ(d.text.find('s'), std::string::npos) << d.text;
    // Overlay cells: the label's (6 + 2) / 10 + 1 rows and (12 + 2) / 10 + 1 columns, and
    // three columns of (9 + 3 * 11) / 10 + 1 rows for the timed marks.
    EXPECT_EQ(Stored(own, 1, 1).b[1], 1);
    EXPECT_EQ(Stored(own, 3, 5).b[1], 1);
    EXPECT_EQ(Stored(own, 3, 6).b[1], 0);
    EXPECT_EQ(Stored(own, 4, 3).b[1], 0);
}

TEST_F(FieldPaintTest, SmoothFallSlidesThePieceIntoItsRow) {
    Settings.options.animdrop = 1;
    own->plr->field = Stack();
    Piece("0302300333", 3, 2);
    std::vector<Surface16> panels;
    for (int offset : {0, B / 2, B}) {
        GameTiming.FallOffset = offset;
        redrawfield(1, 0, &canvas);
        panels.push_back(BigField());
    }
    EXPECT_TRUE(MatchesGolden(test::Sheet(panels, 3), "display/golden/fall.png"));
    // The piece is an overlay: its cells and the row above, never merged into the field.
    EXPECT_EQ(Stored(own, 3, 2).b[1], 1);
    EXPECT_EQ(Stored(own, 3, 1).b[1], 1);
    EXPECT_EQ(Stored(own, 3, 3).b[0], '0');
    // At the full offset the piece's top-left cell is drawn exactly in its cell.
    const Surface16 last = panels.back();
    Surface16 alone(W * B, H * B);
    DrawBlock(alone, 2 * B, B, Settings.theme.draw, 1.0f, B, '3');
    EXPECT_EQ(last.pixel(2 * B + 4, B + 4), alone.pixel(2 * B + 4, B + 4));
}

TEST_F(FieldPaintTest, ResizedFieldsAreStretchedToTheirElements) {
    Settings.options.resizefields = 1;
    own->plr->field = Stack();
    Seat(2, "two", Stack());
    SetPlayerElement(1, {0, 0, 100, 90});
    SetPlayerElement(2, {102, 0, 27, 61});
    canvas = Surface16(130, 100, kCanvasColour);
    RedrawAll(1);
    EXPECT_TRUE(MatchesGolden(canvas, "display/golden/resized.png"));
    // Every pixel of both elements is painted.
    for (const PixelRect& r : {PixelRect{0, 0, 100, 90}, PixelRect{102, 0, 27, 61}})
        for (int y = r.top; y < r.bottom(); ++y)
            for (int x = r.left; x < r.right(); ++x) ASSERT_NE(canvas.pixel(x, y), kCanvasColour);
}

TEST_F(FieldPaintTest, FailuresAreLoggedAndRepaintedNextTime) {
    own->plr->field = Stack();
    redrawfield(1, 1, &canvas);
    ClearClientLog();
    Piece("zz", 3, 2);
    Cell(own, 1, 1) = '5';
    redrawfield(1, 0, &canvas);
    EXPECT_NE(ClientLog().find("Error in redrawfield 1 0 DATA: Error in redrawfield/fillin "),
              std::string::npos);
    EXPECT_EQ(Stored(own, 1, 1).b[0], '0');  // the stored grid is left alone
    Piece("", -1, -1);
    redrawfield(1, 0, &canvas);
    EXPECT_EQ(Stored(own, 1, 1).b[0], '5');
    // Metrics past the grid are refused, not drawn outside it.
    ClearClientLog();
    FieldWidth = CellGridColumns + 1;
    redrawfield(1, 1, &canvas);
    EXPECT_NE(ClientLog().find("Error in redrawfield 1 1 DATA: Error in redrawfield/fields "),
              std::string::npos);
    FieldWidth = W;
    // A broken hold token likewise.
    ClearClientLog();
    ClientState.game.HoldToken = "1xx";
    redrawfield(1, 0, &canvas);
    EXPECT_NE(ClientLog().find("DATA: Error in redrawfield/holdpiece "), std::string::npos);
}

TEST_F(FieldPaintTest, ShortFieldsAndNoThemeDrawNothingOutside) {
    own->plr->field = "123";  // shorter than W x H: the rest counts as empty
    redrawfield(1, 1, &canvas);
    EXPECT_EQ(Stored(own, 4, 1).b[0], '0');
    Settings.theme.draw = ThemeDrawRec{};
    FillRect(canvas, canvas.bounds(), kCanvasColour);
    FreePlayerFieldBitmaps();  // and no surfaces either
    redrawfield(1, 1, &canvas);
    EXPECT_EQ(canvas.pixel(5, 5), kCanvasColour);
}

}  // namespace
}  // namespace pk
