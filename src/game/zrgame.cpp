#include "game/zrgame.h"

#include <stdexcept>

#include "core/zrmisc.h"
#include "game/zrgameio.h"

namespace pk {

std::vector<std::unique_ptr<tclient>> Players;
std::array<tclient*, MaxSlots + 1> SlotPlayers{};
PlayerSlotHooks SlotHooks;
tsettingsarray Settings;
tme ClientState;
TGameTiming GameTiming;

TFieldString& OwnField() {
    tclient* own = ClientState.game.OwnPlayer;
    if (!own || !own->plr)
        throw std::logic_error("no own field");
    return own->plr->field;
}

void InitPlayerSlots() {
    Players.clear();
    SlotPlayers.fill(nullptr);
    // The own player was one of the records just freed.
    ClientState.game.OwnPlayer = nullptr;
}

tclient* FindPlayer(const std::string& name) {
    for (const auto& p : Players) {
        if (p && SameText(p->name, name))
            return p.get();
    }
    return nullptr;
}

int PlayerCount() {
    int n = 0;
    for (int s = 1; s <= MaxSlots; ++s) n += SlotPlayers[s] != nullptr;
    return n;
}

int FirstFreeSlot() {
    for (int s = 1; s <= MaxSlots; ++s) {
        if (!SlotPlayers[s])
            return s;
    }
    return 0;
}

namespace {

std::vector<std::unique_ptr<tplr>> spareFieldStates;

}  // namespace

void ResetPlayerField(tclient& c) {
    if (!c.plr) {
        if (spareFieldStates.empty()) {
            c.plr = std::make_unique<tplr>();
        } else {
            c.plr = std::move(spareFieldStates.back());
            spareFieldStates.pop_back();
            c.plr->SlotValue = 0;
        }
    }
    tplr& p = *c.plr;
    // EmptyField(), in the room the string has.
    p.field.assign(static_cast<size_t>(FieldWidth) * FieldHeight, '0');
    p.CellLayerGrid = {};
    p.PlayerState = psPlaying;
    p.ReadyFlag = 0;
}

void ReleasePlayerField(tclient& c) {
    if (c.plr && spareFieldStates.size() < static_cast<size_t>(MaxSlots)) {
        spareFieldStates.push_back(std::move(c.plr));
    }
    c.plr.reset();
}

void SeatPlayer(tclient& c, int slot) {
    c.slot = slot;
    if (ValidSlot(slot)) {
        ResetPlayerField(c);
        SlotPlayers[static_cast<size_t>(slot)] = &c;
    }
}

tclient* AddPlayer(const std::string& name) {
    auto c = std::make_unique<tclient>();
    c->name = name;
    tclient* raw = c.get();
    for (auto& slot : Players) {
        if (!slot) {
            slot = std::move(c);
            return raw;
        }
    }
    Players.push_back(std::move(c));
    return raw;
}

void RemovePlayer(tclient* p) {
    if (!p)
        return;
    std::unique_ptr<tclient> owned;
    for (auto& entry : Players) {
        if (entry.get() == p) {
            owned = std::move(entry);  // the hole stays for the next AddPlayer
            break;
        }
    }
    tmegame& g = ClientState.game;
    const int slot = p->slot;
    if (ValidSlot(slot)) {
        if (SlotPlayers[slot] == p)
            SlotPlayers[slot] = nullptr;
        ReleasePlayerField(*p);
        if (SlotHooks.RemoveSlotTimed)
            SlotHooks.RemoveSlotTimed(slot);
        if (g.TargetSlot == slot && SlotHooks.NextTarget)
            SlotHooks.NextTarget();
        GameView().RefreshDisplay(rfSlotElements, slot);
        if (g.Spectating && slot == g.OwnSlot && SlotHooks.SetViewedSlot) {
            SlotHooks.SetViewedSlot(g.OwnSlot);
        }
    }
    if (g.OwnPlayer == p)
        g.OwnPlayer = nullptr;
    owned.reset();
    if (SlotHooks.RebuildPlayerList)
        SlotHooks.RebuildPlayerList();
}

void RemoveAllPlayers() {
    for (size_t i = 0; i < Players.size(); ++i) {
        if (Players[i])
            RemovePlayer(Players[i].get());
    }
}

void FreePlayerSlots() {
    RemoveAllPlayers();
    Players.clear();
}

namespace {

// The fall times, and the piece cycle's flags: after a reset no piece is falling, locking or
// waiting for its delay, so the game thread must not act on one left from before.
void ResetThreadFall() {
    GameTiming.FallOffset = 0;
    GameTiming.FallInterval = 0;
    GameTiming.NextFallTime = 0;
    GameTiming.PieceActive = 0;
    GameTiming.LockPending = 0;
    GameTiming.PieceDelayStart = 0;
}

void ResetPieceFields(tmegame& g) {
    g.PieceX = -1;
    g.PieceY = -1;
    g.OwnLevel = 1;
    g.LinesCleared = 0;
    g.PieceRotation = 1;
    g.NextPieceToken.clear();
    g.CurrentPiece.clear();
    g.UpcomingPieces.clear();
    g.PieceLog.clear();
    g.HoldToken.clear();
    g.HoldUsed = 0;
    g.RevengeSlot = 0;
    g.SeedA = 0;
    g.SeedB = 0;
    g.ShadowPlace = {-1, -1, -1, -1};
    g.FastFall = 0;
    g.PieceWaiting = 0;
    g.QueueBusy = 0;
}

}  // namespace

void ResetGame() {
    tmegame& g = ClientState.game;
    ResetPieceFields(g);
    g.Spectating = 1;
    g.GameRunning = 0;
    g.GamePaused = 0;
    g.RoomOperators.clear();
    g.OwnPlayer = nullptr;
    g.OwnSlot = 1;
    g.TargetSlot = 0;
    g.AttackCount = 0;
    g.Inventory.clear();
    g.GameTimeBase = 0;
    ResetThreadFall();
}

void ResetRound() {
    ResetPieceFields(ClientState.game);
    ResetThreadFall();
}

}  // namespace pk
