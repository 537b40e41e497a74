#include "core/zrmisc.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/clocks.h"
#include "support/temp_dir.h"

namespace pk {
namespace {

TEST(Tokens, CountsAndPicksTokens) {
    EXPECT_EQ(TokenAt(0, "", ','), "0");
    EXPECT_EQ(TokenAt(0, "a", ','), "1");
    EXPECT_EQ(TokenAt(0, "a,,b", ','), "3");
    EXPECT_EQ(TokenAt(2, "a,,b", ','), "");
    EXPECT_EQ(TokenAt(3, "a,,b", ','), "b");
    // A delimiter at the very end opens no further token.
    EXPECT_EQ(TokenAt(0, "a,b,", ','), "2");
    EXPECT_EQ(TokenCount("a,b,", ','), 2);
    EXPECT_EQ(TokenCount(",", ','), 1);
    EXPECT_EQ(TokenCount(",x", ','), 2);
    EXPECT_EQ(TokenAt(1, ",x", ','), "");
    EXPECT_EQ(TokenAt(2, ",x", ','), "x");
    // Past the end and negative.
    EXPECT_EQ(TokenAt(3, "a,b,", ','), "");
    EXPECT_EQ(TokenAt(9, "a", ','), "");
    EXPECT_EQ(TokenAt(-1, "a", ','), "");
}

// The pieces of a text as spans: words are runs of non-blanks; tokens end at
// each delimiter, and text after the last delimiter is a token when not empty.
std::vector<std::pair<std::size_t, std::size_t>> ReferenceSpans(std::string_view text, char sep,
                                                                bool words) {
    std::vector<std::pair<std::size_t, std::size_t>> spans;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const bool end = i == text.size();
        if (words) {
            if (end || text[i] == ' ') {
                if (i > start) {
                    spans.emplace_back(start, i);
                }
                start = i + 1;
            }
        } else if (!end && text[i] == sep) {
            spans.emplace_back(start, i);
            start = i + 1;
        } else if (end && start < text.size()) {
            spans.emplace_back(start, i);
        }
    }
    return spans;
}

TEST(Tokens, WalkingHelpersAgreeWithTheListOfPieces) {
    std::uint32_t seed = 3;
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        for (int i = 0; i < round % 12; ++i) {
            seed = seed * 1103515245u + 12345u;
            text += "ab ,"[seed >> 16 & 3];
        }
        const auto words = ReferenceSpans(text, ' ', true);
        const auto tokens = ReferenceSpans(text, ',', false);
        EXPECT_EQ(WordCount(text), static_cast<int>(words.size())) << text;
        EXPECT_EQ(TokenCount(text, ','), static_cast<int>(tokens.size())) << text;
        for (int n = -1; n <= 8; ++n) {
            const bool word = n >= 1 && static_cast<std::size_t>(n) <= words.size();
            const bool token = n >= 1 && static_cast<std::size_t>(n) <= tokens.size();
            const auto piece = [&](const auto& span) {
                return text.substr(span.first, span.second - span.first);
            };
            if (n != 0) {
                EXPECT_EQ(WordAt(n, text), word ? piece(words[n - 1]) : "") << text << " " << n;
                EXPECT_EQ(TokenAt(n, text, ','), token ? piece(tokens[n - 1]) : "")
                    << text << " " << n;
            }
            if (n >= 1) {
                EXPECT_EQ(RestFromWord(n, text), word ? text.substr(words[n - 1].first) : "")
                    << text << " " << n;
                EXPECT_EQ(RestFromToken(n, text, ','),
                          token ? text.substr(tokens[n - 1].first) : "")
                    << text << " " << n;
            }
        }
    }
}

TEST(Tokens, RestRangeAndInsert) {
    EXPECT_EQ(RestFromToken(2, "a,b,,c", ','), "b,,c");
    EXPECT_EQ(RestFromToken(5, "a,b,,c", ','), "");
    EXPECT_EQ(TokenRange(2, 3, "a,b,c,d", ','), "b,c");
    EXPECT_EQ(TokenRange(3, 9, "a,b,c,d", ','), "c,d");
    EXPECT_EQ(TokenRange(5, 9, "a,b,c,d", ','), "");
    EXPECT_EQ(InsertToken(2, "a,c", ',', "b"), "a,b,c");
    EXPECT_EQ(InsertToken(1, "a,c", ',', "z"), "z,a,c");
    EXPECT_EQ(InsertToken(3, "a,c", ',', "d"), "a,c,d");
    EXPECT_EQ(InsertToken(1, "", ',', "x"), "x");
    EXPECT_EQ(InsertToken(2, "a,c", ',', ""), "a,c");
}

TEST(Words, CountsWordsAroundRunsOfBlanks) {
    EXPECT_EQ(WordAt(0, "  alpha   beta  "), "2");
    EXPECT_EQ(WordAt(2, "  alpha   beta  "), "beta");
    EXPECT_EQ(WordAt(3, "  alpha   beta  "), "");
    EXPECT_EQ(WordAt(0, ""), "0");
    EXPECT_EQ(WordAt(0, "    "), "0");
    EXPECT_EQ(RestFromWord(2, " go  to   the end"), "to   the end");
    EXPECT_EQ(RestFromWord(5, " go  to   the end"), "");
    EXPECT_EQ(WordIndex("BETA", "alpha beta gamma"), 2);
    EXPECT_EQ(WordIndex("delta", "alpha beta gamma"), 0);
}

TEST(Text, SmallHelpers) {
    EXPECT_EQ(RemoveChars("a-b_c-", "-_"), "abc");
    EXPECT_EQ(StripLeading("000120", '0'), "120");
    EXPECT_EQ(RepeatString(3, "ab"), "ababab");
    EXPECT_EQ(RepeatString(-1, "ab"), "");
    EXPECT_EQ(CharCount('a', "banana"), 3);
    EXPECT_EQ(FirstNonEmpty("", "b"), "b");
    EXPECT_EQ(PadColumn("ab", 5, true), "ab   ");
    EXPECT_EQ(PadColumn("ab", 5, false), "   ab");
    EXPECT_EQ(PadColumn("abcdef", 3, true), "abcdef");
    EXPECT_EQ(EscapeQuotes("it's"), "it\\'s");
    EXPECT_EQ(Clamp(5, 1, 3), 3);
    EXPECT_EQ(Clamp(-5, 1, 3), 1);
}

TEST(Text, FormatTokensFillsTenPlaceholders) {
    EXPECT_EQ(FormatTokens("%s kicked %s (%s)",
                           "bob\x02"
                           "ann",
                           '\x02'),
              "bob kicked ann ()");
    EXPECT_EQ(FormatTokens("100%% %s", "x", '\x02'), "100% x");
    // An eleventh placeholder, or a stray %, does no harm.
    EXPECT_EQ(FormatTokens("%s%s%s%s%s%s%s%s%s%s%s|%d", "1,2,3,4,5,6,7,8,9,10,11", ','),
              "12345678910|%d");
}

TEST(Text, DecodeEscapes) {
    EXPECT_EQ(DecodeEscapes("\\065"), "A");
    EXPECT_EQ(DecodeEscapes("\\6a"), "\\6a");
    EXPECT_EQ(DecodeEscapes("x\\321y"), std::string("x") + static_cast<char>(321 % 256) + "y");
    // A produced backslash is not decoded again.
    EXPECT_EQ(DecodeEscapes("\\092065"), "\\065");
    EXPECT_EQ(DecodeEscapes("end\\06"), "end\\06");
}

TEST(WildMatch, FollowsTheLiteralRunRules) {
    EXPECT_TRUE(WildMatch("A*C", "abxc"));
    EXPECT_TRUE(WildMatch("abc", "ABC"));
    EXPECT_FALSE(WildMatch("abc", "abcd"));
    EXPECT_TRUE(WildMatch("ab*", "abcdef"));
    EXPECT_TRUE(WildMatch("ab?", "abc"));
    EXPECT_TRUE(WildMatch("ab?", "abcdef"));
    EXPECT_FALSE(WildMatch("ab?", "xbc"));
    EXPECT_FALSE(WildMatch("ab?", "ab"));
    EXPECT_TRUE(WildMatch("*", ""));
    EXPECT_TRUE(WildMatch("*lo*", "hello world"));
    EXPECT_FALSE(WildMatch("*xyz", "hello"));
    EXPECT_TRUE(WildMatch("h?llo", "hello"));
    EXPECT_FALSE(WildMatch("h?llo", "hallx"));
    // The tail after "*" is searched, not anchored at the end.
    EXPECT_TRUE(WildMatch("a*c", "abcd"));
    EXPECT_TRUE(WildMatch("on*key", "onkeyup"));
}

TEST(Validators, NamesAndTexts) {
    EXPECT_TRUE(IsValidName("Player_1[x]"));
    EXPECT_FALSE(IsValidName(""));
    EXPECT_FALSE(IsValidName("1abc"));
    EXPECT_FALSE(IsValidName("ab cd"));
    EXPECT_FALSE(IsValidName("ab*"));
    EXPECT_FALSE(IsValidName("ab/"));
    EXPECT_FALSE(IsValidName("ab?"));
    EXPECT_FALSE(IsValidName("caf\xE9"));
    EXPECT_TRUE(IsValidText("hello, world? 100% /me \x7F\xE9\xFE"));
    EXPECT_FALSE(IsValidText(""));
    EXPECT_FALSE(IsValidText("tab\there"));
    EXPECT_FALSE(IsValidText("y\xFF"));
}

TEST(Crc32, KnownVectors) {
    EXPECT_EQ(StringCrc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(StringCrc32(""), 0u);
    EXPECT_EQ(StringCrc32("The quick brown fox jumps over the lazy dog"), 0x414FA339u);
    const std::string stream("xx123456789yy");
    EXPECT_EQ(StreamCrc32(stream, 2, 9), 0xCBF43926u);
    // A range past the end is clipped.
    EXPECT_EQ(StreamCrc32(stream, 11, 100), StringCrc32("yy"));
    EXPECT_EQ(StreamCrc32(stream, 50, 3), 0u);
    // The update step carries over between pieces.
    std::uint32_t crc = Crc32Update(0xFFFFFFFFu, "1234", 4);
    crc = Crc32Update(crc, "56789", 5);
    EXPECT_EQ(~crc, 0xCBF43926u);
}

// The bit-by-bit definition of one update, without inversions.
std::uint32_t ReferenceCrcUpdate(std::uint32_t crc, std::string_view bytes) {
    for (unsigned char c : bytes) {
        crc ^= c;
        for (int k = 0; k < 8; ++k) {
            crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
        }
    }
    return crc;
}

TEST(Crc32, UpdateCarriesAnyRegisterValueWithoutInversions) {
    std::string bytes;
    for (int i = 0; i < 300; ++i) {
        bytes += static_cast<char>(i * 37 + 11);
    }
    for (std::uint32_t start : {0u, 1u, 0x80000000u, 0xFFFFFFFFu, 0x12345678u}) {
        for (std::size_t length : {std::size_t{1}, std::size_t{7}, std::size_t{64}, bytes.size()}) {
            const std::string_view piece = std::string_view(bytes).substr(0, length);
            EXPECT_EQ(Crc32Update(start, piece.data(), piece.size()),
                      ReferenceCrcUpdate(start, piece))
                << start << " " << length;
        }
        // No bytes, even from a null buffer, leave the value alone.
        EXPECT_EQ(Crc32Update(start, nullptr, 0), start);
        EXPECT_EQ(Crc32Update(start, bytes.data(), 0), start);
    }
}

TEST(Crc32, FileCrcAndMissingFile) {
    test::TempDir temp;
    const auto& dir = temp.Path();
    std::string path = (dir / "digits.txt").string();
    std::ofstream(path, std::ios::binary) << "123456789";
    EXPECT_EQ(FileCrc32(path), 0xCBF43926u);
    EXPECT_EQ(FileSizeOf(path), 9);
    EXPECT_TRUE(FileCanOpen(path));
    EXPECT_FALSE(FileCrc32((dir / "none").string()).has_value());
    EXPECT_EQ(FileSizeOf((dir / "none").string()), -1);
    EXPECT_FALSE(FileCanOpen((dir / "none").string()));
}

TEST(Hashes, TextHashAndPasswordMask) {
    EXPECT_EQ(TextHash(""), 0u);
    EXPECT_EQ(TextHash("A"), 0x41u);
    EXPECT_EQ(TextHash("AB"), (0x41u << 2) ^ 0x42u);
    // The top bits rotate round to the bottom.
    std::string seventeen(17, '\x03');
    std::uint32_t h = 0;
    for (int i = 0; i < 17; ++i) {
        h = ((h << 2) | (h >> 30)) ^ 3u;
    }
    EXPECT_EQ(TextHash(seventeen), h);
    EXPECT_EQ(HexMaskString(""), "");
    std::string masked = HexMaskString("secret");
    ASSERT_EQ(masked.size(), 12u);
    EXPECT_EQ(masked.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    EXPECT_NE(HexMaskString("secret"), HexMaskString("secreT"));
}

TEST(KeyNames, Table) {
    EXPECT_EQ(KeyName(8), "BACK");
    EXPECT_EQ(KeyName(37), "LEFT");
    EXPECT_EQ(KeyName(40), "DOWN");
    EXPECT_EQ(KeyName(48), "0");
    EXPECT_EQ(KeyName(90), "Z");
    EXPECT_EQ(KeyName(105), "NUMPAD9");
    EXPECT_EQ(KeyName(109), "-");
    EXPECT_EQ(KeyName(189), "-");
    EXPECT_EQ(KeyName(135), "F24");
    EXPECT_EQ(KeyName(220), "\\");
    EXPECT_EQ(KeyName(42), "");
    EXPECT_EQ(KeyName(-1), "");
    EXPECT_EQ(KeyName(300), "");
}

TEST(Fonts, RoundTripAndPartialStrings) {
    FontSpec font{"Tahoma", 9, 255, true, false, true, false};
    EXPECT_EQ(FontToString(font),
              "Tahoma\x01"
              "9\x01"
              "255\x01"
              "bu");
    FontSpec back;
    StringToFont(FontToString(font), back);
    EXPECT_EQ(FontToString(back), FontToString(font));

    FontSpec kept{"Verdana", 10, 7, true, true, false, false};
    StringToFont("", kept);
    EXPECT_EQ(kept.name, "Verdana");
    EXPECT_TRUE(kept.bold);
    // Empty name and bad numbers keep the old values; the style is rebuilt.
    StringToFont(
        "\x01x\x01"
        "12\x01s?b",
        kept);
    EXPECT_EQ(kept.name, "Verdana");
    EXPECT_EQ(kept.size, 10);
    EXPECT_EQ(kept.color, 12);
    EXPECT_TRUE(kept.bold);
    EXPECT_FALSE(kept.italic);
    EXPECT_TRUE(kept.strikeOut);
}

TEST(Packing, NetAndRawWords) {
    EXPECT_EQ(WordToNetString(0x1234), "\x12\x34");
    EXPECT_EQ(NetStringToWord("\x12\x34zz"), 0x1234);
    EXPECT_EQ(NetStringToWord("\xFF"), 0xFF00);
    EXPECT_EQ(NetStringToWord(""), 0);
    EXPECT_EQ(WordToRawString(0x1234), "\x34\x12");
    EXPECT_EQ(RawStringToInt(std::string("\x01\x02\x03\x04\x05", 5)), 0x04030201u);
    EXPECT_EQ(RawStringToInt("\x01"), 1u);
    EXPECT_EQ(FlipRandomBits(0x12345678u, 0), 0x12345678u);
    // Only the low n bits may change.
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(FlipRandomBits(0xABCD0000u, 16) & 0xFFFF0000u, 0xABCD0000u);
        EXPECT_EQ(FlipRandomBits64(0xFFull << 56, 8) >> 8, 0xFFull << 48);
    }
}

TEST(Bits, WriterAndReaderAgree) {
    std::string bits;
    int pos = 0;
    WriteBits(bits, pos, 0b101, 3);
    WriteBits(bits, pos, 0b00001, 5);
    EXPECT_EQ(bits, "\xA1");
    EXPECT_EQ(pos, 8);
    int rpos = 0;
    EXPECT_EQ(ReadBits(bits, rpos, 3), 5u);
    EXPECT_EQ(ReadBits(bits, rpos, 5), 1u);
    EXPECT_EQ(rpos, 8);
}

TEST(Bits, OddWidthsRoundTrip) {
    const int widths[] = {1, 3, 5, 7, 9, 11, 13, 17, 19, 23, 25, 2, 31, 32};
    std::string bits;
    int pos = 0;
    std::uint32_t seed = 12345;
    std::vector<std::uint32_t> values;
    for (int round = 0; round < 3; ++round) {
        for (int w : widths) {
            seed = seed * 1103515245u + 12345u;
            std::uint32_t v = w == 32 ? seed : seed & ((1u << w) - 1u);
            values.push_back(v);
            WriteBits(bits, pos, v, w);
            EXPECT_EQ(bits.size(), static_cast<std::size_t>((pos - 1) / 8 + 1));
        }
    }
    int rpos = 0;
    std::size_t k = 0;
    for (int round = 0; round < 3; ++round) {
        for (int w : widths) {
            EXPECT_EQ(ReadBits(bits, rpos, w), values[k++]) << "width " << w;
        }
    }
    EXPECT_EQ(rpos, pos);
}

TEST(Bits, WriterMasksStrayHighBits) {
    std::string bits;
    int pos = 0;
    WriteBits(bits, pos, 0b1, 1);
    WriteBits(bits, pos, 0xFFFFFFF0u, 4);  // only 0000 belongs to this field
    WriteBits(bits, pos, 0b111, 3);
    EXPECT_EQ(bits, "\x87");
}

TEST(Bits, ReadingPastTheEndGivesZeros) {
    int pos = 4;
    EXPECT_EQ(ReadBits("\x0F", pos, 8), 0xF0u);
    EXPECT_EQ(pos, 12);
    EXPECT_EQ(ReadBits("", pos, 25), 0u);
}

// Every width at every bit offset, across and past the end, against reading bit by bit.
TEST(Bits, ReaderMatchesBitByBitAtEveryOffset) {
    const std::string bits("\xA5\x3C\xFF\x00\x96\x71\xE8", 7);
    const auto bitAt = [&](int p) {
        const auto byte = static_cast<std::size_t>(p) / 8;
        return byte < bits.size() ? (static_cast<unsigned char>(bits[byte]) >> (7 - p % 8)) & 1u
                                  : 0u;
    };
    for (int start = 0; start <= 8 * 7 + 9; ++start) {
        for (int w = 1; w <= 32; ++w) {
            std::uint32_t want = 0;
            for (int i = 0; i < w; ++i) {
                want = (want << 1) | bitAt(start + i);
            }
            int pos = start;
            EXPECT_EQ(ReadBits(bits, pos, w), want) << "offset " << start << " width " << w;
            EXPECT_EQ(pos, start + w);
        }
    }
    int pos = 3;
    EXPECT_EQ(ReadBits(bits, pos, 0), 0u);
    EXPECT_EQ(ReadBits(bits, pos, 33), 0u);
    EXPECT_EQ(pos, 3);
}

TEST(LenStrings, RoundTripAndOversizedCount) {
    ByteWriter out;
    WriteLenString(out, "abc");
    WriteLenString(out, "");
    EXPECT_EQ(out.out(), std::string("\x03\x00\x00\x00"
                                     "abc"
                                     "\x00\x00\x00\x00",
                                     11));
    ByteReader in(out.out());
    EXPECT_EQ(ReadLenString(in), "abc");
    EXPECT_EQ(ReadLenString(in), "");
    EXPECT_TRUE(in.ok());
    EXPECT_TRUE(in.atEnd());

    // A negative count is the empty text; the bytes after it are the next field.
    const std::string negativeBytes("\xFF\xFF\xFF\xFF\x01\x00\x00\x00z", 9);
    ByteReader negative(negativeBytes);
    EXPECT_EQ(ReadLenString(negative), "");
    EXPECT_EQ(ReadLenString(negative), "z");
    EXPECT_TRUE(negative.ok());
    // A count far beyond the data is an error, not an allocation.
    const std::string hugeBytes(
        "\xFF\xFF\xFF\x7F"
        "ab",
        6);
    ByteReader huge(hugeBytes);
    EXPECT_EQ(ReadLenString(huge), "");
    EXPECT_FALSE(huge.ok());
    EXPECT_EQ(ReadLenString(huge), "");
    // A count cut short.
    const std::string cutBytes("\x02\x00", 2);
    ByteReader cut(cutBytes);
    EXPECT_EQ(ReadLenString(cut), "");
    EXPECT_FALSE(cut.ok());
}

TEST(Clocks, TickClockSurvivesTheWrap) {
    std::uint32_t tick = 0xFFFFFF00u;
    SetTickSourceForTest([&] { return tick; });
    NoHighResTimer = 1;
    std::uint64_t before = MilliClock();
    EXPECT_EQ(static_cast<std::uint32_t>(before), tick);
    tick = 0x00000100u;
    std::uint64_t after = MilliClock();
    EXPECT_EQ(after - before, 0x200u);
    // A sample slightly older than the last (a racing thread) never goes back.
    tick = 0x000000F0u;
    EXPECT_EQ(MilliClock(), after);
    tick = 0x00001000u;
    EXPECT_EQ(SecondClock(), (after - 0x100u + 0x1000u) / 1000u);
    NoHighResTimer = 0;
    SetTickSourceForTest({});
}

TEST(Clocks, HighResolutionClocksAdvance) {
    NoHighResTimer = 0;
    std::uint64_t a = MilliClock();
    std::uint64_t b = MilliClock();
    EXPECT_LE(a, b);
    EXPECT_LE(SecondClock(), b / 1000 + 1);
    // Without the counter, the tick count serves.
    SetHighResUnavailableForTest(true);
    std::uint32_t tick = 5000;
    SetTickSourceForTest([&] { return tick; });
    EXPECT_EQ(static_cast<std::uint32_t>(MilliClock()), 5000u);
    SetTickSourceForTest({});
    SetHighResUnavailableForTest(false);
}

TEST(Files, CopyAndDeleteTree) {
    test::TempDir temp;
    const auto& dir = temp.Path();
    std::filesystem::create_directories(dir / "tree" / "sub");
    std::string src = (dir / "src.bin").string();
    std::string big(10000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<char>(i * 7);
    }
    std::ofstream(src, std::ios::binary) << big;
    std::string dst = (dir / "tree" / "copy.bin").string();
    ASSERT_TRUE(CopyFileBlocks(src, dst));
    EXPECT_EQ(FileCrc32(dst), StringCrc32(big));
    EXPECT_FALSE(CopyFileBlocks((dir / "none").string(), dst));
    EXPECT_EQ(FileCrc32(dst), StringCrc32(big));  // a failed copy leaves the target alone

    std::ofstream((dir / "tree" / "sub" / "f.txt").string()) << "x";
    std::ofstream((dir / "outside.txt").string()) << "keep";
    std::filesystem::create_directory_symlink(dir, dir / "tree" / "sub" / "link");
    DeleteTree((dir / "tree").string() + "/");
    EXPECT_FALSE(std::filesystem::exists(dir / "tree"));
    // The link was removed, not followed.
    EXPECT_TRUE(std::filesystem::exists(dir / "outside.txt"));
}

}  // namespace
}  // namespace pk
