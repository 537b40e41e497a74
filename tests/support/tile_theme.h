#pragma once
// A main bitmap with detail for the painters' golden pictures: each tile is its TileColour
// with a light top-left edge and a dark bottom-right edge, the field backgrounds are a grid
// of cells, and the masks have shape (a transparency mask cuts each tile's corners; an alpha
// map makes each tile's edge half opaque). Made by the test, in the main bitmap layout.
#include "klb/zrtheme.h"
#include "support/synthetic_theme.h"

namespace pk::test {

TZRMainbmp TileTheme(const MainLayout& layout, MaskKind mask);

// Selects the main bitmap as the loaded theme of Settings-like records: points the draw
// record at it and binds the surfaces.
void UseMainBitmap(TZRTheme& theme, TZRMainbmp* mainbmp);

}  // namespace pk::test
