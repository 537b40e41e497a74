#include "gfx/text.h"

#include <limits>

namespace pk {

void DrawOutlinedText(TextPainter& painter, Surface16& dst, uint32_t textColour,
                      uint32_t outlineColour, std::string_view text, int x, int y) {
    static constexpr int kRing[8][2] = {{-1, -1}, {1, 1}, {-1, 1}, {1, -1},
                                        {-1, 0},  {1, 0}, {0, -1}, {0, 1}};
    const Pixel16 outline = ColorRefTo555(outlineColour);
    // The outline is drawn one pixel around; at the very edge of the coordinate range the
    // ring folds onto the text rather than wrapping around.
    auto near = [](int v, int d) {
        return d < 0 ? (v == std::numeric_limits<int>::min() ? v : v + d)
                     : (v == std::numeric_limits<int>::max() ? v : v + d);
    };
    for (const auto& d : kRing) painter.DrawText(dst, near(x, d[0]), near(y, d[1]), text, outline);
    painter.DrawText(dst, x, y, text, ColorRefTo555(textColour));
}

}  // namespace pk
