// Surfaces and masks to and from DibBitmap, the pixel type the theme libraries and the BMP
// codec use.
#pragma once

#include "gfx/dib.h"
#include "gfx/surface.h"

namespace pk {

// Each channel keeps its top 5 bits; alpha is dropped.
Surface16 SurfaceFromDib(const DibBitmap& image);
// 24 bits per pixel, each channel widened to 0..255 (31 becomes 255).
DibBitmap DibFromSurface(const Surface16& surface);

// A 1-bit picture gives a transparency mask: a pixel lighter than mid-grey (red + green + blue
// of 384 or more) is white, transparent (255), any other black, opaque (0). Any other depth
// gives an alpha map of each pixel's blue byte.
Mask MaskFromDib(const DibBitmap& image);
// A transparency mask as a 1-bit black and white picture; an alpha map as a 32-bit picture with
// the value in its blue byte and the rest zero.
DibBitmap DibFromMask(const Mask& mask);

}  // namespace pk
