// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/zoom.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>

#include "view/scroll_range.h"

namespace vardesca {
namespace {

TEST(ZoomLadderTest, RootTwoStepsFromOneThirtySecondToSixteenThroughOne) {
    const auto ladder = ZoomLadder();
    ASSERT_EQ(ladder.size(), 19u);
    EXPECT_EQ(ladder.front(), 1.0 / 32);
    EXPECT_EQ(ladder.back(), 16.0);
    EXPECT_EQ(ladder[10], 1.0);  // exactly, so 100 % is the natural view
    EXPECT_EQ(ladder[12], 2.0);
    for (std::size_t i = 1; i < ladder.size(); ++i) {
        EXPECT_NEAR(ladder[i] / ladder[i - 1], std::sqrt(2.0), 1e-12) << i;
    }
}

TEST(ZoomLadderTest, StepsFromRungsFromBetweenThemAndAtTheEnds) {
    struct Row {
        double from, in, out;
    };
    const double r2 = std::sqrt(2.0);
    for (const Row& row : {
             Row{1.0, r2, r2 / 2},
             Row{2.0, 2 * r2, r2},
             Row{0.3, r2 / 4, 0.25},  // a fitted view steps to the nearest rung
             Row{16.0, 16.0, 8 * r2},
             Row{1.0 / 32, r2 / 32, 1.0 / 32},
             Row{1.0 + 1e-12, r2, r2 / 2},  // a rung reached by arithmetic still steps
         }) {
        EXPECT_DOUBLE_EQ(ZoomIn(row.from), row.in) << row.from;
        EXPECT_DOUBLE_EQ(ZoomOut(row.from), row.out) << row.from;
    }
    EXPECT_EQ(ClampZoom(100.0), 16.0);
    EXPECT_EQ(ClampZoom(1e-6), 1.0 / 32);
    EXPECT_EQ(ClampZoom(0.0), 1.0);
    EXPECT_EQ(ClampZoom(std::numeric_limits<double>::quiet_NaN()), 1.0);
}

TEST(ZoomTest, FitShowsTheWholePictureWithinTheLadder) {
    // The 48 MP photo in an 1800 × 950 viewport: the height decides.
    EXPECT_DOUBLE_EQ(FitZoom(8000, 6000, 1800, 950), 950.0 / 6000);
    EXPECT_DOUBLE_EQ(FitZoom(6000, 1000, 1800, 950), 0.3);  // the width decides
    EXPECT_EQ(FitZoom(100, 50, 3200, 1600), 16.0);          // an icon, held at the top
    EXPECT_EQ(FitZoom(100000, 100000, 500, 500), 1.0 / 32);  // held at the bottom
    EXPECT_EQ(FitZoom(0, 50, 800, 600), 1.0);
    EXPECT_EQ(FitZoom(100, 50, 0, 600), 1.0);
}

TEST(ZoomTest, TheAnchorPointStaysUnderTheAnchor) {
    struct Row {
        double offset, anchor, from, to;
    };
    for (const Row& r : {Row{0, 320, 1, 2}, Row{-1234, 100, 1, 0.25}, Row{-50, 0, 4, 16},
                         Row{10, 600, 0.158, 1}}) {
        const double after = AnchoredOffset(r.offset, r.anchor, r.from, r.to);
        // The picture point under the anchor, in picture pixels, before and after.
        EXPECT_NEAR((r.anchor - r.offset) / r.from, (r.anchor - after) / r.to, 1e-9);
    }
    EXPECT_EQ(AnchoredOffset(-700, 300, 1, 1), -700);
}

TEST(ZoomTest, ScreenAndPictureTwipsAtEveryRung) {
    // At 100 % a screen pixel is 15 twips, exactly as without zoom.
    for (const double px : {0.0, 1.0, 641.0, 123456.0}) {
        EXPECT_EQ(ScreenToPictureTwips(px, 1.0, 15.0), px * 15.0);
    }
    // At every rung the photo point under a screen pixel is the same one.
    for (const double zoom : ZoomLadder()) {
        EXPECT_NEAR(ScreenToPictureTwips(1234.5 * zoom, zoom, 15.0), 1234.5 * 15.0, 1e-9) << zoom;
    }
    // Above 100 % a screen pixel is a fraction of a photo pixel, and it is kept.
    EXPECT_EQ(ScreenToPictureTwips(3, 4.0, 15.0), 11.25);
    EXPECT_EQ(ScreenToPictureTwips(3, 0.25, 15.0), 180.0);
}

TEST(ZoomTest, ScrollRangesCoverTheZoomedPicture) {
    // 2000 × 15 twips of picture in a 641-pixel viewport.
    const double viewport = 641 * 15.0;
    EXPECT_EQ(ComputeScrollRange(30000 * 1.0, viewport), (ScrollRange{true, 20385}));
    EXPECT_EQ(ComputeScrollRange(30000 * 4.0, viewport), (ScrollRange{true, 110385}));
    EXPECT_EQ(ComputeScrollRange(30000 * 0.25, viewport), (ScrollRange{false, -2115}));
    // Exactly as wide as the viewport: nothing to scroll.
    EXPECT_EQ(ComputeScrollRange(viewport, viewport), (ScrollRange{false, 0}));
}

}  // namespace
}  // namespace vardesca
