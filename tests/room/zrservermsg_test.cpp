#include "room/zrservermsg.h"

#include <gtest/gtest.h>

#include "core/zrconst.h"
#include "support/bytes.h"
#include "support/room_fakes.h"

namespace pk {
namespace {

using test::kSc;
using test::Sc;

// Kind byte, then code (13 bits) and the lobby, room and in-game bits, big-endian.
std::string Payload(char kind, int code, bool lobby, bool room, bool inGame,
                    const std::string& args) {
    unsigned head =
        (static_cast<unsigned>(code) << 3) | (lobby ? 4 : 0) | (room ? 2 : 0) | (inGame ? 1 : 0);
    return std::string(1, kind) + test::BE(head, 2) + args;
}

class ServerTextTest : public ::testing::Test {
protected:
    test::RecordingRoomHost host;
    test::RecordingRoomHost& chat = host;
    test::RecordingRoomHost& links = host;
    std::vector<std::string>& dialogs = host.dialogs;
    std::vector<std::string> recent;
    ServerTextTargets to{host, host, host, recent};
};

TEST(ServerTextParse, HeadBitsAndArguments) {
    ServerText t;
    // 'c', code 8 = 0b1000 -> 0x0040, room bit -> 0x0042, then two arguments
    ASSERT_TRUE(ParseServerText(std::string("c\x00\x42"
                                            "a\x02"
                                            "b",
                                            6),
                                t));
    EXPECT_EQ(t.kind, 'c');
    EXPECT_EQ(t.code, 8);
    EXPECT_FALSE(t.lobby);
    EXPECT_TRUE(t.room);
    EXPECT_FALSE(t.inGame);
    EXPECT_EQ(t.args,
              "a\x02"
              "b");
    // The largest code, all three bits
    ASSERT_TRUE(ParseServerText("i\xFF\xFF", t));
    EXPECT_EQ(t.code, 8191);
    EXPECT_TRUE(t.lobby && t.room && t.inGame);
    // A cut-off head reads as zeros
    ASSERT_TRUE(ParseServerText("c", t));
    EXPECT_EQ(t.code, 0);
    EXPECT_FALSE(ParseServerText("", t));
}

TEST_F(ServerTextTest, ChatTemplatesFillSenderAndText) {
    ShowServerMessage(Payload('c', 0, false, true, false, "Bob\x02hi there"), to);
    ShowServerMessage(Payload('c', 1, false, true, false, "Bob\x02waves"), to);
    ShowServerMessage(Payload('c', 6, false, true, false, "Restart soon"), to);
    ShowServerMessage(Payload('c', 18, false, true, false, "Ann\x02psst"), to);
    ShowServerMessage(Payload('c', 8, false, true, false, "Welcome"), to);
    ASSERT_EQ(chat.room.size(), 5u);
    EXPECT_EQ(chat.room[0], Sc("01") + Sc("22") + "(" + kSc + Sc("14") + Sc("03") + "Bob" + kSc +
                                kSc + Sc("22") + ") " + kSc + Sc("00") + "hi there");
    EXPECT_EQ(chat.room[1],
              Sc("22") + "* " + Sc("14") + Sc("01") + "Bob" + kSc + Sc("00") + " waves");
    EXPECT_EQ(chat.room[2], Sc("01") + Sc("23") + "[" + kSc + Sc("15") + "System Message" + kSc +
                                Sc("23") + "] " + kSc + kSc + Sc("15") + "Restart soon");
    EXPECT_EQ(chat.room[3], Sc("01") + Sc("22") + "=" + kSc + Sc("14") + "Message to Ann" + kSc +
                                Sc("22") + "= " + kSc + Sc("00") + "psst");
    EXPECT_EQ(chat.room[4], Sc("22") + Sc("01") + "=" + kSc + kSc + " Welcome");
    EXPECT_TRUE(chat.lobby.empty());
    EXPECT_TRUE(chat.game.empty());
}

TEST_F(ServerTextTest, AliasCodesMatchTheirOriginals) {
    EXPECT_EQ(ServerTemplate('c', 16), ServerTemplate('c', 0));
    EXPECT_EQ(ServerTemplate('c', 17), ServerTemplate('c', 1));
    EXPECT_EQ(ServerTemplate('c', 22), ServerTemplate('c', 6));
    for (int code = 9; code <= 15; ++code) EXPECT_EQ(ServerTemplate('c', code), "") << code;
    EXPECT_EQ(ServerTemplate('D', 12), ServerTemplate('d', 12));
}

TEST_F(ServerTextTest, InformationTemplatesWithIndexedPlaceholders) {
    // "%s usage: /%0:s %s": the indexed placeholder goes back to argument 1, the next plain
    // one continues with argument 2
    ShowServerMessage(Payload('i', 1, false, true, false, "kick\x02<name> [message]"), to);
    ShowServerMessage(Payload('i', 27, false, true, false,
                              "42\x02"
                              "email\x02"
                              "a@b"),
                      to);
    ShowServerMessage(Payload('i', 13, false, true, false, "3"), to);  // second argument missing
    ShowServerMessage(Payload('i', 28, false, true, false, "row"), to);
    ShowServerMessage(Payload('i', 36, false, true, false, "s3cret"), to);
    ASSERT_EQ(chat.room.size(), 5u);
    EXPECT_EQ(chat.room[0], Sc("19") + "kick usage: /kick <name> [message]");
    EXPECT_EQ(chat.room[1], Sc("19") + "Key email for user id 42 set to: a@b");
    EXPECT_EQ(chat.room[2], Sc("19") + "Server moved from index 3 to index ");
    EXPECT_EQ(chat.room[3], Sc("14") + "  row");
    EXPECT_EQ(chat.room[4], Sc("19") + "!!!! Your new password is: " + Sc("11") + Sc("01") +
                                "s3cret" + kSc + kSc + " !!!!");
}

TEST_F(ServerTextTest, PercentSignsInArgumentsStayLiteral) {
    ShowServerMessage(Payload('c', 0, false, true, false,
                              "Bob\x02"
                              "100%s sure %d"),
                      to);
    ASSERT_EQ(chat.room.size(), 1u);
    EXPECT_NE(chat.room[0].find("100%s sure %d"), std::string::npos);
}

TEST_F(ServerTextTest, RoutingFollowsThePlaceBits) {
    ShowServerMessage(Payload('i', 2, true, false, false, ""), to);
    ShowServerMessage(Payload('i', 3, false, false, true, ""), to);
    ShowServerMessage(Payload('i', 4, true, true, true, ""), to);
    EXPECT_EQ(chat.lobby, (std::vector<std::string>{Sc("19") + "User does not exist",
                                                    Sc("19") + "Game does not exist"}));
    EXPECT_EQ(chat.game, (std::vector<std::string>{Sc("19") + "Room does not exist",
                                                   Sc("19") + "Game does not exist"}));
    EXPECT_EQ(chat.room, (std::vector<std::string>{Sc("19") + "Game does not exist"}));
}

TEST_F(ServerTextTest, GameLinkDownOnlyTheLobbyShows) {
    links.gameUp = false;
    ShowServerMessage(Payload('c', 6, true, true, true, "x"), to);
    EXPECT_EQ(chat.lobby.size(), 1u);
    EXPECT_TRUE(chat.room.empty());
    EXPECT_TRUE(chat.game.empty());
}

TEST_F(ServerTextTest, UnknownCodesAndKindsShowNothing) {
    ShowServerMessage(Payload('c', 24, true, true, true,
                              "a\x02"
                              "b"),
                      to);
    ShowServerMessage(Payload('c', 12, true, true, true,
                              "a\x02"
                              "b"),
                      to);
    ShowServerMessage(Payload('i', 37, true, true, true, "a"), to);
    ShowServerMessage(Payload('d', 1, true, true, true, "a"), to);
    ShowServerMessage(Payload('d', 20, true, true, true, "a"), to);
    ShowServerMessage(Payload('x', 0, true, true, true, "a"), to);
    ShowServerMessage("", to);
    EXPECT_TRUE(chat.room.empty() && chat.lobby.empty() && chat.game.empty());
    EXPECT_TRUE(dialogs.empty());
    EXPECT_EQ(links.gameDisconnects + links.lobbyDisconnects, 0);
}

TEST_F(ServerTextTest, DialogsShowWithoutDisconnecting) {
    ShowServerMessage(Payload('d', 12, true, true, false, "too loud"), to);
    ShowServerMessage(Payload('d', 0, false, false, false, "plain"), to);
    EXPECT_EQ(dialogs,
              (std::vector<std::string>{"You have been kicked with message: too loud", "plain"}));
    EXPECT_TRUE(chat.room.empty() && chat.lobby.empty());
    EXPECT_EQ(links.gameDisconnects + links.lobbyDisconnects, 0);
}

TEST_F(ServerTextTest, DisconnectDialogWithRoomBitClosesOnlyTheGameLink) {
    ShowServerMessage(Payload('D', 16, false, true, false, ""), to);
    EXPECT_EQ(links.gameDisconnects, 1);
    EXPECT_EQ(links.lobbyDisconnects, 0);
    EXPECT_TRUE(links.lobbyUp);
    EXPECT_EQ(dialogs, (std::vector<std::string>{"Server is full"}));
}

TEST_F(ServerTextTest, DisconnectDialogWithLobbyBitClosesTheLobbyWithoutRetry) {
    ShowServerMessage(Payload('D', 11, true, false, false, "cheating"), to);
    EXPECT_EQ(links.lobbyDisconnects, 1);
    EXPECT_EQ(links.gameDisconnects, 0);
    EXPECT_EQ(dialogs, (std::vector<std::string>{"You are banned with message: cheating"}));
    // Links already down are left alone; an empty template still disconnects
    ShowServerMessage(Payload('D', 2, true, true, false, ""), to);
    EXPECT_EQ(links.lobbyDisconnects, 1);
    EXPECT_EQ(links.gameDisconnects, 1);
    EXPECT_EQ(dialogs.size(), 1u);
}

TEST_F(ServerTextTest, PrivateMessagesMoveTheSenderToTheFront) {
    ShowServerMessage(Payload('c', 2, false, true, false, "Ann\x02one"), to);
    ShowServerMessage(Payload('c', 2, false, true, false, "BOB\x02two"), to);
    ShowServerMessage(Payload('c', 2, false, true, false, "ann\x02three"), to);
    EXPECT_EQ(recent, (std::vector<std::string>{"ann", "bob"}));
    EXPECT_EQ(chat.room.size(), 3u);
    // Other chat codes leave the list alone
    ShowServerMessage(Payload('c', 0, false, true, false, "Cid\x02hello"), to);
    EXPECT_EQ(recent.size(), 2u);
}

TEST_F(ServerTextTest, IgnoredSendersAreDroppedButStillRemembered) {
    links.ignored = {"troll"};
    ShowServerMessage(Payload('c', 2, false, true, false, "Troll\x02hey"), to);
    EXPECT_TRUE(chat.room.empty());
    EXPECT_EQ(recent, (std::vector<std::string>{"troll"}));
    for (int code : {0, 1, 3, 4, 7, 16, 17, 18, 19, 20, 23}) {
        ShowServerMessage(Payload('c', code, true, true, false, "TROLL\x02x"), to);
    }
    EXPECT_TRUE(chat.room.empty());
    EXPECT_TRUE(chat.lobby.empty());
    // Codes without a sender are shown even when the first argument matches
    ShowServerMessage(Payload('c', 5, false, true, false, "troll\x02x"), to);
    ShowServerMessage(Payload('c', 6, false, true, false, "troll"), to);
    ShowServerMessage(Payload('c', 8, false, true, false, "troll"), to);
    EXPECT_EQ(chat.room.size(), 3u);
}

TEST(PrivateSenders, EmptyNameIsNotRemembered) {
    std::vector<std::string> recent{"a"};
    NotePrivateSender(recent, "");
    EXPECT_EQ(recent, (std::vector<std::string>{"a"}));
}

TEST(PrivateSenders, OnlyTheNewestAreKept) {
    std::vector<std::string> recent;
    for (size_t i = 0; i < MaxRecentPrivateNames + 5; ++i)
        NotePrivateSender(recent, "p" + std::to_string(i));
    ASSERT_EQ(recent.size(), MaxRecentPrivateNames);
    EXPECT_EQ(recent.front(), "p" + std::to_string(MaxRecentPrivateNames + 4));
}

}  // namespace
}  // namespace pk
