// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/scroll_range.h"

#include <gtest/gtest.h>

namespace vardesca {
namespace {

TEST(ScrollRangeTest, EnabledOnlyWhenThePictureOverflows) {
    EXPECT_EQ(ComputeScrollRange(3000, 9855), (ScrollRange{false, -6855}));
    EXPECT_EQ(ComputeScrollRange(2000, 7455), (ScrollRange{false, -5455}));
    EXPECT_EQ(ComputeScrollRange(9855, 9855), (ScrollRange{false, 0}));
    EXPECT_EQ(ComputeScrollRange(9856, 9855), (ScrollRange{true, 1}));
    EXPECT_EQ(ComputeScrollRange(20000, 9855), (ScrollRange{true, 10145}));
    EXPECT_EQ(ComputeScrollRange(9000, 7455), (ScrollRange{true, 1545}));
    // Beyond 16 bits: a 48-megapixel photo scrolls all the way.
    EXPECT_EQ(ComputeScrollRange(8000 * 15, 9855), (ScrollRange{true, 110145}));
    EXPECT_EQ(ComputeScrollRange(0.5, 0), (ScrollRange{true, 0}));  // half to even
    EXPECT_EQ(ComputeScrollRange(1.5, 0), (ScrollRange{true, 2}));
}

}  // namespace
}  // namespace vardesca
