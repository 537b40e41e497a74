// Alpha blending and darkening on 16-bit surfaces.
//
// The arithmetic is pinned, so that blended colours are the same on every machine: the weight
// a of the source and b = 1 - a of the destination are rounded to single precision; each 5-bit
// channel becomes Round(source * a + destination * b), the products and the sum formed exactly
// (double precision holds them) and rounded to nearest, ties to even.
//
// Clipping as for the copies (blit.h): the rectangle is cut to the destination's clip and to
// the parts the source and the alpha map cover; the source and alpha positions move with the
// cut. Alpha outside the alpha map counts as 0 (nothing drawn there).
#pragma once

#include <array>
#include <cmath>
#include <cstdint>

#include "gfx/surface.h"

namespace pk {

struct BlendSetting;

// Blends the source rectangle (source x, y; width by height) onto the destination at (x, y)
// through the alpha map read at (alpha x, alpha y); a negative alpha coordinate means the
// source's. For an alpha map, a pixel of value m is skipped when m is 0, else a = m / 255 *
// opacity. For a transparency mask (mono), it is skipped when m is 255, else a =
// (255 - m) / 255 * opacity, so black blends and white stays transparent. Opacity is taken
// within 0..1.
bool AlphaBlendBitmapFaded(Surface16& dst, int x, int y, float opacity, int ax, int ay, int sx,
                           int sy, const Mask& alpha, const Surface16& src, int height, int width);
// The same at full opacity: a = m / 255 for an alpha map.
bool AlphaBlendBitmap(Surface16& dst, int x, int y, int ax, int ay, int sx, int sy,
                      const Mask& alpha, const Surface16& src, int height, int width);
// The source rectangle blended at one opacity everywhere (an image without a mask).
bool BlendBitmap(Surface16& dst, int x, int y, float opacity, int sx, int sy, const Surface16& src,
                 int height, int width);

// Every channel of the rectangle becomes Round(channel * factor), ties to even; results past
// 31 stay 31. Factors are taken within 0..32.
bool DimRect(Surface16& dst, int x, int y, float factor, int height, int width);

// The weights of one blend call, by mask value. Used by the blends and the masked stretch.
// Results come from tables of all 32 x 32 channel pairs per weight, made from the arithmetic
// above on first use and kept per thread, so a blend costs three lookups per pixel.
class BlendWeights {
public:
    BlendWeights(float opacity, bool mono);

    // The destination pixel d with the source pixel s blended over it at mask value m.
    Pixel16 Blend(Pixel16 s, Pixel16 d, uint8_t m) const {
        if (m == skip_)
            return d;
        const uint8_t* t = tables_ ? tables_[m] : nullptr;
        if (!t) {
            t = TableFor(m);
            if (!t)
                return Mix(s, d, Weight(m));
        }
        return Rgb555(t[(Red555(s) << 5) | Red555(d)], t[(Green555(s) << 5) | Green555(d)],
                      t[(Blue555(s) << 5) | Blue555(d)]);
    }

    // Round(s * a + d * (1 - a)) per channel, with a and 1 - a in single precision.
    static Pixel16 Mix(Pixel16 s, Pixel16 d, float aSingle) {
        return Rgb555(MixChannel(Red555(s), Red555(d), aSingle),
                      MixChannel(Green555(s), Green555(d), aSingle),
                      MixChannel(Blue555(s), Blue555(d), aSingle));
    }
    static int MixChannel(int s, int d, float aSingle) {
        const double a = aSingle;
        const double b = static_cast<float>(1.0 - a);
        return static_cast<int>(std::lrint(s * a + d * b));
    }

    // The weight a of the source at mask value m.
    float Weight(uint8_t m) const {
        return static_cast<float>(kByteFraction[mono_ ? 255u - m : m] * opacity_);
    }

    // m / 255 in double precision, for m = 0..255.
    static constexpr std::array<double, 256> kByteFraction = [] {
        std::array<double, 256> t{};
        for (int m = 0; m < 256; ++m) t[static_cast<size_t>(m)] = m / 255.0;
        return t;
    }();

    // Blends a row of n pixels through n mask values: runs that leave the destination alone
    // are skipped, runs at full weight copied, the rest blended many at a time where the
    // machine can (blendfast.h) and looked up otherwise.
    void BlendRow(Pixel16* d, const Pixel16* s, const uint8_t* m, int n) const;
    // Blends a rectangle of rows (blendfast.h) with the vector kernel, where the machine has
    // one and the setting has blended enough pixels to pay for its tables; false when the
    // rectangle is left to the row routines.
    bool BlendRectFast(const struct BlendRect& rect, bool copyRuns) const;
    // Blends a row at mask value 255 throughout, as Blend does pixel by pixel (no copy run).
    void BlendRowUniform(Pixel16* d, const Pixel16* s, int n) const;

private:
    // Blend through the tables alone, also for the values that skip or copy.
    Pixel16 Lookup(Pixel16 s, Pixel16 d, uint8_t m) const {
        const uint8_t* t = tables_[m];
        if (!t)
            t = TableFor(m);
        if (!t)
            return Mix(s, d, Weight(m));
        return Rgb555(t[(Red555(s) << 5) | Red555(d)], t[(Green555(s) << 5) | Green555(d)],
                      t[(Blue555(s) << 5) | Blue555(d)]);
    }

    // Looks up (making it when needed) the table of mask value m; nullptr when the thread's
    // tables are full, and the arithmetic is used instead.
    const uint8_t* TableFor(uint8_t m) const;

    double opacity_;
    bool mono_;
    BlendSetting* setting_ = nullptr;   // this thread's cached state of the setting
    uint8_t skip_;                      // the value that leaves the destination alone
    int copy_ = -1;                     // the value whose weight is exactly 1, if any
    const uint8_t** tables_ = nullptr;  // by mask value, filled on first use
};

}  // namespace pk
