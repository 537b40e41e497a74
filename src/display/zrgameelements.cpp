#include "display/zrgameelements.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "core/zrmisc.h"
#include "display/zrfieldbitmaps.h"
#include "display/zrfieldpaint.h"
#include "game/zrgame.h"
#include "game/zrgamethread.h"
#include "game/zrsb.h"
#include "game/zrtimedsb.h"
#include "gfx/blit.h"
#include "gfx/blockblit.h"
#include "skin/zrskin.h"
#include "skin/zrskinpaint.h"
#include "skin/zrskintable.h"

namespace pk {

namespace {

constexpr std::string_view kSpecialLetters = "acnrsbgqovidfm";
constexpr std::string_view kGoodSpecials = "cngi";  // the 1s of SpecialIsGood
constexpr const char* kTextFont = "Arial";
constexpr int32_t kGoodColour = 0x008000;
constexpr int32_t kBadColour = 0x0000FF;

// A piece string's size and cells, or nothing when it is malformed or cut short.
struct PieceGrid {
    int width = 0;
    int height = 0;
    std::string_view cells;
};

std::optional<PieceGrid> ReadPiece(std::string_view piece) {
    if (piece.size() < 4)
        return std::nullopt;
    const auto w = ParseInt(piece.substr(0, 2));
    const auto h = ParseInt(piece.substr(2, 2));
    if (!w || !h || *w <= 0 || *h <= 0)
        return std::nullopt;
    const std::size_t count = static_cast<std::size_t>(*w) * static_cast<std::size_t>(*h);
    if (piece.size() - 4 < count)
        return std::nullopt;
    return PieceGrid{*w, *h, piece.substr(4, count)};
}

int Trunc(double v) {
    return static_cast<int>(std::trunc(v));
}

// Tiles composed into the element's work bitmaps, then put on the target.
class TileComposer {
public:
    TileComposer(TSkinElementRec& e, const ThemeTiles& tiles) : e_(e), tiles_(tiles) {
        alpha_ = tiles.mask && !tiles.mask->mono();
        PrepareElementBuffers(e, alpha_);
    }
    // A size by size square from the top-left of the cell's tile (large or small strip) at
    // (x, y) inside the element; cells without a tile are skipped.
    void Square(int x, int y, int size, bool large, char cell) {
        PixelRect tile;
        if (!BlockTileRect(tiles_.metrics, large, cell, tile))
            return;
        // Never past the tile: a neighbour's pixels are not this tile's.
        const int w = std::min(size, tile.width), h = std::min(size, tile.height);
        Surface16& image = *e_.skin->imageBuffer;
        Mask& mask = *e_.skin->maskBuffer;
        BitBlt(image, x, y, w, h, tiles_.image, tile.left, tile.top);
        if (tiles_.mask && tiles_.mask->mono() == mask.mono()) {
            CopyMask(mask, x, y, w, h, *tiles_.mask, tile.left, tile.top);
        } else {
            // Without a mask the tile is opaque.
            FillMask(mask, {x, y, w, h}, mask.mono() ? 0 : 255);
        }
        drawn_ = true;
    }
    void Finish(Surface16& target) {
        if (drawn_)
            DrawElementImage(e_, target);
    }

private:
    TSkinElementRec& e_;
    const ThemeTiles& tiles_;
    bool alpha_ = false;
    bool drawn_ = false;
};

const ThemeTiles* BoundTiles() {
    BindThemeBitmaps(Settings.theme);
    const ThemeTiles& tiles = Settings.theme.draw;
    return tiles.present ? &tiles : nullptr;
}

bool OwnSlotPlayed() {
    const int own = ClientState.game.OwnSlot;
    return ValidSlot(own) && SlotPlayers[static_cast<std::size_t>(own)] != nullptr;
}

int NonNegativeParam(const TSkinElementRec& e, std::string_view name, int fallback) {
    const auto v = ParseInt(GetElementParam(e, name));
    return v && *v >= 0 ? *v : fallback;
}

// Kinds 19 and 20: a row of specials from `first` on.
void PaintInventoryRow(TSkinElementRec& e, Surface16& target, std::size_t first) {
    const std::string_view held = HeldSpecials(ClientState.game.Inventory);
    if (held.size() <= first)
        return;
    const ThemeTiles* tiles = BoundTiles();
    if (!tiles)
        return;
    const int b = BlockSize;
    const int spacing = NonNegativeParam(e, "spacing", 0);
    const bool vertical = HasElementFlag(e, "vertical");
    TileComposer compose(e, *tiles);
    int i = 0;
    for (std::size_t k = first; k < held.size(); ++k) {
        if (BlockTileIndex(held[k]) < 0)
            continue;  // a letter without a tile takes no place
        const int along = i * (b + spacing) + spacing;
        const int across = vertical ? 0 : spacing;
        compose.Square(vertical ? across : along, vertical ? along : across, b, true, held[k]);
        ++i;
    }
    compose.Finish(target);
}

// Kinds 21 and 22: a piece centred in the element.
void PaintPiece(TSkinElementRec& e, Surface16& target, std::string_view piece) {
    const auto grid = ReadPiece(piece);
    if (!grid)
        return;
    const ThemeTiles* tiles = BoundTiles();
    if (!tiles)
        return;
    const int size = HasElementFlag(e, "smallblocks") ? SmallBlockSize : BlockSize;
    const int left = e.rect.width / 2 - grid->width * size / 2;
    const int top = e.rect.height / 2 - grid->height * size / 2;
    TileComposer compose(e, *tiles);
    for (int y = 0; y < grid->height; ++y) {
        for (int x = 0; x < grid->width; ++x) {
            const char cell = grid->cells[static_cast<std::size_t>(y * grid->width + x)];
            if (cell != '0')
                compose.Square(left + x * size, top + y * size, size, true, cell);
        }
    }
    compose.Finish(target);
}

void DrawLabel(TextPainter& text, Surface16& target, std::string_view label, int x, int y,
               int32_t fg, int32_t bg) {
    if (bg >= 0) {
        DrawOutlinedText(text, target, static_cast<uint32_t>(fg), static_cast<uint32_t>(bg), label,
                         x, y);
    } else {
        text.DrawText(target, x, y, label, ColorRefTo555(static_cast<uint32_t>(fg)));
    }
}

// Kinds 35 to 37: a text at the element's top-left corner.
void PaintText(TSkinElementRec& e, Surface16& target, TextPainter* text, std::string_view label,
               int32_t fg, std::string_view bgName) {
    if (!text)
        return;
    const int32_t bg = ParseColor(GetElementParam(e, bgName), -1);
    text->SetFont(kTextFont, std::max(Trunc(e.rect.height * 0.5), 1));
    DrawLabel(*text, target, label, e.rect.left, e.rect.top, fg, bg);
}

void PaintNumber(TSkinElementRec& e, Surface16& target, TextPainter* text, int value,
                 std::string_view fgName, std::string_view bgName) {
    if (!OwnSlotPlayed())
        return;
    PaintText(e, target, text, std::to_string(value),
              ParseColor(GetElementParam(e, fgName), 0x000000), bgName);
}

void PaintSpecialText(TSkinElementRec& e, Surface16& target, TextPainter* text) {
    if (!OwnSlotPlayed())
        return;
    const std::string_view held = HeldSpecials(ClientState.game.Inventory);
    if (held.empty()) {
        PaintText(e, target, text, "No special blocks!",
                  ParseColor(GetElementParam(e, "normalfg"), 0x000000), "sbtextbg");
        return;
    }
    const std::string_view name = SpecialName(held.substr(0, 1));
    if (name.empty())
        return;
    const int32_t fg = SpecialIsGood(held[0])
                           ? ParseColor(GetElementParam(e, "goodfg"), kGoodColour)
                           : ParseColor(GetElementParam(e, "badfg"), kBadColour);
    PaintText(e, target, text, name, fg, "sbtextbg");
}

// The timed effects of a small field's player as tiles inside its name element.
void PaintTimedMarks(TSkinElementRec& e, Surface16& target, int slot) {
    if (!TimedSpecials || slot == ClientState.game.OwnSlot)
        return;
    const std::vector<TTimedSpecialRec> entries = TimedSpecials->EntriesOf(slot);
    if (entries.empty())
        return;
    const ThemeTiles* tiles = BoundTiles();
    if (!tiles)
        return;
    const auto param = ParseInt(GetElementParam(e, "blocksize"));
    const int size =
        param && *param > 0 ? std::min(*param, e.rect.width + e.rect.height + 1) : SmallBlockSize;
    if (size <= 0)
        return;
    const bool large = size >= BlockSize;
    const int perRow = std::max(e.rect.width / (size + 1), 1);
    TileComposer compose(e, *tiles);
    int i = 0;
    for (const TTimedSpecialRec& entry : entries) {
        if (entry.name.size() != 1 || BlockTileIndex(entry.name[0]) < 0)
            continue;
        const int column = i % perRow, row = i / perRow;
        compose.Square((size + 1) * column + 1, (size + 1) * row + 1, size, large, entry.name[0]);
        ++i;
    }
    compose.Finish(target);
}

void PaintName(TSkinElementRec& e, Surface16& target, TextPainter* text, int position) {
    const int slot = DisplayToSlot(position);
    if (text) {
        const std::string label = NameElementText(position, HasElementFlag(e, "hidenumbers"),
                                                  HasElementFlag(e, "hidestatus"));
        int size = std::max(Trunc(e.rect.height * 0.45), 1);
        text->SetFont(kTextFont, size);
        TextExtent extent = text->Measure(label);
        if (extent.width > e.rect.width && extent.width > 0) {
            size = std::max(Trunc(size * static_cast<double>(e.rect.width) / extent.width), 1);
            text->SetFont(kTextFont, size);
            extent = text->Measure(label);
        }
        const int x = Trunc(e.rect.width / 2.0 - extent.width / 2.0) + e.rect.left;
        const int y = Trunc(e.rect.height / 2.0 - extent.height / 2.0) + e.rect.top;
        DrawLabel(*text, target, label, x, y, ParseColor(GetElementParam(e, "namefg"), 0x000000),
                  ParseColor(GetElementParam(e, "namebg"), -1));
    }
    PaintTimedMarks(e, target, slot);
}

// The digit at the end of "player3", "name5": 1..6, or 0.
int ElementDigit(const TSkinElementRec& e) {
    if (e.name.empty())
        return 0;
    const int n = e.name.back() - '0';
    return ValidSlot(n) ? n : 0;
}

}  // namespace

bool SpecialIsGood(char letter) {
    return kSpecialLetters.find(letter) != std::string_view::npos &&
           kGoodSpecials.find(letter) != std::string_view::npos;
}

std::string_view HeldSpecials(std::string_view inventory) {
    const std::size_t end = inventory.find('0');
    return end == std::string_view::npos ? inventory : inventory.substr(0, end);
}

std::string NameElementText(int position, bool hideNumbers, bool hideStatus) {
    const std::string number = std::to_string(position);
    const int slot = DisplayToSlot(position);
    const tclient* client = ValidSlot(slot) ? SlotPlayers[static_cast<std::size_t>(slot)] : nullptr;
    if (!client)
        return number + ". Not Playing";
    std::string text = hideNumbers ? client->name : number + ". " + client->name;
    if (!hideStatus && client->plr) {
        const uint8_t state = client->plr->PlayerState;
        if (state == psTeamWon || state == psWon)
            text += " WON!";
        else if (state == psLost)
            text += " LOST";
    }
    return text;
}

void GameElementPainter::PaintElement(TSkinElementRec& e, Surface16& target) {
    const tmegame& g = ClientState.game;
    switch (e.kind) {
        case skInventoryFirst: {
            const std::string_view held = HeldSpecials(g.Inventory);
            if (held.empty() || BlockTileIndex(held[0]) < 0)
                return;
            if (const ThemeTiles* tiles = BoundTiles())
                DrawBlockScaled(target, e.rect.left, e.rect.top, *tiles, BlockSize, held[0],
                                e.rect.width, e.rect.height);
            return;
        }
        case skInventoryRest:
            PaintInventoryRow(e, target, 1);
            return;
        case skFullInventory:
            PaintInventoryRow(e, target, 0);
            return;
        case skNextPiece:
            if (!g.NextPieceToken.empty() && g.NextPieceToken[0] == '1')
                PaintPiece(e, target, std::string_view(g.NextPieceToken).substr(1));
            return;
        case skHoldPiece:
            if (!g.HoldToken.empty())
                PaintPiece(e, target, std::string_view(g.HoldToken).substr(1));
            return;
        case skLevel:
            PaintNumber(e, target, text_, Settings.rules.avglvl ? g.AverageLevel : g.OwnLevel,
                        "levelfg", "levelbg");
            return;
        case skLineCount:
            PaintNumber(e, target, text_, g.LinesCleared, "linefg", "linebg");
            return;
        case skSbText:
            PaintSpecialText(e, target, text_);
            return;
        default:
            break;
    }
    if (e.kind >= skPlayer1 && e.kind < skPlayer1 + MaxSlots) {
        if (const int n = ElementDigit(e)) {
            SetPlayerElement(n, e.rect);
            if (fields_) {
                fields_(DisplayToSlot(n), e, target);
            } else {
                redrawfield(DisplayToSlot(n), 1, &target);
            }
        }
    } else if (e.kind >= skName1 && e.kind < skName1 + MaxSlots) {
        if (const int n = ElementDigit(e))
            PaintName(e, target, text_, n);
    }
}

}  // namespace pk
