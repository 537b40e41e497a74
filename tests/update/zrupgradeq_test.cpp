#include "update/zrupgradeq.h"

#include <gtest/gtest.h>

namespace pk {
namespace {

TEST(UpgradeQueue, GoldenLines) {
    const std::vector<UpgradeLine> lines = {
        UpgradeLine::MakeCopy("/p/$$tmp$$/abcdefgh.tmp", "/p/data/x.klb"),
        UpgradeLine::MakeDelete("/p/$$tmp$$/abcdefgh.tmp"),
        UpgradeLine::MakeRemdir("/p/$$tmp$$/"),
        UpgradeLine::MakeRun("/p/pelkorin", "-showver"),
    };
    EXPECT_EQ(FormatUpgradeQueue(lines),
              "copy\x02/p/$$tmp$$/abcdefgh.tmp\x02/p/data/x.klb\r\n"
              "delete\x02/p/$$tmp$$/abcdefgh.tmp\r\n"
              "remdir\x02/p/$$tmp$$/\r\n"
              "run\x02"
              "3000\x02/p/pelkorin\x02-showver\r\n");
    const UpgradeQueue back = ParseUpgradeQueue(FormatUpgradeQueue(lines));
    EXPECT_EQ(back.lines, lines);
    EXPECT_TRUE(back.refused.empty());
}

TEST(UpgradeQueue, PlainLineEndsAndEmptyLinesAreRead) {
    const UpgradeQueue q = ParseUpgradeQueue(
        "delete\x02/p/a\n\n\r\nrun\x02"
        "0\x02/p/x\x02\n");
    ASSERT_EQ(q.lines.size(), 2u);
    EXPECT_EQ(q.lines[1], UpgradeLine::MakeRun("/p/x", "", 0));
}

TEST(UpgradeQueue, MalformedLinesAreRefusedOneByOne) {
    const char* bad[] = {
        "copy\x02/p/a",                  // missing target
        "copy\x02/p/a\x02/p/b\x02/p/c",  // extra field
        "copy\x02\x02/p/b",              // empty source
        "delete",                        // no path
        "delete\x02",                    // empty path
        "remove\x02/p/a",                // unknown verb
        "run\x02"
        "3000\x02/p/x",             // no arguments field
        "run\x02soon\x02/p/x\x02",  // delay not a number
        "run\x02-1\x02/p/x\x02",
        "run\x02"
        "60001\x02/p/x\x02",
        "run\x02"
        "0\x02\x02",       // no program
        "DELETE\x02/p/a",  // verbs are lower case
    };
    std::string text;
    for (const char* line : bad) {
        EXPECT_FALSE(ParseUpgradeLine(line).has_value()) << line;
        text += std::string(line) + "\r\n";
    }
    text += "delete\x02/p/ok\r\n";
    const UpgradeQueue q = ParseUpgradeQueue(text);
    EXPECT_EQ(q.refused.size(), std::size(bad));
    ASSERT_EQ(q.lines.size(), 1u);
    EXPECT_EQ(q.lines[0].path, "/p/ok");
}

}  // namespace
}  // namespace pk
