#include "display/zrfieldlayers.h"

#include <algorithm>
#include <cstring>
#include <utility>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#endif

namespace pk::fieldlayers {

namespace {

constexpr int kMaxPieceOffset = 100;  // a piece string holds at most 99 x 99 cells

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

void MarkCells(Layers& g, const CellRange& range) {
    for (int y = range.firstRow; y <= range.lastRow; ++y)
        for (int x = range.firstColumn; x <= range.lastColumn; ++x) g.Mark(x, y, cbOverlay, 1);
}

}  // namespace

PieceCells ParsePiece(const TPieceString& piece) {
    PieceCells p;
    p.width = PieceWidth(piece);
    p.height = PieceHeight(piece);
    p.cells = piece.substr(4, static_cast<size_t>(p.width) * p.height);
    return p;
}

TextExtent Measure(RedrawState& r, const std::string& text) {
    return r.text ? r.text->Measure(text) : TextExtent{};
}

// For each row, whether the stored records hold just its field characters with every other
// byte 0, as a row no placement touches will: read from the stored grid and the field string.
namespace {

// Whether a stored row of w records holds just the characters, zeros after each.
bool PlainRow(const TCellLayerRec* was, const char* chars, int w) {
    uint32_t differs = 0;
    for (int x = 0; x < w; ++x) {
        const uint32_t ch = static_cast<uint8_t>(chars[x]);
        // As four bytes and two: the character in the first byte, zeros after it.
        uint32_t head = 0;
        uint16_t tail = 0;
        std::memcpy(&head, was[x].b, 4);
        std::memcpy(&tail, was[x].b + 4, 2);
        differs |= (head ^ ch) | tail;
    }
    return differs == 0;
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define PK_PLAIN_ROWS_AVX2 1
const bool kHasAvx2 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
}();

// The expected bytes of up to 16 records, 32 at a time: the shuffle places each record's
// character (lane-local, so both lanes hold the 16 characters) and zeros between.
struct PlainShuffles {
    alignas(32) int8_t index[3][32];
};
constexpr PlainShuffles MakePlainShuffles() {
    PlainShuffles t{};
    for (int k = 0; k < 3; ++k)
        for (int j = 0; j < 32; ++j) {
            const int at = 32 * k + j;
            t.index[k][j] = static_cast<int8_t>(at % 6 == 0 ? at / 6 : -128);
        }
    return t;
}
constexpr PlainShuffles kPlainShuffles = MakePlainShuffles();

// PlainRow for rows of up to 16 records whose 16 characters may be read; the stored row holds
// CellGridColumns records, so its first 96 bytes may be read whatever w is.
__attribute__((target("avx2"))) bool PlainRowAvx2(const TCellLayerRec* was, const char* chars,
                                                  int w) {
    static_assert(CellGridColumns * sizeof(TCellLayerRec) >= 96);
    const __m256i c =
        _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(chars)));
    const uint8_t* bytes = was[0].b;
    const int count = 6 * w;
    for (int k = 0; k < 3 && 32 * k < count; ++k) {
        const __m256i want = _mm256_shuffle_epi8(
            c, _mm256_load_si256(reinterpret_cast<const __m256i*>(kPlainShuffles.index[k])));
        const __m256i have = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + 32 * k));
        const uint32_t same =
            static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(want, have)));
        const int left = count - 32 * k;
        const uint32_t need = left >= 32 ? ~0u : (1u << left) - 1;
        if ((same & need) != need)
            return false;
    }
    return true;
}
#endif

}  // namespace

void PlainRows(RedrawState& r, std::array<bool, CellGridRows>& plain) {
    const std::string& field = r.plr->field;
    const int w = r.w, h = r.h;
    const size_t known = std::min(static_cast<size_t>(w) * h, field.size());
    const auto& stored = r.plr->CellLayerGrid;
    std::array<char, CellGridColumns> padded{};
    for (int y = 0; y < h; ++y) {
        const TCellLayerRec* was = stored[static_cast<size_t>(y)].data();
        const size_t first = static_cast<size_t>(y) * w;
        const char* chars = field.data() + std::min(first, field.size());
        if (first + static_cast<size_t>(w) > known) {
            // The field string ends in this row: the cells past it hold '0'.
            for (int x = 0; x < w; ++x) {
                const size_t i = first + static_cast<size_t>(x);
                padded[static_cast<size_t>(x)] = i < known ? field[i] : '0';
            }
            chars = padded.data();
        }
#if defined(PK_PLAIN_ROWS_AVX2)
        // Sixteen characters are read: from the field string while it holds them.
        if (kHasAvx2 && w <= 16 && chars != padded.data() && first + 16 <= field.size()) {
            plain[static_cast<size_t>(y)] = PlainRowAvx2(was, chars, w);
            continue;
        }
#endif
        plain[static_cast<size_t>(y)] = PlainRow(was, chars, w);
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

}  // namespace pk::fieldlayers
