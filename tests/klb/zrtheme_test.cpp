// The client's theme: Theme ID selection, accepted record versions, required
// libraries, the library search, and music and sound extraction.
#include "klb/zrtheme.h"

#include <gtest/gtest.h>

#include <fstream>

#include "klb/wave.h"
#include "support/synthetic_theme.h"
#include "support/temp_dir.h"

namespace pk {
namespace {

using test::TempDir;

void WriteBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

std::string Slurp(const std::filesystem::path& file) {
    return ReadKlbFile(file).value_or("?");
}

std::vector<std::string> Names(const TZRTheme& theme) {
    std::vector<std::string> v;
    for (const auto& c : theme.entries) v.push_back(c->name);
    return v;
}

TEST(ThemeId, WordsAreTakenLeftToRight) {
    EXPECT_TRUE(ThemeIdMatches("classic", "*"));
    EXPECT_FALSE(ThemeIdMatches("classic", ""));
    EXPECT_FALSE(ThemeIdMatches("classic", "   "));
    // "*" then an exclusion: every id but the excluded ones.
    EXPECT_TRUE(ThemeIdMatches("classic", "* !neo*"));
    EXPECT_FALSE(ThemeIdMatches("neon", "* !neo*"));
    // The other order: the exclusion comes first and "*" selects again.
    EXPECT_TRUE(ThemeIdMatches("neon", "!neo* *"));
    // A later plain word selects again; a later exclusion removes again.
    EXPECT_TRUE(ThemeIdMatches("neon", "* !neo* neon"));
    EXPECT_FALSE(ThemeIdMatches("neon", "neon !NEON"));
    EXPECT_TRUE(ThemeIdMatches("Classic", "  other   CLASSIC "));
    EXPECT_TRUE(ThemeIdMatches("classic", "cl?ss*"));
    EXPECT_FALSE(ThemeIdMatches("classic", "class"));
}

class ThemeTest : public ::testing::Test {
protected:
    std::filesystem::path Lib(const std::string& name, std::vector<KlbEntry> entries) {
        return test::SaveLibrary(dir_.Path() / name, std::move(entries));
    }
    bool Load(const std::filesystem::path& file, const std::string& id) {
        KlbResult result = LoadTheme(file, id, theme_, {}, dir_.Path());
        message_ = result.message;
        return result.ok();
    }
    TempDir dir_;
    TZRTheme theme_;
    std::string message_;
};

TEST_F(ThemeTest, OnlySelectedEntriesAreKeptAndUnusedBitmapsNeverDecoded) {
    KlbEntry broken = test::MainEntry("Other", "neon");
    broken.image = "not a bitmap at all";  // would fail the load if it were decoded
    auto file = Lib("mixed.klb", {test::GroupEntry("G", "classic"), broken,
                                  test::MainEntry("Classic", "classic"),
                                  test::SoundEntry("drop", "", test::MakeWav(3))});
    ASSERT_TRUE(Load(file, "classic")) << message_;
    EXPECT_EQ(Names(theme_), (std::vector<std::string>{"G", "Classic"}));
    ASSERT_NE(theme_.draw.mainbmp, nullptr);
    EXPECT_EQ(theme_.draw.mainbmp->largeBlockSize, 16);
    EXPECT_TRUE(theme_.draw.present);
    EXPECT_EQ(theme_.draw.image.width(), theme_.draw.mainbmp->image.width);
    EXPECT_EQ(theme_.draw.metrics.blockSize, 16);
    EXPECT_EQ(theme_.themeId, "classic");
    EXPECT_EQ(theme_.entries[0]->libraryFile, file);
}

TEST_F(ThemeTest, LaterMainBitmapWinsWithItsReferences) {
    test::MainLayout small{4, 2, 3, 2};
    auto base = Lib("base.klb", {test::SoundEntry("fromBase", "*", test::MakeWav(1))});
    auto file =
        Lib("two.klb", {test::MainEntry("First", "*", {}, test::MaskKind::None, "nothere"),
                        test::MainEntry("Second", "*", small, test::MaskKind::Alpha, "base")});
    ASSERT_TRUE(Load(file, "x")) << message_;
    EXPECT_EQ(Names(theme_), (std::vector<std::string>{"First", "Second", "fromBase"}));
    EXPECT_EQ(theme_.draw.mainbmp, theme_.entries[1]->mainbmp.get());
    ASSERT_TRUE(theme_.draw.mask);
    EXPECT_FALSE(theme_.draw.mask->mono());
    EXPECT_EQ(theme_.draw.metrics.blockSize, 4);
    EXPECT_EQ(theme_.draw.metrics.fieldHeight, 2);
    EXPECT_EQ(theme_.LibraryList.size(), 2u);
    EXPECT_EQ(theme_.LibraryList[1], LibraryListLine(base));
}

TEST_F(ThemeTest, RequiredLibrariesAreFoundBelowTheFolderByName) {
    Lib("sub/deeper/Extra.KLB", {test::SkinEntry("Panel", "classic", 0, 0, 2, 2, 0xFF00FF00),
                                 test::SkinEntry("Elsewhere", "neon", 0, 0, 2, 2, 0xFF00FF00)});
    auto file = Lib("main.klb",
                    {test::MainEntry("M", "classic", {}, test::MaskKind::None, "missing extra")});
    EXPECT_FALSE(Load(file, "classic"));
    EXPECT_EQ(
        message_,
        "Unable to find the required file 'missing.klb'.  This theme may not work correctly!!");
    // The second library is still read, and the path keeps its name as on disk.
    EXPECT_EQ(Names(theme_), (std::vector<std::string>{"M", "panel"}));
    EXPECT_EQ(theme_.entries[1]->libraryFile, dir_.Path() / "sub/deeper/Extra.KLB");
    ASSERT_EQ(theme_.LibraryList.size(), 3u);
    EXPECT_EQ(theme_.LibraryList[1], "*");
    EXPECT_NE(theme_.LibraryList[2].find("/sub/deeper/Extra.KLB"), std::string::npos);
}

TEST_F(ThemeTest, UnreadableRequiredLibraryKeepsWhatWasLoaded) {
    WriteBytes(dir_.Path() / "bad.klb", "KLB\x01\0\0\0" + std::string("GUIBMP\0\x02", 8));
    auto file = Lib("main.klb", {test::MainEntry("M", "*", {}, test::MaskKind::None, "bad")});
    EXPECT_FALSE(Load(file, "t"));
    EXPECT_EQ(message_,
              "Unable to read the required file 'bad.klb'.  This theme may not work correctly!!");
    EXPECT_EQ(Names(theme_), (std::vector<std::string>{"M"}));
    EXPECT_NE(theme_.draw.mainbmp, nullptr);
    EXPECT_EQ(theme_.themeId, "t");
}

TEST_F(ThemeTest, OnlyCurrentRecordVersionsAreAccepted) {
    // An old skin element (version 2) that the editor would still convert.
    std::string lib = Slurp(
        Lib("ok.klb", {test::GroupEntry("G", "*"), test::SkinEntry("S", "*", 0, 0, 1, 1, 0)}));
    const size_t skinVersion = 7 + (7 + 1 + 4 + 5 + 200) + 7;
    ASSERT_EQ(lib[skinVersion], '\x03');
    lib[skinVersion] = '\x02';
    WriteBytes(dir_.Path() / "old.klb", lib);
    TZRTheme& t = theme_;
    std::string refs;
    KlbResult read = ReadThemeLibrary(dir_.Path() / "old.klb", "x", refs, {}, t);
    EXPECT_FALSE(read);
    EXPECT_EQ(read.message, kThemeVersionMessage);
    EXPECT_TRUE(t.entries.empty());

    WriteBytes(dir_.Path() / "empty.klb", std::string("KLB\0\0\0\0", 7));
    EXPECT_FALSE(Load(dir_.Path() / "empty.klb", "x"));
    EXPECT_EQ(message_, kThemeVersionMessage);
    // A main library we cannot accept leaves no theme selected at all.
    EXPECT_TRUE(theme_.themeId.empty());
    EXPECT_TRUE(theme_.LibraryList.empty());

    WriteBytes(dir_.Path() / "notlib.klb", "MZ whatever");
    EXPECT_FALSE(Load(dir_.Path() / "notlib.klb", "x"));
    EXPECT_EQ(message_, "");
    EXPECT_FALSE(Load(dir_.Path() / "absent.klb", "x"));
    EXPECT_EQ(message_, "");
}

TEST_F(ThemeTest, LibrariesCutAtAndAroundEveryRecordBoundaryFailCleanly) {
    std::vector<KlbEntry> entries = test::BasicTheme();
    entries[1] = test::MainEntry("Tiny", "*", {2, 1, 3, 2}, test::MaskKind::Monochrome);
    std::string good = Slurp(Lib("good.klb", entries));
    std::vector<size_t> cuts;
    for (size_t k = 0; k <= entries.size(); ++k) {
        size_t b = WriteKlbLibrary({entries.begin(), entries.begin() + k}, 0).size();
        for (size_t d : {0, 1, 4, 7, 8, 12, 16, 20, 40, 230})
            if (b + d < good.size())
                cuts.push_back(b + d);
        if (b > 7)
            cuts.push_back(b - 1);
    }
    for (size_t n : cuts) {
        WriteBytes(dir_.Path() / "cut.klb", good.substr(0, n));
        bool ok = Load(dir_.Path() / "cut.klb", "x");
        if (ok) {
            EXPECT_LT(theme_.entries.size(), entries.size()) << n;  // ended on a boundary
        } else {
            EXPECT_EQ(message_, kThemeVersionMessage) << n;
            EXPECT_TRUE(theme_.entries.empty()) << n;
        }
    }
}

TEST_F(ThemeTest, SkinEntriesAreLowerCased) {
    auto file = Lib("skin.klb", {test::SkinEntry("Big Button", "*", 1, 2, 3, 4, 0xFF010203, true,
                                                 "Stretch", "OnClick\nLogin", "Main")});
    ASSERT_TRUE(Load(file, "x"));
    const TZRC& c = *theme_.entries[0];
    EXPECT_EQ(c.name, "big button");
    EXPECT_EQ(c.skin->SkinFlagList, "stretch");
    EXPECT_EQ(c.skin->SkinEventList, "onclick\nlogin");
    EXPECT_EQ(c.skin->ParentName, "main");
    EXPECT_EQ(c.skin->left, 1);
    EXPECT_EQ(c.skin->height, 4);
    auto image = LoadLibraryBitmap(c.libraryFile, c.skin->imageOffset, c.skin->imageSize);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->at(2, 3), 0xFF010203u);
    auto mask = LoadLibraryBitmap(c.libraryFile, c.skin->maskOffset, c.skin->maskSize);
    ASSERT_TRUE(mask);
    EXPECT_TRUE(mask->monochrome());
    EXPECT_FALSE(LoadLibraryBitmap(c.libraryFile, c.skin->imageOffset, 1 << 30));
}

TEST_F(ThemeTest, SoundsAndMidiMusicComeOutByteForByte) {
    const std::string wav = test::MakeWav(77, 0x33);
    const std::string midi = test::MakeMidi();
    auto file =
        Lib("audio.klb", {test::SoundEntry("Drop", "*", wav), test::MusicEntry("Tune", "*", midi),
                          test::MusicEntry("Loud", "*", "ID3fake", "mp3")});
    ASSERT_TRUE(Load(file, "x"));

    std::string played;
    bool stopOthers = false;
    PlayLibrarySound("drop", true, theme_, [&](std::string bytes, bool stop) {
        played = std::move(bytes);
        stopOthers = stop;
    });
    EXPECT_EQ(played, wav);
    EXPECT_FALSE(stopOthers);
    auto info = ReadWaveMemory(played);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->dataSize, 77u);
    bool called = false;
    PlayLibrarySound("nothing", false, theme_, [&](std::string, bool) { called = true; });
    EXPECT_FALSE(called);

    EXPECT_EQ(ListMusicEntries(theme_).size(), 2u);
    TZRC* tune = FindMusicEntry("TUNE", theme_);
    ASSERT_NE(tune, nullptr);
    ASSERT_TRUE(LoadMusicEntry(*tune, dir_.Path()));
    EXPECT_EQ(Slurp(dir_.Path() / "tmp.mid"), midi);
    TZRC* loud = FindMusicEntry("loud", theme_);
    ASSERT_NE(loud, nullptr);
    EXPECT_TRUE(LoadMusicEntry(*loud, dir_.Path()));
    EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "tmp.mp3"));  // played from the library
    EXPECT_EQ(ReadEntryPayload(*loud), "ID3fake");
}

TEST_F(ThemeTest, ListLibraryMainsIgnoresThemeIdsAndStopsAtUnknownRecords) {
    auto file = Lib("list.klb", {test::MainEntry("A", "one"), test::GroupEntry("G", "*"),
                                 test::MainEntry("B", "two !x")});
    auto list = ListLibraryMains(file);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].name, "B");
    EXPECT_EQ(list[1].ThemeIdList, "two !x");

    std::string bytes = Slurp(file);
    bytes[7 + 7] = '\x01';  // first MAIN as version 1: the client does not list it
    WriteBytes(dir_.Path() / "old.klb", bytes);
    EXPECT_TRUE(ListLibraryMains(dir_.Path() / "old.klb").empty());
    WriteBytes(dir_.Path() / "junk.klb", "JUNK");
    EXPECT_TRUE(ListLibraryMains(dir_.Path() / "junk.klb").empty());
}

TEST_F(ThemeTest, SearchSurvivesLinkLoopsAndKeepsDiskNames) {
    std::filesystem::create_directories(dir_.Path() / "a/b");
    std::filesystem::create_directory_symlink(dir_.Path() / "a", dir_.Path() / "a/b/loop");
    EXPECT_TRUE(FindLibraryFile(dir_.Path(), "none").empty());
    WriteBytes(dir_.Path() / "a/b/MiXed.kLb", "KLB");
    EXPECT_EQ(FindLibraryFile(dir_.Path(), "mixed").filename(), "MiXed.kLb");
    EXPECT_TRUE(FindLibraryFile(dir_.Path(), "mixe").empty());
    EXPECT_TRUE(FindLibraryFile(dir_.Path() / "absent", "mixed").empty());
}

TEST_F(ThemeTest, FreeThemeEmptiesEverything) {
    ASSERT_TRUE(Load(Lib("basic.klb", test::BasicTheme()), "x"));
    theme_.selectedMusic = FindMusicEntry("tune", theme_);
    theme_.externalMusicFile = "song.mp3";
    FreeTheme(theme_);
    EXPECT_TRUE(theme_.entries.empty());
    EXPECT_EQ(theme_.selectedMusic, nullptr);
    EXPECT_EQ(theme_.draw.mainbmp, nullptr);
    EXPECT_FALSE(theme_.draw.present);
    EXPECT_TRUE(theme_.draw.image.empty());
    EXPECT_EQ(theme_.detailbmp, nullptr);
    EXPECT_TRUE(theme_.LibraryList.empty());
    EXPECT_TRUE(theme_.themeId.empty());
    EXPECT_TRUE(theme_.externalMusicFile.empty());
}

TEST_F(ThemeTest, SyntheticThemeFollowsTheMainBitmapLayout) {
    ASSERT_TRUE(Load(Lib("basic.klb", test::BasicTheme()), "x"));
    const TZRMainbmp& m = *theme_.draw.mainbmp;
    const int B = m.largeBlockSize, S = m.smallBlockSize;
    for (int i = 0; i < test::kTileCount; ++i) {
        EXPECT_EQ(m.image.at(i * B + B - 1, B - 1), test::TileColour(i)) << i;
        EXPECT_EQ(m.image.at(i * S, B + S - 1), test::TileColour(i)) << i;
    }
    EXPECT_EQ(m.image.at(0, B + S), test::kLargeBackground);
    EXPECT_EQ(m.image.at(m.fieldWidth * B, B + S), test::kSmallBackground);
    // The colours pass through 16-bit pixels as the block blits use them.
    EXPECT_EQ(DecodeBmp(EncodeBmp(m.image, 16).value())->pixels, m.image.pixels);
    ASSERT_TRUE(m.mask);
    EXPECT_TRUE(m.mask->monochrome());
    EXPECT_EQ(m.mask->at(0, 0), 0xFF000000u);
    EXPECT_EQ(m.mask->at(0, B + S), 0xFFFFFFFFu);
    ASSERT_NE(theme_.detailbmp, nullptr);
    EXPECT_EQ(theme_.detailbmp->image.at(0, 0), test::TileColour(5));
}

}  // namespace
}  // namespace pk
