#pragma once
// The palette of the stock widgets (buttons, edits, combo boxes, lists, tabs, headers, scroll
// bars, group boxes, menus) inside a skinned window, worked out in one place from the colours
// of the container element that holds the window: its background colour is the page, and
// these colour parameters refine it:
//
//   "textfg"                       the page's own texts (labels, check boxes, tabs)
//   "boxbg", "boxtextfg"           boxes: edits, lists, text boxes, tables, menus
//   "controlbg", "controltextfg"   the face of buttons, combo boxes, tabs, headers, scroll bars
//   "selectbg"                     chosen rows and selected text
//   "edgefg"                       the frame of every box, so that a box belongs to its page
//
// "controlbg" makes the palette: a container without it leaves its window's widgets in the
// platform's palette, as they were before themes coloured them. Whatever else is absent is
// worked out: texts in black or white, whichever reads on their ground; boxes white; the
// shades of a control's edges, the selection, the frames and the faded texts of disabled
// controls mixed from the given colours. The dialogs, which no container holds, take the
// palette of the title page's container "con_login".
//
// Headless: colours are 0x00BBGGRR as the skin keeps them; the widget layer applies them.
#include <cstdint>

#include "skin/zrskin.h"

namespace pk {

// What a container element gives; kNoColour (-1) where a parameter is absent.
struct SkinPaletteSource {
    int32_t page = 0xFFFFFF;
    int32_t text = -1;
    int32_t box = -1;
    int32_t boxText = -1;
    int32_t control = -1;
    int32_t controlText = -1;
    int32_t select = -1;
    int32_t edge = -1;
};

// Every role by its name in Qt's palettes. `mid` is also the colour boxes are framed in.
struct SkinPalette {
    bool themed = false;  // false: the widgets keep the platform's palette
    int32_t window = 0, windowText = 0;
    int32_t base = 0, alternateBase = 0, text = 0, placeholderText = 0;
    int32_t button = 0, buttonText = 0, brightText = 0;
    int32_t light = 0, midlight = 0, mid = 0, dark = 0, shadow = 0;
    int32_t highlight = 0, highlightedText = 0, link = 0, linkVisited = 0;
    int32_t toolTipBase = 0, toolTipText = 0;
    // The texts of disabled controls, faded toward their ground.
    int32_t disabledWindowText = 0, disabledText = 0, disabledButtonText = 0;
};

SkinPaletteSource PaletteSourceOf(const TSkinElementRec& container);
SkinPalette DeriveSkinPalette(const SkinPaletteSource& source);
// What a box (list, text box, table) of a window in `palette` takes: it is light through and
// through, its header, scroll bars, grid lines and etched lines drawn from its own ground and
// text, not from the dark page around it; its frame stays the edges' colour.
SkinPalette BoxPalette(const SkinPalette& palette);
// The palette of the container element that holds a window.
SkinPalette ContainerPalette(const TSkinElementRec& container);
// The dialogs' palette: that of "con_login" in the skins built now (unthemed without one).
SkinPalette DialogPalette();

}  // namespace pk
