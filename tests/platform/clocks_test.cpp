#include "platform/clocks.h"

#include <gtest/gtest.h>

#include <QTime>
#include <cstdlib>

namespace pk {
namespace {

TEST(Clocks, TimeOfDayIsTheLocalOneQtReads) {
    constexpr int kDay = 24 * 60 * 60 * 1000;
    const int before = QTime::currentTime().msecsSinceStartOfDay();
    const int ours = LocalMillisecondsOfDay();
    const int after = QTime::currentTime().msecsSinceStartOfDay();
    EXPECT_GE(ours, 0);
    EXPECT_LT(ours, kDay);
    // Read between two readings through Qt; midnight may fall between them.
    if (before <= after) {
        EXPECT_GE(ours, before);
        EXPECT_LE(ours, after);
    } else {
        EXPECT_TRUE(ours >= before || ours <= after) << before << " " << ours << " " << after;
    }
}

}  // namespace
}  // namespace pk
