// Speed of skin painting on a screen-sized form (1920 x 1080): a full repaint (what a resize
// or an exposure of the whole window costs) and the repaint of one dirty element (a button
// that changes), each with its copy to the form, beside a memcpy of the same pixels.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "skin/zrskin.h"
#include "skin/zrskinhost.h"
#include "skin/zrskinlayout.h"
#include "skin/zrskinpaint.h"
#include "skin/zrskintheme.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kButtons = 24;
constexpr int kButtonWidth = 96;
constexpr int kButtonHeight = 32;

// A form whose pixels are a 16-bit buffer, copied into row by row as the widget copies them.
class ScreenForm : public pk::SkinForm {
public:
    ScreenForm() : pixels_(static_cast<size_t>(kWidth) * kHeight) {}
    int ClientWidth() const override { return kWidth; }
    int ClientHeight() const override { return kHeight; }
    bool FormVisible() const override { return true; }
    int32_t FormColour() const override { return 0xC8D0D4; }
    void PresentRect(const pk::Surface16& buffer, const pk::PixelRect& r) override {
        for (int y = r.top; y < r.top + r.height; ++y)
            std::memcpy(&pixels_[static_cast<size_t>(y) * kWidth + r.left], buffer.row(y) + r.left,
                        static_cast<size_t>(r.width) * 2);
    }
    void FillFormRect(const pk::PixelRect&, pk::Pixel16) override {}

private:
    std::vector<pk::Pixel16> pixels_;
};

pk::Surface16 Picture(int w, int h, int seed) {
    pk::Surface16 s(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            s.setPixel(x, y, pk::Rgb555((x + seed) & 31, (y * 3) & 31, (x ^ y) & 31));
    return s;
}

void Add(pk::TZRTheme& theme, const std::string& name, const std::string& flags, pk::PixelRect r) {
    auto c = std::make_unique<pk::TZRC>();
    c->kind = pk::KlbKind::Skin;
    c->name = name;
    c->skin = std::make_unique<pk::TZRskin>();
    c->skin->SkinFlagList = "shell\r" + flags;
    c->skin->left = r.left;
    c->skin->top = r.top;
    c->skin->width = r.width;
    c->skin->height = r.height;
    theme.entries.push_back(std::move(c));
}

// A typical main window: a stretched background, a nine-slice frame over it, a panel tiled
// with a small pattern and a row of buttons drawn through transparency masks.
struct Skin {
    Skin() {
        pk::InitSkins(kWidth, kHeight);
        pk::RegisterSkin(&form, "shell");
        Add(theme, "background", "maxboth\rstretchboth", {0, 0, 800, 600});
        Add(theme, "frame", "maxboth\rborder\n8,8,8,8", {0, 0, 800, 600});
        Add(theme, "panel", "maxboth", {40, 80, 700, 480});
        for (int i = 0; i < kButtons; ++i)
            Add(theme, "button" + std::to_string(i), "",
                {40 + (i % 12) * 100, 20 + (i / 12) * 40, kButtonWidth, kButtonHeight});
        pk::ApplySkinTheme(theme, "shell", 800, 600);
        SetPicture("background", Picture(64, 48, 1), {});
        SetPicture("frame", Picture(32, 32, 2), {});
        SetPicture("panel", Picture(16, 16, 3), {});
        pk::Mask mask(kButtonWidth, kButtonHeight, true, 0);
        for (int x = 0; x < 4; ++x)
            for (int y = 0; y < kButtonHeight; ++y) mask.setValue(x, y, 255);  // round-ish ends
        for (int i = 0; i < kButtons; ++i)
            SetPicture("button" + std::to_string(i), Picture(kButtonWidth, kButtonHeight, i), mask);
    }
    ~Skin() { pk::FreeSkins(); }
    void SetPicture(const std::string& name, pk::Surface16 image, std::optional<pk::Mask> mask) {
        pk::TSkinElementRec* e = pk::FindElementAnywhere(name);
        e->source.imageSize = 1;
        e->image = std::move(image);
        e->mask = std::move(mask);
        e->bitmapsLoaded = true;
    }
    ScreenForm form;
    pk::TZRTheme theme;
};

void BM_FullRepaint(benchmark::State& state) {
    Skin skin;
    for (auto _ : state) pk::PaintSkinRect(&skin.form, {0, 0, kWidth, kHeight});
    state.SetBytesProcessed(state.iterations() * int64_t{kWidth} * kHeight * 2);
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMicrosecond);

void BM_OneDirtyElement(benchmark::State& state) {
    Skin skin;
    pk::PaintSkinRect(&skin.form, {0, 0, kWidth, kHeight});
    for (auto _ : state) {
        pk::InvalidateElement(&skin.form, "button5");
        pk::PaintDirtySkins();
    }
    state.SetBytesProcessed(state.iterations() * int64_t{kButtonWidth} * kButtonHeight * 2);
}
BENCHMARK(BM_OneDirtyElement)->Unit(benchmark::kMicrosecond);

void Copy(benchmark::State& state, int w, int h) {
    std::vector<pk::Pixel16> from(static_cast<size_t>(kWidth) * kHeight, 1);
    std::vector<pk::Pixel16> to(from.size());
    for (auto _ : state) {
        for (int y = 0; y < h; ++y)
            std::memcpy(&to[static_cast<size_t>(y) * kWidth],
                        &from[static_cast<size_t>(y) * kWidth], static_cast<size_t>(w) * 2);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * int64_t{w} * h * 2);
}

void BM_MemcpyScreen(benchmark::State& state) {
    Copy(state, kWidth, kHeight);
}
BENCHMARK(BM_MemcpyScreen)->Unit(benchmark::kMicrosecond);

void BM_MemcpyElement(benchmark::State& state) {
    Copy(state, kButtonWidth, kButtonHeight);
}
BENCHMARK(BM_MemcpyElement)->Unit(benchmark::kMicrosecond);

}  // namespace
