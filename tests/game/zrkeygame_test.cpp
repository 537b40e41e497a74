// A whole own game played from the keyboard through the real game thread: scripted key
// presses move and drop the pieces, and an independent model of the game server acknowledges
// every placed piece.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <stdexcept>

#include "game/zrgame.h"
#include "game/zrgamethread.h"
#include "game/zrlog.h"
#include "game/zrmisc.h"
#include "game/zrowngame.h"
#include "support/ack_computer.h"
#include "support/event_loop.h"
#include "support/key_fixture.h"

namespace pk {
namespace {

const std::string Bar = "104011111";

// Answers each 0x19 a moment later, as a server across a network would.
class AckingSender : public GameMessageSender {
public:
    explicit AckingSender(testing::AckComputer& model) : model_(model) {}
    void SendGameMessage(uint8_t type, const std::string& payload) override {
        if (type != 0x19)
            return;
        ++reports;
        const std::string ack = model_.OnReport(payload, {Bar});
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [this, ack] {
                try {
                    AcknowledgementMessage(ack);
                } catch (const std::exception& e) {
                    failure = e.what();
                }
            },
            Qt::QueuedConnection);
    }
    int reports = 0;
    std::string failure;

private:
    testing::AckComputer& model_;
};

class KeyGameTest : public testing::KeyTest {
protected:
    void SetUp() override {
        KeyTest::SetUp();
        test::EnsureEventLoop();
        SetGameClock(nullptr);  // the thread and the main thread share the system clock
    }
};

TEST_F(KeyGameTest, ScriptedKeysPlayAGameWithEveryPieceAcknowledged) {
    std::vector<std::string> tokens(6, Bar);
    testing::AckComputer model({}, EmptyField(), tokens, 1234, 5678);
    AckingSender server(model);
    SetGameSender(&server);
    std::string list;
    for (const auto& t : tokens) list += (list.empty() ? "" : "\x02") + t;
    StartWith(list, 1234, 5678, 6);

    testing::FakeKeyboard keys;
    auto thread = std::make_unique<TGameThread>(keys);
    thread->SetInGame(true);
    thread->Start();

    // Three bars side by side fill a row: columns 1, 5 and 9.
    const tmegame& g = ClientState.game;
    auto steer = [&] {
        const int placed = WordCount(g.PieceLog);
        const int target = std::array{1, 5, 9}[static_cast<size_t>(placed % 3)];
        const bool placing = g.PieceX != -1 && !g.PieceWaiting;
        keys.down[37] = placing && g.PieceX > target;
        keys.down[39] = placing && g.PieceX < target;
        keys.down[32] = placing && g.PieceX == target;
        return !server.failure.empty() || (server.reports >= 9 && PendingHistory.empty());
    };
    EXPECT_TRUE(test::RunUntil(steer, 30000));
    EXPECT_EQ(server.failure, "");
    EXPECT_GE(g.LinesCleared, 3);
    EXPECT_EQ(ClientLog().find("BUG"), std::string::npos);
    EXPECT_EQ(OwnField(), model.Field());

    // The main thread stops serving calls as it would while closing; stopping must not hang.
    QThread::msleep(30);
    thread->Stop();
    thread.reset();
}

}  // namespace
}  // namespace pk
