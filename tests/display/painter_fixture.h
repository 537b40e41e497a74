#pragma once
// A game window for the field painter: a canvas with six player elements, a theme of
// synthetic tiles, a text painter with fixed metrics and the timed-effect list, over the
// engine fixture's own game.
#include <memory>
#include <string>
#include <vector>

#include "display/zrfieldbitmaps.h"
#include "display/zrfieldpaint.h"
#include "game/specials_env.h"
#include "game/zrgamethread.h"
#include "game/zrtimedsb.h"
#include "gfx/blit.h"
#include "support/fake_game_io.h"
#include "support/tile_theme.h"

namespace pk::testing {

// Each character is a 3x5 box with a column between characters; lines are 6 pixels high.
class BoxTextPainter : public TextPainter {
public:
    void ChooseFont(std::string_view family, int points, FontWeight weight) override {
        font = std::string(family) + " " + std::to_string(points);
        if (weight == FontWeight::Bold)
            font += " bold";
    }
    TextExtent Measure(std::string_view text) override {
        return {static_cast<int>(text.size()) * 4, 6};
    }
    void DrawText(Surface16& dst, int x, int y, std::string_view text, Pixel16 colour) override {
        for (size_t i = 0; i < text.size(); ++i)
            FillRect(dst, {x + static_cast<int>(i) * 4, y, 3, 5}, colour);
        drawn.push_back({std::string(text), x, y, colour});
    }
    struct Drawn {
        std::string text;
        int x, y;
        Pixel16 colour;
    };
    // Whether `text` was drawn at (x, y) in `colour`.
    bool Drew(const std::string& t, int x, int y, Pixel16 colour) const {
        for (const Drawn& d : drawn)
            if (d.text == t && d.x == x && d.y == y && d.colour == colour)
                return true;
        return false;
    }
    std::string font;
    std::vector<Drawn> drawn;
};

class WindowHost : public FieldPaintHost {
public:
    Surface16* GameCanvas() override { return canvas; }
    void CanvasChanged(Surface16&, const PixelRect& area) override { changed.push_back(area); }
    bool HoldPieceElement() override { return holdElement; }
    TextPainter* Text() override { return text; }

    Surface16* canvas = nullptr;
    TextPainter* text = nullptr;
    bool holdElement = false;
    std::vector<PixelRect> changed;
};

inline constexpr Pixel16 kCanvasColour = Rgb555(12, 0, 12);

class PainterTest : public EngineTest {
protected:
    // W x H cells of B (big field) and S (small) pixels.
    void SetUpPainter(int w, int h, int b, int s, test::MaskKind mask) {
        FieldWidth = w;
        FieldHeight = h;
        BlockSize = b;
        SmallBlockSize = s;
        main_ = std::make_unique<TZRMainbmp>(test::TileTheme({b, s, w, h}, mask));
        test::UseMainBitmap(Settings.theme, main_.get());
        CreatePlayerFieldBitmaps();
        ClearPlayerElements();
        // The big field, then two rows of small ones.
        const int bw = w * b, bh = h * b, sw = w * s, sh = h * s;
        SetPlayerElement(1, {0, 0, bw, bh});
        for (int p = 2; p <= 6; ++p) {
            const int i = p - 2;
            SetPlayerElement(p, {bw + 2 + (i % 3) * (sw + 2), (i / 3) * (sh + 2), sw, sh});
        }
        canvas = Surface16(bw + 3 * (sw + 2), std::max(bh, 2 * sh + 2), kCanvasColour);
        host.canvas = &canvas;
        host.text = &text;
        SetFieldPaintHost(&host);
        InitTimedSpecials(timedHost);
        Settings.options.animdrop = 0;
        Settings.options.showshadow = 0;
        Settings.options.usealpha = 1;
        Settings.options.resizefields = 0;
        Settings.options.shadowoption = 1;
        GameTiming.FallOffset = 0;
        ClientState.game.ShadowPlace = {-1, -1, -1, -1};
    }

    void TearDown() override {
        FreeTimedSpecials();
        SetFieldPaintHost(nullptr);
        ClearPlayerElements();
        FreePlayerFieldBitmaps();
        BlockSize = 16;
        SmallBlockSize = 8;
        GameTiming.FallOffset = 0;
        EngineTest::TearDown();
        Settings = tsettingsarray{};
    }

    // Seats another player with a field.
    tclient* Seat(int slot, const std::string& name, const std::string& field = "") {
        tclient* c = AddPlayer(name);
        SeatPlayer(*c, slot);
        if (!field.empty())
            c->plr->field = field;
        return c;
    }

    void RedrawAll(int full) {
        for (int slot = 1; slot <= MaxSlots; ++slot) redrawfield(slot, full, &canvas);
    }

    // The field's cell (x, y), 1-based.
    static char& Cell(tclient* c, int x, int y) {
        return c->plr->field[static_cast<size_t>((y - 1) * FieldWidth + x - 1)];
    }

    Surface16 canvas;
    WindowHost host;
    BoxTextPainter text;
    FakeTimedHost timedHost;
    std::unique_ptr<TZRMainbmp> main_;
};

}  // namespace pk::testing
