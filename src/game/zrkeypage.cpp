#include "game/zrkeypage.h"

#include <algorithm>

#include "game/zrkey.h"

namespace pk {

namespace {

TKeySlotRec& Slot(TKeyTable& table, int slot) {
    return table[static_cast<std::size_t>(slot)];
}

// One field pair of a slot: the setting follows v, the in-use copy only when it equalled the
// setting (a copy changed by the game keeps its value until the next game).
void SetFollowing(int32_t& setting, SharedField<int32_t>& inUse, int v) {
    if (setting == inUse.load())
        inUse = v;
    setting = v;
}

// The two move keys share a bar: both settings follow v, and both in-use copies when "Move
// left"'s equalled its setting.
void SetMovePair(TKeyTable& table, int32_t TKeySlotRec::*setting,
                 SharedField<int32_t> TKeySlotRec::*inUse, int v) {
    TKeySlotRec& left = Slot(table, kaMoveLeft);
    TKeySlotRec& right = Slot(table, kaMoveRight);
    const bool follow = left.*setting == (left.*inUse).load();
    KeyTableBusy = 1;
    left.*setting = right.*setting = v;
    if (follow) {
        left.*inUse = v;
        right.*inUse = v;
    }
    KeyTableBusy = 0;
}

}  // namespace

int KeyGridRows(KeyGrid grid) {
    switch (grid) {
        case KeyGrid::Move:
            return 6;
        case KeyGrid::Misc:
            return 7;
        case KeyGrid::Special:
            return 6;
    }
    return 0;
}

int KeyGridSlot(KeyGrid grid, int row) {
    if (row < 0 || row >= KeyGridRows(grid))
        return -1;
    switch (grid) {
        case KeyGrid::Move:
            return kaRotateRight + row;
        case KeyGrid::Misc:
            return kaToggleTarget + row;
        case KeyGrid::Special:
            return kaPlayer1 + row;
    }
    return -1;
}

KeyPageBars ShowKeysValues(TKeyTable& table) {
    TKeySlotRec& left = Slot(table, kaMoveLeft);
    TKeySlotRec& right = Slot(table, kaMoveRight);
    right.DelaySetting = left.DelaySetting;
    right.RepeatSetting = left.RepeatSetting;
    KeyPageBars bars;
    bars.delay = std::clamp(left.DelaySetting, 1, DelayBarMax);
    bars.repeat = std::clamp(left.RepeatSetting, 1, RepeatBarMax);
    bars.fall = std::clamp(Slot(table, kaFallFaster).RepeatSetting, 1, RepeatBarMax);
    return bars;
}

void SetPickedKey(TKeyTable& table, int slot, int key) {
    if (slot < 0 || slot >= KeySlotCount)
        return;
    TKeySlotRec& s = Slot(table, slot);
    KeyTableBusy = 1;
    SetFollowing(s.KeySetting, s.KeyInUse, key);
    KeyTableBusy = 0;
}

bool DefaultKeysClick(TKeyTable& table, bool gameRunning) {
    ResetKeyTable(table, gameRunning ? krDefaultKeys : krDefaultKeys | krUseKeys);
    return gameRunning;
}

bool DefaultSensitivityClick(TKeyTable& table, bool gameRunning) {
    const int settings = krDefaultRepeats | krDefaultDelays;
    ResetKeyTable(table, gameRunning ? settings : settings | krUseRepeats | krUseDelays);
    return gameRunning;
}

void HorzDelayChanged(TKeyTable& table, int v) {
    SetMovePair(table, &TKeySlotRec::DelaySetting, &TKeySlotRec::DelayInUse, v);
}

void HorzRepeatChanged(TKeyTable& table, int v) {
    SetMovePair(table, &TKeySlotRec::RepeatSetting, &TKeySlotRec::RepeatInUse, v);
}

void DownRepeatChanged(TKeyTable& table, int v) {
    TKeySlotRec& fall = Slot(table, kaFallFaster);
    KeyTableBusy = 1;
    SetFollowing(fall.RepeatSetting, fall.RepeatInUse, v);
    KeyTableBusy = 0;
}

}  // namespace pk
