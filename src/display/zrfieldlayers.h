#pragma once
// The cell layers of one field redraw (the painter's side of zrfieldpaint.h): the working grid
// of cell records, and the placements that fill it from the game state before anything is
// drawn: the falling piece, the darkness, the ghost, and the cells under the hold piece, the
// timed-effect icons and the team label; then what the redraw leaves stored for the next one.
// The painter (zrfieldpaint.cpp) compares the grid with the stored one and draws the difference.
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "game/zrfield.h"
#include "game/zrgame.h"
#include "game/zrtimedsb.h"
#include "gfx/blockblit.h"
#include "gfx/surface.h"
#include "gfx/text.h"

namespace pk::fieldlayers {

// Cell record bytes.
enum CellByte { cbChar = 0, cbOverlay = 1, cbRepaint = 2, cbCopy = 3, cbStyle = 4, cbDark = 5 };

// The options in force for one redraw.
struct PaintOptions {
    bool animdrop = false;
    bool showshadow = false;
    int shadowoption = 1;
    bool usealpha = true;
    bool resizefields = false;
    bool holdPieceElement = false;
};

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

PieceCells ParsePiece(const TPieceString& piece);

template <class F>
void ForEachCell(const PieceCells& p, F&& f) {
    for (int y = 1; y <= p.height; ++y) {
        for (int x = 1; x <= p.width; ++x) {
            if (p.At(x, y) != '0')
                f(x, y, p.At(x, y));
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

TextExtent Measure(RedrawState& r, const std::string& text);

// For each row, whether the stored records hold just its field characters with every other
// byte 0, as a row no placement touches will: read from the stored grid and the field string.
void PlainRows(RedrawState& r, std::array<bool, CellGridRows>& plain);
// Whether the game state shows a falling piece on the own field.
bool PiecePresent();
// The placements, each marking the cells it covers.
void PlacePiece(RedrawState& r, Layers& g);
void Darken(RedrawState& r, Layers& g);
void PlaceShadow(RedrawState& r, Layers& g);
void PlaceHold(RedrawState& r, Layers& g);  // sets r.holdLeft, r.holdTop
void PlaceTimed(RedrawState& r, Layers& g);
void PlaceTeamLabel(RedrawState& r, Layers& g);
// After the redraw: the marked rows' records become the stored ones.
void StoreGrid(RedrawState& r, Layers& g);

}  // namespace pk::fieldlayers
