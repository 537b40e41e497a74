// The byte reader and writer under every binary format: little-endian
// fields, length-prefixed and fixed texts, and the sticky error.
#include "core/bytestream.h"

#include <gtest/gtest.h>

namespace pk {
namespace {

TEST(ByteReader, FieldsAreLittleEndian) {
    const std::string bytes(
        "\x01"
        "\x02\x03"
        "\x04\x05\x06\x07"
        "\xFE\xFF\xFF\xFF"
        "ab\0cd",
        16);
    ByteReader r(bytes);
    EXPECT_EQ(r.u8(), 0x01);
    EXPECT_EQ(r.u16(), 0x0302);
    EXPECT_EQ(r.u32(), 0x07060504u);
    EXPECT_EQ(r.i32(), -2);
    EXPECT_EQ(r.fixedText(5), "ab");
    EXPECT_TRUE(r.ok());
    EXPECT_TRUE(r.atEnd());
}

TEST(ByteReader, AReadPastTheEndFailsEveryLaterRead) {
    const std::string bytes("\x01\x02\x03", 3);
    ByteReader r(bytes);
    EXPECT_EQ(r.u32(), 0u);
    EXPECT_FALSE(r.ok());
    // Bytes that are there still read as nothing once the reader failed, and
    // a loop reading to the end stops.
    EXPECT_EQ(r.u8(), 0);
    EXPECT_EQ(r.bytes(1), "");
    EXPECT_EQ(r.remaining(), 0u);
    EXPECT_TRUE(r.atEnd());

    ByteReader s(bytes);
    s.seek(3);
    EXPECT_TRUE(s.ok());
    s.seek(4);
    EXPECT_FALSE(s.ok());
}

TEST(ByteWriter, WritesWhatTheReaderReads) {
    ByteWriter w;
    w.u8(7);
    w.u16(0xBEEF);
    w.i32(-5);
    w.lenString("text");
    w.fixedText("toolong", 3);
    w.fixedText("a", 3);
    w.patchI32(3, 42);
    EXPECT_EQ(w.out(), std::string("\x07\xEF\xBE"
                                   "\x2A\x00\x00\x00"
                                   "\x04\x00\x00\x00text"
                                   "too"
                                   "a\0\0",
                                   21));
    ByteReader r(w.out());
    EXPECT_EQ(r.u8(), 7);
    EXPECT_EQ(r.u16(), 0xBEEF);
    EXPECT_EQ(r.i32(), 42);
    EXPECT_EQ(r.lenString(), "text");
    EXPECT_EQ(r.fixedText(3), "too");
    EXPECT_EQ(r.fixedText(3), "a");
    EXPECT_TRUE(r.ok());
}

}  // namespace
}  // namespace pk
