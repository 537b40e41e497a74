// Special blocks end to end: the scripted game server starts a game, acknowledges every placed
// piece from an independent model of the own field, and sends specials aimed at the own field
// (0x16), the echo of the own switch (0x15) and a special between two other players (0x11).
// Each 0x15/0x16 carries the checksum the server expects after it; the next acknowledgement
// checks the client's field once more. No mismatch may be logged.
#include "game/zrfmqueue.h"
#include "game/zrowngame.h"
#include "game/zrtimedsb.h"
#include "peers/game_server_play.h"
#include "room/gamelink_fixture.h"
#include "room/zrsbgame.h"
#include "support/ack_computer.h"

namespace pk {
namespace {

using testing::AckComputer;
using testing::AckRules;

constexpr char S = '\x02';

class SpecialsPlayTest : public GameLinkTest {
protected:
    void SetUp() override {
        GameLinkTest::SetUp();
        Settings = tsettingsarray{};
        ClearEventQueue();
        FreePendingHistory();
        InstallSpecialBlocks();
        // The pieces are answered from the independent model below, which follows the specials.
        server.options.acknowledge = false;
        server.OnFrame = [this](GameServerSession& session, const GameFrame& frame) {
            if (frame.type == MsgPiecePlaced && model) {
                session.SendFrame(
                    0x1a, model->OnReport(frame.payload, {"1" + std::string(PieceTable[3])}));
            }
        };
        Connect();
        ASSERT_TRUE(Joined());
    }
    void TearDown() override {
        ClearEventQueue();
        FreePendingHistory();
        UninstallSpecialBlocks();
        GameLinkTest::TearDown();
    }
    // Sends frames, then waits until a marker (the average level) shows they were handled.
    void Send(const std::vector<std::pair<std::uint8_t, std::string>>& frames) {
        static int markers = 0;
        const int marker = ++markers;
        for (const auto& [type, payload] : frames) Session().SendFrame(type, payload);
        Session().SendFrame(0x0a, std::to_string(5000 + marker));
        ASSERT_TRUE(RunUntil([&] { return ClientState.game.AverageLevel == 5000 + marker; }));
    }
    // Drops the falling piece where it is and waits for its acknowledgement.
    void PlacePiece() {
        ASSERT_NE(ClientState.game.PieceX, -1);
        QueueEndPiece(true);
        ASSERT_TRUE(RunUntil([] { return PendingHistory.empty() && !ClientState.game.QueueBusy; }));
    }
    // A special on the own field: the server changes its model, then sends the expected
    // checksum with the data.
    void Incoming(std::uint8_t type, const std::string& letters, int slot, const std::string& data,
                  const std::vector<std::string>& rowsAfter) {
        model->state_for_change().rows = rowsAfter;
        const std::string checksum = std::to_string(AckComputer::Checksum(model->Field()));
        Send({{type, letters + S + std::to_string(slot) + S + checksum + S + data}});
    }
    bool Clean() const {
        return !LogHas("BUG") && !LogHas("Unsynchronized") && !LogHas("Error in");
    }

    std::unique_ptr<AckComputer> model;
};

TEST_F(SpecialsPlayTest, SpecialsFromTheServerKeepTheFieldInStep) {
    Send({{0x0d, std::string("2") + S + "bob" + S}, {0x0d, std::string("3") + S + "cy" + S}});
    std::vector<std::string> tokens;
    std::string joined;
    for (int i = 0; i < 8; ++i) {
        tokens.push_back("2" + std::string(PieceTable[static_cast<size_t>(i % 7)]));
        joined += (i ? std::string(1, S) : std::string()) + tokens.back();
    }
    model = std::make_unique<AckComputer>(AckRules{}, EmptyField(), tokens, 1234, 5678);
    Send({{0x17, peers::StartGamePayload(joined, 1234, 5678)}});
    ASSERT_EQ(ClientState.game.GameRunning, 1);
    PlacePiece();
    PlacePiece();
    ASSERT_TRUE(Clean()) << ClientLog();
    ASSERT_EQ(OwnField(), model->Field());

    // Bob adds a line: the top row drops out, the new row enters at the bottom.
    std::vector<std::string> rows = model->state().rows;
    rows.erase(rows.begin());
    rows.push_back("123451234512");
    Incoming(0x16, "a", 2, "123451234512", rows);
    EXPECT_EQ(OwnField(), model->Field());
    EXPECT_EQ(ClientState.game.RevengeSlot, 2);

    // Bob clears column 3.
    for (auto& row : rows) row[2] = '0';
    Incoming(0x16, "v", 2, "3", rows);
    EXPECT_EQ(OwnField(), model->Field());

    // A quake that moves only the bottom row one cell to the right.
    std::string quake(9, '\0');  // 22 rows x 3 bits, all still ...
    quake[7] = 0x00;
    quake[8] = 0x40;  // ... but the last row: direction 0, shift 01
    rows.back() = "0" + rows.back().substr(0, 11);
    Incoming(0x16, "q", 2, quake, rows);
    EXPECT_EQ(OwnField(), model->Field());

    // Darkness starts without touching the field.
    Incoming(0x16, "d", 2, "start", rows);
    EXPECT_TRUE(TimedSpecials->TimedActive(1, "d"));

    // The own switch with cy: the server sends the new own field as a difference.
    std::vector<std::string> switched(22, "000000000000");
    switched[20] = "330000000033";
    switched[21] = "333333033333";
    std::string after;
    for (const auto& row : switched) after += row;
    Incoming(0x15, "s", 3, peers::EncodeFieldChanges(OwnField(), after), switched);
    EXPECT_EQ(OwnField(), after);

    // Bob adds a line to cy: only cy's small field changes.
    Send({{0x11, std::string("a") + S + "2" + S + "3" + S + "555555555555"}});
    EXPECT_EQ(SlotPlayers[3]->plr->field.substr(21 * 12), "555555555555");
    EXPECT_EQ(OwnField(), after);

    // The next pieces are acknowledged against the changed field.
    PlacePiece();
    PlacePiece();
    EXPECT_TRUE(Clean()) << ClientLog();
    EXPECT_EQ(OwnField(), model->Field());
    EXPECT_EQ(ClientState.game.AttackCount, 6);
    int events = 0;
    for (const auto& line : ClientState.game.GameEventLog) {
        events += line.find("Event: to ") != std::string::npos;
    }
    EXPECT_EQ(events, 6);
}

}  // namespace
}  // namespace pk
