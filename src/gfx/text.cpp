#include "gfx/text.h"

namespace pk {

void DrawOutlinedText(TextPainter& painter, Surface16& dst, uint32_t textColour,
                      uint32_t outlineColour, std::string_view text, int x, int y) {
    static constexpr int kRing[8][2] = {{-1, -1}, {1, 1}, {-1, 1}, {1, -1},
                                        {-1, 0},  {1, 0}, {0, -1}, {0, 1}};
    const Pixel16 outline = ColorRefTo555(outlineColour);
    for (const auto& d : kRing) painter.DrawText(dst, x + d[0], y + d[1], text, outline);
    painter.DrawText(dst, x, y, text, ColorRefTo555(textColour));
}

}  // namespace pk
