// The skin model: the registry of skinned forms (`SkinList`, one `tskinf` per form), the
// elements each form's skin is built from, and the parameter and flag lookups on an element's
// parameter text. Headless: a form is reached through the SkinForm interface (zrskinhost.h),
// pixels are gfx surfaces. Main thread only.
//
// An element keeps its own copy of the theme entry it came from (names, texts, rectangle,
// colour, image position in the library), so freeing or reloading the theme never leaves an
// element pointing at freed memory, even while a script that iterates the elements waits in a
// message box.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gfx/surface.h"
#include "klb/zrtheme.h"

namespace pk {

class SkinForm;
struct tskinf;

// What the kind of an element makes it (zrskintable.h): a bound control, a container window,
// a game display element painted by its handler, or a picture of the skin only.
enum class SkinClass : uint8_t { None, Control, Container, GameDisplay };

// Element events as the skin engine raises them.
enum SkinEventId : uint8_t {
    seLayout = 0,       // laid out: a container takes the rectangle
    sePaint = 1,        // paint a game display element
    seActivated = 2,    // activated
    seDeactivated = 3,  // deactivated
    seShown = 4,        // shown
    seHidden = 5,       // hidden
    seUpdate = 6,       // a bound control takes the rectangle and the visibility
};

struct TSkinElementRec {
    tskinf* skin = nullptr;
    // The entry's name (lower-cased), library file and skin record, copied from the theme.
    std::string name;
    std::filesystem::path libraryFile;
    TZRskin source;
    // The picture, loaded from the library on first use (LoadElementBitmaps).
    std::optional<Surface16> image;
    std::optional<Mask> mask;
    bool bitmapsLoaded = false;  // tried, whether or not the bytes decoded
    uint8_t kind = 0;
    SkinClass kindClass = SkinClass::None;
    uint32_t layout = 0;        // layout keywords, bit i = keyword i (zrskinlayout.h)
    uint8_t handledEvents = 0;  // bit i: the kind's handler takes event i
    PixelRect rect;             // current rectangle on the form
    int laidOutWidth = -1;      // the skin size the rectangle was made for
    int laidOutHeight = -1;
    TSkinElementRec* parent = nullptr;
    uint8_t visible = 1;
    uint8_t active = 1;
    uint8_t dirty = 0;
    uint8_t marked = 0;  // marked for painting in the current pass
    PixelRect repaint;   // the part to redraw in the current pass
    uint8_t toDraw = 0;
    uint8_t over = 0;     // the pointer is over it
    uint8_t pressed = 0;  // it took a mouse press

    // Whether the entry has an image stored (it may still fail to load) or a background colour.
    bool HasPicture() const { return source.imageSize >= 1 || source.backColour >= 0; }
    bool Shown() const { return visible && active; }
};

struct tskinf {
    SkinForm* form = nullptr;
    std::string name;
    std::vector<std::unique_ptr<TSkinElementRec>> elements;
    // The work bitmaps of element drawing (PrepareElementBuffers); made on first use.
    std::optional<Surface16> imageBuffer;
    std::optional<Mask> maskBuffer;
    int designWidth = 0, designHeight = 0;    // the client size at registration
    int currentWidth = 0, currentHeight = 0;  // the size the layout was last made for
    // The size the theme's rectangles were designed for (SetSkinReferenceSizes).
    int referenceWidth = 0, referenceHeight = 0;
    uint8_t dirty = 0;
    uint8_t painting = 0;
};

// The registry, in registration order.
extern std::vector<std::unique_ptr<tskinf>> SkinList;
// The one back buffer every form is painted through; at least as large as every laid-out form.
extern Surface16 SkinBuffer;

// Creates the registry and the back buffer (screen-sized when the size is known) and empties
// the skin variables. A second call starts afresh.
void InitSkins(int screenWidth = 0, int screenHeight = 0);
// Frees every element, skin record, the back buffer and the skin variables.
void FreeSkins();
// Grows the back buffer to hold a form of that size (never shrinks it).
void EnsureSkinBuffer(int width, int height);

// Registers a form under a skin name once; the design, current and reference sizes are its
// client size now. Returns its record.
tskinf* RegisterSkin(SkinForm* form, const std::string& name);
// Removes a form's record (a form that goes away before FreeSkins).
void UnregisterSkin(SkinForm* form);

tskinf* FindSkin(const SkinForm* form);
tskinf* FindSkinByName(std::string_view name);  // ignoring case
// The first element whose name equals `name` ignoring case.
TSkinElementRec* FindElement(const SkinForm* form, std::string_view name);
TSkinElementRec* FindElementInSkin(const tskinf* skin, std::string_view name);
TSkinElementRec* FindElementAnywhere(std::string_view name);

// The value of the parameter line "name" LF value (name compared exactly); empty when absent.
std::string GetElementParam(const TSkinElementRec& element, std::string_view name);
std::string GetTextParam(std::string_view text, std::string_view name);
// Whether a line of the text is exactly `word`.
bool HasElementFlag(const TSkinElementRec& element, std::string_view word);
bool TextHasFlag(std::string_view text, std::string_view word);

// "red green blue", three decimal numbers separated by blanks, as a colour 0x00BBGGRR; each
// channel is kept within 0..255 and a word that is not a number counts as 0. Empty text gives
// the default.
int32_t ParseColor(std::string_view text, int32_t defaultColour);

// Frees the images and masks of a form's elements and its work bitmaps (reloaded on demand).
void FreeFormSkinBitmaps(const SkinForm* form);

// ---- dispatch guard

// Held while a skin event dispatch, a painting pass or a message box of the engine runs.
// While one is held the elements are not rebuilt or freed: ResetSkins and BuildSkinElements
// are kept until the last guard ends, and SkinsBusy tells callers such as the theme watch to
// try again later.
class SkinDispatchGuard {
public:
    SkinDispatchGuard();
    ~SkinDispatchGuard();
    SkinDispatchGuard(const SkinDispatchGuard&) = delete;
    SkinDispatchGuard& operator=(const SkinDispatchGuard&) = delete;
};
bool SkinsBusy();

}  // namespace pk
