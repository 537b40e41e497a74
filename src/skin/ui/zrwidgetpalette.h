#pragma once
// The widget side of the skins' palettes (skin/zrskinpalette.h): a window and every stock
// widget in it take the palette its container's colours give; the dialogs take the title
// page's. Qt lets a window's children inherit its palette, but not the menus and pop-ups it
// owns (they are windows of their own), so those are given it too; and every box (list, text
// box, table) is framed in the palette's edge colour, so that a light box on a dark page
// belongs to the page. An unthemed palette gives everything back the platform's palette and
// the style's frames.
#include <QPalette>

#include "skin/zrskinpalette.h"

class QWidget;

namespace pk {

QPalette ToQPalette(const SkinPalette& palette);
void ApplySkinPalette(QWidget& window, const SkinPalette& palette);
// The dialog takes DialogPalette() each time it is shown, so it follows the theme in force.
void FollowDialogPalette(QWidget& dialog);

}  // namespace pk
