// The surfaces the field painter draws on: one per display position and one work surface.
// The main window creates them at its creation and again whenever a theme sets new metrics.
#pragma once

#include <array>

#include "game/zrslot.h"
#include "gfx/blockblit.h"
#include "gfx/surface.h"

namespace pk {

// Block size of the five small fields (the big field's is BlockSize, zrgamethread.h).
extern int SmallBlockSize;

// By display position 1..6 (index 0 unused): position 1, the big field, is
// FieldWidth*BlockSize by FieldHeight*BlockSize pixels; positions 2..6 are
// FieldWidth*SmallBlockSize by FieldHeight*SmallBlockSize. Each holds its field's cells as
// they were last drawn.
extern std::array<Surface16, MaxSlots + 1> PlayerFieldBitmaps;
// Scratch surface of the big field's size that the overlays are composed in.
extern Surface16 FieldBuffer;

// (Re)creates the seven surfaces, black, at the sizes the current FieldWidth, FieldHeight,
// BlockSize and SmallBlockSize give (sizes below 1 give empty surfaces).
void CreatePlayerFieldBitmaps();
void FreePlayerFieldBitmaps();

// FieldWidth, FieldHeight, BlockSize and SmallBlockSize as the block blits take them.
BlockMetrics CurrentBlockMetrics();

}  // namespace pk
