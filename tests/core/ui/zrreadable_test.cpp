// Text colours made readable on their ground: kept when they already read, else moved just far
// enough toward black or white, on light, dark and middle grounds alike.
#include "core/ui/zrreadable.h"

#include <gtest/gtest.h>

#include "core/zrconst.h"
#include "support/contrast.h"

namespace pk {
namespace {

using test::ContrastRatio;

TEST(ReadableOn, ReadableColoursAreKeptAndOthersMovedJustPastTheBar) {
    EXPECT_EQ(ReadableOn(Qt::black, Qt::white), QColor(Qt::black));
    EXPECT_EQ(ReadableOn(QColor(0x30, 0x8c, 0xc6), Qt::white), QColor(0x30, 0x8c, 0xc6));
    // The face of a button on a white list: a grey dark enough, and no darker than needed.
    const QColor face = ReadableOn(QColor(0xef, 0xef, 0xef), Qt::white);
    EXPECT_GE(ContrastRatio(face, Qt::white), MinTextContrast);
    EXPECT_LT(ContrastRatio(face, Qt::white), MinTextContrast + 0.3);
    EXPECT_EQ(face.red(), face.green());
    // A hue keeps its direction: a faint blue stays blue.
    const QColor blue = ReadableOn(QColor(0xc0, 0xd0, 0xff), Qt::white);
    EXPECT_GT(blue.blue(), blue.red());
}

TEST(ReadableOn, EveryInkReadsOnEveryGround) {
    // Grounds light, dark and around the middle, where black and white stand out alike; inks
    // equal to the ground among them (a theme that fills a list in its button colour).
    const std::vector<QColor> colours = {Qt::white,
                                         Qt::black,
                                         QColor(0x76, 0x76, 0x76),
                                         QColor(0x77, 0x77, 0x77),
                                         QColor(14, 17, 25),
                                         QColor(236, 222, 196),
                                         QColor(0x30, 0x8c, 0xc6),
                                         QColor(255, 0, 0),
                                         QColor(0, 0, 255),
                                         QColor(0xef, 0xef, 0xef)};
    for (const QColor& ground : colours)
        for (const QColor& ink : colours)
            EXPECT_GE(ContrastRatio(ReadableOn(ink, ground), ground), MinTextContrast)
                << ink.name().toStdString() << " on " << ground.name().toStdString();
}

}  // namespace
}  // namespace pk
