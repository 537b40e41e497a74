// Special-block events: the game server decides what a special block does (the random parts are
// in the event's data) and every client applies it. Specials on the own field run as entries of
// the event queue; specials between two other players change their small fields directly.
// Each event also writes the attack list, the game-event log and, for an incoming special, the
// in-game chat.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "game/zrtimedsb.h"

namespace pk {

// Display names, in the order of SpecialAlphabet.
extern const std::array<std::string_view, 14> SpecialNames;

// The display name of a special letter, "" when the text is no special.
std::string_view SpecialName(std::string_view letters);

// Per letter of SpecialAlphabet: true when the special helps its user (c, n, g, i).
bool SpecialIsHelpful(char letter);

// The rules of the game set in force that the specials read; the defaults are the game set's.
struct SpecialRules {
    bool deadsb = true;
    int sbnlines = 0;
    int sbrblocks = 10;
    int sbosize = 1;
    bool sbgcollect = false;
    bool sbglines = false;
    int sbicount = 30, sbdcount = 10, sbfcount = 10, sbmcount = 3;
    bool sbitimed = true, sbdtimed = true, sbftimed = true, sbmtimed = false;
    bool sbistack = false, sbdstack = false, sbfstack = false, sbmstack = false;
    bool sbiself = false;
};

// What the special blocks need of the game around them: the room's players and their fields,
// the own game's counters, the event queue, the key table, the painter and the text outputs.
class SpecialEnv {
public:
    virtual ~SpecialEnv() = default;

    // Field geometry and the rules in force.
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual const SpecialRules& Rules() const = 0;

    // Room and own game.
    virtual int OwnSlot() const = 0;
    virtual bool Spectating() const = 0;
    virtual bool GameRunning() const = 0;
    // nullptr when the slot holds no player (or is outside 1..6).
    virtual std::string* SlotField(int slot) = 0;
    virtual std::string SlotName(int slot) const = 0;
    // The `PlayerState` of the slot's player (PlayerStateId); a slot without a player answers
    // NoPlayerState.
    static constexpr int NoPlayerState = 0;
    virtual int SlotState(int slot) const = 0;

    virtual void SetRevengeSlot(int slot) = 0;
    // AttackCount += 1, returning the new count.
    virtual int CountAttack() = 0;
    virtual void AddLinesCleared(int count) = 0;
    virtual void SetOwnLevel(int level) = 0;
    // The collected letters enter the inventory as a line clear's would.
    virtual void CollectIntoInventory(int lineCount, const std::string& letters) = 0;
    // The field difference decoder of the game link.
    virtual std::string DecodeFieldDiff(const std::string& field, std::string_view bits) = 0;

    virtual void FinishQueueEntry() = 0;
    virtual void RedrawField(int slot) = 0;
    virtual void RefreshDisplay(int mask) = 0;

    // Key table: the in-use key codes of ConfusableActions[k] become the setting key codes of
    // ConfusableActions[order[k]]; and the table's reset by mask.
    virtual void ConfuseKeys(const std::array<int, 4>& order) = 0;
    virtual void ResetKeyTable(int mask) = 0;
    // A draw 0..n-1 from a generator that is not the game's seeded one.
    virtual int Draw(int n) = 0;

    // Texts.
    virtual std::string TimeStamp() = 0;
    virtual bool ShowIncomingSpecials() const = 0;  // option "showincsb"
    virtual void AddAttackLine(const std::string& line) = 0;
    virtual void AddGameEvent(const std::string& line) = 0;
    virtual void AddInGameChat(const std::string& line) = 0;

    virtual TTimedSpecials& Timed() = 0;
};

// A special aimed at the own field (event queue, special-block entry aimed at the own field).
void destsb(SpecialEnv& env, const std::string& letters, const std::string& data, int fromSlot,
            int toSlot);
// The own special acting on `toSlot` (event queue, the own player's special on another).
void OwnSpecialEcho(SpecialEnv& env, const std::string& letters, const std::string& data,
                    int fromSlot, int toSlot);
// A special between two other players (room message 0x11).
void otherperformsb(SpecialEnv& env, const std::string& letters, const std::string& data,
                    int fromSlot, int toSlot);
// The attack-list, game-event and incoming lines of one event.
void AttackLine(SpecialEnv& env, const std::string& letters, const std::string& data, int fromSlot,
                int toSlot);
// Column gravity on a slot's field; returns the rows it completed, as FullRows lists them.
std::string ApplyGravity(SpecialEnv& env, int slot);
void QuakeField(SpecialEnv& env, int slot, std::string_view data);
// Lines for several players at once.
void sbaa(SpecialEnv& env, std::string_view data);

}  // namespace pk
