#include "core/ui/zrreadable.h"

#include <algorithm>
#include <cmath>

#include "core/zrconst.h"

namespace pk {

namespace {

// The WCAG 2 relative luminance: sRGB channels made linear, weighted by the eye's response.
double Luminance(const QColor& colour) {
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.red()) + 0.7152 * linear(rgb.green()) + 0.0722 * linear(rgb.blue());
}

double Contrast(const QColor& a, const QColor& b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Below this luminance a ground is dark: white then stands out from it more than black does.
constexpr double kDarkGround = 0.179;
// Steps from the colour to black or white; small enough that the result is barely past the bar.
constexpr int kSteps = 64;

}  // namespace

QColor ReadableOn(const QColor& ink, const QColor& ground) {
    if (Contrast(ink, ground) >= MinTextContrast)
        return ink;
    const QColor from = ink.toRgb();
    const int target = Luminance(ground) < kDarkGround ? 255 : 0;
    const auto mix = [&](int channel, int step) {
        return channel + (target - channel) * step / kSteps;
    };
    for (int step = 1; step < kSteps; ++step) {
        const QColor moved(mix(from.red(), step), mix(from.green(), step), mix(from.blue(), step));
        if (Contrast(moved, ground) >= MinTextContrast)
            return moved;
    }
    return QColor(target, target, target);
}

}  // namespace pk
