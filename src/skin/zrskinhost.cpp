#include "skin/zrskinhost.h"

#include <string>

#include "core/zrlog.h"
#include "skin/zrskin.h"

namespace pk {

namespace {

SkinEvents noEvents;
SkinEvents* events = &noEvents;
SkinElementPainter noPainter;
SkinElementPainter* painter = &noPainter;

}  // namespace

SkinEvents& SkinEventHandler() {
    return *events;
}

void SetSkinEvents(SkinEvents* e) {
    events = e ? e : &noEvents;
}

SkinElementPainter& SkinPainter() {
    return *painter;
}

void SetSkinElementPainter(SkinElementPainter* p) {
    painter = p ? p : &noPainter;
}

void skinevent(uint8_t event, TSkinElementRec* element, Surface16* target) {
    if (!element || element->kind == 0 || event > 7 || !((element->handledEvents >> event) & 1u))
        return;
    // A failing event is dropped; the element stays.
    LogAndGoOnWith(
        [&] {
            return "skinevent: " + std::to_string(event) + " " +
                   (element->skin ? element->skin->name : std::string());
        },
        [&] {
            if (event == sePaint) {
                if (target)
                    SkinPainter().PaintElement(*element, *target);
            } else {
                SkinEventHandler().ElementEvent(event, *element);
            }
        });
}

}  // namespace pk
