#include "gfx/tiling.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "gfx/blend.h"
#include "gfx/blit.h"

namespace pk {

namespace {

void CopyPiece(Surface16& dst, int x, int y, const Picture& p, const PixelRect& s) {
    if (!p.mask) {
        BitBlt(dst, x, y, s.width, s.height, *p.image, s.left, s.top);
    } else if (p.mask->mono()) {
        MaskedBlt(dst, x, y, s.top, s.left, *p.mask, *p.image, s.height, s.width);
    } else {
        AlphaBlendBitmap(dst, x, y, s.left, s.top, s.left, s.top, *p.mask, *p.image, s.height,
                         s.width);
    }
}

void StretchPiece(Surface16& dst, const PixelRect& d, const Picture& p, const PixelRect& s) {
    if (p.mask) {
        MaskedStretchBlt(dst, d.left, d.top, d.width, d.height, *p.mask, *p.image, s.left, s.top,
                         s.width, s.height);
    } else {
        StretchBlt(dst, d.left, d.top, d.width, d.height, *p.image, s.left, s.top, s.width,
                   s.height);
    }
}

// The tile indices along one axis that meet the visible span [visLo, visHi) of a destination
// starting at `origin`, tiles `step` apart.
struct TileSpan {
    int64_t first = 0;
    int64_t last = -1;
};

TileSpan VisibleTiles(int64_t origin, int64_t visLo, int64_t visHi, int64_t step) {
    TileSpan t;
    if (visHi <= visLo || step <= 0)
        return t;
    t.first = (visLo - origin) / step;
    t.last = (visHi - 1 - origin) / step;
    return t;
}

}  // namespace

void FillWithPicture(Surface16& dst, const PixelRect& dest, const Picture& picture,
                     const PixelRect& source, FillMode mode) {
    if (!picture.image || dest.empty())
        return;
    const PixelRect src = Intersect(source, picture.image->bounds());
    if (src.empty())
        return;
    ClipGuard guard(dst, dest);
    const PixelRect vis = dst.clip();
    if (vis.empty())
        return;
    if (mode.stretchX && mode.stretchY) {
        StretchPiece(dst, dest, picture, src);
        return;
    }
    // A stretched axis is one span of the whole destination; a tiled one steps by the source.
    const TileSpan cols =
        mode.stretchX ? TileSpan{0, 0} : VisibleTiles(dest.left, vis.left, vis.right(), src.width);
    const TileSpan rows =
        mode.stretchY ? TileSpan{0, 0} : VisibleTiles(dest.top, vis.top, vis.bottom(), src.height);
    for (int64_t ty = rows.first; ty <= rows.last; ++ty) {
        const int y = static_cast<int>(dest.top + ty * src.height);
        for (int64_t tx = cols.first; tx <= cols.last; ++tx) {
            const int x = static_cast<int>(dest.left + tx * src.width);
            if (!mode.stretchX && !mode.stretchY) {
                CopyPiece(dst, x, y, picture, src);
                continue;
            }
            const PixelRect piece{x, y, mode.stretchX ? dest.width : src.width,
                                  mode.stretchY ? dest.height : src.height};
            StretchPiece(dst, piece, picture, src);
        }
    }
}

SliceBands ClampBands(SliceBands b, int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    b.left = std::clamp(b.left, 0, width);
    b.right = std::clamp(b.right, 0, width - b.left);
    b.top = std::clamp(b.top, 0, height);
    b.bottom = std::clamp(b.bottom, 0, height - b.top);
    return b;
}

void DrawNineSlice(Surface16& dst, const PixelRect& dest, const Picture& picture, SliceBands bands,
                   FillMode centre) {
    if (!picture.image || picture.image->empty() || dest.empty())
        return;
    const int w = picture.image->width();
    const int h = picture.image->height();
    const SliceBands b = ClampBands(bands, w, h);
    ClipGuard guard(dst, dest);
    if (dst.clip().empty())
        return;
    const int midW = w - b.left - b.right;  // the source's middle column and row
    const int midH = h - b.top - b.bottom;
    // Inner sizes in 64 bits: a destination near the int range must not wrap.
    const int64_t innerW = int64_t{dest.width} - b.left - b.right;
    const int64_t innerH = int64_t{dest.height} - b.top - b.bottom;
    const int64_t rightX = dest.right() - b.right;
    const int64_t bottomY = dest.bottom() - b.bottom;
    auto piece = [&](int64_t x, int64_t y, int64_t dw, int64_t dh, PixelRect src, FillMode m) {
        constexpr int64_t lo = std::numeric_limits<int>::min();
        constexpr int64_t hi = std::numeric_limits<int>::max();
        if (dw <= 0 || dh <= 0 || src.empty() || x < lo || y < lo || x + dw > hi || y + dh > hi)
            return;
        FillWithPicture(
            dst,
            {static_cast<int>(x), static_cast<int>(y), static_cast<int>(dw), static_cast<int>(dh)},
            picture, src, m);
    };
    const FillMode tiled{};
    // Corners, unscaled (one tile each).
    piece(dest.left, dest.top, b.left, b.top, {0, 0, b.left, b.top}, tiled);
    piece(rightX, dest.top, b.right, b.top, {w - b.right, 0, b.right, b.top}, tiled);
    piece(dest.left, bottomY, b.left, b.bottom, {0, h - b.bottom, b.left, b.bottom}, tiled);
    piece(rightX, bottomY, b.right, b.bottom, {w - b.right, h - b.bottom, b.right, b.bottom},
          tiled);
    // Edges, tiled along their length.
    piece(dest.left + b.left, dest.top, innerW, b.top, {b.left, 0, midW, b.top}, tiled);
    piece(dest.left + b.left, bottomY, innerW, b.bottom, {b.left, h - b.bottom, midW, b.bottom},
          tiled);
    piece(dest.left, dest.top + b.top, b.left, innerH, {0, b.top, b.left, midH}, tiled);
    piece(rightX, dest.top + b.top, b.right, innerH, {w - b.right, b.top, b.right, midH}, tiled);
    // Centre.
    piece(dest.left + b.left, dest.top + b.top, innerW, innerH, {b.left, b.top, midW, midH},
          centre);
}

}  // namespace pk
