#include "skin/zrskinpalette.h"

#include "core/zrcolour.h"
#include "skin/zrskintable.h"

namespace pk {

namespace {

int32_t Param(const TSkinElementRec& e, std::string_view name) {
    return ParseColor(GetElementParam(e, name), kNoColour);
}

int32_t Given(int32_t colour, int32_t otherwise) {
    return colour == kNoColour ? otherwise : colour;
}

}  // namespace

SkinPaletteSource PaletteSourceOf(const TSkinElementRec& e) {
    SkinPaletteSource s;
    // A container without a colour is white, as it is filled.
    s.page = e.source.backColour >= 0 ? (e.source.backColour & 0xFFFFFF) : kColourWhite;
    s.text = Param(e, "textfg");
    s.box = Param(e, "boxbg");
    s.boxText = Param(e, "boxtextfg");
    s.control = Param(e, "controlbg");
    s.controlText = Param(e, "controltextfg");
    s.select = Param(e, "selectbg");
    s.edge = Param(e, "edgefg");
    return s;
}

SkinPalette DeriveSkinPalette(const SkinPaletteSource& s) {
    SkinPalette p;
    if (s.control == kNoColour)
        return p;
    p.themed = true;
    p.window = s.page;
    p.windowText = Given(s.text, ContrastingColour(p.window));
    p.base = Given(s.box, kColourWhite);
    p.text = Given(s.boxText, ContrastingColour(p.base));
    p.button = s.control;
    p.buttonText = Given(s.controlText, ReadableColour(p.windowText, p.button));
    // The shades of a control's edges: lighter and darker steps of its face.
    p.light = MixColours(p.button, kColourWhite, 30);
    p.midlight = MixColours(p.button, kColourWhite, 15);
    p.mid = Given(s.edge, MixColours(p.button, p.windowText, 30));
    p.dark = MixColours(p.button, kColourBlack, 40);
    p.shadow = MixColours(p.button, kColourBlack, 70);
    p.highlight = Given(s.select, MixColours(p.button, p.windowText, 40));
    p.highlightedText = ContrastingColour(p.highlight);
    p.brightText = ContrastingColour(p.dark);
    p.alternateBase = MixColours(p.base, p.text, 5);
    p.placeholderText = MixColours(p.text, p.base, 50);
    // Links are read on boxes.
    p.link = ReadableColour(p.highlight, p.base);
    p.linkVisited = MixColours(p.link, p.text, 30);
    p.toolTipBase = p.base;
    p.toolTipText = p.text;
    p.disabledWindowText = MixColours(p.windowText, p.window, 50);
    p.disabledText = MixColours(p.text, p.base, 50);
    p.disabledButtonText = MixColours(p.buttonText, p.button, 50);
    return p;
}

SkinPalette BoxPalette(const SkinPalette& p) {
    SkinPalette box = p;
    if (!p.themed)
        return box;
    box.window = box.button = p.base;
    box.windowText = box.buttonText = p.text;
    box.light = MixColours(p.base, kColourWhite, 60);
    box.midlight = p.base;
    box.dark = MixColours(p.base, p.text, 30);
    box.shadow = MixColours(p.base, p.text, 50);
    box.brightText = ContrastingColour(box.dark);
    box.disabledWindowText = box.disabledButtonText = p.disabledText;
    return box;
}

SkinPalette ContainerPalette(const TSkinElementRec& container) {
    return DeriveSkinPalette(PaletteSourceOf(container));
}

SkinPalette DialogPalette() {
    const TSkinElementRec* main = FindElementAnywhere("con_login");
    return main ? ContainerPalette(*main) : SkinPalette{};
}

}  // namespace pk
