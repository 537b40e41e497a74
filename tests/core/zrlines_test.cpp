#include "core/zrlines.h"

#include <gtest/gtest.h>

namespace pk {
namespace {

using Lines = std::vector<std::string>;

// The edited-text habit is tested with the room's extras; here the file-list habit, whose
// lone CR and final break are the edges the two habits differ in.
TEST(SplitLines, LinesEndedByLfKeepALoneCrAndOpenNoLastLine) {
    EXPECT_EQ(SplitLines("a\rb\r\nc\n", LineBreaks::LfEnds), (Lines{"a\rb", "c"}));
    EXPECT_EQ(SplitLines("a\r\r\nb\r", LineBreaks::LfEnds), (Lines{"a\r", "b"}));
    EXPECT_EQ(SplitLines("\n\n", LineBreaks::LfEnds), (Lines{"", ""}));
    EXPECT_TRUE(SplitLines("", LineBreaks::LfEnds).empty());
    EXPECT_EQ(SplitLines("a\rb\n", LineBreaks::AnySeparates), (Lines{"a", "b", ""}));
}

}  // namespace
}  // namespace pk
