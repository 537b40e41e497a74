// Copies between surfaces and masks: plain and stretched copies with a raster operation, the
// masked copy of a theme image through its mask, fills and frames.
//
// Every call clips: the destination rectangle against the destination's clip rectangle, and
// against whatever part of it the source (and the mask) can fill. A pixel is drawn only where
// the destination, the source and the mask all have one; sizes of 0 or less draw nothing.
// The return value says whether any pixel was touched.
#pragma once

#include <cstdint>

#include "gfx/surface.h"

namespace pk {

// The raster operations the painters use, with their Windows codes.
enum class RasterOp : uint32_t {
    SrcCopy = 0x00CC0020,    // d = s
    SrcAnd = 0x008800C6,     // d = d & s
    SrcInvert = 0x00660046,  // d = d ^ s
};

bool BitBlt(Surface16& dst, int x, int y, int width, int height, const Surface16& src, int sx,
            int sy, RasterOp op = RasterOp::SrcCopy);

// Nearest-pixel stretch of the source rectangle over the destination rectangle. Source pixel j
// (0-based) covers the destination columns from Round(j * width / sourceWidth) up to
// Round((j + 1) * width / sourceWidth), rounded half to even, and the same for rows, so parts
// stretched side by side meet without gaps or overlaps.
bool StretchBlt(Surface16& dst, int x, int y, int width, int height, const Surface16& src, int sx,
                int sy, int sourceWidth, int sourceHeight, RasterOp op = RasterOp::SrcCopy);

// A mask used as the source of a raster operation: a transparency mask gives black (0x0000)
// where its value is below 128 and white (0x7FFF) elsewhere; an alpha map gives its value as a
// blue-only grey, as a 32-bit alpha bitmap would.
bool BitBlt(Surface16& dst, int x, int y, int width, int height, const Mask& src, int sx, int sy,
            RasterOp op);

// Mask to mask (the skin's work masks): values copied as they are.
bool CopyMask(Mask& dst, int x, int y, int width, int height, const Mask& src, int sx, int sy);
void FillMask(Mask& dst, const PixelRect& r, uint8_t value);

// The theme image through its mask, both read at (source x, source y). A transparency mask
// gives the classic two passes: the mask with SRCAND, then the image with SRCINVERT (so the
// image is expected black where the mask is white). An alpha map blends the image at its
// opacities instead (AlphaBlendBitmap).
bool MaskedBlt(Surface16& dst, int x, int y, int sy, int sx, const Mask& mask,
               const Surface16& image, int height, int width);
// In one pass, what copying `under` (read at under x, under y) to (x, y) and then MaskedBlt of
// the image through a transparency mask give: a tile over its background. Only for rectangles
// that lie wholly inside the destination's clip and the three sources; false, with nothing
// drawn, otherwise (the caller then takes the two passes).
bool MaskedBltOnto(Surface16& dst, int x, int y, int width, int height, const Surface16& under,
                   int ux, int uy, const Mask& mask, const Surface16& image, int sx, int sy);
// The same, stretched as StretchBlt stretches; an alpha map is stretched with the image.
bool MaskedStretchBlt(Surface16& dst, int x, int y, int width, int height, const Mask& mask,
                      const Surface16& image, int sx, int sy, int sourceWidth, int sourceHeight);

void FillRect(Surface16& dst, const PixelRect& r, Pixel16 colour);
// A one-pixel border just inside the rectangle.
void FrameRect(Surface16& dst, const PixelRect& r, Pixel16 colour);

// ---- shared by the copies and the blends

// A block of width x height pixels going to (x, y) from up to two sources, each read at its
// own position.
struct BlitArea {
    int x = 0, y = 0, width = 0, height = 0;
    int sx[2] = {0, 0};
    int sy[2] = {0, 0};
};
// Shrinks the block to the destination's clip and the given source bounds (nullptr: no such
// source), moving every position by the same cut. False when nothing is left.
bool ClipBlitArea(BlitArea& area, const PixelRect& clip, const PixelRect* source0,
                  const PixelRect* source1);

// The source offsets of a stretch along one axis: for each destination pixel from `first` (a
// 0-based offset inside the stretched span of `span` pixels) the source offset inside its
// span of `sourceSpan` pixels. Both spans above 0.
int StretchSourceOffset(int64_t i, int64_t span, int64_t sourceSpan);

}  // namespace pk
