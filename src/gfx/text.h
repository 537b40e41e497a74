// Text on our surfaces goes through one small interface: the painters measure and draw with
// it, the Qt side implements it (qtsurface.h), tests use a fake with fixed metrics.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "gfx/surface.h"

namespace pk {

struct TextExtent {
    int width = 0;
    int height = 0;
};

enum class FontWeight { Normal, Bold };

class TextPainter {
public:
    virtual ~TextPainter() = default;
    // The font of every later call: a family name, a size in points (1/72 inch at the 96 dots
    // per inch the themes are laid out for) and a weight.
    void SetFont(std::string_view family, int points, FontWeight weight = FontWeight::Normal) {
        ChooseFont(family, points, weight);
    }
    // Text is Windows-1252 bytes.
    virtual TextExtent Measure(std::string_view text) = 0;
    // Draws with its top-left corner at (x, y), clipped to the surface's clip rectangle, on a
    // clear background.
    virtual void DrawText(Surface16& dst, int x, int y, std::string_view text, Pixel16 colour) = 0;

protected:
    // SetFont's work; a default weight is given here once, never on an override.
    virtual void ChooseFont(std::string_view family, int points, FontWeight weight) = 0;
};

// The text in the outline colour at the eight neighbours of (x, y), then in the text colour
// at (x, y). Colours are 0x00BBGGRR.
void DrawOutlinedText(TextPainter& painter, Surface16& dst, uint32_t textColour,
                      uint32_t outlineColour, std::string_view text, int x, int y);

}  // namespace pk
