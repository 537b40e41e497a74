#include "game/zrkey.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "core/zrconst.h"
#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "game/zrfield.h"
#include "game/zrfmqueue.h"
#include "game/zrgame.h"
#include "game/zrgameio.h"
#include "game/zrgamethread.h"
#include "game/zrowngame.h"
#include "game/zrtimedsb.h"
#include "platform/keystate.h"

namespace pk {

const std::array<std::string_view, KeySlotCount> KeyActionNames = {
    "Rotate right", "Rotate left",       "Fall faster",       "Drop piece",   "Move left",
    "Move right",   "Toggle targetting", "Use special block", "Send message", "Discard special",
    "Hold piece",   "Sacrifice special", "Revenge attack",    "Player 1",     "Player 2",
    "Player 3",     "Player 4",          "Player 5",          "Player 6"};

const std::array<TKeyDefault, KeySlotCount> KeyDefaults = {{
    {VkUp, 180, 200},       // Rotate right
    {VkControl, 180, 200},  // Rotate left
    {VkDown, 40, 0},        // Fall faster
    {VkSpace, 400, 0},      // Drop piece
    {VkLeft, 70, 120},      // Move left
    {VkRight, 70, 120},     // Move right
    {VkTab, 400, 0},        // Toggle targetting
    {VkCapital, 100, 300},  // Use special block
    {'T', 400, 300},        // Send message
    {'D', 400, 300},        // Discard special
    {VkReturn, 400, 300},   // Hold piece
    {'S', 400, 300},        // Sacrifice special
    {'R', 400, 300},        // Revenge attack
    {'1', 100, 200},        // Player 1
    {'2', 100, 200},        // Player 2
    {'3', 100, 200},        // Player 3
    {'4', 100, 200},        // Player 4
    {'5', 100, 200},        // Player 5
    {'6', 100, 200},        // Player 6
}};

std::atomic<uint8_t> KeyTableBusy{0};

TKeyTable& KeyTable() {
    return Settings.keys;
}

void ResetKeyTable(TKeyTable& table, int mask) {
    if (mask > krEverything)
        mask = krEverything;
    KeyTableBusy = 1;
    for (int i = 0; i < KeySlotCount; ++i) {
        TKeySlotRec& s = table[static_cast<size_t>(i)];
        const TKeyDefault& d = KeyDefaults[static_cast<size_t>(i)];
        s.ActionId = i;
        if (mask & krDefaultRepeats)
            s.RepeatSetting = d.repeat;
        if (mask & krDefaultDelays)
            s.DelaySetting = d.delay;
        if (mask & krDefaultKeys)
            s.KeySetting = d.key;
        if (mask & krUseRepeats)
            s.RepeatInUse = s.RepeatSetting;
        if (mask & krUseDelays)
            s.DelayInUse = s.DelaySetting;
        if (mask & krUseKeys)
            s.KeyInUse = s.KeySetting;
        if (mask & krClearTimers)
            s.NextFire = 0;
    }
    KeyTableBusy = 0;
}

void ResetKeyTable(int mask) {
    ResetKeyTable(KeyTable(), mask);
}

void ConfuseKeys(TKeyTable& table, const std::array<int, 4>& order) {
    KeyTableBusy = 1;
    for (size_t k = 0; k < order.size(); ++k) {
        const int from = order[k];
        if (from < 0 || from > 3)
            continue;
        table[static_cast<size_t>(ConfusableActions[k])].KeyInUse =
            table[static_cast<size_t>(ConfusableActions[static_cast<size_t>(from)])].KeySetting;
    }
    KeyTableBusy = 0;
}

void ConfuseKeys(const std::array<int, 4>& order) {
    ConfuseKeys(KeyTable(), order);
}

void PollKeySlot(TKeySlotRec& slot, int actionId, bool down, int64_t now,
                 std::vector<TKeyEvent>& events) {
    const auto key = static_cast<uint16_t>(slot.KeyInUse.load());
    const auto action = static_cast<uint8_t>(actionId);
    if (!down) {
        if (slot.NextFire.load() != 0) {
            slot.NextFire = 0;
            events.push_back({key, action, KeyUp});
        }
        return;
    }
    // A hand-edited configuration may hold 0 or less: the loop below would never end.
    const int64_t repeat = std::max<int64_t>(slot.RepeatInUse.load(), 1);
    const int64_t delay = std::max<int64_t>(slot.DelayInUse.load(), 1);
    int64_t next = slot.NextFire.load();
    int emitted = 0;
    while (next == 0 || next <= now) {
        events.push_back({key, action, KeyDown});
        next = next == 0 ? now + std::max(delay, repeat) : next + repeat;
        if (++emitted >= MaxKeyRepeatsPerPoll && next <= now) {
            // After a stall (a suspended machine) the missed repeats are not all worth
            // replaying: go on from now.
            next = now + repeat;
            break;
        }
    }
    slot.NextFire = next;
}

// ---------------------------------------------------------------- host

bool GameInputHost::TimedActive(int slot, std::string_view name) {
    return TimedSpecials != nullptr && TimedSpecials->TimedActive(slot, name);
}

int GameInputHost::SlotAtDisplayPosition(int position) {
    // Position 1 is the own slot's big field, 2..6 the other slots in slot order.
    const int own = ClientState.game.OwnSlot;
    if (position == 1)
        return ValidSlot(own) ? own : 0;
    int pos = 1;
    for (int slot = 1; slot <= MaxSlots; ++slot) {
        if (slot == own)
            continue;
        if (++pos == position)
            return slot;
    }
    return 0;
}

void GameInputHost::Sleep(int ms) {
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void GameInputHost::UndoCapsLock() {
    UndoCapsLockToggle();
}

namespace {
GameInputHost DefaultInput;
GameInputHost* InstalledInput = nullptr;

tmegame& Game() {
    return ClientState.game;
}

// The player in a slot with a field, or nullptr.
tplr* SlotState(int slot) {
    if (!ValidSlot(slot))
        return nullptr;
    tclient* c = SlotPlayers[static_cast<size_t>(slot)];
    return c ? c->plr.get() : nullptr;
}

bool OwnPlayerLost() {
    const tplr* own = SlotState(Game().OwnSlot);
    return own && own->PlayerState == psLost;
}

bool DarknessOnOwnSlot() {
    return GameInput().TimedActive(Game().OwnSlot, "d");
}

void RequestRedraw() {
    GameThreadFlags.RedrawRequested = 1;
}

// Records a special usage and reports it: `target` is the slot in decimal, "d" or "s".
void ReportUsage(char letter, const std::string& target) {
    std::string& log = CurrentUsageLog();
    const uint8_t id = NextUsageId(log);
    log += static_cast<char>(id);
    log += letter;
    const auto checksum = static_cast<uint16_t>(FieldChecksum(Game().Inventory));
    std::string payload = target;
    payload += TokenSep;
    payload += static_cast<char>(id);
    payload += WordToRawString(checksum);
    GameSender().SendGameMessage(MsgSpecialUsage, payload);
}

// Moves the piece by dx when it fits there.
void Shift(int dx) {
    tmegame& g = Game();
    if (!collision(g.PieceX + dx, g.PieceY, g.CurrentPiece, OwnField())) {
        g.PieceX += dx;
        RequestRedraw();
    }
}

// Turns the piece: n is chpiece's rotation number (2 right, 4 left), step the change of
// PieceRotation.
void Turn(int n, int step) {
    tmegame& g = Game();
    const TFieldString& field = OwnField();
    const TPieceString turned = chpiece(g.CurrentPiece, n);
    const int newWidth = PieceWidth(turned);
    int x = g.PieceX + PieceWidth(g.CurrentPiece) / 2 - newWidth / 2;
    if (collision(x, g.PieceY, turned, field)) {
        const int rightmost = FieldWidth - newWidth + 1;
        if (x > rightmost) {
            x = rightmost;
        } else if (x < 1) {
            x = 1;
        } else {
            return;
        }
        if (collision(x, g.PieceY, turned, field))
            return;
    }
    g.PieceRotation = (g.PieceRotation - 1 + step + 4) % 4 + 1;
    GameView().PlaySound("rotate");
    g.PieceX = x;
    g.CurrentPiece = turned;
    RequestRedraw();
}

}  // namespace

GameInputHost& GameInput() {
    return InstalledInput ? *InstalledInput : DefaultInput;
}
void SetGameInput(GameInputHost* host) {
    InstalledInput = host;
}

// ---------------------------------------------------------------- dispatch

void InstallKeyActions() {
    SlotHooks.NextTarget = [] { NextTarget(); };
}

bool GameInputAllowed() {
    GameInputHost& in = GameInput();
    return !in.ClosingDown() && in.InGameWindowShown() && in.ApplicationInFront() &&
           !in.ChatEditFocused();
}

namespace {

// The piece actions by action id, kaRotateRight to kaMoveRight.
constexpr std::array<void (*)(), 6> PieceActions = {RotateRight, RotateLeft, FallFaster,
                                                    dropdown,    MoveLeft,   MoveRight};
static_assert(kaRotateRight == 0 && kaMoveRight == 5);

// The own game takes keys: the player is in it and it runs.
bool OwnGameTakesKeys() {
    const tmegame& g = Game();
    return !g.Spectating && g.GameRunning && !g.GamePaused;
}

// Targetting and the special-block keys.
void SpecialKey(int action) {
    tmegame& g = Game();
    if (action == kaToggleTarget) {
        NextTarget();
        return;
    }
    if (g.Inventory.empty())
        return;
    switch (action) {
        case kaUseSpecial:
            UseSpecial(g.TargetSlot);
            break;
        case kaDiscardSpecial:
            DiscardSpecial();
            break;
        case kaSacrificeSpecial:
            SacrificeSpecial();
            break;
        case kaRevengeAttack:
            UseSpecial(g.RevengeSlot);
            break;
        default:
            if (action >= kaPlayer1 && action < kaPlayer1 + MaxSlots)
                UseSpecial(GameInput().SlotAtDisplayPosition(action - kaPlayer1 + 1));
            break;
    }
}

// The keys that move the falling piece. The hold acts while the queue is busy too; the others
// wait for the queue, so that they never act on a piece an entry is about to change.
void PieceKey(int action) {
    const tmegame& g = Game();
    if (action == kaHoldPiece) {
        HoldAction();
        return;
    }
    if (g.QueueBusy != 0 || g.PieceWaiting != 0)
        return;
    if (action >= 0 && action < static_cast<int>(PieceActions.size()))
        PieceActions[static_cast<size_t>(action)]();
}

void KeyPressed(int action) {
    if (!GameInputAllowed())
        return;
    if (OwnGameTakesKeys()) {
        const bool lost = OwnPlayerLost();
        if (!lost || Settings.rules.deadsb)
            SpecialKey(action);
        if (!lost && Game().PieceX != -1)
            PieceKey(action);
    }
    if (action == kaSendMessage)
        SendMessageAction();
}

void KeyReleased(int action, int key) {
    // Letting go of "Fall faster" always ends the fast fall: a release that comes while the
    // chat box has the focus or another program is in front would otherwise leave the piece
    // racing down until the next piece.
    if (action == kaFallFaster)
        FallFasterRelease();
    if (GameInputAllowed() && key == VkCapital)
        GameInput().UndoCapsLock();
}

}  // namespace

void GameKeyDispatch(int action, int key, int kind) {
    LogErrorsWith(
        [&] {
            return "GameKeyDispatch " + std::to_string(action) + " " + std::to_string(key) + " " +
                   std::to_string(kind);
        },
        [&] {
            if (kind == KeyUp)
                KeyReleased(action, key);
            else
                KeyPressed(action);
        });
}

void RunKeyEvents(const std::vector<TKeyEvent>& events) {
    for (const TKeyEvent& e : events) GameKeyDispatch(e.action, e.key, e.kind);
}

// ---------------------------------------------------------------- piece actions

void MoveLeft() {
    Shift(-1);
}
void MoveRight() {
    Shift(1);
}
void RotateRight() {
    Turn(2, 1);
}
void RotateLeft() {
    Turn(4, -1);
}

void FallFaster() {
    tmegame& g = Game();
    if (g.FastFall)
        return;
    g.FastFall = 1;
    // 0 from a hand-edited configuration would divide by zero at the release.
    const int32_t fast = std::max<int32_t>(KeyTable()[kaFallFaster].RepeatInUse, 1);
    GameTiming.FastFallInterval = fast;
    GameTiming.FallInterval = std::min(fast, GameTiming.LevelFallInterval.load());
    if (!GameTiming.LockPending)
        GameTiming.NextFallTime = GameClocks().MilliClock();
}

void FallFasterRelease() {
    tmegame& g = Game();
    if (!g.FastFall)
        return;
    g.FastFall = 0;
    const int32_t level = GameTiming.LevelFallInterval;
    GameTiming.FallInterval = level;
    if (!GameTiming.LockPending) {
        // The rest of the fast row, stretched to the level's speed.
        const int64_t now = GameClocks().MilliClock();
        const double fast = std::max<int32_t>(GameTiming.FastFallInterval, 1);
        const double left = static_cast<double>(GameTiming.NextFallTime - now);
        GameTiming.NextFallTime = now + static_cast<int64_t>(std::nearbyint(left / fast * level));
    }
}

void dropdown() {
    LogErrors("dropdown", [] {
        tmegame& g = Game();
        GameView().PlaySound("droppiece");
        g.QueueBusy = 1;
        GameTiming.FallOffset = BlockSize;
        const bool dark = DarknessOnOwnSlot();
        const TFieldString& field = OwnField();
        if (GameInput().AnimDrop() && !dark) {
            int x = g.PieceX, y = g.PieceY;
            if (refitpiece(g.CurrentPiece, x, y, true, field) != 0 && y > g.PieceY) {
                const int64_t t0 = GameClocks().MilliClock();
                while (g.PieceY < y) {
                    const int64_t now = GameClocks().MilliClock();
                    if (now - t0 >= DropAnimationMs)
                        break;
                    g.PieceY += 1;
                    GameView().RedrawOwnField();
                    const int rowsLeft = y - g.PieceY;
                    if (rowsLeft > 0) {
                        GameInput().Sleep(
                            static_cast<int>((t0 + DropAnimationMs - now) / rowsLeft));
                    }
                }
                g.PieceX = x;
                g.PieceY = y;
            }
            GameView().RedrawOwnField();
        } else {
            int x = g.PieceX, y = g.PieceY;
            if (refitpiece(g.CurrentPiece, x, y, true, field) != 0) {
                g.PieceX = x;
                g.PieceY = y;
            }
            RequestRedraw();
            if (dark)
                GameView().RedrawOwnField();
        }
        g.QueueBusy = 0;
        QueueEndPiece(true);
    });
}

void HoldAction() {
    if (Game().HoldUsed == 0 && Settings.rules.holdpiece)
        QueueHoldPiece(false);
}

void SendMessageAction() {
    GameInput().ActivateChatEdit();
}

void SpectatorViewKey(char character, bool up) {
    if (up || !Game().Spectating)
        return;
    if (character >= '1' && character <= '6')
        GameInput().RequestViewedSlot(character - '0');
}

// ---------------------------------------------------------------- targets and specials

void NextTarget() {
    tmegame& g = Game();
    GameInputHost& in = GameInput();
    int position = 0;
    for (int p = 1; p <= MaxSlots; ++p) {
        if (g.TargetSlot != 0 && in.SlotAtDisplayPosition(p) == g.TargetSlot)
            position = p;
    }
    int target = 0;
    for (int step = 1; step <= MaxSlots; ++step) {
        const int p = (position + step - 1) % MaxSlots + 1;
        const int slot = in.SlotAtDisplayPosition(p);
        const tplr* state = SlotState(slot);
        if (state && state->PlayerState != psLost) {
            target = slot;
            break;
        }
    }
    g.TargetSlot = target;
    GameView().RefreshDisplay(rfTargets, 0);
}

uint8_t NextUsageId(const std::string& log) {
    int largest = 0;
    for (size_t i = 0; i < log.size(); i += 2) {
        largest = std::max(largest, static_cast<int>(static_cast<uint8_t>(log[i])));
    }
    return static_cast<uint8_t>(largest + 1);
}

void UseSpecial(int slot) {
    tmegame& g = Game();
    const tplr* state = SlotState(slot);
    if (!state || state->PlayerState != psPlaying || g.Inventory.empty())
        return;
    if (GameInput().TimedActive(slot, "i") && !(Settings.rules.sbiself && slot == g.OwnSlot)) {
        return;
    }
    ReportUsage('u', std::to_string(slot));
    g.Inventory.erase(0, 1);
    GameView().RefreshDisplay(rfInventoryDisplay, 0);
}

void DiscardSpecial() {
    tmegame& g = Game();
    if (g.Inventory.empty())
        return;
    ReportUsage('d', "d");
    g.Inventory.erase(0, 1);
    GameView().RefreshDisplay(rfInventoryDisplay, 0);
}

void SacrificeSpecial() {
    tmegame& g = Game();
    if (g.Inventory.empty() || !Settings.rules.sacrifice)
        return;
    ReportUsage('s', "s");
    ShuffleInventory(g.SeedA, g.Inventory);
    GameView().RefreshDisplay(rfInventoryDisplay, 0);
}

}  // namespace pk
