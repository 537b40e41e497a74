// Key actions: the key table's defaults and reset, the auto-repeat of a held key, and the 19
// actions the keys trigger in the own game. The game thread polls the keys (zrgamethread);
// everything else here runs on the main thread, where the game state lives.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "game/zrkeytable.h"

namespace pk {

enum KeyActionId : int {
    kaRotateRight = 0,
    kaRotateLeft = 1,
    kaFallFaster = 2,
    kaDropPiece = 3,
    kaMoveLeft = 4,
    kaMoveRight = 5,
    kaToggleTarget = 6,
    kaUseSpecial = 7,
    kaSendMessage = 8,
    kaDiscardSpecial = 9,
    kaHoldPiece = 10,
    kaSacrificeSpecial = 11,
    kaRevengeAttack = 12,
    kaPlayer1 = 13,  // .. kaPlayer1 + 5 for "Player 6"
};

// The names the key page shows, by action id.
extern const std::array<std::string_view, KeySlotCount> KeyActionNames;

// One default slot: key (virtual-key code), repeat and initial delay in ms.
struct TKeyDefault {
    int32_t key;
    int32_t repeat;
    int32_t delay;
};
extern const std::array<TKeyDefault, KeySlotCount> KeyDefaults;

// The game's key table (the settings record's; see zrgame.h).
TKeyTable& KeyTable();

// 1 while ResetKeyTable rewrites the table; the poll skips every slot meanwhile.
extern std::atomic<uint8_t> KeyTableBusy;

// Mask bits of ResetKeyTable. Every reset also numbers the slots by action id.
enum KeyResetBits : int {
    krActionIds = 0x00,       // nothing else
    krDefaultRepeats = 0x01,  // the default repeat intervals into the settings
    krUseRepeats = 0x02,      // the repeat settings into use
    krDefaultDelays = 0x04,   // the default initial delays into the settings
    krUseDelays = 0x08,       // the delay settings into use
    krDefaultKeys = 0x10,     // the default keys into the settings
    krUseKeys = 0x20,         // the key settings into use
    krClearTimers = 0x40,     // every repeat timer stopped
    krEverything = 0x7F,      // a mask above it does everything too
};
// The configuration loader: the defaults, before the saved keys are read over them (21).
inline constexpr int krConfigLoad = krDefaultRepeats | krDefaultDelays | krDefaultKeys;
// The game start: the settings into use, timers stopped (106).
inline constexpr int krGameStart = krUseRepeats | krUseDelays | krUseKeys | krClearTimers;
// The end of confusion: the own keys back from the settings, timers stopped (96).
inline constexpr int krConfusionEnd = krUseKeys | krClearTimers;

void ResetKeyTable(TKeyTable& table, int mask);
void ResetKeyTable(int mask);

// Confusion: the in-use keys of "Rotate right", "Fall faster", "Move left" and "Move right"
// take the setting keys of the same four actions in the order given (indices 0..3 into that
// list of four).
inline constexpr std::array<int, 4> ConfusableActions = {kaRotateRight, kaFallFaster, kaMoveLeft,
                                                         kaMoveRight};
void ConfuseKeys(TKeyTable& table, const std::array<int, 4>& order);
void ConfuseKeys(const std::array<int, 4>& order);

// One key event: kind 0 down or repeat, 1 up.
struct TKeyEvent {
    uint16_t key = 0;
    uint8_t action = 0;
    uint8_t kind = 0;
    bool operator==(const TKeyEvent&) const = default;
};
inline constexpr uint8_t KeyDown = 0;
inline constexpr uint8_t KeyUp = 1;

// The auto-repeat of one slot at time `now`, `down` telling whether its in-use key is held:
// the first event comes at once, the second after max(delay, repeat), later ones every repeat
// interval; a late poll emits the repeats it missed. Delays and intervals below 1 count as 1.
// `action` is the slot's index in the table (its action id), passed in so that the game thread
// reads no field the main thread rewrites without atomics.
void PollKeySlot(TKeySlotRec& slot, int action, bool down, int64_t now,
                 std::vector<TKeyEvent>& events);

// ---- what the key actions need of the windows around them

// The windows and options the actions consult. Each has a default that suits a headless game;
// the in-game window installs the real one.
class GameInputHost {
public:
    virtual ~GameInputHost() = default;
    virtual bool ClosingDown() { return false; }
    // The in-game window exists and is shown.
    virtual bool InGameWindowShown() { return true; }
    // The foreground window belongs to this program.
    virtual bool ApplicationInFront() { return true; }
    // The in-game message edit box has the focus.
    virtual bool ChatEditFocused() { return false; }
    // The option "animdrop": smooth fall and animated drop.
    virtual bool AnimDrop() { return false; }
    // "Send message": activates the skin element "chateditbox" and focuses the edit box.
    virtual void ActivateChatEdit() {}
    // The slot shown at display position 1..6 (0 when none). Position 1 is the big field.
    virtual int SlotAtDisplayPosition(int position);
    // A watcher asks to view the player at a display position.
    virtual void RequestViewedSlot(int /*position*/) {}
    // Whether a timed effect ("i", "d", ...) runs on a slot.
    virtual bool TimedActive(int slot, std::string_view name);
    // Pause of the animated drop; the main thread waits here between two rows.
    virtual void Sleep(int ms);
    // The Caps Lock key was used as a game key: undo the lock it toggled.
    virtual void UndoCapsLock();
};
GameInputHost& GameInput();
void SetGameInput(GameInputHost* host);  // nullptr restores the default

// ---- main thread

// Makes NextTarget the player slots' hook for a target that leaves. Safe to call again.
void InstallKeyActions();

bool GameInputAllowed();
void GameKeyDispatch(int action, int key, int kind);
void RunKeyEvents(const std::vector<TKeyEvent>& events);

void MoveLeft();
void MoveRight();
void RotateRight();
void RotateLeft();
void FallFaster();
void FallFasterRelease();
void dropdown();
void NextTarget();
void UseSpecial(int slot);
void DiscardSpecial();
void SacrificeSpecial();
void HoldAction();
void SendMessageAction();
void SpectatorViewKey(char character, bool up);

// The usage id a new special usage gets: 1 + the largest id byte in the log, 1 when empty.
uint8_t NextUsageId(const std::string& log);

// Message type of a special usage (target slot, or "d" / "s"; the id and the inventory's
// checksum).
inline constexpr uint8_t MsgSpecialUsage = 0x1d;

}  // namespace pk
