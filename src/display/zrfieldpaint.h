// The field painter: draws the six playfields of the game window from the game state and the
// options Settings.options.animdrop, showshadow, shadowoption, usealpha and resizefields.
//
// Display position 1 is the big field (block size BlockSize: the own slot, or the watched slot
// for a watcher); positions 2..6 are the small fields (SmallBlockSize) of the other slots in
// slot order. The painter is incremental: each player's CellLayerGrid keeps what every cell
// last showed, only changed cells are repainted on the position's field surface, and only
// those cells and the cells under overlays (falling piece, hold piece, timed-effect icons,
// team label) are copied to the window. Overlays are composed in FieldBuffer, so the field
// surfaces never hold them.
//
// Cell record bytes (TCellLayerRec::b):
//   0 cell character ('0' empty);
//   1 overlay: an overlay covers the cell this time;
//   2 repaint and 3 copy: working flags of one redraw;
//   4 block style: 0 opaque; 1, 2, 3 blended at 0.25, 0.5, 0.75; 4 outline (ghost styles);
//   5 darkness: 0 lit; 1 black; 2, 3, 4, 5 dimmed to 0.25, 0.5, 0.75, 0.9.
// After a redraw that reached its end the stored grid holds bytes 0, 1, 4 and 5 of it; a redraw
// that failed leaves it as it was, so the next one repaints what was missed.
#pragma once

#include <string>

#include "gfx/surface.h"
#include "gfx/text.h"

namespace pk {

// What the painter needs of the windows around it; the game window installs the real one.
class FieldPaintHost {
public:
    virtual ~FieldPaintHost() = default;
    // The game window's surface that RedrawField draws on (nullptr: none yet).
    virtual Surface16* GameCanvas() { return nullptr; }
    // Called after a redraw with the part of the target that changed.
    virtual void CanvasChanged(Surface16& /*target*/, const PixelRect& /*area*/) {}
    // The skin shows the hold piece in an element of its own (else the big field does).
    virtual bool HoldPieceElement() { return false; }
    // Text on the work surface (team labels, timed-effect counters); nullptr: no text.
    virtual TextPainter* Text() { return nullptr; }
};
FieldPaintHost& FieldPainter();
void SetFieldPaintHost(FieldPaintHost* host);  // nullptr restores the do-nothing host

// The rectangles of the skin elements "player1".."player6" by display position, set by the
// skin layout. A position without one draws nothing.
void SetPlayerElement(int position, const PixelRect& r);
void ClearPlayerElements();
bool PlayerElement(int position, PixelRect& r);

int SlotToDisplay(int slot);
int DisplayToSlot(int position);

// Redraws a slot's field onto the game window's canvas; full repaints every cell.
void RedrawField(int slot, bool full = false);
// The painter: the slot's field onto `target` inside its player element. Never throws: a
// failure is logged as "Error in redrawfield <slot> <full> DATA: <phase>".
void redrawfield(int slot, int full, Surface16* target);

// Forgets what every player's cells last showed, so the next redraw repaints them all (after
// the field surfaces were recreated).
void InvalidateCellGrids();

}  // namespace pk
