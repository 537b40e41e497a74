#include "gfx/surfaceconv.h"

namespace pk {

Surface16 SurfaceFromDib(const DibBitmap& image) {
    Surface16 s(image.width, image.height);
    for (int y = 0; y < s.height(); ++y) {
        Pixel16* d = s.row(y);
        for (int x = 0; x < s.width(); ++x) d[x] = ArgbTo555(image.at(x, y));
    }
    return s;
}

DibBitmap DibFromSurface(const Surface16& surface) {
    DibBitmap image(surface.width(), surface.height(), 0xFF000000, 24);
    for (int y = 0; y < surface.height(); ++y) {
        const Pixel16* s = surface.row(y);
        for (int x = 0; x < surface.width(); ++x) image.at(x, y) = Argb(s[x]);
    }
    return image;
}

Mask MaskFromDib(const DibBitmap& image) {
    const bool mono = image.monochrome();
    Mask m(image.width, image.height, mono);
    for (int y = 0; y < m.height(); ++y) {
        uint8_t* d = m.row(y);
        for (int x = 0; x < m.width(); ++x) {
            const uint32_t p = image.at(x, y);
            if (mono) {
                const uint32_t sum = ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF);
                d[x] = sum >= 384 ? 255 : 0;
            } else {
                d[x] = static_cast<uint8_t>(p & 0xFF);
            }
        }
    }
    return m;
}

DibBitmap DibFromMask(const Mask& mask) {
    DibBitmap image(mask.width(), mask.height(), 0xFF000000, mask.mono() ? 1 : 32);
    for (int y = 0; y < mask.height(); ++y) {
        const uint8_t* s = mask.row(y);
        for (int x = 0; x < mask.width(); ++x) {
            const uint8_t v = s[x];
            image.at(x, y) = mask.mono() ? (v < 128 ? 0xFF000000u : 0xFFFFFFFFu) : uint32_t{v};
        }
    }
    return image;
}

}  // namespace pk
