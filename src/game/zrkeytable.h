// The key table: one slot per key action, with the key, the initial delay and the repeat
// interval as configured ("setting") and as the game polls them ("in use"). The in-use copies
// follow the settings only when the table is reset (at the game start), so a changed key
// configuration acts from the next game on; confusion changes the in-use keys meanwhile.
//
// The game thread reads the in-use fields and owns the next-fire times while the main thread
// may rewrite them, so those fields are atomic. The record stays copyable, so the settings
// record that holds the table can still be copied.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace pk {

inline constexpr int KeySlotCount = 19;

// An atomic field that can be copied with the record around it.
template <class T>
class SharedField {
public:
    SharedField(T value = T()) : value_(value) {}
    SharedField(const SharedField& other) : value_(other.load()) {}
    SharedField& operator=(const SharedField& other) {
        store(other.load());
        return *this;
    }
    SharedField& operator=(T value) {
        store(value);
        return *this;
    }
    operator T() const { return load(); }
    T load() const { return value_.load(std::memory_order_acquire); }
    void store(T value) { value_.store(value, std::memory_order_release); }

private:
    std::atomic<T> value_;
};

// One key slot; the table's index is the action id.
struct TKeySlotRec {
    int32_t ActionId = 0;
    int32_t RepeatSetting = 0;         // ms between repeats, as configured
    SharedField<int32_t> RepeatInUse;  // copy the poll uses
    int32_t KeySetting = 0;            // virtual-key code as configured (the key page edits it)
    SharedField<int32_t> KeyInUse;     // copy the game thread polls
    int32_t DelaySetting = 0;          // ms before the first repeat, as configured
    SharedField<int32_t> DelayInUse;   // copy the poll uses
    int32_t Unused = 0;
    SharedField<int64_t> NextFire;  // clock time of the next event while held; 0 = key up
};

using TKeyTable = std::array<TKeySlotRec, KeySlotCount>;

}  // namespace pk
