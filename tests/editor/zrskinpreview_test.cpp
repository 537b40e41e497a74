// The skin preview: the client's layout and pixels for the same elements, the editor's window
// sizes, the element list, and editing a rectangle with the mouse.
#include "editor/zrskinpreview.h"

#include <gtest/gtest.h>

#include "core/zrmisc.h"
#include "editor/skinclient.h"
#include "editor/zrcommands.h"
#include "editor/zrpack.h"
#include "editor/zrskinbridge.h"
#include "support/synthetic_theme.h"
#include "support/temp_dir.h"

namespace pk {
namespace {

// A picture with structure, so that tiling, stretching and slicing show: each pixel's colour
// from its position.
std::string PatternBmp(int w, int h) {
    DibBitmap d(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            d.at(x, y) = 0xFF000000u | uint32_t(x * 40 % 256) << 16 | uint32_t(y * 50 % 256) << 8 |
                         uint32_t((x + y) * 20 % 256);
    return EncodeBmp(d, 24).value();
}

KlbEntry Element(const std::string& name, const std::string& flags, PixelRect r,
                 int32_t colour = -1, const std::string& parent = "") {
    KlbEntry e =
        test::SkinEntry(name, "*", r.left, r.top, r.width, r.height, 0, false, flags, "", parent);
    e.backColour = colour;
    return e;
}

KlbEntry Pictured(KlbEntry e, int w, int h, bool alphaMask = false) {
    e.image = PatternBmp(w, h);
    DibBitmap mask(w, h, 0xFF000000u, alphaMask ? 32 : 1);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (alphaMask)
                mask.at(x, y) = 0xFF000000u | uint32_t((x * 37 + y * 11) % 256);
            else if ((x + 2 * y) % 5 == 0)
                mask.at(x, y) = 0xFFFFFFFFu;  // transparent
    e.mask = EncodeBmp(mask, alphaMask ? 32 : 1).value();
    return e;
}

class PreviewTest : public ::testing::Test {
protected:
    PreviewTest() {
        std::filesystem::create_directories(dir_.Path() / "prog");
        std::vector<KlbEntry> v;
        KlbEntry main = test::MainEntry("Main", "t1");
        main.minWindowWidth = 400;
        main.minWindowHeight = 300;
        v.push_back(main);
        v.push_back(Element("con_game", "shell", {10, 20, 320, 240}));
        v.push_back(Element("back", "game\rmaxboth", {0, 0, 100, 100}, 0x00336699));
        v.push_back(Pictured(Element("tiles", "game\ralignright", {200, 10, 100, 50}), 7, 9));
        v.push_back(Pictured(
            Element("frame", "game\rresizeall\rborder\n3,4,5,2", {20, 70, 150, 90}), 17, 13, true));
        v.push_back(Pictured(Element("stretch", "game\rstretchboth\rcenterwidth", {0, 180, 60, 30}),
                             11, 5));
        v.push_back(Element("child", "game\ralignbottom\rfixedwidth", {5, 40, 30, 20}, 0x0000FF00,
                            "frame"));
        v.push_back(Element("other", "login", {0, 0, 10, 10}, 0));
        v.push_back(test::SkinEntry("foreign", "x9", 0, 0, 5, 5, 0, false, "game"));
        library_ = test::SaveLibrary(dir_.Path() / "Theme.klb", v);
        doc_.OpenTheme(library_);
    }

    TZRC* Find(const std::string& name) { return doc_.FindEntryByName(name, ""); }
    void ShowGame() {
        preview_.SetTheme(Find("Main"));
        preview_.SetTab(2);
        for (TZRC* e : preview_.elements()) e->ShowInPreview = true;
        preview_.LayoutPreviewWindow();
    }
    void ExpectClientEqual(int w, int h) {
        const test::ClientSkin client = test::ClientLayout(library_, "t1", "game", 320, 240, w, h);
        for (TZRC* e : preview_.elements())
            EXPECT_EQ(preview_.PreviewRect(e), client.rects.at(e->name())) << e->name();
        EXPECT_TRUE(preview_.picture() == client.picture);
    }

    test::TempDir dir_;
    KledDoc doc_{dir_.Path() / "prog"};
    SkinPreview preview_{doc_};
    std::filesystem::path library_;
};

TEST_F(PreviewTest, LaysOutAndPaintsAsTheClientDoes) {
    ShowGame();
    ASSERT_EQ(preview_.elements().size(), 5u);  // the login and foreign elements are not listed
    EXPECT_EQ(preview_.designWidth(), 320);
    EXPECT_EQ(preview_.picture().width(), 320);
    EXPECT_EQ(preview_.picture().height(), 240);
    ExpectClientEqual(320, 240);
    EXPECT_EQ(preview_.status()[kStatusWindowW], "W: 320");
    EXPECT_EQ(preview_.status()[kStatusWindowH], "H: 240");

    preview_.SetBoxSize(517, 333);
    preview_.SetStretch(true);
    EXPECT_EQ(preview_.picture().width(), 517);
    ExpectClientEqual(517, 333);
    // The child follows its parent's placed rectangle.
    const PixelRect frame = preview_.PreviewRect(Find("frame"));
    const PixelRect child = preview_.PreviewRect(Find("child"));
    EXPECT_EQ(child.left, frame.left + 5);
    EXPECT_EQ(child.bottom(), frame.bottom() - (90 - 60));
}

// A library the theme requires holds elements of the same names as the theme's own: the
// client's window takes the first of each name, and so does the preview.
TEST_F(PreviewTest, OfElementsOfOneNameTheOneTheClientUsesIsListedAndPainted) {
    std::vector<KlbEntry> ref;
    ref.push_back(Element("back", "game", {0, 0, 50, 50}, 0x000000FF));
    ref.push_back(Element("TILES", "game", {0, 0, 320, 240}, 0x0000FF00));
    ref.push_back(Element("extra", "game", {60, 60, 40, 40}, 0x00FF0000));
    ref.push_back(Element("con_game", "shell", {0, 0, 200, 100}));
    test::SaveLibrary(dir_.Path() / "Ref.klb", ref);
    TZRC* main = Find("Main");
    main->entry.references = "ref";
    library_ = dir_.Path() / "Saved.klb";
    ASSERT_TRUE(doc_.SaveThemeAs(library_));
    ASSERT_EQ(UpdateReferences(doc_, main), 1);
    ShowGame();
    std::vector<std::string> names;
    for (const TZRC* e : preview_.elements()) {
        names.push_back(e->name());
        EXPECT_EQ(e->IsReference, e->name() == "extra") << e->name();
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"back", "tiles", "frame", "stretch", "child", "extra"}));
    EXPECT_EQ(preview_.designWidth(), 320);  // the theme's own container
    const test::ClientSkin client =
        test::ClientLayout(library_, "t1", "game", 320, 240, 320, 240, dir_.Path());
    ASSERT_EQ(client.rects.size(), names.size());
    for (TZRC* e : preview_.elements())
        EXPECT_EQ(preview_.PreviewRect(e), client.rects.at(LowerCase(e->name()))) << e->name();
    EXPECT_TRUE(preview_.picture() == client.picture);
}

// The order of painting is the tree's as it is now, not as it was last saved.
TEST_F(PreviewTest, AMoveUpShowsAtOnce) {
    struct Host : CommandHost {
    } host;
    KledCommands commands(doc_, host);
    ShowGame();
    doc_.tree().selected = Find("tiles")->node;
    ASSERT_TRUE(commands.MoveResourceUp());  // before "back", which covers the whole window
    preview_.FillElements();
    preview_.LayoutPreviewWindow();
    ASSERT_EQ(preview_.elements().size(), 5u);
    EXPECT_EQ(preview_.elements()[0]->name(), "tiles");
    EXPECT_EQ(preview_.elements()[1]->name(), "back");
    const Surface16 shown = preview_.picture();
    library_ = dir_.Path() / "Moved.klb";
    ASSERT_TRUE(doc_.SaveThemeAs(library_));
    const test::ClientSkin client = test::ClientLayout(library_, "t1", "game", 320, 240, 320, 240);
    EXPECT_TRUE(shown == client.picture);
}

TEST_F(PreviewTest, AWindowWithoutItsContainerTakesTheMinimumSize) {
    preview_.SetTheme(Find("Main"));
    preview_.SetTab(1);  // Login: no "con_login"
    EXPECT_EQ(preview_.designWidth(), 400);
    EXPECT_EQ(preview_.designHeight(), 300);
    ASSERT_EQ(preview_.elements().size(), 1u);
    EXPECT_EQ(preview_.elements()[0]->name(), "other");
    preview_.SetTab(0);
    EXPECT_EQ(preview_.picture().width(), 400);
    // Without a theme the picture is one pixel.
    SkinPreview empty(doc_);
    empty.LayoutPreviewWindow();
    EXPECT_EQ(empty.picture().width(), 1);
    EXPECT_EQ(empty.status()[kStatusWindowW], "W:");
}

TEST_F(PreviewTest, UntickedElementsAreNeitherPlacedNorPainted) {
    ShowGame();
    const Surface16 all = preview_.picture();
    preview_.SetTicked(Find("back"), false);
    EXPECT_FALSE(Find("back")->ShowInPreview);
    EXPECT_FALSE(preview_.picture() == all);
    EXPECT_EQ(preview_.picture().pixel(1, 230), kWhite555);
}

TEST(PreviewFlags, LinesAreWholeAndParametersFollowTheirName) {
    const std::string flags = "Game\rborder\n3,4,5,2\rstretchboth\rborderx\n9";
    EXPECT_TRUE(HasFlagLine(flags, "game"));
    EXPECT_TRUE(HasFlagLine(flags, "STRETCHBOTH"));
    EXPECT_FALSE(HasFlagLine(flags, "stretch"));
    EXPECT_FALSE(HasFlagLine(flags, "border"));  // a line with a parameter is not the name alone
    EXPECT_EQ(GetFlagParam(flags, "border"), "3,4,5,2");
    EXPECT_EQ(GetFlagParam(flags, "borderx"), "9");
    EXPECT_EQ(GetFlagParam(flags, "game"), "");
    EXPECT_EQ(GetFlagParam("", "border"), "");
}

TEST_F(PreviewTest, HandlesAreCornerSquaresEdgeStripsAndTheInside) {
    const PixelRect r{100, 50, 40, 30};
    EXPECT_EQ(HandleAt(r, 96, 46), DragHandle::TopLeft);
    EXPECT_EQ(HandleAt(r, 103, 53), DragHandle::TopLeft);
    EXPECT_EQ(HandleAt(r, 104, 50), DragHandle::Top);
    EXPECT_EQ(HandleAt(r, 143, 79), DragHandle::BottomRight);
    EXPECT_EQ(HandleAt(r, 139, 65), DragHandle::Right);
    EXPECT_EQ(HandleAt(r, 100, 65), DragHandle::Left);
    EXPECT_EQ(HandleAt(r, 120, 65), DragHandle::Move);
    EXPECT_EQ(HandleAt(r, 150, 65), DragHandle::None);
    EXPECT_EQ(HandleAt(r, 120, 85), DragHandle::None);
}

TEST_F(PreviewTest, DragsMoveAndResizeTheElementAndKeepItsSizeAtLeastOne) {
    ShowGame();
    TZRC* tiles = Find("tiles");
    preview_.Select(tiles);
    const PixelRect at = preview_.PreviewRect(tiles);
    // A move with Ctrl keeps the larger offset only.
    preview_.MouseDown(SkinPreview::LeftButton, at.left + 20, at.top + 20, true);
    EXPECT_EQ(preview_.dragHandle(), DragHandle::Move);
    preview_.MouseMove(at.left + 27, at.top + 17, true);
    EXPECT_EQ(preview_.status()[kStatusElementA], "X: " + std::to_string(at.left + 7));
    preview_.MouseUp(at.left + 27, at.top + 17, false, true);
    EXPECT_EQ(tiles->entry.left, 207);
    EXPECT_EQ(tiles->entry.top, 10);
    EXPECT_TRUE(preview_.TakeChanged());
    EXPECT_EQ(preview_.status()[kStatusElementA], "X: " + std::to_string(at.left + 27));

    // The left edge dragged past the right edge leaves a width of 1 with the right edge kept.
    const PixelRect r = preview_.PreviewRect(tiles);
    preview_.MouseDown(SkinPreview::LeftButton, r.left, r.top + 20, false);
    EXPECT_EQ(preview_.dragHandle(), DragHandle::Left);
    preview_.MouseUp(r.left + 500, r.top + 20, false, false);
    EXPECT_EQ(tiles->entry.width, 1);
    EXPECT_EQ(tiles->entry.left, 207 + 99);

    // The bottom edge dragged up past the top: height 1.
    const PixelRect r2 = preview_.PreviewRect(tiles);
    preview_.MouseDown(SkinPreview::LeftButton, r2.left + 4, r2.bottom(), false);
    EXPECT_EQ(preview_.dragHandle(), DragHandle::BottomRight);
    preview_.MouseUp(r2.left - 100, r2.bottom() - 300, false, false);
    EXPECT_EQ(tiles->entry.width, 1);
    EXPECT_EQ(tiles->entry.height, 1);

    // Shift drops the drag.
    const PixelRect r3 = preview_.PreviewRect(tiles);
    preview_.MouseDown(SkinPreview::LeftButton, r3.left, r3.top, false);
    preview_.MouseUp(r3.left + 30, r3.top + 30, true, false);
    EXPECT_EQ(tiles->entry.left, 306);
    EXPECT_EQ(tiles->entry.height, 1);

    // The right button gives the element its image's size.
    preview_.MouseDown(SkinPreview::RightButton, 0, 0, false);
    EXPECT_EQ(tiles->entry.width, 7);
    EXPECT_EQ(tiles->entry.height, 9);
}

TEST_F(PreviewTest, AClickSelectsTheLastElementUnderItAndStretchStopsEditing) {
    ShowGame();
    const PixelRect child = preview_.PreviewRect(Find("child"));
    preview_.MouseDown(SkinPreview::LeftButton, child.left + 1, child.top + 1, false);
    EXPECT_FALSE(preview_.dragging());
    preview_.MouseUp(child.left + 1, child.top + 1, false, false);
    EXPECT_EQ(preview_.selected(), Find("child"));
    EXPECT_EQ(preview_.status()[kStatusElementA], "W: 30");
    preview_.SetStretch(true);
    preview_.MouseDown(SkinPreview::LeftButton, child.left + 1, child.top + 1, false);
    EXPECT_FALSE(preview_.dragging());
}

TEST_F(PreviewTest, TheBlinkFrameAlternatesNavyAndYellowOnTheSelection) {
    ShowGame();
    preview_.Select(Find("tiles"));
    const PixelRect r = preview_.PreviewRect(Find("tiles"));
    const int x = r.left + ((r.left + r.top) % 2 == 0 ? 0 : 1);
    EXPECT_EQ(preview_.BlinkPicture(false).pixel(x, r.top), Rgb555(0, 0, 16));
    EXPECT_EQ(preview_.BlinkPicture(true).pixel(x, r.top), Rgb555(31, 31, 0));
    EXPECT_EQ(preview_.BlinkPicture(true).pixel(x + 1, r.top),
              preview_.picture().pixel(x + 1, r.top));
}

TEST_F(PreviewTest, ReferenceElementsAreShownButNotEdited) {
    ShowGame();
    TZRC* tiles = Find("tiles");
    tiles->IsReference = true;
    preview_.Select(tiles);
    const PixelRect r = preview_.PreviewRect(tiles);
    preview_.MouseDown(SkinPreview::LeftButton, r.left + 3, r.top + 3, false);
    EXPECT_FALSE(preview_.dragging());
    preview_.MouseDown(SkinPreview::RightButton, 0, 0, false);
    EXPECT_EQ(tiles->entry.width, 100);
}

}  // namespace
}  // namespace pk
