// Timed special blocks: immunity "i", darkness "d", confusion "f" and mutated pieces "m" act
// for a number of seconds or of pieces. Their running instances, on the own field and on the
// other players', are held in one list that the painter, the in-game window and the key
// actions read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pk {

// What a timed effect is counted in, and which of the two ticks steps it.
enum TimedCountKind : uint8_t {
    tkSeconds = 0,  // the 500 ms timer
    tkPieces = 1,   // every acknowledged own piece that did not come from the hold slot
};

// One running timed effect.
struct TTimedSpecialRec {
    uint8_t flag = tkSeconds;  // a second tick that steps it: tkPieces for "m"
    uint8_t kind = tkSeconds;  // what it runs out by
    int32_t slot = 0;          // the player under the effect
    int32_t sourceSlot = 0;    // the player who used the special
    std::string name;          // the letter, at most 10 characters
    int32_t startTime = 0;     // SecondClock at the start
    int32_t lastStep = 0;      // SecondClock of the last whole interval stepped
    int32_t endTime = 0;       // start + duration
    int32_t repeat = 0;        // seconds per step (1); 0 once a time-counted effect ran out
    int32_t counter = 0;       // pieces counted so far
    int32_t limit = 0;         // pieces allowed; 0 once a piece-counted effect ran out
};

// What the list needs of the program around it: the clock, the painter, sounds and the
// main window's 500 ms timer.
class TimedHost {
public:
    virtual ~TimedHost() = default;
    virtual int32_t SecondClock() = 0;
    virtual int OwnSlot() = 0;
    virtual void RedrawField(int slot) = 0;
    // Refresh of the in-game display elements of one slot (RefreshBits; rfSlotName shows its
    // timed effects).
    virtual void RefreshSlot(int mask, int slot) = 0;
    virtual void PlayThemeSound(const std::string& name) = 0;
    virtual void SetTimedTimer(bool running) = 0;
};

class TTimedSpecials {
public:
    explicit TTimedSpecials(TimedHost& host) : host_(host) {}

    void AddTimed(int slot, int sourceSlot, std::string_view name, int limit, int repeat,
                  int duration, bool merge, uint8_t kind, uint8_t flag);
    void MergeTimed(TTimedSpecialRec record, bool merge);
    // kind: TimedCountKind, the tick that has come. An entry that runs out (repeat or limit
    // set to 0) stays in the list and active until timeddelete or cleartimed removes it.
    void TickTimedSpecials(int kind);
    bool TimedActive(int slot, std::string_view name) const;
    void timeddelete(int slot, std::string_view name);
    // Every entry of the slot, or of all slots for 0.
    void cleartimed(int slot);

    const std::vector<TTimedSpecialRec>& Entries() const { return entries_; }
    std::vector<TTimedSpecialRec> EntriesOf(int slot) const;

private:
    void StartTimerFor(const TTimedSpecialRec& record);
    void StopTimerWhenEmpty();
    void ShowRemoved(int slot);

    TimedHost& host_;
    std::vector<TTimedSpecialRec> entries_;
    bool timerRunning_ = false;
};

// The program's one list, created at start-up and freed at shutdown.
extern TTimedSpecials* TimedSpecials;
void InitTimedSpecials(TimedHost& host);
void FreeTimedSpecials();

}  // namespace pk
