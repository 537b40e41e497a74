#include "shell/zrconfig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "core/zrgameset.h"
#include "game/zrkey.h"
#include "platform/atomicfile.h"
#include "shell/shell_fixture.h"
#include "shell/zrconfigfile.h"

namespace pk {
namespace {

using test::ShellTest;

std::string Num(int n) {
    return std::to_string(n);
}

class ConfigTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        library = Library("basic.klb");
    }

    void WriteConfig(const TXSettings& record) {
        ASSERT_TRUE(WriteFileAtomic(ConfigPath(), record.SaveToCompressed()));
    }
    TXSettings ReadSaved() {
        TXSettings record;
        auto bytes = ReadFileBytes(ConfigPath(), 1 << 20);
        EXPECT_TRUE(bytes);
        EXPECT_TRUE(bytes && record.LoadFromCompressed(*bytes));
        return record;
    }
    static std::vector<std::string> Keys(const TXSettings& record) {
        std::vector<std::string> keys;
        for (const auto& pair : record.Pairs()) keys.push_back(pair.key);
        return keys;
    }

    // Every key the writer writes, each with a value other than its default, in the order the
    // writer writes them.
    TXSettings FullRecord() const {
        TXSettings r;
        r.SetValue("ver", "2.00.136");
        r.SetValue("name", "Alice");
        r.SetValue("gameservers", "one.example\r\ntwo.example:31460\r\n");
        for (int i = 1; i <= 19; ++i) r.SetInt("key" + Num(i), 64 + i);
        for (int i = 1; i <= 19; ++i) r.SetInt("keyd" + Num(i), 100 + i);
        for (int i = 1; i <= 19; ++i) r.SetInt("keyr" + Num(i), 30 + i);
        r.SetValue("team", "Red");
        r.SetValue("safetimer", "1");
        r.SetValue("pstatsw", std::string("80\x01") + "90");
        r.SetValue("gstatsw", std::string("50\x01") + "60\x01" + "70");
        r.SetInt("gstatsheight", 222);
        r.SetInt("gstatsexpand", 1);
        r.SetInt("btopleftheight", 111);
        r.SetInt("brightwidth", 112);
        r.SetInt("btoprightheight", 113);
        r.SetInt("userstatsx", 5);
        r.SetInt("userstatsy", 6);
        r.SetInt("userstatswidth", 501);
        r.SetInt("userstatsheight", 502);
        r.SetValue("bgamelistw", std::string("10\x01") + "20");
        r.SetValue("broomlistw", std::string("30\x01") + "40");
        r.SetInt("tcolwidth", 150);
        r.SetInt("tpreviewheight", 160);
        r.SetValue("fplaygamechat", std::string("Tahoma\x01") + "10\x01" + "255\x01" + "b");
        r.SetValue("fattacks", std::string("Courier\x01") + "9\x01" + "0\x01" + "i");
        r.SetValue("fgamechat", std::string("Verdana\x01") + "11\x01" + "65280\x01" + "u");
        r.SetValue("fgamestats", std::string("Arial\x01") + "7\x01" + "1\x01" + "s");
        r.SetValue("fbrowserchat", std::string("Times\x01") + "12\x01" + "2\x01" + "bius");
        r.SetValue("fpstats", std::string("Fixed\x01") + "14\x01" + "3\x01");
        r.SetValue("soundon", "0");
        r.SetValue("resizefields", "1");
        r.SetValue("showshadow", "1");
        r.SetValue("shadowoption", "3");
        r.SetValue("taskbar", "0");
        r.SetValue("chatts", "1");
        r.SetValue("maxfs", "0");
        r.SetValue("showincsb", "0");
        r.SetValue("animdrop", "0");
        r.SetValue("usealpha", "0");
        r.SetValue("loopallmusic", "0");
        r.SetValue("findgamests", "1");
        r.SetValue("showjoinsparts", "1");
        r.SetValue("minimizebrb", "0");
        r.SetInt("concurrentpings", 7);
        r.SetInt("pingtries", 4);
        r.SetInt("idlebrb", 9);
        r.SetInt("idleaway", 19);
        r.SetInt("idlesleeping", 199);
        r.SetInt("winx", 33);
        r.SetInt("winy", 44);
        r.SetInt("winw", 555);
        r.SetInt("winh", 466);
        r.SetInt("winmax", 0);
        r.SetValue("theme2", library.string() + "\x01*\x01\x01Tune");
        r.SetValue("friends", "bob,carol");
        r.SetValue("ignored", "dave");
        r.SetValue("showignore", "0");
        r.SetValue("showfriends", "0");
        r.SetValue("showusers", "0");
        r.SetValue("room", "Lounge");
        r.SetValue("roomkey", "k3y");
        r.SetValue("state", "3");
        r.SetValue("awaymsg", "");
        r.SetValue("profilever", "101");
        r.SetValue("profile", "PROFILE");
        return r;
    }

    std::filesystem::path library;
};

TEST_F(ConfigTest, EveryKeyRoundTripsInTheWriteOrder) {
    const TXSettings full = FullRecord();
    TXSettings stored = full;
    // Read but never written.
    stored.SetValue("password", "secret");
    stored.SetValue("gamesettings", "GS");
    stored.SetValue("gameport", "4444");
    stored.SetValue("gamename", "Mine");
    WriteConfig(stored);
    ASSERT_TRUE(LoadConfig(ConfigPath()));
    ASSERT_TRUE(SaveConfig(ConfigPath()));
    const TXSettings saved = ReadSaved();
    EXPECT_EQ(Keys(saved), Keys(full));
    for (const auto& pair : full.Pairs())
        EXPECT_EQ(saved.GetValue(pair.key), pair.value) << pair.key;
}

TEST_F(ConfigTest, ValuesReachTheirPlaces) {
    TXSettings stored = FullRecord();
    stored.SetValue("password", "secret");
    stored.SetValue("gamesettings", "GS");
    stored.SetValue("gameport", "4444");
    stored.SetValue("gamename", "Mine");
    WriteConfig(stored);
    ASSERT_TRUE(LoadConfig(ConfigPath()));
    EXPECT_EQ(Config.accountname, "Alice");
    EXPECT_EQ(Config.accountpass, "secret");
    EXPECT_EQ(Config.gameservers, (std::vector<std::string>{"one.example", "two.example:31460"}));
    EXPECT_EQ(NoHighResTimer.load(), 1);
    const TKeySlotRec& k = Settings.keys[4];
    EXPECT_EQ(k.KeySetting, 69);
    EXPECT_EQ(k.DelaySetting, 105);
    EXPECT_EQ(k.RepeatSetting, 35);
    // The settings are in use at once.
    EXPECT_EQ(k.KeyInUse.load(), 69);
    EXPECT_EQ(k.DelayInUse.load(), 105);
    EXPECT_EQ(k.RepeatInUse.load(), 35);
    EXPECT_EQ(Config.fplaygamechat.name, "Tahoma");
    EXPECT_EQ(Config.fplaygamechat.size, 10);
    EXPECT_TRUE(Config.fplaygamechat.bold);
    EXPECT_EQ(Settings.options.soundon, 0);
    EXPECT_EQ(Settings.options.shadowoption, 3);
    EXPECT_EQ(Config.lobby.idlesleeping, 199);
    EXPECT_EQ(Config.lobby.friends, (std::vector<std::string>{"bob", "carol"}));
    EXPECT_EQ(Config.lobby.profile, "PROFILE");
    EXPECT_EQ(Config.gamesettings, "GS");
    EXPECT_EQ(Config.gameport, 4444);
    EXPECT_EQ(Config.gamename, "Mine");
    EXPECT_EQ(window.place.x, 33);
    EXPECT_EQ(window.place.width, 555);
    EXPECT_EQ(Settings.theme.selectedMusic ? Settings.theme.selectedMusic->name : "", "Tune");
    EXPECT_FALSE(VersionChanged);
    // The theme's interface states come first; the start event ends the load.
    ASSERT_FALSE(skins.events.empty());
    EXPECT_EQ(skins.events.back(), "onstart");
    EXPECT_EQ(std::count(skins.events.begin(), skins.events.end(), "onstart"), 1);
    // The next save drops the password and what only the server page reads.
    ASSERT_TRUE(SaveConfig(ConfigPath()));
    const TXSettings saved = ReadSaved();
    for (const char* key : {"password", "gamesettings", "gameport", "gamename"})
        EXPECT_FALSE(saved.Has(key)) << key;
}

TEST_F(ConfigTest, MissingEmptyAndDamagedFilesGiveTheDefaults) {
    const std::string valid = FullRecord().SaveToCompressed();
    const std::vector<std::pair<const char*, std::optional<std::string>>> files = {
        {"missing", std::nullopt},
        {"empty", std::string()},
        {"garbage", std::string("this is not zlib at all")},
        {"cut", valid.substr(0, valid.size() / 2)},
    };
    for (const auto& [what, bytes] : files) {
        SCOPED_TRACE(what);
        test::ResetShellGlobals();
        std::filesystem::remove(ConfigPath());
        if (bytes) {
            ASSERT_TRUE(WriteFileAtomic(ConfigPath(), *bytes));
        }
        ASSERT_TRUE(LoadConfig(ConfigPath()));
        const TConfig def;
        EXPECT_EQ(Config.accountname, "");
        EXPECT_EQ(Config.gameport, 31459);
        EXPECT_EQ(Config.lobby.state, 1);
        EXPECT_EQ(Config.lobby.idlesleeping, 120);
        EXPECT_EQ(Config.lobby.profile, "fresh");  // built afresh without a stored profile
        EXPECT_EQ(Config.gstatsheight, def.gstatsheight);
        EXPECT_EQ(Config.fgamechat.name, def.fgamechat.name);
        EXPECT_EQ(Settings.options.soundon, 1);
        EXPECT_EQ(Settings.options.shadowoption, 1);
        EXPECT_EQ(Settings.options.loopallmusic, 1);
        EXPECT_EQ(NoHighResTimer.load(), 0);
        for (int i = 0; i < KeySlotCount; ++i) {
            EXPECT_EQ(Settings.keys[i].KeySetting, KeyDefaults[i].key) << i;
            EXPECT_EQ(Settings.keys[i].DelaySetting, KeyDefaults[i].delay) << i;
        }
        EXPECT_TRUE(VersionChanged);
        EXPECT_EQ(GameSetList.size(), 8u);
        // The first theme, centred at the window's own size.
        EXPECT_EQ(Settings.theme.libraryFile, library);
        EXPECT_EQ(window.place.x, 1025 / 2 - 400 / 2);
        EXPECT_EQ(window.place.y, 769 / 2 - 301 / 2);
    }
}

TEST_F(ConfigTest, AnOlderVersionSetsTheVersionChangedFlag) {
    TXSettings r;
    r.SetValue("ver", "2.00.135");
    WriteConfig(r);
    ASSERT_TRUE(LoadConfig(ConfigPath()));
    EXPECT_TRUE(VersionChanged);
    r.SetValue("ver", "2.00.136");
    WriteConfig(r);
    ASSERT_TRUE(LoadConfig(ConfigPath()));
    EXPECT_FALSE(VersionChanged);
}

TEST_F(ConfigTest, ReaderAndWriterDifferences) {
    TXSettings r;
    r.SetValue("awaymsg", "gone fishing");  // written, never read
    r.SetValue("profilever", "100");        // an older profile is built afresh
    r.SetValue("profile", "OLD");
    WriteConfig(r);
    ASSERT_TRUE(LoadConfig(ConfigPath()));
    EXPECT_EQ(Config.lobby.awaymsg, "");
    EXPECT_EQ(Config.lobby.profile, "fresh");
    Config.lobby.awaymsg = "back soon";
    ASSERT_TRUE(SaveConfig(ConfigPath()));
    const TXSettings saved = ReadSaved();
    EXPECT_EQ(saved.GetValue("awaymsg"), "back soon");
    EXPECT_EQ(saved.GetValue("profilever"), "101");
    EXPECT_EQ(saved.GetValue("profile"), "fresh");
    EXPECT_EQ(saved.GetValue("ver"), "2.00.136");
}

TEST_F(ConfigTest, FriendsAndIgnoredKeepOnlyValidNames) {
    TXSettings r;
    r.SetValue("friends", "bob,,9lives,carol smith,Dave_2,");
    r.SetValue("ignored", "");
    WriteConfig(r);
    ASSERT_TRUE(LoadConfig(ConfigPath()));
    EXPECT_EQ(Config.lobby.friends, std::vector<std::string>({"bob", "Dave_2"}));
    EXPECT_TRUE(Config.lobby.ignored.empty());
    Config.lobby.friends.clear();
    ASSERT_TRUE(SaveConfig(ConfigPath()));
    const TXSettings saved = ReadSaved();
    EXPECT_TRUE(saved.Has("friends"));
    EXPECT_EQ(saved.GetValue("friends"), "");
    ASSERT_TRUE(LoadConfig(ConfigPath()));
    EXPECT_TRUE(Config.lobby.friends.empty());
}

TEST_F(ConfigTest, AMaximisedWindowGoesFullScreenAndKeepsItsPlace) {
    TXSettings r;
    r.SetInt("winx", 10);
    r.SetInt("winy", 20);
    r.SetInt("winw", 700);
    r.SetInt("winh", 500);
    r.SetInt("winmax", 1);
    WriteConfig(r);
    ASSERT_TRUE(LoadConfig(ConfigPath()));
    EXPECT_TRUE(window.maximised);
    EXPECT_EQ(window.shown, 1);
    EXPECT_EQ(window.place.width, 400);  // not taken while maximised
    ASSERT_TRUE(SaveConfig(ConfigPath()));
    EXPECT_EQ(ReadSaved().GetValue("winmax"), "1");
}

TEST_F(ConfigTest, UserGameSetsFollowTheBuiltInOnes) {
    TGameSet set;
    set.SetValue("maxp", "3");
    GameSetList.push_back(
        std::make_unique<tcbgameset>(tcbgameset{"Threesome", set.SaveToCompressed(), 0, 0}));
    ASSERT_TRUE(SaveConfig(ConfigPath()));
    ASSERT_TRUE(LoadConfig(ConfigPath()));
    ASSERT_EQ(GameSetList.size(), 9u);
    EXPECT_EQ(GameSetList[0]->name, "Classic Game");
    EXPECT_EQ(GameSetList[8]->name, "Threesome");
    // A damaged "gamesets.cfg" keeps the sets before the damage and the rest still loads.
    std::string bytes = *ReadFileBytes(dir.Path() / GameSetFileName, 1 << 20);
    ASSERT_TRUE(WriteFileAtomic(dir.Path() / GameSetFileName, bytes + std::string("\0\x09", 2)));
    TXSettings r;
    r.SetValue("team", "Blue");
    WriteConfig(r);
    ASSERT_TRUE(LoadConfig(ConfigPath()));
    EXPECT_EQ(GameSetList.size(), 9u);
    EXPECT_EQ(Config.teamname, "Blue");
}

TEST_F(ConfigTest, BothFilesAreWrittenWholeOrNotAtAll) {
    ASSERT_TRUE(SaveConfig(ConfigPath()));
    const std::string before = *ReadFileBytes(ConfigPath(), 1 << 20);
    // The game sets cannot be written (a folder stands in the way): the configuration still is.
    std::filesystem::remove(dir.Path() / GameSetFileName);
    std::filesystem::create_directory(dir.Path() / GameSetFileName);
    Config.teamname = "Changed";
    EXPECT_FALSE(SaveConfig(ConfigPath()));
    const std::string after = *ReadFileBytes(ConfigPath(), 1 << 20);
    EXPECT_NE(after, before);
    TXSettings record;
    ASSERT_TRUE(record.LoadFromCompressed(after));
    EXPECT_EQ(record.GetValue("team"), "Changed");
    // Nothing half-written is left beside them.
    for (const auto& item : std::filesystem::directory_iterator(dir.Path())) {
        const std::string name = item.path().filename().string();
        EXPECT_TRUE(name == "pelkorin.cfg" || name == GameSetFileName || name == "basic.klb" ||
                    name == "tmp.mid")
            << name;
    }
}

TEST_F(ConfigTest, NoHighResTimerOptionIsSavedAsSafetimer) {
    ASSERT_TRUE(StartUp({"-nohrtimer"}));
    EXPECT_EQ(NoHighResTimer.load(), 1);
    ASSERT_TRUE(SaveConfig(ConfigPath()));
    EXPECT_EQ(ReadSaved().GetValue("safetimer"), "1");
    NoHighResTimer = 0;
    ASSERT_TRUE(StartUp({}));
    EXPECT_EQ(NoHighResTimer.load(), 1);
}

TEST(ColumnWidths, FieldsByColumnKeepingTheRest) {
    std::vector<int> widths = {50, 60, 70, 80};
    EXPECT_EQ(GetColumnWidths(widths), std::string("50\x01") + "60\x01" + "70\x01" + "80");
    SetColumnWidths(widths, std::string("11\x01") + "x\x01" + "33");
    EXPECT_EQ(widths, (std::vector<int>{11, 60, 33, 80}));
    SetColumnWidths(widths, "");
    EXPECT_EQ(widths, (std::vector<int>{11, 60, 33, 80}));
    std::vector<int> none;
    EXPECT_EQ(GetColumnWidths(none), "");
}

TEST(CentredPosition, HalvesRoundTowardZero) {
    EXPECT_EQ(CentredPosition(1025, 400), 312);
    EXPECT_EQ(CentredPosition(769, 301), 234);
    EXPECT_EQ(CentredPosition(300, 801), -250);
}

}  // namespace
}  // namespace pk
