// Recording fakes of the engine's services and a fixture that gives each test a clean own game.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "game/zrfmqueue.h"
#include "game/zrgame.h"
#include "game/zrgameio.h"

namespace pk::testing {

class RecordingSender : public GameMessageSender {
public:
    void SendGameMessage(uint8_t type, const std::string& payload) override {
        sent.emplace_back(type, payload);
    }
    std::vector<std::pair<uint8_t, std::string>> sent;
};

class RecordingDisplay : public GameDisplay {
public:
    void RedrawOwnField() override { ++redraws; }
    void RefreshDisplay(int mask, int slot) override { refreshes.emplace_back(mask, slot); }
    void PlaySound(std::string_view name) override { sounds.emplace_back(name); }
    int redraws = 0;
    std::vector<std::pair<int, int>> refreshes;
    std::vector<std::string> sounds;
};

class ManualClock : public GameClock {
public:
    int64_t MilliClock() override { return ms; }
    int64_t SecondClock() override { return ms / 1000; }
    int64_t ms = 100000;
};

// Special events are handed to a callback (default: change nothing and end the entry).
class ScriptedEffects : public GameEffects {
public:
    void RunSpecialEvent(const tqsb& event) override;
    void TickPieceEffects() override { ++pieceTicks; }
    std::vector<tqsb> events;
    // When set, runs instead of the default; it must end the entry itself.
    void (*onEvent)(const tqsb&) = nullptr;
    bool holdEntry = false;  // leave the entry running (an effect with on-screen phases)
    int pieceTicks = 0;
};

// A clean own game: 12 x 22, the own player in slot 1 with an empty field, fakes installed,
// empty queue, history and log.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Sets up a running own game with these tokens and seeds, as the game start does.
    void StartWith(const std::string& tokens, int32_t seedA, int32_t seedB, int pendingLimit);

    RecordingSender sender;
    RecordingDisplay display;
    ManualClock clock;
    ScriptedEffects effects;
    tclient* own = nullptr;
};

// "1" + piece joined by 0x02, for building token lists.
std::string Tokens(std::initializer_list<std::string> tokens);
// A field from rows given top to bottom; missing top rows are empty.
std::string FieldFromRows(std::initializer_list<std::string> bottomRows);

}  // namespace pk::testing
