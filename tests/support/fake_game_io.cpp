#include "support/fake_game_io.h"

#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "game/zrowngame.h"

namespace pk::testing {

void ScriptedEffects::RunSpecialEvent(const tqsb& event) {
    events.push_back(event);
    if (onEvent) {
        onEvent(event);
    } else if (!holdEntry) {
        FinishQueueEntry();
    }
}

void EngineTest::SetUp() {
    FieldWidth = 12;
    FieldHeight = 22;
    Settings = tsettingsarray{};
    ClearEventQueue();
    FreePendingHistory();
    InitPlayerSlots();
    ResetGame();
    ClearClientLog();
    SetGameSender(&sender);
    SetGameView(&display);
    SetGameClock(&clock);
    SetGameEffects(&effects);
    own = AddPlayer("me");
    SeatPlayer(*own, 1);
    ClientState.game.OwnPlayer = own;
    ClientState.game.OwnSlot = 1;
    ClientState.game.Spectating = 0;
}

void EngineTest::TearDown() {
    ClearEventQueue();
    FreePendingHistory();
    FreePlayerSlots();
    ResetGame();
    SetGameSender(nullptr);
    SetGameView(nullptr);
    SetGameClock(nullptr);
    SetGameEffects(nullptr);
    FieldWidth = 12;
    FieldHeight = 22;
}

void EngineTest::StartWith(const std::string& tokens, int32_t seedA, int32_t seedB,
                           int pendingLimit) {
    tmegame& g = ClientState.game;
    g.PendingLimit = pendingLimit;
    g.UpcomingPieces = tokens;
    g.CurrentPiece = TokenAt(1, tokens, '\x02').substr(1);
    g.SeedA = seedA;
    g.SeedB = seedB;
    g.Inventory.clear();
    g.OwnLevel = Settings.rules.lvlstart;
    g.GameRunning = 1;
    QueueStartPiece(true);
}

std::string Tokens(std::initializer_list<std::string> tokens) {
    std::string out;
    for (const auto& t : tokens) {
        if (!out.empty())
            out += '\x02';
        out += t;
    }
    return out;
}

std::string FieldFromRows(std::initializer_list<std::string> bottomRows) {
    std::string rows;
    for (const auto& r : bottomRows) rows += r;
    return std::string(static_cast<size_t>(FieldWidth) * FieldHeight - rows.size(), '0') + rows;
}

}  // namespace pk::testing
