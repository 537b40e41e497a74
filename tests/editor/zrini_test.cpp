// "kled.ini": the bytes we write, lookups in any case, removal of keys and
// sections, the reader's buffer and files that are not ours.
#include "editor/zrini.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/atomicfile.h"
#include "support/temp_dir.h"

namespace pk {
namespace {

std::string Bytes(const std::filesystem::path& file) {
    return ReadFileBytes(file, 1 << 20).value_or("<missing>");
}

TEST(IniTest, WritesSectionsAndKeysInOrderAsGoldenBytes) {
    test::TempDir dir;
    const auto ini = dir.Path() / "kled.ini";
    ASSERT_TRUE(WriteIniValue("History", "file0", ini, "/themes/a.klb"));
    ASSERT_TRUE(WriteIniValue("History", "file1", ini, "/themes/b.klb"));
    ASSERT_TRUE(WriteIniValue("Other", "x", ini, "1"));
    ASSERT_TRUE(WriteIniValue("history", "FILE0", ini, "/themes/c.klb"));  // replaces in place
    EXPECT_EQ(Bytes(ini),
              "[History]\r\n"            // section header
              "file0=/themes/c.klb\r\n"  // the first key keeps its spelling and place
              "file1=/themes/b.klb\r\n"  // a new key ends its section
              "[Other]\r\n"              // a new section ends the file
              "x=1\r\n");
}

TEST(IniTest, LooksUpSectionsAndKeysInAnyCaseAndTrimsBlanks) {
    test::TempDir dir;
    const auto ini = dir.Path() / "kled.ini";
    std::ofstream(ini, std::ios::binary) << "; note\n[ History ]\n  File0 =  /a b.klb  \n"
                                         << "[Next]\nfile0=other\n";
    EXPECT_EQ(ReadIniValue("HISTORY", "file0", ini), "/a b.klb");
    EXPECT_EQ(ReadIniValue("next", "FILE0", ini), "other");
    EXPECT_EQ(ReadIniValue("History", "file1", ini), "");
    EXPECT_EQ(ReadIniValue("Missing", "file0", ini), "");
    EXPECT_EQ(ReadIniValue("History", "file0", dir.Path() / "none.ini"), "");
}

TEST(IniTest, RemovesAKeyOrAWholeSection) {
    test::TempDir dir;
    const auto ini = dir.Path() / "kled.ini";
    WriteIniValue("History", "file0", ini, "a");
    WriteIniValue("History", "file1", ini, "b");
    WriteIniValue("Keep", "k", ini, "v");
    ASSERT_TRUE(WriteIniValue("History", "file0", ini, std::nullopt));
    EXPECT_EQ(Bytes(ini), "[History]\r\nfile1=b\r\n[Keep]\r\nk=v\r\n");
    ASSERT_TRUE(WriteIniValue("HISTORY", std::nullopt, ini, std::nullopt));
    EXPECT_EQ(Bytes(ini), "[Keep]\r\nk=v\r\n");
    // Removing what is not there changes nothing and is no failure.
    EXPECT_TRUE(WriteIniValue("Gone", std::nullopt, ini, std::nullopt));
    EXPECT_EQ(Bytes(ini), "[Keep]\r\nk=v\r\n");
}

TEST(IniTest, CutsLongValuesToTheBufferAndRefusesLineBreaks) {
    test::TempDir dir;
    const auto ini = dir.Path() / "kled.ini";
    const std::string longValue(5000, 'x');
    ASSERT_TRUE(WriteIniValue("S", "k", ini, longValue));
    EXPECT_EQ(ReadIniValue("S", "k", ini), std::string(kIniValueBuffer - 1, 'x'));
    EXPECT_FALSE(WriteIniValue("S", "k", ini, "a\r\n[Evil]"));
    EXPECT_FALSE(WriteIniValue("S", "a=b", ini, "c"));
    EXPECT_EQ(ReadIniValue("S", "k", ini).size(), kIniValueBuffer - 1);
}

}  // namespace
}  // namespace pk
