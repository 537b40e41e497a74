// The AVX-512 kernel of the blends: 64 pixels a step, in 16-bit lanes. The mask values pick each
// pixel's weight (blendfast.h) out of byte tables read by permutes; each channel is then one
// multiply-high with rounding of the source's difference from the destination.
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

// One channel of 32 pixels: the field of each destination moved by the rounded product of the
// difference and the weight; kField masks the channel in place, kShift is its position.
// Exact halves go to the even neighbour in the lanes of `parity`.
template <bool kParity, int kField, int kShift>
PK_AVX512 inline __m512i Channel(__m512i s, __m512i d, __m512i w, __mmask32 parity) {
    const __m512i m = _mm512_set1_epi16(static_cast<short>(kField));
    const __m512i dc = _mm512_and_si512(d, m);
    const __m512i y = _mm512_srai_epi16(_mm512_sub_epi16(_mm512_and_si512(s, m), dc), kShift);
    __m512i f = _mm512_add_epi16(dc, _mm512_slli_epi16(_mm512_mulhrs_epi16(y, w), kShift));
    if constexpr (kParity) {
        const __m512i lsb = _mm512_set1_epi16(static_cast<short>(1 << kShift));
        const __m512i low = _mm512_and_si512(_mm512_mullo_epi16(y, w), _mm512_set1_epi16(0x7FFF));
        const __mmask32 half = _mm512_mask_cmpeq_epi16_mask(parity, low, _mm512_set1_epi16(0x4000));
        const __mmask32 odd = _mm512_mask_test_epi16_mask(half, f, lsb);
        f = _mm512_mask_sub_epi16(f, odd, f, lsb);
    }
    return f;
}

template <bool kParity>
PK_AVX512 inline __m512i Pixels(__m512i s, __m512i d, __m512i w, __mmask32 parity) {
    const __m512i r = Channel<kParity, 0x7C00, 10>(s, d, w, parity);
    const __m512i g = Channel<kParity, 0x03E0, 5>(s, d, w, parity);
    const __m512i b = Channel<kParity, 0x001F, 0>(s, d, w, parity);
    return _mm512_ternarylogic_epi32(r, g, b, 0xFE);  // r | g | b
}

// Blends 64 pixels: each lane's weight and parity flag looked up by its mask value.
PK_AVX512 inline void Block(const FastBlendTables& ft, __m512i mv, __m512i s0, __m512i s1,
                            __m512i d0, __m512i d1, __m512i& out0, __m512i& out1) {
    const __m512i idx = _mm512_permutexvar_epi8(_mm512_load_si512(kConst.order), mv);
    const __mmask64 upper = _mm512_movepi8_mask(idx);
    const __m512i lo = Look(ft.bytes[0].data(), idx, upper);
    const __m512i hi = Look(ft.bytes[1].data(), idx, upper);
    __m512i w0 = _mm512_unpacklo_epi8(lo, hi), w1 = _mm512_unpackhi_epi8(lo, hi);
    const __mmask32 p0 = _mm512_movepi16_mask(w0), p1 = _mm512_movepi16_mask(w1);
    if (p0 | p1) {
        w0 = _mm512_and_si512(w0, _mm512_set1_epi16(0x7FFF));
        w1 = _mm512_and_si512(w1, _mm512_set1_epi16(0x7FFF));
        out0 = Pixels<true>(s0, d0, w0, p0);
        out1 = Pixels<true>(s1, d1, w1, p1);
    } else {
        out0 = Pixels<false>(s0, d0, w0, 0);
        out1 = Pixels<false>(s1, d1, w1, 0);
    }
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
    // The lanes whose mask value no formula matches, in lane order.
    __mmask64 slow = 0;
    if (ft.anySlow) {
        const __m512i f = Look(ft.bytes[2].data(), mv, _mm512_movepi8_mask(mv));
        slow = _mm512_mask_test_epi8_mask(blended, f, _mm512_set1_epi8(FastBlendTables::kSlow));
    }
    __m512i out0, out1;
    Block(ft, mv, s0, s1, d0, d1, out0, out1);
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
