#include "core/zrcolour.h"

#include <algorithm>
#include <cmath>

#include "core/zrconst.h"

namespace pk {

namespace {

// Below this luminance a ground is dark: white then stands out from it more than black does.
constexpr double kDarkGround = 0.179;
// Steps from the colour to black or white; small enough that the result is barely past the bar.
constexpr int kSteps = 64;

double Linear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

}  // namespace

double ColourLuminance(int32_t colour) {
    return 0.2126 * Linear(ColourRed(colour)) + 0.7152 * Linear(ColourGreen(colour)) +
           0.0722 * Linear(ColourBlue(colour));
}

double ColourContrast(int32_t a, int32_t b) {
    const double la = ColourLuminance(a), lb = ColourLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

int32_t MixColours(int32_t from, int32_t to, int percent) {
    percent = std::clamp(percent, 0, 100);
    // Rounded to the nearest step, half a step away from `from`, so a mix and its mirror agree.
    const auto mix = [percent](int a, int b) {
        return a + ((b - a) * percent + 50 * (b > a ? 1 : -1)) / 100;
    };
    return RgbColour(mix(ColourRed(from), ColourRed(to)), mix(ColourGreen(from), ColourGreen(to)),
                     mix(ColourBlue(from), ColourBlue(to)));
}

int32_t ContrastingColour(int32_t ground) {
    return ColourLuminance(ground) < kDarkGround ? RgbColour(255, 255, 255) : RgbColour(0, 0, 0);
}

int32_t ReadableColour(int32_t ink, int32_t ground) {
    if (ColourContrast(ink, ground) >= MinTextContrast)
        return ink;
    const int target = ColourLuminance(ground) < kDarkGround ? 255 : 0;
    const auto mix = [&](int channel, int step) {
        return channel + (target - channel) * step / kSteps;
    };
    for (int step = 1; step < kSteps; ++step) {
        const int32_t moved = RgbColour(mix(ColourRed(ink), step), mix(ColourGreen(ink), step),
                                        mix(ColourBlue(ink), step));
        if (ColourContrast(moved, ground) >= MinTextContrast)
            return moved;
    }
    return RgbColour(target, target, target);
}

}  // namespace pk
