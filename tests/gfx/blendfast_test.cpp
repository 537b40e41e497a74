// The fast blends against a plain per-pixel reference written from the pinned arithmetic:
// every mask value, the painter's opacities and random ones, both mask kinds, rectangles of
// every lane layout, and random pixels (their unused top bit included).
#include "gfx/blendfast.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "gfx/blend.h"

namespace pk {
namespace {

int RefChannel(int s, int d, float a) {
    const double wa = a;
    const double wb = static_cast<float>(1.0 - wa);
    return static_cast<int>(std::lrint(s * wa + d * wb));
}

float RefOpacity(float opacity) {
    return opacity >= 0.0f ? std::min(opacity, 1.0f) : 0.0f;
}

// One pixel as the blends must give it: the skip value keeps the destination and a weight of
// exactly 1 at the full value copies the source, both bit for bit; anything else is mixed.
Pixel16 RefPixel(Pixel16 s, Pixel16 d, uint8_t m, float opacity, bool mono, bool copyRuns) {
    if (m == (mono ? 255 : 0))
        return d;
    const double op = RefOpacity(opacity);
    const float a = static_cast<float>((mono ? 255 - m : m) / 255.0 * op);
    if (copyRuns && m == (mono ? 0 : 255) && a == 1.0f)
        return s;
    return Rgb555(RefChannel(Red555(s), Red555(d), a), RefChannel(Green555(s), Green555(d), a),
                  RefChannel(Blue555(s), Blue555(d), a));
}

class BlendFastTest : public ::testing::TestWithParam<BlendKernel> {
protected:
    void SetUp() override {
        saved_ = CurrentBlendKernel();
        if (!SetBlendKernel(GetParam()))
            GTEST_SKIP() << "this processor has no such kernel";
    }
    void TearDown() override { SetBlendKernel(saved_); }

    std::mt19937 rng_{20261209};

    Surface16 RandomSurface(int w, int h) {
        Surface16 s(w, h);
        std::uniform_int_distribution<int> px(0, 0xFFFF);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) s.setPixel(x, y, static_cast<Pixel16>(px(rng_)));
        return s;
    }
    // Every value 0..255 at least once where the mask is large enough, in random places, with
    // runs of the skip and full values as tiles have them.
    Mask RandomMask(int w, int h, bool mono) {
        Mask m(w, h, mono);
        std::uniform_int_distribution<int> v(0, 255), run(0, 3);
        int next = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const int kind = run(rng_);
                m.setValue(x, y,
                           static_cast<uint8_t>(kind == 0   ? 0
                                                : kind == 1 ? 255
                                                : kind == 2 ? (next++) & 255
                                                            : v(rng_)));
            }
        return m;
    }

private:
    BlendKernel saved_ = BlendKernel::kPortable;
};

// Blends src over a random destination through the mask at each opacity and compares every
// pixel, for rectangles of every width the kernels treat differently.
TEST_P(BlendFastTest, AlphaBlendsMatchTheReferenceEverywhere) {
    std::vector<float> opacities = {1.0f, 0.75f, 0.5f, 0.25f, 0.0f, 1e-30f};
    std::uniform_real_distribution<float> any(0.0f, 1.0f);
    for (int i = 0; i < 12; ++i) opacities.push_back(any(rng_));
    const int widths[] = {1, 5, 15, 16, 17, 31, 32, 33, 63, 64, 65, 100, 130};
    for (bool mono : {false, true}) {
        for (float opacity : opacities) {
            // Large enough first, so the fast road's tables are made for this setting.
            for (int w : {128, 0}) {
                for (int width : w ? std::vector<int>{w}
                                   : std::vector<int>(std::begin(widths), std::end(widths))) {
                    const int height = width == 128 ? 64 : 1 + width % 7;
                    const Surface16 src = RandomSurface(width, height);
                    const Mask mask = RandomMask(width, height, mono);
                    Surface16 dst = RandomSurface(width + 3, height + 2);
                    const Surface16 before = dst;
                    AlphaBlendBitmapFaded(dst, 2, 1, opacity, -1, -1, 0, 0, mask, src, height,
                                          width);
                    for (int y = 0; y < dst.height(); ++y) {
                        for (int x = 0; x < dst.width(); ++x) {
                            const bool inside = x >= 2 && x < 2 + width && y >= 1 && y < 1 + height;
                            const Pixel16 want =
                                inside ? RefPixel(src.pixel(x - 2, y - 1), before.pixel(x, y),
                                                  mask.value(x - 2, y - 1), opacity, mono, true)
                                       : before.pixel(x, y);
                            ASSERT_EQ(dst.pixel(x, y), want)
                                << "opacity " << opacity << " mono " << mono << " width " << width
                                << " at " << x << "," << y << " m "
                                << (inside ? int(mask.value(x - 2, y - 1)) : -1);
                        }
                    }
                }
            }
        }
    }
}

TEST_P(BlendFastTest, UniformBlendsMatchTheReference) {
    std::uniform_real_distribution<float> any(0.0f, 1.0f);
    std::vector<float> opacities = {1.0f, 0.75f, 0.5f, 0.25f};
    for (int i = 0; i < 8; ++i) opacities.push_back(any(rng_));
    for (float opacity : opacities) {
        for (int width : {300, 7, 16, 40}) {
            const int height = width == 300 ? 20 : 3;
            const Surface16 src = RandomSurface(width, height);
            Surface16 dst = RandomSurface(width, height);
            const Surface16 before = dst;
            BlendBitmap(dst, 0, 0, opacity, 0, 0, src, height, width);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    ASSERT_EQ(dst.pixel(x, y), RefPixel(src.pixel(x, y), before.pixel(x, y), 255,
                                                        opacity, false, false))
                        << "opacity " << opacity << " at " << x << "," << y;
        }
    }
}

TEST_P(BlendFastTest, DimmingMatchesTheReference) {
    std::uniform_real_distribution<float> any(0.0f, 32.0f);
    std::vector<float> factors = {0.0f, 0.25f, 0.5f, 0.75f, 0.9f, 1.0f, 1.5f, 32.0f};
    for (int i = 0; i < 8; ++i) factors.push_back(any(rng_));
    for (float f : factors) {
        Surface16 dst = RandomSurface(37, 5);
        const Surface16 before = dst;
        DimRect(dst, 0, 0, f, 5, 37);
        const auto dim = [f](int c) {
            return static_cast<int>(std::min<long>(std::lrint(c * double{f}), 31));
        };
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 37; ++x) {
                const Pixel16 p = before.pixel(x, y);
                ASSERT_EQ(dst.pixel(x, y),
                          Rgb555(dim(Red555(p)), dim(Green555(p)), dim(Blue555(p))))
                    << "factor " << f;
            }
    }
}

INSTANTIATE_TEST_SUITE_P(Kernels, BlendFastTest,
                         ::testing::Values(BlendKernel::kPortable, BlendKernel::kAvx512),
                         [](const auto& info) {
                             return info.param == BlendKernel::kPortable ? "Portable" : "Avx512";
                         });

// The integer formulas reproduce the pinned results for every channel pair of every weight the
// painter's opacities give; the weights near a fraction with a small denominator (0.05, 0.1,
// 1/6, ...) are left to the lookup tables, a few percent of them.
TEST(LinearWeight, FormulasMatchEveryChannelPair) {
    int slow = 0;
    for (float opacity : {1.0f, 0.75f, 0.5f, 0.25f}) {
        for (int m = 0; m < 256; ++m) {
            const float a = static_cast<float>(m / 255.0 * opacity);
            const LinearWeight w = SolveLinearWeight(a);
            if (w.slow) {
                ++slow;
                continue;
            }
            for (int s = 0; s < 32; ++s)
                for (int d = 0; d < 32; ++d)
                    ASSERT_EQ(LinearChannel(w, s, d), RefChannel(s, d, a))
                        << "opacity " << opacity << " m " << m << " s " << s << " d " << d;
        }
    }
    EXPECT_LE(slow, 32);
}

}  // namespace
}  // namespace pk
