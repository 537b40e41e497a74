#include "update/zrdiff.h"

#include <gtest/gtest.h>

#include <string>

#include "peers/patch_builder.h"
#include "support/bytes.h"

namespace pk {
namespace {

using peers::CopyEntry;
using peers::Crc;
using peers::DiffBuilder;
using test::Bytes;
using test::LE;

struct Rebuild {
    DiffResult result;
    std::string output;
    std::string oldLeft;  // what the old source still held afterwards
    int progressCalls = 0;
};

Rebuild Diff(const std::string& diff, const std::string& old, std::size_t maxOutput = 1u << 28) {
    Rebuild r;
    MemorySource diffSource(diff);
    MemorySource oldSource(old);
    StringSink out;
    r.result = ApplyBinaryDiff(
        diffSource, oldSource, out, [&r] { ++r.progressCalls; }, maxOutput);
    r.output = out.out;
    char buffer[64];
    for (std::size_t n; (n = oldSource.Read(buffer, sizeof buffer)) > 0;) {
        r.oldLeft.append(buffer, n);
    }
    return r;
}

TEST(BinaryDiff, GoldenStreamOfBothBlockKinds) {
    const std::string old = "HELLO world";
    const std::string stream =
        // literal block
        LE(0) +           // L: no old bytes
        Bytes({0}) +      // kind 0
        LE(3) +           // n
        LE(Crc(">> ")) +  // CRC-32 of the bytes
        ">> " +           // the bytes
        // rebuilt block
        LE(11) +               // L: the whole old file
        Bytes({1}) +           // kind 1
        LE(Crc("HELLO ")) +    // result CRC
        LE(Crc(old)) +         // old CRC
        LE(5) +                // literal length
        LE(12) +               // table length: one entry
        "there" +              // literals; those after the last entry are not used
        LE(6, 2) +             // copy length
        Bytes({0xEE, 0xEE}) +  // two bytes never read
        LE(1) +                // source position in the old block
        LE(1) +                // target position in the rebuilt block
        // end block
        LE(0) + Bytes({0}) + LE(0);
    const Rebuild r = Diff(stream, old);
    ASSERT_TRUE(r.result.ok) << r.result.error;
    EXPECT_EQ(r.output, ">> HELLO ");
    EXPECT_EQ(r.result.written, 9u);
    EXPECT_EQ(r.progressCalls, 3);
}

TEST(BinaryDiff, LiteralsFillTheGapsBeforeEachCopy) {
    const std::string old = "0123456789";
    const std::string result = "ab2345cd89";
    const std::string diff =
        DiffBuilder().Rebuilt(old, "abcd-unused", {{4, 3, 3}, {2, 9, 9}}, result).End().Bytes();
    const Rebuild r = Diff(diff, old);
    ASSERT_TRUE(r.result.ok) << r.result.error;
    EXPECT_EQ(r.output, result);
}

TEST(BinaryDiff, AFirstEntryAtPositionOneStartsWithCopiedBytes) {
    const std::string old = "abcdef";
    const std::string diff =
        DiffBuilder().Rebuilt(old, "XY", {{3, 4, 1}, {1, 1, 6}}, "defXYa").End().Bytes();
    const Rebuild r = Diff(diff, old);
    ASSERT_TRUE(r.result.ok) << r.result.error;
    EXPECT_EQ(r.output, "defXYa");
}

TEST(BinaryDiff, AnEndBlockFirstGivesAnEmptyFileAfterReadingItsOldBytes) {
    const Rebuild r = Diff(DiffBuilder().End(4).Bytes(), "abcdefgh");
    ASSERT_TRUE(r.result.ok);
    EXPECT_EQ(r.output, "");
    EXPECT_EQ(r.oldLeft, "efgh");
    EXPECT_EQ(r.progressCalls, 1);
}

TEST(BinaryDiff, OldBytesAreConsumedAtEveryBlockAndFewerAtTheEnd) {
    // Kind 0 blocks consume old bytes too; the last block asks for more than is left.
    const std::string old = "aaaabbbbcc";
    const std::string diff = DiffBuilder()
                                 .Literal(4, "1")
                                 .Rebuilt("bbbb", "", {{2, 1, 1}}, "bb")
                                 .Raw(LE(100) + Bytes({1}) + LE(Crc("cc")) + LE(Crc("cc")) + LE(0) +
                                      LE(12) + LE(2, 2) + Bytes({0, 0}) + LE(1) + LE(1))
                                 .End()
                                 .Bytes();
    const Rebuild r = Diff(diff, old);
    ASSERT_TRUE(r.result.ok) << r.result.error;
    EXPECT_EQ(r.output, "1bbcc");
}

TEST(BinaryDiff, CorruptedLiteralsRaiseCrcError) {
    std::string diff = DiffBuilder().Literal(0, "payload").End().Bytes();
    diff[13] ^= 0x20;  // inside the literal bytes
    const Rebuild r = Diff(diff, "");
    EXPECT_FALSE(r.result.ok);
    EXPECT_EQ(r.result.error, "CRC Error");
}

TEST(BinaryDiff, CrcErrorsAndUnknownKinds) {
    const std::string old = "abcdef";
    // The old block is not what the stream was made from.
    const Rebuild changed =
        Diff(DiffBuilder().Rebuilt("abcdeX", "", {{6, 1, 1}}, "abcdeX").End().Bytes(), old);
    EXPECT_EQ(changed.result.error, "CRC Error");
    // The rebuilt block is not what its CRC says.
    const Rebuild wrong =
        Diff(DiffBuilder().Rebuilt(old, "", {{6, 1, 1}}, "other!").End().Bytes(), old);
    EXPECT_EQ(wrong.result.error, "CRC Error");
    EXPECT_EQ(wrong.output, "");
    const Rebuild kind = Diff(LE(0) + Bytes({2}) + LE(0), old);
    EXPECT_EQ(kind.result.error, "CRC Error");
}

TEST(BinaryDiff, CopyEntriesAndLiteralRangesAreChecked) {
    const std::string old = "abcdef";
    const struct {
        std::vector<CopyEntry> table;
        std::string literals;
    } cases[] = {
        {{{1, 1, 3}, {1, 1, 2}}, "xyz"},  // target goes back
        {{{1, 0, 1}}, ""},                // source position 0
        {{{1, 1, 0}}, ""},                // target position 0
        {{{2, 6, 1}}, ""},                // copy runs past the old block
        {{{1, 8, 1}}, ""},                // source past the old block
        {{{1, 1, 5}}, "ab"},              // gap needs 4 literals, 2 present
        {{{1, 1, 0x7FFFFFFF}}, "ab"},     // target far outside the buffer
    };
    for (const auto& c : cases) {
        const std::string diff = DiffBuilder().Rebuilt(old, c.literals, c.table, "").End().Bytes();
        const Rebuild r = Diff(diff, old);
        EXPECT_FALSE(r.result.ok);
        EXPECT_NE(r.result.error, "");
        EXPECT_NE(r.result.error, "CRC Error") << r.result.error;
    }
}

TEST(BinaryDiff, SizesAreBoundedByTheBuffersAndTheData) {
    const std::string big = LE(DiffBufferSize + 1);
    EXPECT_FALSE(Diff(big + Bytes({0}) + LE(0), "").result.ok);          // L
    EXPECT_FALSE(Diff(LE(0) + Bytes({0}) + big + LE(0), "").result.ok);  // literal n
    EXPECT_FALSE(Diff(LE(0) + Bytes({1}) + LE(0) + LE(0) + big + LE(0), "").result.ok);
    EXPECT_FALSE(Diff(LE(0) + Bytes({1}) + LE(0) + LE(0) + LE(0) + big, "").result.ok);
    // A table length that is not a whole number of entries.
    EXPECT_FALSE(Diff(LE(0) + Bytes({1}) + LE(0) + LE(0) + LE(0) + LE(5) + "12345", "").result.ok);
    // Claimed lengths beyond the stream.
    const Rebuild shortLiteral = Diff(LE(0) + Bytes({0}) + LE(100) + LE(0) + "abc", "");
    EXPECT_EQ(shortLiteral.result.error, "Difference stream ends without its end block");
}

TEST(BinaryDiff, TheStreamMustEndWithItsEndBlock) {
    const Rebuild empty = Diff("", "abc");
    EXPECT_FALSE(empty.result.ok);
    const Rebuild noEnd = Diff(DiffBuilder().Literal(0, "abc").Bytes(), "");
    EXPECT_FALSE(noEnd.result.ok);
    EXPECT_EQ(noEnd.output, "abc");  // partial: the caller must not install it
    const Rebuild cutEnd = Diff(LE(0) + Bytes({0}) + LE(0).substr(0, 2), "");
    EXPECT_FALSE(cutEnd.result.ok);
}

TEST(BinaryDiff, OutputIsCapped) {
    const std::string diff =
        DiffBuilder().Literal(0, "0123456789").Literal(0, "0123456789").End().Bytes();
    EXPECT_TRUE(Diff(diff, "", 20).result.ok);
    const Rebuild r = Diff(diff, "", 19);
    EXPECT_FALSE(r.result.ok);
    EXPECT_EQ(r.result.written, 10u);
}

TEST(BinaryDiff, MadeDiffsRoundTrip) {
    std::string before(3 * 1024 * 1024 + 17, '\0');
    for (std::size_t i = 0; i < before.size(); ++i) {
        before[i] = static_cast<char>((i * 31 + i / 1000) & 0xFF);
    }
    std::string after = before;
    after.replace(1000, 10, "CHANGED BYTES");
    after.replace(2 * 1024 * 1024 + 5, 3, "");
    after += "tail";
    const Rebuild r = Diff(peers::MakeDiff(before, after), before);
    ASSERT_TRUE(r.result.ok) << r.result.error;
    EXPECT_TRUE(r.output == after);
    const Rebuild shrink = Diff(peers::MakeDiff("abcdef", ""), "abcdef");
    ASSERT_TRUE(shrink.result.ok) << shrink.result.error;
    EXPECT_EQ(shrink.output, "");
    const Rebuild grow = Diff(peers::MakeDiff("", "brand new"), "");
    ASSERT_TRUE(grow.result.ok) << grow.result.error;
    EXPECT_EQ(grow.output, "brand new");
}

}  // namespace
}  // namespace pk
