// What the game engine asks of the world around it, as small interfaces: the windows and the
// game-server link implement them, tests install fakes. Each has a do-nothing default, so the
// engine runs headless until someone installs the real one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pk {

struct tqsb;

// Sends one message to the game server: a type byte and its payload (fields separated by
// 0x02). Implemented by the game-server link, which frames and scrambles it.
class GameMessageSender {
public:
    virtual ~GameMessageSender() = default;
    virtual void SendGameMessage(uint8_t type, const std::string& payload) = 0;
};

// Display refreshes, redraws and sound effects asked for by the engine.
// Refresh masks: 2 next piece, 4 level, 8 lines, 17 (0x11) inventory, 0x200 hold/falling piece,
// 0x40 everything of a game start, 0x480 a slot's elements.
class GameDisplay {
public:
    virtual ~GameDisplay() = default;
    virtual void RedrawOwnField() = 0;
    // slot: the slot the refresh is about (masks 0x80/0x400), 0 for the own display.
    virtual void RefreshDisplay(int mask, int slot) = 0;
    virtual void PlaySound(std::string_view name) = 0;
};

// Millisecond and second clocks (MilliClock / SecondClock); tests install a manual clock.
class GameClock {
public:
    virtual ~GameClock() = default;
    virtual int64_t MilliClock() = 0;
    virtual int64_t SecondClock() = 0;
};

// Effects owned by the special-block and timed-effect units, which the engine triggers.
class GameEffects {
public:
    virtual ~GameEffects() = default;
    // Runs a special-block event of the queue on the rolled-back own state. Must end the queue
    // entry with FinishQueueEntry, at once or after its on-screen phases.
    virtual void RunSpecialEvent(const tqsb& event) = 0;
    // One step of the piece-counted timed effects (an acknowledged piece not from the hold).
    virtual void TickPieceEffects() = 0;
};

// The installed services. Never null: without an installed one a do-nothing default answers
// (the default clock reads the system's monotonic clock; the default effects just end the
// queue entry). Installing nullptr restores the default.
GameMessageSender& GameSender();
GameDisplay& GameView();
GameClock& GameClocks();
GameEffects& GameFx();
void SetGameSender(GameMessageSender* s);
void SetGameView(GameDisplay* d);
void SetGameClock(GameClock* c);
void SetGameEffects(GameEffects* e);

}  // namespace pk
