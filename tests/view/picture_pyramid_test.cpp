// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/picture_pyramid.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDeadlineTimer>
#include <QImage>
#include <QPainter>

#include "view/image_surface.h"

namespace vardesca {
namespace {

TEST(PicturePyramidTest, HalvingAveragesBlocksAndRepeatsOddEdges) {
    QImage picture(3, 3, QImage::Format_RGB32);
    // Columns 0 and 1 alternate black and white rows; column 2 is mid grey.
    for (int y = 0; y < 3; ++y) {
        picture.setPixel(0, y, y % 2 == 0 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        picture.setPixel(1, y, y % 2 == 0 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        picture.setPixel(2, y, qRgb(10, 100, 201));
    }
    QImage half(2, 2, QImage::Format_RGB32);
    HalveRows(picture, half, 0, 2);
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
    using Progress = PicturePyramid::Progress;
    EXPECT_EQ(pyramid.Advance(0.3, 200), Progress::Working);  // 200 of the level's 300 rows
    EXPECT_EQ(pyramid.Best(0.3).scale, 1.0);
    EXPECT_EQ(pyramid.Advance(0.3, 200), Progress::Done);
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

// The reduced copies are made on a thread of their own; the window's thread is
// free meanwhile and takes them when they are done. A copy begun for one photo
// must never be shown on the next.
TEST(PicturePyramidTest, ReducedCopiesComeFromAThreadAndNeverOutliveTheirPhoto) {
    const TwipsScale scale;
    ImageSurface surface(scale, nullptr);
    const auto photo = [](QColor colour) {
        QImage image(2400, 1600, QImage::Format_RGB32);
        image.fill(colour);
        return image;
    };
    // What the surface shows in its top-left corner at a fifth of the size.
    const auto shown = [&surface] {
        QImage canvas(100, 100, QImage::Format_RGB32);
        canvas.fill(Qt::black);
        QPainter painter(&canvas);
        surface.RenderArea(painter, QRectF(0, 0, 100, 100), 1.0);
        painter.end();
        return canvas.pixelColor(50, 50);
    };
    const auto settle = [&surface] {
        const QDeadlineTimer deadline(10000);
        while (surface.Refining() && !deadline.hasExpired())
            QApplication::processEvents();
        return !surface.Refining();
    };
    surface.SetPicture(photo(Qt::red), 2400 * 15.0, 1600 * 15.0);
    surface.SetZoom(0.2);
    EXPECT_EQ(shown(), QColor(Qt::red));  // from the picture itself, meanwhile
    EXPECT_TRUE(surface.Refining());
    ASSERT_TRUE(settle());
    EXPECT_EQ(surface.ReducedCopies(), 2u);  // halves down to the level for 0.2
    EXPECT_EQ(shown(), QColor(Qt::red));

    // A new photo while the old one's copies are being made: they are dropped.
    surface.SetZoom(0.1);
    static_cast<void>(shown());
    surface.SetPicture(photo(Qt::blue), 2400 * 15.0, 1600 * 15.0);
    surface.SetZoom(0.1);
    ASSERT_TRUE(settle());
    EXPECT_EQ(surface.ReducedCopies(), 0u);
    EXPECT_EQ(shown(), QColor(Qt::blue));
    ASSERT_TRUE(settle());
    EXPECT_EQ(surface.ReducedCopies(), 3u);
    EXPECT_EQ(shown(), QColor(Qt::blue));
}

}  // namespace
}  // namespace vardesca
