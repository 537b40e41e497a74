// Block tiles and field backgrounds cut out of a theme's main bitmap, and the copies of field
// parts into a window.
//
// Main bitmap layout, in pixels, for large block size B, small block size S, a field of W by H
// cells and tile index i (a cell character's position in BlockAlphabet):
//   large tile strip:         y from 0, height B; tile i at x = i*B, B by B;
//   small tile strip:         y from B, height S; tile i at x = i*S, S by S;
//   large field background:   from (0, B+S), W*B by H*B;
//   small field background:   from (W*B, B+S), W*S by H*S.
// The mask, when there is one, has the same layout (see surface.h for the two kinds of mask).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "gfx/blit.h"
#include "gfx/surface.h"

namespace pk {

// The cell characters that have a block tile, in tile order.
inline constexpr std::string_view kBlockTileAlphabet = "12345acnrsbgqovidfm";

// A cell character's tile index, or -1 for a character without a tile (the empty cell "0" and
// anything else outside the alphabet).
int BlockTileIndex(char cell);

struct BlockMetrics {
    int blockSize = 16;      // B, the big field's cells
    int smallBlockSize = 8;  // S, the other fields' cells
    int fieldWidth = 12;     // W in cells
    int fieldHeight = 22;    // H in cells
};

// What the block blits read of the selected theme: its main bitmap's image and mask as
// surfaces, and the metrics the bitmap is laid out by. `present` is false while no theme is
// loaded, and then nothing is drawn.
struct ThemeTiles {
    bool present = false;
    BlockMetrics metrics;
    Surface16 image;
    std::optional<Mask> mask;
};

// The tile of a cell character, left, top, width, height; false (and an empty rectangle) for
// a character without a tile.
bool BlockTileRect(const BlockMetrics& m, bool large, char cell, PixelRect& out);
// The background under cell (x, y), 1-based, of the large or the small field background.
PixelRect CellBackgroundRect(const BlockMetrics& m, bool large, int x, int y);

// Inclusive 1-based cell range; empty when first > last.
struct CellRange {
    int firstColumn = 1, firstRow = 1, lastColumn = 0, lastRow = 0;
    bool empty() const { return firstColumn > lastColumn || firstRow > lastRow; }
};
// The cells of the big field (block size B) that a pixel rectangle touches, given by its
// left, top, right and bottom edges.
CellRange PixelRectToCells(const BlockMetrics& m, int left, int top, int right, int bottom);

// One tile at (x, y), `size` pixels square, at x = tile index * size of the small strip when
// `size` is the theme's small block size and of the large strip otherwise (so a theme whose two
// sizes are equal draws every tile from its small strip). Without a mask the tile is copied
// whatever the opacity: the opacity is how much of the tile the mask lets through. With a
// mask: blended through it at the opacity when that is below 1; else copied through a
// transparency mask or blended through an alpha map. A cell without a tile draws nothing.
void DrawBlock(Surface16& dst, int x, int y, const ThemeTiles& rec, float opacity, int size,
               char cell);
// The background rectangle copied to (x, y), then the tile over it: the same pixels as BitBlt of
// the background and DrawBlock, in one pass where a transparency mask allows.
void DrawBlockOnto(Surface16& dst, int x, int y, const ThemeTiles& rec, const PixelRect& background,
                   float opacity, int size, char cell);
// The same tile stretched into width by height pixels at (x, y). Through an alpha map the
// tile is blended at its own size, not stretched.
void DrawBlockScaled(Surface16& dst, int x, int y, const ThemeTiles& rec, int size, char cell,
                     int width, int height);

// Copies width by height pixels of a field surface, read at (source x, source y), into an
// element rectangle at (left + dx, top + dy), where (dx, dy) is the part's offset inside the
// field. A field of W*size by H*size that does not fill the element exactly is centred in it.
void BlitFieldPart(Surface16& dst, const PixelRect& element, const BlockMetrics& m, int size,
                   RasterOp op, const Surface16& src, int sx, int sy, int width, int height, int dx,
                   int dy);
// The same part, with the field scaled to the element's size; edges are rounded half to even
// so that parts drawn side by side meet without gaps.
void StretchFieldPart(Surface16& dst, const PixelRect& element, const BlockMetrics& m, int size,
                      RasterOp op, const Surface16& src, int sx, int sy, int width, int height,
                      int dx, int dy);

}  // namespace pk
