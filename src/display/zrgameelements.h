#pragma once
// The game display elements of the in-game skin, painted from the game state when the skin
// engine asks (event 1): the inventory (first, rest, full), next and hold piece, the six fields
// ("player1".."player6"), the six names with the small fields' timed effects, level, line
// count and the special-block text. Tiles are composed in the skin's element work bitmaps and
// put on the paint target through them; texts go through a TextPainter.
//
// Element parameters: "spacing" and "vertical" (inventory rows), "smallblocks" (next and
// hold piece), "hidenumbers", "hidestatus", "blocksize" (names), and the colours "levelfg",
// "levelbg", "linefg", "linebg", "normalfg", "goodfg", "badfg", "sbtextbg", "namefg", "namebg".
#include <functional>
#include <string>
#include <string_view>

#include "gfx/surface.h"
#include "gfx/text.h"
#include "skin/zrskinhost.h"

namespace pk {

class GameElementPainter : public SkinElementPainter {
public:
    void PaintElement(TSkinElementRec& element, Surface16& target) override;
    // Texts are drawn with this one; without it no text is drawn.
    void SetTextPainter(TextPainter* text) { text_ = text; }
    TextPainter* Text() const { return text_; }
    // How a field element is drawn (slot, element, target); by default the painter redraws the
    // slot's field in full straight onto the target.
    using FieldDrawer = std::function<void(int, TSkinElementRec&, Surface16&)>;
    void SetFieldDrawer(FieldDrawer drawer) { fields_ = std::move(drawer); }

private:
    TextPainter* text_ = nullptr;
    FieldDrawer fields_;
};

// Whether a special helps its user (Clear Line, Nuke Field, Block Gravity, Attack Immunity).
bool SpecialIsGood(char letter);

// The text of the name element at display position 1..6.
std::string NameElementText(int position, bool hideNumbers, bool hideStatus);

// The inventory as far as it goes: up to its first "0".
std::string_view HeldSpecials(std::string_view inventory);

}  // namespace pk
