// The fast road of the blends: every weight of a blend setting turned into integer arithmetic
// that gives exactly the pinned results (blend.h), so that rows can be blended many pixels at a
// time with vector instructions.
//
// For one weight a (and b = 1 - a in single precision), each channel's result
// Round(s * a + d * b) over all 32 x 32 channel pairs is reproduced by
//
//     result = d + floor(((s - d) * w + 2^14) / 2^15)
//
// with a 15-bit weight w near a * 2^15: the pinned weights round so finely that one integer
// weight and the half-up bias give the same 1024 results, which is what a multiply-high with
// rounding computes in one step. `SolveLinearWeight` tries the weights nearest a * 2^15 and
// checks all 1024 pairs against the pinned arithmetic. Weights exact at 2^-15 (0.25, 0.5, 0.75
// of a full mask) have results that are exact halves; for those (`parity`) a half goes to the
// even neighbour. The few weights no weight matches are marked slow and looked up as before.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "gfx/surface.h"

namespace pk {

struct LinearWeight {
    uint16_t w = 0;
    bool parity = false;
    bool slow = true;  // no formula matches: use the lookup tables
};

// The formula for weight a (0 <= a <= 1, single precision), checked against all channel pairs.
LinearWeight SolveLinearWeight(float a);

// The formula applied to one channel pair.
inline int LinearChannel(const LinearWeight& w, int s, int d) {
    const int32_t product = (s - d) * int32_t{w.w};
    int r = d + ((product + (1 << 14)) >> 15);
    if (w.parity && (product & 0x7FFF) == 0x4000 && (r & 1))
        --r;  // an exact half: to the even neighbour
    return r;
}

// A blend setting's formulas by mask value, laid out for the vector kernel: three tables of
// 256 bytes (the weight's low byte; its high seven bits with the parity flag on top; flags).
struct FastBlendTables {
    enum Flag : uint8_t { kSlow = 1 };
    alignas(64) std::array<std::array<uint8_t, 256>, 3> bytes{};
    bool anySlow = false;
    bool anyParity = false;
};

// Makes the tables of one blend setting from the weight of each mask value.
void FillFastBlendTables(FastBlendTables& t, const std::array<float, 256>& weights);

// What a kernel needs to blend a row: the formulas, the exact per-pixel blend for slow mask
// values, and the mask values that keep the source or the destination bit for bit.
using SlowBlendFn = Pixel16 (*)(const void* context, Pixel16 s, Pixel16 d, uint8_t m);
struct FastBlendRow {
    const FastBlendTables* tables;
    int copy;  // the mask value that copies the source as it is, or -1
    int skip;  // the mask value that leaves the destination as it is, or -1
    SlowBlendFn slow;
    const void* context;
    // The setting's result tables by mask value (blend.h), where made; one pixel at a time is
    // blended through them, or through `slow` where a table is missing.
    const uint8_t* const* lookup;

    Pixel16 One(Pixel16 sp, Pixel16 dp, uint8_t m) const {
        const uint8_t* t = lookup[m];
        if (!t)
            return slow(context, sp, dp, m);
        return Rgb555(t[(Red555(sp) << 5) | Red555(dp)], t[(Green555(sp) << 5) | Green555(dp)],
                      t[(Blue555(sp) << 5) | Blue555(dp)]);
    }
};

// The vector kernels this machine can run, and a way for tests and benchmarks to choose.
enum class BlendKernel { kPortable, kAvx512 };
bool BlendKernelAvailable(BlendKernel kernel);
// The kernel in use (the fastest available unless a test chose another).
BlendKernel CurrentBlendKernel();
// Chooses the kernel; returns false (and changes nothing) when it is not available here.
bool SetBlendKernel(BlendKernel kernel);

// A rectangle to blend: `height` rows of `width` pixels; row y of each plane starts at its
// pointer plus y times its stride (in elements; negative for bottom-up surfaces, 0 to use one
// mask row for every row).
struct BlendRect {
    Pixel16* d;
    std::ptrdiff_t dStride;
    const Pixel16* s;
    std::ptrdiff_t sStride;
    const uint8_t* m;
    std::ptrdiff_t mStride;
    int width;
    int height;
};

// Blends a rectangle with the AVX-512 kernel. Only call when BlendKernelAvailable(kAvx512).
void BlendRectAvx512(const FastBlendRow& row, const BlendRect& rect);

}  // namespace pk
