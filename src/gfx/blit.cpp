#include "gfx/blit.h"

#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "gfx/blend.h"

namespace pk {

namespace {

// Half-even rounding of num / den for num >= 0, den > 0.
int64_t DivRoundHalfEven(int64_t num, int64_t den) {
    const int64_t q = num / den;
    const int64_t r2 = (num % den) * 2;
    if (r2 > den || (r2 == den && (q & 1)))
        return q + 1;
    return q;
}

int64_t StretchEdge(int64_t j, int64_t span, int64_t sourceSpan) {
    return DivRoundHalfEven(j * span, sourceSpan);
}

// A row copy. Cells are short rows (8 to 32 pixels) copied by the thousand in a repaint, where
// a library call per row costs more than the copy itself.
inline void CopyRow(Pixel16* d, const Pixel16* s, int n) {
#if defined(__SSE2__)
    if (n <= 256) {
        int i = 0;
        for (; i + 8 <= n; i += 8)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)));
        for (; i < n; ++i) d[i] = s[i];
        return;
    }
#endif
    std::memmove(d, s, static_cast<size_t>(n) * sizeof(Pixel16));
}

// d = (u AND keep) XOR s, where keep is white for a transparency mask's values of 128 and
// above and black below: the image's pixels over u where the mask is black.
inline void MonoMaskRowOnto(Pixel16* d, const Pixel16* u, const Pixel16* s, const uint8_t* m,
                            int n) {
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128(), white = _mm_set1_epi16(kWhite555);
    for (; i + 8 <= n; i += 8) {
        const __m128i mv =
            _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(m + i)), zero);
        const __m128i keep = _mm_and_si128(_mm_srai_epi16(_mm_slli_epi16(mv, 8), 15), white);
        const __m128i uv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(u + i));
        const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i),
                         _mm_xor_si128(_mm_and_si128(uv, keep), sv));
    }
#endif
    for (; i < n; ++i)
        d[i] = static_cast<Pixel16>(
            (u[i] & static_cast<Pixel16>(-static_cast<int>(m[i] >> 7) & kWhite555)) ^ s[i]);
}

// The same over the destination itself (u = d: each pixel is read before it is written).
inline void MonoMaskRow(Pixel16* d, const Pixel16* s, const uint8_t* m, int n) {
    MonoMaskRowOnto(d, d, s, m, n);
}

// A rectangle of MonoMaskRowOnto rows; strides in elements.
struct OntoRows {
    Pixel16* d;
    std::ptrdiff_t dStride;
    const Pixel16* u;
    std::ptrdiff_t uStride;
    const Pixel16* s;
    std::ptrdiff_t sStride;
    const uint8_t* m;
    std::ptrdiff_t mStride;
    int width;
    int height;
};

void MaskOntoRowsPortable(const OntoRows& r) {
    for (int y = 0; y < r.height; ++y)
        MonoMaskRowOnto(r.d + y * r.dStride, r.u + y * r.uStride, r.s + y * r.sStride,
                        r.m + y * r.mStride, r.width);
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define PK_HAS_AVX2_ROWS 1
// Sixteen pixels a step: a large cell's row at once.
__attribute__((target("avx2"))) void MaskOntoRowsAvx2(const OntoRows& rows) {
    // Held in locals: the vector stores may alias anything, the row description included.
    const OntoRows r = rows;
    const __m256i white = _mm256_set1_epi16(kWhite555);
    Pixel16* d = r.d;
    const Pixel16* u = r.u;
    const Pixel16* s = r.s;
    const uint8_t* m = r.m;
    // A mask byte of 128 and above, sign-extended and shifted, keeps the pixel under.
    const auto step = [white](Pixel16 * dp, const Pixel16* up, const Pixel16* sp, const uint8_t* mp)
        __attribute__((target("avx2"))) {
        const __m256i keep = _mm256_and_si256(
            _mm256_srai_epi16(
                _mm256_cvtepi8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(mp))), 15),
            white);
        const __m256i uv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(up));
        const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sp));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dp),
                            _mm256_xor_si256(_mm256_and_si256(uv, keep), sv));
    };
    if (r.width == 16) {
        // A large cell: one step a row.
        for (int y = 0; y < r.height;
             ++y, d += r.dStride, u += r.uStride, s += r.sStride, m += r.mStride)
            step(d, u, s, m);
        return;
    }
    for (int y = 0; y < r.height;
         ++y, d += r.dStride, u += r.uStride, s += r.sStride, m += r.mStride) {
        int i = 0;
        for (; i + 16 <= r.width; i += 16) step(d + i, u + i, s + i, m + i);
        if (i < r.width)
            MonoMaskRowOnto(d + i, u + i, s + i, m + i, r.width - i);
    }
}
#endif

#if defined(PK_HAS_AVX2_ROWS)
// Rows of a copy, 16 pixels a step.
__attribute__((target("avx2"))) void CopyRowsAvx2(Pixel16* d, std::ptrdiff_t dStride,
                                                  const Pixel16* s, std::ptrdiff_t sStride,
                                                  int width, int height) {
    for (int y = 0; y < height; ++y, d += dStride, s += sStride) {
        int i = 0;
        for (; i + 16 <= width; i += 16)
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i),
                                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i)));
        CopyRow(d + i, s + i, width - i);
    }
}
#endif

#if defined(PK_HAS_AVX2_ROWS)
// Read once at start-up, so that the row routines ask a plain flag.
const bool kHasAvx2 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
}();
#endif

bool HasAvx2() {
#if defined(PK_HAS_AVX2_ROWS)
    return kHasAvx2;
#else
    return false;
#endif
}

// Copies rows that do not overlap; strides in elements.
void CopyRows(Pixel16* d, std::ptrdiff_t dStride, const Pixel16* s, std::ptrdiff_t sStride,
              int width, int height) {
#if defined(PK_HAS_AVX2_ROWS)
    if (width <= 256 && HasAvx2())
        return CopyRowsAvx2(d, dStride, s, sStride, width, height);
#endif
    for (int y = 0; y < height; ++y) CopyRow(d + y * dStride, s + y * sStride, width);
}

void MaskOntoRows(const OntoRows& r) {
#if defined(PK_HAS_AVX2_ROWS)
    if (HasAvx2())
        return MaskOntoRowsAvx2(r);
#endif
    MaskOntoRowsPortable(r);
}

bool Contains(const PixelRect& outer, int x, int y, int width, int height) {
    return x >= outer.left && y >= outer.top && int64_t{x} + width <= outer.right() &&
           int64_t{y} + height <= outer.bottom();
}

void ApplyRow(Pixel16* d, const Pixel16* s, int n, RasterOp op) {
    switch (op) {
        case RasterOp::SrcCopy:
            CopyRow(d, s, n);
            break;
        case RasterOp::SrcAnd:
            for (int i = 0; i < n; ++i) d[i] &= s[i];
            break;
        case RasterOp::SrcInvert:
            for (int i = 0; i < n; ++i) d[i] ^= s[i];
            break;
    }
}

Pixel16 Apply(Pixel16 d, Pixel16 s, RasterOp op) {
    switch (op) {
        case RasterOp::SrcCopy:
            return s;
        case RasterOp::SrcAnd:
            return d & s;
        case RasterOp::SrcInvert:
            return d ^ s;
    }
    return d;
}

// A transparency mask's value as the AND pass sees it: black (0) below 128, else white.
Pixel16 MonoKeep(uint8_t v) {
    return static_cast<Pixel16>(-static_cast<int>(v >> 7) & kWhite555);
}

Pixel16 MaskColour(const Mask& m, uint8_t v) {
    if (m.mono())
        return MonoKeep(v);
    return Rgb555(v >> 3, v >> 3, v >> 3);
}

// One axis of a stretch: destination offsets (inside the clip) paired with source offsets
// (inside the source bounds).
struct AxisMap {
    int first = 0;            // first destination coordinate drawn
    std::vector<int> source;  // source coordinate of each destination coordinate from `first`
};

// Destination span [pos, pos + span) clipped to [clipLo, clipHi), the source span
// [spos, spos + sourceSpan) to [0, sourceSize). Destination pixels whose source pixel lies
// outside are dropped from the ends (the map is monotonic, so they only occur there).
bool MapAxis(int pos, int span, int64_t clipLo, int64_t clipHi, int spos, int sourceSpan,
             int sourceSize, AxisMap& out) {
    if (span <= 0 || sourceSpan <= 0)
        return false;
    const int64_t lo = std::max<int64_t>(0, clipLo - pos);
    const int64_t hi = std::min<int64_t>(span, clipHi - pos);
    out.source.clear();
    bool started = false;
    for (int64_t i = lo; i < hi; ++i) {
        const int64_t s = int64_t{spos} + StretchSourceOffset(i, span, sourceSpan);
        if (s < 0 || s >= sourceSize) {
            if (started)
                break;
            continue;
        }
        if (!started) {
            out.first = static_cast<int>(pos + i);
            started = true;
        }
        out.source.push_back(static_cast<int>(s));
    }
    return !out.source.empty();
}

}  // namespace

int StretchSourceOffset(int64_t i, int64_t span, int64_t sourceSpan) {
    using Wide = __int128;
    int64_t j = static_cast<int64_t>((Wide{2} * i + 1) * sourceSpan / (Wide{2} * span));
    j = std::clamp<int64_t>(j, 0, sourceSpan - 1);
    while (j > 0 && StretchEdge(j, span, sourceSpan) > i) --j;
    while (j + 1 < sourceSpan && StretchEdge(j + 1, span, sourceSpan) <= i) ++j;
    return static_cast<int>(j);
}

bool ClipBlitArea(BlitArea& a, const PixelRect& clip, const PixelRect* source0,
                  const PixelRect* source1) {
    PixelRect r = Intersect({a.x, a.y, a.width, a.height}, clip);
    const PixelRect* sources[2] = {source0, source1};
    for (int k = 0; k < 2; ++k) {
        if (!sources[k])
            continue;
        // Where in the destination this source has pixels.
        const int64_t left = int64_t{sources[k]->left} + a.x - a.sx[k];
        const int64_t top = int64_t{sources[k]->top} + a.y - a.sy[k];
        const int64_t right = left + sources[k]->width;
        const int64_t bottom = top + sources[k]->height;
        const int64_t l = std::max<int64_t>(r.left, left);
        const int64_t t = std::max<int64_t>(r.top, top);
        const int64_t rr = std::min<int64_t>(r.right(), right);
        const int64_t b = std::min<int64_t>(r.bottom(), bottom);
        if (rr <= l || b <= t)
            return false;
        r = {static_cast<int>(l), static_cast<int>(t), static_cast<int>(rr - l),
             static_cast<int>(b - t)};
    }
    if (r.empty())
        return false;
    for (int k = 0; k < 2; ++k) {
        a.sx[k] = static_cast<int>(a.sx[k] + (int64_t{r.left} - a.x));
        a.sy[k] = static_cast<int>(a.sy[k] + (int64_t{r.top} - a.y));
    }
    a.x = r.left;
    a.y = r.top;
    a.width = r.width;
    a.height = r.height;
    return true;
}

bool BitBlt(Surface16& dst, int x, int y, int width, int height, const Surface16& src, int sx,
            int sy, RasterOp op) {
    BlitArea a{x, y, width, height, {sx, 0}, {sy, 0}};
    const PixelRect sb = src.bounds();
    if (!ClipBlitArea(a, dst.clip(), &sb, nullptr))
        return false;
    if (&dst == &src && op == RasterOp::SrcCopy) {
        // Overlapping copy within one surface: go through a copy of the rows.
        Surface16 tmp(a.width, a.height);
        BitBlt(tmp, 0, 0, a.width, a.height, src, a.sx[0], a.sy[0]);
        for (int r = 0; r < a.height; ++r)
            ApplyRow(dst.row(a.y + r) + a.x, tmp.row(r), a.width, op);
        return true;
    }
    if (op == RasterOp::SrcCopy) {
        CopyRows(dst.row(a.y) + a.x, -std::ptrdiff_t{dst.stride()}, src.row(a.sy[0]) + a.sx[0],
                 -std::ptrdiff_t{src.stride()}, a.width, a.height);
        return true;
    }
    for (int r = 0; r < a.height; ++r)
        ApplyRow(dst.row(a.y + r) + a.x, src.row(a.sy[0] + r) + a.sx[0], a.width, op);
    return true;
}

bool BitBlt(Surface16& dst, int x, int y, int width, int height, const Mask& src, int sx, int sy,
            RasterOp op) {
    BlitArea a{x, y, width, height, {sx, 0}, {sy, 0}};
    const PixelRect sb = src.bounds();
    if (!ClipBlitArea(a, dst.clip(), &sb, nullptr))
        return false;
    for (int r = 0; r < a.height; ++r) {
        Pixel16* d = dst.row(a.y + r) + a.x;
        const uint8_t* s = src.row(a.sy[0] + r) + a.sx[0];
        for (int i = 0; i < a.width; ++i) d[i] = Apply(d[i], MaskColour(src, s[i]), op);
    }
    return true;
}

bool StretchBlt(Surface16& dst, int x, int y, int width, int height, const Surface16& src, int sx,
                int sy, int sourceWidth, int sourceHeight, RasterOp op) {
    const PixelRect& c = dst.clip();
    AxisMap cols, rows;
    if (!MapAxis(x, width, c.left, c.right(), sx, sourceWidth, src.width(), cols) ||
        !MapAxis(y, height, c.top, c.bottom(), sy, sourceHeight, src.height(), rows)) {
        return false;
    }
    // A stretch within one surface reads from a copy.
    const Surface16* from = &src;
    Surface16 copy;
    if (&dst == &src) {
        copy = src;
        from = &copy;
    }
    for (size_t r = 0; r < rows.source.size(); ++r) {
        Pixel16* d = dst.row(rows.first + static_cast<int>(r)) + cols.first;
        const Pixel16* s = from->row(rows.source[r]);
        for (size_t i = 0; i < cols.source.size(); ++i) d[i] = Apply(d[i], s[cols.source[i]], op);
    }
    return true;
}

bool CopyMask(Mask& dst, int x, int y, int width, int height, const Mask& src, int sx, int sy) {
    BlitArea a{x, y, width, height, {sx, 0}, {sy, 0}};
    const PixelRect sb = src.bounds();
    if (!ClipBlitArea(a, dst.bounds(), &sb, nullptr))
        return false;
    if (&dst == &src) {
        const Mask tmp = src;
        return CopyMask(dst, a.x, a.y, a.width, a.height, tmp, a.sx[0], a.sy[0]);
    }
    for (int r = 0; r < a.height; ++r)
        std::memcpy(dst.row(a.y + r) + a.x, src.row(a.sy[0] + r) + a.sx[0],
                    static_cast<size_t>(a.width));
    return true;
}

void FillMask(Mask& dst, const PixelRect& r, uint8_t value) {
    const PixelRect c = Intersect(r, dst.bounds());
    for (int y = c.top; y < c.bottom(); ++y)
        std::memset(dst.row(y) + c.left, value, static_cast<size_t>(c.width));
}

bool MaskedBlt(Surface16& dst, int x, int y, int sy, int sx, const Mask& mask,
               const Surface16& image, int height, int width) {
    if (!mask.mono())
        return AlphaBlendBitmap(dst, x, y, sx, sy, sx, sy, mask, image, height, width);
    BlitArea a{x, y, width, height, {sx, sx}, {sy, sy}};
    const PixelRect ib = image.bounds(), mb = mask.bounds();
    if (!ClipBlitArea(a, dst.clip(), &ib, &mb))
        return false;
    for (int r = 0; r < a.height; ++r) {
        Pixel16* d = dst.row(a.y + r) + a.x;
        const Pixel16* s = image.row(a.sy[0] + r) + a.sx[0];
        MonoMaskRow(d, s, mask.row(a.sy[1] + r) + a.sx[1], a.width);
    }
    return true;
}

bool MaskedBltOnto(Surface16& dst, int x, int y, int width, int height, const Surface16& under,
                   int ux, int uy, const Mask& mask, const Surface16& image, int sx, int sy) {
    if (width <= 0 || height <= 0 || !mask.mono() || !Contains(dst.clip(), x, y, width, height) ||
        !Contains(under.bounds(), ux, uy, width, height) ||
        !Contains(image.bounds(), sx, sy, width, height) ||
        !Contains(mask.bounds(), sx, sy, width, height) || &dst == &under || &dst == &image) {
        return false;
    }
    // Surfaces keep their rows bottom-up, masks top-down.
    MaskOntoRows({dst.row(y) + x, -std::ptrdiff_t{dst.stride()}, under.row(uy) + ux,
                  -std::ptrdiff_t{under.stride()}, image.row(sy) + sx,
                  -std::ptrdiff_t{image.stride()}, mask.row(sy) + sx, std::ptrdiff_t{mask.width()},
                  width, height});
    return true;
}

bool MaskedStretchBlt(Surface16& dst, int x, int y, int width, int height, const Mask& mask,
                      const Surface16& image, int sx, int sy, int sourceWidth, int sourceHeight) {
    const PixelRect& c = dst.clip();
    const int sw = std::min(image.width(), mask.width());
    const int sh = std::min(image.height(), mask.height());
    AxisMap cols, rows;
    if (!MapAxis(x, width, c.left, c.right(), sx, sourceWidth, sw, cols) ||
        !MapAxis(y, height, c.top, c.bottom(), sy, sourceHeight, sh, rows)) {
        return false;
    }
    const BlendWeights weights(1.0f, mask.mono());
    for (size_t r = 0; r < rows.source.size(); ++r) {
        Pixel16* d = dst.row(rows.first + static_cast<int>(r)) + cols.first;
        const Pixel16* s = image.row(rows.source[r]);
        const uint8_t* m = mask.row(rows.source[r]);
        for (size_t i = 0; i < cols.source.size(); ++i) {
            const int j = cols.source[i];
            if (mask.mono()) {
                d[i] = static_cast<Pixel16>((d[i] & MaskColour(mask, m[j])) ^ s[j]);
            } else {
                d[i] = weights.Blend(s[j], d[i], m[j]);
            }
        }
    }
    return true;
}

void FillRect(Surface16& dst, const PixelRect& r, Pixel16 colour) {
    const PixelRect c = Intersect(r, dst.clip());
    for (int y = c.top; y < c.bottom(); ++y) std::fill_n(dst.row(y) + c.left, c.width, colour);
}

void FrameRect(Surface16& dst, const PixelRect& r, Pixel16 colour) {
    if (r.empty())
        return;
    FillRect(dst, {r.left, r.top, r.width, 1}, colour);
    FillRect(dst, {r.left, static_cast<int>(r.bottom() - 1), r.width, 1}, colour);
    FillRect(dst, {r.left, r.top, 1, r.height}, colour);
    FillRect(dst, {static_cast<int>(r.right() - 1), r.top, 1, r.height}, colour);
}

}  // namespace pk
