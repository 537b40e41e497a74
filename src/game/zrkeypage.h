// What the key page does to the key table, headless: which slot each grid row edits, the
// names it shows, a picked key, the two default buttons and the three sensitivity bars.
//
// The page edits the setting copies. An in-use copy follows at once when it equalled its
// setting before the change; otherwise (confusion, or an earlier change during this game) it
// stays until the next game start copies the settings into use.
#pragma once

#include <string>

#include "game/zrkeytable.h"

namespace pk {

// The page's three grids: movement (slots 0..5), miscellaneous (6..12), the players to aim
// specials at (13..18).
enum class KeyGrid { Move, Misc, Special };
int KeyGridRows(KeyGrid grid);
// The slot a grid row (0-based) edits; -1 for a row outside the grid.
int KeyGridSlot(KeyGrid grid, int row);

// The message the default buttons show while a game runs.
inline constexpr const char* KeysNextGameMessage =
    "Your new key configuration will not take effect until the next game.";

// The sensitivity bars and their ranges.
struct KeyPageBars {
    int delay = 0;   // "Move left"'s initial delay, 1..400
    int repeat = 0;  // "Move left"'s repeat interval, 1..300
    int fall = 0;    // "Fall faster"'s repeat interval, 1..300
};
inline constexpr int DelayBarMax = 400;
inline constexpr int RepeatBarMax = 300;
inline constexpr int BarTick = 20;

// What the page shows: "Move right" takes "Move left"'s delay and repeat settings (the two
// share one pair of bars), and the bars' values, each clamped into its bar's range.
KeyPageBars ShowKeysValues(TKeyTable& table);

// A key picked for a slot (0 when the capture closed without one).
void SetPickedKey(TKeyTable& table, int slot, int key);

// The default buttons. During a game only the settings change and the result is true: the
// caller shows KeysNextGameMessage. Outside one the defaults take effect at once.
bool DefaultKeysClick(TKeyTable& table, bool gameRunning);
bool DefaultSensitivityClick(TKeyTable& table, bool gameRunning);

// The bars moved to v by the player.
void HorzDelayChanged(TKeyTable& table, int v);
void HorzRepeatChanged(TKeyTable& table, int v);
void DownRepeatChanged(TKeyTable& table, int v);

}  // namespace pk
