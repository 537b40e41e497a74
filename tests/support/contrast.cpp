#include "support/contrast.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace pk::test {

namespace {

double Linear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

}  // namespace

double RelativeLuminance(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return 0.2126 * Linear(rgb.red()) + 0.7152 * Linear(rgb.green()) + 0.0722 * Linear(rgb.blue());
}

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

InkOnGround TextColours(const QImage& image, const QRect& area) {
    const QRect inside = area.intersected(image.rect());
    std::unordered_map<QRgb, int> counts;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            ++counts[image.pixel(x, y) | 0xFF000000u];
    if (counts.empty())
        return {};
    const QRgb ground =
        std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
            return a.second < b.second;
        })->first;
    QRgb ink = ground;
    double best = 1.0;
    for (const auto& [colour, count] : counts) {
        const double ratio = ContrastRatio(QColor(colour), QColor(ground));
        if (ratio > best) {
            best = ratio;
            ink = colour;
        }
    }
    return {QColor(ink), QColor(ground)};
}

}  // namespace pk::test
