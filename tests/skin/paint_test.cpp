#include <gtest/gtest.h>

#include "core/zrlog.h"
#include "gfx/dib.h"
#include "skin/skin_fixture.h"
#include "skin/zrskinpaint.h"
#include "support/golden.h"
#include "support/synthetic_theme.h"
#include "support/temp_dir.h"

namespace pk {
namespace {

using test::FakeForm;
using test::Lines;
using test::MatchesGolden;
using test::SkinTest;

// Every pixel differs from its neighbours.
Surface16 Pattern(int w, int h, int seed) {
    Surface16 s(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            s.setPixel(x, y, Rgb555((x * 5 + seed) & 31, (y * 3 + seed) & 31, (x + y) & 31));
    return s;
}

Mask Diamond(int w, int h) {
    Mask m(w, h, true, 255);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (std::abs(2 * x + 1 - w) + std::abs(2 * y + 1 - h) <= w)
                m.setValue(x, y, 0);
    return m;
}

class SkinPaintTest : public SkinTest {
protected:
    const Pixel16 grey = ColorRefTo555(0x808080);
};

TEST(ParseBorderBands, MissingOrBadNumbersCountAsFive) {
    EXPECT_EQ(ParseBorderBands(""), (SliceBands{5, 5, 5, 5}));
    EXPECT_EQ(ParseBorderBands("8,8"), (SliceBands{8, 8, 5, 5}));
    EXPECT_EQ(ParseBorderBands("4,4,4,4"), (SliceBands{4, 4, 4, 4}));
    EXPECT_EQ(ParseBorderBands("1,x,3, 7"), (SliceBands{1, 5, 3, 7}));
}

TEST_F(SkinPaintTest, AFormOfEveryPictureRuleMatchesItsGoldenImage) {
    auto& form = Form("shell", 120, 90);
    form.colour = 0x203040;
    AddSkinEntry(theme, {"back", Lines({"shell", "maxboth"}), {0, 0, 120, 90}, 0x00C0A0});
    AddSkinEntry(theme, {"tiles", Lines({"shell"}), {4, 4, 37, 23}});
    AddSkinEntry(theme, {"wide", Lines({"shell", "stretchwidth"}), {45, 4, 70, 23}});
    AddSkinEntry(theme, {"tall", Lines({"shell", "stretchheight"}), {4, 31, 23, 55}});
    AddSkinEntry(theme, {"both", Lines({"shell", "stretchboth"}), {31, 31, 30, 25}});
    AddSkinEntry(
        theme,
        {"frame", Lines({"shell", "border=3,2,4,5", "stretchboth"}), {65, 31, 50, 55}, 0x4040FF});
    AddSkinEntry(theme, {"ghost", Lines({"shell"}), {31, 60, 30, 26}});
    Build();
    SetImage(El("tiles"), Pattern(8, 7, 1));
    SetImage(El("wide"), Pattern(9, 6, 2));
    SetImage(El("tall"), Pattern(6, 9, 3));
    SetImage(El("both"), Pattern(7, 5, 4));
    SetImage(El("frame"), Pattern(12, 12, 5));
    Surface16 ghost = Pattern(10, 10, 6);
    const Mask mask = Diamond(10, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            if (mask.value(x, y) >= 128)
                ghost.setPixel(x, y, kBlack555);
    SetImage(El("ghost"), ghost, mask);
    PaintSkinRect(&form, {0, 0, 120, 90});
    EXPECT_TRUE(MatchesGolden(form.screen, "skin/golden/pictures.png"));
}

TEST_F(SkinPaintTest, AlphaMasksBlendOverWhatLiesBeneath) {
    auto& form = Form("shell", 20, 10);
    AddSkinEntry(theme, {"back", Lines({"shell"}), {0, 0, 20, 10}, 0x0000FF});
    AddSkinEntry(theme, {"glass", Lines({"shell", "stretchboth"}), {0, 0, 20, 10}});
    Build();
    Mask alpha(2, 1, false, 0);
    alpha.setValue(1, 0, 255);
    SetImage(El("glass"), Surface16(2, 1, Rgb555(0, 31, 0)), alpha);
    PaintSkinRect(&form, {0, 0, 20, 10});
    EXPECT_EQ(form.screen.pixel(2, 5), ColorRefTo555(0x0000FF));  // alpha 0: the red beneath
    EXPECT_EQ(form.screen.pixel(15, 5), Rgb555(0, 31, 0));        // alpha 255: the image
}

TEST_F(SkinPaintTest, ExposedAreaIsCopiedWhenAnElementTouchedItElseFilled) {
    auto& form = Form("game", 100, 100);
    AddSkinEntry(theme, {"level", Lines({"game"}), {10, 10, 20, 20}});  // no picture
    Build();
    PaintSkinRect(&form, {50, 50, 10, 10});
    ASSERT_EQ(form.filled.size(), 1u);
    EXPECT_TRUE(form.presented.empty());
    EXPECT_EQ(form.screen.pixel(55, 55), grey);
    // A game element without an image or a colour touched it: what it painted is shown.
    PaintSkinRect(&form, {0, 0, 25, 25});
    EXPECT_EQ(form.filled.size(), 1u);
    ASSERT_EQ(form.presented.size(), 1u);
    EXPECT_EQ(painter.painted, std::vector<std::string>{"level"});
    EXPECT_EQ(form.screen.pixel(12, 12), painter.fill);
    EXPECT_EQ(form.screen.pixel(5, 5), grey);
}

TEST_F(SkinPaintTest, GameElementsPaintOnlyInsideTheirRectangleAndTheExposedArea) {
    auto& form = Form("game", 100, 100);
    AddSkinEntry(theme, {"back", Lines({"game"}), {0, 0, 100, 100}, 0xFFFFFF});
    AddSkinEntry(theme, {"player1", Lines({"game"}), {10, 10, 50, 50}});
    Build();
    PaintSkinRect(&form, {0, 0, 30, 30});
    EXPECT_EQ(form.screen.pixel(20, 20), painter.fill);
    EXPECT_EQ(form.screen.pixel(5, 5), ColorRefTo555(0xFFFFFF));
    EXPECT_NE(SkinBuffer.pixel(40, 40), painter.fill);  // outside the exposed area
}

TEST_F(SkinPaintTest, EveryShownElementIsUpdatedAfterAnExposure) {
    auto& form = Form("login", 100, 100);
    AddSkinEntry(theme, {"back", Lines({"login"}), {0, 0, 100, 100}, 0xFFFFFF});
    AddSkinEntry(theme, {"accountname", Lines({"login"}), {10, 10, 50, 12}});
    AddSkinEntry(theme, {"serveraddress", Lines({"login", "hide"}), {10, 30, 50, 12}});
    Build();
    events.log.clear();
    PaintSkinRect(&form, {90, 90, 5, 5});
    EXPECT_EQ(events.log, std::vector<std::string>{"accountname:6"});
}

TEST_F(SkinPaintTest, ADirtyElementRepaintsItselfAndWhatItOverlapsOnly) {
    auto& form = Form("shell", 100, 100);
    AddSkinEntry(theme, {"back", Lines({"shell"}), {0, 0, 100, 100}, 0xFFFFFF});
    AddSkinEntry(theme, {"button", Lines({"shell"}), {10, 10, 20, 20}, 0x0000FF});
    AddSkinEntry(theme, {"far", Lines({"shell"}), {60, 60, 20, 20}, 0x00FF00});
    AddSkinEntry(theme, {"nextpiece", Lines({"shell"}), {25, 25, 10, 10}});
    Build();
    PaintSkinRect(&form, {0, 0, 100, 100});
    form.presented.clear();
    painter.painted.clear();
    // A change of the button's colour shows once it is repainted.
    El("button").source.backColour = 0xFF0000;
    InvalidateElement(&form, "button");
    PaintDirtySkins();
    EXPECT_EQ(form.presented, std::vector<PixelRect>{(PixelRect{10, 10, 20, 20})});
    EXPECT_EQ(form.screen.pixel(15, 15), ColorRefTo555(0xFF0000));
    // The game element over it was painted again, the far one was not touched.
    EXPECT_EQ(painter.painted, std::vector<std::string>{"nextpiece"});
    EXPECT_EQ(form.screen.pixel(70, 70), ColorRefTo555(0x00FF00));
    EXPECT_EQ(SkinList[0]->dirty, 0);
    EXPECT_EQ(El("button").dirty, 0);
}

TEST_F(SkinPaintTest, AHiddenElementLeavesWhatLiesBeneathOrTheFormColour) {
    auto& form = Form("shell", 100, 100);
    AddSkinEntry(theme, {"back", Lines({"shell"}), {0, 0, 50, 100}, 0xFFFFFF});
    AddSkinEntry(theme, {"popup", Lines({"shell"}), {30, 10, 40, 20}, 0x0000FF});
    Build();
    PaintSkinRect(&form, {0, 0, 100, 100});
    ApplyAction("hide", El("popup"), false);
    PaintDirtySkins();
    EXPECT_EQ(form.screen.pixel(35, 15), ColorRefTo555(0xFFFFFF));
    EXPECT_EQ(form.screen.pixel(60, 15), grey);
}

TEST_F(SkinPaintTest, AFrameIsNotRedrawnForAChangeInsideIt) {
    Form("shell", 100, 100);
    AddSkinEntry(theme, {"frame", Lines({"shell", "border=10,10,10,10"}), {0, 0, 100, 100}});
    AddSkinEntry(theme, {"plain", Lines({"shell", "border"}), {0, 0, 100, 100}});
    AddSkinEntry(theme, {"inner", Lines({"shell"}), {20, 20, 10, 10}, 0xFF0000});
    AddSkinEntry(theme, {"edge", Lines({"shell"}), {5, 20, 10, 10}, 0xFF0000});
    Build();
    EXPECT_FALSE(ElementTouchesRect(El("frame"), El("inner").rect));
    EXPECT_TRUE(ElementTouchesRect(El("frame"), El("edge").rect));
    EXPECT_TRUE(ElementTouchesRect(El("plain"), El("inner").rect));  // "border" without value
    EXPECT_FALSE(ElementTouchesRect(El("inner"), {31, 20, 5, 5}));
}

TEST_F(SkinPaintTest, AnElementWithoutPictureDrawsNothingButGetsItsEvents) {
    auto& form = Form("game", 50, 50);
    AddSkinEntry(theme, {"sbtext", Lines({"game"}), {0, 0, 50, 50}});
    Build();
    EXPECT_FALSE(El("sbtext").HasPicture());
    PaintSkinRect(&form, {0, 0, 50, 50});
    EXPECT_EQ(painter.painted, std::vector<std::string>{"sbtext"});
}

TEST_F(SkinPaintTest, HandlersThatKeepDirtyingTheSkinCannotHangThePaint) {
    class Restless : public SkinElementPainter {
    public:
        void PaintElement(TSkinElementRec& e, Surface16&) override {
            ++count;
            InvalidateElement(e);
        }
        int count = 0;
    } restless;
    SetSkinElementPainter(&restless);
    auto& form = Form("game", 50, 50);
    AddSkinEntry(theme, {"level", Lines({"game"}), {0, 0, 10, 10}});
    Build();
    InvalidateElement(&form, "level");
    PaintDirtySkins();
    EXPECT_GT(restless.count, 1);
    EXPECT_LE(restless.count, 32);
    EXPECT_NE(ClientLog().find("keeps changing"), std::string::npos);
}

TEST_F(SkinPaintTest, WorkBitmapsComposeThroughBothKindsOfMask) {
    Form("game", 40, 40);
    AddSkinEntry(theme, {"nextpiece", Lines({"game"}), {4, 4, 8, 8}});
    Build();
    TSkinElementRec& e = El("nextpiece");
    Surface16 target(40, 40, kWhite555);
    PrepareElementBuffers(e, false);
    tskinf& skin = *e.skin;
    ASSERT_TRUE(skin.imageBuffer && skin.maskBuffer);
    EXPECT_TRUE(skin.maskBuffer->mono());
    FillRect(*skin.imageBuffer, {0, 0, 4, 4}, Rgb555(31, 0, 0));
    FillMask(*skin.maskBuffer, {0, 0, 4, 4}, 0);
    DrawElementImage(e, target);
    EXPECT_EQ(target.pixel(5, 5), Rgb555(31, 0, 0));
    EXPECT_EQ(target.pixel(9, 9), kWhite555);  // transparent where the mask stayed white
    EXPECT_EQ(target.pixel(2, 2), kWhite555);

    PrepareElementBuffers(e, true);
    EXPECT_FALSE(skin.maskBuffer->mono());
    EXPECT_EQ(skin.imageBuffer->pixel(0, 0), kBlack555);  // cleared again
    FillRect(*skin.imageBuffer, {0, 0, 8, 8}, Rgb555(0, 0, 31));
    FillMask(*skin.maskBuffer, {4, 4, 4, 4}, 255);
    DrawElementImage(e, target);
    EXPECT_EQ(target.pixel(9, 9), Rgb555(0, 0, 31));
    EXPECT_EQ(target.pixel(5, 5), Rgb555(31, 0, 0));  // alpha 0 left it alone
}

TEST_F(SkinPaintTest, WorkBitmapsNeverOutgrowTheBackBuffer) {
    Form("game", 40, 40);
    AddSkinEntry(theme, {"player1", Lines({"game"}), {0, 0, 100000, 100000}});
    Build();
    PrepareElementBuffers(El("player1"), true);
    EXPECT_LE(SkinList[0]->imageBuffer->width(), SkinBuffer.width());
    EXPECT_LE(SkinList[0]->maskBuffer->height(), SkinBuffer.height());
}

class SkinImageTest : public SkinTest {
protected:
    // A theme read from a library: "pic" with an image and a mask, for the skin "shell".
    void LoadLibrary(std::vector<KlbEntry> extra = {}) {
        std::vector<KlbEntry> entries = test::BasicTheme();
        entries.push_back(test::SkinEntry("pic", "*", 0, 0, 6, 4, 0xFF102030, true, "shell"));
        for (auto& e : extra) entries.push_back(std::move(e));
        const auto file = test::SaveLibrary(dir.Path() / "t.klb", entries);
        ASSERT_TRUE(LoadTheme(file, "x", theme, {}, dir.Path()));
    }
    test::TempDir dir;
    const Pixel16 grey = ColorRefTo555(0x808080);
};

TEST_F(SkinImageTest, ImagesLoadFromTheLibraryOnFirstUseAndGoAgainWithTheirForm) {
    auto& form = Form("shell", 50, 50);
    LoadLibrary();
    Build();
    TSkinElementRec& e = El("pic");
    EXPECT_FALSE(e.bitmapsLoaded);
    PaintSkinRect(&form, {0, 0, 50, 50});
    ASSERT_TRUE(e.image && e.mask);
    EXPECT_EQ(e.image->width(), 6);
    // The mask's transparent left column: the classic two passes keep the pixel beneath where
    // the image is black, so a non-black image shows XORed over it.
    EXPECT_EQ(form.screen.pixel(0, 0), grey ^ ArgbTo555(0xFF102030));
    EXPECT_EQ(form.screen.pixel(1, 0), ArgbTo555(0xFF102030));
    FreeFormSkinBitmaps(&form);
    EXPECT_FALSE(e.image || e.mask || e.bitmapsLoaded);
    PaintSkinRect(&form, {0, 0, 50, 50});
    EXPECT_TRUE(e.image.has_value());
}

TEST_F(SkinImageTest, RangesOutsideTheFileOrBytesThatDoNotDecodeAreNoImage) {
    auto& form = Form("shell", 50, 50);
    LoadLibrary();
    Build();
    TSkinElementRec& e = El("pic");
    const int64_t size = static_cast<int64_t>(std::filesystem::file_size(e.libraryFile));
    const TZRskin good = e.source;
    for (auto [offset, length] : {std::pair<int32_t, int32_t>{static_cast<int32_t>(size), 100},
                                  {good.imageOffset, static_cast<int32_t>(size)},
                                  {good.imageOffset + 1, good.imageSize},
                                  {-5, 10},
                                  {good.imageOffset, 0x7FFFFFFF}}) {
        e.source.imageOffset = offset;
        e.source.imageSize = length;
        e.bitmapsLoaded = false;
        e.image.reset();
        EXPECT_NO_THROW(PaintSkinRect(&form, {0, 0, 50, 50}));
        EXPECT_FALSE(e.image.has_value()) << offset << " " << length;
    }
    EXPECT_NE(ClientLog().find("Skin element pic: no image"), std::string::npos);
    // A mask that does not decode: the image is drawn without one.
    e.source = good;
    e.source.maskOffset = good.imageOffset + 3;
    e.bitmapsLoaded = false;
    PaintSkinRect(&form, {0, 0, 50, 50});
    EXPECT_TRUE(e.image.has_value());
    EXPECT_FALSE(e.mask.has_value());
    EXPECT_EQ(form.screen.pixel(0, 0), ArgbTo555(0xFF102030));
}

TEST_F(SkinImageTest, AMissingLibraryIsNoImage) {
    auto& form = Form("shell", 50, 50);
    LoadLibrary();
    Build();
    std::filesystem::remove(El("pic").libraryFile);
    EXPECT_NO_THROW(PaintSkinRect(&form, {0, 0, 50, 50}));
    EXPECT_FALSE(El("pic").image.has_value());
}

}  // namespace
}  // namespace pk
