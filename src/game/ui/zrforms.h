#pragma once
// The game's windows besides the extra settings dialog, each in its own file: the in-game
// window, the room window, the game-set editor and the key page with its key picker. The main
// program creates them in its fixed order.
#include "game/ui/zrgameform.h"
#include "game/ui/zrgamesetupform.h"
#include "game/ui/zrpartylineform.h"
#include "game/ui/zrskeyform.h"
#include "skin/ui/zrskinform.h"
