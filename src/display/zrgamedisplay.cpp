#include "display/zrgamedisplay.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "core/zrlog.h"
#include "game/zrgame.h"
#include "game/zrgameio.h"
#include "gfx/blit.h"
#include "skin/zrskin.h"
#include "skin/zrskinpaint.h"
#include "skin/zrskinscript.h"

namespace pk {

namespace {

GameElementPainter elementPainter;
GameFieldHost fieldHost;
// Set while a skin paint pass draws a field: the pass presents what it drew.
bool inPaintPass = false;

constexpr std::array<const char*, 3> kInventoryElements = {"fullinventory", "inventoryfirst",
                                                           "inventoryrest"};

SkinForm* GameForm() {
    tskinf* skin = FindSkinByName(GameSkinName);
    return skin ? skin->form : nullptr;
}

// The form whose skin holds the fields.
SkinForm* FieldForm() {
    if (TSkinElementRec* e = FindElementAnywhere("player1"); e && e->skin)
        return e->skin->form;
    return GameForm();
}

std::string Numbered(const char* name, int n) {
    return name + std::to_string(n);
}

template <class F>
void ForMarkedNames(int flags, int slot, F&& mark) {
    if (flags & rfEverything) {
        for (const char* name : kInventoryElements) mark(std::string(name));
        for (const char* name : {"nextpiece", "level", "linecount", "sbtext"}) mark(name);
        for (int n = 1; n <= MaxSlots; ++n) {
            mark(Numbered("name", n));
            mark(Numbered("player", n));
        }
        // A changed viewed slot must not keep the previous player's hold piece.
        mark("holdpiece");
    }
    if (flags & rfInventory)
        for (const char* name : kInventoryElements) mark(std::string(name));
    if (flags & rfNextPiece)
        mark("nextpiece");
    if (flags & rfLevel)
        mark("level");
    if (flags & rfLineCount)
        mark("linecount");
    if (flags & rfSpecialText)
        mark("sbtext");
    if (flags & rfNames)
        for (int n = 1; n <= MaxSlots; ++n) mark(Numbered("name", n));
    if (flags & rfSlotName)
        mark(Numbered("name", SlotToDisplay(slot)));
    if (flags & rfHoldPiece)
        mark("holdpiece");
    if (flags & rfSlotPlayer)
        mark(Numbered("player", SlotToDisplay(slot)));
    if (flags & rfFields)
        for (int n = 1; n <= MaxSlots; ++n) mark(Numbered("field", n));
}

void SetTargetMarkers(const SkinForm* form) {
    const int target = ClientState.game.TargetSlot;
    const int position = ValidSlot(target) ? SlotToDisplay(target) : 0;
    for (int n = 1; n <= MaxSlots; ++n) {
        SetElementActive(form, "p" + std::to_string(n) + "target", n == position);
        SetElementActive(form, "p" + std::to_string(n) + "notarget", n != position);
    }
}

std::string FlagStates(int flags, int slot) {
    std::string text;
    for (int bit : {rfEverything, rfInventory, rfNextPiece, rfLevel, rfLineCount, rfSpecialText,
                    rfNames, rfSlotName, rfTargets}) {
        text += (flags & bit) ? "1 " : "0 ";
    }
    return text + std::to_string(slot);
}

class PaintPassMark {
public:
    PaintPassMark() : was_(inPaintPass) { inPaintPass = true; }
    ~PaintPassMark() { inPaintPass = was_; }

private:
    bool was_;
};

// The element painter as the skin engine sees it: a field drawn inside a paint pass is
// presented by the pass.
class MarkedPainter : public SkinElementPainter {
public:
    void PaintElement(TSkinElementRec& element, Surface16& target) override {
        PaintPassMark mark;
        elementPainter.PaintElement(element, target);
    }
};
MarkedPainter markedPainter;

// What a failed updatestats logs after "Error in ".
std::string UpdatestatsFailure(int flags, int slot) {
    return "updatestats: " + FlagStates(flags, slot);
}

}  // namespace

std::string UpdatestatsErrorText(int flags, int slot) {
    return "Error in " + UpdatestatsFailure(flags, slot);
}

std::string UpdatedElementNames(int flags, int slot) {
    std::string names;
    ForMarkedNames(flags, slot, [&](const std::string& name) {
        if (!names.empty())
            names += ' ';
        names += name;
    });
    return names;
}

void updatestats(int flags, int slot) {
    LogAndGoOnWith([&] { return UpdatestatsFailure(flags, slot); },
                   [&] {
                       const SkinForm* form = GameForm();
                       if (!form)
                           return;
                       ForMarkedNames(flags, slot, [&](const std::string& name) {
                           InvalidateElement(form, name);
                       });
                       if (flags & (rfEverything | rfTargets))
                           SetTargetMarkers(form);
                       PaintDirtySkins();
                   });
}

Surface16* GameFieldHost::FittedCanvas(SkinForm* form) {
    const int w = std::max(form->ClientWidth(), 1), h = std::max(form->ClientHeight(), 1);
    if (canvas_.width() != w || canvas_.height() != h)
        canvas_ = Surface16(w, h);
    return &canvas_;
}

Surface16* GameFieldHost::GameCanvas() {
    SkinForm* form = FieldForm();
    if (!form || !form->FormVisible())
        return nullptr;
    for (int n = 1; n <= MaxSlots; ++n) {
        if (TSkinElementRec* e = FindElementAnywhere(Numbered("player", n)); e && e->Shown())
            SetPlayerElement(n, e->rect);
    }
    return FittedCanvas(form);
}

void GameFieldHost::CanvasChanged(Surface16& target, const PixelRect& area) {
    if (inPaintPass || &target != &canvas_)
        return;
    if (SkinForm* form = FieldForm())
        form->PresentRect(canvas_, area);
}

void GameFieldHost::DrawFieldElement(int slot, TSkinElementRec& element, Surface16& target) {
    SkinForm* form = element.skin ? element.skin->form : nullptr;
    if (!form || form != FieldForm()) {
        redrawfield(slot, 1, &target);  // a field on another form: no canvas of its own
        return;
    }
    // An empty slot draws nothing; the canvas may still hold whoever sat there before.
    const tclient* client = ValidSlot(slot) ? SlotPlayers[static_cast<std::size_t>(slot)] : nullptr;
    if (!client || !client->plr)
        return;
    Surface16* canvas = FittedCanvas(form);
    redrawfield(slot, 1, canvas);
    const PixelRect r = Intersect(element.rect, target.clip());
    BitBlt(target, r.left, r.top, r.width, r.height, *canvas, r.left, r.top);
}

void GameDisplayThemeApplied() {
    ClearPlayerElements();
    for (int n = 1; n <= MaxSlots; ++n) {
        if (TSkinElementRec* e = FindElementAnywhere(Numbered("player", n)))
            SetPlayerElement(n, e->rect);
    }
    fieldHost.SetHoldPieceElement(FindElementAnywhere("holdpiece") != nullptr);
}

void InstallGameDisplay(TextPainter* text) {
    elementPainter.SetTextPainter(text);
    elementPainter.SetFieldDrawer([](int slot, TSkinElementRec& e, Surface16& target) {
        fieldHost.DrawFieldElement(slot, e, target);
    });
    fieldHost.SetText(text);
    SetSkinElementPainter(&markedPainter);
    SetFieldPaintHost(&fieldHost);
}

void RemoveGameDisplay() {
    SetFieldPaintHost(nullptr);
    SetSkinElementPainter(nullptr);
    elementPainter.SetTextPainter(nullptr);
    elementPainter.SetFieldDrawer({});
    fieldHost.SetText(nullptr);
}

GameFieldHost& GameFields() {
    return fieldHost;
}

}  // namespace pk
