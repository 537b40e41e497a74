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
#include "game/zrfield.h"
#include "game/zrgame.h"
#include "game/zrgamethread.h"
#include "game/zrtimedsb.h"
#include "gfx/blend.h"
#include "gfx/blockblit.h"

namespace pk {

static_assert(kBlockTileAlphabet == BlockAlphabet);
// Records are written and read as four bytes and two through integers.
static_assert(sizeof(TCellLayerRec) == 6 && std::endian::native == std::endian::little);

namespace {

FieldPaintHost default_host;
FieldPaintHost* paint_host = &default_host;
std::array<std::optional<PixelRect>, MaxSlots + 1> player_elements;

// Cell record bytes.
enum CellByte { cbChar = 0, cbOverlay = 1, cbRepaint = 2, cbCopy = 3, cbStyle = 4, cbDark = 5 };

constexpr float kStyleOpacity[4] = {1.0f, 0.25f, 0.5f, 0.75f};
constexpr int kOutlineStyle = 4;
constexpr float kDimFactor[6] = {1.0f, 0.0f, 0.25f, 0.5f, 0.75f, 0.9f};
constexpr uint32_t kTextWhite = 0xFFFFFF;   // 0x00BBGGRR
constexpr uint32_t kTextYellow = 0x00FFFF;  // 0x00BBGGRR
constexpr uint32_t kOutlineBlack = 0x000000;
constexpr int kMaxPieceOffset = 100;  // a piece string holds at most 99 x 99 cells
constexpr int kMaxBlockSize = 1024;

// The options in force for one redraw.
struct PaintOptions {
    bool animdrop = false;
    bool showshadow = false;
    int shadowoption = 1;
    bool usealpha = true;
    bool resizefields = false;
    bool holdPieceElement = false;
};

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

// One redraw's working grid, W by H cells, 1-based. Its cells live in one buffer per thread,
// reused by every redraw (a repaint runs for six fields at every piece); a redraw started
// while another is under way gets a buffer of its own.
class Layers {
public:
    // `field` gives each cell its character ('0' past its end); a row's records are made from
    // it when the row is first asked for, so rows nobody asks for cost nothing.
    Layers(int w, int h, const std::string& field)
        : w_(w), h_(h), field_(field), cells_(Users()++ == 0 ? Shared() : own_) {
        cells_.resize(static_cast<size_t>(w) * h);
    }
    ~Layers() { --Users(); }
    Layers(const Layers&) = delete;
    Layers& operator=(const Layers&) = delete;
    bool Inside(int x, int y) const { return x >= 1 && x <= w_ && y >= 1 && y <= h_; }
    // A cell for the placements (piece, ghost, darkness, overlays): its row counts as touched.
    TCellLayerRec& At(int x, int y) {
        touched_[static_cast<size_t>(y - 1)] = true;
        return Row(y)[x - 1];
    }
    // Whether a placement reached row y: an untouched row holds only its field characters.
    bool Touched(int y) const { return touched_[static_cast<size_t>(y - 1)]; }
    // Row y's cells, W of them.
    TCellLayerRec* Row(int y) {
        TCellLayerRec* row = &cells_[static_cast<size_t>((y - 1) * w_)];
        if (!filled_[static_cast<size_t>(y - 1)]) {
            filled_[static_cast<size_t>(y - 1)] = true;
            const size_t first = static_cast<size_t>(y - 1) * w_;
            const size_t known = field_.size();
            const char* chars = field_.data();
            const int w = w_;
            for (int x = 0; x < w; ++x) {
                const size_t i = first + static_cast<size_t>(x);
                // As four bytes and two: the character, then zeros.
                const uint32_t head = static_cast<uint8_t>(i < known ? chars[i] : '0');
                const uint16_t tail = 0;
                std::memcpy(row[x].b, &head, 4);
                std::memcpy(row[x].b + 4, &tail, 2);
            }
        }
        return row;
    }
    // Whether row y has a cell to repaint, copy or overlay (set once the cells are compared).
    void MarkRow(int y, bool marked) { marked_[static_cast<size_t>(y - 1)] = marked; }
    bool RowMarked(int y) const { return marked_[static_cast<size_t>(y - 1)]; }
    // Sets a byte of a cell when the cell lies inside the field.
    void Mark(int x, int y, int byte, uint8_t value) {
        if (Inside(x, y))
            At(x, y).b[byte] = value;
    }

private:
    static std::vector<TCellLayerRec>& Shared() {
        thread_local std::vector<TCellLayerRec> buffer;
        return buffer;
    }
    static int& Users() {
        thread_local int users = 0;
        return users;
    }

    int w_, h_;
    const std::string& field_;
    std::vector<TCellLayerRec> own_;
    std::vector<TCellLayerRec>& cells_;
    std::array<bool, CellGridRows> filled_{};
    std::array<bool, CellGridRows> marked_{};
    std::array<bool, CellGridRows> touched_{};
};

// A piece string's cells; throws std::invalid_argument for a malformed one.
struct PieceCells {
    int width = 0;
    int height = 0;
    std::string cells;
    char At(int x, int y) const { return cells[static_cast<size_t>((y - 1) * width + x - 1)]; }
};

PieceCells ParsePiece(const TPieceString& piece) {
    PieceCells p;
    p.width = PieceWidth(piece);
    p.height = PieceHeight(piece);
    p.cells = piece.substr(4, static_cast<size_t>(p.width) * p.height);
    return p;
}

template <class F>
void ForEachCell(const PieceCells& p, F&& f) {
    for (int y = 1; y <= p.height; ++y) {
        for (int x = 1; x <= p.width; ++x) {
            if (p.At(x, y) != '0')
                f(x, y, p.At(x, y));
        }
    }
}

// Around every cell at `from` (in the 3x3 block, or the plus shape), cells at 1 become `to`.
void SpreadLayerMark(Layers& g, int w, int h, uint8_t from, uint8_t to, bool block) {
    std::vector<std::pair<int, int>> sources;
    for (int y = 1; y <= h; ++y) {
        for (int x = 1; x <= w; ++x) {
            if (g.At(x, y).b[cbDark] == from)
                sources.emplace_back(x, y);
        }
    }
    for (const auto& [sx, sy] : sources) {
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                if (!block && dx != 0 && dy != 0)
                    continue;
                const int x = sx + dx, y = sy + dy;
                if (g.Inside(x, y) && g.At(x, y).b[cbDark] == 1)
                    g.At(x, y).b[cbDark] = to;
            }
        }
    }
}

struct RedrawState {
    int slot = 0;
    int full = 0;
    Surface16* target = nullptr;
    tclient* client = nullptr;
    tplr* plr = nullptr;
    bool big = false;  // the field at display position 1
    bool own = false;  // the own game's field (not a watched one)
    int size = 0;
    int position = 0;
    int w = 0, h = 0;
    PixelRect element;
    PaintOptions options;
    TextPainter* text = nullptr;
    BlockMetrics metrics;
    std::optional<PieceCells> piece;
    std::optional<PieceCells> hold;
    int holdLeft = 0, holdTop = 0;
    int timedTop = 0;
    std::vector<TTimedSpecialRec> timed;
    bool teamLabel = false;
};

TextExtent Measure(RedrawState& r, const std::string& text) {
    return r.text ? r.text->Measure(text) : TextExtent{};
}

// For each row, whether the stored records hold just its field characters with every other
// byte 0, as a row no placement touches will: read from the stored grid and the field string.
void PlainRows(RedrawState& r, std::array<bool, CellGridRows>& plain) {
    const std::string& field = r.plr->field;
    const int w = r.w, h = r.h;
    const size_t known = std::min(static_cast<size_t>(w) * h, field.size());
    const char* chars = field.data();
    const auto& stored = r.plr->CellLayerGrid;
    for (int y = 0; y < h; ++y) {
        const TCellLayerRec* was = stored[static_cast<size_t>(y)].data();
        const size_t first = static_cast<size_t>(y) * w;
        uint32_t differs = 0;
        for (int x = 0; x < w; ++x) {
            const size_t i = first + static_cast<size_t>(x);
            const uint32_t ch = static_cast<uint8_t>(i < known ? chars[i] : '0');
            // As four bytes and two: the character in the first byte, zeros after it.
            uint32_t head = 0;
            uint16_t tail = 0;
            std::memcpy(&head, was[x].b, 4);
            std::memcpy(&tail, was[x].b + 4, 2);
            differs |= (head ^ ch) | tail;
        }
        plain[static_cast<size_t>(y)] = differs == 0;
    }
}

void PlacePiece(RedrawState& r, Layers& g) {
    const tmegame& gs = ClientState.game;
    if (!r.piece)
        return;
    ForEachCell(*r.piece, [&](int x, int y, char c) {
        const int fx = gs.PieceX + x - 1, fy = gs.PieceY + y - 1;
        if (r.options.animdrop) {
            g.Mark(fx, fy, cbOverlay, 1);
            if (fy - 1 >= 1)
                g.Mark(fx, fy - 1, cbOverlay, 1);
        } else {
            g.Mark(fx, fy, cbChar, static_cast<uint8_t>(c));
        }
    });
}

void Darken(RedrawState& r, Layers& g) {
    for (int y = 1; y <= r.h; ++y)
        for (int x = 1; x <= r.w; ++x) g.At(x, y).b[cbDark] = 1;
    // Light comes only from a falling piece: without one the whole field stays dark.
    if (r.piece) {
        const tmegame& gs = ClientState.game;
        ForEachCell(*r.piece, [&](int x, int y, char) {
            g.Mark(gs.PieceX + x - 1, gs.PieceY + y, cbDark, 0);
        });
    }
    SpreadLayerMark(g, r.w, r.h, 0, 5, true);
    SpreadLayerMark(g, r.w, r.h, 5, 4, false);
    SpreadLayerMark(g, r.w, r.h, 4, 3, true);
    if (!r.options.usealpha) {
        for (int y = 1; y <= r.h; ++y) {
            for (int x = 1; x <= r.w; ++x) {
                uint8_t& d = g.At(x, y).b[cbDark];
                d = (d == 2 || d == 3) ? 1 : (d == 4 || d == 5) ? 0 : d;
            }
        }
    }
}

void PlaceShadow(RedrawState& r, Layers& g) {
    tmegame& gs = ClientState.game;
    if (!r.piece) {
        gs.ShadowPlace[0] = gs.ShadowPlace[1] = -1;
        return;
    }
    int x = gs.PieceX, y = gs.PieceY;
    // A piece that fits nowhere has no landing place and no ghost.
    if (refitpiece(gs.CurrentPiece, x, y, true, r.plr->field) == 0) {
        gs.ShadowPlace[0] = gs.ShadowPlace[1] = -1;
        return;
    }
    gs.ShadowPlace[0] = x;
    gs.ShadowPlace[1] = y;
    // The ghost takes the option as it stands: 0 draws it opaque and a style without a
    // drawing (above the outline) leaves only the background, so an odd value in the
    // configuration file shows as such. A value beyond the style byte draws no block either.
    const int option = r.options.shadowoption;
    const uint8_t style = static_cast<uint8_t>(option >= 0 && option <= 255 ? option : 255);
    ForEachCell(*r.piece, [&](int px, int py, char c) {
        const int fx = x + px - 1, fy = y + py - 1;
        if (g.Inside(fx, fy) && g.At(fx, fy).b[cbChar] == '0') {
            g.At(fx, fy).b[cbChar] = static_cast<uint8_t>(c);
            g.At(fx, fy).b[cbStyle] = style;
        }
    });
}

void MarkCells(Layers& g, const CellRange& range) {
    for (int y = range.firstRow; y <= range.lastRow; ++y)
        for (int x = range.firstColumn; x <= range.lastColumn; ++x) g.Mark(x, y, cbOverlay, 1);
}

void PlaceHold(RedrawState& r, Layers& g) {
    const PieceCells& p = *r.hold;
    r.holdLeft = r.w * r.size - p.width * r.size - r.size / 2;
    r.holdTop = r.size / 2;
    MarkCells(g, PixelRectToCells(r.metrics, r.holdLeft, r.holdTop, r.holdLeft + p.width * r.size,
                                  r.holdTop + p.height * r.size));
}

void PlaceTimed(RedrawState& r, Layers& g) {
    const int blockSize = r.metrics.blockSize;
    int height = r.timedTop;
    height += static_cast<int>(r.timed.size()) * (blockSize + 1);
    MarkCells(g, {1, 1, std::min(3, r.w), std::min(r.h, height / blockSize + 1)});
}

void PlaceTeamLabel(RedrawState& r, Layers& g) {
    const TextExtent e = Measure(r, r.client->TeamName);
    MarkCells(g, {1, 1, std::min(r.w, (e.width + 2) / r.size + 1),
                  std::min(r.h, (e.height + 2) / r.size + 1)});
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

// Rows left unmarked hold what was stored already.
void StoreGrid(RedrawState& r, Layers& g) {
    auto& stored = r.plr->CellLayerGrid;
    for (int y = 1; y <= r.h; ++y) {
        if (!g.RowMarked(y))
            continue;
        const TCellLayerRec* row = g.Row(y);
        TCellLayerRec* out = stored[static_cast<size_t>(y - 1)].data();
        for (int x = 0; x < r.w; ++x) {
            const TCellLayerRec& c = row[x];
            TCellLayerRec& s = out[x];
            s.b[cbChar] = c.b[cbChar];
            s.b[cbOverlay] = c.b[cbOverlay];
            s.b[cbRepaint] = s.b[cbCopy] = 0;
            s.b[cbStyle] = c.b[cbStyle];
            s.b[cbDark] = c.b[cbDark];
        }
    }
}

// Whether the game state shows a falling piece on the own field. A place far outside any
// field is not one (the engine keeps the piece in its field).
bool PiecePresent() {
    const tmegame& gs = ClientState.game;
    auto sane = [](int v) { return v >= -kMaxPieceOffset && v <= CellGridRows + kMaxPieceOffset; };
    return gs.PieceX != -1 && !gs.CurrentPiece.empty() && sane(gs.PieceX) && sane(gs.PieceY);
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
        TCellLayerRec* row = g.Row(y);
        const TCellLayerRec* was = stored[static_cast<size_t>(y - 1)].data();
        // A row that holds only its characters, as stored (nothing overlaid now or then, so
        // nothing to repaint, restore or overlay), is left alone: most rows of most fields.
        if (!r.full && plain[static_cast<size_t>(y - 1)] && !g.Touched(y)) {
            g.MarkRow(y, false);
            continue;
        }
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
    try {
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
    } catch (...) {
        AddLogLine("Error in redrawfield " + std::to_string(slot) + " " + std::to_string(full) +
                   " DATA: " + phase.Text());
    }
}

void InvalidateCellGrids() {
    for (tclient* c : SlotPlayers) {
        if (c && c->plr)
            c->plr->CellLayerGrid = {};
    }
}

}  // namespace pk
