// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/mark_overlay.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QFontInfo>
#include <QImage>
#include <functional>
#include <QPainter>

#include "view/image_surface.h"

namespace vardesca {
namespace {

// The engine draws a point as a circle and then two arms through its centre;
// only those arms keep their screen length at every zoom, every other line
// joins its points.
struct CrossCase {
    const char* name;
    bool circleFirst;
    QPointF a, b;
    bool arm;
};

class CrossRecognitionTest : public ::testing::TestWithParam<CrossCase> {};

TEST_P(CrossRecognitionTest, OnlyALevelOrUprightLineCentredOnTheLastCircleIsAnArm) {
    const CrossCase& c = GetParam();
    MarkOverlay overlay;
    const QPointF centre(100.5, 50.25);
    if (c.circleFirst) {
        overlay.AddCircle(centre, 4, Qt::red, 1.0);
    }
    overlay.AddLine(c.a, c.b, Qt::red, 1.0);
    const MarkOverlay::Mark& line = overlay.Marks().back();
    EXPECT_EQ(line.arm, c.arm);
    // At four times, an arm is still its 16 screen pixels; a line is four times longer.
    const QRect bounds = MarkOverlay::Bounds(line, 4.0);
    const double length = std::max(std::abs(c.b.x() - c.a.x()), std::abs(c.b.y() - c.a.y()));
    // (The bounds are whole pixels around the drawing, two more on each side.)
    EXPECT_NEAR(std::max(bounds.width(), bounds.height()) - 4, c.arm ? length : length * 4, 1.0);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CrossRecognitionTest,
    ::testing::Values(
        CrossCase{"level_centred", true, {92.5, 50.25}, {108.5, 50.25}, true},
        CrossCase{"upright_centred", true, {100.5, 42.25}, {100.5, 58.25}, true},
        CrossCase{"within_the_tolerance", true, {92.5004, 50.25}, {108.5004, 50.25}, true},
        CrossCase{"a_hundredth_of_a_pixel_aside", true, {92.51, 50.25}, {108.51, 50.25}, false},
        CrossCase{"level_but_a_row_lower", true, {92.5, 51.25}, {108.5, 51.25}, false},
        CrossCase{"slanted_through_the_centre", true, {92.5, 42.25}, {108.5, 58.25}, false},
        CrossCase{"no_circle_before", false, {92.5, 50.25}, {108.5, 50.25}, false}),
    [](const auto& param) { return std::string(param.param.name); });

// A measurement along a row or a column of the photo, after the cross of
// its second point, is a line like any other: painted from point to point at
// every zoom, and on the photo itself at any size, never at an arm's length.
TEST(MarkOverlayTest, LevelAndUprightMeasurementsJoinTheirPointsAtEveryZoomAndSize) {
    MarkOverlay overlay;
    const auto point = [&overlay](QPointF c) {
        overlay.AddCircle(c, 4, Qt::red, 1.0);
        overlay.AddLine(c - QPointF(8, 0), c + QPointF(8, 0), Qt::red, 1.0);
        overlay.AddLine(c - QPointF(0, 8), c + QPointF(0, 8), Qt::red, 1.0);
    };
    point({20, 30});
    point({120, 30});
    overlay.AddLine({20, 30}, {120, 30}, Qt::blue, 1.0);  // level
    point({160, 40});
    point({160, 110});
    overlay.AddLine({160, 40}, {160, 110}, Qt::blue, 1.0);  // upright
    // The blue pixels' extent along the row and the column of the lines.
    const auto extent = [](const QImage& image, bool row, int at) {
        int first = -1;
        int last = -1;
        const int n = row ? image.width() : image.height();
        for (int i = 0; i < n; ++i) {
            const QColor c = image.pixelColor(row ? i : at, row ? at : i);
            if (c.blue() > 200 && c.red() < 60) {
                first = first < 0 ? i : first;
                last = i;
            }
        }
        return std::pair{first, last};
    };
    for (const double zoom : {0.5, 1.0, 2.0, 3.0}) {
        QImage image(QSize(200, 120) * 3, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        overlay.PaintMarks(painter, image.rect(), zoom);
        painter.end();
        const auto [left, right] = extent(image, true, int(std::lround(30 * zoom)));
        EXPECT_NEAR(left, 20 * zoom, 2.0) << zoom;
        EXPECT_NEAR(right, 120 * zoom, 2.0) << zoom;
        const auto [top, bottom] = extent(image, false, int(std::lround(160 * zoom)));
        EXPECT_NEAR(top, 40 * zoom, 2.0) << zoom;
        EXPECT_NEAR(bottom, 110 * zoom, 2.0) << zoom;
    }
    for (const double size : {1.0, 4.0}) {
        QImage photo(200, 120, QImage::Format_RGB32);
        photo.fill(Qt::white);
        QPainter painter(&photo);
        overlay.PaintOnPhoto(painter, size);
        painter.end();
        const auto [left, right] = extent(photo, true, 30);
        EXPECT_NEAR(left, 20, 2.0 * size) << size;
        EXPECT_NEAR(right, 120, 2.0 * size) << size;
        const auto [top, bottom] = extent(photo, false, 160);
        EXPECT_NEAR(top, 40, 2.0 * size) << size;
        EXPECT_NEAR(bottom, 110, 2.0 * size) << size;
    }
}

TEST(MarkOverlayTest, ALineBetweenBreaksTheCrossAndEraseForgetsIt) {
    MarkOverlay overlay;
    overlay.AddCircle({10, 10}, 4, Qt::red, 1.0);
    overlay.AddLine({0, 0}, {30, 40}, Qt::green, 1.0);  // a measurement's line
    overlay.AddLine({2, 10}, {18, 10}, Qt::red, 1.0);
    EXPECT_FALSE(overlay.Marks().back().arm);
    overlay.AddCircle({50, 50}, 4, Qt::red, 1.0);
    const QRegion erased = overlay.Erase(3, 5, 2.0);  // past the end: only what is there
    EXPECT_EQ(overlay.Marks().size(), 3u);
    EXPECT_TRUE(erased.contains(QPoint(100, 100)));
    overlay.AddLine({42, 50}, {58, 50}, Qt::red, 1.0);
    EXPECT_FALSE(overlay.Marks().back().arm);  // its circle is gone
}

TEST(MarkOverlayTest, LabelsGoByTheirKeyTheLastOneFirst) {
    MarkOverlay overlay;
    overlay.AddLabel({0, 0}, {10, 0}, QStringLiteral("1"), Qt::green, 1, 1.0);
    overlay.AddLabel({0, 0}, {10, 0}, QStringLiteral("1 bis"), Qt::green, 1, 1.0);
    EXPECT_FALSE(overlay.RemoveLabel(1, 1.0).isEmpty());
    ASSERT_EQ(overlay.Labels().size(), 1u);
    EXPECT_EQ(overlay.Labels()[0].text, QStringLiteral("1"));
    EXPECT_TRUE(overlay.RemoveLabel(7, 1.0).isEmpty());
}

// Where a label's ink lands on a 400 × 300 photo: the bounding box of every
// pixel that is not the grey ground.
QRect LabelInk(QPointF a, QPointF b) {
    MarkOverlay overlay;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(14);
    overlay.SetFont(font);
    overlay.SetPictureSize({400, 300});
    overlay.AddLabel(a, b, QStringLiteral("12,5 cm"), QColor(0, 200, 0), 1, 1.0);
    QImage photo(400, 300, QImage::Format_RGB32);
    photo.fill(qRgb(128, 128, 128));
    QPainter painter(&photo);
    overlay.PaintOnPhoto(painter, 1.0);
    painter.end();
    QRect ink;
    for (int y = 0; y < photo.height(); ++y) {
        for (int x = 0; x < photo.width(); ++x) {
            if (photo.pixel(x, y) != qRgb(128, 128, 128)) {
                ink |= QRect(x, y, 1, 1);
            }
        }
    }
    return ink;
}

TEST(MarkOverlayTest, ALabelLiesBesideItsLineOnTheSideWithMoreRoom) {
    struct Case {
        const char* name;
        QPointF a, b;
        std::function<bool(const QRect&)> onTheRightSide;
    };
    const Case cases[] = {
        {"level, near the top: below", {100, 40}, {300, 40}, [](const QRect& r) { return r.top() > 40; }},
        {"level, near the bottom: above", {100, 260}, {300, 260},
         [](const QRect& r) { return r.bottom() < 260; }},
        {"level, in the middle: above", {100, 150}, {300, 150},
         [](const QRect& r) { return r.bottom() < 150; }},
        {"upright, near the right edge: left", {380, 50}, {380, 250},
         [](const QRect& r) { return r.right() < 380; }},
        {"upright, near the left edge: right", {20, 50}, {20, 250},
         [](const QRect& r) { return r.left() > 20; }},
        {"short and slanting", {200, 150}, {206, 156}, [](const QRect&) { return true; }},
        {"a single point", {200, 150}, {200, 150}, [](const QRect& r) { return r.bottom() < 150; }},
    };
    for (const Case& c : cases) {
        const QRect ink = LabelInk(c.a, c.b);
        ASSERT_FALSE(ink.isEmpty()) << c.name;
        EXPECT_TRUE(c.onTheRightSide(ink)) << c.name;
        // Never over the line's ends or its middle, with a pixel to spare.
        for (const QPointF p : {c.a, c.b, (c.a + c.b) / 2}) {
            EXPECT_FALSE(ink.adjusted(-1, -1, 1, 1).contains(p.toPoint())) << c.name;
        }
    }
}

TEST(MarkOverlayTest, TheHaloIsOfTheOppositeLightness) {
    const auto light = [](QColor c) { return 0.299 * c.red() + 0.587 * c.green() + 0.114 * c.blue(); };
    for (const QColor text : {QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255),
                              QColor(255, 255, 0), QColor(Qt::white), QColor(Qt::black)}) {
        const QColor halo = LabelHalo(text);
        EXPECT_GE(std::abs(light(halo) - light(text)), 75) << text.name().toStdString();
    }
}

TEST(ImageSurfaceTest, LabelsAreWrittenAtLeastAtTheDesktopsUsualSize) {
    TwipsScale scale(15.0);
    QWidget window;
    QFont compact = window.font();
    compact.setPointSizeF(6);
    window.setFont(compact);  // as the window's buttons are
    ImageSurface surface(scale, &window);
    EXPECT_GE(QFontInfo(surface.Overlay().Font()).pixelSize(),
              QFontInfo(QApplication::font()).pixelSize());
}

TEST(ImageSurfaceTest, ANewPictureComesWithoutTheOldMarksAndLabels) {
    TwipsScale scale(15.0);
    ImageSurface surface(scale, nullptr);
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(Qt::gray);
    surface.SetPicture(image, 3000, 1500);
    surface.DrawCircle(300, 300, 60, 0x0000FF);
    surface.AddLabel(0, 0, 600, 0, QStringLiteral("1"), 0x00FF00, 1);
    surface.SetPicture(image, 3000, 1500);
    EXPECT_EQ(surface.MarkCount(), 0u);
    EXPECT_EQ(surface.LabelCount(), 0u);
}

TEST(ImageSurfaceTest, AboveNaturalSizeEachPhotoPixelIsASharpBlock) {
    TwipsScale scale(15.0);
    ImageSurface surface(scale, nullptr);
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(qRgb(250, 250, 250));
    image.setPixel(10, 10, qRgb(0, 0, 0));
    surface.SetPicture(image, 600, 450);
    surface.SetZoom(4.0);
    const QImage shown = surface.grab().toImage();
    // Every screen pixel of the block is the photo pixel's own colour, and its
    // neighbours are untouched: a smoothed drawing would blend them.
    for (int y = 40; y < 44; ++y) {
        for (int x = 40; x < 44; ++x) {
            EXPECT_EQ(shown.pixel(x, y), qRgb(0, 0, 0)) << x << "," << y;
        }
    }
    EXPECT_EQ(shown.pixel(39, 41), qRgb(250, 250, 250));
    EXPECT_EQ(shown.pixel(44, 41), qRgb(250, 250, 250));
}

}  // namespace
}  // namespace vardesca
