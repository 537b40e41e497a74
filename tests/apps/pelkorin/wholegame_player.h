#pragma once
// Where a player would put the falling piece: every turn and column where it can fall from the
// top, dropped as far as it goes, scored by the rows it clears, the height it leaves, the holes
// under blocks and the roughness of the surface. Read from the client's own field and piece,
// with the game's own field routines.
#include <string>

#include "game/zrfield.h"

namespace pk::test {

struct PiecePlace {
    int turns = 0;  // quarter turns to the right from the piece as it falls now
    int x = 1;      // the column of the turned piece's left edge, 1-based
    bool found = false;
};

// The best place for `piece` (as it falls now) on `field`; not found when it fits nowhere.
PiecePlace ChoosePlace(const TPieceString& piece, const TFieldString& field);

}  // namespace pk::test
