#pragma once
// Recording stand-ins for the engine's services as room code uses them: the messages sent to
// the game server, the display refreshes and sounds, and a clock the test sets.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "game/zrgameio.h"

namespace pk::test {

class RecordingSender : public GameMessageSender {
public:
    std::vector<std::pair<uint8_t, std::string>> sent;
    void SendGameMessage(uint8_t type, const std::string& payload) override {
        sent.emplace_back(type, payload);
    }
};

class RecordingDisplay : public GameDisplay {
public:
    std::vector<std::string> sounds;
    std::vector<std::pair<int, int>> refreshes;  // mask, slot
    int ownRedraws = 0;
    void RedrawOwnField() override { ++ownRedraws; }
    void RefreshDisplay(int mask, int slot) override { refreshes.emplace_back(mask, slot); }
    void PlaySound(std::string_view name) override { sounds.emplace_back(name); }
};

class ManualClock : public GameClock {
public:
    int64_t seconds = 1000;
    int64_t MilliClock() override { return seconds * 1000; }
    int64_t SecondClock() override { return seconds; }
};

}  // namespace pk::test
