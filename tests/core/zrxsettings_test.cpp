#include "core/zrxsettings.h"

#include <gtest/gtest.h>

#include "core/zrzstream.h"
#include "support/bytes.h"

namespace pk {
namespace {

using test::Bytes;

TEST(TXSettings, KeysAreCaseInsensitiveAndStoredLowerCase) {
    TXSettings s;
    s.SetValue("ShowShadow", "1");
    EXPECT_EQ(s.GetValue("SHOWSHADOW"), "1");
    EXPECT_TRUE(s.Has("showshadow"));
    EXPECT_EQ(s.Pairs().front().key, "showshadow");
    EXPECT_EQ(s.GetValue("missing"), "");
    EXPECT_FALSE(s.Has("missing"));
}

TEST(TXSettings, SettingAgainMovesTheKeyToTheEnd) {
    TXSettings s;
    s.SetValue("a", "1");
    s.SetValue("b", "2");
    s.SetValue("A", "3");
    EXPECT_EQ(s.SaveToString(), Bytes({
                                    0x01, 0x00, 0x00, 0x00, 'b',  // key "b"
                                    0x01, 0x00, 0x00, 0x00, '2',  // value "2"
                                    0x01, 0x00, 0x00, 0x00, 'a',  // key "a", set last
                                    0x01, 0x00, 0x00, 0x00, '3',  // value "3"
                                }));
    s.Delete("B");
    EXPECT_EQ(s.Count(), 1u);
    s.Clear();
    EXPECT_EQ(s.SaveToString(), "");
}

TEST(TXSettings, SerialFormGolden) {
    TXSettings s;
    s.SetValue("Ver", "2.00.136");
    s.SetValue("motd", "");
    s.SetInt("port", -5);
    EXPECT_EQ(s.SaveToString(),
              Bytes({
                  0x03, 0x00, 0x00, 0x00, 'v', 'e', 'r',  // key, lower-cased
                  0x08, 0x00, 0x00, 0x00, '2', '.', '0', '0', '.', '1', '3', '6',  // value
                  0x04, 0x00, 0x00, 0x00, 'm', 'o', 't', 'd',                      // key
                  0x00, 0x00, 0x00, 0x00,                                          // empty value
                  0x04, 0x00, 0x00, 0x00, 'p', 'o', 'r', 't',                      // key
                  0x02, 0x00, 0x00, 0x00, '-', '5',                                // signed decimal
              }));
}

TEST(TXSettings, CompressedFormIsTheSerialFormAtLevelNine) {
    TXSettings s;
    s.SetValue("name", "value");
    std::string packed = s.SaveToCompressed();
    ASSERT_GE(packed.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(packed[0]), 0x78);  // deflate, 32K window
    EXPECT_EQ(static_cast<unsigned char>(packed[1]), 0xDA);  // level 9
    EXPECT_EQ(Decompress(packed), s.SaveToString());

    // An empty record compresses to a valid stream that loads back as true.
    TXSettings empty;
    EXPECT_EQ(empty.SaveToCompressed(), Bytes({0x78, 0xDA, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01}));
    TXSettings loaded;
    EXPECT_TRUE(loaded.LoadFromCompressed(empty.SaveToCompressed()));
    EXPECT_EQ(loaded.Count(), 0u);
}

TEST(TXSettings, ReadsAHandWrittenStoredStream) {
    std::string stream = Bytes({
        0x78, 0x01,                    // zlib header, no compression
        0x01, 0x0A, 0x00, 0xF5, 0xFF,  // final stored block of 10 bytes
        0x01, 0x00, 0x00, 0x00, 'k',   // key "k"
        0x01, 0x00, 0x00, 0x00, 'v',   // value "v"
        0x03, 0x11, 0x00, 0xE4,        // Adler-32, big-endian
    });
    TXSettings s;
    ASSERT_TRUE(s.LoadFromCompressed(stream));
    EXPECT_EQ(s.GetValue("k"), "v");
}

TEST(TXSettings, IntegersAndBytes) {
    TXSettings s;
    s.SetByte("b", 300);
    EXPECT_EQ(s.GetValue("b"), "44");
    s.SetByte("t", true);
    EXPECT_EQ(s.GetValue("t"), "1");
    s.SetValue("bad", "12x");
    EXPECT_EQ(s.GetInt("bad", 7), 7);
    EXPECT_EQ(s.GetInt("absent", -3), -3);
    s.SetValue("big", "99999999999");
    EXPECT_EQ(s.GetInt("big", 1), 1);
    s.SetInt("n", -2147483647 - 1);
    EXPECT_EQ(s.GetInt("n", 0), -2147483647 - 1);
    EXPECT_EQ(s.GetByte("absent", 300), 44);
    s.SetValue("wide", "258");
    EXPECT_EQ(s.GetByte("wide", 0), 2);
}

TEST(TXSettings, LoadingKeepsWhatIsHeld) {
    TXSettings src;
    src.SetValue("x", "new");
    src.SetValue("y", "2");
    TXSettings s;
    s.SetValue("x", "old");
    s.SetValue("z", "keep");
    EXPECT_TRUE(s.LoadFromString(src.SaveToString()));
    EXPECT_EQ(s.GetValue("z"), "keep");
    EXPECT_EQ(s.GetValue("x"), "new");
    EXPECT_EQ(s.Pairs().back().key, "y");
    EXPECT_EQ(s.Pairs().front().key, "z");
}

TEST(TXSettings, TruncatedSerialFormKeepsTheCompletePairsOnly) {
    TXSettings src;
    src.SetValue("first", "1");
    src.SetValue("second", "22");
    std::string serial = src.SaveToString();
    for (std::size_t cut = 1; cut < serial.size(); ++cut) {
        TXSettings s;
        s.SetValue("held", "h");
        bool ok = s.LoadFromString(std::string_view(serial).substr(0, cut));
        bool firstComplete = cut >= 14;   // 4 + 5 + 4 + 1
        EXPECT_EQ(ok, cut == 14) << cut;  // only a cut between pairs is clean
        EXPECT_EQ(s.GetValue("held"), "h");
        EXPECT_EQ(s.GetValue("first"), firstComplete ? "1" : "") << cut;
        EXPECT_FALSE(s.Has("second")) << cut;
    }
}

TEST(TXSettings, HugeLengthIsAnErrorNotAnAllocation) {
    std::string serial = Bytes({0x01, 0x00, 0x00, 0x00, 'k',    // key
                                0xFF, 0xFF, 0xFF, 0x7F, 'v'});  // value claims 2 GiB
    TXSettings s;
    EXPECT_FALSE(s.LoadFromString(serial));
    EXPECT_EQ(s.Count(), 0u);
}

TEST(TXSettings, CorruptCompressedInputChangesNothing) {
    TXSettings src;
    for (int i = 0; i < 50; ++i) {
        src.SetInt("key" + std::to_string(i), i * i);
    }
    std::string packed = src.SaveToCompressed();
    TXSettings s;
    s.SetValue("held", "h");
    EXPECT_FALSE(s.LoadFromCompressed(""));
    EXPECT_FALSE(s.LoadFromCompressed(packed.substr(0, packed.size() - 3)));
    std::string flipped = packed;
    flipped[packed.size() / 2] ^= 0x40;
    EXPECT_FALSE(s.LoadFromCompressed(flipped));
    EXPECT_FALSE(s.LoadFromCompressed("plain text"));
    ASSERT_EQ(s.Count(), 1u);
    EXPECT_EQ(s.GetValue("held"), "h");
    EXPECT_TRUE(s.LoadFromCompressed(packed));
    EXPECT_EQ(s.Count(), 51u);
    EXPECT_EQ(s.GetInt("KEY49", 0), 2401);
}

TEST(TXSettings, CopiesAreIndependent) {
    TXSettings a;
    a.SetValue("one", "1");
    a.SetValue("two", "2");
    TXSettings b = a;
    b.SetValue("one", "changed");
    b.Delete("two");
    EXPECT_EQ(a.GetValue("one"), "1");
    EXPECT_EQ(a.GetValue("two"), "2");
    EXPECT_EQ(a.Count(), 2u);
    EXPECT_EQ(b.GetValue("one"), "changed");
    EXPECT_EQ(b.Count(), 1u);
    a = b;
    a.SetValue("three", "3");
    EXPECT_EQ(b.Count(), 1u);
    TXSettings moved = std::move(a);
    moved.Delete("ONE");
    EXPECT_EQ(moved.SaveToString(), std::string("\x05\0\0\0three\x01\0\0\0"
                                                "3",
                                                14));
}

}  // namespace
}  // namespace pk
