#include "gfx/blend.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

#include "gfx/blendfast.h"
#include "gfx/blit.h"

namespace pk {

// A thread's state of one blend setting (opacity and mask kind): the table of each mask value,
// the vector kernel's tables once made, and the pixels blended so far.
struct BlendSetting {
    uint32_t opacityBits = 0;
    bool mono = false;
    std::array<const uint8_t*, 256> tables{};
    std::unique_ptr<FastBlendTables> fast;
    bool fastFailed = false;
    int64_t pixels = 0;
};

namespace {

// NaN and values below 0 give 0.
float Bounded(float v, float hi) {
    return v >= 0.0f ? std::min(v, hi) : 0.0f;
}

}  // namespace

namespace {

// All results Round(s * a + d * (1 - a)) of one weight a, at [s << 5 | d].
using MixTable = std::array<uint8_t, 1024>;

// A thread's tables: by weight (the float's bits), and per blend setting (opacity and mask
// kind) the table of each mask value. Both are capped; past the caps the arithmetic is used.
struct TableCache {
    static constexpr size_t kMaxTables = 2048;  // 2 MiB
    static constexpr size_t kMaxSettings = 64;
    // The vector tables cost about a millisecond to make; a setting earns them after this many
    // pixels, so one-off small blends never pay for them.
    static constexpr int64_t kFastAfterPixels = 4096;
    std::unordered_map<uint32_t, std::unique_ptr<MixTable>> byWeight;
    std::vector<std::unique_ptr<BlendSetting>> settings;
};

TableCache& Cache() {
    thread_local TableCache cache;
    return cache;
}

uint32_t Bits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

}  // namespace

BlendWeights::BlendWeights(float opacity, bool mono)
    : opacity_(Bounded(opacity, 1.0f)), mono_(mono), skip_(mono ? 255 : 0) {
    const uint8_t full = mono ? 0 : 255;
    if (Weight(full) == 1.0f)
        copy_ = full;
    TableCache& c = Cache();
    const uint32_t bits = Bits(static_cast<float>(opacity_));
    for (const auto& s : c.settings) {
        if (s->opacityBits == bits && s->mono == mono) {
            setting_ = s.get();
            tables_ = s->tables.data();
            return;
        }
    }
    if (c.settings.size() < TableCache::kMaxSettings) {
        c.settings.push_back(std::make_unique<BlendSetting>());
        setting_ = c.settings.back().get();
        setting_->opacityBits = bits;
        setting_->mono = mono;
        tables_ = setting_->tables.data();
    }
}

bool BlendWeights::BlendRectFast(const BlendRect& rect, bool copyRuns) const {
    if (!setting_ || CurrentBlendKernel() == BlendKernel::kPortable)
        return false;
    BlendSetting& set = *setting_;
    if (!set.fast) {
        set.pixels += int64_t{rect.width} * rect.height;
        if (set.pixels < TableCache::kFastAfterPixels)
            return false;
        std::array<float, 256> weights{};
        for (int m = 0; m < 256; ++m) weights[static_cast<size_t>(m)] = Weight(uint8_t(m));
        set.fast = std::make_unique<FastBlendTables>();
        FillFastBlendTables(*set.fast, weights);
    }
    const FastBlendRow row{set.fast.get(),
                           copyRuns ? copy_ : -1,
                           skip_,
                           [](const void* self, Pixel16 sp, Pixel16 dp, uint8_t mv) {
                               return static_cast<const BlendWeights*>(self)->Lookup(sp, dp, mv);
                           },
                           this,
                           tables_};
    BlendRectAvx512(row, rect);
    return true;
}

void BlendWeights::BlendRow(Pixel16* d, const Pixel16* s, const uint8_t* m, int n) const {
    if (!tables_) {
        for (int i = 0; i < n; ++i) d[i] = Blend(s[i], d[i], m[i]);
        return;
    }
    // Runs that skip or copy are the usual case (clear surroundings, opaque tile interiors);
    // a weight of exactly 1 gives the source as it is, since the other weight is then 0.
    int i = 0;
    while (i < n) {
        const uint8_t v = m[i];
        int j = i + 1;
        if (v == skip_) {
            while (j < n && m[j] == v) ++j;
        } else if (v == copy_) {
            while (j < n && m[j] == v) ++j;
            std::memcpy(d + i, s + i, static_cast<size_t>(j - i) * sizeof(Pixel16));
        } else {
            d[i] = Lookup(s[i], d[i], v);
        }
        i = j;
    }
}

const uint8_t* BlendWeights::TableFor(uint8_t m) const {
    TableCache& c = Cache();
    const float a = Weight(m);
    auto it = c.byWeight.find(Bits(a));
    if (it == c.byWeight.end()) {
        if (c.byWeight.size() >= TableCache::kMaxTables)
            return nullptr;
        auto table = std::make_unique<MixTable>();
        for (int s = 0; s < 32; ++s)
            for (int d = 0; d < 32; ++d)
                (*table)[static_cast<size_t>(s << 5 | d)] =
                    static_cast<uint8_t>(MixChannel(s, d, a));
        it = c.byWeight.emplace(Bits(a), std::move(table)).first;
    }
    if (tables_)
        tables_[m] = it->second->data();
    return it->second->data();
}

bool AlphaBlendBitmapFaded(Surface16& dst, int x, int y, float opacity, int ax, int ay, int sx,
                           int sy, const Mask& alpha, const Surface16& src, int height, int width) {
    BlitArea a{x, y, width, height, {sx, ax < 0 ? sx : ax}, {sy, ay < 0 ? sy : ay}};
    const PixelRect sb = src.bounds(), ab = alpha.bounds();
    if (!ClipBlitArea(a, dst.clip(), &sb, &ab))
        return false;
    const BlendWeights weights(opacity, alpha.mono());
    const BlendRect rect{dst.row(a.y) + a.x,
                         -std::ptrdiff_t{dst.stride()},
                         src.row(a.sy[0]) + a.sx[0],
                         -std::ptrdiff_t{src.stride()},
                         alpha.row(a.sy[1]) + a.sx[1],
                         std::ptrdiff_t{alpha.width()},
                         a.width,
                         a.height};
    if (weights.BlendRectFast(rect, true))
        return true;
    for (int r = 0; r < a.height; ++r) {
        Pixel16* d = dst.row(a.y + r) + a.x;
        const Pixel16* s = src.row(a.sy[0] + r) + a.sx[0];
        weights.BlendRow(d, s, alpha.row(a.sy[1] + r) + a.sx[1], a.width);
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
    const BlendWeights weights(opacity, false);
    // Mask value 255 everywhere, and no copying: a full weight still goes through the
    // arithmetic, as it always has for this call.
    static constexpr std::array<uint8_t, 256> kFull = [] {
        std::array<uint8_t, 256> f{};
        f.fill(255);
        return f;
    }();
    for (int x = 0; x < a.width; x += 256) {
        const int w = std::min(256, a.width - x);
        const BlendRect rect{dst.row(a.y) + a.x + x,
                             -std::ptrdiff_t{dst.stride()},
                             src.row(a.sy[0]) + a.sx[0] + x,
                             -std::ptrdiff_t{src.stride()},
                             kFull.data(),
                             0,
                             w,
                             a.height};
        if (weights.BlendRectFast(rect, false))
            continue;
        for (int r = 0; r < a.height; ++r) {
            Pixel16* d = dst.row(a.y + r) + a.x + x;
            const Pixel16* s = src.row(a.sy[0] + r) + a.sx[0] + x;
            for (int i = 0; i < w; ++i) d[i] = weights.Blend(s[i], d[i], 255);
        }
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
