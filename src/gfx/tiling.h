// Pictures that fill a rectangle larger or smaller than themselves: tiled, stretched, or cut
// into a nine-slice frame. The skin painter and the editor's skin preview draw element images
// with these.
//
// Every copy goes through the picture's mask when there is one (a transparency mask gives the
// two-pass masked copy, an alpha map a blend; surface.h tells the two apart) and is opaque
// without. Everything is clipped to the destination rectangle and the surface's clip, and the
// tile loops only visit the tiles that meet the clip, so a huge rectangle costs no more than
// what is visible. Source pieces or destinations of 0 or less pixels draw nothing.
#pragma once

#include "gfx/surface.h"

namespace pk {

// Per direction: tiled from the rectangle's top-left corner (the last tile cut at the edge), or
// one copy stretched across.
struct FillMode {
    bool stretchX = false;
    bool stretchY = false;
};

// One picture: the image and, when it has one, its mask (read at the same coordinates).
struct Picture {
    const Surface16* image = nullptr;
    const Mask* mask = nullptr;
};

// The part `source` of the picture fills `dest`.
void FillWithPicture(Surface16& dst, const PixelRect& dest, const Picture& picture,
                     const PixelRect& source, FillMode mode);

// Band widths of a nine-slice picture, in pixels.
struct SliceBands {
    int left = 5;
    int top = 5;
    int right = 5;
    int bottom = 5;
    bool operator==(const SliceBands&) const = default;
};

// The bands as they apply to an image of width x height: negative bands count as 0, a band
// is at most the image's size, and the right (bottom) band gives way so that left + right
// (top + bottom) never exceeds it.
SliceBands ClampBands(SliceBands bands, int width, int height);

// Nine-slice drawing. The picture is cut by the bands (after ClampBands):
//
//        left        middle        right
//      +------+------------------+------+
//  top |  TL  |       top        |  TR  |
//      +------+------------------+------+
//      | left |      centre      | right|
//      +------+------------------+------+
//  bot |  BL  |      bottom      |  BR  |
//      +------+------------------+------+
//
// The corners go unscaled to the corners of `dest`; the top and bottom edges are tiled across
// the width between the corners, the left and right edges down the height; the centre fills
// the inner rectangle by `centre`. Pieces that come out empty are skipped; when `dest` is
// smaller than the bands the corners overlap and are cut at its edges.
void DrawNineSlice(Surface16& dst, const PixelRect& dest, const Picture& picture, SliceBands bands,
                   FillMode centre);

}  // namespace pk
