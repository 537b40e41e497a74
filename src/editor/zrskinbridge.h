// The client's skin layout and painting as the editor's preview calls them.
// The client's skin headers declare the client's theme entry, whose name the
// editor's entry shares, so only this file's source includes them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "gfx/surface.h"

namespace pk {

// What an element is placed in: its parent's preview rectangle, or the window.
struct PreviewBox {
    int originX = 0;
    int originY = 0;
    int width = 0;  // current size
    int height = 0;
    int designWidth = 0;  // the size the rectangles were made for
    int designHeight = 0;
};

// Whether a line of the flag list is the name, whole and in any case.
bool HasFlagLine(std::string_view flagList, std::string_view name);
// The parameter text of the first line that is the name followed by LF;
// empty when there is none.
std::string GetFlagParam(std::string_view flagList, std::string_view name);

// The layout keywords of a flag list.
uint32_t PreviewKeywords(std::string_view flagList);
// The element's own rectangle placed in the box by the keywords of its flag
// list, as the client places it: aligned, resized by the box's scales, kept
// to the box, fixed and centred.
PixelRect LayoutSkinElement(const PixelRect& own, std::string_view flagList, const PreviewBox& box);
// The element's picture painted as the client paints it: `border` is the
// "border" parameter (the nine-slice margins).
void PaintSkinPicture(Surface16& target, const PixelRect& rect, int32_t colour,
                      const Surface16* image, const Mask* mask, uint32_t keywords,
                      std::string_view border);
// Coordinates are kept within this distance of the origin.
int PreviewCoordinateLimit();

}  // namespace pk
