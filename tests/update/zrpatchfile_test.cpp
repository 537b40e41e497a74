#include "update/zrpatchfile.h"

#include <gtest/gtest.h>

#include "support/bytes.h"

namespace pk {
namespace {

using test::Bytes;
using test::LE;

TEST(PatchFile, GoldenRecordsOfEachType) {
    const std::string patch =
        // type 10, new file
        Bytes({10}) + LE(5) + "a\\b.c" +  // name
        LE(3) +                           // compressed length
        Bytes({1}) +                      // flag: now
        "zzz" +                           // payload
        // type 11, delete file
        Bytes({11}) + LE(3) + "old" +  // name
        Bytes({0}) +                   // flag: queued
        // an unknown type byte is a record of its own
        Bytes({0x63}) +
        // type 12, patch file
        Bytes({12}) + LE(4) + "main" +  // name
        LE(2) +                         // compressed length
        LE(0xCAFEBABE) +                // CRC-32 of the file now
        Bytes({0}) +                    // flag
        "dd";                           // payload
    const PatchContents contents = ReadPatchRecords(patch);
    ASSERT_TRUE(contents.ok) << contents.problem;
    ASSERT_EQ(contents.records.size(), 3u);
    const auto& add = contents.records[0];
    EXPECT_EQ(add.type, prNewFile);
    EXPECT_EQ(add.name, "a/b.c");
    EXPECT_EQ(add.rawName, "a\\b.c");
    EXPECT_TRUE(add.now);
    EXPECT_EQ(add.data, "zzz");
    EXPECT_EQ(add.offset, 0u);
    const auto& del = contents.records[1];
    EXPECT_EQ(del.type, prDeleteFile);
    EXPECT_EQ(del.name, "old");
    EXPECT_FALSE(del.now);
    EXPECT_EQ(del.offset, 18u);
    const auto& fix = contents.records[2];
    EXPECT_EQ(fix.type, prPatchFile);
    EXPECT_EQ(fix.oldCrc, 0xCAFEBABEu);
    EXPECT_EQ(fix.data, "dd");
    EXPECT_EQ(fix.offset, 28u);
}

TEST(PatchFile, AnEmptyPatchHasNoRecords) {
    const PatchContents contents = ReadPatchRecords("");
    EXPECT_TRUE(contents.ok);
    EXPECT_TRUE(contents.records.empty());
}

TEST(PatchFile, RecordsRunningPastTheEndRefuseTheWholePatch) {
    const std::string good = Bytes({11}) + LE(1) + "x" + Bytes({1});
    const std::string cuts[] = {
        Bytes({11}) + LE(5) + "ab",  // name longer than the data
        Bytes({11}) + LE(1) + "x",   // no flag
        Bytes({10}) + LE(1) + "x" + LE(100) + Bytes({1}) + "short",
        Bytes({12}) + LE(1) + "x" + LE(0),   // no CRC
        Bytes({10}) + LE(0xFFFFFFFF) + "x",  // a huge name length
        Bytes({12}),
    };
    for (const auto& cut : cuts) {
        const PatchContents contents = ReadPatchRecords(good + cut);
        EXPECT_FALSE(contents.ok);
        EXPECT_TRUE(contents.records.empty());
        EXPECT_FALSE(contents.problem.empty());
    }
}

TEST(PatchFile, AnUnsafeNameRefusesTheWholePatch) {
    const std::string patch = Bytes({11}) + LE(1) + "x" + Bytes({1}) +  //
                              Bytes({11}) + LE(5) + "..\\up" + Bytes({1});
    const PatchContents contents = ReadPatchRecords(patch);
    EXPECT_FALSE(contents.ok);
    EXPECT_TRUE(contents.records.empty());
    EXPECT_NE(contents.problem.find("record at 7"), std::string::npos);
}

}  // namespace
}  // namespace pk
