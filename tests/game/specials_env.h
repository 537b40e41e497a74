// Test stand-ins for the game around the special blocks: plain members that tests set up and
// read back.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "game/zrsb.h"
#include "game/zrslot.h"
#include "game/zrtimedsb.h"

namespace pk::testing {

// Packs (value, bit count) pairs most significant bit first, as the server writes them.
inline std::string PackBits(const std::vector<std::pair<uint32_t, int>>& fields) {
    std::string out;
    int used = 0;  // bits used in the last byte
    for (auto [value, count] : fields) {
        for (int i = count - 1; i >= 0; --i) {
            if (used == 0)
                out.push_back('\0');
            if ((value >> i) & 1)
                out.back() = static_cast<char>(out.back() | (0x80 >> used));
            used = (used + 1) % 8;
        }
    }
    return out;
}

// The run-time library's generator: state := state x 134775813 + 1, draw(n) = (state x n) >> 32.
struct LibraryRandom {
    uint32_t state = 0;
    int Draw(int n) {
        state = state * 134775813u + 1u;
        return static_cast<int>((uint64_t{state} * static_cast<uint32_t>(n)) >> 32);
    }
};

class FakeTimedHost : public TimedHost {
public:
    int32_t clock = 1000;
    int own = 1;
    bool timerOn = false;
    int timerStarts = 0;
    std::vector<int> redraws;
    std::vector<std::pair<int, int>> refreshes;  // (mask, slot)
    std::vector<std::string> sounds;

    int32_t SecondClock() override { return clock; }
    int OwnSlot() override { return own; }
    void RedrawField(int slot) override { redraws.push_back(slot); }
    void RefreshSlot(int mask, int slot) override { refreshes.emplace_back(mask, slot); }
    void PlayThemeSound(const std::string& name) override { sounds.push_back(name); }
    void SetTimedTimer(bool running) override {
        if (running && !timerOn)
            ++timerStarts;
        timerOn = running;
    }
};

struct FakePlayer {
    std::string name;
    int state = psPlaying;
    std::string field;
};

class FakeSpecialEnv : public SpecialEnv {
public:
    int width = 12, height = 22;
    SpecialRules rules;
    bool spectating = false, running = true, showIncoming = true;
    std::array<std::optional<FakePlayer>, MaxSlots + 1> players;  // index = slot
    int revenge = 0, attacks = 0, lines = 0, level = 1;
    std::vector<std::pair<int, std::string>> collected;  // (line count, letters)
    int finished = 0;
    std::vector<int> redraws, refreshes, keyResets;
    std::optional<std::array<int, 4>> confusion;
    std::vector<std::string> attackLines, events, chat;
    LibraryRandom random;
    FakeTimedHost timedHost;
    TTimedSpecials timed{timedHost};

    FakeSpecialEnv() {
        for (int slot = 1; slot <= 3; ++slot) {
            players[slot] = FakePlayer{"P" + std::to_string(slot), psPlaying,
                                       std::string(static_cast<size_t>(width * height), '0')};
        }
    }
    std::string& Field(int slot) { return players[slot]->field; }
    void SetOwn(int slot) { timedHost.own = own_ = slot; }

    int Width() const override { return width; }
    int Height() const override { return height; }
    const SpecialRules& Rules() const override { return rules; }
    int OwnSlot() const override { return own_; }
    bool Spectating() const override { return spectating; }
    bool GameRunning() const override { return running; }
    std::string* SlotField(int slot) override {
        if (!ValidSlot(slot) || !players[slot])
            return nullptr;
        return &players[slot]->field;
    }
    std::string SlotName(int slot) const override {
        return ValidSlot(slot) && players[slot] ? players[slot]->name : "";
    }
    int SlotState(int slot) const override {
        return ValidSlot(slot) && players[slot] ? players[slot]->state : NoPlayerState;
    }
    void SetRevengeSlot(int slot) override { revenge = slot; }
    int CountAttack() override { return ++attacks; }
    void AddLinesCleared(int count) override { lines += count; }
    void SetOwnLevel(int value) override { level = value; }
    void CollectIntoInventory(int count, const std::string& letters) override {
        collected.emplace_back(count, letters);
    }
    // The link's decoder is not under test here: the fake takes the data as the new field.
    std::string DecodeFieldDiff(const std::string&, std::string_view bits) override {
        return std::string(bits);
    }
    void FinishQueueEntry() override { ++finished; }
    void RedrawField(int slot) override { redraws.push_back(slot); }
    void RefreshDisplay(int mask) override { refreshes.push_back(mask); }
    void ConfuseKeys(const std::array<int, 4>& order) override { confusion = order; }
    void ResetKeyTable(int mask) override { keyResets.push_back(mask); }
    int Draw(int n) override { return random.Draw(n); }
    std::string TimeStamp() override { return "[12:00] "; }
    bool ShowIncomingSpecials() const override { return showIncoming; }
    void AddAttackLine(const std::string& line) override { attackLines.push_back(line); }
    void AddGameEvent(const std::string& line) override { events.push_back(line); }
    void AddInGameChat(const std::string& line) override { chat.push_back(line); }
    TTimedSpecials& Timed() override { return timed; }

private:
    int own_ = 1;
};

}  // namespace pk::testing
