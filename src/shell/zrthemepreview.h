// The theme page's preview, headless: sample fields made by dropping random pieces as a
// player would with one of each special block sprinkled in, drawn with the selected theme's
// tiles over its field backgrounds (a large one as the own field looks, a small one as an
// opponent's), the first special-block tile, and the hover that finds a special under the
// pointer. The page presents the pictures and lays out its panels by LayoutThemePreview.
//
// The previews show the bottom rows of a field: 10 of the large field and 16 of the small
// one, the top row cut to its lower half; a theme with fewer rows shows all it has.
#pragma once

#include <string>

#include "game/zrfield.h"
#include "game/zrrandom.h"
#include "gfx/surface.h"
#include "klb/zrtheme.h"

namespace pk {

inline constexpr int PreviewLargeRows = 10;
inline constexpr int PreviewSmallRows = 16;
// The special-block picture's side when the theme has no special-block bitmap.
inline constexpr int PreviewSpecialSide = 76;
// The largest special-block picture made, whatever the theme's bitmap says.
inline constexpr int PreviewMaxSpecialSide = 512;
// The specials need this many filled cells off the field's edge columns.
inline constexpr int PreviewSpecialCount = 14;

// The preview last drawn; the hover reads its fields.
struct TThemePreview {
    bool built = false;
    TFieldString PreviewLargeField;  // largeRows rows of FieldWidth cells
    TFieldString PreviewSmallField;
    int largeRows = 0;
    int smallRows = 0;
    Surface16 largePicture;
    Surface16 smallPicture;
    Surface16 specialPicture;
    Surface16 specials;  // the theme's special-block bitmap, empty without one
    std::string info;    // the main bitmap's information text
};

// The row above the one where the piece, dropped at `column`, first collides: how far it
// falls, so 0 when it does not fit at the top. The bottom row counts, so a flat piece can
// reach it.
int DropDepth(const TPieceString& piece, int column, const TFieldString& field);

// The bottom `rows` rows (at most FieldHeight) of a field of `pieces` random pieces, each put
// at one of the deepest places found so far, with the 14 specials on random filled cells
// outside the edge columns when there are enough of them.
TFieldString BuildPreviewField(int rows, int pieces, TRandomGen& random);

// Builds both sample fields and the three pictures from the theme's selected main bitmap.
// False, with `preview` unchanged, without one or when its metrics are not the field's now.
bool UpdateThemePreview(TZRTheme& theme, TRandomGen& random, TThemePreview& preview);

// The panels of the preview strip, in the strip's pixels.
struct ThemePreviewLayout {
    PixelRect small;
    PixelRect large;
    PixelRect special;
    int infoWidth = 0;
    int labelLeft = 0;
    int labelTop = 0;
};
// The large picture as tall as the strip allows (less 12 pixels and half a block), the small
// one at the same scale on the right, the special tile to the left of the large one, the
// information text filling what is left. Sizes never go below 0.
ThemePreviewLayout LayoutThemePreview(int stripWidth, int stripHeight, int specialSide);

// The cell under (x, y) of a preview image shown stretched to width by height: '\0' when the
// image is too small to cut cells from, else the cell of the sample field (the half row at the
// top is row 1).
char PreviewCellAt(const TFieldString& field, int rows, int width, int height, int x, int y);
// The special's tile from the special-block bitmap; empty for a cell that is not a special or
// without a tile for it.
Surface16 PreviewSpecialTile(const TThemePreview& preview, char cell);

}  // namespace pk
