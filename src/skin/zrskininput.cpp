#include "skin/zrskininput.h"

#include <utility>
#include <vector>

#include "core/zrmisc.h"
#include "skin/zrskinhost.h"
#include "skin/zrskinlayout.h"
#include "skin/zrskinpaint.h"
#include "skin/zrskinscript.h"

namespace pk {

namespace {

bool Inside(const PixelRect& r, int x, int y) {
    return x >= r.left && y >= r.top && x < r.right() && y < r.bottom();
}

// What one element does with a mouse event; the name of the script to run, or nothing.
const char* MouseStep(TSkinElementRec& e, int kind, bool inside, bool taken) {
    const char* event = nullptr;
    const bool shown = e.Shown();
    if (inside) {
        switch (kind) {
            case smDown:
                if (shown)
                    event = "onmousedown";
                if (taken)
                    e.pressed = 1;
                break;
            case smDrag:
                if (!e.over && e.pressed && shown)
                    event = "onmousedown";  // back over it with the button held
                break;
            case smMove:
                if (shown)
                    event = "onmouseover";
                e.pressed = 0;
                break;
            case smUp:
                if (e.pressed) {
                    if (shown)
                        event = "onmouseup";
                    e.pressed = 0;
                }
                break;
            default:
                break;
        }
        e.over = 1;
        return event;
    }
    if (kind == smMove)
        e.pressed = 0;
    if (e.over) {
        if (shown)
            event = e.pressed ? "onmousedownleave" : "onmouseoverleave";
        e.over = 0;
    }
    return event;
}

void PaintAfterInput() {
    for (std::size_t i = 0; i < SkinList.size(); ++i) {
        tskinf& skin = *SkinList[i];
        if (skin.painting) {
            DebugOut("already drawing " + skin.name);
            continue;
        }
        PaintOrClearSkin(skin);
    }
}

}  // namespace

void SkinMouseEvent(SkinForm* form, int kind, int x, int y) {
    tskinf* skin = FindSkin(form);
    if (!skin)
        return;
    ScriptBudgetScope budget;
    SkinDispatchGuard guard;
    if (kind == smDown)
        form->CaptureMouse();
    else if (kind == smUp)
        form->ReleaseMouse();
    auto& elements = skin->elements;
    std::vector<bool> inside(elements.size());
    bool taken = false;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        TSkinElementRec& e = *elements[i];
        if (NeedsLayout(e))
            LayoutElement(e);
        inside[i] = Inside(e.rect, x, y);
        if (inside[i] && e.Shown() && kind == smDown && HasEvent("onmousedown", e))
            taken = true;
    }
    std::vector<std::pair<TSkinElementRec*, const char*>> chosen;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (const char* event = MouseStep(*elements[i], kind, inside[i], taken))
            chosen.emplace_back(elements[i].get(), event);
    }
    for (const auto& [e, event] : chosen) RunElementEvent(event, *e);
    PaintAfterInput();
}

std::string SkinKeyEventName(int key, SkinShiftState shift) {
    std::string name = "OnKey";
    if (shift.ctrl)
        name += "Control";
    if (shift.alt)
        name += "Alt";
    if (shift.shift)
        name += "Shift";
    if (key != 16 && key != 17 && key != 18)
        name += KeyName(key);
    return LowerCase(name);
}

void SkinKeyEvent(int key, SkinShiftState shift) {
    ScriptBudgetScope budget;
    SkinDispatchGuard guard;
    const std::string event = SkinKeyEventName(key, shift);
    for (std::size_t s = 0; s < SkinList.size(); ++s) {
        tskinf& skin = *SkinList[s];
        if (!skin.form || !skin.form->FormVisible())
            continue;
        for (std::size_t i = 0; i < skin.elements.size(); ++i) {
            TSkinElementRec& e = *skin.elements[i];
            if (e.Shown())
                RunElementEvent(event, e);
        }
        PaintOrClearSkin(skin);
    }
}

}  // namespace pk
