// The colour arithmetic under the windows' palettes: mixing rounds the same way in both
// directions and stays within its ends; black or white goes to the ground it stands out from.
#include "core/zrcolour.h"

#include <gtest/gtest.h>

namespace pk {
namespace {

TEST(Colours, MixingGoesFromOneColourToTheOther) {
    const int32_t navy = RgbColour(0, 0, 128), sand = RgbColour(236, 222, 196);
    EXPECT_EQ(MixColours(navy, sand, 0), navy);
    EXPECT_EQ(MixColours(navy, sand, 100), sand);
    EXPECT_EQ(MixColours(navy, sand, -5), navy);
    EXPECT_EQ(MixColours(navy, sand, 250), sand);
    // Halfway from 0 to 255 and back rounds alike: 127.5 away from where it started.
    EXPECT_EQ(MixColours(RgbColour(0, 0, 0), RgbColour(255, 255, 255), 50),
              RgbColour(128, 128, 128));
    EXPECT_EQ(MixColours(RgbColour(255, 255, 255), RgbColour(0, 0, 0), 50),
              RgbColour(127, 127, 127));
    EXPECT_EQ(ColourRed(RgbColour(1, 2, 3)), 1);
    EXPECT_EQ(ColourGreen(RgbColour(1, 2, 3)), 2);
    EXPECT_EQ(ColourBlue(RgbColour(1, 2, 3)), 3);
}

TEST(Colours, BlackOrWhiteWhicheverStandsOut) {
    EXPECT_EQ(ContrastingColour(RgbColour(26, 30, 42)), RgbColour(255, 255, 255));
    EXPECT_EQ(ContrastingColour(RgbColour(250, 251, 255)), RgbColour(0, 0, 0));
    EXPECT_EQ(ContrastingColour(RgbColour(52, 112, 212)), RgbColour(255, 255, 255));
    EXPECT_DOUBLE_EQ(ColourContrast(RgbColour(0, 0, 0), RgbColour(255, 255, 255)), 21.0);
}

}  // namespace
}  // namespace pk
