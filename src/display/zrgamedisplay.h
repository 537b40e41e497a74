#pragma once
// The in-game display as the game core sees it: `updatestats`, the one way game code asks for
// display elements of the game skin ("game") to be repainted, and the field painter's host,
// which draws the fields on a canvas of its own (what the form that holds the "player"
// elements shows of them) and presents the changed parts. The skin's back buffer cannot serve:
// every skin paints through it, and an incremental redraw copies only the changed cells.
// InstallGameDisplay makes both (and the element painter) the ones in use; the in-game window calls
// it with its text painter.
#include <cstdint>
#include <string>

#include "display/zrfieldpaint.h"
#include "display/zrgameelements.h"

namespace pk {

class SkinForm;

// The skin name of the in-game window.
inline constexpr const char* GameSkinName = "game";

// Marks the elements that the flags (RefreshBits, zrgameio.h) name dirty in the game skin,
// sets the target markers, then paints every dirty skin. An exception is logged as
// "Error in updatestats: " with the states of the flags 0x40, 0x01, 0x02, 0x04, 0x08, 0x10,
// 0x20, 0x80 and 0x100 and the slot, and the rest of the repaint is skipped.
void updatestats(int flags, int slot);

// The log line of a failed updatestats.
std::string UpdatestatsErrorText(int flags, int slot);

// The element names the flags mark, in the order they are tested (targets not included).
std::string UpdatedElementNames(int flags, int slot);

class GameFieldHost : public FieldPaintHost {
public:
    Surface16* GameCanvas() override;
    void CanvasChanged(Surface16& target, const PixelRect& area) override;
    bool HoldPieceElement() override { return holdPieceElement_; }
    TextPainter* Text() override { return text_; }

    void SetText(TextPainter* text) { text_ = text; }
    void SetHoldPieceElement(bool has) { holdPieceElement_ = has; }
    // A paint pass's field element: the field redrawn in full on the canvas, then copied to
    // the pass's target.
    void DrawFieldElement(int slot, TSkinElementRec& element, Surface16& target);
    // What the fields' form shows of its fields; every incremental redraw draws here.
    Surface16& Canvas() { return canvas_; }

private:
    Surface16* FittedCanvas(SkinForm* form);

    Surface16 canvas_;
    TextPainter* text_ = nullptr;
    bool holdPieceElement_ = false;
};

// After a theme was applied: the player elements' rectangles for the painter and whether the
// skin shows the hold piece in an element of its own.
void GameDisplayThemeApplied();

// Installs the element painter, the field painter's host and the text painter they share;
// Remove puts the do-nothing ones back.
void InstallGameDisplay(TextPainter* text);
void RemoveGameDisplay();
GameFieldHost& GameFields();

}  // namespace pk
