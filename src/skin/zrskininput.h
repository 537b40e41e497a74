// Mouse and keys on skinned forms: the press, move and release state machine that runs the
// elements' mouse scripts, and the key scripts of keys pressed with Shift, Alt or Ctrl.
#pragma once

#include <string>

#include "skin/zrskin.h"

namespace pk {

class SkinForm;

// SkinMouseEvent kinds.
enum SkinMouseKind : int {
    smDown = 0,  // left button pressed
    smDrag = 1,  // moved with the left button down
    smMove = 2,  // moved with no button down
    smUp = 3,    // left button released
};

void SkinMouseEvent(SkinForm* form, int kind, int x, int y);

// Modifier keys held with a key.
struct SkinShiftState {
    bool shift = false;
    bool alt = false;
    bool ctrl = false;
};

// "OnKey" + "Control", "Alt", "Shift" (those held, in this order) + the key's name, unless the
// key itself is Shift, Ctrl or Alt (virtual keys 16, 17, 18); lower-cased.
std::string SkinKeyEventName(int key, SkinShiftState shift);
// Runs the key's event on the visible and active elements of every visible skinned form.
void SkinKeyEvent(int key, SkinShiftState shift);

}  // namespace pk
