#include "gfx/blendfast.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#include "gfx/blend.h"

namespace pk {

namespace {

constexpr int64_t kOne = 1 << 15;
constexpr int kWidestSearch = 8;  // weights tried up to this far from the nearest one

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
    const int64_t nearest = std::llround(static_cast<double>(a) * kOne);
    for (int r = 0; r <= kWidestSearch; ++r) {
        for (const int64_t w : {nearest - r, nearest + r}) {
            if (w < 0 || w >= kOne)
                continue;
            for (const bool parity : {false, true}) {
                const LinearWeight lw{static_cast<uint16_t>(w), parity, false};
                if (Matches(want, lw))
                    return lw;
            }
        }
    }
    return LinearWeight{};
}

void FillFastBlendTables(FastBlendTables& t, const std::array<float, 256>& weights) {
    t.anySlow = t.anyParity = false;
    for (size_t m = 0; m < 256; ++m) {
        const LinearWeight w = SolveLinearWeight(weights[m]);
        t.bytes[0][m] = static_cast<uint8_t>(w.w);
        t.bytes[1][m] = static_cast<uint8_t>((w.w >> 8) | (w.parity ? 0x80 : 0));
        t.bytes[2][m] = w.slow ? FastBlendTables::kSlow : 0;
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
