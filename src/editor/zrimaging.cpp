#include "editor/zrimaging.h"

#include <algorithm>

#include "gfx/blend.h"
#include "gfx/blit.h"
#include "gfx/surfaceconv.h"
#include "klb/klblookup.h"

namespace pk {

namespace {

constexpr uint32_t kOpaqueBlack = 0xFF000000u;
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFFu;

uint32_t Widen555(uint32_t argb) {
    return Argb(ArgbTo555(argb));
}

bool Lighter(uint32_t argb) {
    return ((argb >> 16) & 0xFF) + ((argb >> 8) & 0xFF) + (argb & 0xFF) >= 384;
}

}  // namespace

DibBitmap ConvertPixelFormat(const DibBitmap& image, int bitsPerPixel) {
    DibBitmap out = image;
    if (bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32)
        return out;
    out.bitsPerPixel = bitsPerPixel;
    for (uint32_t& p : out.pixels) p = bitsPerPixel == 16 ? Widen555(p) : (p | kOpaqueBlack);
    return out;
}

bool SameColor(const DibBitmap& image, uint32_t pixel, uint32_t colorref) {
    const uint32_t r = colorref & 0xFF, g = (colorref >> 8) & 0xFF, b = (colorref >> 16) & 0xFF;
    if (image.bitsPerPixel == 16)
        return ArgbTo555(pixel) == ColorRefTo555(colorref);
    return (pixel & 0xFFFFFF) == (r << 16 | g << 8 | b);
}

DibBitmap MaskFromColor(const DibBitmap& image, uint32_t colorref) {
    DibBitmap mask(image.width, image.height, kOpaqueBlack, 1);
    for (size_t i = 0; i < image.pixels.size(); ++i)
        if (SameColor(image, image.pixels[i], colorref))
            mask.pixels[i] = kOpaqueWhite;
    return mask;
}

void ApplyColorMask(DibBitmap& image, uint32_t colorref) {
    for (uint32_t& p : image.pixels)
        if (SameColor(image, p, colorref))
            p = kOpaqueBlack;
}

DibBitmap InvertMonochrome(const DibBitmap& mask) {
    DibBitmap out = mask;
    out.bitsPerPixel = 1;
    for (uint32_t& p : out.pixels) p = Lighter(p) ? kOpaqueBlack : kOpaqueWhite;
    return out;
}

DibBitmap AlphaMaskToGreyscale(const DibBitmap& mask) {
    DibBitmap out = mask;
    out.bitsPerPixel = 8;
    for (uint32_t& p : out.pixels) {
        const uint32_t a = p & 0xFF;
        p = kOpaqueBlack | a << 16 | a << 8 | a;
    }
    return out;
}

bool AlphaBlendMasked(Surface16& dst, int x, int y, int maskRow, int maskCol, int srcRow,
                      int srcCol, const Mask& alpha, const Surface16& src, int height, int width) {
    if (x < 0 || y < 0 || width <= 0 || height <= 0 || int64_t{x} + width > dst.width() ||
        int64_t{y} + height > dst.height())
        return false;
    const bool ownPlace = maskRow < 0 || maskCol < 0;
    return AlphaBlendBitmap(dst, x, y, ownPlace ? srcCol : maskCol, ownPlace ? srcRow : maskRow,
                            srcCol, srcRow, alpha, src, height, width);
}

std::optional<DibBitmap> LoadLibraryBitmap(int32_t offset, int32_t size, const TZRC& e) {
    return LoadLibraryBitmap(e.SourceFile, offset, size);
}

std::optional<DibBitmap> EntryBitmap(const TZRC& e, bool mask) {
    const KlbKind k = e.kind();
    if (k != KlbKind::Main && k != KlbKind::Detail && k != KlbKind::Skin)
        return std::nullopt;
    if (mask && k == KlbKind::Detail)
        return std::nullopt;
    const std::string& held = mask ? e.entry.mask : e.entry.image;
    if (!held.empty())
        return DecodeBmp(held);
    if (k != KlbKind::Skin)
        return std::nullopt;
    const KlbPart& part = mask ? e.entry.maskPart : e.entry.imagePart;
    return LoadLibraryBitmap(part.offset, part.size, e);
}

bool DrawEntryImage(Surface16& target, int x, int y, EntryPart part, const TZRC& e, int sx, int sy,
                    int width, int height) {
    std::optional<DibBitmap> image = EntryBitmap(e, part == EntryPart::Mask);
    if (!image || image->empty())
        return false;
    const bool stretch = width > 0 && height > 0;
    if (part == EntryPart::Mask) {
        // As the file holds it: a monochrome mask black where transparent.
        const Surface16 shown =
            SurfaceFromDib(image->monochrome() ? InvertMonochrome(*image) : *image);
        return stretch ? StretchBlt(target, x, y, width, height, shown, sx, sy, shown.width(),
                                    shown.height())
                       : BitBlt(target, x, y, shown.width(), shown.height(), shown, sx, sy);
    }
    const Surface16 surface = SurfaceFromDib(*image);
    std::optional<DibBitmap> maskBitmap = EntryBitmap(e, true);
    const int w = stretch ? width : surface.width(), h = stretch ? height : surface.height();
    if (!maskBitmap || maskBitmap->empty())
        return stretch ? StretchBlt(target, x, y, w, h, surface, sx, sy, surface.width(),
                                    surface.height())
                       : BitBlt(target, x, y, w, h, surface, sx, sy);
    const Mask mask = MaskFromDib(*maskBitmap);
    if (stretch)
        return MaskedStretchBlt(target, x, y, w, h, mask, surface, sx, sy, surface.width(),
                                surface.height());
    if (mask.mono())
        return MaskedBlt(target, x, y, sy, sx, mask, surface, h, w);
    // The blend itself draws nothing that does not fit: cut the area to the
    // target first, moving the source with the cut.
    int cx = x, cy = y, csx = sx, csy = sy, cw = w, ch = h;
    if (cx < 0) {
        csx -= cx;
        cw += cx;
        cx = 0;
    }
    if (cy < 0) {
        csy -= cy;
        ch += cy;
        cy = 0;
    }
    cw = std::min(cw, target.width() - cx);
    ch = std::min(ch, target.height() - cy);
    return AlphaBlendMasked(target, cx, cy, -1, -1, csy, csx, mask, surface, ch, cw);
}

}  // namespace pk
