// The incremental painter against a full redraw: after random moves, locks, line clears,
// field changes of the other players, hold pieces, team labels, timed effects and option
// changes, the window shows, pixel for pixel, what a full redraw of the same state shows.
#include <gtest/gtest.h>

#include <random>

#include "display/painter_fixture.h"
#include "game/zrfield.h"

namespace pk {
namespace {

using test::MaskKind;

constexpr int W = 10, H = 16, B = 8, S = 4;

class IncrementalPaintTest : public testing::PainterTest {
protected:
    void SetUp() override { EngineTest::SetUp(); }

    void Start(MaskKind mask) {
        SetUpPainter(W, H, B, S, mask);
        for (int slot = 2; slot <= MaxSlots; ++slot) Seat(slot, "p" + std::to_string(slot));
        NewPiece();
    }

    void NewPiece() {
        tmegame& g = ClientState.game;
        g.CurrentPiece = std::string(PieceTable[rng() % PieceTable.size()]);
        g.PieceX = SpawnColumn(g.CurrentPiece);
        g.PieceY = 1;
        if (collision(g.PieceX, g.PieceY, g.CurrentPiece, own->plr->field)) {
            own->plr->field = EmptyField();  // topped out: start over
        }
    }

    void TryMove(int dx, int dy, int turns) {
        tmegame& g = ClientState.game;
        const TPieceString turned = chpiece(g.CurrentPiece, turns + 1);
        if (!collision(g.PieceX + dx, g.PieceY + dy, turned, own->plr->field)) {
            g.PieceX += dx;
            g.PieceY += dy;
            g.CurrentPiece = turned;
        } else if (dy > 0) {
            Lock();
        }
    }

    void Lock() {
        tmegame& g = ClientState.game;
        std::string& field = own->plr->field;
        stickpiece(g.CurrentPiece, g.PieceX, g.PieceY, field);
        removelines(field, FullRows(field));
        NewPiece();
    }

    void Step() {
        tmegame& g = ClientState.game;
        switch (rng() % 16) {
            case 0:
            case 1:
            case 2:
                TryMove(-1, 0, 0);
                break;
            case 3:
            case 4:
            case 5:
                TryMove(1, 0, 0);
                break;
            case 6:
                TryMove(0, 0, 1);
                break;
            case 7:
            case 8:
            case 9:
                TryMove(0, 1, 0);
                break;
            case 10: {
                int x = g.PieceX, y = g.PieceY;
                refitpiece(g.CurrentPiece, x, y, true, own->plr->field);
                g.PieceY = y;
                Lock();
                break;
            }
            case 11: {  // another player's field changes
                tclient* c = SlotPlayers[2 + rng() % 5];
                for (int i = 0; i < 6; ++i)
                    c->plr->field[rng() % c->plr->field.size()] = "0123456ab7"[rng() % 10];
                break;
            }
            case 12:
                g.HoldToken = rng() % 2 ? "1" + std::string(PieceTable[rng() % 7]) : "";
                break;
            case 13: {
                tclient* c = SlotPlayers[1 + rng() % 6];
                c->TeamName = rng() % 2 ? std::string(1 + rng() % 5, 'x') : "";
                c->plr->SlotValue = static_cast<int32_t>(rng() & 0xFFFFFF);
                break;
            }
            case 14:
                if (TimedSpecials->TimedActive(1, "d")) {
                    TimedSpecials->timeddelete(1, "d");
                } else {
                    const char* names[] = {"d", "i", "f", "m"};
                    const char* n = names[rng() % 4];
                    TimedSpecials->AddTimed(1, 2, n, 3, 1, 3, false, rng() % 2, 0);
                }
                timedHost.clock += 1;
                TimedSpecials->TickTimedSpecials(rng() % 2);
                break;
            default: {
                tclientoptions& o = Settings.options;
                o.animdrop = rng() % 2;
                o.showshadow = rng() % 2;
                o.shadowoption = static_cast<int32_t>(rng() % 6);
                o.usealpha = rng() % 3 != 0;
                break;
            }
        }
        GameTiming.FallOffset = static_cast<int32_t>(rng() % (B + 1));
    }

    // A full redraw of the same state on fresh surfaces; the incremental state is restored.
    void ExpectSameAsFull(int step) {
        const Surface16 incremental = canvas;
        const auto fields = PlayerFieldBitmaps;
        const Surface16 buffer = FieldBuffer;
        std::vector<decltype(tplr::CellLayerGrid)> grids;
        for (int slot = 1; slot <= MaxSlots; ++slot)
            grids.push_back(SlotPlayers[slot]->plr->CellLayerGrid);

        CreatePlayerFieldBitmaps();
        InvalidateCellGrids();
        canvas = Surface16(canvas.width(), canvas.height(), testing::kCanvasColour);
        RedrawAll(1);
        bool same = true;
        for (int y = 0; y < canvas.height() && same; ++y)
            for (int x = 0; x < canvas.width() && same; ++x)
                if (canvas.pixel(x, y) != incremental.pixel(x, y)) {
                    ADD_FAILURE() << "step " << step << ": first difference at (" << x << ", " << y
                                  << ")";
                    same = false;
                }

        canvas = incremental;
        PlayerFieldBitmaps = fields;
        FieldBuffer = buffer;
        for (int slot = 1; slot <= MaxSlots; ++slot)
            SlotPlayers[slot]->plr->CellLayerGrid = grids[static_cast<size_t>(slot - 1)];
    }

    void Run(int steps) {
        RedrawAll(0);
        for (int step = 1; step <= steps; ++step) {
            Step();
            // Now and then only the own field, as the game thread's redraws do.
            if (rng() % 4 == 0) {
                redrawfield(1, 0, &canvas);
                RedrawAll(0);
            } else {
                RedrawAll(0);
            }
            if (step % 20 == 0)
                ExpectSameAsFull(step);
        }
    }

    std::mt19937 rng{20261209};
};

TEST_F(IncrementalPaintTest, TransparencyMaskTheme) {
    Start(MaskKind::Monochrome);
    Run(300);
}

TEST_F(IncrementalPaintTest, AlphaMaskTheme) {
    rng.seed(7);
    Start(MaskKind::Alpha);
    Run(300);
}

TEST_F(IncrementalPaintTest, ThemeWithoutMaskAndResizedFields) {
    rng.seed(99);
    Start(MaskKind::None);
    Settings.options.resizefields = 1;
    SetPlayerElement(1, {0, 0, W * B - 9, H * B + 1});  // narrower, taller: both ways
    Run(200);
}

}  // namespace
}  // namespace pk
