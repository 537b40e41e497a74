// Fakes for the key actions and the game thread: a keyboard whose keys the test holds down,
// the windows' answers, and a fixture with a clean key table on top of a clean own game.
#pragma once

#include <atomic>
#include <set>
#include <string>
#include <vector>

#include "game/zrgamethread.h"
#include "game/zrkey.h"
#include "platform/keystate.h"
#include "support/fake_game_io.h"

namespace pk::testing {

class FakeKeyboard : public KeyStateSource {
public:
    bool keyDown(int vk) const override { return vk > 0 && vk < 256 && down[vk].load(); }
    void press(int vk) { down[vk] = true; }
    void release(int vk) { down[vk] = false; }
    std::atomic<bool> down[256] = {};
};

class FakeInput : public GameInputHost {
public:
    bool ClosingDown() override { return closing; }
    bool ApplicationInFront() override { return inFront; }
    bool ChatEditFocused() override { return chatFocused; }
    bool AnimDrop() override { return animDrop; }
    void ActivateChatEdit() override { ++chatActivations; }
    void RequestViewedSlot(int position) override { viewRequests.push_back(position); }
    bool TimedActive(int slot, std::string_view name) override {
        return timed.count(std::to_string(slot) + std::string(name)) > 0;
    }
    void Sleep(int ms) override { sleeps.push_back(ms); }
    void UndoCapsLock() override { ++capsUndone; }

    bool closing = false, inFront = true, chatFocused = false, animDrop = false;
    std::set<std::string> timed;  // slot number + letter, "1d"
    int chatActivations = 0, capsUndone = 0;
    std::vector<int> viewRequests, sleeps;
};

class KeyTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        ResetKeyTable(krEverything);
        GameThreadFlags.RedrawRequested = 0;
        GameThreadFlags.LastRedrawTime = 0;
        SetGameInput(&input);
    }
    void TearDown() override {
        SetGameInput(nullptr);
        EngineTest::TearDown();
    }
    // Puts a player into a slot with an empty field in state `state`.
    tclient* Seat(int slot, const std::string& name, int state = psPlaying) {
        tclient* c = AddPlayer(name);
        SeatPlayer(*c, slot);
        c->plr->PlayerState = static_cast<uint8_t>(state);
        return c;
    }

    FakeInput input;
};

}  // namespace pk::testing
