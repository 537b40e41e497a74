#include <gtest/gtest.h>

#include "skin/skin_fixture.h"
#include "skin/zrskinlayout.h"

namespace pk {
namespace {

using test::Lines;
using test::SkinSpec;
using test::SkinTest;

uint32_t Kw(std::initializer_list<LayoutKeyword> keywords) {
    uint32_t set = 0;
    for (LayoutKeyword k : keywords) set |= 1u << k;
    return set;
}

struct Case {
    std::initializer_list<LayoutKeyword> keywords;
    PixelRect expected[3];  // in boxes of 100 x 200 (as designed), 150 x 300 and 50 x 100
};

// Reference rectangle (10, 20, 30, 40) in a box designed 100 x 200.
const Case kCases[] = {
    {{}, {{10, 20, 30, 40}, {10, 20, 30, 40}, {10, 20, 30, 40}}},
    {{lkAlignRight}, {{10, 20, 30, 40}, {10, 20, 80, 40}, {10, 20, -20, 40}}},
    {{lkAlignBottom}, {{10, 20, 30, 40}, {10, 20, 30, 140}, {10, 20, 30, -60}}},
    {{lkAlignBoth}, {{10, 20, 30, 40}, {10, 20, 80, 140}, {10, 20, -20, -60}}},
    {{lkResizeLeft}, {{10, 20, 30, 40}, {15, 20, 25, 40}, {5, 20, 35, 40}}},
    {{lkResizeTop}, {{10, 20, 30, 40}, {10, 30, 30, 30}, {10, 10, 30, 50}}},
    {{lkResizeRight}, {{10, 20, 30, 40}, {10, 20, 50, 40}, {10, 20, 10, 40}}},
    {{lkResizeBottom}, {{10, 20, 30, 40}, {10, 20, 30, 70}, {10, 20, 30, 10}}},
    {{lkResizeAll}, {{10, 20, 30, 40}, {15, 30, 45, 60}, {5, 10, 15, 20}}},
    {{lkMaxRight}, {{10, 20, 90, 40}, {10, 20, 140, 40}, {10, 20, 40, 40}}},
    {{lkMaxBottom}, {{10, 20, 30, 180}, {10, 20, 30, 280}, {10, 20, 30, 80}}},
    {{lkMaxBoth}, {{10, 20, 90, 180}, {10, 20, 140, 280}, {10, 20, 40, 80}}},
    {{lkFixedWidth}, {{10, 20, 30, 40}, {10, 20, 30, 40}, {10, 20, 30, 40}}},
    {{lkFixedHeight}, {{10, 20, 30, 40}, {10, 20, 30, 40}, {10, 20, 30, 40}}},
    {{lkFixedBoth}, {{10, 20, 30, 40}, {10, 20, 30, 40}, {10, 20, 30, 40}}},
    {{lkCenterWidth}, {{35, 20, 30, 40}, {60, 20, 30, 40}, {10, 20, 30, 40}}},
    {{lkCenterHeight}, {{10, 80, 30, 40}, {10, 130, 30, 40}, {10, 30, 30, 40}}},
    {{lkCenterBoth}, {{35, 80, 30, 40}, {60, 130, 30, 40}, {10, 30, 30, 40}}},
    {{lkBorder}, {{10, 20, 30, 40}, {10, 20, 30, 40}, {10, 20, 30, 40}}},
    {{lkStretchWidth}, {{10, 20, 30, 40}, {10, 20, 30, 40}, {10, 20, 30, 40}}},
    {{lkStretchHeight}, {{10, 20, 30, 40}, {10, 20, 30, 40}, {10, 20, 30, 40}}},
    {{lkStretchBoth}, {{10, 20, 30, 40}, {10, 20, 30, 40}, {10, 20, 30, 40}}},
    // Combined.
    {{lkAlignRight, lkFixedWidth}, {{10, 20, 30, 40}, {60, 20, 30, 40}, {-40, 20, 30, 40}}},
    {{lkResizeTop, lkFixedHeight}, {{10, 20, 30, 40}, {10, 30, 30, 40}, {10, 10, 30, 40}}},
    {{lkResizeLeft, lkFixedWidth}, {{10, 20, 30, 40}, {15, 20, 30, 40}, {5, 20, 30, 40}}},
    {{lkAlignBoth, lkFixedBoth}, {{10, 20, 30, 40}, {60, 120, 30, 40}, {-40, -80, 30, 40}}},
    {{lkResizeAll, lkFixedBoth}, {{10, 20, 30, 40}, {30, 50, 30, 40}, {-10, -10, 30, 40}}},
    {{lkMaxRight, lkCenterWidth}, {{5, 20, 90, 40}, {5, 20, 140, 40}, {5, 20, 40, 40}}},
    {{lkMaxBoth, lkFixedBoth}, {{70, 160, 30, 40}, {120, 260, 30, 40}, {20, 60, 30, 40}}},
    {{lkResizeRight, lkResizeBottom, lkCenterBoth},
     {{35, 80, 30, 40}, {50, 115, 50, 70}, {20, 45, 10, 10}}},
};

TEST(LayoutSkinRect, EveryKeywordAloneAndCombinedAtThreeSizes) {
    const PixelRect reference{10, 20, 30, 40};
    const int sizes[3][2] = {{100, 200}, {150, 300}, {50, 100}};
    for (const Case& c : kCases) {
        for (int i = 0; i < 3; ++i) {
            const LayoutBox box{0, 0, sizes[i][0], sizes[i][1], 100, 200};
            EXPECT_EQ(LayoutSkinRect(reference, Kw(c.keywords), box), c.expected[i])
                << "case " << (&c - kCases) << " size " << i;
        }
    }
}

TEST(LayoutSkinRect, ScaledEdgesRoundHalvesToEven) {
    const LayoutBox box{0, 0, 150, 300, 100, 200};
    // 3 * 1.5 = 4.5 -> 4; 5 * 1.5 = 7.5 -> 8.
    EXPECT_EQ(LayoutSkinRect({3, 20, 30, 40}, Kw({lkResizeLeft}), box).left, 4);
    EXPECT_EQ(LayoutSkinRect({5, 20, 30, 40}, Kw({lkResizeLeft}), box).left, 8);
}

TEST(LayoutSkinRect, OriginOfTheBoxIsAdded) {
    const LayoutBox box{7, 9, 150, 300, 100, 200};
    EXPECT_EQ(LayoutSkinRect({10, 20, 30, 40}, Kw({lkAlignRight, lkFixedWidth}), box),
              (PixelRect{67, 29, 30, 40}));
}

TEST(LayoutSkinRect, CenteringAnElementWiderThanTheFormGivesANegativeLeftEdge) {
    const LayoutBox box{0, 0, 150, 300, 150, 300};
    EXPECT_EQ(LayoutSkinRect({0, 0, 201, 10}, Kw({lkCenterBoth}), box),
              (PixelRect{-25, 145, 201, 10}));
}

TEST(LayoutSkinRect, ReferenceSizeOfZeroScalesByOne) {
    const LayoutBox box{0, 0, 150, 300, 0, -5};
    EXPECT_EQ(LayoutSkinRect({10, 20, 30, 40}, Kw({lkResizeAll}), box),
              (PixelRect{10, 20, 30, 40}));
}

TEST(LayoutSkinRect, HostileNumbersStayBounded) {
    const LayoutBox box{0, 0, 2000000000, 2000000000, 1, 1};
    const PixelRect r =
        LayoutSkinRect({2000000000, -2000000000, 2000000000, 2000000000},
                       Kw({lkResizeAll, lkAlignBoth, lkCenterBoth, lkFixedBoth}), box);
    EXPECT_LE(std::abs(int64_t{r.left}), int64_t{2} * kMaxLayoutCoordinate);
    EXPECT_LE(std::abs(int64_t{r.width}), int64_t{2} * kMaxLayoutCoordinate);
}

TEST(ParseLayoutKeywords, LinesByNameWithOrWithoutValues) {
    const uint32_t set =
        ParseLayoutKeywords(Lines({"shell", "alignright", "border=8,8", "Fixedwidth", "stretch"}));
    EXPECT_EQ(set, Kw({lkAlignRight, lkBorder}));
    EXPECT_EQ(LayoutKeywordNames().size(), 21u);
    EXPECT_EQ(LayoutKeywordOf("stretchboth"), lkStretchBoth);
}

class SkinLayoutTest : public SkinTest {};

TEST_F(SkinLayoutTest, ElementsFollowTheirFormAndChildrenTheirParent) {
    auto& form = Form("shell", 300, 200);
    AddSkinEntry(theme, {"panel", Lines({"shell", "alignright", "alignbottom"}), {20, 10, 60, 40}});
    AddSkinEntry(
        theme,
        {"button", Lines({"shell", "alignright", "fixedwidth"}), {10, 5, 20, 10}, -1, "", "panel"});
    AddSkinEntry(theme,
                 {"corner", Lines({"shell", "resizeall"}), {30, 20, 10, 10}, -1, "", "panel"});
    BuildSkinElements(theme);
    SetSkinReferenceSizes("shell", 100, 80);
    ResizeSkin(&form);
    // The panel keeps its distances to the right and bottom edges: 20 and 30.
    EXPECT_EQ(El("panel").rect, (PixelRect{20, 10, 260, 160}));
    // The button keeps its distance to the panel's right edge as designed inside a panel 60
    // wide: 30 pixels, not the skin's 70.
    EXPECT_EQ(El("button").rect, (PixelRect{20 + 210, 10 + 5, 20, 10}));
    // Scaled by the panel: 260 / 60 and 160 / 40.
    EXPECT_EQ(El("corner").rect, (PixelRect{20 + 130, 10 + 80, 43, 40}));

    form.width = 150;
    form.height = 100;
    ResizeSkin(&form);
    EXPECT_EQ(El("panel").rect, (PixelRect{20, 10, 110, 60}));
    EXPECT_EQ(El("button").rect, (PixelRect{20 + 60, 15, 20, 10}));
    EXPECT_EQ(El("corner").rect, (PixelRect{20 + 55, 10 + 30, 18, 15}));
}

TEST_F(SkinLayoutTest, AChildBeforeItsParentLaysTheParentOutFirst) {
    Form("shell", 200, 100);
    AddSkinEntry(theme, {"child", Lines({"shell", "maxright"}), {5, 5, 10, 10}, -1, "", "frame"});
    AddSkinEntry(theme, {"frame", Lines({"shell", "maxboth"}), {10, 10, 50, 50}});
    Build();
    EXPECT_EQ(El("frame").rect, (PixelRect{10, 10, 190, 90}));
    EXPECT_EQ(El("child").rect, (PixelRect{15, 15, 185, 10}));
}

TEST_F(SkinLayoutTest, AFormOfZeroPixelsIsNotLaidOut) {
    auto& form = Form("shell", 200, 100);
    AddSkinEntry(theme, {"bar", Lines({"shell", "maxright"}), {0, 0, 10, 10}});
    Build();
    EXPECT_EQ(El("bar").rect.width, 200);
    form.width = 0;
    ResizeSkin(&form);
    EXPECT_EQ(SkinList[0]->currentWidth, 200);
    EXPECT_EQ(El("bar").rect.width, 200);
    EXPECT_FALSE(NeedsLayout(El("bar")));
}

TEST_F(SkinLayoutTest, HiddenElementsWaitUntilTheyAreNeeded) {
    auto& form = Form("shell", 200, 100);
    AddSkinEntry(theme, {"bar", Lines({"shell", "maxright", "hide"}), {0, 0, 10, 10}});
    Build();
    EXPECT_TRUE(NeedsLayout(El("bar")));
    form.width = 120;
    PaintSkinRect(&form, {0, 0, 200, 100});  // hidden: still not laid out
    EXPECT_TRUE(NeedsLayout(El("bar")));
    ApplyAction("show", El("bar"), false);
    PaintDirtySkins();
    EXPECT_EQ(El("bar").rect.width, 200);  // laid out for the size the skin knows
}

TEST_F(SkinLayoutTest, ContainersArePlacedOnEveryLayout) {
    Form("shell", 300, 200);
    AddSkinEntry(theme, {"con_game", Lines({"shell", "maxboth"}), {10, 10, 50, 50}});
    Build();
    EXPECT_NE(std::find(events.log.begin(), events.log.end(), "con_game:0"), events.log.end());
}

TEST_F(SkinLayoutTest, ReferenceSizesComeFromTheMainWindowsContainers) {
    Form("shell", 640, 480);
    Form("login", 200, 100);
    Form("settings", 300, 300);
    AddSkinEntry(theme, {"con_login", Lines({"shell"}), {0, 0, 320, 240}});
    BuildSkinElements(theme);
    SetSkinReferenceSizes("shell", 500, 400);
    EXPECT_EQ(FindSkinByName("shell")->referenceWidth, 500);
    EXPECT_EQ(FindSkinByName("shell")->referenceHeight, 400);
    EXPECT_EQ(FindSkinByName("login")->referenceWidth, 320);
    EXPECT_EQ(FindSkinByName("login")->referenceHeight, 240);
    EXPECT_EQ(FindSkinByName("settings")->referenceWidth, 1);
    EXPECT_EQ(FindSkinByName("settings")->referenceHeight, 1);
}

}  // namespace
}  // namespace pk
