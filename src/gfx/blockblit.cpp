#include "gfx/blockblit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "gfx/blend.h"

namespace pk {

namespace {

bool FitsInt(int64_t v) {
    return v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max();
}
// Saturated to the int range: metrics come from theme files.
int Sat(int64_t v) {
    return static_cast<int>(
        std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}
bool FitsInt(double v) {
    return v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max();
}

// Where the tile of `cell` lies for a drawn size; false when there is nothing to draw.
bool TileSource(const ThemeTiles& rec, int size, char cell, int& sx, int& sy) {
    const int index = BlockTileIndex(cell);
    if (!rec.present || index < 0 || size <= 0)
        return false;
    const int64_t left = int64_t{index} * size;
    if (!FitsInt(left))
        return false;
    sx = static_cast<int>(left);
    sy = size == rec.metrics.smallBlockSize ? rec.metrics.blockSize : 0;
    return true;
}

}  // namespace

int BlockTileIndex(char cell) {
    // By byte value: every cell of every repaint asks.
    static constexpr std::array<int8_t, 256> kIndex = [] {
        std::array<int8_t, 256> t{};
        t.fill(-1);
        for (size_t i = 0; i < kBlockTileAlphabet.size(); ++i)
            t[static_cast<uint8_t>(kBlockTileAlphabet[i])] = static_cast<int8_t>(i);
        return t;
    }();
    return kIndex[static_cast<uint8_t>(cell)];
}

bool BlockTileRect(const BlockMetrics& m, bool large, char cell, PixelRect& out) {
    const int index = BlockTileIndex(cell);
    out = {};
    if (index < 0)
        return false;
    if (large) {
        out = {Sat(int64_t{index} * m.blockSize), 0, m.blockSize, m.blockSize};
    } else {
        out = {Sat(int64_t{index} * m.smallBlockSize), m.blockSize, m.smallBlockSize,
               m.smallBlockSize};
    }
    return true;
}

PixelRect CellBackgroundRect(const BlockMetrics& m, bool large, int x, int y) {
    const int64_t b = m.blockSize, s = m.smallBlockSize;
    if (large)
        return {Sat((int64_t{x} - 1) * b), Sat(b + s + (int64_t{y} - 1) * b), m.blockSize,
                m.blockSize};
    // Each term is within 2^62, so one of them saturated first keeps the sum in range.
    return {Sat(Sat(m.fieldWidth * b) + (int64_t{x} - 1) * s), Sat(b + s + (int64_t{y} - 1) * s),
            m.smallBlockSize, m.smallBlockSize};
}

CellRange PixelRectToCells(const BlockMetrics& m, int left, int top, int right, int bottom) {
    CellRange r;
    const int b = m.blockSize;
    if (b <= 0)
        return r;
    auto ceilDiv = [b](int v) { return static_cast<int>(std::ceil(static_cast<double>(v) / b)); };
    auto firstCell = [b](int v) { return Sat(std::max<int64_t>(1, int64_t{v} / b + 1)); };
    r.firstColumn = firstCell(left);
    r.firstRow = firstCell(top);
    r.lastColumn = std::min(m.fieldWidth, ceilDiv(right));
    r.lastRow = std::min(m.fieldHeight, ceilDiv(bottom));
    return r;
}

void DrawBlock(Surface16& dst, int x, int y, const ThemeTiles& rec, float opacity, int size,
               char cell) {
    int sx = 0, sy = 0;
    if (!TileSource(rec, size, cell, sx, sy))
        return;
    if (!rec.mask) {
        BitBlt(dst, x, y, size, size, rec.image, sx, sy, RasterOp::SrcCopy);
    } else if (opacity < 1.0f) {
        AlphaBlendBitmapFaded(dst, x, y, opacity, sx, sy, sx, sy, *rec.mask, rec.image, size, size);
    } else if (rec.mask->mono()) {
        MaskedBlt(dst, x, y, sy, sx, *rec.mask, rec.image, size, size);
    } else {
        AlphaBlendBitmap(dst, x, y, sx, sy, sx, sy, *rec.mask, rec.image, size, size);
    }
}

void DrawBlockOnto(Surface16& dst, int x, int y, const ThemeTiles& rec, const PixelRect& background,
                   float opacity, int size, char cell) {
    int sx = 0, sy = 0;
    if (rec.present && rec.mask && rec.mask->mono() && !(opacity < 1.0f) &&
        background.width == size && background.height == size &&
        TileSource(rec, size, cell, sx, sy) &&
        MaskedBltOnto(dst, x, y, size, size, rec.image, background.left, background.top, *rec.mask,
                      rec.image, sx, sy)) {
        return;
    }
    BitBlt(dst, x, y, background.width, background.height, rec.image, background.left,
           background.top, RasterOp::SrcCopy);
    DrawBlock(dst, x, y, rec, opacity, size, cell);
}

void DrawBlockScaled(Surface16& dst, int x, int y, const ThemeTiles& rec, int size, char cell,
                     int width, int height) {
    int sx = 0, sy = 0;
    if (!TileSource(rec, size, cell, sx, sy))
        return;
    if (!rec.mask) {
        StretchBlt(dst, x, y, width, height, rec.image, sx, sy, size, size, RasterOp::SrcCopy);
    } else if (rec.mask->mono()) {
        MaskedStretchBlt(dst, x, y, width, height, *rec.mask, rec.image, sx, sy, size, size);
    } else {
        AlphaBlendBitmap(dst, x, y, sx, sy, sx, sy, *rec.mask, rec.image, size, size);
    }
}

void BlitFieldPart(Surface16& dst, const PixelRect& element, const BlockMetrics& m, int size,
                   RasterOp op, const Surface16& src, int sx, int sy, int width, int height, int dx,
                   int dy) {
    const int64_t fieldW = int64_t{m.fieldWidth} * size;
    const int64_t fieldH = int64_t{m.fieldHeight} * size;
    int64_t x = int64_t{element.left} + dx;
    int64_t y = int64_t{element.top} + dy;
    if (element.width != fieldW || element.height != fieldH) {
        x += static_cast<int64_t>(std::trunc(element.width / 2.0 - fieldW / 2.0));
        y += static_cast<int64_t>(std::trunc(element.height / 2.0 - fieldH / 2.0));
    }
    if (!FitsInt(x) || !FitsInt(y))
        return;
    BitBlt(dst, static_cast<int>(x), static_cast<int>(y), width, height, src, sx, sy, op);
}

void StretchFieldPart(Surface16& dst, const PixelRect& element, const BlockMetrics& m, int size,
                      RasterOp op, const Surface16& src, int sx, int sy, int width, int height,
                      int dx, int dy) {
    const double fieldW = static_cast<double>(m.fieldWidth) * size;
    const double fieldH = static_cast<double>(m.fieldHeight) * size;
    if (!(fieldW > 0) || !(fieldH > 0))
        return;
    const double fx = element.width / fieldW;
    const double fy = element.height / fieldH;
    const double x0 = std::nearbyint(dx * fx);
    const double y0 = std::nearbyint(dy * fy);
    const double w = std::nearbyint((static_cast<double>(dx) + width) * fx) - x0;
    const double h = std::nearbyint((static_cast<double>(dy) + height) * fy) - y0;
    const double left = element.left + x0;
    const double top = element.top + y0;
    if (!FitsInt(left) || !FitsInt(top) || !FitsInt(w) || !FitsInt(h))
        return;
    StretchBlt(dst, static_cast<int>(left), static_cast<int>(top), static_cast<int>(w),
               static_cast<int>(h), src, sx, sy, width, height, op);
}

}  // namespace pk
