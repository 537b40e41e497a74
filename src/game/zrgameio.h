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

// Refresh mask bits: the in-game display elements a refresh marks for repainting. The painter
// reads the bits, so their values are fixed.
enum RefreshBits : int {
    rfInventory = 0x0001,    // the inventory elements
    rfNextPiece = 0x0002,    // "nextpiece"
    rfLevel = 0x0004,        // "level"
    rfLineCount = 0x0008,    // "linecount"
    rfSpecialText = 0x0010,  // "sbtext", the name of the first special of the inventory
    rfNames = 0x0020,        // the six name elements
    rfEverything = 0x0040,   // every element, as at a game start
    rfSlotName = 0x0080,     // the name element of the slot passed (its timed effects)
    rfTargets = 0x0100,      // the special-block target markers
    rfHoldPiece = 0x0200,    // "holdpiece"
    rfSlotPlayer = 0x0400,   // the player element of the slot passed
    rfFields = 0x0800,       // the six field elements
};
// The masks the game asks for together.
inline constexpr int rfInventoryDisplay = rfInventory | rfSpecialText;  // 17
inline constexpr int rfSlotElements = rfSlotName | rfSlotPlayer;        // 0x480
// Gravity on the own field may collect specials and count lines and a level.
inline constexpr int rfAfterGravity = rfInventory | rfLevel | rfLineCount | rfSpecialText;  // 29

// Display refreshes, redraws and sound effects asked for by the engine.
class GameDisplay {
public:
    virtual ~GameDisplay() = default;
    virtual void RedrawOwnField() = 0;
    // mask: RefreshBits. slot: the slot the refresh is about (rfSlotName, rfSlotPlayer), 0 for
    // the own display.
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
