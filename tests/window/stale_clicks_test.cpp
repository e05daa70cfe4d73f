// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/stale_clicks.h"

#include <gtest/gtest.h>

namespace vardesca {
namespace {

TEST(StaleClicksTest, OnlyPressesMadeBeforeTheEndOfTheWorkOnTheSystemsClock) {
    QWidget surface;
    StaleClicks stale(surface);
    const quint32 now = EventClockNow();
    EXPECT_FALSE(stale.Stale(now - 100));  // nothing has held the window yet
    stale.BusyUntilNow();
    EXPECT_TRUE(stale.Stale(now - 100));
    EXPECT_TRUE(stale.Stale(now - 9 * 60 * 1000));
    EXPECT_FALSE(stale.Stale(EventClockNow() + 1));
    // Times far from the clock are not the window system's: a test's own, or a
    // compositor's other clock. They are never dropped.
    EXPECT_FALSE(stale.Stale(12));
    EXPECT_FALSE(stale.Stale(now - 11 * 60 * 1000));
}

}  // namespace
}  // namespace vardesca
