#include "game/zrtimedsb.h"

#include <algorithm>

#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "game/zrgameio.h"

namespace pk {

TTimedSpecials* TimedSpecials = nullptr;

namespace {

constexpr size_t kMaxNameLength = 10;

// The entry of `slot` named `name` (names compare without case).
auto Matches(int slot, std::string_view name) {
    return [slot, name](const TTimedSpecialRec& e) {
        return e.slot == slot && SameText(e.name, name);
    };
}

bool NeedsTimer(const TTimedSpecialRec& r) {
    return r.kind == tkSeconds || r.flag == tkSeconds;
}

}  // namespace

void TTimedSpecials::AddTimed(int slot, int sourceSlot, std::string_view name, int limit,
                              int repeat, int duration, bool merge, uint8_t kind, uint8_t flag) {
    TTimedSpecialRec record;
    record.flag = flag;
    record.kind = kind;
    record.slot = slot;
    record.sourceSlot = sourceSlot;
    record.name = std::string(name.substr(0, kMaxNameLength));
    record.startTime = host_.SecondClock();
    record.lastStep = record.startTime;
    record.endTime = ClampToInt32(int64_t{record.startTime} + duration);
    record.repeat = repeat;
    record.counter = 0;
    record.limit = limit;
    MergeTimed(std::move(record), merge);
    if (slot == host_.OwnSlot()) {
        host_.RedrawField(slot);
        host_.PlayThemeSound("newtimed");
    } else {
        host_.RefreshSlot(rfSlotName, slot);
    }
}

void TTimedSpecials::MergeTimed(TTimedSpecialRec record, bool merge) {
    auto found = std::find_if(entries_.begin(), entries_.end(), Matches(record.slot, record.name));
    if (found == entries_.end()) {
        entries_.push_back(record);
        StartTimerFor(record);
        return;
    }
    if (merge) {
        found->sourceSlot = record.sourceSlot;
        if (found->kind == tkSeconds) {
            found->endTime =
                ClampToInt32(int64_t{found->endTime} + record.endTime - record.startTime);
        } else {
            found->limit = ClampToInt32(int64_t{found->limit} + record.limit);
        }
    } else {
        *found = record;
    }
    StartTimerFor(*found);
}

void TTimedSpecials::TickTimedSpecials(int kind) {
    std::vector<int> redraw;
    for (auto& e : entries_) {
        if (e.flag != kind && e.kind != kind)
            continue;
        if (kind == tkSeconds) {
            if (e.repeat < 1)
                continue;
            const int64_t now = host_.SecondClock();
            const int64_t passed = now - e.lastStep;
            if (passed < e.repeat)
                continue;
            // Every missed interval is stepped at once, however long the gap.
            const int64_t steps = passed / e.repeat;
            e.lastStep = ClampToInt32(e.lastStep + steps * e.repeat);
            if (e.kind == tkSeconds && e.lastStep > e.endTime)
                e.repeat = 0;
        } else {
            if (e.limit < 1)
                continue;
            e.counter = ClampToInt32(int64_t{e.counter} + 1);
            if (e.kind == tkPieces && e.counter > e.limit)
                e.limit = 0;
        }
        redraw.push_back(e.slot);
    }
    // An entry that has run out stays, and stays in force, until the game server ends it
    // (timeddelete at its "end" phase, or cleartimed): the server decides how long immunity,
    // darkness and confusion last.
    for (int slot : redraw) host_.RedrawField(slot);
}

bool TTimedSpecials::TimedActive(int slot, std::string_view name) const {
    return std::any_of(entries_.begin(), entries_.end(), Matches(slot, name));
}

void TTimedSpecials::timeddelete(int slot, std::string_view name) {
    LogErrors("timeddelete", [&] {
        auto it = std::find_if(entries_.begin(), entries_.end(), Matches(slot, name));
        if (it == entries_.end())
            return;
        entries_.erase(it);
        StopTimerWhenEmpty();
        ShowRemoved(slot);
    });
}

void TTimedSpecials::cleartimed(int slot) {
    LogErrors("cleartimed", [&] {
        std::vector<int> slots;
        for (const auto& e : entries_) {
            if ((slot == 0 || e.slot == slot) &&
                std::find(slots.begin(), slots.end(), e.slot) == slots.end()) {
                slots.push_back(e.slot);
            }
        }
        std::erase_if(entries_,
                      [&](const TTimedSpecialRec& e) { return slot == 0 || e.slot == slot; });
        StopTimerWhenEmpty();
        for (int s : slots) {
            host_.RedrawField(s);
            host_.RefreshSlot(rfSlotName, s);
        }
    });
}

std::vector<TTimedSpecialRec> TTimedSpecials::EntriesOf(int slot) const {
    std::vector<TTimedSpecialRec> result;
    for (const auto& e : entries_) {
        if (e.slot == slot)
            result.push_back(e);
    }
    return result;
}

void TTimedSpecials::StartTimerFor(const TTimedSpecialRec& record) {
    if (!NeedsTimer(record) || timerRunning_)
        return;
    timerRunning_ = true;
    host_.SetTimedTimer(true);
}

void TTimedSpecials::StopTimerWhenEmpty() {
    if (!entries_.empty() || !timerRunning_)
        return;
    timerRunning_ = false;
    host_.SetTimedTimer(false);
}

void TTimedSpecials::ShowRemoved(int slot) {
    if (slot == host_.OwnSlot()) {
        host_.RedrawField(slot);
        host_.PlayThemeSound("removetimed");
    } else {
        host_.RefreshSlot(rfSlotName, slot);
    }
}

void InitTimedSpecials(TimedHost& host) {
    FreeTimedSpecials();
    TimedSpecials = new TTimedSpecials(host);
}

void FreeTimedSpecials() {
    delete TimedSpecials;
    TimedSpecials = nullptr;
}

}  // namespace pk
