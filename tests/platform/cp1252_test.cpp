#include "platform/cp1252.h"

#include <gtest/gtest.h>

namespace pk {
namespace {

TEST(Cp1252, EveryByteRoundTripsThroughUnicode) {
    std::string all;
    for (int b = 1; b <= 0xFF; ++b) {
        all.push_back(static_cast<char>(b));
    }
    QString text = Cp1252ToQString(all);
    ASSERT_EQ(text.size(), 255);
    EXPECT_EQ(QStringToCp1252(text), all);
}

TEST(Cp1252, HighBytesMapToTheirTypographicCharacters) {
    EXPECT_EQ(Cp1252ToUnicode(0x80), U'\u20AC');  // euro sign
    EXPECT_EQ(Cp1252ToUnicode(0x85), U'\u2026');  // ellipsis
    EXPECT_EQ(Cp1252ToUnicode(0x9F), U'\u0178');  // Y with diaeresis
    EXPECT_EQ(Cp1252ToUnicode(0xE9), U'\u00E9');  // e acute, as in Latin-1
    // The undefined bytes keep their value.
    for (unsigned char b : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        EXPECT_EQ(Cp1252ToUnicode(b), static_cast<char32_t>(b));
    }
    EXPECT_EQ(Cp1252ToQString("caf\xE9 \x80"), QString::fromUtf8("café €"));
}

TEST(Cp1252, CharactersOutsideTheCodePageBecomeTheReplacement) {
    EXPECT_FALSE(UnicodeToCp1252(U'\u0100').has_value());
    EXPECT_FALSE(UnicodeToCp1252(0x80).has_value());  // C1 control taken by the euro sign
    EXPECT_EQ(QStringToCp1252(QString::fromUtf8("a\u4E2Db")), "a?b");
    EXPECT_EQ(QStringToCp1252(QString::fromUtf8("a\u4E2Db"), '_'), "a_b");
    EXPECT_EQ(QStringToCp1252(QString::fromUtf8("\u20AC")), "\x80");
}

}  // namespace
}  // namespace pk
