#include "room/zrsbgame.h"

#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "game/zrfield.h"
#include "game/zrfmqueue.h"
#include "game/zrgame.h"
#include "game/zrgameio.h"
#include "game/zrkey.h"
#include "game/zrowngame.h"
#include "game/zrrandom.h"
#include "room/zrgamelink.h"
#include "room/zrroomhost.h"

namespace pk {

namespace {

SpecialOutlets default_outlets;
SpecialOutlets* outlets = &default_outlets;

tclient* SlotClient(int slot) {
    return ValidSlot(slot) ? SlotPlayers[static_cast<size_t>(slot)] : nullptr;
}

tplr* SlotRecord(int slot) {
    tclient* c = SlotClient(slot);
    return c ? c->plr.get() : nullptr;
}

void RedrawSlotField(int slot) {
    const tmegame& g = ClientState.game;
    if (slot == g.OwnSlot && !g.Spectating) {
        GameView().RedrawOwnField();
    } else {
        Room().RedrawSlot(slot);
    }
}

// The list the special events start and end timed effects in. Room message 0x11 is
// dispatched whether or not the special blocks were installed, so the list is made on first
// use rather than assumed.
TTimedSpecials& TimedList();

class EngineEnv : public SpecialEnv {
public:
    int Width() const override { return FieldWidth; }
    int Height() const override { return FieldHeight; }
    const SpecialRules& Rules() const override {
        rules_ = RulesInForce();
        return rules_;
    }
    int OwnSlot() const override { return ClientState.game.OwnSlot; }
    bool Spectating() const override { return ClientState.game.Spectating != 0; }
    bool GameRunning() const override { return ClientState.game.GameRunning != 0; }
    std::string* SlotField(int slot) override {
        tplr* p = SlotRecord(slot);
        return p ? &p->field : nullptr;
    }
    std::string SlotName(int slot) const override {
        const tclient* c = SlotClient(slot);
        return c ? c->name : std::string();
    }
    int SlotState(int slot) const override {
        const tplr* p = SlotRecord(slot);
        return p ? p->PlayerState : NoPlayerState;
    }
    void SetRevengeSlot(int slot) override { ClientState.game.RevengeSlot = slot; }
    int CountAttack() override { return ++ClientState.game.AttackCount; }
    void AddLinesCleared(int count) override { ClientState.game.LinesCleared += count; }
    void SetOwnLevel(int level) override { ClientState.game.OwnLevel = level; }
    void CollectIntoInventory(int lineCount, const std::string& letters) override {
        tmegame& g = ClientState.game;
        AddToInventory(Settings.rules, g.SeedA, lineCount, letters, g.Inventory);
    }
    std::string DecodeFieldDiff(const std::string& field, std::string_view bits) override {
        std::string result = field;
        pk::DecodeFieldDiff(result, std::string(bits));
        return result;
    }
    void FinishQueueEntry() override { pk::FinishQueueEntry(); }
    void RedrawField(int slot) override { RedrawSlotField(slot); }
    void RefreshDisplay(int mask) override { GameView().RefreshDisplay(mask, OwnSlot()); }
    void ConfuseKeys(const std::array<int, 4>& order) override { pk::ConfuseKeys(order); }
    void ResetKeyTable(int mask) override { pk::ResetKeyTable(mask); }
    // Confusion must not disturb the game's seeded generator: it has one of its own.
    int Draw(int n) override { return random_.draw(n); }
    std::string TimeStamp() override { return pk::TimeStamp(); }
    bool ShowIncomingSpecials() const override { return outlets->ShowIncomingSpecials(); }
    void AddAttackLine(const std::string& line) override { Room().AddAttackLine(line); }
    void AddGameEvent(const std::string& line) override {
        ClientState.game.GameEventLog.push_back(line);
    }
    void AddInGameChat(const std::string& line) override { Room().ShowGameMessage(line); }
    TTimedSpecials& Timed() override { return TimedList(); }

private:
    mutable SpecialRules rules_;
    TRandomGen random_ = TRandomGen::FromTimeOfDay();
};

class EngineTimedHost : public TimedHost {
public:
    int32_t SecondClock() override { return static_cast<int32_t>(GameClocks().SecondClock()); }
    int OwnSlot() override { return ClientState.game.OwnSlot; }
    void RedrawField(int slot) override { RedrawSlotField(slot); }
    void RefreshSlot(int mask, int slot) override { GameView().RefreshDisplay(mask, slot); }
    void PlayThemeSound(const std::string& name) override { GameView().PlaySound(name); }
    void SetTimedTimer(bool running) override { outlets->SetTimedTimer(running); }
};

class EngineEffects : public GameEffects {
public:
    void RunSpecialEvent(const tqsb& e) override {
        if (e.subkind == seAtOwnField) {
            destsb(EngineSpecials(), e.letters, e.data, e.fromslot, e.toslot);
        } else {
            OwnSpecialEcho(EngineSpecials(), e.letters, e.data, e.fromslot, e.toslot);
        }
    }
    void TickPieceEffects() override {
        if (TimedSpecials)
            TimedSpecials->TickTimedSpecials(tkPieces);
    }
};

EngineTimedHost timed_host;
EngineEffects engine_effects;

TTimedSpecials& TimedList() {
    if (!TimedSpecials)
        InitTimedSpecials(timed_host);
    return *TimedSpecials;
}

void RemoveSlotTimed(int slot) {
    if (TimedSpecials)
        TimedSpecials->cleartimed(slot);
}

}  // namespace

void SetSpecialOutlets(SpecialOutlets* o) {
    outlets = o ? o : &default_outlets;
}

SpecialRules RulesInForce() {
    const tgamerules& r = Settings.rules;
    SpecialRules s;
    s.deadsb = r.deadsb != 0;
    s.sbnlines = r.sbnlines;
    s.sbrblocks = r.sbrblocks;
    s.sbosize = r.sbosize;
    s.sbgcollect = r.sbgcollect != 0;
    s.sbglines = r.sbglines != 0;
    s.sbicount = r.sbicount;
    s.sbdcount = r.sbdcount;
    s.sbfcount = r.sbfcount;
    s.sbmcount = r.sbmcount;
    s.sbitimed = r.sbitimed != 0;
    s.sbdtimed = r.sbdtimed != 0;
    s.sbftimed = r.sbftimed != 0;
    s.sbmtimed = r.sbmtimed != 0;
    s.sbistack = r.sbistack != 0;
    s.sbdstack = r.sbdstack != 0;
    s.sbfstack = r.sbfstack != 0;
    s.sbmstack = r.sbmstack != 0;
    s.sbiself = r.sbiself != 0;
    return s;
}

SpecialEnv& EngineSpecials() {
    static EngineEnv env;
    return env;
}

void InstallSpecialBlocks() {
    if (!TimedSpecials)
        InitTimedSpecials(timed_host);
    SetGameEffects(&engine_effects);
    SlotHooks.RemoveSlotTimed = &RemoveSlotTimed;
}

void UninstallSpecialBlocks() {
    if (SlotHooks.RemoveSlotTimed == &RemoveSlotTimed)
        SlotHooks.RemoveSlotTimed = nullptr;
    SetGameEffects(nullptr);
    FreeTimedSpecials();
}

void TimedSpecialsTimer() {
    LogErrors("timedsbtimerTimer", [] {
        if (TimedSpecials)
            TimedSpecials->TickTimedSpecials(tkSeconds);
    });
}

void RoomMsgOtherSpecial(const std::string& payload) {
    const std::string letters = TokenAt(1, payload, TokenSep);
    const int from = ParseInt(TokenAt(2, payload, TokenSep)).value_or(0);
    const int to = ParseInt(TokenAt(3, payload, TokenSep)).value_or(0);
    const std::string data = RestFromToken(4, payload, TokenSep);
    otherperformsb(EngineSpecials(), letters, data, from, to);
}

}  // namespace pk
