#include "core/zrgamesetlist.h"

#include <gtest/gtest.h>

#include "core/zrgameset.h"
#include "core/zrlog.h"
#include "support/bytes.h"

namespace pk {
namespace {

using test::Bytes;
using test::LE;

class GameSetListTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearGameSets();
        ClearClientLog();
    }
    void TearDown() override { ClearGameSets(); }

    static std::string Entry(uint8_t builtin, const std::string& name, const std::string& data) {
        return Bytes({builtin}) + LE(static_cast<uint32_t>(name.size())) + name +
               LE(static_cast<uint32_t>(data.size())) + data;
    }
    static std::string SetData(const std::string& key, const std::string& value) {
        TGameSet set;
        set.SetValue(key, value);
        set.SetValue("piecechance", "1234567");
        return set.SaveToCompressed();
    }
    static std::string Value(const tcbgameset& set, const std::string& key) {
        TGameSet g;
        EXPECT_TRUE(g.LoadFromCompressed(set.data));
        return g.GetValue(key);
    }
};

TEST_F(GameSetListTest, SavesTheHeaderAndTheUserSetsOnly) {
    GameSetList.push_back(std::make_unique<tcbgameset>(tcbgameset{"Built", "xx", 0, 1}));
    GameSetList.push_back(std::make_unique<tcbgameset>(tcbgameset{"Mine", "DATA", 0, 0}));
    // The editor's temporary entry for a room's rules is never written as a set.
    GameSetList.push_back(std::make_unique<tcbgameset>(tcbgameset{"Room", "TEMP", 1, 0}));
    const std::string golden = Bytes({'v'}) + LE(100, 2)  // marker, version 100
                               + Bytes({0})               // not built in
                               + LE(4) + "Mine"           // name
                               + LE(4) + "DATA";          // the compressed set, as held
    EXPECT_EQ(SaveGameSets(), golden);
}

TEST_F(GameSetListTest, ReadsAVersion100File) {
    const std::string data = SetData("maxp", "3");
    const std::string file = Bytes({'v'}) + LE(100, 2) + Entry(0, "Three", data) +
                             Entry(7, "Flagged", SetData("maxp", "2"));
    int version = -1;
    ASSERT_TRUE(GameSetFileVersionOf(file, version));
    EXPECT_EQ(version, 100);
    EXPECT_TRUE(LoadGameSets(file, version));
    ASSERT_EQ(GameSetList.size(), 2u);
    EXPECT_EQ(GameSetList[0]->name, "Three");
    EXPECT_EQ(GameSetList[0]->data, data);
    EXPECT_EQ(GameSetList[0]->builtin, 0);
    EXPECT_EQ(GameSetList[0]->editor, 0);
    EXPECT_EQ(GameSetList[1]->builtin, 1);  // any non-zero flag counts as set
    // In the player's file every set is the player's own, and so is saved again.
    ClearGameSets();
    EXPECT_TRUE(LoadGameSets(file, version, GameSetSource::PlayerFile));
    ASSERT_EQ(GameSetList.size(), 2u);
    EXPECT_EQ(GameSetList[1]->builtin, 0);
    EXPECT_EQ(SaveGameSets(), Bytes({'v'}) + LE(100, 2) + Entry(0, "Three", data) +
                                  Entry(0, "Flagged", GameSetList[1]->data));
}

TEST_F(GameSetListTest, ConvertsAVersion0FileFromTheCodedForm) {
    // Fields cut at 0xFA: code 2 (maxp) "4", code 5 (lvlstart) "7".
    const std::string coded = std::string("\x02") + "4" + "\xFA" + "\x05" + "7";
    const std::string file = Entry(0, "Old", coded);
    int version = -1;
    ASSERT_TRUE(GameSetFileVersionOf(file, version));
    EXPECT_EQ(version, 0);
    EXPECT_TRUE(LoadGameSets(file, version));
    ASSERT_EQ(GameSetList.size(), 1u);
    EXPECT_EQ(Value(*GameSetList[0], "maxp"), "4");
    EXPECT_EQ(Value(*GameSetList[0], "lvlstart"), "7");
    // Written back in the compressed form of the current version.
    const std::string saved = SaveGameSets();
    GameSetList.clear();
    ASSERT_TRUE(LoadGameSets(saved, 100));
    EXPECT_EQ(Value(*GameSetList[0], "maxp"), "4");
}

TEST_F(GameSetListTest, AShortFileIsIgnoredAndOtherVersionsAddNothing) {
    int version = -1;
    EXPECT_FALSE(GameSetFileVersionOf("", version));
    EXPECT_FALSE(GameSetFileVersionOf("v\x64", version));
    const std::string other = Bytes({'v'}) + LE(99, 2) + Entry(0, "X", SetData("maxp", "2"));
    ASSERT_TRUE(GameSetFileVersionOf(other, version));
    EXPECT_EQ(version, 99);
    GameSetLoadReport report;
    EXPECT_TRUE(LoadGameSets(other, version, GameSetSource::PlayerFile, &report));
    EXPECT_TRUE(GameSetList.empty());
    EXPECT_TRUE(report.other);
}

TEST_F(GameSetListTest, ACutEntryKeepsTheEntriesBeforeIt) {
    const std::string good = Entry(0, "Good", SetData("maxp", "5"));
    const std::string header = Bytes({'v'}) + LE(100, 2);
    const std::string next = Entry(0, "Next", SetData("maxp", "4"));
    for (std::size_t cut = 1; cut < next.size(); ++cut) {
        ClearGameSets();
        GameSetLoadReport report;
        EXPECT_FALSE(LoadGameSets(header + good + next.substr(0, cut), 100,
                                  GameSetSource::PlayerFile, &report))
            << cut;
        ASSERT_EQ(GameSetList.size(), 1u) << cut;
        EXPECT_EQ(GameSetList[0]->name, "Good");
        EXPECT_TRUE(report.cut);
        EXPECT_EQ(report.loaded, 1);
    }
    ClearGameSets();
    // A length far beyond the file.
    EXPECT_FALSE(LoadGameSets(header + good + Bytes({0}) + LE(0x7FFFFFFF) + "x", 100));
    EXPECT_EQ(GameSetList.size(), 1u);
    EXPECT_TRUE(UnreadGameSetEntries.empty());
}

TEST_F(GameSetListTest, ADamagedEntryIsSkippedAndWrittenBackAsItWas) {
    const std::string header = Bytes({'v'}) + LE(100, 2);
    const std::string one = Entry(0, "One", SetData("maxp", "5"));
    const std::string bad = Entry(3, "Bad", "not zlib");
    const std::string two = Entry(0, "Two", SetData("maxp", "4"));
    const std::string worse = Entry(0, "Worse", "\x78\x9c garbage");
    GameSetLoadReport report;
    EXPECT_FALSE(
        LoadGameSets(header + one + bad + two + worse, 100, GameSetSource::PlayerFile, &report));
    ASSERT_EQ(GameSetList.size(), 2u);  // the file is read to its end
    EXPECT_EQ(GameSetList[1]->name, "Two");
    EXPECT_EQ(report.loaded, 2);
    EXPECT_EQ(report.unread, 2);
    EXPECT_FALSE(report.cut);
    EXPECT_NE(ClientLog().find("\"Bad\" is damaged"), std::string::npos);
    // Each unread entry goes back in its place, byte for byte.
    EXPECT_EQ(SaveGameSets(), header + one + bad + two + worse);
    // A set added later goes after them; a removed set takes none of them with it.
    GameSetList.push_back(std::make_unique<tcbgameset>(tcbgameset{"New", "N", 0, 0}));
    EXPECT_EQ(SaveGameSets(), header + one + bad + two + worse + Entry(0, "New", "N"));
    GameSetList.erase(GameSetList.begin());
    EXPECT_EQ(SaveGameSets(), header + two + bad + Entry(0, "New", "N") + worse);
    // A damaged first entry stays first.
    ClearGameSets();
    EXPECT_FALSE(LoadGameSets(header + bad + one, 100, GameSetSource::PlayerFile));
    EXPECT_EQ(SaveGameSets(), header + bad + one);
    // In a file of version 0 the coded form is kept as it was.
    ClearGameSets();
    const std::string coded = Entry(0, "Bad", std::string("\x02") + "x");
    EXPECT_FALSE(LoadGameSets(coded + Entry(0, "Old", std::string("\x02") + "4"), 0,
                              GameSetSource::PlayerFile));
    ASSERT_EQ(GameSetList.size(), 1u);
    EXPECT_EQ(Value(*GameSetList[0], "maxp"), "4");
    EXPECT_EQ(SaveGameSets(), header + coded + Entry(0, "Old", GameSetList[0]->data));
    ClearGameSets();
    EXPECT_TRUE(UnreadGameSetEntries.empty());
    EXPECT_EQ(SaveGameSets(), header);
}

TEST_F(GameSetListTest, TheEightBuiltInSetsComeFirstAndAreNeverWritten) {
    const std::string& block = BuiltInGameSetBlock();
    int version = -1;
    ASSERT_TRUE(GameSetFileVersionOf(block, version));
    EXPECT_EQ(version, 100);
    ASSERT_TRUE(LoadGameSets(block, version));
    ASSERT_EQ(GameSetList.size(), BuiltInGameSetNames.size());
    for (std::size_t i = 0; i < GameSetList.size(); ++i) {
        EXPECT_EQ(GameSetList[i]->name, BuiltInGameSetNames[i]);
        EXPECT_EQ(GameSetList[i]->builtin, 1);
    }
    EXPECT_EQ(GameSetList[0]->name, "Classic Game");
    EXPECT_EQ(GameSetList[7]->name, "Earn Your Sticks");
    ASSERT_TRUE(
        LoadGameSets(Bytes({'v'}) + LE(100, 2) + Entry(0, "Mine", SetData("maxp", "2")), 100));
    const std::string saved = SaveGameSets();
    EXPECT_EQ(saved, Bytes({'v'}) + LE(100, 2) + Entry(0, "Mine", GameSetList[8]->data));
    // Loaded again after the built-in ones, the user's set keeps its place.
    GameSetList.clear();
    ASSERT_TRUE(LoadGameSets(block, 100));
    ASSERT_TRUE(LoadGameSets(saved, 100));
    ASSERT_EQ(GameSetList.size(), 9u);
    EXPECT_EQ(GameSetList[8]->name, "Mine");
}

TEST_F(GameSetListTest, EachBuiltInSetMatchesItsName) {
    ASSERT_TRUE(LoadGameSets(BuiltInGameSetBlock(), 100));
    auto value = [&](int i, const std::string& key) { return Value(*GameSetList[i], key); };
    auto specials = [&](int i) { return value(i, "sbchance1") + value(i, "sbchance4"); };
    // Piece chances are given, never the random pick of an empty value.
    for (int i = 0; i < 8; ++i) EXPECT_GE(value(i, "piecechance").size(), 7u) << i;
    EXPECT_EQ(value(0, "classic"), "1");  // Classic Game
    EXPECT_EQ(specials(0), "");
    EXPECT_EQ(value(1, "winbylines"), "1");  // Classic Game (Win by lines)
    EXPECT_EQ(value(1, "classic"), "1");
    EXPECT_EQ(value(2, "classic"), "0");  // Special Block Game
    EXPECT_NE(specials(2), "");
    EXPECT_EQ(value(3, "maxp"), "2");  // Classic Game (1 on 1)
    EXPECT_EQ(value(3, "classic"), "1");
    EXPECT_EQ(value(4, "holdpiece"), "0");  // Pelkorin 1.13 Game
    EXPECT_EQ(value(4, "sbchance1").find_first_of("vidfm"), std::string::npos);
    EXPECT_EQ(value(5, "classic"), "1");  // Classic + Special Game
    EXPECT_NE(specials(5), "");
    EXPECT_EQ(specials(6), "");  // Skill Game
    EXPECT_EQ(value(6, "classic"), "0");
    const std::string pieces = value(7, "piecechance");  // Earn Your Sticks: bars are rare
    const auto bars = std::count(pieces.begin(), pieces.end(), '1');
    const auto squares = std::count(pieces.begin(), pieces.end(), '2');
    EXPECT_LT(bars, squares);
}

}  // namespace
}  // namespace pk
