// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/checked_int.h"

#include <gtest/gtest.h>
#include <limits>

namespace vardesca {
namespace {

TEST(CheckedIntTest, RoundsHalvesToEvenAndRefusesWhatDoesNotFit) {
    EXPECT_EQ(RoundToInt32(0.5f), 0);
    EXPECT_EQ(RoundToInt32(1.5f), 2);
    EXPECT_EQ(RoundToInt32(-1.5f), -2);
    EXPECT_EQ(RoundToInt32(-2147483648.0f), INT32_MIN);
    EXPECT_EQ(RoundToInt32(2147483520.0f), 2147483520);
    EXPECT_THROW((void)RoundToInt32(2147483648.0f), ArithmeticOverflow);
    EXPECT_THROW((void)RoundToInt32(std::nanf("")), ArithmeticOverflow);
    EXPECT_EQ(CheckedSub32(INT32_MAX, 0), INT32_MAX);
    EXPECT_THROW((void)CheckedSub32(INT32_MIN, 1), ArithmeticOverflow);
}

}  // namespace
}  // namespace vardesca
