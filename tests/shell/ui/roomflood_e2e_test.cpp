// Floods from the scripted room on loopback into the game room window on the default theme:
// however many players arrive and leave and however many server texts come, the window's event
// loop keeps coming round, and the player list ends as the room holds it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <cstdio>

#include "core/ui/zrtxtbox.h"
#include "core/zrconst.h"
#include "game/zrgame.h"
#include "peers/room_script.h"
#include "peers/room_server.h"
#include "room/ui/zrpartylineform.h"
#include "room/zrgamelink.h"
#include "room/zrpartyline.h"
#include "shell/shell_fixture.h"
#include "shell/ui/room_windows_fixture.h"
#include "shell/ui/zrforms.h"
#include "shell/ui/zrmain.h"
#include "skin/ui/zrskinwidgets.h"
#include "support/event_loop.h"
#include "support/temp_dir.h"
#include "support/widgetapp.h"

namespace pk {
namespace {

using peers::GameServerPeer;
using peers::ScriptedRoom;
using test::RunUntil;

class RoomFloodTest : public test::RoomWindowsFixture {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(OpenWindows());
        ASSERT_NO_FATAL_FAILURE(ShowAndListen());
        scripted = std::make_unique<ScriptedRoom>(server);
        scripted->AddBot("Drovak", 3, "reds");
        QApplication::processEvents();
        GameConnect("127.0.0.1", server.Port());
        ASSERT_TRUE(RunUntil([] {
            return ClientState.game.GameLinkState == LinkInRoom && FindPlayer("Drovak") != nullptr;
        }));
        // The room page is the one shown, as it is in a room.
        room->show();
        QApplication::processEvents();
    }
    peers::GameServerSession& Session() { return *server.Last(); }
    static int Spectators() {
        int n = 0;
        for (const auto& p : Players) n += p && p->slot == 0 ? 1 : 0;
        return n;
    }

    std::unique_ptr<ScriptedRoom> scripted;
};

TEST_F(RoomFloodTest, FiftyThousandArrivalsAndTheirLeavingLeaveTheWindowAnswering) {
    constexpr int kArrivals = test::FloodSize(50000);
    const int before = Spectators();
    for (int i = 0; i < kArrivals; ++i)
        Session().SendFrame(0x0d, "0\x02w" + std::to_string(i) + "\x02");
    test::EventLoopGaps arriving;
    ASSERT_TRUE(RunUntil([&] { return Spectators() == before + kArrivals; }, 600000));
    test::DrainEvents();
    std::printf(
        "[ figures  ] %d arrivals: longest event-loop gap %.1f ms over %ld turns (%.0f ms "
        "waited for a processor)\n",
        kArrivals, arriving.LongestMs(), arriving.Turns(), arriving.WaitedMs());
    if (test::kOptimisedBuild) {
        EXPECT_LT(arriving.LongestMs(), 100.0);
    }
    EXPECT_EQ(room->userlist()->model()->rowCount(), 7 + before + kArrivals);

    // Half of them leave again, every second one.
    for (int i = 0; i < kArrivals; i += 2) Session().SendFrame(0x18, "w" + std::to_string(i));
    test::EventLoopGaps leaving;
    ASSERT_TRUE(RunUntil([&] { return Spectators() == before + kArrivals / 2; }, 600000));
    test::DrainEvents();
    std::printf(
        "[ figures  ] %d leaving: longest event-loop gap %.1f ms over %ld turns (%.0f ms "
        "waited for a processor)\n",
        kArrivals / 2, leaving.LongestMs(), leaving.Turns(), leaving.WaitedMs());
    if (test::kOptimisedBuild) {
        EXPECT_LT(leaving.LongestMs(), 100.0);
    }
    EXPECT_EQ(room->userlist()->model()->rowCount(), 7 + before + kArrivals / 2);
}

TEST_F(RoomFloodTest, AHundredThousandServerTextsLeaveTheWindowAnswering) {
    constexpr int kTexts = 100000;  // whole in every build: it ends in seconds even in a slow one
    // Kind 'c', code 8 (a room message line), the room bit only.
    const std::string head = std::string("c") + char(0) + char(8 << 3 | 2);
    for (int i = 0; i < kTexts; ++i) Session().SendFrame(0x03, head + "line " + std::to_string(i));
    const std::string last = "line " + std::to_string(kTexts - 1);
    test::EventLoopGaps gaps;
    ASSERT_TRUE(RunUntil(
        [&] {
            const TTextLines& lines = room->chatbox()->Lines();
            return lines.Count() > 0 &&
                   lines.Line(lines.Count() - 1).plain.find(last) != std::string::npos;
        },
        600000));
    test::DrainEvents();
    std::printf(
        "[ figures  ] %d server texts: longest event-loop gap %.1f ms over %ld turns (%.0f "
        "ms waited for a processor)\n",
        kTexts, gaps.LongestMs(), gaps.Turns(), gaps.WaitedMs());
    if (test::kOptimisedBuild) {
        EXPECT_LT(gaps.LongestMs(), 100.0);
    }
    EXPECT_EQ(room->chatbox()->Lines().Count(), TextBoxMaxLines);
}

}  // namespace
}  // namespace pk
