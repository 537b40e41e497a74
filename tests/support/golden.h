#pragma once
// Golden pictures: a surface drawn by a test is compared pixel for pixel with a PNG kept in
// the repository under tests/. Run a test program with PK_UPDATE_GOLDEN=1 to write the
// pictures afresh (then look at them before committing). On a mismatch the surface is saved
// as <name>.actual.png in the working folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gfx/surface.h"

namespace pk::test {

// `name` is relative to tests/, e.g. "gfx/golden/bitblt.png".
::testing::AssertionResult MatchesGolden(const Surface16& surface, const std::string& name);
// The same, allowing up to `differentPixels` pixels to differ: for pictures with text, whose
// glyphs may come out a pixel apart with another build of the fonts.
::testing::AssertionResult MatchesGoldenWithin(const Surface16& surface, const std::string& name,
                                               int differentPixels);

// Panels of one size laid out in rows of `columns`, a white pixel between them, so one golden
// picture holds many cases.
Surface16 Sheet(const std::vector<Surface16>& panels, int columns);

}  // namespace pk::test
