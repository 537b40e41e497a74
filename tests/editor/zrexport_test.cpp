// Export and import of marked resources: paths by group and kind, names that try to leave the
// chosen folder, failures collected while the rest goes on, and a round trip of every kind.
#include "editor/zrexport.h"

#include <gtest/gtest.h>

#include <array>
#include <set>

#include "editor/zrcommands.h"
#include "editor/zrpages.h"
#include "platform/atomicfile.h"
#include "support/synthetic_theme.h"
#include "support/temp_dir.h"

namespace pk {
namespace {

namespace fs = std::filesystem;

class ExportTest : public ::testing::Test {
protected:
    ExportTest() { fs::create_directories(dir_.Path() / "prog"); }
    void Open(std::vector<KlbEntry> entries) {
        library_ = test::SaveLibrary(dir_.Path() / "Theme.klb", std::move(entries));
        doc_.OpenTheme(library_);
        ExpandAndMarkAll();
    }
    void ExpandAndMarkAll() {
        doc_.tree().ForEach([](TreeNode* n) {
            if (n->entry && n->entry->kind() != KlbKind::Group)
                n->SetMarked(true);
        });
    }
    // Every file below the temporary folder, relative to it.
    std::set<std::string> Files() {
        std::set<std::string> out;
        for (auto& f : fs::recursive_directory_iterator(dir_.Path()))
            if (f.is_regular_file())
                out.insert(fs::relative(f.path(), dir_.Path()).generic_string());
        return out;
    }
    TZRC* Find(const std::string& name) { return doc_.FindEntryByName(name, ""); }

    test::TempDir dir_;
    KledDoc doc_{dir_.Path() / "prog"};
    fs::path library_;
};

TEST_F(ExportTest, PathsFollowGroupsAndKinds) {
    std::vector<KlbEntry> v{test::GroupEntry("A", "*"), test::GroupEntry("B", "*", "A|"),
                            test::SoundEntry("s", "*", test::MakeWav(10))};
    v.back().groupPath = "A|B|";
    v.push_back(test::MusicEntry("m", "*", test::MakeMidi(), "mp3"));
    v.push_back(test::DetailEntry("d", "*"));
    v.push_back(test::MainEntry("main", "*"));
    Open(v);
    const fs::path f = dir_.Path() / "out";
    EXPECT_EQ(ResourcePaths(*Find("s"), f), std::vector<fs::path>{f / "A" / "B" / "s.wav"});
    EXPECT_EQ(ResourcePaths(*Find("m"), f), std::vector<fs::path>{f / "m.mp3"});
    EXPECT_EQ(ResourcePaths(*Find("d"), f), std::vector<fs::path>{f / "d.bmp"});
    EXPECT_EQ(ResourcePaths(*Find("main"), f),
              (std::vector<fs::path>{f / "main-main.bmp", f / "main-mask.bmp"}));
    EXPECT_TRUE(ResourcePaths(*Find("A"), f).empty());
}

TEST_F(ExportTest, HostileNamesStayInsideTheChosenFolder) {
    const std::string wav = test::MakeWav(20);
    std::vector<KlbEntry> v;
    v.push_back(test::GroupEntry("..", "*"));
    v.push_back(test::SoundEntry("in dotdot group", "*", wav));
    v.back().groupPath = "..|";
    v.push_back(test::SoundEntry("../../escape", "*", wav));
    v.push_back(test::SoundEntry("..\\..\\win", "*", wav));
    v.push_back(test::SoundEntry(".", "*", wav));
    v.push_back(test::SoundEntry("/abs", "*", wav));
    v.push_back(test::SoundEntry("ok:name*?", "*", wav));
    v.push_back(test::MusicEntry("tune", "*", test::MakeMidi(), "../x"));
    Open(v);
    const fs::path out = dir_.Path() / "out";
    fs::create_directories(out);
    const std::set<std::string> before = Files();
    const BatchOutcome r = ExportMarkedResources(doc_, out);

    std::set<std::string> added;
    for (const std::string& f : Files())
        if (!before.count(f))
            added.insert(f);
    EXPECT_EQ(added, (std::set<std::string>{"out/.._.._escape.wav", "out/.._.._win.wav",
                                            "out/_abs.wav", "out/ok_name__.wav", "out/tune.x"}));
    EXPECT_EQ(r.written, 5);
    // The entry in the group ".." and the one named "." are refused, in one message.
    ASSERT_EQ(r.failures.size(), 2u);
    const std::string message = r.Message(true);
    EXPECT_NE(message.find("in dotdot group"), std::string::npos);
    EXPECT_NE(message.find("\n.:"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(out / ".._.._escape.wav", 1 << 20).value(), wav);
}

TEST_F(ExportTest, AFailedWriteIsReportedAndTheRestGoesOn) {
    std::vector<KlbEntry> v{test::GroupEntry("G", "*"), test::SoundEntry("a", "*", "x")};
    v.back().groupPath = "G|";
    v.push_back(test::SoundEntry("b", "*", test::MakeWav(5)));
    Open(v);
    const fs::path out = dir_.Path() / "out";
    fs::create_directories(out);
    ASSERT_TRUE(WriteFileAtomic(out / "G", "a file where the folder should be"));
    const BatchOutcome r = ExportMarkedResources(doc_, out);
    EXPECT_EQ(r.written, 1);
    ASSERT_EQ(r.failures.size(), 1u);
    EXPECT_NE(r.failures[0].find("a.wav"), std::string::npos);
    EXPECT_TRUE(fs::exists(out / "b.wav"));
    EXPECT_EQ(r.Message(true).rfind("Some resources could not be exported:", 0), 0u);
    EXPECT_TRUE(BatchOutcome{}.Message(true).empty());
}

TEST_F(ExportTest, EveryKindRoundTripsThroughTheFolder) {
    std::vector<KlbEntry> v;
    v.push_back(test::MainEntry("mono", "*", {}, test::MaskKind::Monochrome));
    v.push_back(test::MainEntry("alpha", "*", {}, test::MaskKind::Alpha));
    v.push_back(test::DetailEntry("detail", "*"));
    v.push_back(test::SkinEntry("skin", "*", 1, 2, 6, 4, 0xFF123456u, true, "game"));
    v.push_back(test::SoundEntry("sound", "*", test::MakeWav(33, 0x40)));
    v.push_back(test::MusicEntry("music", "*", test::MakeMidi()));
    Open(v);
    const fs::path out = dir_.Path() / "out";
    doc_.tree().selected = Find("music")->node;
    const BatchOutcome exported = ExportMarkedResources(doc_, out);
    EXPECT_TRUE(exported.failures.empty()) << exported.Message(true);
    EXPECT_EQ(exported.written, 6);
    // Each entry was saved selected; the selection and the marks are as they were.
    EXPECT_EQ(doc_.tree().selected, Find("music")->node);
    for (const char* name : {"mono", "alpha", "detail", "skin", "sound", "music"})
        EXPECT_TRUE(Find(name)->node->Marked()) << name;

    // The mask file is black where the image is transparent.
    const DibBitmap heldMask = *DecodeBmp(Find("skin")->entry.mask.empty()
                                              ? *ReadFileRange(Find("skin")->SourceFile,
                                                               Find("skin")->entry.maskPart.offset,
                                                               Find("skin")->entry.maskPart.size)
                                              : Find("skin")->entry.mask);
    const DibBitmap file = *DecodeBmp(*ReadFileBytes(out / "skin-mask.bmp", 1 << 20));
    ASSERT_TRUE(file.monochrome());
    EXPECT_EQ(heldMask.at(0, 0) & 0xFFFFFF, 0xFFFFFFu);  // transparent column
    EXPECT_EQ(file.at(0, 0) & 0xFFFFFF, 0u);
    EXPECT_EQ(file.at(1, 0) & 0xFFFFFF, 0xFFFFFFu);
    const DibBitmap alphaFile = *DecodeBmp(*ReadFileBytes(out / "alpha-mask.bmp", 1 << 20));
    EXPECT_EQ(alphaFile.bitsPerPixel, 8);

    // A second document of the same library takes the files back.
    KledDoc other(dir_.Path() / "prog2");
    fs::create_directories(dir_.Path() / "prog2");
    other.OpenTheme(library_);
    other.tree().ForEach([](TreeNode* n) {
        if (n->entry)
            n->SetMarked(true);
    });
    for (const auto& e : other.list()) {
        e->entry.image.clear();
        e->entry.mask.clear();
    }
    const BatchOutcome imported = ImportMarkedResources(other, out);
    EXPECT_TRUE(imported.failures.empty()) << imported.Message(false);
    EXPECT_EQ(imported.written, 6);
    for (const char* name : {"mono", "alpha", "detail", "skin"}) {
        const TZRC* a = Find(name);
        const TZRC* b = other.FindEntryByName(name, "");
        auto decode = [](const TZRC& e, const std::string& held, const KlbPart& part) {
            return *DecodeBmp(held.empty() ? *ReadFileRange(e.SourceFile, part.offset, part.size)
                                           : held);
        };
        // Pixels compared at 5 bits a channel, the depth the editor holds images at.
        auto fives = [](DibBitmap d) {
            for (uint32_t& p : d.pixels) p &= 0xF8F8F8;
            d.bitsPerPixel = 0;
            return d;
        };
        EXPECT_EQ(fives(decode(*a, a->entry.image, a->entry.imagePart)),
                  fives(decode(*b, b->entry.image, b->entry.imagePart)))
            << name;
        if (!a->entry.mask.empty() || a->entry.maskPart.size > 0) {
            DibBitmap ma = decode(*a, a->entry.mask, a->entry.maskPart);
            DibBitmap mb = decode(*b, b->entry.mask, b->entry.maskPart);
            // An alpha map keeps its opacity in the blue byte.
            if (!ma.monochrome())
                for (DibBitmap* m : {&ma, &mb})
                    for (uint32_t& p : m->pixels) p &= 0xFF;
            ma.bitsPerPixel = mb.bitsPerPixel = 0;
            EXPECT_EQ(ma, mb) << name;
        }
    }
    EXPECT_EQ(other.FindEntryByName("skin", "")->entry.width, 6);
    EXPECT_EQ(other.FindEntryByName("sound", "")->heldFile, out / "sound.wav");
    EXPECT_EQ(ReadFileBytes(out / "sound.wav", 1 << 20).value(), test::MakeWav(33, 0x40));
    EXPECT_EQ(other.FindEntryByName("music", "")->heldFile, out / "music.mid");
    EXPECT_EQ(ReadFileBytes(out / "music.mid", 1 << 20).value(), test::MakeMidi());
}

// Elements are laid out larger than their images (tiled, nine-slice,
// stretched): an export and an import of the same folder change none of them.
TEST_F(ExportTest, AnImportKeepsEveryElementsPlacementAndFlags) {
    const std::string tile = *EncodeBmp(DibBitmap(64, 64, 0xFF336699u), 24);
    std::vector<KlbEntry> v;
    v.push_back(test::SkinEntry("tiled", "*", 0, 0, 960, 634, 0, false, "shell"));
    v.push_back(test::SkinEntry("sliced", "*", 12, 34, 300, 200, 0, false,
                                "login\rborder\n8,8,8,8\ralignright"));
    v.push_back(test::SkinEntry("stretched", "*", -5, 7, 500, 20, 0, false,
                                "game\rstretchwidth\rresizeall"));
    for (KlbEntry& e : v) e.image = tile;
    Open(v);
    const fs::path folder = dir_.Path() / "round";
    ASSERT_EQ(ExportMarkedResources(doc_, folder).written, 3);
    std::vector<KlbEntry> before;
    for (const auto& e : doc_.list()) before.push_back(e->entry);
    const BatchOutcome imported = ImportMarkedResources(doc_, folder);
    EXPECT_TRUE(imported.failures.empty()) << imported.Message(false);
    ASSERT_EQ(imported.written, 3);
    for (size_t i = 0; i < before.size(); ++i) {
        const KlbEntry& now = doc_.list()[i]->entry;
        const KlbEntry& was = before[i];
        EXPECT_EQ((std::array{now.left, now.top, now.width, now.height}),
                  (std::array{was.left, was.top, was.width, was.height}))
            << was.name;
        EXPECT_EQ(now.flagList, was.flagList) << was.name;
        EXPECT_EQ(DecodeBmp(now.image)->width, 64) << was.name;
    }
    // The page's own load button still sizes the element to its new image.
    CommandHost host;
    KledCommands commands(doc_, host);
    doc_.tree().selected = Find("tiled")->node;
    ASSERT_TRUE(commands.LoadResourceFromFile(*PageOfKind(KlbKind::Skin), ResourceMode::Image,
                                              (folder / "tiled-main.bmp").string()));
    EXPECT_EQ(Find("tiled")->entry.width, 64);
}

TEST_F(ExportTest, ImportRefusesFilesThatAreNotBitmapsOrNotMasks) {
    Open({test::SkinEntry("skin", "*", 0, 0, 4, 4, 0xFF00FF00u, true)});
    TZRC* skin = Find("skin");
    const KlbEntry before = skin->entry;
    const fs::path in = dir_.Path() / "in";
    fs::create_directories(in);
    ASSERT_TRUE(WriteFileAtomic(in / "skin-main.bmp", "BM not really"));
    ASSERT_TRUE(WriteFileAtomic(in / "skin-mask.bmp", *EncodeBmp(DibBitmap(3, 3), 24)));
    const BatchOutcome r = ImportMarkedResources(doc_, in);
    EXPECT_EQ(r.written, 0);
    ASSERT_EQ(r.failures.size(), 2u);
    EXPECT_EQ(r.failures[1], "Mask bmp (" + (in / "skin-mask.bmp").string() +
                                 ") must be monochrome for simple transparency, or 8-bit "
                                 "grayscale for alpha blending!");
    EXPECT_EQ(skin->entry, before);

    // Reference entries are never changed.
    skin->IsReference = true;
    ASSERT_TRUE(WriteFileAtomic(in / "skin-main.bmp", *EncodeBmp(DibBitmap(3, 3), 24)));
    EXPECT_EQ(ImportMarkedResources(doc_, in).written, 0);
    EXPECT_EQ(skin->entry, before);
}

}  // namespace
}  // namespace pk
