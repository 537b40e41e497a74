#include "gfx/blend.h"

#include <algorithm>

#include "gfx/blit.h"

namespace pk {

namespace {

// NaN and values below 0 give 0.
float Bounded(float v, float hi) {
    return v >= 0.0f ? std::min(v, hi) : 0.0f;
}

}  // namespace

BlendWeights::BlendWeights(float opacity, bool mono)
    : opacity_(Bounded(opacity, 1.0f)), mono_(mono), skip_(mono ? 255 : 0) {}

bool AlphaBlendBitmapFaded(Surface16& dst, int x, int y, float opacity, int ax, int ay, int sx,
                           int sy, const Mask& alpha, const Surface16& src, int height, int width) {
    BlitArea a{x, y, width, height, {sx, ax < 0 ? sx : ax}, {sy, ay < 0 ? sy : ay}};
    const PixelRect sb = src.bounds(), ab = alpha.bounds();
    if (!ClipBlitArea(a, dst.clip(), &sb, &ab))
        return false;
    const BlendWeights weights(opacity, alpha.mono());
    for (int r = 0; r < a.height; ++r) {
        Pixel16* d = dst.row(a.y + r) + a.x;
        const Pixel16* s = src.row(a.sy[0] + r) + a.sx[0];
        const uint8_t* m = alpha.row(a.sy[1] + r) + a.sx[1];
        for (int i = 0; i < a.width; ++i) d[i] = weights.Blend(s[i], d[i], m[i]);
    }
    return true;
}

bool AlphaBlendBitmap(Surface16& dst, int x, int y, int ax, int ay, int sx, int sy,
                      const Mask& alpha, const Surface16& src, int height, int width) {
    return AlphaBlendBitmapFaded(dst, x, y, 1.0f, ax, ay, sx, sy, alpha, src, height, width);
}

bool BlendBitmap(Surface16& dst, int x, int y, float opacity, int sx, int sy, const Surface16& src,
                 int height, int width) {
    BlitArea a{x, y, width, height, {sx, 0}, {sy, 0}};
    const PixelRect sb = src.bounds();
    if (!ClipBlitArea(a, dst.clip(), &sb, nullptr))
        return false;
    const float w = static_cast<float>(BlendWeights::kByteFraction[255] * Bounded(opacity, 1.0f));
    if (w == 0.0f)
        return true;
    for (int r = 0; r < a.height; ++r) {
        Pixel16* d = dst.row(a.y + r) + a.x;
        const Pixel16* s = src.row(a.sy[0] + r) + a.sx[0];
        for (int i = 0; i < a.width; ++i) d[i] = BlendWeights::Mix(s[i], d[i], w);
    }
    return true;
}

bool DimRect(Surface16& dst, int x, int y, float factor, int height, int width) {
    BlitArea a{x, y, width, height, {0, 0}, {0, 0}};
    if (!ClipBlitArea(a, dst.clip(), nullptr, nullptr))
        return false;
    const double f = Bounded(factor, 32.0f);
    auto dim = [f](int c) { return static_cast<int>(std::min<long>(std::lrint(c * f), 31)); };
    for (int r = 0; r < a.height; ++r) {
        Pixel16* d = dst.row(a.y + r) + a.x;
        for (int i = 0; i < a.width; ++i)
            d[i] = Rgb555(dim(Red555(d[i])), dim(Green555(d[i])), dim(Blue555(d[i])));
    }
    return true;
}

}  // namespace pk
