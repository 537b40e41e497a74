#include "gfx/surface.h"

#include <algorithm>

namespace pk {

namespace {

int ClampSide(int side) {
    return std::clamp(side, 0, Surface16::kMaxSide);
}

}  // namespace

PixelRect Intersect(const PixelRect& a, const PixelRect& b) {
    if (a.empty() || b.empty())
        return {};
    const int64_t left = std::max<int64_t>(a.left, b.left);
    const int64_t top = std::max<int64_t>(a.top, b.top);
    const int64_t right = std::min(int64_t{a.left} + a.width, int64_t{b.left} + b.width);
    const int64_t bottom = std::min(int64_t{a.top} + a.height, int64_t{b.top} + b.height);
    if (right <= left || bottom <= top)
        return {};
    return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
            static_cast<int>(bottom - top)};
}

PixelRect Unite(const PixelRect& a, const PixelRect& b) {
    if (a.empty())
        return b.empty() ? PixelRect{} : b;
    if (b.empty())
        return a;
    const int64_t left = std::min(a.left, b.left);
    const int64_t top = std::min(a.top, b.top);
    const int64_t right = std::max(int64_t{a.left} + a.width, int64_t{b.left} + b.width);
    const int64_t bottom = std::max(int64_t{a.top} + a.height, int64_t{b.top} + b.height);
    auto fit = [](int64_t v) { return static_cast<int>(std::min<int64_t>(v, INT32_MAX)); };
    return {static_cast<int>(left), static_cast<int>(top), fit(right - left), fit(bottom - top)};
}

Surface16::Surface16(int width, int height, Pixel16 fill)
    : width_(ClampSide(width)), height_(ClampSide(height)) {
    if (width_ == 0 || height_ == 0) {
        width_ = height_ = 0;
    }
    stride_ = width_ + (width_ % 2);
    pixels_.assign(static_cast<size_t>(stride_) * height_, fill);
    clip_ = bounds();
}

Mask::Mask(int width, int height, bool mono, uint8_t fill)
    : width_(ClampSide(width)), height_(ClampSide(height)), mono_(mono) {
    if (width_ == 0 || height_ == 0) {
        width_ = height_ = 0;
    }
    values_.assign(static_cast<size_t>(width_) * height_, fill);
}

}  // namespace pk
