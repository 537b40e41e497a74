// What the skin engine asks of the world around it, as small interfaces with do-nothing
// defaults: the form a skin belongs to (its size, colour and pixels), the handler of element
// events (`skinevent`: containers and controls, installed by the widget layer; painting of
// game display elements, installed by the game's display), and, in zrskincmd.h, the links and
// windows that commands drive. Tests install fakes.
#pragma once

#include <cstdint>
#include <string>

#include "gfx/surface.h"

namespace pk {

struct TSkinElementRec;

// A skinned form as the engine sees it.
class SkinForm {
public:
    virtual ~SkinForm() = default;
    virtual int ClientWidth() const = 0;
    virtual int ClientHeight() const = 0;
    virtual bool FormVisible() const = 0;
    // The form's own colour, 0x00BBGGRR.
    virtual int32_t FormColour() const = 0;
    // Copies a rectangle of the back buffer to the form's pixels (what the screen shows).
    virtual void PresentRect(const Surface16& buffer, const PixelRect& rect) = 0;
    // Fills a rectangle of the form's pixels with a colour.
    virtual void FillFormRect(const PixelRect& rect, Pixel16 colour) = 0;
    // A press captures the mouse for the form until the release.
    virtual void CaptureMouse() {}
    virtual void ReleaseMouse() {}
};

// The element handler for every event but painting, and the binding of controls and
// containers to an element (BindSkinElements). Called only for elements of a kind whose class
// takes the event.
class SkinEvents {
public:
    virtual ~SkinEvents() = default;
    // The element's kind and class are set; binds its control or container.
    virtual void BindElement(TSkinElementRec& element) { (void)element; }
    // Events 0 and 2 to 6 (SkinEventId).
    virtual void ElementEvent(uint8_t event, TSkinElementRec& element) {
        (void)event;
        (void)element;
    }
};

// Paints a game display element (event 1) onto the back buffer, whose clip rectangle is set
// to what may change.
class SkinElementPainter {
public:
    virtual ~SkinElementPainter() = default;
    virtual void PaintElement(TSkinElementRec& element, Surface16& target) {
        (void)element;
        (void)target;
    }
};

// The installed ones; never null. nullptr restores the defaults.
SkinEvents& SkinEventHandler();
void SetSkinEvents(SkinEvents* events);
SkinElementPainter& SkinPainter();
void SetSkinElementPainter(SkinElementPainter* painter);

// `skinevent`: hands an element event to its handler, when the element's kind takes it (its
// bit in handledEvents). An exception is logged as "Error in skinevent: " + event + " " + the
// skin's name, and the event is dropped. `target` is the surface event 1 paints on.
void skinevent(uint8_t event, TSkinElementRec* element, Surface16* target = nullptr);

}  // namespace pk
