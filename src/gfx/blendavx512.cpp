// The AVX-512 row kernel of the blends: 64 pixels a step. The mask values pick each pixel's
// formula (blendfast.h) out of byte tables held in registers; each channel pair is multiplied
// and summed in one instruction, with the red and green channels left in place (their products
// and biases scaled by 1024 and 32), so the three results need no shifting back together.
#include <cstring>

#include "gfx/blendfast.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// GCC 12 takes the intrinsics' own "undefined" starting values for uninitialised variables.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif
#include <immintrin.h>

#define PK_AVX512 __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi,avx512vnni")))

namespace pk {

namespace {

struct Constants {
    // Mask bytes reordered so that the byte unpacks of the looked-up tables give the words of
    // pixels 0..31 (low) and 32..63 (high) in order: byte 16j + i takes pixel 8j + i, and byte
    // 16j + 8 + i pixel 32 + 8j + i.
    alignas(64) uint8_t order[64];
};

constexpr Constants MakeConstants() {
    Constants k{};
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 8; ++i) {
            k.order[16 * j + i] = uint8_t(8 * j + i);
            k.order[16 * j + 8 + i] = uint8_t(32 + 8 * j + i);
        }
    return k;
}

constexpr Constants kConst = MakeConstants();

// A setting's byte tables, read straight from memory by the permutes.
PK_AVX512 inline __m512i Look(const uint8_t* t, __m512i idx, __mmask64 upper) {
    const __m512i lo =
        _mm512_permutex2var_epi8(_mm512_load_si512(t), idx, _mm512_load_si512(t + 64));
    const __m512i hi =
        _mm512_permutex2var_epi8(_mm512_load_si512(t + 128), idx, _mm512_load_si512(t + 192));
    return _mm512_mask_blend_epi8(upper, lo, hi);
}

// One group of 16 pixels: x holds s | d << 16 per pixel, w holds wa | wb << 16, c the bias and
// p the parity flag (0 or 1). Returns the blended pixels in the low words of the lanes.
template <bool kParity>
PK_AVX512 inline __m512i Group(__m512i x, __m512i w, __m512i c, __m512i p) {
    const __m512i xb = _mm512_and_si512(x, _mm512_set1_epi32(0x001F001F));
    const __m512i xg = _mm512_and_si512(x, _mm512_set1_epi32(0x03E003E0));
    const __m512i xr = _mm512_and_si512(x, _mm512_set1_epi32(0x7C007C00));
    const __m512i cg = _mm512_slli_epi32(c, 5);
    const __m512i cr = _mm512_slli_epi32(c, 10);
    __m512i tb, tg, tr;
    if constexpr (kParity) {
        const __m512i nb = _mm512_madd_epi16(xb, w);
        const __m512i ng = _mm512_madd_epi16(xg, w);
        const __m512i nr = _mm512_madd_epi16(xr, w);
        tb = _mm512_add_epi32(_mm512_add_epi32(nb, c),
                              _mm512_and_si512(_mm512_srli_epi32(nb, 15), p));
        tg = _mm512_add_epi32(_mm512_add_epi32(ng, cg),
                              _mm512_and_si512(_mm512_srli_epi32(ng, 15), _mm512_slli_epi32(p, 5)));
        tr = _mm512_add_epi32(_mm512_add_epi32(nr, cr), _mm512_and_si512(_mm512_srli_epi32(nr, 15),
                                                                         _mm512_slli_epi32(p, 10)));
    } else {
        tb = _mm512_dpwssd_epi32(c, xb, w);
        tg = _mm512_dpwssd_epi32(cg, xg, w);
        tr = _mm512_dpwssd_epi32(cr, xr, w);
    }
    // The results sit at bits 25..29 (red), 20..24 (green) and 15..19 (blue) of their sums,
    // with nothing above: take each from its own sum and shift them down together.
    const __m512i u = _mm512_ternarylogic_epi32(tr, tg, _mm512_set1_epi32(int(0xFE000000u)), 0xE4);
    const __m512i v = _mm512_ternarylogic_epi32(u, tb, _mm512_set1_epi32(int(0xFFF00000u)), 0xE4);
    return _mm512_srli_epi32(v, 15);
}

template <bool kParity>
PK_AVX512 inline void Block(const FastBlendTables& ft, __m512i mv, __m512i s0, __m512i s1,
                            __m512i d0, __m512i d1, __m512i& out0, __m512i& out1) {
    const __m512i idx = _mm512_permutexvar_epi8(_mm512_load_si512(kConst.order), mv);
    const __mmask64 upper = _mm512_movepi8_mask(idx);
    const __m512i waL = Look(ft.bytes[0].data(), idx, upper),
                  waH = Look(ft.bytes[1].data(), idx, upper),
                  wbL = Look(ft.bytes[2].data(), idx, upper),
                  wbH = Look(ft.bytes[3].data(), idx, upper);
    const __m512i cL = Look(ft.bytes[4].data(), idx, upper),
                  cH = Look(ft.bytes[5].data(), idx, upper);
    const __m512i wa0 = _mm512_unpacklo_epi8(waL, waH), wa1 = _mm512_unpackhi_epi8(waL, waH);
    const __m512i wb0 = _mm512_unpacklo_epi8(wbL, wbH), wb1 = _mm512_unpackhi_epi8(wbL, wbH);
    const __m512i c0 = _mm512_unpacklo_epi8(cL, cH), c1 = _mm512_unpackhi_epi8(cL, cH);
    const __m512i zero = _mm512_setzero_si512();
    __m512i p0 = zero, p1 = zero;
    if constexpr (kParity) {
        const __m512i f = _mm512_and_si512(Look(ft.bytes[6].data(), idx, upper),
                                           _mm512_set1_epi8(FastBlendTables::kParity));
        p0 = _mm512_unpacklo_epi8(f, zero);
        p1 = _mm512_unpackhi_epi8(f, zero);
    }
    // Unpacking pairs each pixel with its destination and its weights alike, and packing the
    // two halves back restores the order: all of it within 128-bit lanes.
    const __m512i v0 =
        Group<kParity>(_mm512_unpacklo_epi16(s0, d0), _mm512_unpacklo_epi16(wa0, wb0),
                       _mm512_unpacklo_epi16(c0, zero), _mm512_unpacklo_epi16(p0, zero));
    const __m512i v1 =
        Group<kParity>(_mm512_unpackhi_epi16(s0, d0), _mm512_unpackhi_epi16(wa0, wb0),
                       _mm512_unpackhi_epi16(c0, zero), _mm512_unpackhi_epi16(p0, zero));
    const __m512i v2 =
        Group<kParity>(_mm512_unpacklo_epi16(s1, d1), _mm512_unpacklo_epi16(wa1, wb1),
                       _mm512_unpacklo_epi16(c1, zero), _mm512_unpacklo_epi16(p1, zero));
    const __m512i v3 =
        Group<kParity>(_mm512_unpackhi_epi16(s1, d1), _mm512_unpackhi_epi16(wa1, wb1),
                       _mm512_unpackhi_epi16(c1, zero), _mm512_unpackhi_epi16(p1, zero));
    out0 = _mm512_packus_epi32(v0, v1);
    out1 = _mm512_packus_epi32(v2, v3);
}

// Pixels a block blends one by one rather than with the vector arithmetic: a tile's edge
// among copied and kept pixels.
constexpr int kFewBlended = 6;

// Where the 64 lanes of a block come from: `rows` rows of `lanes` lanes each (16, 32 or 64), of
// which the first `width` are pixels; narrow rectangles put several rows in one block.
struct Lanes {
    int rows;   // rows in this block
    int width;  // pixels of each row
    // Every slot points at a row; slots past `rows` repeat the last one and are never stored.
    Pixel16* d[4];
    const Pixel16* s[4];
    const uint8_t* m[4];
};

template <int kLanes>
constexpr int kShift = kLanes == 64   ? 6
                       : kLanes == 32 ? 5
                                      : 4;

// The lanes of a block that hold pixels.
template <int kLanes>
inline __mmask64 LiveLanes(const Lanes& l) {
    const uint64_t row = l.width >= 64 ? ~uint64_t{0} : (uint64_t{1} << l.width) - 1;
    uint64_t live = 0;
    for (int r = 0; r < l.rows; ++r) live |= row << (r * kLanes);
    return live;
}

// The mask values of a block.
template <int kLanes>
PK_AVX512 inline __m512i LoadMask(const Lanes& l, __mmask64 live) {
    if constexpr (kLanes == 64) {
        return _mm512_maskz_loadu_epi8(live, l.m[0]);
    } else if constexpr (kLanes == 32) {
        const __mmask32 w = static_cast<__mmask32>(live);
        return _mm512_inserti64x4(_mm512_castsi256_si512(_mm256_maskz_loadu_epi8(w, l.m[0])),
                                  _mm256_maskz_loadu_epi8(w, l.m[1]), 1);
    } else {
        const __mmask16 w = static_cast<__mmask16>(live);
        __m512i mv = _mm512_castsi128_si512(_mm_maskz_loadu_epi8(w, l.m[0]));
        mv = _mm512_inserti32x4(mv, _mm_maskz_loadu_epi8(w, l.m[1]), 1);
        mv = _mm512_inserti32x4(mv, _mm_maskz_loadu_epi8(w, l.m[2]), 2);
        return _mm512_inserti32x4(mv, _mm_maskz_loadu_epi8(w, l.m[3]), 3);
    }
}

// Rows r and r + 1 of 16 pixels each.
template <typename P>
PK_AVX512 inline __m512i TwoRows(P* const* rows, int r, __mmask16 w) {
    return _mm512_inserti64x4(_mm512_castsi256_si512(_mm256_maskz_loadu_epi16(w, rows[r])),
                              _mm256_maskz_loadu_epi16(w, rows[r + 1]), 1);
}

// The source and destination pixels of a block.
template <int kLanes>
PK_AVX512 inline void LoadPixels(const Lanes& l, __mmask64 live, __m512i& s0, __m512i& s1,
                                 __m512i& d0, __m512i& d1) {
    if constexpr (kLanes == 64) {
        const __mmask32 h0 = static_cast<__mmask32>(live), h1 = static_cast<__mmask32>(live >> 32);
        s0 = _mm512_maskz_loadu_epi16(h0, l.s[0]);
        s1 = _mm512_maskz_loadu_epi16(h1, l.s[0] + 32);
        d0 = _mm512_maskz_loadu_epi16(h0, l.d[0]);
        d1 = _mm512_maskz_loadu_epi16(h1, l.d[0] + 32);
    } else if constexpr (kLanes == 32) {
        const __mmask32 w = static_cast<__mmask32>(live);
        s0 = _mm512_maskz_loadu_epi16(w, l.s[0]);
        d0 = _mm512_maskz_loadu_epi16(w, l.d[0]);
        s1 = _mm512_maskz_loadu_epi16(w, l.s[1]);
        d1 = _mm512_maskz_loadu_epi16(w, l.d[1]);
    } else {
        const __mmask16 w = static_cast<__mmask16>(live);
        s0 = TwoRows(l.s, 0, w);
        s1 = TwoRows(l.s, 2, w);
        d0 = TwoRows(l.d, 0, w);
        d1 = TwoRows(l.d, 2, w);
    }
}

// Stores a block's results. Whole rows are stored plainly: a masked store costs several times
// as much on some processors.
template <int kLanes>
PK_AVX512 inline void StoreBlock(const Lanes& l, __mmask64 live, __m512i out0, __m512i out1) {
    const bool whole = l.width == kLanes;
    if constexpr (kLanes == 64) {
        if (whole) {
            _mm512_storeu_si512(l.d[0], out0);
            _mm512_storeu_si512(l.d[0] + 32, out1);
        } else {
            _mm512_mask_storeu_epi16(l.d[0], static_cast<__mmask32>(live), out0);
            _mm512_mask_storeu_epi16(l.d[0] + 32, static_cast<__mmask32>(live >> 32), out1);
        }
    } else if constexpr (kLanes == 32) {
        const __mmask32 w = static_cast<__mmask32>(live);
        if (whole) {
            _mm512_storeu_si512(l.d[0], out0);
            if (l.rows > 1)
                _mm512_storeu_si512(l.d[1], out1);
        } else {
            _mm512_mask_storeu_epi16(l.d[0], w, out0);
            if (l.rows > 1)
                _mm512_mask_storeu_epi16(l.d[1], w, out1);
        }
    } else {
        const __mmask16 w = static_cast<__mmask16>(live);
        const __m256i part[4] = {_mm512_castsi512_si256(out0), _mm512_extracti64x4_epi64(out0, 1),
                                 _mm512_castsi512_si256(out1), _mm512_extracti64x4_epi64(out1, 1)};
        for (int r = 0; r < l.rows; ++r) {
            if (whole)
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(l.d[r]), part[r]);
            else
                _mm256_mask_storeu_epi16(l.d[r], w, part[r]);
        }
    }
}

// Blends one block in place.
template <int kLanes>
PK_AVX512 void BlendBlock(const FastBlendRow& row, const Lanes& l) {
    const FastBlendTables& ft = *row.tables;
    const __mmask64 live = LiveLanes<kLanes>(l);
    const __m512i mv = LoadMask<kLanes>(l, live);
    const __mmask64 copy =
        row.copy >= 0 ? _mm512_mask_cmpeq_epi8_mask(live, mv, _mm512_set1_epi8(char(row.copy))) : 0;
    const __mmask64 skip =
        row.skip >= 0 ? _mm512_mask_cmpeq_epi8_mask(live, mv, _mm512_set1_epi8(char(row.skip))) : 0;
    const __mmask64 blended = live & ~(copy | skip);
    __m512i s0, s1, d0, d1;
    LoadPixels<kLanes>(l, live, s0, s1, d0, d1);
    if (__builtin_popcountll(blended) <= kFewBlended) {
        // Mostly kept or copied: copy through the mask, blend the rest one by one.
        if (copy) {
            StoreBlock<kLanes>(l, live, _mm512_mask_mov_epi16(d0, static_cast<__mmask32>(copy), s0),
                               _mm512_mask_mov_epi16(d1, static_cast<__mmask32>(copy >> 32), s1));
        }
        for (__mmask64 b = blended; b; b &= b - 1) {
            const int j = __builtin_ctzll(b);
            const int r = j >> kShift<kLanes>, x = j & (kLanes - 1);
            l.d[r][x] = row.One(l.s[r][x], l.d[r][x], l.m[r][x]);
        }
        return;
    }
    // The flags of each pixel's formula, in lane order.
    __mmask64 parity = 0, slow = 0;
    if (ft.anyParity || ft.anySlow) {
        const __m512i f = Look(ft.bytes[6].data(), mv, _mm512_movepi8_mask(mv));
        parity = _mm512_mask_test_epi8_mask(blended, f, _mm512_set1_epi8(FastBlendTables::kParity));
        slow = _mm512_mask_test_epi8_mask(blended, f, _mm512_set1_epi8(FastBlendTables::kSlow));
    }
    __m512i out0, out1;
    if (parity)
        Block<true>(ft, mv, s0, s1, d0, d1, out0, out1);
    else
        Block<false>(ft, mv, s0, s1, d0, d1, out0, out1);
    out0 = _mm512_mask_mov_epi16(out0, static_cast<__mmask32>(skip), d0);
    out1 = _mm512_mask_mov_epi16(out1, static_cast<__mmask32>(skip >> 32), d1);
    // Kept and copied pixels stay exactly as they were, whatever their unused top bit.
    out0 = _mm512_mask_mov_epi16(out0, static_cast<__mmask32>(copy), s0);
    out1 = _mm512_mask_mov_epi16(out1, static_cast<__mmask32>(copy >> 32), s1);
    if (slow) {
        alignas(64) Pixel16 buf[64];
        _mm512_store_si512(buf, out0);
        _mm512_store_si512(buf + 32, out1);
        for (__mmask64 b = slow; b; b &= b - 1) {
            const int j = __builtin_ctzll(b);
            const int r = j >> kShift<kLanes>, x = j & (kLanes - 1);
            buf[j] = row.One(l.s[r][x], l.d[r][x], l.m[r][x]);
        }
        out0 = _mm512_load_si512(buf);
        out1 = _mm512_load_si512(buf + 32);
    }
    StoreBlock<kLanes>(l, live, out0, out1);
}

}  // namespace

namespace {

// Blends the rows of a rectangle no wider than kLanes, 64 / kLanes rows a block.
template <int kLanes>
PK_AVX512 void NarrowRect(const FastBlendRow& row, const BlendRect& r) {
    constexpr int per = 64 / kLanes;
    Lanes l{};
    l.width = r.width;
    for (int y = 0; y < r.height; y += per) {
        l.rows = r.height - y < per ? r.height - y : per;
        for (int k = 0; k < per; ++k) {
            const int at = y + (k < l.rows ? k : l.rows - 1);
            l.d[k] = r.d + at * r.dStride;
            l.s[k] = r.s + at * r.sStride;
            l.m[k] = r.m + at * r.mStride;
        }
        BlendBlock<kLanes>(row, l);
    }
}

}  // namespace

PK_AVX512 void BlendRectAvx512(const FastBlendRow& row, const BlendRect& r) {
    if (r.width <= 0 || r.height <= 0)
        return;
    if (r.width <= 16)
        return NarrowRect<16>(row, r);
    if (r.width <= 32)
        return NarrowRect<32>(row, r);
    Lanes l{};
    l.rows = 1;
    for (int y = 0; y < r.height; ++y) {
        Pixel16* d = r.d + y * r.dStride;
        const Pixel16* s = r.s + y * r.sStride;
        const uint8_t* m = r.m + y * r.mStride;
        for (int x = 0; x < r.width; x += 64) {
            l.width = r.width - x < 64 ? r.width - x : 64;
            l.d[0] = d + x;
            l.s[0] = s + x;
            l.m[0] = m + x;
            BlendBlock<64>(row, l);
        }
    }
}

}  // namespace pk

#else

namespace pk {
void BlendRectAvx512(const FastBlendRow&, const BlendRect&) {}
}  // namespace pk

#endif
