// Nothing the player had is lost by a start and a close: damaged or foreign files, a theme that
// gave way to another, links, modes and saves that fail.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "core/zrgameset.h"
#include "core/zrzstream.h"
#include "platform/atomicfile.h"
#include "shell/shell_fixture.h"
#include "shell/zrconfigfile.h"
#include "support/bytes.h"
#include "support/linked_file.h"

namespace pk {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::LE;

// The real main window takes the loaded theme's size and never gets smaller than it.
class ThemeSizedWindow : public test::RecordingWindow {
public:
    bool ApplyTheme(std::string& message) override {
        SetPlacement(place);
        return ShellWindow::ApplyTheme(message);
    }
    void SetPlacement(const WindowRect& rect) override {
        place = rect;
        if (const TZRMainbmp* main = Settings.theme.draw.mainbmp) {
            place.width = std::max(place.width, main->minWindowWidth);
            place.height = std::max(place.height, main->minWindowHeight);
        }
    }
};

class KeepTest : public test::ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        library = Library("basic.klb");
    }

    fs::path GameSetPath() const { return dir.Path() / GameSetFileName; }
    void Write(const fs::path& file, const std::string& bytes) {
        ASSERT_TRUE(WriteFileAtomic(file, bytes));
    }
    std::string Read(const fs::path& file) { return ReadFileBytes(file, 1 << 20).value_or("?"); }
    TXSettings ReadSaved() {
        TXSettings record;
        EXPECT_TRUE(record.LoadFromCompressed(Read(ConfigPath())));
        return record;
    }
    static std::string Entry(uint8_t builtin, const std::string& name, const std::string& data) {
        return Bytes({builtin}) + LE(static_cast<uint32_t>(name.size())) + name +
               LE(static_cast<uint32_t>(data.size())) + data;
    }
    static std::string SetData(const std::string& maxp) {
        TGameSet set;
        set.SetValue("maxp", maxp);
        set.SetValue("piecechance", "1234567");
        return set.SaveToCompressed();
    }
    static std::string Header(int version = 100) { return Bytes({'v'}) + LE(version, 2); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& set : GameSetList) names.push_back(set->name);
        return names;
    }

    fs::path library;
};

TEST_F(KeepTest, ADamagedGameSetIsSkippedAndWrittenBackAndTheRestIsRead) {
    const std::string file = Header() + Entry(0, "One", SetData("2")) +
                             Entry(0, "Bad", "not a compressed set") +
                             Entry(0, "Two", SetData("3")) + Entry(0, "Three", SetData("4"));
    Write(GameSetPath(), file);
    ASSERT_TRUE(LoadConfig(ConfigPath()));
    ASSERT_EQ(GameSetList.size(), 11u);
    EXPECT_EQ(GameSetList[8]->name, "One");
    EXPECT_EQ(GameSetList[9]->name, "Two");
    EXPECT_EQ(GameSetList[10]->name, "Three");
    EXPECT_TRUE(window.messages.empty());
    ASSERT_TRUE(SaveConfig(ConfigPath()));
    EXPECT_EQ(Read(GameSetPath()), file);
}

TEST_F(KeepTest, AUserSetFlaggedBuiltInStaysTheUsersAndIsSaved) {
    Write(GameSetPath(),
          Header() + Entry(1, "Mine", SetData("2")) + Entry(9, "Also", SetData("3")));
    ASSERT_TRUE(LoadConfig(ConfigPath()));
    ASSERT_EQ(GameSetList.size(), 10u);
    EXPECT_EQ(GameSetList[8]->builtin, 0);
    EXPECT_EQ(GameSetList[9]->builtin, 0);
    ASSERT_TRUE(SaveConfig(ConfigPath()));
    ASSERT_TRUE(LoadConfig(ConfigPath()));
    std::vector<std::string> names = Names();
    EXPECT_EQ(std::vector<std::string>(names.begin() + 8, names.end()),
              (std::vector<std::string>{"Mine", "Also"}));
}

TEST_F(KeepTest, GameSetsOfAnotherVersionAreNeverWrittenOver) {
    const std::string file = Header(101) + Entry(0, "Future", std::string(200, 'f'));
    Write(GameSetPath(), file);
    ASSERT_TRUE(LoadConfig(ConfigPath()));
    EXPECT_EQ(GameSetList.size(), 8u);  // no set of it is read
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_NE(window.messages[0].find(GameSetPath().string()), std::string::npos);
    EXPECT_NE(window.messages[0].find("101"), std::string::npos);
    EXPECT_NE(ClientLog().find("version 101"), std::string::npos);
    // A set made in this run is not saved, and the close says nothing more.
    GameSetList.push_back(std::make_unique<tcbgameset>(tcbgameset{"New", SetData("5"), 0, 0}));
    Config.teamname = "Saved";
    ASSERT_TRUE(SaveConfig(ConfigPath()));
    EXPECT_EQ(Read(GameSetPath()), file);
    EXPECT_EQ(ReadSaved().GetValue("team"), "Saved");
    EXPECT_EQ(window.messages.size(), 1u);
}

TEST_F(KeepTest, FilesThatCannotBeReadAreKeptAsBadCopies) {
    const std::string config = "not a compressed record";
    const std::string sets = std::string("\x01\xff\xff\xff\x7f", 5) + "no entry at all";
    Write(ConfigPath(), config);
    Write(GameSetPath(), sets);
    ASSERT_TRUE(LoadConfig(ConfigPath()));
    const fs::path configCopy = dir.Path() / "pelkorin.cfg.bad";
    const fs::path setsCopy = dir.Path() / "gamesets.cfg.bad";
    EXPECT_EQ(Read(configCopy), config);
    EXPECT_EQ(Read(setsCopy), sets);
    // One message names both files and their copies; the log has a line for each.
    ASSERT_EQ(window.messages.size(), 1u);
    for (const fs::path& named : {ConfigPath(), configCopy, GameSetPath(), setsCopy})
        EXPECT_NE(window.messages[0].find("'" + named.string() + "'"), std::string::npos) << named;
    EXPECT_NE(ClientLog().find("kept as " + configCopy.string()), std::string::npos);
    EXPECT_NE(ClientLog().find("kept as " + setsCopy.string()), std::string::npos);
    // Then as for no file: the defaults and the built-in sets, saved at the close.
    EXPECT_EQ(Config.lobby.state, 1);
    EXPECT_EQ(GameSetList.size(), 8u);
    ASSERT_TRUE(SaveConfig(ConfigPath()));
    EXPECT_EQ(ReadSaved().GetValue("state"), "1");
    EXPECT_EQ(Read(GameSetPath()), Header());
    EXPECT_EQ(Read(configCopy), config);
    EXPECT_EQ(Read(setsCopy), sets);

    // A header whose first entry is cut is no more readable; the copy replaces the old one.
    const std::string cut = Header() + Entry(0, "Cut", SetData("2")).substr(0, 12);
    Write(GameSetPath(), cut);
    ASSERT_TRUE(LoadConfig(ConfigPath()));
    EXPECT_EQ(Read(setsCopy), cut);
    EXPECT_FALSE(fs::exists(GameSetPath()));

    // A linked file is kept aside where it lies; the link stays, and the save writes through it.
    fs::remove(ConfigPath());
    test::LinkedUserFile linked(dir.Path(), "pelkorin.cfg", config);
    ASSERT_TRUE(LoadConfig(ConfigPath()));
    EXPECT_EQ(Read(linked.file.string() + ".bad"), config);
    ASSERT_TRUE(SaveConfig(ConfigPath()));
    EXPECT_TRUE(fs::is_symlink(ConfigPath()));
    TXSettings saved;
    EXPECT_TRUE(saved.LoadFromCompressed(linked.Bytes()));
}

TEST_F(KeepTest, AConfigurationCutInsideItsLastPairKeepsTheOthers) {
    TXSettings r;
    r.SetValue("name", "Alice");
    r.SetValue("team", "Red");
    r.SetInt("idlebrb", 9);
    const std::string serial = r.SaveToString() + LE(4) + "room" + LE(10) + "Lou";
    Write(ConfigPath(), Compress(serial, CompressionLevel::Max));
    ASSERT_TRUE(LoadConfig(ConfigPath()));
    EXPECT_EQ(Config.accountname, "Alice");
    EXPECT_EQ(Config.teamname, "Red");
    EXPECT_EQ(Config.lobby.idlebrb, 9);
    EXPECT_EQ(Config.lobby.room, "");  // the cut value is dropped
    EXPECT_TRUE(window.messages.empty());
    EXPECT_FALSE(fs::exists(dir.Path() / "pelkorin.cfg.bad"));
    ASSERT_TRUE(SaveConfig(ConfigPath()));
    EXPECT_EQ(ReadSaved().GetValue("team"), "Red");
}

TEST_F(KeepTest, AThemeThatGaveWayLeavesThePlayersChoiceAndPlaceInTheFile) {
    ThemeSizedWindow sized;
    SetShellWindow(&sized);
    const fs::path broken =
        test::SaveLibrary(dir.Path() / "zz_broken.klb",
                          {test::MainEntry("Broken", "x", {}, test::MaskKind::None, "missinglib")});
    const std::string stored = broken.string() + "\x01x\x01";
    TXSettings r;
    r.SetValue("theme2", stored);
    r.SetInt("winx", 33);
    r.SetInt("winy", 44);
    r.SetInt("winw", 300);  // smaller than the stand-in theme's 400 x 300
    r.SetInt("winh", 200);
    Write(ConfigPath(), r.SaveToCompressed());
    ASSERT_TRUE(LoadConfig(ConfigPath()));
    ASSERT_EQ(Settings.theme.libraryFile, library);
    EXPECT_EQ(sized.place.width, 400);
    ASSERT_TRUE(SaveConfig(ConfigPath()));
    TXSettings saved = ReadSaved();
    EXPECT_EQ(saved.GetValue("theme2"), stored);
    EXPECT_EQ(saved.GetValue("winx"), "33");
    EXPECT_EQ(saved.GetValue("winw"), "300");
    EXPECT_EQ(saved.GetValue("winh"), "200");

    // What the player changes in the run is saved.
    ASSERT_TRUE(LoadConfig(ConfigPath()));
    sized.SetPlacement({70, 80, 500, 400});
    ASSERT_TRUE(SaveConfig(ConfigPath()));
    saved = ReadSaved();
    EXPECT_EQ(saved.GetValue("theme2"), stored);
    EXPECT_EQ(saved.GetValue("winx"), "70");
    EXPECT_EQ(saved.GetValue("winw"), "500");
    ASSERT_TRUE(LoadConfig(ConfigPath()));
    const fs::path other = Library("other.klb", "o");
    RescanThemes();
    ASSERT_EQ(SelectTheme(other, "o"), ThemeLoad::Requested);
    ASSERT_TRUE(SaveConfig(ConfigPath()));
    EXPECT_EQ(TokenAt(1, ReadSaved().GetValue("theme2"), '\x01'), other.string());
    SetShellWindow(&window);
}

TEST_F(KeepTest, SavesKeepModesAndLinks) {
    fs::create_directory(dir.Path() / "home");
    const fs::path realConfig = dir.Path() / "home" / "pelkorin.cfg";
    const fs::path realSets = dir.Path() / "home" / "sets";
    TXSettings r;
    r.SetValue("team", "Linked");
    Write(realConfig, r.SaveToCompressed());
    Write(realSets, Header() + Entry(0, "Mine", SetData("2")));
    ASSERT_EQ(::chmod(realConfig.c_str(), 0600), 0);
    ASSERT_EQ(::chmod(realSets.c_str(), 0640), 0);
    fs::create_symlink("home/pelkorin.cfg", ConfigPath());
    fs::create_symlink(realSets, GameSetPath());
    ASSERT_TRUE(LoadConfig(ConfigPath()));
    EXPECT_EQ(Config.teamname, "Linked");
    Config.teamname = "Changed";
    GameSetList.push_back(std::make_unique<tcbgameset>(tcbgameset{"New", SetData("3"), 0, 0}));
    ASSERT_TRUE(SaveConfig(ConfigPath()));
    EXPECT_TRUE(fs::is_symlink(ConfigPath()));
    EXPECT_TRUE(fs::is_symlink(GameSetPath()));
    const auto mode = [](const fs::path& f) {
        struct stat st {};
        EXPECT_EQ(::stat(f.c_str(), &st), 0);
        return st.st_mode & 07777;
    };
    EXPECT_EQ(mode(realConfig), 0600u);
    EXPECT_EQ(mode(realSets), 0640u);
    TXSettings saved;
    ASSERT_TRUE(saved.LoadFromCompressed(Read(realConfig)));
    EXPECT_EQ(saved.GetValue("team"), "Changed");
    EXPECT_NE(Read(realSets).find("New"), std::string::npos);
}

TEST_F(KeepTest, AFailedSaveAtTheCloseIsToldOnce) {
    ASSERT_TRUE(LoadConfig(ConfigPath()));
    fs::create_directory(ConfigPath());
    fs::create_directory(GameSetPath());
    EXPECT_FALSE(SaveConfig(ConfigPath()));
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_NE(window.messages[0].find("'" + ConfigPath().string() + "'"), std::string::npos);
    EXPECT_NE(window.messages[0].find("'" + GameSetPath().string() + "'"), std::string::npos);
    EXPECT_NE(ClientLog().find("Configuration could not be saved"), std::string::npos);
}

TEST_F(KeepTest, TemporariesOfAKilledSaveGoAtTheStart) {
    const std::string own = std::to_string(::getpid());
    const std::vector<std::string> stale = {"pelkorin.cfg.tmp2147483647.0",
                                            "gamesets.cfg.tmp2147483647.4"};
    const std::vector<std::string> kept = {"pelkorin.cfg.tmp" + own + ".9", "pelkorin.cfg.bak"};
    for (const auto& name : stale) Write(dir.Path() / name, "half");
    for (const auto& name : kept) Write(dir.Path() / name, "mine");
    ASSERT_TRUE(LoadConfig(ConfigPath()));
    for (const auto& name : stale) EXPECT_FALSE(fs::exists(dir.Path() / name)) << name;
    for (const auto& name : kept) EXPECT_TRUE(fs::exists(dir.Path() / name)) << name;
}

}  // namespace
}  // namespace pk
