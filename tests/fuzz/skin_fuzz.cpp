// Skin entries from any bytes: parameter texts, event texts, parents and rectangles, with
// images and masks of any size. Building, laying out at several sizes, painting, mouse, key
// and state events must never crash, hang or read outside an image.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "skin/zrskin.h"
#include "skin/zrskinhost.h"
#include "skin/zrskininput.h"
#include "skin/zrskinlayout.h"
#include "skin/zrskinpaint.h"
#include "skin/zrskinscript.h"
#include "skin/zrskintheme.h"

namespace {

class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    int32_t Int() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = v << 8 | Byte();
        return static_cast<int32_t>(v);
    }
    int Small(int range) { return Byte() % range; }
    std::string Text() {
        const size_t n = Byte();
        std::string s;
        for (size_t i = 0; i < n && pos_ < size_; ++i) s.push_back(static_cast<char>(Byte()));
        return s;
    }
    bool Done() const { return pos_ >= size_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

class Form : public pk::SkinForm {
public:
    Form(int w, int h) : w_(w), h_(h) {}
    int ClientWidth() const override { return w_; }
    int ClientHeight() const override { return h_; }
    bool FormVisible() const override { return true; }
    int32_t FormColour() const override { return 0x808080; }
    void PresentRect(const pk::Surface16&, const pk::PixelRect&) override {}
    void FillFormRect(const pk::PixelRect&, pk::Pixel16) override {}
    int w_, h_;
};

const char* const kNames[] = {"back",   "con_login", "con_game", "chateditbox", "player1",
                              "sbtext", "button",    "frame",    "accountname", "tab"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    pk::InitSkins(320, 240);
    Form shell(200 + in.Small(200), 100 + in.Small(200));
    Form login(50 + in.Small(100), 50 + in.Small(100));
    pk::RegisterSkin(&shell, "shell");
    pk::RegisterSkin(&login, "login");
    pk::TZRTheme theme;
    const int entries = 1 + in.Small(10);
    for (int i = 0; i < entries && !in.Done(); ++i) {
        auto c = std::make_unique<pk::TZRC>();
        c->kind = pk::KlbKind::Skin;
        c->name = in.Small(3) ? kNames[in.Small(10)] : in.Text();
        c->skin = std::make_unique<pk::TZRskin>();
        c->skin->SkinFlagList = (in.Small(2) ? "shell\r" : "login\r") + in.Text();
        c->skin->SkinEventList = in.Text();
        c->skin->ParentName = in.Small(2) ? kNames[in.Small(10)] : std::string();
        c->skin->left = in.Small(4) ? in.Small(250) - 20 : in.Int();
        c->skin->top = in.Small(4) ? in.Small(250) - 20 : in.Int();
        c->skin->width = in.Small(4) ? in.Small(250) : in.Int();
        c->skin->height = in.Small(4) ? in.Small(250) : in.Int();
        c->skin->backColour = in.Small(2) ? in.Int() : -1;
        theme.entries.push_back(std::move(c));
    }
    pk::ApplySkinTheme(theme, "shell", in.Small(300), in.Small(300));
    // Pictures of any size, with a mask of either kind or none (never read from a file here).
    for (auto& skin : pk::SkinList) {
        for (auto& e : skin->elements) {
            if (!in.Small(2))
                continue;
            const int w = in.Small(12);
            const int h = in.Small(12);
            pk::Surface16 image(w, h, static_cast<pk::Pixel16>(in.Int() & 0x7FFF));
            e->source.imageSize = 1;
            e->image = image;
            const int maskKind = in.Small(3);
            if (maskKind)
                e->mask = pk::Mask(in.Small(12), in.Small(12), maskKind == 1, in.Byte());
            e->bitmapsLoaded = true;
        }
    }
    pk::PaintSkinRect(&shell, {0, 0, shell.w_, shell.h_});
    pk::PaintSkinRect(&login, {in.Small(50), in.Small(50), in.Small(100), in.Small(100)});
    while (!in.Done()) {
        switch (in.Small(6)) {
            case 0:
                pk::FireSkinEvent(in.Text());
                break;
            case 1:
                pk::SkinMouseEvent(&shell, in.Small(4), in.Small(300) - 20, in.Small(300) - 20);
                break;
            case 2:
                pk::SkinKeyEvent(in.Byte(), {in.Small(2) == 1, in.Small(2) == 1, true});
                break;
            case 3:
                shell.w_ = in.Small(400);
                shell.h_ = in.Small(400);
                pk::ResizeSkin(&shell);
                break;
            case 4:
                pk::PaintDirtySkins();
                break;
            default:
                pk::ExpandSkinVars(in.Text());
                break;
        }
    }
    pk::PaintDirtySkins();
    pk::FreeSkins();
    return 0;
}
