#include "shell/zrthemepreview.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "display/zrfieldbitmaps.h"
#include "game/zrgamethread.h"
#include "gfx/blit.h"
#include "gfx/blockblit.h"
#include "gfx/surfaceconv.h"

namespace pk {

namespace {

// A picture of `rows` rows: as wide as the field, the top row cut to its lower half.
int PictureHeight(int rows, int size) {
    return (rows - 1) * size + size / 2;
}

// Draws a sample field over its field background: the large one at the left of the main
// bitmap, the small one right of it. The picture is cut as far above the field's height as it
// is high, counted from the bitmap's top edge and not from the backgrounds' (which sit below
// the two tile strips), so it shows the backgrounds a strip's height above their bottom; the
// themes are drawn for this cut.
Surface16 RenderField(const ThemeDrawRec& d, const TFieldString& field, int rows, bool large) {
    const BlockMetrics& m = d.metrics;
    const int size = large ? m.blockSize : m.smallBlockSize;
    const int width = m.fieldWidth * size;
    const int height = PictureHeight(rows, size);
    Surface16 picture(width, height);
    const int backgroundLeft = large ? 0 : m.fieldWidth * m.blockSize;
    BitBlt(picture, 0, 0, width, height, d.image, backgroundLeft, m.fieldHeight * size - height);
    for (int y = 1; y <= rows; ++y) {
        for (int x = 1; x <= m.fieldWidth; ++x) {
            const std::size_t at = static_cast<std::size_t>((y - 1) * m.fieldWidth + x - 1);
            if (at < field.size() && field[at] != '0')
                DrawBlock(picture, (x - 1) * size, (y - 1) * size - size / 2, d, 1.0f, size,
                          field[at]);
        }
    }
    return picture;
}

int SpecialSide(const Surface16& specials) {
    return specials.empty() ? PreviewSpecialSide
                            : std::clamp(specials.height(), 1, PreviewMaxSpecialSide);
}

int Scaled(double length, double factor) {
    return std::max(0, static_cast<int>(std::trunc(length * factor + 2.0)));
}

}  // namespace

int DropDepth(const TPieceString& piece, int column, const TFieldString& field) {
    // The row below the field always collides, so the bottom row is a place like any other.
    for (int r = 1; r <= FieldHeight + 1; ++r) {
        if (collision(column, r, piece, field))
            return r - 1;
    }
    return 0;
}

TFieldString BuildPreviewField(int rows, int pieces, TRandomGen& random) {
    const int width = FieldWidth;
    rows = std::clamp(rows, 0, FieldHeight);
    TFieldString field = EmptyField();
    for (int n = 0; n < pieces; ++n) {
        const TPieceString piece(PieceTable[static_cast<std::size_t>(random.draw(7))]);
        int best = 1;
        // Places as deep as the deepest seen so far when they were found: earlier, shallower
        // ones stay in the draw, so the stack does not grow perfectly flat.
        std::vector<std::pair<int, int>> places;  // rotation, column
        for (int rotation = 1; rotation <= 4; ++rotation) {
            const TPieceString turned = chpiece(piece, rotation);
            const int last = width - PieceWidth(turned) + 1;
            for (int column = 1; column <= last; ++column) {
                const int depth = DropDepth(turned, column, field);
                if (depth >= best) {
                    places.emplace_back(rotation, column);
                    best = depth;
                }
            }
        }
        if (places.empty())
            break;  // the field is full to the top
        const auto [rotation, column] =
            places[static_cast<std::size_t>(random.draw(static_cast<int>(places.size())))];
        const TPieceString turned = chpiece(piece, rotation);
        stickpiece(turned, column, DropDepth(turned, column, field), field);
    }
    const std::size_t first = static_cast<std::size_t>((FieldHeight - rows) * width);
    std::vector<std::size_t> filled;
    for (std::size_t at = first; at < field.size(); ++at) {
        const int column = static_cast<int>(at % static_cast<std::size_t>(width)) + 1;
        if (field[at] != '0' && column >= 2 && column <= width - 1)
            filled.push_back(at);
    }
    if (filled.size() >= static_cast<std::size_t>(PreviewSpecialCount)) {
        for (int i = 0; i < PreviewSpecialCount; ++i) {
            const auto pick =
                static_cast<std::size_t>(random.draw(static_cast<int>(filled.size())));
            field[filled[pick]] = SpecialAlphabet[static_cast<std::size_t>(i)];
            filled.erase(filled.begin() + static_cast<std::ptrdiff_t>(pick));
        }
    }
    return field.substr(first);
}

bool UpdateThemePreview(TZRTheme& theme, TRandomGen& random, TThemePreview& preview) {
    if (!theme.draw.mainbmp)
        return false;
    BindThemeBitmaps(theme);
    const ThemeDrawRec& d = theme.draw;
    const BlockMetrics& m = d.metrics;
    // The sample fields are built on the field as it is now; a theme not applied to it (or
    // one whose sizes give nothing to draw) shows nothing.
    if (!d.present || m.fieldWidth != FieldWidth || m.fieldHeight != FieldHeight ||
        m.blockSize != BlockSize || m.smallBlockSize != SmallBlockSize || m.fieldWidth < 1 ||
        m.fieldHeight < 1 || m.blockSize < 1 || m.smallBlockSize < 1)
        return false;
    TThemePreview next;
    next.largeRows = std::min(PreviewLargeRows, FieldHeight);
    next.smallRows = std::min(PreviewSmallRows, FieldHeight);
    const int largePieces = 7 + random.draw(5);
    next.PreviewLargeField = BuildPreviewField(next.largeRows, largePieces, random);
    const int smallPieces = 10 + random.draw(10);
    next.PreviewSmallField = BuildPreviewField(next.smallRows, smallPieces, random);
    next.largePicture = RenderField(d, next.PreviewLargeField, next.largeRows, true);
    next.smallPicture = RenderField(d, next.PreviewSmallField, next.smallRows, false);
    if (theme.detailbmp && !theme.detailbmp->image.empty())
        next.specials = SurfaceFromDib(theme.detailbmp->image);
    const int side = SpecialSide(next.specials);
    next.specialPicture = Surface16(side, side);
    if (!next.specials.empty())
        BitBlt(next.specialPicture, 0, 0, side, side, next.specials, 0, 0);
    next.info = d.mainbmp->Information;
    next.built = true;
    preview = std::move(next);
    return true;
}

ThemePreviewLayout LayoutThemePreview(int stripWidth, int stripHeight, int specialSide) {
    ThemePreviewLayout l;
    const int b = std::max(BlockSize, 1);
    const int s = std::max(SmallBlockSize, 1);
    const int w = std::max(FieldWidth, 1);
    const int h = b / 2;
    const int largeHeight = PictureHeight(std::clamp(FieldHeight, 1, PreviewLargeRows), b);
    const int smallHeight = PictureHeight(std::clamp(FieldHeight, 1, PreviewSmallRows), s);
    const double f =
        std::max(0.0, static_cast<double>(stripHeight - h - 12) / std::max(largeHeight, 1));
    l.small.height = Scaled(smallHeight, f);
    l.small.width = Scaled(static_cast<double>(s) * w, f);
    l.small.left = stripWidth - l.small.width - 5;
    l.small.top = 5;
    l.large.width = Scaled(static_cast<double>(b) * w, f);
    l.large.height = Scaled(largeHeight, f);
    l.large.left = l.small.left - l.large.width + h;
    l.large.top = l.small.top + h;
    l.special.width = l.special.height = Scaled(specialSide, f);
    l.special.left = l.large.left - l.special.width + h;
    l.special.top = l.small.top;
    l.infoWidth = std::max(0, l.special.left - 10);
    l.labelLeft = l.special.left;
    l.labelTop = l.large.height / 2;
    return l;
}

char PreviewCellAt(const TFieldString& field, int rows, int width, int height, int x, int y) {
    if (rows < 1 || FieldWidth < 1)
        return '\0';
    const int cellWidth = width / FieldWidth;
    const int rowHeight = static_cast<int>(std::trunc(height / (rows - 0.5)));
    if (cellWidth <= 0 || rowHeight <= 0)
        return '\0';
    const int column = std::clamp(x / cellWidth + 1, 1, FieldWidth);
    const int row = std::clamp((y + rowHeight / 2) / rowHeight + 1, 1, rows);
    const std::size_t at = static_cast<std::size_t>((row - 1) * FieldWidth + column - 1);
    return at < field.size() ? field[at] : '\0';
}

Surface16 PreviewSpecialTile(const TThemePreview& preview, char cell) {
    const std::size_t index = SpecialAlphabet.find(cell);
    if (cell == '\0' || index == std::string_view::npos || preview.specials.empty())
        return {};
    // Square tiles side by side, each as wide as the bitmap is high.
    const int64_t tile = preview.specials.height();
    if ((static_cast<int64_t>(index) + 1) * tile > preview.specials.width())
        return {};
    const int side = SpecialSide(preview.specials);
    Surface16 picture(side, side);
    BitBlt(picture, 0, 0, side, side, preview.specials, static_cast<int>(index * tile), 0);
    return picture;
}

}  // namespace pk
