#include "room/zrroomevents.h"

#include <algorithm>

#include "core/bytestream.h"
#include "core/chatstyle.h"
#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "core/zrversion.h"
#include "game/zrfmqueue.h"
#include "game/zrgame.h"
#include "game/zrgameio.h"
#include "game/zrkey.h"
#include "game/zrowngame.h"
#include "game/zrrandom.h"
#include "room/zrroomhost.h"

namespace pk {

namespace {

constexpr int LobbyTimerInGame = 1000;
constexpr int LobbyTimerIdle = 100;

tmegame& G() {
    return ClientState.game;
}
int32_t Seconds() {
    return static_cast<int32_t>(GameClocks().SecondClock());
}

tclient* Occupant(int slot) {
    return ValidSlot(slot) ? SlotPlayers[slot] : nullptr;
}

// A field of random colours for a player who is out, over the field held; its own generator,
// so that the game's seeded one is never disturbed.
void FillRandomColours(std::string& field) {
    TRandomGen gen = TRandomGen::FromTimeOfDay();
    field.assign(static_cast<size_t>(FieldWidth) * FieldHeight, '0');
    for (char& c : field) c = static_cast<char>('1' + gen.draw(5));
}

int32_t IntOrZero(const std::string& text) {
    return ParseInt(text).value_or(0);
}

void AddEventLine(std::string line) {
    G().GameEventLog.push_back(std::move(line));
}

// Empties the event log. The room of its first line is handed back for the line that starts
// the log again, so that a game start allocates nothing for it.
std::string ClearEventLog() {
    std::vector<std::string>& log = G().GameEventLog;
    std::string spare = log.empty() ? std::string() : std::move(log.front());
    log.clear();
    spare.clear();
    return spare;
}

// DateStamp() + " " + what, built in one string (in `line`'s room).
void AddDatedEvent(std::string_view what, std::string line = {}) {
    line.clear();
    line.reserve(24 + what.size());
    AppendDateStamp(line);
    line += ' ';
    line += what;
    AddEventLine(std::move(line));
}

// TimeStamp() + "Lost: " + name.
void AddLostLine(const std::string& name) {
    std::string line;
    AppendTimeStamp(line);
    line += "Lost: ";
    line += name;
    AddEventLine(std::move(line));
}

void MoveChat(const std::string& line) {
    Room().PartylineAddLine(StyleCode("12") + "*** " + StyleCode("01") + line);
}

// A player leaves its slot for the watchers; its field goes with the slot.
void ToWatchers(tclient& p) {
    if (ValidSlot(p.slot) && SlotPlayers[p.slot] == &p)
        SlotPlayers[p.slot] = nullptr;
    ReleasePlayerField(p);
    p.slot = 0;
}

// A watcher takes a slot with a fresh field.
void ToSlot(tclient& p, int slot) {
    ReleasePlayerField(p);
    SeatPlayer(p, slot);
}

}  // namespace

const std::string& GameChatHint() {
    static const std::string hint =
        "Press \"" + StyleCode("01") + "T" + kStyleEnd + "\" to talk to other players";
    return hint;
}

void FillStackField(std::string& field, std::string_view stackData, int rows) {
    // A server asking for more rows than the field has gets a full field, never a longer one.
    rows = std::clamp(rows, 0, FieldHeight);
    const size_t total = static_cast<size_t>(FieldWidth) * FieldHeight;
    const size_t cells = static_cast<size_t>(rows) * FieldWidth;
    // Assigned over the field held, so that a new game keeps the room the old field had.
    field.assign(total, '0');
    // Two cells a byte, high four bits first; cells past the data's end stay empty. Values
    // 10..15 have no cell: they stay empty instead of widening the row.
    static constexpr char kCell[16] = {'0', '1', '2', '3', '4', '5', '6', '7',
                                       '8', '9', '0', '0', '0', '0', '0', '0'};
    char* out = field.data() + (total - cells);
    const size_t bytes = std::min(stackData.size(), (cells + 1) / 2);
    for (size_t i = 0; i < bytes; ++i) {
        const auto b = static_cast<unsigned char>(stackData[i]);
        out[2 * i] = kCell[b >> 4];
        if (2 * i + 1 < cells)
            out[2 * i + 1] = kCell[b & 15];
    }
}

std::string StackField(const std::string& stackData, int rows) {
    std::string field;
    FillStackField(field, stackData, rows);
    return field;
}

void startgame(const std::string& tokens, int32_t seedA, int32_t seedB,
               const std::string& stackData) {
    LogErrors("startgame", [&] {
        tmegame& g = G();
        RoomHost& room = Room();
        g.UpcomingPieces = tokens;
        ClearClientLog();
        AddLogLine("START GAME");
        GameView().PlaySound("start");
        for (int s = 1; s <= MaxSlots; ++s)
            if (SlotPlayers[s])
                ResetPlayerField(*SlotPlayers[s]);
        ResetRound();
        g.AttackCount = 0;
        g.Inventory.clear();
        g.SeedA = seedA;
        g.SeedB = seedB;
        tclient* own = Occupant(g.OwnSlot);
        const bool playing = !g.Spectating && own && own == g.OwnPlayer && own->plr;
        if (playing) {
            g.OwnLevel = Settings.rules.lvlstart;
            if (Settings.rules.avglvl)
                g.AverageLevel = Settings.rules.lvlstart;
            g.TargetSlot = g.OwnSlot;
            g.UpcomingPieces = tokens;
            g.CurrentPiece = TokenAt(1, tokens, TokenSep);
            if (!g.CurrentPiece.empty())
                g.CurrentPiece.erase(0, 1);
            FillStackField(own->plr->field, stackData, Settings.rules.stacks[g.OwnSlot]);
        } else if (g.Spectating) {
            room.SetViewedSlot(g.OwnSlot);
        }
        GameView().RefreshDisplay(rfEverything, 0);
        room.ResetKeyTable(krGameStart);
        room.ClearAttackList();
        room.ClearGameChat();
        std::string firstLine = ClearEventLog();
        room.SetGameChatText(GameChatHint());
        g.GameRunning = 1;
        // The room's controls follow the running game, as they do for a game joined late.
        room.SetUIState(uiGameRunning, true);
        room.RefreshUserList();
        AddDatedEvent("Game started", std::move(firstLine));
        // The lines of a game's start, pause and end never change: each is built once.
        static const std::string started =
            StyleCode("19") + "*** The game has " + StyleCode("01") + "Started";
        room.PartylineAddLine(started);
        room.RequestThemeMusic();
        room.SetGameThreadInGame(true);
        room.SetLobbyTimerInterval(LobbyTimerInGame);
        g.GameTimeBase = Seconds();
        room.SetGameEndTimer(true);
        if (playing)
            QueueStartPiece(true);
    });
}

void ingame(int32_t elapsed) {
    LogErrors("ingame", [&] {
        tmegame& g = G();
        RoomHost& room = Room();
        g.GameRunning = 1;
        room.SetUIState(uiGameRunning, true);
        // A negative elapsed time would date the start into the future.
        g.GameTimeBase = ClampToInt32(int64_t{Seconds()} - std::max(elapsed, 0));
        room.SetGameEndTimer(true);
        // A player who joins a running game sits it out.
        if (!g.Spectating)
            playerlose();
        g.AttackCount = 0;
        room.ClearAttackList();
        room.ClearGameChat();
        std::string firstLine = ClearEventLog();
        room.RequestThemeMusic();
        room.SetGameThreadInGame(true);
        room.SetLobbyTimerInterval(LobbyTimerInGame);
        AddDatedEvent("Game in progress", std::move(firstLine));
        static const std::string progress =
            StyleCode("19") + "*** The game is in " + StyleCode("01") + "Progress";
        room.PartylineAddLine(progress);
    });
}

void PauseGame() {
    LogErrors("PauseGame", [&] {
        tmegame& g = G();
        if (g.GamePaused)
            return;
        g.GamePaused = 1;
        g.PauseStart = Seconds();
        Room().SetGameEndTimer(false);
        AddDatedEvent("Game pause");
        static const std::string paused =
            StyleCode("19") + "*** The game is " + StyleCode("01") + "Paused" + StyleCode("01");
        Room().PartylineAddLine(paused);
        Room().SetUIState(uiGamePaused, true);
    });
}

void UnpauseGame() {
    LogErrors("UnpauseGame", [&] {
        tmegame& g = G();
        if (!g.GamePaused)
            return;
        g.GameTimeBase = ClampToInt32(int64_t{g.GameTimeBase} + Seconds() - g.PauseStart);
        g.GamePaused = 0;
        Room().SetGameEndTimer(true);
        AddDatedEvent("Game unpause");
        static const std::string unpaused =
            StyleCode("19") + "*** The game is " + StyleCode("01") + "Unpaused" + StyleCode("01");
        Room().PartylineAddLine(unpaused);
        Room().SetUIState(uiGamePaused, true);
    });
}

void endgame(const std::string& winner) {
    LogErrors("endgame " + winner, [&] {
        tmegame& g = G();
        RoomHost& room = Room();
        AddLogLine("END GAME");
        room.SetMainCaption(MainCaption(room.AccountName()));
        room.SetGameThreadInGame(false);
        GameTiming.PieceActive = 0;
        GameTiming.PieceDelayStart = 0;
        room.SetLobbyTimerInterval(LobbyTimerIdle);
        room.SetGameEndTimer(false);
        room.StopMusic();
        ClearEventQueue();
        room.RemoveAllTimed();
        FreePendingHistory();
        const int64_t now = Seconds();
        int64_t base = g.GameTimeBase;
        if (g.GamePaused)
            base += now - g.PauseStart;
        g.GameTimeBase = ClampToInt32(now - base);
        g.GamePaused = 0;
        g.GameRunning = 0;
        room.SetUIState(uiGameRunning, true);
        room.SetUIState(uiGamePaused, true);
        room.RefreshUserList();
        g.GamesPlayed += 1;
        g.TargetSlot = 0;
        g.PieceX = -1;
        g.PieceY = -1;
        GameView().RefreshDisplay(rfEverything, 0);
        AddDatedEvent("Game ended");
        static const std::string ended =
            StyleCode("19") + "*** The game has " + StyleCode("01") + "Ended";
        room.PartylineAddLine(ended);
        if (winner.empty())
            return;

        const bool teamWon = winner[0] == 't';
        const std::string team = teamWon ? winner.substr(1) : std::string();
        int winningSlot = 0;
        if (teamWon) {
            room.PartylineAddLine(StyleCode("14") + "*** Team " + StyleCode("01") +
                                  StyleCode("03") + team + kStyleEnd + kStyleEnd + " has WON!");
        } else {
            // A slot that names nobody still ends the game, only without a winner.
            winningSlot = IntOrZero(winner);
            tclient* w = Occupant(winningSlot);
            if (!w)
                winningSlot = 0;
            if (w)
                room.PartylineAddLine(StyleCode("14") + "*** Player " + StyleCode("01") +
                                      StyleCode("03") + w->name + kStyleEnd + kStyleEnd +
                                      " has WON!");
        }
        for (int s = 1; s <= MaxSlots; ++s) {
            tclient* p = SlotPlayers[s];
            if (!p || !p->plr)
                continue;
            if (teamWon && SameText(p->TeamName, team))
                p->plr->PlayerState = psTeamWon;
            else if (s == winningSlot)
                p->plr->PlayerState = psWon;
            else
                p->plr->PlayerState = psLost;
        }
        if (!g.Spectating) {
            const bool ownTeamWon = teamWon && g.OwnPlayer && SameText(g.OwnPlayer->TeamName, team);
            if (ownTeamWon || (winningSlot != 0 && winningSlot == g.OwnSlot))
                GameView().PlaySound("won");
        }
    });
}

void playerlose() {
    LogErrors("playerlose", [&] {
        tmegame& g = G();
        RoomHost& room = Room();
        AddLogLine("PLAYER LOST");
        GameView().PlaySound("lost");
        GameTiming.PieceActive = 0;
        ClearEventQueue();
        room.RemoveSlotTimed(g.OwnSlot);
        ResetRound();
        tclient* own = g.OwnPlayer;
        if (own && own->plr)
            own->plr->PlayerState = psLost;
        if (!Settings.rules.deadsb)
            g.TargetSlot = 0;
        if (g.TargetSlot == g.OwnSlot)
            room.NextTarget();
        AddLostLine(own ? own->name : std::string());
        GameView().RefreshDisplay(rfEverything, 0);
        if (own && own->plr)
            FillRandomColours(own->plr->field);
        GameView().RedrawOwnField();
    });
}

void PlayerOut(int slot) {
    LogErrors("PlayerOut " + std::to_string(slot), [&] {
        tmegame& g = G();
        RoomHost& room = Room();
        tclient* p = Occupant(slot);
        if (!p || !p->plr)
            return;
        p->plr->PlayerState = psLost;
        FillRandomColours(p->plr->field);
        room.RemoveSlotTimed(slot);
        room.RedrawSlot(slot);
        if (g.TargetSlot == slot)
            room.NextTarget();
        AddLostLine(p->name);
        GameView().RefreshDisplay(rfSlotElements, slot);
        if (g.Spectating && slot == g.OwnSlot)
            room.SetViewedSlot(g.OwnSlot);
    });
}

void MoveSlot(const std::string& name, int newSlot) {
    LogErrors("MoveSlot " + name + " " + std::to_string(newSlot), [&] {
        tmegame& g = G();
        tclient* p = FindPlayer(name);
        if (!p || newSlot < 0 || newSlot > MaxSlots || newSlot == p->slot)
            return;
        const bool own = p == g.OwnPlayer;
        const int from = p->slot;
        tclient* other = newSlot > 0 ? SlotPlayers[newSlot] : nullptr;
        if (newSlot == 0) {
            ToWatchers(*p);
            if (own) {
                ResetRound();
                g.Spectating = 1;
            }
            MoveChat(p->name + kStyleEnd + " is now a spectator");
        } else if (from > 0 && other) {
            SlotPlayers[from] = other;
            SlotPlayers[newSlot] = p;
            other->slot = from;
            p->slot = newSlot;
            if (own)
                g.OwnSlot = newSlot;
            if (other == g.OwnPlayer)
                g.OwnSlot = from;
            MoveChat(p->name + kStyleEnd + " has switched slots with " + StyleCode("01") +
                     other->name);
        } else if (from > 0) {
            SlotPlayers[from] = nullptr;
            SlotPlayers[newSlot] = p;
            p->slot = newSlot;
            if (own)
                g.OwnSlot = newSlot;
            MoveChat(p->name + kStyleEnd + " has moved to slot " + StyleCode("01") + "#" +
                     std::to_string(newSlot));
        } else if (other) {
            ToWatchers(*other);
            ToSlot(*p, newSlot);
            if (own) {
                g.Spectating = 0;
                g.OwnSlot = newSlot;
                ResetRound();
            } else if (other == g.OwnPlayer) {
                g.Spectating = 1;
                ResetRound();
            }
            MoveChat(p->name + kStyleEnd + " has switched slots with " + StyleCode("01") +
                     other->name + kStyleEnd + " and is now playing");
        } else {
            ToSlot(*p, newSlot);
            if (own) {
                g.Spectating = 0;
                g.OwnSlot = newSlot;
                ResetRound();
            }
            MoveChat(p->name + kStyleEnd + " has moved to slot " + StyleCode("01") + "#" +
                     std::to_string(newSlot) + kStyleEnd + " and is now playing");
        }
        // The list and the fields shown follow the new seating.
        Room().RefreshUserList();
        GameView().RefreshDisplay(rfEverything, 0);
    });
}

void SetSlotValues(const std::string& data) {
    LogErrors("SetSlotValues", [&] {
        ByteReader in(data);
        for (int s = 1; s <= MaxSlots; ++s) {
            tclient* p = SlotPlayers[s];
            if (!p || !p->plr)
                continue;
            const uint32_t v = in.u32();
            // A short list stops at the end of the data instead of reading past it.
            if (!in.ok())
                break;
            p->plr->SlotValue = static_cast<int32_t>(v);
            Room().RedrawSlot(s);
        }
    });
}

void SetOwnTeam(const std::string& team) {
    LogErrors("SetOwnTeam " + team, [&] {
        tmegame& g = G();
        tclient* own = g.OwnPlayer;
        if (!own)
            return;
        own->TeamName = team;
        GameSender().SendGameMessage(MsgOwnTeam, team);
        if (team.empty())
            Room().PartylineAddLine(StyleCode("11") + "*** " + StyleCode("01") + own->name +
                                    kStyleEnd + " is now alone");
        else
            Room().PartylineAddLine(StyleCode("11") + "*** " + StyleCode("01") + own->name +
                                    kStyleEnd + " is now on team " + StyleCode("01") + team);
        if (!g.Spectating)
            Room().RedrawSlot(g.OwnSlot);
    });
}

void RoomMsgStartGame(const std::string& payload) {
    const int32_t n = std::max<int32_t>(0, IntOrZero(TokenAt(1, payload, TokenSep)));
    G().PendingLimit = n;
    // A count beyond the tokens sent stops at the end of the data.
    const int count = std::min(n, std::max(0, TokenCount(payload, TokenSep) - 1));
    const std::string tokens =
        count > 0 ? TokenRange(2, count + 1, payload, TokenSep) : std::string();
    const std::string rest = RestFromToken(count + 2, payload, TokenSep);
    startgame(tokens, IntOrZero(TokenAt(1, rest, TokenSep)), IntOrZero(TokenAt(2, rest, TokenSep)),
              RestFromToken(3, rest, TokenSep));
}

void RoomMsgInGame(const std::string& payload) {
    ingame(IntOrZero(TokenAt(1, payload, TokenSep)));
}

void RoomMsgPause(const std::string& payload) {
    if (TokenAt(1, payload, TokenSep) == "1")
        PauseGame();
    else
        UnpauseGame();
}

void RoomMsgEndGame(const std::string& payload) {
    endgame(TokenAt(1, payload, TokenSep));
}

void RoomMsgPlayerLost(const std::string&) {
    // Only a player with a field can lose.
    tclient* own = G().OwnPlayer;
    if (G().Spectating || !own || !own->plr)
        return;
    playerlose();
}

void RoomMsgPlayerOut(const std::string& payload) {
    PlayerOut(IntOrZero(TokenAt(1, payload, TokenSep)));
}

void RoomMsgMoveSlot(const std::string& payload) {
    auto slot = ParseInt(TokenAt(2, payload, TokenSep));
    if (!slot)
        return;
    MoveSlot(TokenAt(1, payload, TokenSep), *slot);
}

void RoomMsgSlotValues(const std::string& payload) {
    SetSlotValues(payload);
}

}  // namespace pk
