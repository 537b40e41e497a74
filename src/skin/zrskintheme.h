// Building the skins of every registered form from a loaded theme: the elements each form's
// skin gets, their parents, layout keywords and kinds, the binding of controls and containers,
// and the reference size every skin is laid out against.
//
// While a dispatch runs (SkinDispatchGuard) nothing here frees or rebuilds an element: the
// work is kept and runs when the last guard ends (the latest request of each kind wins).
#pragma once

#include <functional>
#include <string>

#include "klb/zrtheme.h"
#include "skin/zrskin.h"

namespace pk {

// Empties every skin's elements and the skin variables (before a theme is loaded).
void ResetSkins();

// Gives every registered form the elements of the theme's skin entries whose parameter text
// names the form's skin on a line of its own (the first entry of a name wins), then sets
// parents, layout keywords and kinds, binds, and raises the start events (hidden: 5, inactive:
// 3, else 2; always 6). Starts with ResetSkins. A parent chain that comes back to an element
// is cut there (logged), so no layout can recurse for ever.
void BuildSkinElements(const TZRTheme& theme);
// Sets an element's kind and class from its name and binds it (SkinEvents::BindElement).
void BindSkinElements(TSkinElementRec& element);

// The main window's skin gets the theme's minimum window size; every other skin the size of
// the main window's element "con_" + its name, or 1 x 1 when there is none.
void SetSkinReferenceSizes(const std::string& mainSkinName, int minWidth, int minHeight);

// What applying a theme does for the skins: BuildSkinElements, SetSkinReferenceSizes, then
// every skin laid out again (ResizeSkin). Kept for later while a dispatch runs.
void ApplySkinTheme(const TZRTheme& theme, const std::string& mainSkinName, int minWidth,
                    int minHeight);

// Runs `work` now, or when the last dispatch guard ends when one is held.
void DeferSkinWork(std::function<void()> work);
// Called by the last guard as it ends.
void RunDeferredSkinWork();

}  // namespace pk
