#pragma once
// Small synthetic pictures for the pixel tests: sources whose every pixel differs, masks of
// both kinds, and a sheet that lays test panels out in one golden picture.
#include <cstdlib>
#include <vector>

#include "gfx/surface.h"

namespace pk::test {

// Every pixel differs from its neighbours and from the backgrounds below.
inline Surface16 Pattern(int w, int h, int seed = 0) {
    Surface16 s(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            s.setPixel(
                x, y,
                Rgb555((x * 4 + seed) & 31, (y * 4 + seed * 3) & 31, (31 - x - y + seed) & 31));
    return s;
}

// A two-colour checkerboard of 2x2 squares.
inline Surface16 Checker(int w, int h) {
    Surface16 s(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            s.setPixel(x, y, ((x / 2 + y / 2) % 2) ? Rgb555(24, 24, 24) : Rgb555(8, 8, 8));
    return s;
}

// A transparency mask: a black (opaque) diamond on white.
inline Mask MonoDiamond(int w, int h) {
    Mask m(w, h, true, 255);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (std::abs(2 * x + 1 - w) + std::abs(2 * y + 1 - h) <= w)
                m.setValue(x, y, 0);
    return m;
}

// The pattern blacked out where the mask is white, as a theme image for a transparency mask.
inline Surface16 MaskedImage(const Surface16& image, const Mask& mask) {
    Surface16 s = image;
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            if (mask.value(x, y) >= 128)
                s.setPixel(x, y, kBlack555);
    return s;
}

// An alpha map: 0 in the first column, rising to 255 at the last; the top row all 0.
inline Mask AlphaRamp(int w, int h) {
    Mask m(w, h, false, 0);
    for (int y = 1; y < h; ++y)
        for (int x = 0; x < w; ++x) m.setValue(x, y, static_cast<uint8_t>(x * 255 / (w - 1)));
    return m;
}

// Whether two surfaces differ only inside the rectangle.
inline bool SameOutside(const Surface16& a, const Surface16& b, const PixelRect& r) {
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const bool inside = x >= r.left && x < r.right() && y >= r.top && y < r.bottom();
            if (!inside && a.pixel(x, y) != b.pixel(x, y))
                return false;
        }
    return true;
}

}  // namespace pk::test
