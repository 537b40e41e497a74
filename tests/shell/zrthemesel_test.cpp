#include "shell/zrthemesel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "shell/shell_fixture.h"

namespace pk {
namespace {

namespace fs = std::filesystem;
using test::GroupEntry;
using test::MainEntry;
using test::MakeMidi;
using test::MakeWav;
using test::MusicEntry;
using test::SaveLibrary;
using test::SoundEntry;

// A folder of libraries:
//   Alpha.KLB        themes "A1" (id a1) and "A2" (id a2), the tune "Tune"
//   beta.klb         theme "B" (id b)
//   nomains.klb      a sound only: no theme
//   notes.txt        not a library
//   sub/gamma.klb    theme "G" (id g); sub/loop links back to the folder
//   zz_broken.klb    theme "Broken" (id x), needing the missing library "missinglib"
class ThemeSelectionTest : public test::ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        const fs::path& d = dir.Path();
        alpha = SaveLibrary(d / "Alpha.KLB",
                            {GroupEntry("Alpha", "*"), MainEntry("A1", "a1"), MainEntry("A2", "a2"),
                             MusicEntry("Tune", "*", MakeMidi())});
        beta = SaveLibrary(d / "beta.klb", {MainEntry("B", "b")});
        SaveLibrary(d / "nomains.klb", {SoundEntry("drop", "*", MakeWav(10))});
        std::ofstream(d / "notes.txt") << "not a library";
        gamma = SaveLibrary(d / "sub" / "gamma.klb", {MainEntry("G", "g")});
        fs::create_directory_symlink(d, d / "sub" / "loop");
        broken = SaveLibrary(d / "zz_broken.klb",
                             {MainEntry("Broken", "x", {}, test::MaskKind::None, "missinglib")});
        RescanThemes();
    }

    std::vector<std::string> Labels() const {
        std::vector<std::string> labels;
        for (const auto& library : ThemeSelection.Tree) labels.push_back(library.label);
        return labels;
    }
    void Touch(const fs::path& file, std::vector<KlbEntry> entries) {
        const auto before = fs::last_write_time(file);
        SaveLibrary(file, std::move(entries));
        fs::last_write_time(file, before + std::chrono::seconds(5));
    }
    static std::string Value(std::initializer_list<std::string> fields) {
        std::string value;
        for (const auto& field : fields)
            value += (value.empty() && &field == fields.begin() ? "" : "\x01") + field;
        return value;
    }

    fs::path alpha, beta, gamma, broken;
};

TEST_F(ThemeSelectionTest, ScanFindsEveryLibraryOnceInNameOrder) {
    std::vector<std::string> expected;
    for (const fs::path& file : {alpha, beta, dir.Path() / "nomains.klb", gamma, broken})
        expected.push_back(LibraryListLine(file));
    EXPECT_EQ(ThemeSelection.ScanList, expected);
    // A library without themes has no root; labels are the file names, first letter upper.
    EXPECT_EQ(Labels(), (std::vector<std::string>{"Alpha", "Beta", "Gamma", "Zz_broken"}));
    ASSERT_EQ(ThemeSelection.Tree[0].themes.size(), 2u);
    EXPECT_EQ(ThemeSelection.Tree[0].themes[1].name, "A2");
    EXPECT_EQ(ThemeSelection.Tree[0].themes[1].themeId, "a2");
    EXPECT_EQ(ThemeSelection.Tree[0].themes[1].libraryFile, alpha);  // the case on disk
}

TEST_F(ThemeSelectionTest, SelectsTheThemeAskedForIgnoringCase) {
    const fs::path asked = dir.Path() / "ALPHA.klb";
    EXPECT_EQ(SelectTheme(asked, "A2"), ThemeLoad::Requested);
    EXPECT_EQ(Settings.theme.libraryFile, alpha);
    EXPECT_EQ(Settings.theme.themeId, "a2");
    EXPECT_EQ(Settings.theme.LibraryList, std::vector<std::string>{LibraryListLine(alpha)});
    EXPECT_EQ(window.loadings, 1);
    EXPECT_EQ(window.hides, 1);
    // The window was disabled while loading and is usable again.
    EXPECT_EQ(window.enabled, (std::vector<bool>{false, true, true}));
    EXPECT_EQ(ClientState.shell.ThemeChanging, 0);
    EXPECT_TRUE(ThemeSelection.ChangeTimerRunning);
    EXPECT_TRUE(SelectThemeNode(asked, "a2"));
    EXPECT_EQ(ThemeSelection.Selected()->name, "A2");
}

TEST_F(ThemeSelectionTest, TheThemesMetricsSizeTheFields) {
    test::MainLayout layout;
    layout.large = 20;
    layout.small = 6;
    layout.fieldWidth = 10;
    layout.fieldHeight = 18;
    const fs::path odd = SaveLibrary(dir.Path() / "odd.klb", {MainEntry("Odd", "o", layout)});
    RescanThemes();
    ASSERT_EQ(SelectTheme(odd, "o"), ThemeLoad::Requested);
    EXPECT_EQ(FieldWidth, 10);
    EXPECT_EQ(FieldHeight, 18);
    EXPECT_EQ(BlockSize, 20);
    EXPECT_EQ(SmallBlockSize, 6);
    EXPECT_EQ(PlayerFieldBitmaps[1].width(), 200);
    EXPECT_EQ(PlayerFieldBitmaps[3].height(), 108);
    EXPECT_EQ(FieldBuffer.height(), 360);
}

TEST_F(ThemeSelectionTest, AnUnknownThemeLoadsNothing) {
    EXPECT_EQ(SelectTheme(alpha, "nope"), ThemeLoad::NotFound);
    EXPECT_EQ(SelectTheme(dir.Path() / "other.klb", ""), ThemeLoad::NotFound);
    EXPECT_EQ(window.loadings, 0);
    EXPECT_FALSE(SelectThemeNode(alpha, "nope"));
}

TEST_F(ThemeSelectionTest, AFailedThemeFallsBackToTheFirstOne) {
    EXPECT_EQ(SelectTheme(broken, "x"), ThemeLoad::Fallback);
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0],
              "Unable to find the required file 'missinglib.klb'.  This theme may not work "
              "correctly!!");
    EXPECT_EQ(Settings.theme.libraryFile, alpha);
    EXPECT_EQ(Settings.theme.themeId, "a1");
    EXPECT_EQ(ThemeSelection.Selected()->name, "A1");
    EXPECT_EQ(ClientState.shell.ThemeChanging, 0);
    EXPECT_TRUE(window.enabled.back());
}

TEST_F(ThemeSelectionTest, WhenNoThemeLoadsTheResultSaysSo) {
    fs::remove(alpha);
    fs::remove(beta);
    fs::remove(gamma);
    // A theme whose field is larger than the painter's grid cannot be applied.
    test::MainLayout huge;
    huge.fieldWidth = 30;
    SaveLibrary(dir.Path() / "aa_huge.klb", {MainEntry("Huge", "h", huge)});
    RescanThemes();
    EXPECT_EQ(SelectTheme(broken, "x"), ThemeLoad::Failed);
    EXPECT_EQ(window.messages.back(), "Serious error setting up theme!");
    EXPECT_EQ(ClientState.shell.ThemeChanging, 0);
    EXPECT_TRUE(window.enabled.back());
    EXPECT_EQ(BuildThemeSelection(), "");
    EXPECT_FALSE(ApplyThemeSelection(""));
}

TEST_F(ThemeSelectionTest, ThreeFieldsChooseNoMusicEntry) {
    ASSERT_TRUE(ApplyThemeSelection(Value({alpha.string(), "a1", ""})));
    EXPECT_EQ(Settings.theme.selectedMusic, nullptr);
    EXPECT_EQ(ThemeSelection.MusicIndex, 0);  // "*None*"
    ASSERT_EQ(ThemeSelection.MusicList.size(), 1u);
    EXPECT_EQ(BuildThemeSelection(), Value({alpha.string(), "a1", ""}));
}

TEST_F(ThemeSelectionTest, FourFieldsChooseTheMusicEntry) {
    ASSERT_TRUE(ApplyThemeSelection(Value({alpha.string(), "a2", "", "Tune"})));
    ASSERT_NE(Settings.theme.selectedMusic, nullptr);
    EXPECT_EQ(Settings.theme.selectedMusic->name, "Tune");
    EXPECT_EQ(ThemeSelection.MusicIndex, 1);
    EXPECT_TRUE(fs::exists(dir.Path() / "tmp.mid"));
    EXPECT_EQ(BuildThemeSelection(), Value({alpha.string(), "a2", "", "Tune"}));
}

TEST_F(ThemeSelectionTest, AnExternalFileThatExistsIsChosen) {
    const fs::path song = dir.Path() / "song.ogg";
    std::ofstream(song) << "OggS";
    ASSERT_TRUE(ApplyThemeSelection(Value({beta.string(), "b", song.string()})));
    EXPECT_EQ(Settings.theme.externalMusicFile, song.string());
    EXPECT_EQ(ThemeSelection.MusicFileText, song.string());
    EXPECT_EQ(BuildThemeSelection(), Value({beta.string(), "b", song.string()}));
    // A missing one is dropped.
    ASSERT_TRUE(ApplyThemeSelection(Value({beta.string(), "b", (dir.Path() / "x.mp3").string()})));
    EXPECT_EQ(Settings.theme.externalMusicFile, "");
}

TEST_F(ThemeSelectionTest, AStoredThemeThatIsGoneGivesTheFirstThemeWithoutItsMusic) {
    const fs::path song = dir.Path() / "song.ogg";
    std::ofstream(song) << "OggS";
    ASSERT_TRUE(ApplyThemeSelection(
        Value({(dir.Path() / "gone.klb").string(), "q", song.string(), "Tune"})));
    EXPECT_EQ(Settings.theme.libraryFile, alpha);
    EXPECT_EQ(Settings.theme.externalMusicFile, "");
    ASSERT_TRUE(ApplyThemeSelection(""));
    EXPECT_EQ(Settings.theme.themeId, "a1");
}

TEST_F(ThemeSelectionTest, TheWatchReloadsOnlyWhenTheThemesLibraryChanges) {
    ASSERT_TRUE(ApplyThemeSelection(Value({beta.string(), "b", ""})));
    const int loads = window.loadings;
    EXPECT_EQ(CheckThemeChange(), ThemeWatch::Unchanged);
    // Another library appears: once it holds still for a tick the tree grows, the theme stays.
    SaveLibrary(dir.Path() / "delta.klb", {MainEntry("D", "d")});
    EXPECT_EQ(CheckThemeChange(), ThemeWatch::Settling);
    EXPECT_EQ(Labels().size(), 4u);
    EXPECT_EQ(CheckThemeChange(), ThemeWatch::Rescanned);
    EXPECT_EQ(window.loadings, loads);
    EXPECT_EQ(Labels().size(), 5u);
    // A library that cannot be opened yet: look again later.
    fs::create_symlink(dir.Path() / "nowhere", dir.Path() / "writing.klb");
    EXPECT_EQ(CheckThemeChange(), ThemeWatch::Busy);
    fs::remove(dir.Path() / "writing.klb");
    // The theme's own library is saved again: reloaded, and the skins hear of it.
    Touch(beta, {MainEntry("B", "b")});
    EXPECT_EQ(CheckThemeChange(), ThemeWatch::Settling);
    EXPECT_EQ(window.loadings, loads);
    EXPECT_EQ(CheckThemeChange(), ThemeWatch::Reloaded);
    EXPECT_EQ(window.loadings, loads + 1);
    EXPECT_EQ(Settings.theme.libraryFile, beta);
    ASSERT_FALSE(skins.events.empty());
    EXPECT_EQ(skins.events.back(), "onloadtheme");
    EXPECT_EQ(std::count(skins.events.begin(), skins.events.end(), "onloadtheme"), 1);
    EXPECT_EQ(CheckThemeChange(), ThemeWatch::Unchanged);
    // It goes away: the first theme takes its place.
    fs::remove(beta);
    EXPECT_EQ(CheckThemeChange(), ThemeWatch::Settling);
    EXPECT_EQ(CheckThemeChange(), ThemeWatch::Reloaded);
    EXPECT_EQ(Settings.theme.libraryFile, alpha);
}

TEST_F(ThemeSelectionTest, ALibraryStillBeingWrittenIsNotReadUntilItHoldsStill) {
    ASSERT_TRUE(ApplyThemeSelection(Value({beta.string(), "b", ""})));
    const int loads = window.loadings;
    // Each tick finds it grown: never read half-way.
    auto stamp = fs::last_write_time(beta);
    for (int tick = 1; tick <= 4; ++tick) {
        std::ofstream(beta, std::ios::app) << "more";
        stamp += std::chrono::seconds(1);
        fs::last_write_time(beta, stamp);
        EXPECT_EQ(CheckThemeChange(), ThemeWatch::Settling) << tick;
    }
    EXPECT_EQ(window.loadings, loads);
    // Written whole at last: the next tick that finds it unchanged loads it.
    Touch(beta, {MainEntry("B2", "b")});
    EXPECT_EQ(CheckThemeChange(), ThemeWatch::Settling);
    EXPECT_EQ(CheckThemeChange(), ThemeWatch::Reloaded);
    EXPECT_EQ(window.loadings, loads + 1);
    ASSERT_NE(ThemeSelection.Selected(), nullptr);
    EXPECT_EQ(ThemeSelection.Selected()->name, "B2");
}

TEST_F(ThemeSelectionTest, ALibraryThatStaysUnreadableIsGivenUp) {
    ASSERT_TRUE(ApplyThemeSelection(Value({beta.string(), "b", ""})));
    fs::create_symlink(dir.Path() / "nowhere", dir.Path() / "stuck.klb");
    for (int tick = 1; tick < UnreadableGiveUpTicks; ++tick)
        EXPECT_EQ(CheckThemeChange(), ThemeWatch::Busy) << tick;
    // The watch goes on without it: a change elsewhere is still seen.
    Touch(beta, {MainEntry("B", "b")});
    EXPECT_EQ(CheckThemeChange(), ThemeWatch::Settling);
    EXPECT_EQ(CheckThemeChange(), ThemeWatch::Reloaded);
    EXPECT_EQ(CheckThemeChange(), ThemeWatch::Unchanged);
    // Once it can be read, it is a change like any other.
    SaveLibrary(dir.Path() / "nowhere", {MainEntry("N", "n")});
    EXPECT_EQ(CheckThemeChange(), ThemeWatch::Settling);
    EXPECT_EQ(CheckThemeChange(), ThemeWatch::Rescanned);
    const auto labels = Labels();
    EXPECT_NE(std::find(labels.begin(), labels.end(), "Stuck"), labels.end());
}

TEST_F(ThemeSelectionTest, TheWatchRunsAgainAfterEverySelection) {
    ASSERT_TRUE(ApplyThemeSelection(Value({beta.string(), "b", ""})));
    for (const auto& [file, id] : std::vector<std::pair<fs::path, std::string>>{
             {broken, "x"}, {alpha, "nope"}, {beta, "b"}}) {
        ThemeSelection.ChangeTimerRunning = false;
        SelectTheme(file, id);
        EXPECT_TRUE(ThemeSelection.ChangeTimerRunning) << file << " " << id;
    }
    // Even when nothing at all loads.
    fs::remove(alpha);
    fs::remove(beta);
    fs::remove(gamma);
    RescanThemes();
    ThemeSelection.ChangeTimerRunning = false;
    EXPECT_EQ(SelectTheme(broken, "x"), ThemeLoad::Failed);
    EXPECT_TRUE(ThemeSelection.ChangeTimerRunning);
}

TEST_F(ThemeSelectionTest, ABrokenLibraryOnDiskKeepsTheCurrentTheme) {
    ASSERT_TRUE(ApplyThemeSelection(Value({alpha.string(), "a2", ""})));
    // Not a library any more: it leaves the tree, the loaded theme stays.
    {
        std::ofstream out(beta, std::ios::trunc);
        out << "KLB garbage";
    }
    EXPECT_EQ(CheckThemeChange(), ThemeWatch::Settling);
    EXPECT_EQ(CheckThemeChange(), ThemeWatch::Rescanned);
    EXPECT_EQ(Settings.theme.libraryFile, alpha);
    EXPECT_EQ(Settings.theme.themeId, "a2");
    EXPECT_EQ(Labels(), (std::vector<std::string>{"Alpha", "Gamma", "Zz_broken"}));
    ASSERT_NE(ThemeSelection.Selected(), nullptr);
    EXPECT_EQ(ThemeSelection.Selected()->name, "A2");
}

// The music choice restarts through the music service's requests alone: a stop, then (in a
// game) a play; nothing waits for the music thread.
class RecordingAudio : public ShellAudio {
public:
    void MusicRequest() override { calls.push_back("play"); }
    void MusicStopRequest() override { calls.push_back("stop"); }
    std::vector<std::string> calls;
};

TEST_F(ThemeSelectionTest, AMusicChangeRestartsThroughTheRequestsAlone) {
    RecordingAudio audio;
    SetShellAudio(&audio);
    ASSERT_TRUE(ApplyThemeSelection(Value({alpha.string(), "a1", ""})));
    audio.calls.clear();
    ThemeSelection.PlayTag = 1;
    EXPECT_TRUE(ThemeSetMusic("", ThemeSelection.MusicList.front(), false, true));
    EXPECT_EQ(audio.calls, std::vector<std::string>{"stop"});  // no game: nothing plays
    EXPECT_EQ(ThemeSelection.PlayTag, 0);
    ClientState.game.GameRunning = 1;
    EXPECT_FALSE(ThemeSetMusic("", nullptr, false, true));
    EXPECT_EQ(audio.calls, (std::vector<std::string>{"stop", "stop", "play"}));
    // Without a restart the music is left alone.
    EXPECT_TRUE(ThemeSetMusic("", nullptr, true, false));
    EXPECT_EQ(audio.calls.size(), 3u);
    EXPECT_EQ(Settings.theme.selectedMusic->name, "Tune");
}

}  // namespace
}  // namespace pk
