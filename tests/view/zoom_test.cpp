// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/zoom.h"

#include <gtest/gtest.h>
#include <QImage>
#include <cmath>
#include <limits>

#include "view/picture_pyramid.h"
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
    for (const double zoom : ZoomLadder()) {
        for (const double twips : {0.0, 15.0, 7.5, 90000.0}) {
            EXPECT_NEAR(ScreenToPictureTwips(PictureTwipsToScreen(twips, zoom, 15.0), zoom, 15.0),
                        twips, 1e-9)
                << zoom;
        }
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

TEST(PicturePyramidTest, HalvingAveragesBlocksAndRepeatsOddEdges) {
    QImage picture(3, 3, QImage::Format_RGB32);
    // Columns 0 and 1 alternate black and white rows; column 2 is mid grey.
    for (int y = 0; y < 3; ++y) {
        picture.setPixel(0, y, y % 2 == 0 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        picture.setPixel(1, y, y % 2 == 0 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        picture.setPixel(2, y, qRgb(10, 100, 201));
    }
    const QImage half = HalvePicture(picture);
    ASSERT_EQ(half.size(), QSize(2, 2));
    EXPECT_EQ(half.pixel(0, 0) & 0xFFFFFF, qRgb(128, 128, 128) & 0xFFFFFF);  // 510 / 4 rounded
    EXPECT_EQ(half.pixel(1, 0) & 0xFFFFFF, qRgb(10, 100, 201) & 0xFFFFFF);   // edge column
    EXPECT_EQ(half.pixel(0, 1) & 0xFFFFFF, qRgb(0, 0, 0) & 0xFFFFFF);        // edge row: row 2
    EXPECT_EQ(half.pixel(1, 1) & 0xFFFFFF, qRgb(10, 100, 201) & 0xFFFFFF);
}

TEST(PicturePyramidTest, EachZoomDrawsFromALevelAtMostTwiceItsSizeMadeOnce) {
    QImage picture(1000, 600, QImage::Format_RGB32);
    picture.fill(qRgb(1, 2, 3));
    PicturePyramid pyramid;
    pyramid.SetPicture(picture);
    EXPECT_EQ(pyramid.ForZoom(0.75).scale, 1.0);
    EXPECT_EQ(pyramid.LevelsMade(), 0u);  // nothing made until a zoom needs it
    struct Row {
        double zoom, scale;
        QSize size;
    };
    for (const Row& row : {Row{0.5, 0.5, {500, 300}}, Row{0.3, 0.5, {500, 300}},
                           Row{0.25, 0.25, {250, 150}}, Row{0.158, 0.25, {250, 150}},
                           Row{1.0 / 32, 1.0 / 32, {32, 19}}}) {
        const PicturePyramid::Level level = pyramid.ForZoom(row.zoom);
        EXPECT_EQ(level.scale, row.scale) << row.zoom;
        EXPECT_EQ(level.image->size(), row.size) << row.zoom;
        EXPECT_EQ(level.image->pixel(0, 0), picture.pixel(0, 0));
    }
    EXPECT_EQ(pyramid.LevelsMade(), 5u);
    // Made a band at a time: until its last row the finer level serves.
    pyramid.SetPicture(picture);
    EXPECT_EQ(pyramid.Best(0.3).scale, 1.0);
    EXPECT_FALSE(pyramid.Advance(0.3, 200));  // 200 of the level's 300 rows
    EXPECT_EQ(pyramid.Best(0.3).scale, 1.0);
    EXPECT_TRUE(pyramid.Advance(0.3, 200));
    EXPECT_EQ(pyramid.Best(0.3).scale, 0.5);
    EXPECT_EQ(pyramid.Best(0.2).scale, 0.5);  // level 2 not made yet: level 1 serves
    EXPECT_EQ(pyramid.Best(0.2).image->pixel(499, 299), picture.pixel(999, 599));
    // A tiny picture has no level below one pixel.
    QImage tiny(3, 2, QImage::Format_RGB32);
    tiny.fill(Qt::white);
    pyramid.SetPicture(tiny);
    EXPECT_EQ(pyramid.LevelsMade(), 0u);
    EXPECT_EQ(pyramid.ForZoom(1.0 / 32).image->size(), QSize(2, 1));
}

}  // namespace
}  // namespace vardesca
