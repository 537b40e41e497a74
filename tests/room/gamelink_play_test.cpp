// The whole road: connect, join, a game starts, placed pieces go to the
// scripted server and come back acknowledged with the state the client had.
#include "core/zrgameset.h"
#include "core/zrgamesetlist.h"
#include "game/zrfmqueue.h"
#include "game/zrowngame.h"
#include "peers/game_server_play.h"
#include "peers/room_server.h"
#include "room/gamelink_fixture.h"
#include "support/room_fakes.h"

namespace pk {
namespace {

TEST(Acknowledgement, EncoderMatchesTheClientsDecoder) {
    const std::string tokens = std::string("102022222") + TokenSep + "20302004444";
    const std::string bits = peers::EncodeAcknowledgement(7, tokens, "cqa", 0xBEEF, 0x12345678, -2);
    const auto ack = DecodeAcknowledgement(bits);
    ASSERT_TRUE(ack);
    EXPECT_EQ(ack->level, 7);
    EXPECT_EQ(ack->tokens, tokens);
    EXPECT_EQ(ack->inventory, "cqa");
    EXPECT_EQ(ack->checksum, 0xBEEF);
    EXPECT_EQ(ack->seedA, 0x5678);
    EXPECT_EQ(ack->seedB, 0xFFFE);
}

TEST(UsageConfirmation, GoldenBitsReadByTheClient) {
    // flag 0, id 00000101, 2 letters 00010: 'a' 00001, 'c' 00010; 24 bits:
    // 00000010 10001000 00100010.
    const std::string bits = peers::EncodeUsageConfirmation(5, "ac");
    EXPECT_EQ(bits, "\x02\x88\x22");
    const auto confirmed = DecodeUsageConfirmation(bits);
    ASSERT_TRUE(confirmed);
    EXPECT_EQ(confirmed->flag, 0);
    EXPECT_EQ(confirmed->id, 5);
    EXPECT_EQ(confirmed->inventory, "ac");
}

class GamePlayTest : public GameLinkTest {
protected:
    void SetUp() override {
        GameLinkTest::SetUp();
        // The room's set, sent after the join: the server answers by it, the client plays by it.
        TGameSet set;
        for (int i = 1; i <= 4; ++i) {
            set.SetValue("sbchance" + std::to_string(i), "acnrsbgqovidfm");
        }
        server.options.gameSet = set.SaveToCompressed();
    }
    bool JoinedWithTheRoomsSet() {
        return Joined() && RunUntil([this] {
                   return ClientState.game.CurrentGameSetBlob == server.options.gameSet;
               });
    }
    static bool PieceReady() {
        return GameTiming.PieceActive.load() == 1 && ClientState.game.QueueBusy == 0 &&
               ClientState.game.PieceWaiting == 0;
    }
};

TEST_F(GamePlayTest, EveryPlacedPieceIsAcknowledgedAndMatches) {
    Connect();
    ASSERT_TRUE(JoinedWithTheRoomsSet());
    GameServerSession& session = Session();
    const std::string square = "102022222";
    std::string tokens = square;
    for (int i = 1; i < 8; ++i) {
        tokens += TokenSep + square;
    }
    session.StartGame(tokens, 123456789, -987654321);
    ASSERT_TRUE(RunUntil(PieceReady));

    // Squares side by side fill two rows every six pieces; the cleared rows
    // bring specials into the field and then into the inventory.
    const int pieces = 60;
    for (int i = 0; i < pieces; ++i) {
        ASSERT_TRUE(RunUntil(PieceReady)) << "piece " << i;
        ClientState.game.PieceX = 1 + 2 * (i % 6);
        QueueEndPiece(true);
    }
    ASSERT_TRUE(RunUntil([&] { return session.Game.reports == pieces && PendingHistory.empty(); }));
    EXPECT_EQ(ClientLog().find("BUG"), std::string::npos) << ClientLog();
    EXPECT_EQ(ClientLog().find("Error in"), std::string::npos) << ClientLog();
    const tmegame& game = ClientState.game;
    EXPECT_EQ(game.LinesCleared, session.Game.lines);
    EXPECT_GT(game.LinesCleared, 0);
    EXPECT_EQ(game.Inventory, session.Game.inventory);
    EXPECT_FALSE(game.Inventory.empty());
    EXPECT_EQ(game.SeedA, session.Game.seedA);
    EXPECT_EQ(game.SeedB, session.Game.seedB);
    ASSERT_NE(game.OwnPlayer, nullptr);
    EXPECT_EQ(game.OwnPlayer->plr->field, session.Game.field);
}

TEST_F(GamePlayTest, AWrongAcknowledgementGoesToTheErrorHandlerAndTheLinkStaysUp) {
    Connect();
    ASSERT_TRUE(JoinedWithTheRoomsSet());
    GameServerSession& session = Session();
    std::string tokens = "102022222";
    for (int i = 1; i < 6; ++i) {
        tokens += TokenSep + std::string("102022222");
    }
    session.StartGame(tokens, 1, 2);
    session.Game.seedA = 77;  // the server's record disagrees with the client
    ASSERT_TRUE(RunUntil(PieceReady));
    QueueEndPiece(true);
    ASSERT_TRUE(
        RunUntil([] { return ClientLog().find("BUG: random seeds") != std::string::npos; }));
    ASSERT_TRUE(RunUntil([this] { return !host.reported.empty(); }));
    EXPECT_EQ(host.reported, std::vector<std::string>{"BUG: random seeds don't match!"});
    // Logged on its way up; the link stays up until the program closes it.
    EXPECT_EQ(ClientState.game.GameLinkState, LinkInRoom);
    EXPECT_NE(ClientLog().find("Error in acknowledgepiece"), std::string::npos) << ClientLog();
    EXPECT_NE(ClientLog().find("Error in command 1 26 "), std::string::npos) << ClientLog();
}

// The scripted room plays by its own game set, as a game server in a process of its own does:
// while the server answers, the client's rules in force are something else entirely, and the
// client's own moves are made by the room's rules again.
class ScriptedRoomPlayTest : public GameLinkTest {
protected:
    static std::string BuiltInSet(const std::string& name) {
        EXPECT_TRUE(LoadGameSets(BuiltInGameSetBlock(), GameSetFileVersion));
        std::string data;
        for (const auto& set : GameSetList)
            if (set->name == name)
                data = set->data;
        GameSetList.clear();
        return data;
    }
    static bool PieceReady() {
        return GameTiming.PieceActive.load() == 1 && ClientState.game.QueueBusy == 0 &&
               ClientState.game.PieceWaiting == 0;
    }

    void TearDown() override {
        GameLinkTest::TearDown();
        SetRoomHost(nullptr);
    }

    peers::ScriptedRoom room{server};
    test::RecordingRoomHost lines;  // installed by the tests that read the room's chat
};

TEST_F(ScriptedRoomPlayTest, ASpecialBlockRoomAcknowledgesEveryPieceWhateverTheClientHolds) {
    Connect();
    ASSERT_TRUE(Joined());
    ASSERT_TRUE(RunUntil([] { return !ClientState.game.RoomOperators.empty(); }));
    const std::string set = BuiltInSet("Special Block Game");
    ASSERT_FALSE(set.empty());
    SendRoomGameSet("Special Block Game", set);
    ASSERT_TRUE(RunUntil([&] { return ClientState.game.CurrentGameSetBlob == set; }));
    const tgamerules roomRules = Settings.rules;
    ASSERT_FALSE(roomRules.sbchance[1].empty());
    tgamerules elsewhere = roomRules;
    for (std::string& pool : elsewhere.sbchance) pool.clear();
    elsewhere.invcap = 2;

    // Acknowledgements wait for the test, which hands them to the client under the room's rules.
    std::vector<std::string> acks;
    Handle(MsgAcknowledge, [&acks](const std::string& payload) { acks.push_back(payload); });
    const std::string square = "102022222";
    room.startTokens = square;
    for (int i = 1; i < 8; ++i) room.startTokens += TokenSep + square;
    server.options.ackTokens = square;
    SendGameMessage(0x12, "1");
    ASSERT_TRUE(RunUntil(PieceReady));

    // Squares side by side fill two rows every six pieces; the cleared rows bring specials.
    const std::size_t pieces = 60;
    for (std::size_t i = 0; i < pieces; ++i) {
        Settings.rules = roomRules;
        if (i > 0) {
            ASSERT_NO_THROW(AcknowledgementMessage(acks[i - 1])) << "piece " << i;
        }
        ASSERT_TRUE(PieceReady()) << "piece " << i;
        ClientState.game.PieceX = 1 + 2 * static_cast<int>(i % 6);
        QueueEndPiece(true);
        Settings.rules = elsewhere;
        ASSERT_TRUE(RunUntil([&] { return acks.size() == i + 1; })) << "piece " << i;
    }
    Settings.rules = roomRules;
    ASSERT_NO_THROW(AcknowledgementMessage(acks.back()));
    EXPECT_TRUE(PendingHistory.empty());
    EXPECT_EQ(ClientLog().find("BUG"), std::string::npos) << ClientLog();
    const peers::ServerOwnGame& played = Session().Game;
    EXPECT_GT(played.lines, 0);
    EXPECT_FALSE(played.inventory.empty());
    EXPECT_EQ(ClientState.game.Inventory, played.inventory);
    EXPECT_EQ(OwnField(), played.field);
}

TEST_F(ScriptedRoomPlayTest, ChatComesBackToEveryoneInTheRoomTheSenderToo) {
    SetRoomHost(&lines);
    Connect();
    ASSERT_TRUE(Joined());
    RoomChatCommand(true, false, "hello room");
    RoomChatCommand(false, true, "/me waves");
    RoomChatCommand(true, false, "/p nobody psst");
    ASSERT_TRUE(RunUntil([this] { return lines.room.size() >= 3; }));
    const std::vector<std::string> expected = {
        Chat("~01~22(~~14~03alice~~~22) ~~00hello room"),
        Chat("~22* ~14~01alice~~00 waves"),
        Chat("~19User does not exist"),
    };
    EXPECT_EQ(lines.room, expected);
    EXPECT_EQ(lines.game, expected);  // the game window's party line shows them as well
}

}  // namespace
}  // namespace pk
