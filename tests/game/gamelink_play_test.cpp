// The whole road: connect, join, a game starts, placed pieces go to the
// scripted server and come back acknowledged with the state the client had.
#include "game/gamelink_fixture.h"
#include "game/zrfmqueue.h"
#include "game/zrowngame.h"
#include "peers/game_server_play.h"

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

class GamePlayTest : public GameLinkTest {
protected:
    void SetUp() override {
        GameLinkTest::SetUp();
        tgamerules& rules = Settings.rules;
        rules.lvlstart = 1;
        rules.sbinc = 1;
        rules.linesforsb = 1;
        rules.invcap = 18;
        rules.piecedelay = 0;
        for (int i = 1; i <= 4; ++i) {
            rules.sbchance[static_cast<std::size_t>(i)] = "acnrsbgqovidfm";
        }
    }
    static bool PieceReady() {
        return GameTiming.PieceActive.load() == 1 && ClientState.game.QueueBusy == 0 &&
               ClientState.game.PieceWaiting == 0;
    }
};

TEST_F(GamePlayTest, EveryPlacedPieceIsAcknowledgedAndMatches) {
    Connect();
    ASSERT_TRUE(Joined());
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

TEST_F(GamePlayTest, AWrongAcknowledgementIsCaughtAndLogged) {
    Connect();
    ASSERT_TRUE(Joined());
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
    // The mismatch costs the message, not the link.
    EXPECT_EQ(ClientState.game.GameLinkState, LinkInRoom);
    EXPECT_NE(ClientLog().find("Error in command 1 26 "), std::string::npos) << ClientLog();
}

}  // namespace
}  // namespace pk
