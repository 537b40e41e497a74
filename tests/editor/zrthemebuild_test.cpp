// A theme built from nothing through the resource commands alone, with the
// files given by name as a batch import gives them, saved, and loaded by the
// client's theme loader.
#include <gtest/gtest.h>

#include "editor/clientload.h"
#include "editor/zrcommands.h"
#include "editor/zrimaging.h"
#include "editor/zrpages.h"
#include "platform/atomicfile.h"
#include "support/synthetic_theme.h"
#include "support/temp_dir.h"

namespace pk {
namespace {

class SilentHost : public KledDocHost, public CommandHost {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    int64_t PickTransparentColor(const DibBitmap&) override { return 0xFF00FF; }  // magenta
    std::vector<std::string> messages;
};

TEST(ThemeBuild, FromNothingToAThemeTheClientLoads) {
    test::TempDir dir;
    const auto prog = dir.Path() / "prog";
    std::filesystem::create_directories(prog);
    auto write = [&](const std::string& name, const std::string& bytes) {
        EXPECT_TRUE(WriteFileAtomic(dir.Path() / name, bytes));
        return (dir.Path() / name).string();
    };
    const test::MainLayout layout;
    const std::string blocks = write("blocks.bmp", EncodeBmp(test::MainImage(layout)));
    // Mask files are black where transparent.
    const std::string blocksMask =
        write("blocksmask.bmp",
              EncodeBmp(InvertMonochrome(test::MainMask(layout, test::MaskKind::Monochrome))));
    DibBitmap specials(19 * 16, 16, 0xFF336699);
    const std::string specialsFile = write("specials.bmp", *EncodeBmp(specials, 8));
    const std::string wav = write("drop.wav", test::MakeWav(64));
    const std::string mid = write("theme.mid", test::MakeMidi());
    DibBitmap panel(40, 30, 0xFF4080C0);
    panel.fillRect(0, 0, 4, 4, 0xFFFF00FF);  // a magenta corner to become transparent
    const std::string panelFile = write("panel.bmp", EncodeBmp(panel));

    SilentHost host;
    KledDoc doc(prog, &host);
    KledCommands cmd(doc, host);
    doc.Start({});
    doc.tree().selected = doc.tree().FirstRoot();

    TZRC* group = cmd.CreateGroup();
    ASSERT_TRUE(group);
    ASSERT_TRUE(doc.RenameNode(group->node, "Blocks"));
    TZRC* main = cmd.NewResource(kPageMain, blocks);
    ASSERT_TRUE(main);
    EXPECT_EQ(main->node->parent, group->node);
    ASSERT_TRUE(cmd.LoadResourceFromFile(kPageMain, ResourceMode::Mask, blocksMask));
    ASSERT_TRUE(doc.RenameNode(main->node, "Blocks"));
    main->entry.minWindowWidth = 640;
    main->entry.minWindowHeight = 480;
    const std::string themeId = main->entry.themeIdList;
    EXPECT_EQ(themeId, "16blocks");

    ASSERT_TRUE(cmd.NewResource(kPageDetail, specialsFile));
    TZRC* sound = cmd.NewResource(kPageSound, wav);
    ASSERT_TRUE(sound);
    ASSERT_TRUE(doc.RenameNode(sound->node, "drop"));
    TZRC* music = cmd.NewResource(kPageMusic, mid);
    ASSERT_TRUE(music);
    TZRC* skin = cmd.NewResource(kPageSkin);
    ASSERT_TRUE(skin);
    ASSERT_TRUE(doc.RenameNode(skin->node, "con_login"));
    ASSERT_TRUE(cmd.LoadResourceFromFile(kPageSkin, ResourceMode::Image, panelFile));
    ASSERT_TRUE(cmd.CreateMaskFromColor(kPageSkin));
    skin->entry.flagList = "login";
    // Everything but the main bitmap to the top level, the skin first.
    doc.UnmarkAll();
    for (TZRC* e : {skin, sound, music}) e->node->SetMarked(true);
    cmd.MoveMarkedResourcesTo(doc.tree().FirstRoot());
    doc.tree().selected = skin->node;
    while (cmd.MoveResourceUp()) {
    }
    EXPECT_TRUE(host.messages.empty());

    const auto file = prog / "Built.klb";
    ASSERT_TRUE(doc.SaveThemeAs(file));
    ASSERT_TRUE(doc.SaveTheme() == KledDoc::SaveOutcome::Saved);  // and again, from the library

    const test::ClientThemeSummary theme = test::LoadWithClient(file, themeId, prog);
    ASSERT_TRUE(theme.ok) << theme.message;
    ASSERT_TRUE(theme.hasMain);
    EXPECT_EQ(theme.minWindowWidth, 640);
    EXPECT_EQ(theme.largeBlockSize, 16);
    EXPECT_EQ(theme.imageWidth, test::MainImage(layout).width);
    // The library holds the mask in its memory form: white where transparent.
    EXPECT_EQ(theme.maskPixels, test::MainMask(layout, test::MaskKind::Monochrome).pixels);
    EXPECT_TRUE(theme.hasDetail);
    EXPECT_EQ(theme.sounds, 1);
    EXPECT_EQ(theme.tunes, 1);
    ASSERT_EQ(theme.skins.size(), 1u);
    EXPECT_EQ(theme.skins[0].name, "con_login");
    EXPECT_EQ(theme.skins[0].width, 40);
    EXPECT_GT(theme.skins[0].maskSize, 0);
    EXPECT_EQ(theme.tune, test::MakeMidi());
}

}  // namespace
}  // namespace pk
