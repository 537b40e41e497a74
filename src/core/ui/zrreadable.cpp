#include "core/ui/zrreadable.h"

#include "core/zrcolour.h"

namespace pk {

QColor ReadableOn(const QColor& ink, const QColor& ground) {
    const auto colour = [](const QColor& c) {
        const QColor rgb = c.toRgb();
        return RgbColour(rgb.red(), rgb.green(), rgb.blue());
    };
    const int32_t readable = ReadableColour(colour(ink), colour(ground));
    return QColor(ColourRed(readable), ColourGreen(readable), ColourBlue(readable));
}

}  // namespace pk
