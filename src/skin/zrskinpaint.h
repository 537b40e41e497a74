// Skin painting: element pictures (colour, then the image plainly tiled, stretched or as a
// nine-slice frame, through its mask), the repaint of an exposed rectangle, and the repaint of
// dirty elements, all through the one back buffer SkinBuffer and then presented on the form.
//
// Element images stay in their library until first drawn (LoadElementBitmaps).
#pragma once

#include <cstdint>

#include "gfx/surface.h"
#include "gfx/tiling.h"
#include "skin/zrskin.h"

namespace pk {

class SkinForm;

// The "border" value: four comma-separated decimal numbers, left, top, right and bottom band
// widths; a missing or bad number counts as 5.
SliceBands ParseBorderBands(std::string_view value);

// Loads the element's image (and its mask when the entry has one) from its library, bounded by
// the file; a range outside the file or bytes that do not decode leave the element without a
// picture and add a log line. Tried once until the bitmaps are freed.
void LoadElementBitmaps(TSkinElementRec& element);

// Draws the element's picture into `target` inside its clip rectangle: the background colour,
// then the image by the element's keywords.
void DrawElement(TSkinElementRec& element, Surface16& target);
// The same picture rules for any rectangle (the editor's preview draws with these): `colour`
// 0x00BBGGRR or negative for none; `parameters` the element's parameter text.
void DrawSkinPicture(Surface16& target, const PixelRect& rect, int32_t colour,
                     const Surface16* image, const Mask* mask, uint32_t keywords,
                     std::string_view parameters);
// The same with the "border" bands already read.
void DrawSkinPicture(Surface16& target, const PixelRect& rect, int32_t colour,
                     const Surface16* image, const Mask* mask, uint32_t keywords,
                     const SliceBands& border);

// Whether the element takes part in repainting the rectangle: its rectangle meets it, unless
// it is a "border" element with a value and the common part lies wholly inside its frame.
bool ElementTouchesRect(const TSkinElementRec& element, const PixelRect& rect);

// Repaints one rectangle of a form (an exposed area, or the whole form after a resize).
void PaintSkinRect(SkinForm* form, const PixelRect& rect);
// Repaints the dirty elements of a skin, and what they overlap.
void PaintSkin(tskinf& skin);
// Every skin not being painted: painted when dirty and its form is visible, else its dirty
// flag cleared.
void PaintDirtySkins();
// The same for one skin (what the script and input handlers do after their events).
void PaintOrClearSkin(tskinf& skin);
// Marks the element of that name dirty, with its skin.
void InvalidateElement(const SkinForm* form, std::string_view name);
void InvalidateElement(TSkinElementRec& element);

// The work bitmaps of game display elements: made on first use (the mask as an alpha map when
// `alpha`, else a transparency mask), grown to the element's size and cleared (image black;
// mask transparent).
void PrepareElementBuffers(TSkinElementRec& element, bool alpha);
// Puts the composed work image into the element's rectangle on `target` through the work mask.
void DrawElementImage(TSkinElementRec& element, Surface16& target);

}  // namespace pk
