// The client's skin layout and painting as the editor's preview calls them.
// The client's skin headers declare the client's theme entry, whose name the
// editor's entry shares, so only this file's source includes them.
#pragma once

#include <cstdint>
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

// The layout keywords of a flag list.
uint32_t PreviewKeywords(std::string_view flagList);
// Whether a line of the text is exactly `word`.
bool PreviewHasLine(std::string_view text, std::string_view word);
// The element's rectangle, placed as the client places it.
PixelRect PreviewLayoutRect(const PixelRect& own, uint32_t keywords, const PreviewBox& box);
// The element's picture, painted as the client paints it.
void PreviewDrawElement(Surface16& target, const PixelRect& rect, int32_t colour,
                        const Surface16* image, const Mask* mask, uint32_t keywords,
                        std::string_view flagList);
// Coordinates are kept within this distance of the origin.
int PreviewCoordinateLimit();

}  // namespace pk
