#include "shell/zroptions.h"

#include <gtest/gtest.h>

namespace pk {
namespace {

TEST(OptionNumber, TakesADecimalNumberElseTheBoxesFallback) {
    EXPECT_EQ(OptionNumber("12", 3), 12);
    EXPECT_EQ(OptionNumber(" 7 ", 3), 7);
    EXPECT_EQ(OptionNumber("-2", 3), -2);
    EXPECT_EQ(OptionNumber("abc", NoNumberConcurrentPings), 3);
    EXPECT_EQ(OptionNumber("", NoNumberPingTries), 1);
    EXPECT_EQ(OptionNumber("5min", NoNumberIdle), 0);
    EXPECT_EQ(OptionNumber("99999999999", NoNumberIdle), 0);  // beyond 32 bits
}

}  // namespace
}  // namespace pk
