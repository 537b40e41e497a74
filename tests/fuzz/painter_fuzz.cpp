// Random drawing: every copy, stretch, mask copy, blend and block blit with any rectangle
// (extreme values included), and the field painter with any metrics, cells, pieces, hold
// tokens, timed effects, options and element rectangles. Nothing may read or write outside a
// buffer (the sanitizers watch).
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "display/zrfieldbitmaps.h"
#include "display/zrfieldpaint.h"
#include "game/zrfield.h"
#include "game/zrgame.h"
#include "game/zrgamethread.h"
#include "game/zrtimedsb.h"
#include "gfx/blend.h"
#include "gfx/blit.h"
#include "gfx/blockblit.h"
#include "gfx/text.h"

namespace {

using namespace pk;

struct Input {
    const uint8_t* data;
    size_t size;
    uint8_t Byte() {
        if (size == 0)
            return 0;
        --size;
        return *data++;
    }
    int Small(int max) { return Byte() % (max + 1); }
    // Mostly small coordinates, sometimes the extremes.
    int Coord() {
        switch (Byte() % 8) {
            case 0:
                return std::numeric_limits<int>::min();
            case 1:
                return std::numeric_limits<int>::max();
            case 2:
                return -static_cast<int>(Byte()) * 1000;
            default:
                return static_cast<int>(Byte()) - 96;
        }
    }
    std::string Text(size_t max) {
        std::string s;
        const size_t n = Byte() % (max + 1);
        for (size_t i = 0; i < n; ++i) s += static_cast<char>(Byte());
        return s;
    }
};

Surface16 RandomSurface(Input& in, int max) {
    Surface16 s(in.Small(max), in.Small(max));
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x) s.setPixel(x, y, static_cast<Pixel16>(in.Byte() * 131));
    return s;
}

Mask RandomMask(Input& in, int max) {
    Mask m(in.Small(max), in.Small(max), in.Byte() & 1);
    for (int y = 0; y < m.height(); ++y)
        for (int x = 0; x < m.width(); ++x) m.setValue(x, y, in.Byte());
    return m;
}

class BoxText : public TextPainter {
public:
    void ChooseFont(std::string_view, int, FontWeight) override {}
    TextExtent Measure(std::string_view t) override { return {static_cast<int>(t.size()) * 5, 7}; }
    void DrawText(Surface16& dst, int x, int y, std::string_view t, Pixel16 c) override {
        FillRect(dst, {x, y, static_cast<int>(t.size()) * 5, 7}, c);
    }
};

void Blits(Input& in) {
    Surface16 dst = RandomSurface(in, 40);
    const Surface16 src = RandomSurface(in, 40);
    const Mask mask = RandomMask(in, 40);
    ThemeTiles tiles;
    tiles.present = in.Byte() & 1;
    tiles.metrics = {in.Coord(), in.Coord(), in.Coord(), in.Coord()};
    tiles.image = src;
    if (in.Byte() & 1)
        tiles.mask = mask;
    if (in.Byte() & 1)
        dst.setClip({in.Coord(), in.Coord(), in.Coord(), in.Coord()});
    const RasterOp ops[] = {RasterOp::SrcCopy, RasterOp::SrcAnd, RasterOp::SrcInvert};
    BoxText text;
    for (int n = 0; n < 24 && in.size > 0; ++n) {
        const RasterOp op = ops[in.Byte() % 3];
        const float f = static_cast<float>(in.Byte()) / 200.0f;
        switch (in.Byte() % 16) {
            case 0:
                BitBlt(dst, in.Coord(), in.Coord(), in.Coord(), in.Coord(), src, in.Coord(),
                       in.Coord(), op);
                break;
            case 1:
                StretchBlt(dst, in.Coord(), in.Coord(), in.Coord(), in.Coord(), src, in.Coord(),
                           in.Coord(), in.Coord(), in.Coord(), op);
                break;
            case 2:
                BitBlt(dst, in.Coord(), in.Coord(), in.Coord(), in.Coord(), mask, in.Coord(),
                       in.Coord(), op);
                break;
            case 3:
                MaskedBlt(dst, in.Coord(), in.Coord(), in.Coord(), in.Coord(), mask, src,
                          in.Coord(), in.Coord());
                break;
            case 4:
                MaskedStretchBlt(dst, in.Coord(), in.Coord(), in.Coord(), in.Coord(), mask, src,
                                 in.Coord(), in.Coord(), in.Coord(), in.Coord());
                break;
            case 5:
                AlphaBlendBitmapFaded(dst, in.Coord(), in.Coord(), f, in.Coord(), in.Coord(),
                                      in.Coord(), in.Coord(), mask, src, in.Coord(), in.Coord());
                break;
            case 6:
                AlphaBlendBitmap(dst, in.Coord(), in.Coord(), in.Coord(), in.Coord(), in.Coord(),
                                 in.Coord(), mask, src, in.Coord(), in.Coord());
                break;
            case 7:
                BlendBitmap(dst, in.Coord(), in.Coord(), f, in.Coord(), in.Coord(), src, in.Coord(),
                            in.Coord());
                break;
            case 8:
                DimRect(dst, in.Coord(), in.Coord(), f * 10, in.Coord(), in.Coord());
                break;
            case 9:
                FillRect(dst, {in.Coord(), in.Coord(), in.Coord(), in.Coord()}, 0x7FFF);
                break;
            case 10:
                FrameRect(dst, {in.Coord(), in.Coord(), in.Coord(), in.Coord()}, 0x001F);
                break;
            case 11:
                DrawBlock(dst, in.Coord(), in.Coord(), tiles, f, in.Coord(),
                          static_cast<char>(in.Byte()));
                break;
            case 12:
                DrawBlockScaled(dst, in.Coord(), in.Coord(), tiles, in.Coord(),
                                static_cast<char>(in.Byte()), in.Coord(), in.Coord());
                break;
            case 13:
                BlitFieldPart(dst, {in.Coord(), in.Coord(), in.Coord(), in.Coord()}, tiles.metrics,
                              in.Coord(), op, src, in.Coord(), in.Coord(), in.Coord(), in.Coord(),
                              in.Coord(), in.Coord());
                break;
            case 14:
                StretchFieldPart(dst, {in.Coord(), in.Coord(), in.Coord(), in.Coord()},
                                 tiles.metrics, in.Coord(), op, src, in.Coord(), in.Coord(),
                                 in.Coord(), in.Coord(), in.Coord(), in.Coord());
                break;
            default: {
                Mask work(in.Small(30), in.Small(30), in.Byte() & 1, 255);
                CopyMask(work, in.Coord(), in.Coord(), in.Coord(), in.Coord(), mask, in.Coord(),
                         in.Coord());
                FillMask(work, {in.Coord(), in.Coord(), in.Coord(), in.Coord()}, in.Byte());
                DrawOutlinedText(text, dst, 0xFFFFFF, 0, in.Text(8), in.Coord(), in.Coord());
                PixelRect r;
                BlockTileRect(tiles.metrics, in.Byte() & 1, static_cast<char>(in.Byte()), r);
                CellBackgroundRect(tiles.metrics, in.Byte() & 1, in.Coord(), in.Coord());
                PixelRectToCells(tiles.metrics, in.Coord(), in.Coord(), in.Coord(), in.Coord());
                break;
            }
        }
    }
}

class NoTimedHost : public TimedHost {
public:
    int32_t SecondClock() override { return clock; }
    int OwnSlot() override { return ClientState.game.OwnSlot; }
    void RedrawField(int) override {}
    void RefreshSlot(int, int) override {}
    void PlayThemeSound(const std::string&) override {}
    void SetTimedTimer(bool) override {}
    int32_t clock = 100;
};

class Window : public FieldPaintHost {
public:
    Surface16* GameCanvas() override { return &canvas; }
    bool HoldPieceElement() override { return hold; }
    TextPainter* Text() override { return &text; }
    Surface16 canvas;
    BoxText text;
    bool hold = false;
};

void Painter(Input& in) {
    static NoTimedHost timed;
    static Window window;
    FieldWidth = in.Small(22);
    FieldHeight = in.Small(42);
    BlockSize = in.Small(12);
    SmallBlockSize = in.Small(8);
    CreatePlayerFieldBitmaps();
    // A theme whose metrics need not match its bitmap.
    static TZRMainbmp main;
    main.largeBlockSize = in.Small(20);
    main.smallBlockSize = in.Small(10);
    main.fieldWidth = in.Small(22);
    main.fieldHeight = in.Small(42);
    main.image = DibBitmap(in.Small(200), in.Small(200), 0xFF336699u);
    main.mask.reset();
    if (in.Byte() & 1)
        main.mask = DibBitmap(in.Small(200), in.Small(200), 0xFF000000u, (in.Byte() & 1) ? 1 : 32);
    Settings.theme.draw = ThemeDrawRec{};
    if (in.Byte() & 1)
        Settings.theme.draw.mainbmp = &main;
    tclientoptions& o = Settings.options;
    o.animdrop = in.Byte() & 1;
    o.showshadow = in.Byte() & 1;
    o.shadowoption = in.Coord();
    o.usealpha = in.Byte() & 1;
    o.resizefields = in.Byte() & 1;
    window.hold = in.Byte() & 1;
    window.canvas = Surface16(in.Small(120), in.Small(120));
    SetFieldPaintHost(&window);
    ClearPlayerElements();
    for (int p = 1; p <= MaxSlots; ++p)
        if (in.Byte() & 1)
            SetPlayerElement(p, {in.Coord(), in.Coord(), in.Small(200), in.Small(200)});

    InitPlayerSlots();
    ResetGame();
    InitTimedSpecials(timed);
    tmegame& g = ClientState.game;
    g.OwnSlot = in.Small(7);
    g.Spectating = in.Byte() & 1;
    for (int slot = 1; slot <= MaxSlots; ++slot) {
        if (in.Byte() % 3 == 0)
            continue;
        tclient* c = AddPlayer("p");
        SeatPlayer(*c, slot);
        c->plr->field = in.Text(255);
        c->TeamName = in.Text(6);
        c->plr->SlotValue = static_cast<int32_t>(in.Byte() * 65793);
        if (in.Byte() & 1) {
            static const char* names[] = {"d", "i", "f", "m", "", "D"};
            TimedSpecials->AddTimed(slot, 1, names[in.Byte() % 6], in.Coord(), in.Small(3),
                                    in.Coord(), in.Byte() & 1, in.Byte() & 1, in.Byte() & 1);
        }
    }
    for (int n = 0; n < 8 && in.size > 0; ++n) {
        g.CurrentPiece = in.Byte() & 1 ? in.Text(12) : "0302" + in.Text(6);
        g.PieceX = in.Coord();
        g.PieceY = in.Coord();
        g.HoldToken = in.Text(12);
        GameTiming.FallOffset = in.Coord();
        timed.clock += in.Byte();
        TimedSpecials->TickTimedSpecials(in.Byte() & 1);
        redrawfield(in.Small(7), in.Byte() & 1, &window.canvas);
    }
    FreeTimedSpecials();
    FreePlayerSlots();
    ClearPlayerElements();
    SetFieldPaintHost(nullptr);
    Settings.theme.draw = ThemeDrawRec{};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in{data, size};
    if (in.Byte() & 1) {
        Blits(in);
    } else {
        Painter(in);
    }
    return 0;
}
