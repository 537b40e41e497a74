// The theme builder and the default theme it makes: reproducible bytes, a library the client's
// reader takes whole, pictures and sounds that decode, and scripts whose targets exist.
#include "apps/themebuild/themebuild.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

#include "apps/themebuild/pixelfont.h"
#include "apps/themebuild/synth.h"
#include "gfx/dib.h"
#include "klb/wave.h"
#include "klb/zrtheme.h"
#include "support/temp_dir.h"

namespace pk::themebuild {
namespace {

std::string DefaultManifest() {
    std::ifstream in(PK_DEFAULT_THEME_MANIFEST, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

const std::vector<KlbEntry>& DefaultEntries() {
    static const BuildResult built = BuildTheme(DefaultManifest());
    return built.entries;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::stringstream in(text);
    std::string line;
    while (std::getline(in, line, '\r')) out.push_back(line);
    return out;
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

TEST(ThemeBuild, DefaultManifestBuildsTheSameBytesEveryTime) {
    const BuildResult first = BuildTheme(DefaultManifest());
    ASSERT_TRUE(first.ok) << first.error;
    const BuildResult second = BuildTheme(DefaultManifest());
    ASSERT_TRUE(second.ok) << second.error;
    const std::string a = LibraryBytes(first.entries);
    EXPECT_EQ(a, LibraryBytes(second.entries));
    // The library the build stages is exactly what the manifest gives.
    std::ifstream staged(PK_DEFAULT_THEME_FILE, std::ios::binary);
    std::ostringstream bytes;
    bytes << staged.rdbuf();
    EXPECT_EQ(bytes.str(), a);
}

// A change of the manifest, the builder or the format shows here: update the figure on purpose
// (and look at the grabs) when the theme is meant to change.
TEST(ThemeBuild, DefaultLibraryGoldenChecksum) {
    const std::string bytes = LibraryBytes(DefaultEntries());
    const uLong crc =
        crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size()));
    EXPECT_EQ(crc, 0x0c076a00u) << std::hex << "crc32 0x" << crc << " of " << std::dec
                                << bytes.size() << " bytes";
}

TEST(ThemeBuild, ClientReaderLoadsTheWholeDefaultTheme) {
    test::TempDir dir;
    const auto file = dir.Path() / "DEFAULT.KLB";
    {
        std::ofstream out(file, std::ios::binary);
        const std::string bytes = LibraryBytes(DefaultEntries());
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    const auto mains = ListLibraryMains(file);
    ASSERT_EQ(mains.size(), 1u);
    TZRTheme theme;
    const KlbResult r = LoadTheme(file, mains[0].ThemeIdList, theme, {}, dir.Path());
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(theme.entries.size(), DefaultEntries().size());

    ASSERT_NE(theme.draw.mainbmp, nullptr);
    const TZRMainbmp& main = *theme.draw.mainbmp;
    EXPECT_GE(main.image.width, 19 * main.largeBlockSize);
    EXPECT_EQ(main.image.height,
              main.largeBlockSize + main.smallBlockSize + main.fieldHeight * main.largeBlockSize);
    ASSERT_TRUE(main.mask.has_value());
    EXPECT_TRUE(main.mask->monochrome());
    EXPECT_EQ(main.mask->width, main.image.width);
    ASSERT_NE(theme.detailbmp, nullptr);
    EXPECT_FALSE(theme.detailbmp->image.empty());

    // Every sound the client plays, and one tune.
    std::set<std::string> sounds;
    for (const auto& e : theme.entries) {
        if (e->kind == KlbKind::Sound) {
            const auto wav = ReadEntryPayload(*e);
            ASSERT_TRUE(wav) << e->name;
            std::string error;
            EXPECT_TRUE(ReadWaveMemory(*wav, &error)) << e->name << ": " << error;
            sounds.insert(e->name);
        }
    }
    for (const char* name : {"start", "won", "lost", "holdpiece", "useholdpiece", "clear",
                             "fourclear", "getsb", "rotate", "droppiece", "hitbottom", "newtimed",
                             "removetimed", "msg", "zrstart", "voting", "votestart"})
        EXPECT_TRUE(sounds.count(name)) << name;
    const auto music = ListMusicEntries(theme);
    ASSERT_EQ(music.size(), 1u);
    EXPECT_EQ(music[0]->music->fileType, "wav");
    const auto tune = ReadEntryPayload(*music[0]);
    ASSERT_TRUE(tune);
    EXPECT_TRUE(ReadWaveMemory(*tune));

    // Every skin picture and mask decodes and the masks match their pictures.
    int pictures = 0;
    for (const auto& e : theme.entries) {
        if (e->kind != KlbKind::Skin || e->skin->imageSize == 0)
            continue;
        const std::string lib = *ReadKlbFile(e->libraryFile);
        const auto image = DecodeBmp(std::string_view(lib).substr(
            static_cast<size_t>(e->skin->imageOffset), static_cast<size_t>(e->skin->imageSize)));
        ASSERT_TRUE(image) << e->name;
        ++pictures;
        if (e->skin->maskSize > 0) {
            const auto mask = DecodeBmp(std::string_view(lib).substr(
                static_cast<size_t>(e->skin->maskOffset), static_cast<size_t>(e->skin->maskSize)));
            ASSERT_TRUE(mask) << e->name;
            EXPECT_TRUE(mask->monochrome()) << e->name;
            EXPECT_EQ(mask->width, image->width) << e->name;
        }
    }
    EXPECT_GT(pictures, 40);
}

// Every element the client serves by name is in the default theme, in the skin of the window
// it belongs to.
TEST(ThemeBuild, DefaultThemeHasEveryServedElement) {
    std::map<std::string, std::vector<std::string>> skinsOf;
    for (const KlbEntry& e : DefaultEntries())
        if (e.kind == KlbKind::Skin)
            skinsOf[Lower(e.name)] = Lines(e.flagList);
    auto in = [&](const std::string& name, const std::string& skin) {
        const auto it = skinsOf.find(name);
        if (it == skinsOf.end())
            return false;
        return std::find(it->second.begin(), it->second.end(), skin) != it->second.end();
    };
    for (const char* n : {"accountname", "accountpassword", "serveraddress", "motdpage"})
        EXPECT_TRUE(in(n, "login")) << n;
    for (const char* n :
         {"con_login", "con_settings", "con_game", "con_chat", "con_browser", "icons"})
        EXPECT_TRUE(in(n, "shell")) << n;
    for (const char* n : {"con_settheme", "con_setbrowser", "con_setserver", "con_setgame",
                          "con_setcontrol", "con_setmisc"})
        EXPECT_TRUE(in(n, "settings")) << n;
    for (const char* n :
         {"chatbox",       "chateditbox", "attacklist", "inventoryfirst", "inventoryrest",
          "fullinventory", "nextpiece",   "holdpiece",  "player1",        "player2",
          "player3",       "player4",     "player5",    "player6",        "name1",
          "name2",         "name3",       "name4",      "name5",          "name6",
          "level",         "linecount",   "sbtext"})
        EXPECT_TRUE(in(n, "game")) << n;
    // Every window the client has gets a background.
    for (const char* skin : {"shell", "login", "settings", "settheme", "setgame", "setbrowser",
                             "setserver", "setcontrol", "setmisc", "game", "chat", "browser"}) {
        bool any = false;
        for (const auto& [name, skins] : skinsOf)
            any = any || std::find(skins.begin(), skins.end(), skin) != skins.end();
        EXPECT_TRUE(any) << skin;
    }
}

// A script line naming a missing element would show an error box to the player: every target
// names an element, and every parent exists.
TEST(ThemeBuild, DefaultScriptsNameExistingElements) {
    std::set<std::string> names;
    for (const KlbEntry& e : DefaultEntries())
        if (e.kind == KlbKind::Skin)
            names.insert(Lower(e.name));
    for (const KlbEntry& e : DefaultEntries()) {
        if (e.kind != KlbKind::Skin)
            continue;
        if (!e.parentName.empty()) {
            EXPECT_TRUE(names.count(Lower(e.parentName))) << e.name;
        }
        for (const std::string& line : Lines(e.eventList)) {
            const size_t a = line.find('\n');
            ASSERT_NE(a, std::string::npos) << e.name << ": " << line;
            const size_t b = line.find('\n', a + 1);
            if (b == std::string::npos)
                continue;  // the element itself
            const std::string action = line.substr(a + 1, b - a - 1);
            const std::string target = line.substr(b + 1);
            if (action[0] == '@') {
                // The page variables hold an action for "gopage": show, or an idle word.
                EXPECT_TRUE(target == "show" || target == "none") << e.name << ": " << line;
                continue;
            }
            if (action == "execute" || target.find_first_of("*?") != std::string::npos)
                continue;
            // A page variable holds an action, never a target, so an empty one is skipped.
            EXPECT_EQ(target.find('%'), std::string::npos) << e.name << ": " << line;
            EXPECT_TRUE(names.count(Lower(target))) << e.name << ": " << line;
        }
    }
}

TEST(ThemeBuild, ManifestFaultsNameTheirLine) {
    const BuildResult r =
        BuildTheme("ids x\nelement a\n  skins shell\n  rect 0 0 10 10\n  wobble\n");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "line 5: unknown element property wobble");
    EXPECT_FALSE(BuildTheme("element a\n  rect 0 0 1 1\n").ok);             // in no skin
    EXPECT_FALSE(BuildTheme("element a\n  skins x\n  rect 0 0 1 q\n").ok);  // not a number
    EXPECT_FALSE(BuildTheme("colour c 1 2\n").ok);
    EXPECT_FALSE(BuildTheme("element a\n  skins x\n  rect 0 0 10 7\n  image text 2 1 1 1 l AB\n")
                     .ok);                                                   // does not fit
    EXPECT_FALSE(BuildTheme("button b\n  skins x\n  rect 0 0 40 20\n").ok);  // no label
    EXPECT_FALSE(BuildTheme("  skins x\n").ok);
    EXPECT_FALSE(BuildTheme("sound s\n  play hum 1 1\n").ok);
    EXPECT_FALSE(BuildTheme("element a \"b\n").ok);
}

TEST(ThemeBuild, ButtonsGetHoverAndTabsASelectedPicture) {
    const BuildResult r = BuildTheme(
        "colour button.top 1 2 3\ncolour button.bottom 1 2 3\ncolour button.border 9 9 9\n"
        "colour button.text 255 255 255\ncolour buttonhi.top 4 5 6\n"
        "colour buttonhi.bottom 4 5 6\ncolour buttonhi.border 9 9 9\n"
        "colour buttonhi.text 255 255 255\ncolour tabon.top 7 8 9\ncolour tabon.bottom 7 8 9\n"
        "colour tabon.border 9 9 9\ncolour tabon.text 255 255 255\n"
        "tab t\n  skins shell\n  rect 5 6 60 30\n  label GO\n  tabset nav\n"
        "  on onmouseup execute login\n");
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.entries.size(), 3u);
    EXPECT_EQ(r.entries[0].name, "t");
    EXPECT_EQ(r.entries[0].eventList,
              "onmouseover\nshow\nt_hi\ronmouseoverleave\nhide\nt_hi\ronmousedown\nshow\nt_hi\r"
              "onmousedownleave\nhide\nt_hi\ronhide\nhide\nt_hi\ronmouseup\nexecute\nlogin");
    EXPECT_EQ(r.entries[1].name, "t_on");
    EXPECT_EQ(r.entries[1].flagList, "shell\rhide");
    EXPECT_EQ(r.entries[1].eventList, "onnavoff\nhide");
    EXPECT_EQ(r.entries[2].name, "t_hi");
    EXPECT_EQ(r.entries[2].flagList, "shell\rhide");
    for (const KlbEntry& e : r.entries) {
        EXPECT_EQ(e.left, 5);
        EXPECT_EQ(e.width, 60);
        const auto image = DecodeBmp(e.image);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, 60);
        EXPECT_FALSE(e.mask.empty());  // the rounded corners are transparent
    }
}

TEST(ThemeBuild, NotesAndWaves) {
    EXPECT_EQ(NoteCentiHz("A4"), 44000);
    EXPECT_EQ(NoteCentiHz("a5"), 88000);
    EXPECT_EQ(NoteCentiHz("A3"), 22000);
    EXPECT_EQ(NoteCentiHz("C#4"), 27718);
    EXPECT_EQ(NoteCentiHz("Cb4"), NoteCentiHz("B3"));
    EXPECT_EQ(NoteCentiHz("r"), 0);
    EXPECT_EQ(NoteCentiHz("H4"), -1);
    EXPECT_EQ(NoteCentiHz("A"), -1);
    EXPECT_EQ(NoteCentiHz("A44"), -1);
    const auto samples = RenderSound({{Wave::Square, 441, 441, 100, 100}}, 22050);
    ASSERT_EQ(samples.size(), 2205u);
    // A square wave of 441 Hz at 22050 Hz: 25 samples high, 25 low, away from the envelope.
    EXPECT_GT(samples[1000], 128);
    EXPECT_LT(samples[1030], 128);
    const std::string wav = WavFile(samples, 22050);
    const auto info = ReadWaveMemory(wav);
    ASSERT_TRUE(info);
    EXPECT_EQ(wav.size(), 44u + samples.size());
}

TEST(ThemeBuild, PixelFontCoversTheLetters) {
    for (char c = 'A'; c <= 'Z'; ++c) EXPECT_TRUE(PixelFontHas(c)) << c;
    for (char c = '0'; c <= '9'; ++c) EXPECT_TRUE(PixelFontHas(c)) << c;
    EXPECT_TRUE(PixelFontHas('q'));
    EXPECT_FALSE(PixelFontHas('~'));
    EXPECT_EQ(PixelTextWidth("AB", 2), 22);
    EXPECT_EQ(PixelTextWidth("", 2), 0);
}

std::string EmberManifest() {
    std::ifstream in(PK_EMBER_THEME_MANIFEST, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The game cuts each cell's background just below the tile strips and the theme page's preview
// cuts its picture a strip's height higher: a background alike on every row lines up with the
// blocks in both.
TEST(ThemeBuild, FieldBackgroundsAreAlikeOnEveryRow) {
    const BuildResult ember = BuildTheme(EmberManifest());
    ASSERT_TRUE(ember.ok) << ember.error;
    for (const auto* entries : {&DefaultEntries(), &ember.entries}) {
        const auto main = std::find_if(entries->begin(), entries->end(),
                                       [](const KlbEntry& e) { return e.kind == KlbKind::Main; });
        ASSERT_NE(main, entries->end());
        const auto image = DecodeBmp(main->image);
        ASSERT_TRUE(image);
        const int b = main->largeBlockSize, s = main->smallBlockSize;
        const int top = b + s, right = main->fieldWidth * (b + s);
        ASSERT_EQ(image->height, top + main->fieldHeight * b);
        for (int x = 0; x < right; ++x) {
            const int bottom =
                x < main->fieldWidth * b ? image->height : top + main->fieldHeight * s;
            for (int y = top + 1; y < bottom; ++y)
                ASSERT_EQ(image->at(x, y), image->at(x, top)) << main->name << " " << x << "," << y;
        }
        // Yet each column shows where a block goes.
        EXPECT_NE(image->at(0, top), image->at(1, top)) << main->name;
        EXPECT_EQ(image->at(b + 1, top), image->at(1, top)) << main->name;
    }
}

// The second theme staged beside the default one: its own blocks and tune, the default
// library's windows and sounds, and nothing of the default's blocks or music.
TEST(ThemeBuild, EmberThemeUsesTheDefaultWindowsWithItsOwnBlocks) {
    const BuildResult first = BuildTheme(EmberManifest());
    ASSERT_TRUE(first.ok) << first.error;
    const BuildResult second = BuildTheme(EmberManifest());
    EXPECT_EQ(LibraryBytes(first.entries), LibraryBytes(second.entries));

    test::TempDir dir;
    for (const auto& [name, entries] :
         {std::pair{"DEFAULT.KLB", &DefaultEntries()}, std::pair{"EMBER.KLB", &first.entries}}) {
        std::ofstream out(dir.Path() / name, std::ios::binary);
        const std::string bytes = LibraryBytes(*entries);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    const auto mains = ListLibraryMains(dir.Path() / "EMBER.KLB");
    ASSERT_EQ(mains.size(), 1u);
    EXPECT_EQ(mains[0].name, "Ember");
    TZRTheme theme;
    const KlbResult r =
        LoadTheme(dir.Path() / "EMBER.KLB", mains[0].ThemeIdList, theme, {}, dir.Path());
    ASSERT_TRUE(r.ok()) << r.message;
    ASSERT_NE(theme.draw.mainbmp, nullptr);
    EXPECT_EQ(theme.draw.mainbmp->Information.substr(0, 6), "Ember:");
    EXPECT_EQ(theme.LibraryList.size(), 2u);
    int skins = 0;
    int sounds = 0;
    for (const auto& e : theme.entries) {
        skins += e->kind == KlbKind::Skin;
        sounds += e->kind == KlbKind::Sound;
    }
    EXPECT_GT(skins, 100);
    EXPECT_GT(sounds, 10);
    const auto music = ListMusicEntries(theme);
    ASSERT_EQ(music.size(), 1u);
    EXPECT_EQ(music[0]->name, "Ember Walk");
}

}  // namespace
}  // namespace pk::themebuild
