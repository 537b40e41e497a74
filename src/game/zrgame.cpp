#include "game/zrgame.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_map>

#include "core/zrmisc.h"
#include "game/zrgameio.h"

namespace pk {

std::vector<std::unique_ptr<tclient>> Players;
std::array<tclient*, MaxSlots + 1> SlotPlayers{};
PlayerSlotHooks SlotHooks;
tsettingsarray Settings;
tme ClientState;
TGameTiming GameTiming;

namespace {

// Where each player stands in Players, by lower-cased name, and the first place that may be a
// hole: a room that thousands join and leave must not search every player for each of them.
// Both are hints, checked against Players before use, so a table changed behind them (tests
// clear it) finds nothing stale.
std::unordered_map<std::string, std::size_t> playerAt;
std::size_t firstHole = 0;

std::size_t PlaceOf(const tclient* p) {
    const auto it = playerAt.find(LowerCase(p->name));
    if (it != playerAt.end() && it->second < Players.size() && Players[it->second].get() == p)
        return it->second;
    for (std::size_t i = 0; i < Players.size(); ++i)
        if (Players[i].get() == p)
            return i;
    return Players.size();
}

}  // namespace

TFieldString& OwnField() {
    tclient* own = ClientState.game.OwnPlayer;
    if (!own || !own->plr)
        throw std::logic_error("no own field");
    return own->plr->field;
}

void InitPlayerSlots() {
    Players.clear();
    playerAt.clear();
    firstHole = 0;
    SlotPlayers.fill(nullptr);
    // The own player was one of the records just freed.
    ClientState.game.OwnPlayer = nullptr;
}

tclient* FindPlayer(const std::string& name) {
    const auto it = playerAt.find(LowerCase(name));
    if (it == playerAt.end() || it->second >= Players.size())
        return nullptr;
    tclient* p = Players[it->second].get();
    return p && SameText(p->name, name) ? p : nullptr;
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
    std::size_t at = std::min(firstHole, Players.size());
    while (at < Players.size() && Players[at]) ++at;
    if (at < Players.size()) {
        Players[at] = std::move(c);
    } else {
        Players.push_back(std::move(c));
    }
    firstHole = at + 1;
    playerAt[LowerCase(name)] = at;
    return raw;
}

void RemovePlayer(tclient* p) {
    if (!p)
        return;
    std::unique_ptr<tclient> owned;
    if (const std::size_t at = PlaceOf(p); at < Players.size()) {
        owned = std::move(Players[at]);  // the hole stays for the next AddPlayer
        firstHole = std::min(firstHole, at);
        if (const auto it = playerAt.find(LowerCase(p->name));
            it != playerAt.end() && it->second == at)
            playerAt.erase(it);
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
    playerAt.clear();
    firstHole = 0;
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
