#include "room/zrgextras.h"

#include <gtest/gtest.h>

#include <fstream>

#include "game/zrgame.h"
#include "support/fake_game_io.h"
#include "support/linked_file.h"
#include "support/temp_dir.h"

namespace pk {
namespace {

using Sent = std::vector<std::pair<uint8_t, std::string>>;

class ExtrasTest : public ::testing::Test {
protected:
    testing::RecordingSender sender;
    void SetUp() override {
        SetGameSender(&sender);
        Settings.rules.RoomMotd = "Welcome\r\nBe nice";
        Settings.rules.BanList = "troll@1.2.3.*";
    }
    void TearDown() override {
        SetGameSender(nullptr);
        Settings = tsettingsarray{};
    }
};

TEST(ExtrasLines, SplitAndJoin) {
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n"), (std::vector<std::string>{"a", ""}));
    EXPECT_EQ(SplitLines("a\r\n\r\nb"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_TRUE(SplitLines("").empty());
    EXPECT_EQ(JoinLines({"a", "", "b"}), "a\r\n\r\nb");
}

TEST_F(ExtrasTest, ClosingWithoutChangesSendsNothing) {
    TExtrasModel m;
    m.Load();
    EXPECT_EQ(m.motd, "Welcome\r\nBe nice");
    EXPECT_TRUE(m.Close());
    EXPECT_TRUE(sender.sent.empty());
}

TEST_F(ExtrasTest, LineBreaksOfTheServerDoNotCountAsAChange) {
    Settings.rules.RoomMotd = "Welcome\nBe nice\n";
    TExtrasModel m;
    m.Load();
    EXPECT_TRUE(m.Close());
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_EQ(Settings.rules.RoomMotd, "Welcome\nBe nice\n");
}

TEST_F(ExtrasTest, OnlyTheChangedTextIsSent) {
    TExtrasModel m;
    m.Load();
    m.banList += "\r\n-spammer";
    EXPECT_TRUE(m.Close());
    EXPECT_EQ(sender.sent, (Sent{{0x11, "troll@1.2.3.*\r\n-spammer"}}));
    EXPECT_EQ(Settings.rules.BanList, "troll@1.2.3.*\r\n-spammer");
    EXPECT_EQ(Settings.rules.RoomMotd, "Welcome\r\nBe nice");
    m.motd =
        "\\005"
        "12Red";  // sent as typed, without escaping
    EXPECT_TRUE(m.Close());
    EXPECT_EQ(sender.sent.back(), (std::pair<uint8_t, std::string>{0x0f, "\\00512Red"}));
}

TEST_F(ExtrasTest, TextsTooLongForOneMessageAreRefused) {
    TExtrasModel m;
    m.Load();
    m.motd = std::string(MaxGamePayload, 'x');
    EXPECT_EQ(m.Problem(), "");
    m.banList = std::string(MaxGamePayload + 1, 'y');
    EXPECT_NE(m.Problem().find("ban list is too long"), std::string::npos);
    EXPECT_FALSE(m.Close());
    EXPECT_TRUE(sender.sent.empty());  // not even the room message that would fit
    EXPECT_EQ(Settings.rules.BanList, "troll@1.2.3.*");
    m.banList = "ok";
    m.motd += "z";
    EXPECT_NE(m.Problem().find("room message is too long"), std::string::npos);
}

TEST(ExtrasFiles, SaveAndLoadRoundTrip) {
    test::TempDir dir;
    const std::string file = dir.File("motd.txt");
    ASSERT_TRUE(SaveTextFile(file, "one\r\ntwo"));
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, "one\r\ntwo\r\n");
    EXPECT_EQ(LoadTextFile(file), "one\r\ntwo");
}

TEST(ExtrasFiles, EmptyLinesAtEitherEndSurviveEverySaveAndLoad) {
    test::TempDir dir;
    const std::string file = dir.File("bans.txt");
    for (const std::string text :
         {"a\r\n", "a\r\n\r\n", "\r\n", "\r\n\r\nb", "a\r\n\r\nb\r\n", ""}) {
        std::string now = text;
        for (int round = 0; round < 3; ++round) {
            ASSERT_TRUE(SaveTextFile(file, now));
            now = LoadTextFile(file).value_or("(unread)");
            EXPECT_EQ(now, text) << "round " << round;
        }
    }
    // A file written elsewhere: its final break ends its last line, whatever the break.
    std::ofstream(file, std::ios::binary) << "x\n\ny\r";
    EXPECT_EQ(LoadTextFile(file), "x\r\n\r\ny");
}

TEST(ExtrasFiles, ASaveKeepsTheFilesLinkAndMode) {
    test::TempDir dir;
    test::LinkedUserFile file(dir.Path(), "bans.txt", "old\r\n");
    ASSERT_TRUE(SaveTextFile(file.link.string(), "+alice\r\n-bob"));
    EXPECT_EQ(file.Bytes(), "+alice\r\n-bob\r\n");
    EXPECT_TRUE(file.Kept());
}

TEST(ExtrasFiles, MissingFileOrFolderLoadsNothing) {
    test::TempDir dir;
    EXPECT_EQ(LoadTextFile(dir.File("nothing.txt")), std::nullopt);
    EXPECT_EQ(LoadTextFile(dir.Path().string()), std::nullopt);
    EXPECT_FALSE(SaveTextFile(dir.File("no/such/folder.txt"), "x"));
}

}  // namespace
}  // namespace pk
