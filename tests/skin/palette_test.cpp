// The one rule that colours the stock widgets of skinned windows and dialogs: a container's
// colours in, every palette role out. A container without "controlbg" leaves its window as it
// was; whatever a themed one leaves out is worked out so that every text reads on its ground.
#include <gtest/gtest.h>

#include "core/zrcolour.h"
#include "core/zrconst.h"
#include "skin/zrskinpalette.h"
#include "skin/zrskintable.h"
#include "skin_fixture.h"

namespace pk {
namespace {

constexpr int32_t kPage = RgbColour(26, 30, 42), kText = RgbColour(222, 228, 238);
constexpr int32_t kPaper = RgbColour(250, 251, 255), kInk = RgbColour(24, 28, 40);
constexpr int32_t kFace = RgbColour(48, 56, 78), kFaceText = RgbColour(232, 236, 244);
constexpr int32_t kSelect = RgbColour(52, 112, 212), kEdge = RgbColour(78, 92, 122);

TEST(SkinPalette, WithoutAControlColourTheWindowKeepsThePlatformsPalette) {
    SkinPaletteSource source;
    source.page = kPage;
    source.text = kText;
    source.box = kPaper;  // the lobby's older parameters alone change nothing here
    EXPECT_FALSE(DeriveSkinPalette(source).themed);
}

TEST(SkinPalette, EveryGivenColourTakesItsRoles) {
    const SkinPalette p = DeriveSkinPalette({.page = kPage,
                                             .text = kText,
                                             .box = kPaper,
                                             .boxText = kInk,
                                             .control = kFace,
                                             .controlText = kFaceText,
                                             .select = kSelect,
                                             .edge = kEdge});
    ASSERT_TRUE(p.themed);
    EXPECT_EQ(p.window, kPage);
    EXPECT_EQ(p.windowText, kText);
    EXPECT_EQ(p.base, kPaper);
    EXPECT_EQ(p.text, kInk);
    EXPECT_EQ(p.button, kFace);
    EXPECT_EQ(p.buttonText, kFaceText);
    EXPECT_EQ(p.highlight, kSelect);
    EXPECT_EQ(p.mid, kEdge);
    EXPECT_EQ(p.toolTipBase, kPaper);
    // The selection's text is white on this deep blue; the edges' shades step from the face.
    EXPECT_EQ(p.highlightedText, kColourWhite);
    EXPECT_GT(ColourLuminance(p.light), ColourLuminance(p.midlight));
    EXPECT_GT(ColourLuminance(p.midlight), ColourLuminance(p.button));
    EXPECT_GT(ColourLuminance(p.button), ColourLuminance(p.dark));
    EXPECT_GT(ColourLuminance(p.dark), ColourLuminance(p.shadow));

    // A box is light through and through; only its frame keeps the edges' colour.
    const SkinPalette box = BoxPalette(p);
    EXPECT_EQ(box.window, kPaper);
    EXPECT_EQ(box.button, kPaper);
    EXPECT_EQ(box.windowText, kInk);
    EXPECT_EQ(box.buttonText, kInk);
    EXPECT_EQ(box.mid, kEdge);
    EXPECT_EQ(box.disabledButtonText, p.disabledText);
    EXPECT_GE(ColourLuminance(box.light), ColourLuminance(kPaper));
    EXPECT_GE(ColourContrast(box.dark, kPaper), 1.5);  // an etched line shows on the box
    EXPECT_FALSE(BoxPalette(SkinPalette{}).themed);
}

// Texts on every ground of the palette read, whether the page is dark or light and whatever
// the theme left out; a disabled control's text fades toward its ground but stays apart.
TEST(SkinPalette, WhatIsLeftOutIsWorkedOutReadable) {
    for (const int32_t page : {kPage, RgbColour(236, 222, 196), RgbColour(118, 118, 118)}) {
        for (const int32_t face : {kFace, RgbColour(214, 196, 166), page}) {
            const SkinPalette p = DeriveSkinPalette({.page = page, .control = face});
            ASSERT_TRUE(p.themed);
            EXPECT_EQ(p.window, page);
            EXPECT_EQ(p.base, kColourWhite);  // a box is white, as the lobby's boxes are
            const std::pair<int32_t, int32_t> texts[] = {
                {p.windowText, p.window},         {p.text, p.base}, {p.buttonText, p.button},
                {p.highlightedText, p.highlight}, {p.link, p.base}, {p.toolTipText, p.toolTipBase}};
            for (const auto& [ink, ground] : texts)
                EXPECT_GE(ColourContrast(ink, ground), MinTextContrast)
                    << std::hex << ink << " on " << ground << " (page " << page << ")";
            const std::pair<int32_t, int32_t> faded[] = {{p.disabledWindowText, p.windowText},
                                                         {p.disabledText, p.text},
                                                         {p.disabledButtonText, p.buttonText}};
            for (const auto& [off, on] : faded) {
                EXPECT_NE(off, on);
                EXPECT_GT(ColourContrast(off, on), 1.5) << std::hex << off << " beside " << on;
            }
        }
    }
}

class ContainerPaletteTest : public test::SkinTest {};

TEST_F(ContainerPaletteTest, AContainersColourAndParametersAreItsSource) {
    using test::Lines;
    Form("shell", 100, 100);
    AddSkinEntry(theme, {"con_browser",
                         Lines({"shell", "controlbg=48 56 78", "textfg=222 228 238",
                                "edgefg=78 92 122", "boxbg=", "selectbg=abc"}),
                         {0, 0, 5, 5},
                         kPage});
    AddSkinEntry(theme, {"con_chat", Lines({"shell", "controlbg=1 2 3"}), {0, 0, 5, 5}});
    Build();
    const SkinPaletteSource s = PaletteSourceOf(El("con_browser"));
    EXPECT_EQ(s.page, kPage);
    EXPECT_EQ(s.control, kFace);
    EXPECT_EQ(s.text, kText);
    EXPECT_EQ(s.edge, kEdge);
    EXPECT_EQ(s.box, kNoColour);        // an empty value is no colour
    EXPECT_EQ(s.select, kColourBlack);  // words that are no numbers count as 0
    EXPECT_EQ(s.boxText, kNoColour);
    // A container without a colour of its own is white.
    EXPECT_EQ(PaletteSourceOf(El("con_chat")).page, kColourWhite);
    EXPECT_TRUE(ContainerPalette(El("con_chat")).themed);
}

TEST_F(ContainerPaletteTest, TheDialogsTakeTheTitlePagesPalette) {
    using test::Lines;
    Form("shell", 100, 100);
    EXPECT_FALSE(DialogPalette().themed);  // no theme built: the platform's palette
    AddSkinEntry(theme, {"con_browser", Lines({"shell", "controlbg=9 9 9"}), {0, 0, 5, 5}});
    AddSkinEntry(theme, {"con_login", Lines({"shell", "controlbg=48 56 78"}), {0, 0, 5, 5}, kPage});
    Build();
    const SkinPalette p = DialogPalette();
    ASSERT_TRUE(p.themed);
    EXPECT_EQ(p.window, kPage);
    EXPECT_EQ(p.button, kFace);
}

}  // namespace
}  // namespace pk
