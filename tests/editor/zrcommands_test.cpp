// The resource commands on a synthetic library: every command with the tree
// and the entry list checked afterwards and the saved library read back.
#include "editor/zrcommands.h"

#include <gtest/gtest.h>

#include <deque>

#include "editor/zrimaging.h"
#include "editor/zrpages.h"
#include "platform/atomicfile.h"
#include "support/synthetic_theme.h"
#include "support/temp_dir.h"

namespace pk {
namespace {

class ScriptedHost : public KledDocHost, public CommandHost {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::string ChooseFile(const FileDialogSpec& spec) override {
        dialogs.push_back(spec);
        if (answers.empty())
            return {};
        std::string a = answers.front();
        answers.pop_front();
        return a;
    }
    int64_t PickTransparentColor(const DibBitmap&) override { return colour; }
    TreeNode* SelectResourceGroup() override { return group; }
    void ResourcesChanged() override { ++changes; }

    std::vector<std::string> messages;
    std::vector<FileDialogSpec> dialogs;
    std::deque<std::string> answers;
    int64_t colour = -1;
    TreeNode* group = nullptr;
    int changes = 0;
};

class CommandsTest : public ::testing::Test {
protected:
    CommandsTest() : doc_(dir_.Path() / "prog", &host_), cmd_(doc_, host_) {
        std::filesystem::create_directories(dir_.Path() / "prog");
        doc_.Start({});
    }
    void Open() { doc_.OpenTheme(test::SaveLibrary(dir_.Path() / "Mine.klb", test::BasicTheme())); }
    std::vector<std::string> Labels() {
        std::vector<std::string> out;
        doc_.tree().ForEach([&](TreeNode* n) {
            std::string depth;
            for (TreeNode* p = n->parent; p; p = p->parent) depth += ".";
            out.push_back(depth + n->label + (n->Marked() ? "*" : ""));
        });
        return out;
    }
    std::vector<std::string> ListNames() {
        std::vector<std::string> out;
        for (const auto& e : doc_.list()) out.push_back(e->name());
        return out;
    }
    TreeNode* Node(const std::string& name) {
        TZRC* e = doc_.FindEntryByName(name, "");
        return e ? e->node : nullptr;
    }
    void Select(TreeNode* node) {
        doc_.UnmarkAll();
        doc_.tree().selected = node;
        if (node)
            node->SetMarked(true);
    }
    void Mark(TreeNode* node) { node->SetMarked(true); }
    std::string WriteBmp(const std::string& name, const DibBitmap& image, int bpp) {
        auto bytes = EncodeBmp(image, bpp);
        EXPECT_TRUE(bytes);
        const auto file = dir_.Path() / name;
        EXPECT_TRUE(WriteFileAtomic(file, bytes.value_or("")));
        return file.string();
    }
    std::string WriteFile(const std::string& name, const std::string& bytes) {
        const auto file = dir_.Path() / name;
        EXPECT_TRUE(WriteFileAtomic(file, bytes));
        return file.string();
    }
    // Saves, opens the saved file afresh and gives back its labels.
    std::vector<std::string> SaveAndReopen() {
        const auto file = dir_.Path() / "Saved.klb";
        EXPECT_TRUE(doc_.SaveThemeAs(file));
        doc_.OpenTheme(file);
        doc_.UnmarkAll();
        return Labels();
    }

    test::TempDir dir_;
    ScriptedHost host_;
    KledDoc doc_;
    KledCommands cmd_;
};

DibBitmap Picture(int w, int h, uint32_t colour) {
    return DibBitmap(w, h, colour);
}

TEST_F(CommandsTest, NewGroupsGoNextToTheSelectionWithUniqueNames) {
    Open();
    Select(doc_.tree().FirstRoot());
    TZRC* a = cmd_.CreateGroup();
    ASSERT_TRUE(a);
    EXPECT_EQ(a->name(), "New Group");
    // Inside the new group (the selection) as its first child.
    TZRC* b = cmd_.CreateGroup();
    ASSERT_TRUE(b);
    EXPECT_EQ(b->node->parent, a->node);
    // After a leaf, among the root's groups: one "New Group" exists there.
    Select(Node("drop"));
    TZRC* c = cmd_.CreateGroup();
    ASSERT_TRUE(c);
    EXPECT_EQ(Labels(),
              (std::vector<std::string>{"Current theme", ".New Group", "..New Group", ".Basic",
                                        "..Basic", ".Specials", ".drop", ".New Group copy*",
                                        ".Tune", ".Main", ".Button"}));
    EXPECT_EQ(doc_.tree().selected, c->node);
    EXPECT_EQ(c->SourceFile, doc_.WorkCopy());
    // Nothing selected: no group.
    Select(nullptr);
    EXPECT_FALSE(cmd_.CreateGroup());
    EXPECT_EQ(SaveAndReopen(),
              (std::vector<std::string>{"Current theme", ".New Group", "..New Group", ".Basic",
                                        "..Basic", ".Specials", ".drop", ".New Group copy", ".Tune",
                                        ".Main", ".Button"}));
}

TEST_F(CommandsTest, NewResourceOfEveryKind) {
    const std::string bmp = WriteBmp("blocks.bmp", Picture(20, 10, 0xFF123456), 24);
    const std::string wav = WriteFile("boom.wav", test::MakeWav(50));
    const std::string mid = WriteFile("song.mid", test::MakeMidi());
    Select(doc_.tree().FirstRoot());

    TZRC* main = cmd_.NewResource(kPageMain, bmp);
    ASSERT_TRUE(main);
    EXPECT_EQ(main->name(), "Main Bitmap");
    EXPECT_EQ(main->entry.themeIdList, "16blocks");
    EXPECT_EQ(main->entry.fieldWidth, 12);
    EXPECT_EQ(main->entry.fieldHeight, 22);
    EXPECT_EQ(main->entry.largeBlockSize, 16);
    EXPECT_EQ(main->entry.smallBlockSize, 8);
    EXPECT_EQ(main->entry.minWindowWidth, 0);
    EXPECT_EQ(main->imageFileName, bmp);
    EXPECT_TRUE(main->entry.mask.empty());
    auto image = DecodeBmp(main->entry.image);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->bitsPerPixel, 16);  // converted on load
    EXPECT_EQ(image->at(0, 0), Argb(ArgbTo555(0xFF123456)));
    EXPECT_EQ(main->node->imageIndex, kImageMain);

    // The dialog answers when no file is given.
    host_.answers = {wav};
    TZRC* sound = cmd_.NewResource(kPageSound);
    ASSERT_TRUE(sound);
    EXPECT_EQ(host_.dialogs.back().title, "Select WAV sound...");
    EXPECT_EQ(sound->heldFile, wav);
    EXPECT_EQ(sound->name(), "New Sound");
    TZRC* music = cmd_.NewResource(kPageMusic, mid);
    ASSERT_TRUE(music);
    EXPECT_EQ(music->entry.fileType, "mid");
    TZRC* detail = cmd_.NewResource(kPageDetail, bmp);
    ASSERT_TRUE(detail);
    EXPECT_EQ(detail->name(), "SB Detail Bitmap");
    TZRC* skin = cmd_.NewResource(kPageSkin);
    ASSERT_TRUE(skin);
    EXPECT_EQ(skin->entry.backColour, -1);
    EXPECT_TRUE(skin->entry.image.empty());
    EXPECT_TRUE(host_.messages.empty());
    // Each new one went after the one before it.
    EXPECT_EQ(Labels(),
              (std::vector<std::string>{"Current theme", ".Main Bitmap", ".New Sound", ".Music",
                                        ".SB Detail Bitmap", ".New Skin Bitmap*"}));
    EXPECT_EQ(SaveAndReopen(),
              (std::vector<std::string>{"Current theme", ".Main Bitmap", ".New Sound", ".Music",
                                        ".SB Detail Bitmap", ".New Skin Bitmap"}));
    EXPECT_EQ(ReadFileBytes(doc_.WorkCopy(), 1 << 24).has_value(), true);
    TZRC* reread = doc_.FindEntryByName("New Sound", "");
    ASSERT_TRUE(reread);
    EXPECT_EQ(reread->entry.imagePart.size, static_cast<int32_t>(test::MakeWav(50).size()));
}

TEST_F(CommandsTest, NewResourceRefusedLeavesNothingBehind) {
    Select(doc_.tree().FirstRoot());
    const auto before = Labels();
    // Cancelled dialogs, each with its message.
    EXPECT_FALSE(cmd_.NewResource(kPageMain));
    EXPECT_FALSE(cmd_.NewResource(kPageMusic));
    EXPECT_FALSE(cmd_.NewResource(kPageSound));
    EXPECT_EQ(host_.messages,
              (std::vector<std::string>{"You must select a bitmap to create resource",
                                        "You must select a music file to create resource",
                                        "You must select a sound file for a new resource"}));
    host_.messages.clear();
    // A given file that does not exist does nothing, silently.
    EXPECT_FALSE(cmd_.NewResource(kPageMain, (dir_.Path() / "none.bmp").string()));
    // The preview files beside the program, whatever their type or case.
    for (const char* name : {"tmp.mid", "TMP.MP3", "tmp.ogg"}) {
        const auto preview = doc_.programFolder() / name;
        ASSERT_TRUE(WriteFileAtomic(preview, test::MakeMidi()));
        EXPECT_FALSE(cmd_.NewResource(kPageMusic, preview.string())) << name;
    }
    EXPECT_TRUE(host_.messages.empty());
    // A file that is not a bitmap: a message and no half-made entry.
    const std::string junk = WriteFile("junk.bmp", "BM not really a bitmap");
    EXPECT_FALSE(cmd_.NewResource(kPageMain, junk));
    EXPECT_FALSE(cmd_.NewResource(kPageDetail, junk));
    ASSERT_EQ(host_.messages.size(), 2u);
    EXPECT_EQ(host_.messages[0],
              "Unable to load bitmap (" + junk + "): the file is not a valid bitmap.");
    EXPECT_EQ(Labels(), before);
    EXPECT_TRUE(doc_.list().empty());
}

TEST_F(CommandsTest, DeleteKeepsGroupsWithContentsAndReferences) {
    Open();
    ASSERT_TRUE(doc_.LoadLibrary(
        test::SaveLibrary(dir_.Path() / "Ref.klb", {test::SoundEntry("refsound", "*", "x")}),
        true));
    Select(doc_.tree().FirstRoot());
    TZRC* empty = cmd_.CreateGroup();
    Select(Node("drop"));
    Mark(Node("Basic"));
    Mark(Node("Tune"));
    Mark(empty->node);
    Mark(Node("refsound"));
    cmd_.DeleteMarkedResources();
    EXPECT_EQ(host_.messages, (std::vector<std::string>{"Unable to delete group \"Basic\""}));
    EXPECT_EQ(Labels(), (std::vector<std::string>{"Current theme", ".Basic", "..Basic", ".Specials",
                                                  ".Main", ".Button", "Ref", ".refsound"}));
    EXPECT_EQ(ListNames(), (std::vector<std::string>{"Basic", "Basic", "Specials", "Main", "Button",
                                                     "refsound"}));
    EXPECT_EQ(SaveAndReopen(), (std::vector<std::string>{"Current theme", ".Basic", "..Basic",
                                                         ".Specials", ".Main", ".Button"}));
}

TEST_F(CommandsTest, CopyLeavesGroupsAndReferenceEntries) {
    Open();
    ASSERT_TRUE(doc_.LoadLibrary(
        test::SaveLibrary(dir_.Path() / "Ref.klb", {test::SoundEntry("refsound", "*", "RIFFdata")}),
        true));
    Select(Node("drop"));
    Mark(Node("refsound"));
    cmd_.CopyMarkedResources();
    // The copy of a leaf follows it and keeps its name; a reference's copy
    // goes to the end of the edited theme.
    EXPECT_EQ(Labels(), (std::vector<std::string>{"Current theme", ".Basic", "..Basic", ".Specials",
                                                  ".drop", ".drop*", ".Tune", ".Main", ".Button",
                                                  ".refsound*", "Ref", ".refsound"}));
    TZRC* refCopy = doc_.tree().FirstRoot()->children.back()->entry;
    EXPECT_FALSE(refCopy->IsReference);
    EXPECT_EQ(refCopy->SourceFile, dir_.Path() / "Ref.klb");  // read from there until saved

    // A group with everything in it, as the group's last sibling.
    Select(Node("Basic"));
    cmd_.CopyMarkedResources();  // the marked group is no leaf
    TreeNode* copy = doc_.tree().selected;
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->label, "Basic copy");
    EXPECT_EQ(copy->entry->name(), "Basic copy");
    ASSERT_EQ(copy->children.size(), 1u);
    EXPECT_NE(copy->children[0]->entry, Node("Basic")->children[0]->entry);
    EXPECT_EQ(copy->children[0]->entry->entry.image,
              Node("Basic")->children[0]->entry->entry.image);
    // Information and References stay empty in a copy.
    EXPECT_TRUE(copy->children[0]->entry->entry.references.empty());
    Select(Node("Basic"));
    cmd_.CopyMarkedResources();
    EXPECT_EQ(doc_.tree().selected->label, "Basic copy2");
    EXPECT_EQ(SaveAndReopen(),
              (std::vector<std::string>{"Current theme", ".Basic", "..Basic", ".Specials", ".drop",
                                        ".drop", ".Tune", ".Main", ".Button", ".refsound",
                                        ".Basic copy", "..Basic", ".Basic copy2", "..Basic"}));
    TZRC* saved = doc_.tree().FirstRoot()->children[7]->entry;
    ASSERT_EQ(saved->name(), "refsound");
    EXPECT_EQ(ReadFileRange(saved->SourceFile, saved->entry.imagePart.offset,
                            saved->entry.imagePart.size),
              "RIFFdata");
}

TEST_F(CommandsTest, MovesNeverLoseAGroup) {
    Open();
    TreeNode* basic = Node("Basic");
    Select(basic);
    TZRC* inner = cmd_.CreateGroup();  // Basic > New Group
    // Into itself or into its own descendant: nothing moves.
    Select(basic);
    cmd_.MoveMarkedResourcesTo(basic);
    cmd_.MoveMarkedResourcesTo(inner->node);
    cmd_.MoveMarkedResourcesTo(basic->children[1].get());  // before a leaf inside it
    EXPECT_EQ(basic->parent, doc_.tree().FirstRoot());

    // Leaves into a group, at its end; before a leaf.
    Select(Node("drop"));
    Mark(Node("Tune"));
    host_.group = inner->node;
    cmd_.MoveMarkedResources();
    EXPECT_EQ(Labels(),
              (std::vector<std::string>{"Current theme", ".Basic", "..New Group", "...drop*",
                                        "...Tune*", "..Basic", ".Specials", ".Main", ".Button"}));
    Select(Node("Button"));
    cmd_.MoveMarkedResourcesTo(Node("Specials"));
    EXPECT_EQ(doc_.tree().FirstRoot()->children[1]->label, "Button");

    // A group moved next to a group of its name takes a free one.
    Select(doc_.tree().FirstRoot());
    TZRC* outer = cmd_.CreateGroup();  // "New Group" at the top
    Select(inner->node);
    cmd_.MoveMarkedResourcesTo(doc_.tree().FirstRoot());
    EXPECT_EQ(inner->name(), "New Group copy");
    EXPECT_EQ(inner->node->label, "New Group copy");
    EXPECT_NE(outer->name(), inner->name());
    // Cancelled: nothing.
    host_.group = nullptr;
    const auto before = Labels();
    cmd_.MoveMarkedResources();
    EXPECT_EQ(Labels(), before);
}

TEST_F(CommandsTest, MoveUpAndDownStayBelowTheTopLevel) {
    Open();
    Select(Node("Tune"));
    EXPECT_TRUE(cmd_.MoveResourceUp());
    EXPECT_TRUE(cmd_.MoveResourceUp());
    Select(Node("Specials"));
    EXPECT_TRUE(cmd_.MoveResourceDown());
    EXPECT_EQ(Labels(), (std::vector<std::string>{"Current theme", ".Basic", "..Basic", ".Tune",
                                                  ".drop", ".Specials*", ".Main", ".Button"}));
    Select(Node("Button"));
    EXPECT_FALSE(cmd_.MoveResourceDown());  // the last one
    Select(Node("Basic"));
    EXPECT_FALSE(cmd_.MoveResourceUp());  // the first one
    Select(doc_.tree().FirstRoot());
    EXPECT_FALSE(cmd_.MoveResourceDown());  // roots stay
    EXPECT_FALSE(cmd_.MoveResourceUp());
    EXPECT_EQ(SaveAndReopen(),
              (std::vector<std::string>{"Current theme", ".Basic", "..Basic", ".Tune", ".drop",
                                        ".Specials", ".Main", ".Button"}));
}

TEST_F(CommandsTest, ReferenceEntriesAreReadOnly) {
    Open();
    const auto ref = test::SaveLibrary(dir_.Path() / "Ref.klb", test::BasicTheme());
    ASSERT_TRUE(doc_.LoadLibrary(ref, true));
    TreeNode* refRoot = doc_.tree().Roots()[1].get();
    TreeNode* refSound = refRoot->children[2].get();
    ASSERT_EQ(refSound->label, "drop");
    Select(refSound);
    EXPECT_FALSE(cmd_.MoveResourceUp());
    EXPECT_FALSE(cmd_.CreateGroup());
    EXPECT_FALSE(cmd_.NewResource(kPageSkin));
    EXPECT_FALSE(cmd_.LoadResourceFromFile(kPageSound, ResourceMode::Image,
                                           WriteFile("a.wav", test::MakeWav(3))));
    cmd_.MoveMarkedResourcesTo(doc_.tree().FirstRoot());
    EXPECT_EQ(refSound->parent, refRoot);
    // Saving to a file reads it all the same.
    const auto out = dir_.Path() / "out.wav";
    EXPECT_TRUE(cmd_.SaveResourceToFile(kPageSound, ResourceMode::Image, out.string()));
    EXPECT_EQ(ReadFileBytes(out, 1 << 20), test::MakeWav(101));
}

TEST_F(CommandsTest, LoadAndSaveImagesSoundsAndTunes) {
    Open();
    Select(Node("drop"));
    // The wrong page for the selection.
    EXPECT_FALSE(cmd_.LoadResourceFromFile(kPageMain, ResourceMode::Image, "x"));
    EXPECT_EQ(host_.messages.back(), "Selected resource is not a main bitmap resource");
    EXPECT_FALSE(cmd_.SaveResourceToFile(kPageMusic, ResourceMode::Image, "x"));
    EXPECT_EQ(host_.messages.back(), "Selected resource is not a music resource");

    const std::string wav = WriteFile("new.wav", test::MakeWav(7));
    EXPECT_TRUE(cmd_.LoadResourceFromFile(kPageSound, ResourceMode::Image, wav));
    EXPECT_EQ(doc_.SelectedEntry()->heldFile, wav);

    Select(Node("Tune"));
    const std::string mp3 = WriteFile("song.mp3", "ID3 tune");
    EXPECT_TRUE(cmd_.LoadResourceFromFile(kPageMusic, ResourceMode::Image, mp3));
    EXPECT_EQ(doc_.SelectedEntry()->entry.fileType, "mp3");
    // The preview files are refused here too, whatever the current type.
    for (const char* name : {"tmp.mid", "tmp.mp3", "tmp.wav"}) {
        const auto preview = doc_.programFolder() / name;
        ASSERT_TRUE(WriteFileAtomic(preview, "x"));
        EXPECT_FALSE(cmd_.LoadResourceFromFile(kPageMusic, ResourceMode::Image, preview.string()));
    }
    EXPECT_EQ(doc_.SelectedEntry()->heldFile, mp3);
    // Never written over the editor's own files either.
    EXPECT_FALSE(
        cmd_.SaveResourceToFile(kPageMusic, ResourceMode::Image, doc_.WorkCopy().string()));
    const auto tune = dir_.Path() / "tune.mp3";
    EXPECT_TRUE(cmd_.SaveResourceToFile(kPageMusic, ResourceMode::Image, tune.string()));
    EXPECT_EQ(ReadFileBytes(tune, 1 << 20), "ID3 tune");

    // A skin image: 24 bits, the element takes its size.
    Select(Node("Main"));
    const std::string skinBmp = WriteBmp("skin.bmp", Picture(33, 17, 0xFF804020), 8);
    EXPECT_TRUE(cmd_.LoadResourceFromFile(kPageSkin, ResourceMode::Image, skinBmp));
    TZRC* skin = doc_.SelectedEntry();
    EXPECT_EQ(skin->entry.width, 33);
    EXPECT_EQ(skin->entry.height, 17);
    EXPECT_EQ(skin->entry.imagePart, KlbPart{});
    EXPECT_EQ(DecodeBmp(skin->entry.image)->bitsPerPixel, 24);
    // Saved at 24 bits whatever the source.
    const auto saved = dir_.Path() / "saved.bmp";
    EXPECT_TRUE(cmd_.SaveResourceToFile(kPageSkin, ResourceMode::Image, saved.string()));
    auto back = DecodeBmp(ReadFileBytes(saved, 1 << 20).value_or(""));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->bitsPerPixel, 24);
    EXPECT_EQ(back->at(32, 16), 0xFF804020u);
    // A stored skin image (not in memory) is read from the work copy.
    Select(Node("Button"));
    EXPECT_TRUE(cmd_.SaveResourceToFile(kPageSkin, ResourceMode::Image, saved.string()));
    back = DecodeBmp(ReadFileBytes(saved, 1 << 20).value_or(""));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->width, 10);
    // No mask on the main bitmap "Main" skin element: nothing written.
    Select(Node("Main"));
    EXPECT_FALSE(cmd_.SaveResourceToFile(kPageSkin, ResourceMode::Mask,
                                         (dir_.Path() / "nomask.bmp").string()));
    // A non-image file changes nothing.
    const std::string before = skin->entry.image;
    EXPECT_FALSE(
        cmd_.LoadResourceFromFile(kPageSkin, ResourceMode::Image, WriteFile("bad.bmp", "BMxx")));
    EXPECT_EQ(skin->entry.image, before);

    const auto labels = SaveAndReopen();
    TZRC* tuneEntry = doc_.FindEntryByName("Tune", "");
    EXPECT_EQ(tuneEntry->entry.fileType, "mp3");
    EXPECT_EQ(tuneEntry->entry.imagePart.size, 8);
    TZRC* reread = doc_.FindEntryByName("Main", "");
    EXPECT_EQ(reread->entry.width, 33);
    EXPECT_EQ(EntryBitmap(*reread, false)->at(0, 0), 0xFF804020u);
}

// A mask picture in its file form: black (transparent) left half, white right.
DibBitmap MaskFile(int w, int h) {
    DibBitmap m(w, h, 0xFFFFFFFF, 1);
    m.fillRect(0, 0, w / 2, h, 0xFF000000);
    return m;
}

TEST_F(CommandsTest, MasksAreInvertedOnLoadAndSave) {
    Open();
    Node("Basic")->children[0]->SetMarked(true);
    Select(Node("Basic")->children[0].get());
    TZRC* main = doc_.SelectedEntry();
    // A 24-bit picture is no mask.
    const std::string rgb = WriteBmp("rgb.bmp", Picture(8, 8, 0xFF000000), 24);
    const std::string oldMask = main->entry.mask;
    EXPECT_FALSE(cmd_.LoadResourceFromFile(kPageMain, ResourceMode::Mask, rgb));
    EXPECT_EQ(host_.messages.back(),
              "Mask bmp (" + rgb +
                  ") must be monochrome for simple transparency, or 8-bit grayscale for alpha "
                  "blending!");
    EXPECT_EQ(main->entry.mask, oldMask);

    const std::string mono = WriteBmp("mono.bmp", MaskFile(8, 4), 1);
    EXPECT_TRUE(cmd_.LoadResourceFromFile(kPageMain, ResourceMode::Mask, mono));
    auto held = DecodeBmp(main->entry.mask);
    ASSERT_TRUE(held);
    EXPECT_TRUE(held->monochrome());
    EXPECT_EQ(held->at(0, 0), 0xFFFFFFFFu);  // transparent is white in memory
    EXPECT_EQ(held->at(7, 0), 0xFF000000u);
    EXPECT_EQ(main->maskFileName, mono);
    const auto out = dir_.Path() / "mono-out.bmp";
    EXPECT_TRUE(cmd_.SaveResourceToFile(kPageMain, ResourceMode::Mask, out.string()));
    auto file = DecodeBmp(ReadFileBytes(out, 1 << 20).value_or(""));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->bitsPerPixel, 1);
    EXPECT_EQ(file->pixels, MaskFile(8, 4).pixels);
}

TEST_F(CommandsTest, AlphaMasksRoundTripAsGreyscale) {
    Open();
    Select(Node("Button"));
    DibBitmap grey(6, 3, 0xFF000000, 8);
    for (int x = 0; x < 6; ++x) grey.fillRect(x, 0, 1, 3, 0xFF000000u | (x * 51) * 0x010101u);
    const std::string file = WriteBmp("alpha.bmp", grey, 8);
    EXPECT_TRUE(cmd_.LoadResourceFromFile(kPageSkin, ResourceMode::Mask, file));
    TZRC* e = doc_.SelectedEntry();
    EXPECT_EQ(e->entry.maskPart, KlbPart{});
    auto held = DecodeBmp(e->entry.mask);
    ASSERT_TRUE(held);
    EXPECT_EQ(held->bitsPerPixel, 32);
    EXPECT_EQ(held->at(5, 2) & 0xFF, 255u);
    // Saved, it is an 8-bit picture again that loads as the same mask.
    SaveAndReopen();
    Select(Node("Button"));
    const auto out = dir_.Path() / "alpha-out.bmp";
    EXPECT_TRUE(cmd_.SaveResourceToFile(kPageSkin, ResourceMode::Mask, out.string()));
    auto saved = DecodeBmp(ReadFileBytes(out, 1 << 20).value_or(""));
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->bitsPerPixel, 8);
    EXPECT_EQ(saved->pixels, grey.pixels);
    EXPECT_TRUE(cmd_.LoadResourceFromFile(kPageSkin, ResourceMode::Mask, out.string()));
    EXPECT_EQ(DecodeBmp(doc_.SelectedEntry()->entry.mask)->pixels,
              DecodeBmp(EncodeBmp(ConvertPixelFormat(grey, 32)))->pixels);
}

TEST_F(CommandsTest, MaskFromAColourComparesInTheImagesOwnFormat) {
    Select(doc_.tree().FirstRoot());
    // A 16-bit image holds 0x0A1B2C as its 5-bit form; the colour picked as
    // 0x0B1A2D has the same 5-bit form.
    DibBitmap img(4, 2, 0xFFFFFFFF);
    img.fillRect(0, 0, 2, 2, 0xFF0A1B2C);
    TZRC* main = cmd_.NewResource(kPageMain, WriteBmp("m.bmp", img, 24));
    ASSERT_TRUE(main);
    host_.colour = -1;
    EXPECT_FALSE(cmd_.CreateMaskFromColor(kPageMain));  // no colour picked
    EXPECT_TRUE(main->entry.mask.empty());
    host_.colour = 0x2D1A0B;  // 0x00BBGGRR
    EXPECT_TRUE(cmd_.CreateMaskFromColor(kPageMain));
    auto mask = DecodeBmp(main->entry.mask);
    ASSERT_TRUE(mask);
    EXPECT_TRUE(mask->monochrome());
    EXPECT_EQ(mask->at(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(mask->at(3, 1), 0xFF000000u);
    auto image = DecodeBmp(main->entry.image);
    EXPECT_EQ(image->at(1, 1), 0xFF000000u);  // blackened under the transparent part
    EXPECT_EQ(image->at(2, 0), 0xFFFFFFFFu);
    EXPECT_TRUE(main->maskFileName.empty());

    // A skin element without an image.
    TZRC* skin = cmd_.NewResource(kPageSkin);
    ASSERT_TRUE(skin);
    EXPECT_FALSE(cmd_.CreateMaskFromColor(kPageSkin));
    EXPECT_EQ(host_.messages.back(),
              "You need to load a skin bitmap before creating a mask from it!");
    // A 24-bit skin image compares exactly.
    DibBitmap skinImg(2, 1, 0xFF0A1B2C);
    skinImg.at(1, 0) = 0xFF0B1A2D;
    ASSERT_TRUE(
        cmd_.LoadResourceFromFile(kPageSkin, ResourceMode::Image, WriteBmp("s.bmp", skinImg, 24)));
    EXPECT_TRUE(cmd_.CreateMaskFromColor(kPageSkin));
    mask = DecodeBmp(skin->entry.mask);
    EXPECT_EQ(mask->at(0, 0), 0xFF000000u);
    EXPECT_EQ(mask->at(1, 0), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace pk
