// Old theme packs: a pack of our own made here, its values as Windows paths in any case, the
// tree it gives, the tiles drawn in (their geometry, not the glyphs), and a save that the
// client loads. Reference libraries found beside the program while there is no current file.
#include "editor/zrpack.h"

#include <gtest/gtest.h>

#include "editor/skinclient.h"
#include "gfx/surfaceconv.h"
#include "platform/atomicfile.h"
#include "support/synthetic_theme.h"
#include "support/temp_dir.h"

namespace pk {
namespace {

namespace fs = std::filesystem;

// Draws nothing; remembers where each letter was to go.
class RecordingText : public TextPainter {
public:
    void ChooseFont(std::string_view family, int points, FontWeight weight) override {
        font = std::string(family) + " " + std::to_string(points);
        if (weight == FontWeight::Bold)
            font += " bold";
    }
    TextExtent Measure(std::string_view) override { return {4, 6}; }
    void DrawText(Surface16& dst, int x, int y, std::string_view text, Pixel16) override {
        calls.push_back(font + " " + std::string(text) + " " + std::to_string(x) + "," +
                        std::to_string(y));
        clips.push_back(dst.clip());
    }
    std::string font;
    std::vector<std::string> calls;
    std::vector<PixelRect> clips;
};

class PackTest : public ::testing::Test {
protected:
    PackTest() {
        fs::create_directories(prog_);
        fs::create_directories(pack_ / "GFX");
        fs::create_directories(pack_ / "snd");
        test::SaveLibrary(prog_ / "Default.klb", test::BasicTheme("default"));
        DibBitmap blocks(304, 40, 0xFF204060u);
        blocks.fillRect(0, 0, 16, 16, 0xFFFF0000u);
        Write(pack_ / "GFX" / "Blocks.bmp", *EncodeBmp(blocks, 24));
        Write(pack_ / "snd" / "Drop.WAV", test::MakeWav(10, 1));
        Write(pack_ / "snd" / "won.wav", test::MakeWav(10, 2));
        Write(pack_ / "Tune.MID", test::MakeMidi());
    }
    static void Write(const fs::path& f, const std::string& bytes) {
        ASSERT_TRUE(WriteFileAtomic(f, bytes));
    }
    fs::path Pack(const std::string& text) {
        Write(pack_ / "old.kpk", text);
        return pack_ / "old.kpk";
    }
    std::vector<std::string> Labels(const TreeNode* n) {
        std::vector<std::string> out;
        for (auto& c : n->children) out.push_back(c->label);
        return out;
    }

    test::TempDir dir_;
    fs::path prog_ = dir_.Path() / "prog";
    fs::path pack_ = dir_.Path() / "Pack";
    KledDoc doc_{prog_};
    struct Host : CommandHost {
        void ShowMessage(const std::string& text) override { messages.push_back(text); }
        std::vector<std::string> messages;
    } host_;
    KledCommands commands_{doc_, host_};
    RecordingText text_;
};

constexpr const char* kPack =
    "[Graphics]\r\nbitmaps_file=gfx\\BLOCKS.bmp\r\n"
    "[Sounds]\r\nimmediate_piece_drop=SND\\drop.wav\r\nyou_won=snd\\WON.wav\r\n"
    "you_lost=snd\\missing.wav\r\nrotate_piece=..\\Pack\\snd\\won.wav\r\n"
    "[Music]\r\nmidifile=tune.mid\r\n";

TEST_F(PackTest, ResolvesWindowsPathsInAnyCaseInsideThePackFolder) {
    EXPECT_EQ(ResolvePackPath(pack_, "gfx\\BLOCKS.BMP"), pack_ / "GFX" / "Blocks.bmp");
    EXPECT_EQ(ResolvePackPath(pack_, "tune.mid"), pack_ / "Tune.MID");
    EXPECT_EQ(ResolvePackPath(pack_, "snd/./drop.wav"), pack_ / "snd" / "Drop.WAV");
    EXPECT_FALSE(ResolvePackPath(pack_, "snd\\none.wav"));
    EXPECT_FALSE(ResolvePackPath(pack_, "..\\Pack\\Tune.MID"));
    EXPECT_FALSE(ResolvePackPath(pack_, "C:\\Pack\\Tune.MID"));
    EXPECT_FALSE(ResolvePackPath(pack_, "\\Tune.MID"));
    EXPECT_FALSE(ResolvePackPath(pack_, "snd"));  // a folder
    EXPECT_FALSE(ResolvePackPath(pack_, ""));
}

TEST_F(PackTest, BuildsTheThemeWithTheMissingTilesAndItsReferences) {
    TZRC* main = ImportOldThemePack(commands_, Pack(kPack), &text_);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_EQ(doc_.SelectedEntry(), main);
    const TreeNode* root = doc_.tree().FirstRoot();
    EXPECT_EQ(Labels(root), (std::vector<std::string>{"PLEASE NAME ME", "Music", "Sounds"}));
    EXPECT_EQ(Labels(root->children[1].get()), std::vector<std::string>{"Default Music"});
    // Each new sound went first: the pack's order reversed; missing and outside files left out.
    EXPECT_EQ(Labels(root->children[2].get()), (std::vector<std::string>{"won", "droppiece"}));
    ASSERT_EQ(doc_.tree().Roots().size(), 2u);
    EXPECT_EQ(doc_.tree().Roots()[1]->label, "Default");

    EXPECT_EQ(main->entry.themeIdList, "16Blocks");
    EXPECT_EQ(main->entry.minWindowWidth, 640);
    EXPECT_EQ(main->entry.minWindowHeight, 480);
    EXPECT_EQ(main->entry.references, "default");
    EXPECT_EQ(main->entry.information, kPackInformation);
    EXPECT_EQ(doc_.FindEntryByName("won", "")->entry.themeIdList, "16Blocks");
    EXPECT_EQ(doc_.FindEntryByName("Default Music", "")->entry.fileType, "MID");

    const DibBitmap image = *DecodeBmp(main->entry.image);
    EXPECT_EQ(image.bitsPerPixel, 16);
    EXPECT_EQ(image.width, kPackBitmapWidth);
    EXPECT_EQ(image.height, 40);
    const Surface16 s = SurfaceFromDib(image);
    EXPECT_EQ(s.pixel(0, 0), Rgb555(31, 0, 0));     // the pack's own pixels stay
    EXPECT_EQ(s.pixel(300, 30), Rgb555(4, 8, 12));  // (0x20, 0x40, 0x60)
    EXPECT_EQ(s.pixel(360, 30), kBlack555);         // the widened part
    for (int i = 14; i < 19; ++i) {
        // Large tile: black corners, a black rim, a white inside.
        EXPECT_EQ(s.pixel(16 * i, 0), kBlack555) << i;
        EXPECT_EQ(s.pixel(16 * i + 8, 0), kBlack555) << i;
        EXPECT_EQ(s.pixel(16 * i + 8, 1), kWhite555) << i;
        EXPECT_EQ(s.pixel(16 * i + 8, 8), kWhite555) << i;
        EXPECT_EQ(s.pixel(16 * i + 15, 15), kBlack555) << i;
        // Small tile: black corners, white rim and inside.
        EXPECT_EQ(s.pixel(8 * i, 16), kBlack555) << i;
        EXPECT_EQ(s.pixel(8 * i + 4, 16), kWhite555) << i;
        EXPECT_EQ(s.pixel(8 * i + 4, 20), kWhite555) << i;
        EXPECT_EQ(s.pixel(8 * i + 7, 23), kBlack555) << i;
    }
    // The letters "vidfm" centred on their tiles, each clipped to its tile.
    ASSERT_EQ(text_.calls.size(), 10u);
    // The large letters bold, the small ones not.
    EXPECT_EQ(text_.calls[0], "Liberation Sans 11 bold v 230,5");
    EXPECT_EQ(text_.calls[1], "Liberation Sans Narrow 6 v 113,17");
    EXPECT_EQ(text_.calls[9], "Liberation Sans Narrow 6 m 145,17");
    EXPECT_EQ(text_.clips[8], (PixelRect{288, 0, 16, 16}));
}

TEST_F(PackTest, AWiderBitmapIsNotCutAndAMissingOneMakesNothing) {
    Write(pack_ / "GFX" / "Blocks.bmp", *EncodeBmp(DibBitmap(500, 30), 24));
    TZRC* main = ImportOldThemePack(commands_, Pack(kPack), nullptr);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(DecodeBmp(main->entry.image)->width, 500);

    EXPECT_EQ(
        ImportOldThemePack(commands_, Pack("[Graphics]\r\nbitmaps_file=none.bmp\r\n"), nullptr),
        nullptr);
    EXPECT_TRUE(doc_.list().empty());
    EXPECT_EQ(doc_.tree().Roots().size(), 1u);
    EXPECT_TRUE(doc_.tree().FirstRoot()->children.empty());

    Write(pack_ / "bad.bmp", "BM....");
    EXPECT_EQ(
        ImportOldThemePack(commands_, Pack("[Graphics]\r\nbitmaps_file=bad.bmp\r\n"), nullptr),
        nullptr);
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_NE(host_.messages[0].find("bad.bmp"), std::string::npos);
    EXPECT_TRUE(doc_.list().empty());
    EXPECT_TRUE(doc_.tree().FirstRoot()->children.empty());
}

TEST_F(PackTest, APackWithoutSoundsGetsAnEmptySoundsGroup) {
    TZRC* main = ImportOldThemePack(
        commands_, Pack("[Graphics]\r\nbitmaps_file=GFX\\Blocks.bmp\r\n"), nullptr);
    ASSERT_NE(main, nullptr);
    const TreeNode* root = doc_.tree().FirstRoot();
    EXPECT_EQ(Labels(root), (std::vector<std::string>{"PLEASE NAME ME", "Music", "Sounds"}));
    EXPECT_TRUE(root->children[2]->children.empty());
    EXPECT_TRUE(root->children[2]->hasChildren);
}

TEST_F(PackTest, TheImportedThemeSavesAndTheClientLoadsIt) {
    TZRC* main = ImportOldThemePack(commands_, Pack(kPack), &text_);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(doc_.RenameNode(main->node, "Blocks"));
    const fs::path saved = prog_ / "blocks.klb";
    ASSERT_TRUE(doc_.SaveThemeAs(saved));
    const test::ClientTheme client = test::ClientLoadTheme(saved, "16Blocks", prog_);
    EXPECT_TRUE(client.loaded);
    EXPECT_EQ(client.mainWidth, kPackBitmapWidth);
    EXPECT_EQ(client.sounds, (std::vector<std::string>{"won", "droppiece"}));
    EXPECT_EQ(client.music, (std::vector<std::string>{"Default Music"}));
}

TEST_F(PackTest, ReferencesAreSearchedBesideTheCurrentFileOrTheProgram) {
    KlbEntry main = test::MainEntry("m", "*", {}, test::MaskKind::None, "default nothere");
    doc_.NewTheme();
    auto owned = std::make_unique<TZRC>();
    owned->entry = main;
    TZRC* e = doc_.Append(std::move(owned));
    EXPECT_EQ(UpdateReferences(doc_, e), 1);  // no current file: the program's folder
    EXPECT_EQ(doc_.tree().Roots().size(), 2u);
    for (const auto& x : doc_.list()) {
        if (x.get() != e) {
            EXPECT_TRUE(x->IsReference);
        }
    }
    // A second update replaces the references instead of adding to them.
    EXPECT_EQ(UpdateReferences(doc_, e), 1);
    EXPECT_EQ(doc_.tree().Roots().size(), 2u);
    EXPECT_EQ(UpdateReferences(doc_, nullptr), 0);
}

}  // namespace
}  // namespace pk
