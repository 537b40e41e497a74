#include "display/zrfieldpaint.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "core/zrlog.h"
#include "display/zrfieldbitmaps.h"
#include "display/zrfieldlayers.h"
#include "game/zrfield.h"
#include "game/zrgame.h"
#include "game/zrgamethread.h"
#include "game/zrtimedsb.h"
#include "gfx/blend.h"
#include "gfx/blockblit.h"

namespace pk {

// The cell layers of a redraw and their placements (zrfieldlayers.h).
using namespace fieldlayers;

static_assert(kBlockTileAlphabet == BlockAlphabet);
// Records are written and read as four bytes and two through integers.
static_assert(sizeof(TCellLayerRec) == 6 && std::endian::native == std::endian::little);

namespace {

FieldPaintHost default_host;
FieldPaintHost* paint_host = &default_host;
std::array<std::optional<PixelRect>, MaxSlots + 1> player_elements;

constexpr float kStyleOpacity[4] = {1.0f, 0.25f, 0.5f, 0.75f};
constexpr int kOutlineStyle = 4;
constexpr float kDimFactor[6] = {1.0f, 0.0f, 0.25f, 0.5f, 0.75f, 0.9f};
constexpr uint32_t kTextWhite = 0xFFFFFF;   // 0x00BBGGRR
constexpr uint32_t kTextYellow = 0x00FFFF;  // 0x00BBGGRR
constexpr uint32_t kOutlineBlack = 0x000000;
constexpr int kMaxBlockSize = 1024;

PaintOptions CurrentOptions() {
    const tclientoptions& o = Settings.options;
    PaintOptions p;
    p.animdrop = o.animdrop != 0;
    p.showshadow = o.showshadow != 0;
    p.shadowoption = o.shadowoption;
    p.usealpha = o.usealpha != 0;
    p.resizefields = o.resizefields != 0;
    p.holdPieceElement = FieldPainter().HoldPieceElement();
    return p;
}

// Paints one cell of the field surface from its record.
void PaintCell(RedrawState& r, Surface16& field, const ThemeTiles& theme, int x, int y,
               const TCellLayerRec& c) {
    const int px = (x - 1) * r.size, py = (y - 1) * r.size, s = r.size;
    const char ch = static_cast<char>(c.b[cbChar]);
    const uint8_t style = c.b[cbStyle];
    if (theme.present) {
        const PixelRect bg = CellBackgroundRect(r.metrics, r.big, x, y);
        if (ch != '0' && style < kOutlineStyle) {
            // The usual cell: its background and its block in one pass.
            DrawBlockOnto(field, px, py, theme, {bg.left, bg.top, s, s}, kStyleOpacity[style], s,
                          ch);
        } else {
            BitBlt(field, px, py, s, s, theme.image, bg.left, bg.top, RasterOp::SrcCopy);
        }
    }
    if (ch != '0' && !(theme.present && style < kOutlineStyle)) {
        if (style == kOutlineStyle) {
            FrameRect(field, {px, py, s, s}, kBlack555);
            FrameRect(field, {px + 2, py + 2, s - 4, s - 4}, kBlack555);
            FrameRect(field, {px + 1, py + 1, s - 2, s - 2}, kWhite555);
        } else if (style < kOutlineStyle) {
            DrawBlock(field, px, py, theme, kStyleOpacity[style], s, ch);
        }
    }
    const uint8_t dark = c.b[cbDark];
    if (dark == 1) {
        FillRect(field, {px, py, s, s}, kBlack555);
    } else if (dark >= 2 && dark <= 5) {
        DimRect(field, px, py, kDimFactor[dark], s, s);
    }
}

// Copies the runs of the cells to show from the field (changed cells) or the work surface
// (overlay cells) into the player element. True when anything was copied.
bool CopyToTarget(RedrawState& r, Layers& g, const Surface16& field, const Surface16& work) {
    enum { kNone, kChanged, kOverlay };
    // Runs of one kind over the same columns in consecutive rows are copied as one rectangle
    // (a cleared line moves every row above it); stretched fields are copied cell by cell, so
    // each cell's edges are rounded alike.
    struct Block {
        int start, end, kind, top, bottom;  // columns [start, end), rows [top, bottom]
    };
    std::array<std::array<Block, CellGridColumns>, 2> blocks;
    std::array<Block, CellGridColumns>* open = &blocks[0];
    std::array<Block, CellGridColumns>* next = &blocks[1];
    size_t openCount = 0;
    bool copied = false;
    auto copy = [&](const Block& b) {
        const Surface16& src = b.kind == kOverlay ? work : field;
        const int sx = (b.start - 1) * r.size, sy = (b.top - 1) * r.size;
        const int width = (b.end - b.start) * r.size;
        const int height = (b.bottom - b.top + 1) * r.size;
        if (r.options.resizefields) {
            StretchFieldPart(*r.target, r.element, r.metrics, r.size, RasterOp::SrcCopy, src, sx,
                             sy, width, height, sx, sy);
        } else {
            BlitFieldPart(*r.target, r.element, r.metrics, r.size, RasterOp::SrcCopy, src, sx, sy,
                          width, height, sx, sy);
        }
        copied = true;
    };
    for (int y = 1; y <= r.h; ++y) {
        size_t nextCount = 0;
        if (g.RowMarked(y)) {
            const TCellLayerRec* row = g.Row(y);
            auto kind = [row](int x) {
                const TCellLayerRec& c = row[x - 1];
                if (c.b[cbOverlay])
                    return kOverlay;
                return c.b[cbRepaint] || c.b[cbCopy] ? kChanged : kNone;
            };
            int x = 1;
            while (x <= r.w) {
                const int k = kind(x);
                if (k == kNone) {
                    ++x;
                    continue;
                }
                const int start = x;
                do {
                    ++x;
                } while (x <= r.w && kind(x) == k && !r.options.resizefields);
                Block b{start, x, k, y, y};
                if (!r.options.resizefields) {
                    for (size_t i = 0; i < openCount; ++i) {
                        Block& o = (*open)[i];
                        if (o.start == start && o.end == x && o.kind == k) {
                            b.top = o.top;
                            o.kind = kNone;  // carried on into this row
                            break;
                        }
                    }
                }
                (*next)[nextCount++] = b;
            }
        }
        for (size_t i = 0; i < openCount; ++i)
            if ((*open)[i].kind != kNone)
                copy((*open)[i]);
        std::swap(open, next);
        openCount = nextCount;
    }
    for (size_t i = 0; i < openCount; ++i) copy((*open)[i]);
    return copied;
}

// Copies the runs of overlay cells of every row from the field surface to the work surface,
// so the overlays are drawn over the cells as they now are.
void PrepareOverlays(RedrawState& r, Layers& g, const Surface16& field, Surface16& work) {
    for (int y = 1; y <= r.h; ++y) {
        if (!g.RowMarked(y))
            continue;
        const TCellLayerRec* row = g.Row(y);
        int x = 1;
        while (x <= r.w) {
            if (!row[x - 1].b[cbOverlay]) {
                ++x;
                continue;
            }
            const int start = x;
            while (x <= r.w && row[x - 1].b[cbOverlay]) ++x;
            BitBlt(work, (start - 1) * r.size, (y - 1) * r.size, (x - start) * r.size, r.size,
                   field, (start - 1) * r.size, (y - 1) * r.size, RasterOp::SrcCopy);
        }
    }
}

void DrawFallingPiece(RedrawState& r, Surface16& work, const ThemeTiles& theme) {
    const tmegame& gs = ClientState.game;
    const int offset = std::clamp<int>(GameTiming.FallOffset, 0, r.size);
    ForEachCell(*r.piece, [&](int x, int y, char c) {
        DrawBlock(work, (gs.PieceX + x - 2) * r.size, (gs.PieceY + y - 3) * r.size + offset, theme,
                  1.0f, r.size, c);
    });
}

void DrawHold(RedrawState& r, Surface16& work, const ThemeTiles& theme) {
    ForEachCell(*r.hold, [&](int x, int y, char c) {
        DrawBlock(work, r.holdLeft + (x - 1) * r.size, r.holdTop + (y - 1) * r.size, theme, 1.0f,
                  r.size, c);
    });
}

// The counter shown beside a timed effect's icon, and its colour; empty when none.
std::string TimedCounter(const TTimedSpecialRec& e, uint32_t& colour) {
    if (e.kind == tkSeconds && e.repeat != 0) {
        // The seconds left to the effect's end, counted from its last step rather than its
        // start: a countdown is what a player reads beside the icon.
        colour = kTextWhite;
        return std::to_string(std::max<int64_t>(0, int64_t{e.endTime} - e.lastStep)) + "s";
    }
    if (e.kind == tkPieces && e.limit != 0) {
        colour = kTextYellow;
        return std::to_string(int64_t{e.limit} - e.counter);
    }
    return {};
}

void DrawTimed(RedrawState& r, Surface16& work, const ThemeTiles& theme) {
    const int blockSize = r.metrics.blockSize;
    int y = r.timedTop;
    for (const TTimedSpecialRec& e : r.timed) {
        if (!e.name.empty())
            DrawBlock(work, 1, y, theme, 1.0f, r.size, e.name[0]);
        uint32_t colour = 0;
        const std::string counter = TimedCounter(e, colour);
        if (!counter.empty() && r.text) {
            const TextExtent t = r.text->Measure(counter);
            DrawOutlinedText(*r.text, work, colour, kOutlineBlack, counter, blockSize + 3,
                             y + (blockSize - t.height) / 2);
        }
        y += blockSize + 1;
    }
}

// Where a redraw was when it failed, for the log line: a fixed text and, for the timed effects,
// their number. Kept as a pointer, since it changes a dozen times in every redraw.
struct RedrawPhase {
    const char* text = "Error in redrawfield/top ";
    long count = -1;

    void Set(const char* t, long n = -1) {
        text = t;
        count = n;
    }
    std::string Text() const { return count < 0 ? text : text + std::to_string(count); }
};

void RunRedraw(RedrawState& r, RedrawPhase& phase) {
    const tmegame& gs = ClientState.game;
    phase.Set("Error in redrawfield/fields ");
    if (r.w < 1 || r.h < 1 || r.w > CellGridColumns || r.h > CellGridRows || r.size < 1 ||
        r.size > kMaxBlockSize || BlockSize < 1 || BlockSize > kMaxBlockSize) {
        throw std::out_of_range("field metrics");
    }
    Layers g(r.w, r.h, r.plr->field);
    std::array<bool, CellGridRows> plain{};
    PlainRows(r, plain);
    if (r.own && PiecePresent()) {
        phase.Set("Error in redrawfield/fillin ");
        r.piece = ParsePiece(gs.CurrentPiece);
        phase.Set("Error in redrawfield/piece ");
        PlacePiece(r, g);
    }
    const bool dark = r.own && TimedSpecials && TimedSpecials->TimedActive(r.slot, "d");
    if (dark) {
        phase.Set("Error in redrawfield/darkness ");
        Darken(r, g);
    } else if (r.own && r.options.showshadow) {
        phase.Set("Error in redrawfield/shadow ");
        PlaceShadow(r, g);
    }
    phase.Set("Error in redrawfield/handles 1");
    if (r.text)
        r.text->SetFont("Arial", static_cast<int>(BlockSize * 0.45));
    if (r.big && gs.HoldToken.size() > 1 && !r.options.holdPieceElement) {
        phase.Set("Error in redrawfield/holdpiece ");
        r.hold = ParsePiece(gs.HoldToken.substr(1));
        PlaceHold(r, g);
    }
    if (r.big) {
        phase.Set("Error in redrawfield/timed ");
        if (TimedSpecials)
            r.timed = TimedSpecials->EntriesOf(r.slot);
        phase.Set("Error in redrawfield/timed ", static_cast<long>(r.timed.size()));
        r.timedTop = r.client->TeamName.empty() ? 2 : Measure(r, "|").height + 3;
        PlaceTimed(r, g);
    }
    r.teamLabel = r.text && !r.client->TeamName.empty();
    if (r.teamLabel)
        PlaceTeamLabel(r, g);

    phase.Set("Error in redrawfield/handles 2");
    BindThemeBitmaps(Settings.theme);
    const ThemeTiles& theme = Settings.theme.draw;
    phase.Set("Error in redrawfield/handles 3");
    Surface16& field = PlayerFieldBitmaps[static_cast<size_t>(r.position)];
    phase.Set("Error in redrawfield/handles 4");
    Surface16& work = FieldBuffer;

    phase.Set("Error in redrawfield/drawblocklayer ");
    const auto& stored = r.plr->CellLayerGrid;
    bool anyMarked = false;
    for (int y = 1; y <= r.h; ++y) {
        // A row that holds only its characters, as stored (nothing overlaid now or then, so
        // nothing to repaint, restore or overlay), is left alone, its records never made: most
        // rows of most fields.
        if (!r.full && plain[static_cast<size_t>(y - 1)] && !g.Touched(y)) {
            g.MarkRow(y, false);
            continue;
        }
        TCellLayerRec* row = g.Row(y);
        const TCellLayerRec* was = stored[static_cast<size_t>(y - 1)].data();
        bool marked = false;
        for (int x = 1; x <= r.w; ++x) {
            TCellLayerRec& c = row[x - 1];
            const TCellLayerRec& s = was[x - 1];
            const bool repaint = r.full || s.b[cbChar] != c.b[cbChar] ||
                                 s.b[cbStyle] != c.b[cbStyle] || s.b[cbDark] != c.b[cbDark];
            c.b[cbRepaint] = repaint;
            c.b[cbCopy] = s.b[cbOverlay] != 0;
            marked |= repaint || c.b[cbCopy] || c.b[cbOverlay];
            if (repaint)
                PaintCell(r, field, theme, x, y, c);
        }
        g.MarkRow(y, marked);
        anyMarked = anyMarked || marked;
    }
    if (!anyMarked)
        return;  // nothing to show, and the stored records are the ones just made
    PrepareOverlays(r, g, field, work);
    if (r.own && r.options.animdrop && r.piece) {
        phase.Set("Error in redrawfield/fall ");
        DrawFallingPiece(r, work, theme);
    }
    if (r.hold) {
        phase.Set("Error in redrawfield/hold ");
        DrawHold(r, work, theme);
    }
    if (r.big) {
        phase.Set("Error in redrawfield/timed ", static_cast<long>(r.timed.size()));
        DrawTimed(r, work, theme);
    }
    if (r.teamLabel) {
        DrawOutlinedText(*r.text, work, static_cast<uint32_t>(r.plr->SlotValue), kOutlineBlack,
                         r.client->TeamName, 1, 1);
    }
    phase.Set(r.options.resizefields ? "Error in redrawfield/resizedraw"
                                     : "Error in redrawfield/draw");
    if (CopyToTarget(r, g, field, work))
        FieldPainter().CanvasChanged(*r.target, Intersect(r.element, r.target->bounds()));
    phase.Set("Error in redrawfield/move");
    StoreGrid(r, g);
}

}  // namespace

FieldPaintHost& FieldPainter() {
    return *paint_host;
}

void SetFieldPaintHost(FieldPaintHost* host) {
    paint_host = host ? host : &default_host;
}

void SetPlayerElement(int position, const PixelRect& r) {
    if (ValidSlot(position))
        player_elements[static_cast<size_t>(position)] = r;
}

void ClearPlayerElements() {
    for (auto& e : player_elements) e.reset();
}

bool PlayerElement(int position, PixelRect& r) {
    if (!ValidSlot(position) || !player_elements[static_cast<size_t>(position)])
        return false;
    r = *player_elements[static_cast<size_t>(position)];
    return true;
}

int SlotToDisplay(int slot) {
    const int own = ClientState.game.OwnSlot;
    if (slot == own)
        return 1;
    return own > slot ? slot + 1 : slot;
}

int DisplayToSlot(int position) {
    const int own = ClientState.game.OwnSlot;
    if (position == 1)
        return own;
    return position <= own ? position - 1 : position;
}

void RedrawField(int slot, bool full) {
    redrawfield(slot, full ? 1 : 0, FieldPainter().GameCanvas());
}

void redrawfield(int slot, int full, Surface16* target) {
    RedrawPhase phase;
    // A failed redraw costs only this picture of the field.
    LogAndGoOnWith(
        [&] {
            return "redrawfield " + std::to_string(slot) + " " + std::to_string(full) +
                   " DATA: " + phase.Text();
        },
        [&] {
            if (!ValidSlot(slot) || !target)
                return;
            RedrawState r;
            r.slot = slot;
            r.full = full;
            r.target = target;
            r.client = SlotPlayers[static_cast<size_t>(slot)];
            if (!r.client || !r.client->plr)
                return;
            r.plr = r.client->plr.get();
            const tmegame& gs = ClientState.game;
            r.big = slot == gs.OwnSlot;
            r.own = r.big && !gs.Spectating;
            r.size = r.big ? BlockSize : SmallBlockSize;
            r.position = SlotToDisplay(slot);
            if (!PlayerElement(r.position, r.element))
                return;
            r.options = CurrentOptions();
            r.text = FieldPainter().Text();
            r.metrics = CurrentBlockMetrics();
            r.w = FieldWidth;
            r.h = FieldHeight;
            RunRedraw(r, phase);
        });
}

void InvalidateCellGrids() {
    for (tclient* c : SlotPlayers) {
        if (c && c->plr)
            c->plr->CellLayerGrid = {};
    }
}

}  // namespace pk
