// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/loupe.h"

#include <gtest/gtest.h>
#include <QImage>
#include <QTest>

#include "view/image_surface.h"

namespace vardesca {
namespace {

// A viewport of 600 × 400 with a surface in it, shown, and a loupe over it.
class LoupeTest : public ::testing::Test {
  protected:
    LoupeTest() {
        viewport.resize(600, 400);
        QImage image(1000, 800, QImage::Format_RGB32);
        image.fill(kGround);
        image.setPixel(240, 140, kTarget);
        surface->SetPicture(image, 15000, 12000);
        viewport.show();
    }

    // The loupe's inset around its centre: the pixel under the pointer, eight
    // times larger, with the crosshair's gap around it.
    QImage Inset() const { return loupe->grab().toImage(); }
    static constexpr QRgb kGround = 0xffc8dcf0;
    static constexpr QRgb kTarget = 0xff102030;

    QWidget viewport;
    TwipsScale scale{15.0};
    ImageSurface* surface = new ImageSurface(scale, &viewport);
    Loupe* loupe = new Loupe(*surface, &viewport);
};

TEST_F(LoupeTest, ShowsThePixelUnderThePointerWithTheCrosshairClearOfIt) {
    QTest::mouseMove(surface, {240, 140});
    ASSERT_TRUE(loupe->isVisible());
    // Pointer in the top left quarter: the loupe in the far corner.
    EXPECT_EQ(loupe->geometry().bottomRight(), viewport.rect().bottomRight());
    const QImage inset = Inset();
    const int c = Loupe::kSide / 2;  // the centre of the inset, inside the frame
    for (int y = c; y < c + Loupe::kMagnification; ++y) {
        for (int x = c; x < c + Loupe::kMagnification; ++x) {
            EXPECT_EQ(inset.pixel(x, y), kTarget) << x << "," << y;
        }
    }
    EXPECT_EQ(inset.pixel(c + 12, c + 4), kGround);
    QTest::keyClick(surface, Qt::Key_L);  // the window owns the key; nothing here
    loupe->Toggle();
    EXPECT_FALSE(loupe->isVisible());
    loupe->Toggle();
    EXPECT_TRUE(loupe->isVisible());
}

TEST_F(LoupeTest, AScrollUnderAStillPointerShowsWhatIsNowUnderIt) {
    QTest::mouseMove(surface, {230, 140});
    ASSERT_EQ(Inset().pixel(Loupe::kSide / 2 + 4, Loupe::kSide / 2 + 4), kGround);
    // Ten pixels to the right: the target pixel comes under the pointer.
    surface->MoveTo(-150, 0);
    EXPECT_EQ(Inset().pixel(Loupe::kSide / 2 + 4, Loupe::kSide / 2 + 4), kTarget);
}

TEST(LoupePlaceTest, TheCornerAwayFromThePointerAndNeverOverIt) {
    const int side = Loupe::kSide;
    const QSize viewport(800, 600);
    EXPECT_EQ(Loupe::PlaceFor(viewport, {10, 10}), QRect(800 - side, 600 - side, side, side));
    EXPECT_EQ(Loupe::PlaceFor(viewport, {790, 10}), QRect(0, 600 - side, side, side));
    EXPECT_EQ(Loupe::PlaceFor(viewport, {10, 590}), QRect(800 - side, 0, side, side));
    EXPECT_EQ(Loupe::PlaceFor(viewport, {790, 590}), QRect(0, 0, side, side));
    // A viewport too small leaves no corner that keeps the pointer clear.
    EXPECT_TRUE(Loupe::PlaceFor({250, 250}, {125, 125}).isEmpty());
    EXPECT_TRUE(Loupe::PlaceFor({150, 600}, {10, 10}).isEmpty());
}

}  // namespace
}  // namespace vardesca
