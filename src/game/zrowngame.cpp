#include "game/zrowngame.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "game/zrfield.h"
#include "game/zrgame.h"
#include "game/zrgameio.h"
#include "game/zrspares.h"

namespace pk {

TPendingHistory PendingHistory;
std::string AckUsageLog;

namespace {

std::string Join(const std::vector<std::string>& fields) {
    std::string out;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += TokenSep;
        out += fields[i];
    }
    return out;
}

// The payload of message 0x19: hold used, column, row and rotation.
std::string PlacedPayload(int holdused, int x, int y, int rotation) {
    std::string out = holdused ? "1" : "0";
    for (const int v : {x, y, rotation}) {
        out += TokenSep;
        out += std::to_string(v);
    }
    return out;
}

// The piece of token n turned to a rotation ("" when the list has no such token).
TPieceString TurnedToken(const std::string& list, int n, int rotation) {
    const TPieceString p(PieceOfToken(list, n));
    return p.empty() ? p : chpiece(p, rotation);
}

void ClearPiecePlace(tmegame& g) {
    g.PieceX = -1;
    g.PieceY = -1;
    g.PieceRotation = 1;
}

// The tokens of a list as PieceToken numbers them: every separator closes a token, and the
// text after the last one is a token when not empty.
void AddTokenViews(std::string_view list, std::vector<std::string_view>& out) {
    size_t start = 0;
    for (size_t at = list.find(TokenSep); at != std::string_view::npos;
         at = list.find(TokenSep, start)) {
        out.push_back(list.substr(start, at - start));
        start = at + 1;
    }
    if (start < list.size())
        out.push_back(list.substr(start));
}

// Inserts the acknowledgement's new tokens: kind '2' after the last kind-'2' token already in
// the list, kind '1' at the end; other kinds are dropped.
std::string MergeTokens(const std::string& list, const std::string& fresh) {
    const auto fresher = static_cast<size_t>(PieceTokenCount(fresh));
    std::vector<std::string_view> tokens, news;
    tokens.reserve(static_cast<size_t>(PieceTokenCount(list)) + fresher);
    AddTokenViews(list, tokens);
    const int count = static_cast<int>(tokens.size());
    int p2 = 1;
    for (int i = 1; i <= count; ++i) {
        const std::string_view t = tokens[static_cast<size_t>(i - 1)];
        if (!t.empty() && t[0] == '2')
            p2 = i + 1;
    }
    int p1 = count + 1;
    news.reserve(fresher);
    AddTokenViews(fresh, news);
    for (const std::string_view t : news) {
        if (t.empty())
            continue;
        if (t[0] == '2') {
            tokens.insert(tokens.begin() + (p2 - 1), t);
            ++p2;
            ++p1;  // the kind-'1' insertion point moves with the list behind it
        } else if (t[0] == '1') {
            tokens.insert(tokens.begin() + (p1 - 1), t);
            ++p1;
        }
    }
    std::string out;
    size_t length = tokens.empty() ? 0 : tokens.size() - 1;
    for (const std::string_view t : tokens) length += t.size();
    out.reserve(length);
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (i > 0)
            out += TokenSep;
        out += tokens[i];
    }
    return out;
}

// One pending action applied to a working state, as the server applied it.
void ReplayEntry(const thistoryevent& e, thistoryclientstate& s) {
    if (e.kind == hkPlaced) {
        if (e.holdused && !s.hold.empty()) {
            s.upcoming = s.hold + TokenSep + s.upcoming;
            s.hold.clear();
        }
        const TPieceString piece = TurnedToken(s.upcoming, 1, e.rotation);
        if (!piece.empty()) {
            int x = e.x, y = e.y;
            refitpiece(piece, x, y, true, s.field);
            stickpiece(piece, x, y, s.field);
        }
        DropFirstTokenOf(s.upcoming);
        const std::string rows = FullRows(s.field);
        const int count = WordCount(rows);
        s.lines += count;
        AddToInventory(Settings.rules, s.seedA, count, CollectSpecials(s.field, rows), s.inventory);
        removelines(s.field, rows);
        std::string placed;
        AddSpecials(Settings.rules, s.seedA, s.seedB, s.lines, placed, s.field, count);
    } else if (e.kind == hkHeld && s.hold.empty()) {
        s.hold = PieceTokenView(s.upcoming, 1);
        DropFirstTokenOf(s.upcoming);
    }
    for (size_t i = 1; i < e.UsageLog.size(); i += 2) {
        const char action = e.UsageLog[i];
        if (action == 'u' || action == 'd') {
            if (!s.inventory.empty())
                s.inventory.erase(0, 1);
        } else if (action == 's') {
            ShuffleInventory(s.seedA, s.inventory);
        }
    }
}

// Removes the first (id, letter) pair whose id byte matches.
void DeleteUsagePair(std::string& log, uint8_t id) {
    for (size_t i = 0; i + 1 < log.size(); i += 2) {
        if (static_cast<uint8_t>(log[i]) == id) {
            log.erase(i, 2);
            return;
        }
    }
}

}  // namespace

std::string& CurrentUsageLog() {
    return PendingHistory.empty() ? AckUsageLog : PendingHistory.back()->UsageLog;
}

void NextPieceOrDelay() {
    if (Settings.rules.piecedelay > 0) {
        GameTiming.PieceDelayStart = GameClocks().MilliClock();
        FinishQueueEntry();
    } else {
        startpiece();
    }
}

void LoadOwnState(const thistoryclientstate& s) {
    tmegame& g = ClientState.game;
    OwnField() = s.field;
    g.UpcomingPieces = s.upcoming;
    g.Inventory = s.inventory;
    g.LinesCleared = s.lines;
    g.SeedA = s.seedA;
    g.SeedB = s.seedB;
}

void StoreOwnState(thistoryclientstate& s) {
    const tmegame& g = ClientState.game;
    s.field = OwnField();
    s.upcoming = g.UpcomingPieces;
    s.inventory = g.Inventory;
    s.lines = g.LinesCleared;
    s.seedA = g.SeedA;
    s.seedB = g.SeedB;
}

namespace {

// Entries of acknowledged or dropped actions, kept for the next ones: every action stores a
// snapshot of the whole field and piece list, and a kept entry's strings have room for it.
SparePool<thistoryevent, 16> SpareEntries;

void RetireEntry(std::unique_ptr<thistoryevent> e) {
    SpareEntries.Give(std::move(e));
}

// A new entry, or a kept one set back to what a new one holds (the snapshot is stored anew).
std::unique_ptr<thistoryevent> FreshEntry() {
    std::unique_ptr<thistoryevent> e = SpareEntries.Take();
    const thistoryevent blank;
    e->kind = blank.kind;
    e->x = blank.x;
    e->y = blank.y;
    e->rotation = blank.rotation;
    e->holdused = blank.holdused;
    e->UsageLog.clear();
    return e;
}

}  // namespace

thistoryevent& NewHistoryEntry(int32_t kind) {
    std::unique_ptr<thistoryevent> e = FreshEntry();
    e->kind = kind;
    StoreOwnState(e->snapshot);
    e->snapshot.hold = ClientState.game.HoldToken;
    PendingHistory.push_back(std::move(e));
    return *PendingHistory.back();
}

void FreePendingHistory() {
    for (auto& e : PendingHistory) RetireEntry(std::move(e));
    PendingHistory.clear();
    AckUsageLog.clear();
}

void startpiece() {
    LogErrors("startpiece", [] {
        tmegame& g = ClientState.game;
        g.PieceWaiting = 1;
        // With nothing pending no acknowledgement would ever come to release the piece, so a
        // limit of two or less never holds back a piece with an empty history.
        if (!PendingHistory.empty() &&
            static_cast<int>(PendingHistory.size()) >= g.PendingLimit - 2) {
            FinishQueueEntry();
            return;
        }
        if (g.CurrentPiece.empty())
            g.CurrentPiece = PieceOfToken(g.UpcomingPieces, 1);
        if (g.CurrentPiece.empty()) {
            // No piece is known yet: wait for the acknowledgement that brings more.
            FinishQueueEntry();
            return;
        }
        GameTiming.PieceActive = 0;
        GameTiming.PieceDelayStart = 0;
        g.PieceWaiting = 0;
        g.FastFall = 0;
        g.NextPieceToken = PieceTokenView(g.UpcomingPieces, 2);
        GameView().RefreshDisplay(rfNextPiece, 0);

        const int r = newpiececollision(g.CurrentPiece, OwnField());
        if (r >= 1) {
            g.CurrentPiece = chpiece(g.CurrentPiece, r);
            g.PieceRotation = r;
        } else {
            g.PieceRotation = 1;  // nothing fits: it starts unturned over the blocks
        }
        g.PieceX = SpawnColumn(g.CurrentPiece);
        g.PieceY = 1;

        const int level = Settings.rules.avglvl ? g.AverageLevel : g.OwnLevel;
        const int interval = std::max(1000 - (level - 1) * 10, 1);
        GameTiming.LevelFallInterval = interval;
        GameTiming.FallInterval = interval;
        GameTiming.FallOffset = 0;
        GameTiming.NextFallTime = GameClocks().MilliClock() + interval;
        GameTiming.LockPending = 0;

        GameView().RedrawOwnField();
        GameTiming.PieceActive = 1;
        FinishQueueEntry();
    });
}

void endpiece() {
    LogErrors("endpiece", [] {
        tmegame& g = ClientState.game;
        // A lock or drop queued behind an entry that already ended this piece finds no piece
        // falling: there is nothing to place or report.
        if (g.PieceWaiting || g.CurrentPiece.empty()) {
            FinishQueueEntry();
            return;
        }
        g.PieceWaiting = 1;
        g.PieceLog += g.HoldUsed ? " +" : " ";
        g.PieceLog += g.CurrentPiece;
        TFieldString& own = OwnField();
        int x = g.PieceX, y = g.PieceY;
        refitpiece(g.CurrentPiece, x, y, true, own);
        g.PieceX = x;
        g.PieceY = y;
        GameSender().SendGameMessage(
            MsgPiecePlaced, PlacedPayload(g.HoldUsed, g.PieceX, g.PieceY, g.PieceRotation));

        thistoryevent& e = NewHistoryEntry(hkPlaced);
        e.x = g.PieceX;
        e.y = g.PieceY;
        e.rotation = g.PieceRotation;
        if (g.HoldUsed) {
            // State the snapshot as before the swap: the swapped-in piece back in the hold.
            e.snapshot.hold = PieceTokenView(e.snapshot.upcoming, 1);
            DropFirstTokenOf(e.snapshot.upcoming);
        }
        e.holdused = g.HoldUsed;

        // The snapshot holds the field before the piece: it sticks in place.
        stickpiece(g.CurrentPiece, g.PieceX, g.PieceY, own);
        DropFirstTokenOf(g.UpcomingPieces);
        const std::string rows = FullRows(own);
        ClearPiecePlace(g);
        g.CurrentPiece = PieceOfToken(g.UpcomingPieces, 1);
        g.HoldUsed = 0;

        if (rows.empty()) {
            GameView().RedrawOwnField();
            NextPieceOrDelay();
            return;
        }
        const int n = WordCount(rows);
        const std::string letters = CollectSpecials(own, rows);
        std::string inv = g.Inventory;
        AddToInventory(Settings.rules, g.SeedA, n, letters, inv);
        // The new specials land on the field as it will be once the lines are gone; the own
        // field keeps its full rows until clearlines runs.
        TFieldString work = own;
        removelines(work, rows);
        std::string placed;
        AddSpecials(Settings.rules, g.SeedA, g.SeedB, g.LinesCleared + n, placed, work, n);
        // Both urgent behind the running entry: the specials end up first, then the start.
        QueueStartPiece(true);
        QueueGetSpecials(true, inv, placed);
        clearlines();
    });
}

void holdpiece() {
    LogErrors("holdpiece", [] {
        tmegame& g = ClientState.game;
        // The key action checked these when it queued the hold; a second hold queued before
        // the first ran must not swap twice.
        if (!Settings.rules.holdpiece || g.HoldUsed || PieceTokenCount(g.UpcomingPieces) == 0) {
            FinishQueueEntry();
            return;
        }
        g.PieceWaiting = 1;
        if (g.HoldToken.empty()) {
            g.PieceLog += " -";
            g.PieceLog += g.CurrentPiece;
            GameSender().SendGameMessage(MsgPiecePlaced, PlacedPayload(1, 0, 0, 0));
            thistoryevent& e = NewHistoryEntry(hkHeld);
            e.holdused = 1;  // a hold never advances the piece-counted effects
            g.HoldToken = PieceTokenView(g.UpcomingPieces, 1);
            DropFirstTokenOf(g.UpcomingPieces);
            ClearPiecePlace(g);
            g.CurrentPiece = PieceOfToken(g.UpcomingPieces, 1);
            g.HoldUsed = 0;
            GameView().RefreshDisplay(rfHoldPiece, 0);
            GameView().RedrawOwnField();
            GameView().PlaySound("holdpiece");
            NextPieceOrDelay();
            return;
        }
        g.UpcomingPieces = g.HoldToken + TokenSep + g.UpcomingPieces;
        g.CurrentPiece = TokenPiece(g.HoldToken);
        g.HoldToken.clear();
        g.HoldUsed = 1;
        ClearPiecePlace(g);
        GameView().RefreshDisplay(rfHoldPiece, 0);
        GameView().RedrawOwnField();
        GameView().PlaySound("useholdpiece");
        startpiece();
    });
}

void clearlines() {
    LogErrors("clearlines", [] {
        tmegame& g = ClientState.game;
        TFieldString& own = OwnField();
        const std::string rows = FullRows(own);
        const int count = WordCount(rows);
        GameView().PlaySound(count >= 4 ? "fourclear" : "clear");
        removelines(own, rows);
        g.LinesCleared += count;
        GameView().RefreshDisplay(rfLineCount, 0);
        GameView().RedrawOwnField();
        FinishQueueEntry();
    });
}

void ApplyNewSpecials(const tqasb& s) {
    LogErrors("ApplyNewSpecials", [&s] {
        tmegame& g = ClientState.game;
        if (!s.placed.empty()) {
            GameView().PlaySound("getsb");
            TFieldString& own = OwnField();
            for (size_t i = 0; i + 2 < s.placed.size(); i += 3) {
                const int col = static_cast<unsigned char>(s.placed[i]);
                const int row = static_cast<unsigned char>(s.placed[i + 1]);
                if (col < 1 || col > FieldWidth || row < 1 || row > FieldHeight)
                    continue;
                own[static_cast<size_t>((row - 1) * FieldWidth + (col - 1))] = s.placed[i + 2];
            }
            GameView().RedrawOwnField();
        }
        g.Inventory = s.inventory;
        GameView().RefreshDisplay(rfInventoryDisplay, 0);
        FinishQueueEntry();
    });
}

void acknowledgepiece(const tqpa& a) {
    LogErrors("acknowledgepiece", [&a] {
        tmegame& g = ClientState.game;
        if (PendingHistory.empty()) {
            AckUsageLog.clear();
        } else {
            thistoryevent& e = *PendingHistory.front();
            const thistoryclientstate& s = e.snapshot;
            if ((a.seedA & 0xFFFF) != (s.seedA & 0xFFFF) ||
                (a.seedB & 0xFFFF) != (s.seedB & 0xFFFF)) {
                AddLogLine("BUG: random seeds don't match! " + std::to_string(a.seedA) + "=" +
                           std::to_string(s.seedA) + " " + std::to_string(a.seedB) + "=" +
                           std::to_string(s.seedB));
                throw AcknowledgementMismatch("BUG: random seeds don't match!");
            }
            if (a.inventory != s.inventory) {
                AddLogLine("BUG: inventory doesn't match! " + a.inventory + "=" + s.inventory);
                throw AcknowledgementMismatch("BUG: inventory doesn't match!");
            }
            if (FieldChecksum(s.field) != (a.checksum & 0xFFFF)) {
                AddLogLine("BUG: field doesn't match! " + std::to_string(a.checksum));
                throw AcknowledgementMismatch("BUG: field doesn't match!");
            }
            if (!e.holdused)
                GameFx().TickPieceEffects();
            e.snapshot.upcoming = MergeTokens(e.snapshot.upcoming, a.tokens);
            catchuphistory();
            AckUsageLog = e.UsageLog;
            RetireEntry(std::move(PendingHistory.front()));
            PendingHistory.pop_front();
        }
        if (a.level != g.OwnLevel) {
            g.OwnLevel = a.level;
            if (!Settings.rules.avglvl)
                GameView().RefreshDisplay(rfLevel, 0);
        }
        if (g.PieceWaiting && PieceTokenCount(g.UpcomingPieces) > 2 &&
            GameTiming.PieceDelayStart == 0) {
            startpiece();
        } else {
            FinishQueueEntry();
        }
    });
}

void catchuphistory() {
    LogErrors("catchuphistory", [] {
        tmegame& g = ClientState.game;
        if (PendingHistory.empty()) {
            if (!g.HoldUsed)
                g.CurrentPiece = TurnedToken(g.UpcomingPieces, 1, g.PieceRotation);
            if (!g.PieceWaiting) {
                g.NextPieceToken = PieceTokenView(g.UpcomingPieces, 2);
                GameView().RefreshDisplay(rfNextPiece, 0);
            }
            GameView().RedrawOwnField();
            return;
        }
        // Each later entry's snapshot is the state its predecessor leaves after replay.
        thistoryclientstate s = PendingHistory.front()->snapshot;
        for (auto& entry : PendingHistory) {
            if (entry != PendingHistory.front())
                entry->snapshot = s;
            ReplayEntry(*entry, s);
        }

        int mask = rfHoldPiece;
        if (g.HoldUsed) {
            g.HoldToken.clear();
            if (!s.hold.empty()) {
                g.UpcomingPieces = s.hold + TokenSep + s.upcoming;
            } else {
                g.HoldUsed = 0;
                g.UpcomingPieces = s.upcoming;
            }
        } else {
            g.HoldToken = s.hold;
            g.UpcomingPieces = s.upcoming;
        }
        g.CurrentPiece = TurnedToken(g.UpcomingPieces, 1, g.PieceRotation);
        if (!g.PieceWaiting) {
            g.NextPieceToken = PieceTokenView(g.UpcomingPieces, 2);
            mask |= rfNextPiece;
        }
        g.SeedA = s.seedA;
        g.SeedB = s.seedB;
        TFieldString& own = OwnField();
        if (own != s.field)
            own = s.field;
        if (g.Inventory != s.inventory) {
            g.Inventory = s.inventory;
            mask |= rfInventoryDisplay;
        }
        if (g.LinesCleared != s.lines) {
            g.LinesCleared = s.lines;
            mask |= rfLineCount;
        }
        GameView().RefreshDisplay(mask, 0);
        GameView().RedrawOwnField();
    });
}

void DelayedPieceStart() {
    if (ClientState.game.QueueBusy)
        return;
    startpiece();
}

void AcknowledgementMessage(const std::string& payload) {
    if (auto a = DecodeAcknowledgement(payload)) {
        QueueAcknowledgement(false, *a);
    } else {
        AddLogLine("Short acknowledgement dropped (" + std::to_string(payload.size()) + " bytes)");
    }
}

void UsageConfirmationMessage(const std::string& payload) {
    if (auto c = DecodeUsageConfirmation(payload)) {
        UsageConfirmed(*c);
    } else {
        AddLogLine("Short usage confirmation dropped (" + std::to_string(payload.size()) +
                   " bytes)");
    }
}

void UsageConfirmed(const tusageconfirm& c) {
    if (c.flag == 1)
        return;
    tmegame& g = ClientState.game;
    if (!AckUsageLog.empty()) {
        DeleteUsagePair(AckUsageLog, c.id);
        g.Inventory = c.inventory;
        GameView().RefreshDisplay(rfInventoryDisplay, 0);
    } else if (!PendingHistory.empty()) {
        thistoryevent& e = *PendingHistory.front();
        DeleteUsagePair(e.UsageLog, c.id);
        e.snapshot.inventory = c.inventory;
        catchuphistory();
    }
}

void SendRoomGameSet(const std::string& name, const std::string& stored) {
    GameSender().SendGameMessage(MsgRoomGameSet, Join({name, stored}));
}

}  // namespace pk
