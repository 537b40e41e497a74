// Speed of the field painter and the blend, each beside its baseline:
// - all six fields repainted after a lock (one that clears a line, and one that does not),
//   against a plain memcpy of as many pixels as the six field surfaces hold;
// - the 16-bit alpha blend of one tile, against QPainter drawing the same tile (premultiplied
//   ARGB) onto a QImage of the destination's size.
// Read the ratios from one run: BM_RepaintAfterLock (and ...PlainLock) / BM_MemcpyFieldPixels and
// BM_Blend16 / BM_QPainterBlend at the same tile size.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <cstring>
#include <memory>
#include <vector>

#include "display/zrfieldbitmaps.h"
#include "display/zrfieldpaint.h"
#include "game/zrfield.h"
#include "game/zrgame.h"
#include "game/zrgamethread.h"
#include "gfx/blend.h"

namespace pk {
namespace {

constexpr int kTiles = 19;

// A main bitmap in the theme layout: patterned tiles, grid backgrounds, and a transparency
// mask that cuts each tile's corners (what ordinary themes use).
std::unique_ptr<TZRMainbmp> BenchTheme(int b, int s, int w, int h) {
    auto m = std::make_unique<TZRMainbmp>();
    m->largeBlockSize = b;
    m->smallBlockSize = s;
    m->fieldWidth = w;
    m->fieldHeight = h;
    const int width = std::max(kTiles * b, w * (b + s));
    const int height = b + s + h * b;
    m->image = DibBitmap(width, height, 0xFF102030u);
    DibBitmap mask(width, height, 0xFFFFFFFFu, 1);
    for (int i = 0; i < kTiles; ++i) {
        for (int y = 0; y < b + s; ++y) {
            for (int x = 0; x < b; ++x) {
                const int size = y < b ? b : s;
                const int tx = x % size, ty = (y < b ? y : y - b);
                if (x >= size)
                    continue;
                const int px = i * size + tx;
                m->image.at(px, y) = 0xFF000000u | static_cast<uint32_t>(i * 0x0A0B0C + tx * 8);
                const bool corner = (tx == 0 || tx == size - 1) && (ty == 0 || ty == size - 1);
                mask.at(px, y) = corner ? 0xFFFFFFFFu : 0xFF000000u;
                if (corner)
                    m->image.at(px, y) = 0xFF000000u;
            }
        }
    }
    m->mask = std::move(mask);
    return m;
}

// Six players with ragged stacks; the own field has one line one cell short of full.
class Scene {
public:
    Scene() {
        FieldWidth = 12;
        FieldHeight = 22;
        BlockSize = 16;
        SmallBlockSize = 8;
        main_ = BenchTheme(16, 8, 12, 22);
        Settings.theme.draw = ThemeDrawRec{};
        Settings.theme.draw.mainbmp = main_.get();
        BindThemeBitmaps(Settings.theme);
        Settings.options.showshadow = 1;
        CreatePlayerFieldBitmaps();
        InitPlayerSlots();
        ResetGame();
        for (int slot = 1; slot <= MaxSlots; ++slot) {
            tclient* c = AddPlayer("p" + std::to_string(slot));
            SeatPlayer(*c, slot);
            c->plr->field = Stack(slot);
        }
        ClientState.game.OwnPlayer = SlotPlayers[1];
        ClientState.game.OwnSlot = 1;
        ClientState.game.Spectating = 0;
        SetPlayerElement(1, {0, 0, 192, 352});
        for (int p = 2; p <= 6; ++p) SetPlayerElement(p, {200 + (p - 2) * 100, 0, 96, 176});
        canvas_ = Surface16(700, 360);
        before_ = SlotPlayers[1]->plr->field;
        // The bar drops into the gap of the next-to-last row and clears it.
        after_ = before_;
        stickpiece("01041111", 12, 18, after_);
        removelines(after_, FullRows(after_));
        plain_ = before_;
        stickpiece("01041111", 12, 3, plain_);
        for (int slot = 1; slot <= MaxSlots; ++slot) redrawfield(slot, 1, &canvas_);
    }
    ~Scene() {
        FreePlayerSlots();
        FreePlayerFieldBitmaps();
        ClearPlayerElements();
        Settings.theme.draw = ThemeDrawRec{};
    }

    // The falling bar above the stack, or locked with the line cleared.
    void Falling() {
        SlotPlayers[1]->plr->field = before_;
        ClientState.game.CurrentPiece = "01041111";
        ClientState.game.PieceX = 12;
        ClientState.game.PieceY = 3;
    }
    // The bar locked on top of the stack without completing a line.
    void LockedPlain() {
        SlotPlayers[1]->plr->field = plain_;
        ClientState.game.CurrentPiece = "04011111";
        ClientState.game.PieceX = 5;
        ClientState.game.PieceY = 1;
    }
    void Locked() {
        SlotPlayers[1]->plr->field = after_;
        ClientState.game.CurrentPiece = "04011111";
        ClientState.game.PieceX = 5;
        ClientState.game.PieceY = 1;
    }
    void RepaintAll(int full) {
        for (int slot = 1; slot <= MaxSlots; ++slot) redrawfield(slot, full, &canvas_);
    }
    static size_t FieldPixels() {
        size_t n = 0;
        for (int p = 1; p <= MaxSlots; ++p)
            n +=
                static_cast<size_t>(PlayerFieldBitmaps[p].width()) * PlayerFieldBitmaps[p].height();
        return n;
    }

private:
    static std::string Stack(int seed) {
        std::string f = EmptyField();
        for (int r = 10; r <= 22; ++r)
            for (int c = 1; c <= 12; ++c)
                if ((r * 7 + c * 3 + seed) % 5 != 0 || r == 19)
                    f[static_cast<size_t>((r - 1) * 12 + c - 1)] =
                        "12345acnrs"[(r + c + seed) % 10];
        // Row 19 full but for its last cell.
        f[static_cast<size_t>(18 * 12 + 11)] = '0';
        return f;
    }

    std::unique_ptr<TZRMainbmp> main_;
    Surface16 canvas_;
    std::string before_, after_, plain_;
};

void BM_RepaintAfterLock(benchmark::State& state) {
    Scene scene;
    for (auto _ : state) {
        state.PauseTiming();
        scene.Falling();
        scene.RepaintAll(0);
        scene.Locked();
        state.ResumeTiming();
        scene.RepaintAll(0);
    }
    state.counters["pixels"] = static_cast<double>(Scene::FieldPixels());
}
BENCHMARK(BM_RepaintAfterLock);

void BM_RepaintAfterPlainLock(benchmark::State& state) {
    Scene scene;
    for (auto _ : state) {
        state.PauseTiming();
        scene.Falling();
        scene.RepaintAll(0);
        scene.LockedPlain();
        state.ResumeTiming();
        scene.RepaintAll(0);
    }
}
BENCHMARK(BM_RepaintAfterPlainLock);

// Nothing changed: what every redraw costs before it paints anything.
void BM_RepaintUnchanged(benchmark::State& state) {
    Scene scene;
    scene.LockedPlain();
    scene.RepaintAll(0);
    for (auto _ : state) scene.RepaintAll(0);
}
BENCHMARK(BM_RepaintUnchanged);

// Every cell of all six fields, for comparison.
void BM_RepaintAllFull(benchmark::State& state) {
    Scene scene;
    scene.Locked();
    for (auto _ : state) scene.RepaintAll(1);
}
BENCHMARK(BM_RepaintAllFull);

void BM_MemcpyFieldPixels(benchmark::State& state) {
    size_t pixels = 0;
    {
        Scene scene;
        pixels = Scene::FieldPixels();
    }
    std::vector<Pixel16> from(pixels, 0x1234), to(pixels);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), pixels * sizeof(Pixel16));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(pixels * 2));
}
BENCHMARK(BM_MemcpyFieldPixels);

// A tile with an alpha map. Range 0 (a theme's usual tile): opaque inside, a ring alternating
// half-opaque and clear. Range 1 (the worst case): every pixel partly opaque, all different.
Mask TileAlpha(int n, int soft) {
    Mask m(n, n, false, 255);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            if (soft)
                m.setValue(x, y, static_cast<uint8_t>(1 + (x * 7 + y * 13) % 254));
            else if (x == 0 || y == 0 || x == n - 1 || y == n - 1)
                m.setValue(x, y, (x + y) % 2 ? 128 : 0);
    return m;
}

void BM_Blend16(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Surface16 tile(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) tile.setPixel(x, y, Rgb555(x & 31, y & 31, (x + y) & 31));
    const Mask alpha = TileAlpha(n, static_cast<int>(state.range(1)));
    Surface16 dst(192, 352, Rgb555(3, 9, 27));
    for (auto _ : state) {
        AlphaBlendBitmap(dst, 32, 48, -1, -1, 0, 0, alpha, tile, n, n);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * n * n);
}
BENCHMARK(BM_Blend16)->Args({16, 0})->Args({64, 0})->Args({16, 1})->Args({64, 1});

void BM_QPainterBlend(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    QImage tile(n, n, QImage::Format_ARGB32);
    const Mask alpha = TileAlpha(n, static_cast<int>(state.range(1)));
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            tile.setPixel(
                x, y, qRgba((x & 31) << 3, (y & 31) << 3, ((x + y) & 31) << 3, alpha.value(x, y)));
    tile = tile.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage dst(192, 352, QImage::Format_RGB32);
    dst.fill(qRgb(24, 72, 216));
    QPainter painter(&dst);
    for (auto _ : state) {
        painter.drawImage(32, 48, tile);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * n * n);
}
BENCHMARK(BM_QPainterBlend)->Args({16, 0})->Args({64, 0})->Args({16, 1})->Args({64, 1});

}  // namespace
}  // namespace pk
