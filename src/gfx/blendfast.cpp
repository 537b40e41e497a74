#include "gfx/blendfast.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#include "gfx/blend.h"

namespace pk {

namespace {

constexpr int64_t kOne = 1 << 15;
constexpr int kWidestSearch = 6;  // weights tried up to this far from the nearest ones

// The bias that makes (s * wa + d * wb + c) >> 15 give every pinned result, or -1.
int64_t BiasFor(const std::array<uint8_t, 1024>& want, int64_t wa, int64_t wb) {
    int64_t lo = 0;
    int64_t hi = kOne - 1;
    for (int s = 0; s < 32; ++s) {
        for (int d = 0; d < 32; ++d) {
            const int64_t n = s * wa + d * wb;
            const int64_t r = want[static_cast<size_t>(s << 5 | d)];
            lo = std::max(lo, r * kOne - n);
            hi = std::min(hi, (r + 1) * kOne - 1 - n);
            if (lo > hi)
                return -1;
        }
    }
    return lo;
}

bool Matches(const std::array<uint8_t, 1024>& want, const LinearWeight& w) {
    for (int s = 0; s < 32; ++s)
        for (int d = 0; d < 32; ++d)
            if (LinearChannel(w, s, d) != want[static_cast<size_t>(s << 5 | d)])
                return false;
    return true;
}

}  // namespace

LinearWeight SolveLinearWeight(float a) {
    std::array<uint8_t, 1024> want{};
    for (int s = 0; s < 32; ++s)
        for (int d = 0; d < 32; ++d)
            want[static_cast<size_t>(s << 5 | d)] =
                static_cast<uint8_t>(BlendWeights::MixChannel(s, d, a));
    const double b = static_cast<float>(1.0 - static_cast<double>(a));
    const int64_t nearA = std::llround(static_cast<double>(a) * kOne);
    const int64_t nearB = std::llround(b * kOne);
    for (int r = 0; r <= kWidestSearch; ++r) {
        for (int64_t wa = nearA - r; wa <= nearA + r; ++wa) {
            for (int64_t wb = nearB - r; wb <= nearB + r; ++wb) {
                if (std::max(std::abs(wa - nearA), std::abs(wb - nearB)) != r)
                    continue;  // tried at a smaller distance
                if (wa < 0 || wb < 0 || wa >= kOne || wb >= kOne)
                    continue;
                const int64_t c = BiasFor(want, wa, wb);
                if (c < 0)
                    continue;
                LinearWeight w{static_cast<uint16_t>(wa), static_cast<uint16_t>(wb),
                               static_cast<uint16_t>(c), false, false};
                if (Matches(want, w))
                    return w;
            }
        }
    }
    // Weights exact at 2^-15 have results that are exact halves: round those to even.
    const double sa = static_cast<double>(a) * kOne;
    const double sb = b * kOne;
    if (sa == std::floor(sa) && sb == std::floor(sb) && sa < kOne && sb < kOne) {
        LinearWeight w{static_cast<uint16_t>(sa), static_cast<uint16_t>(sb),
                       static_cast<uint16_t>(kOne / 2 - 1), true, false};
        if (Matches(want, w))
            return w;
    }
    return LinearWeight{};
}

void FillFastBlendTables(FastBlendTables& t, const std::array<float, 256>& weights) {
    t.anySlow = t.anyParity = false;
    for (size_t m = 0; m < 256; ++m) {
        const LinearWeight w = SolveLinearWeight(weights[m]);
        t.bytes[0][m] = static_cast<uint8_t>(w.wa);
        t.bytes[1][m] = static_cast<uint8_t>(w.wa >> 8);
        t.bytes[2][m] = static_cast<uint8_t>(w.wb);
        t.bytes[3][m] = static_cast<uint8_t>(w.wb >> 8);
        t.bytes[4][m] = static_cast<uint8_t>(w.c);
        t.bytes[5][m] = static_cast<uint8_t>(w.c >> 8);
        t.bytes[6][m] = static_cast<uint8_t>((w.parity ? FastBlendTables::kParity : 0) |
                                             (w.slow ? FastBlendTables::kSlow : 0));
        t.anySlow = t.anySlow || w.slow;
        t.anyParity = t.anyParity || w.parity;
    }
}

namespace {

bool CpuHasAvx512() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi") &&
           __builtin_cpu_supports("avx512vnni");
#else
    return false;
#endif
}

std::atomic<int>& KernelChoice() {
    static std::atomic<int> choice{
        static_cast<int>(CpuHasAvx512() ? BlendKernel::kAvx512 : BlendKernel::kPortable)};
    return choice;
}

}  // namespace

bool BlendKernelAvailable(BlendKernel kernel) {
    switch (kernel) {
        case BlendKernel::kPortable:
            return true;
        case BlendKernel::kAvx512: {
            static const bool has = CpuHasAvx512();
            return has;
        }
    }
    return false;
}

BlendKernel CurrentBlendKernel() {
    return static_cast<BlendKernel>(KernelChoice().load(std::memory_order_relaxed));
}

bool SetBlendKernel(BlendKernel kernel) {
    if (!BlendKernelAvailable(kernel))
        return false;
    KernelChoice().store(static_cast<int>(kernel), std::memory_order_relaxed);
    return true;
}

}  // namespace pk
