#include "support/tile_theme.h"

#include <algorithm>

namespace pk::test {

namespace {

constexpr uint32_t kLight = 0xFFF0F0F0u;
constexpr uint32_t kDark = 0xFF202020u;

void DrawTile(DibBitmap& img, int left, int top, int size, uint32_t colour) {
    img.fillRect(left, top, size, size, colour);
    if (size < 3)
        return;
    img.fillRect(left, top, size, 1, kLight);
    img.fillRect(left, top, 1, size, kLight);
    img.fillRect(left, top + size - 1, size, 1, kDark);
    img.fillRect(left + size - 1, top, 1, size, kDark);
}

void DrawGrid(DibBitmap& img, int left, int top, int cells, int rows, int size, uint32_t fill) {
    img.fillRect(left, top, cells * size, rows * size, fill);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cells; ++c)
            img.fillRect(left + c * size + size / 2, top + r * size + size / 2, 1, 1,
                         ((r + c) % 2) ? 0xFF8080F8u : 0xFFF8F880u);
}

void ShapeTileMask(DibBitmap& m, int left, int top, int size, MaskKind kind) {
    if (kind == MaskKind::Monochrome) {
        m.fillRect(left, top, size, size, 0xFF000000u);
        for (int dy : {0, size - 1})
            for (int dx : {0, size - 1}) m.fillRect(left + dx, top + dy, 1, 1, 0xFFFFFFFFu);
    } else {
        m.fillRect(left, top, size, size, 0x00000080u);
        m.fillRect(left + 1, top + 1, size - 2, size - 2, 0x000000FFu);
    }
}

}  // namespace

TZRMainbmp TileTheme(const MainLayout& l, MaskKind kind) {
    TZRMainbmp main;
    main.largeBlockSize = l.large;
    main.smallBlockSize = l.small;
    main.fieldWidth = l.fieldWidth;
    main.fieldHeight = l.fieldHeight;
    const int width = std::max(kTileCount * l.large, l.fieldWidth * (l.large + l.small));
    const int height = l.large + l.small + l.fieldHeight * l.large;
    main.image = DibBitmap(width, height, 0xFF000000u);
    for (int i = 0; i < kTileCount; ++i) {
        DrawTile(main.image, i * l.large, 0, l.large, TileColour(i));
        DrawTile(main.image, i * l.small, l.large, l.small, TileColour(i));
    }
    const int top = l.large + l.small;
    DrawGrid(main.image, 0, top, l.fieldWidth, l.fieldHeight, l.large, kLargeBackground);
    DrawGrid(main.image, l.fieldWidth * l.large, top, l.fieldWidth, l.fieldHeight, l.small,
             kSmallBackground);
    if (kind == MaskKind::None)
        return main;
    const bool mono = kind == MaskKind::Monochrome;
    DibBitmap m(width, height, mono ? 0xFFFFFFFFu : 0u, mono ? 1 : 32);
    for (int i = 0; i < kTileCount; ++i) {
        ShapeTileMask(m, i * l.large, 0, l.large, kind);
        ShapeTileMask(m, i * l.small, l.large, l.small, kind);
    }
    if (mono) {
        // The classic image: black where the mask is transparent.
        for (size_t p = 0; p < m.pixels.size(); ++p)
            if (m.pixels[p] == 0xFFFFFFFFu && static_cast<int>(p) / width < top)
                main.image.pixels[p] = 0xFF000000u;
    }
    main.mask = std::move(m);
    return main;
}

void UseMainBitmap(TZRTheme& theme, TZRMainbmp* mainbmp) {
    theme.draw = ThemeDrawRec{};
    theme.draw.mainbmp = mainbmp;
    BindThemeBitmaps(theme);
}

}  // namespace pk::test
