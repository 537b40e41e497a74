// The editor's imaging: converting images to the formats it holds them in,
// masks from a transparent colour and between their file and memory forms,
// the masked and alpha-blended copies, and an entry's picture on a page.
//
// Mask forms: a monochrome (1-bit) mask is held in memory white where the
// image is transparent and black where it is opaque, the image black under
// its transparent pixels; mask files are the other way round (black
// transparent). An alpha mask is held at 32 bits per pixel with the opacity
// in the first (blue) byte of each pixel, and stored in files as an 8-bit
// greyscale picture.
#pragma once

#include <cstdint>
#include <optional>

#include "editor/zrdoc.h"
#include "gfx/dib.h"
#include "gfx/surface.h"

namespace pk {

// Formats the editor converts to: main and special-block images 16 bits,
// skin images 24, alpha masks 32, images saved to files 24.
inline constexpr int kMainImageDepth = 16;
inline constexpr int kSkinImageDepth = 24;
inline constexpr int kAlphaMaskDepth = 32;
inline constexpr int kSavedImageDepth = 24;

// The same picture in a format of 16, 24 or 32 bits per pixel; at 16 bits
// each channel keeps its top five bits. Other depths give the picture
// unchanged.
DibBitmap ConvertPixelFormat(const DibBitmap& image, int bitsPerPixel);

// Whether a pixel has the colour 0x00BBGGRR, compared as the image holds its
// colours: in five bits per channel for a 16-bit image, exactly otherwise.
bool SameColor(const DibBitmap& image, uint32_t pixel, uint32_t colorref);
// A monochrome mask of the image: white where it has the colour, black
// elsewhere.
DibBitmap MaskFromColor(const DibBitmap& image, uint32_t colorref);
// Blackens every pixel of the colour.
void ApplyColorMask(DibBitmap& image, uint32_t colorref);

// A monochrome picture with black and white swapped (a pixel counts as white
// when lighter than mid-grey): the step between file and memory form.
DibBitmap InvertMonochrome(const DibBitmap& mask);
// An alpha mask as an 8-bit greyscale picture of its first bytes.
DibBitmap AlphaMaskToGreyscale(const DibBitmap& mask);

// Blends `width` x `height` pixels of the source, read at (source column,
// source row), onto the destination at (x, y) through the alpha mask, read at
// (mask column, mask row) or, when either is negative, at the source's
// position. Nothing is drawn when x or y is negative or the area does not fit
// in the destination. Reads outside the source or the mask draw nothing there.
bool AlphaBlendMasked(Surface16& dst, int x, int y, int maskRow, int maskCol, int srcRow,
                      int srcCol, const Mask& alpha, const Surface16& src, int height, int width);

// A stored bitmap of an entry read from its source file: nullopt when the
// offset or size is not positive or the bytes are not a bitmap.
std::optional<DibBitmap> LoadLibraryBitmap(int32_t offset, int32_t size, const TZRC& e);
// The image or the mask of a main bitmap, special-block bitmap or skin
// element, from memory or its source file.
std::optional<DibBitmap> EntryBitmap(const TZRC& e, bool mask);

enum class EntryPart { Image, Mask };
// Draws an entry's image through its mask (a monochrome mask with the
// two-pass masked copy, an alpha mask blended, clipped to the target) or its
// mask alone as the file shows it, with its top-left source pixel at
// (sx, sy) going to (x, y). A width and height above 0 stretch the picture
// to that size. False when the entry has no such picture.
bool DrawEntryImage(Surface16& target, int x, int y, EntryPart part, const TZRC& e, int sx = 0,
                    int sy = 0, int width = 0, int height = 0);

}  // namespace pk
