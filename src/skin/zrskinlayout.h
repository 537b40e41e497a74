// Skin layout: how an element's rectangle follows its form, or its parent element, when the
// form is resized. One routine, LayoutSkinRect, serves the client and the editor's skin
// preview alike.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "gfx/surface.h"
#include "skin/zrskin.h"

namespace pk {

// The 21 layout keywords, as bit numbers of an element's keyword set, in the order they are
// defined (the order they apply is LayoutSkinRect's).
enum LayoutKeyword : int {
    lkAlignRight = 0,
    lkAlignBottom,
    lkAlignBoth,
    lkResizeLeft,
    lkResizeTop,
    lkResizeRight,
    lkResizeBottom,
    lkResizeAll,
    lkMaxRight,
    lkMaxBottom,
    lkMaxBoth,
    lkFixedWidth,
    lkFixedHeight,
    lkFixedBoth,
    lkCenterWidth,
    lkCenterHeight,
    lkCenterBoth,
    lkBorder,
    lkStretchWidth,
    lkStretchHeight,
    lkStretchBoth,
    LayoutKeywordCount
};

// "alignright" ... "stretchboth", indexed by LayoutKeyword.
std::span<const std::string_view> LayoutKeywordNames();
// The keyword of a name (exact), or -1.
int LayoutKeywordOf(std::string_view name);
// The keywords of a parameter text: every CR-separated line whose name (the part before LF, or
// the whole line) is a keyword.
uint32_t ParseLayoutKeywords(std::string_view parameterText);
constexpr bool HasKeyword(uint32_t set, LayoutKeyword k) {
    return (set >> k) & 1u;
}

// What an element is laid out in: its parent element's rectangle, or the form.
struct LayoutBox {
    int originX = 0;  // added to the result
    int originY = 0;
    int width = 0;  // current size of the box
    int height = 0;
    int referenceWidth = 0;  // the size the rectangles were designed for
    int referenceHeight = 0;
};

// Coordinates are kept within this many pixels of the origin, so sums from a hostile theme
// never overflow.
inline constexpr int kMaxLayoutCoordinate = 1 << 24;

// The rectangle of an element whose reference rectangle is `reference` (relative to the box),
// with keywords `keywords`, inside the box. Scales are current / reference size of the box; a
// reference size of 0 or less scales by 1. "alignright" and "alignbottom" keep the distance to
// the box's right and bottom edges as designed.
PixelRect LayoutSkinRect(const PixelRect& reference, uint32_t keywords, const LayoutBox& box);

// Whether the element was laid out for another size than its skin's current one.
bool NeedsLayout(const TSkinElementRec& element);
// Lays the element out (its parent first when that needs it) and raises event 0.
void LayoutElement(TSkinElementRec& element);
// The element's box: its parent's rectangle or its skin's size.
LayoutBox ElementBox(const TSkinElementRec& element);
// After a resize of the form: when its client area is at least 1 x 1, the back buffer grows to
// hold it, the skin's current size becomes the client size and every visible and active
// element is laid out.
void ResizeSkin(SkinForm* form);

}  // namespace pk
