// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/photo_viewport.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <cmath>

#include "view/zoom.h"

namespace vardesca {
namespace {

// A viewport, its surface and its two bars as the window sets them up, with no
// window around them: 600 × 400 pixels, 15 twips a pixel.
class PhotoViewportTest : public ::testing::Test {
  protected:
    PhotoViewportTest() {
        viewport->setGeometry(0, 0, 600, 400);
        for (QScrollBar* bar : {h, v}) {
            bar->setSingleStep(500);
        }
        QObject::connect(h, &QScrollBar::valueChanged, [this] { view.HorizontalBarMoved(); });
        QObject::connect(v, &QScrollBar::valueChanged, [this] { view.VerticalBarMoved(); });
        holder.resize(800, 600);
        holder.show();
    }

    void Open(QSize size) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(qRgb(200, 220, 240));
        surface->SetPicture(image, size.width() * 15.0, size.height() * 15.0);
        view.ShowNewPicture();
    }

    void Resize(QSize size) {
        viewport->resize(size);
        view.FollowViewport();
    }

    void Wheel(QWidget* target, QPoint at, QPoint angle, QPoint pixels = {},
               Qt::KeyboardModifiers modifiers = {}) {
        QWheelEvent event(at, target->mapToGlobal(at), pixels, angle, Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(target, &event);
    }

    // The picture pixel under `p` (viewport pixels).
    QPointF Under(QPointF p) const { return (p - QPointF(surface->pos())) / view.Zoom(); }

    TwipsScale scale{15.0};
    QWidget holder;
    QWidget* viewport = new QWidget(&holder);
    ImageSurface* surface = new ImageSurface(scale, viewport);
    QScrollBar* h = new QScrollBar(Qt::Horizontal, &holder);
    QScrollBar* v = new QScrollBar(Qt::Vertical, &holder);
    int guarded = 0;
    PhotoViewport view{*viewport, *surface, *h, *v, scale,
                       [this](const std::function<void()>& work) {
                           ++guarded;
                           work();
                       }};
};

TEST_F(PhotoViewportTest, ANewPictureStandsAtTheCornerWithTheRangesOfTheViewport) {
    Open({2000, 300});
    EXPECT_EQ(surface->pos(), QPoint(0, 0));
    EXPECT_TRUE(h->isEnabled());
    EXPECT_EQ(view.HRange(), (ScrollRange{true, (2000 - 600) * 15}));
    EXPECT_FALSE(v->isEnabled());
    EXPECT_EQ(view.VRange(), (ScrollRange{false, (300 - 400) * 15}));
    // The page step is what the viewport shows; the bar moves the picture.
    EXPECT_EQ(h->pageStep(), 600 * 15);
    h->setValue(1500);
    EXPECT_EQ(surface->pos(), QPoint(-100, 0));
}

TEST_F(PhotoViewportTest, ZoomKeepsTheAnchorAndHoldsAtTheEnds) {
    Open({2000, 1500});
    const QPointF anchor(200, 150);
    const QPointF before = Under(anchor);
    view.ZoomAround(4.0, anchor);
    const QPointF after = Under(anchor);
    EXPECT_NEAR(after.x(), before.x(), 1.0 / 4);
    EXPECT_NEAR(after.y(), before.y(), 1.0 / 4);
    // The bars agree with the picture's place.
    EXPECT_EQ(surface->pos().x() * 15, -h->value());
    EXPECT_EQ(h->maximum(), 2000 * 4 * 15 - 600 * 15);

    for (int i = 0; i < 30; ++i) {
        view.ZoomInStep();
    }
    EXPECT_EQ(view.Zoom(), kMaxZoom);
    for (int i = 0; i < 30; ++i) {
        view.ZoomOutStep();
    }
    EXPECT_EQ(view.Zoom(), kMinZoom);
    // Smaller than the viewport and not at 100 %: centred, bars off.
    EXPECT_FALSE(h->isEnabled());
    EXPECT_NEAR(surface->geometry().center().x(), 300, 1);
    view.NaturalSize();
    EXPECT_EQ(view.Zoom(), 1.0);
}

TEST_F(PhotoViewportTest, WithoutAPictureNothingMoves) {
    const QRect before = surface->geometry();
    view.Fit();
    view.ZoomInStep();
    Wheel(surface, {5, 5}, {0, 120}, {}, Qt::ControlModifier);
    EXPECT_EQ(view.Zoom(), 1.0);
    EXPECT_EQ(surface->geometry(), before);
}

TEST_F(PhotoViewportTest, FitCentresTheWholePictureAndFollowsTheViewportUntilAStep) {
    Open({600 * 4, 400 * 2});
    view.Fit();
    ASSERT_TRUE(view.Fitted());
    EXPECT_EQ(view.Zoom(), 0.25);
    EXPECT_FALSE(h->isEnabled());
    EXPECT_FALSE(v->isEnabled());
    EXPECT_EQ(surface->pos(), QPoint(0, 100));  // centred top to bottom
    // A larger viewport fits the picture again, larger.
    Resize({1200, 800});
    EXPECT_EQ(view.Zoom(), 0.5);
    EXPECT_TRUE(view.Fitted());
    EXPECT_EQ(surface->pos(), QPoint(0, 200));
    // A zoom step leaves the fit: the next resize keeps the zoom.
    view.ZoomOutStep();
    ASSERT_FALSE(view.Fitted());
    const double stepped = view.Zoom();
    Resize({600, 400});
    EXPECT_EQ(view.Zoom(), stepped);
}

TEST_F(PhotoViewportTest, RangesFollowTheViewportAndAClampedValueMovesThePicture) {
    Open({2000, 1500});
    h->setValue(h->maximum());
    Resize({900, 500});
    EXPECT_EQ(h->maximum(), (2000 - 900) * 15);
    EXPECT_EQ(h->value(), h->maximum());
    EXPECT_EQ(h->pageStep(), 900 * 15);
    // The right edge is at the viewport's: nothing out of reach, no gap.
    EXPECT_EQ(surface->geometry().right() + 1, 900);
    EXPECT_EQ(view.HRange().max, h->maximum());

    // Large enough for the whole picture: bars off, picture back at the corner.
    Resize({2400, 1800});
    EXPECT_FALSE(h->isEnabled());
    EXPECT_EQ(surface->pos(), QPoint(0, 0));
}

TEST_F(PhotoViewportTest, TheWheelScrollsAndCtrlWheelZoomsAroundThePointer) {
    Open({2000, 1500});
    const int line = QApplication::wheelScrollLines() * 500;
    Wheel(surface, {50, 50}, {0, -120});
    EXPECT_EQ(v->value(), line);
    EXPECT_EQ(h->value(), 0);
    Wheel(surface, {50, 50}, {0, -120}, {}, Qt::ShiftModifier);
    EXPECT_EQ(h->value(), line);
    Wheel(viewport, {50, 50}, {120, 0});  // a horizontal wheel
    EXPECT_EQ(h->value(), 0);
    // A touchpad: its pixels, whatever its angle says.
    Wheel(surface, {50, 50}, {-30, -45}, {-20, -40});
    EXPECT_EQ(h->value(), 300);
    EXPECT_EQ(v->value(), line + 600);
    EXPECT_EQ(surface->pos(), QPoint(-20, -line / 15 - 40));
    EXPECT_GT(guarded, 0);  // run where an exception cannot escape into Qt

    // Up zooms in, around the pointer, over the viewport or the surface alike.
    const QPoint pointer(300, 200);
    const QPointF under = Under(pointer);
    Wheel(viewport, pointer, {0, 120}, {}, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(view.Zoom(), std::sqrt(2.0));
    const QPointF still = Under(pointer);
    EXPECT_NEAR(still.x(), under.x(), 1.0);
    EXPECT_NEAR(still.y(), under.y(), 1.0);
    // Half notches add up to one step.
    Wheel(surface, pointer - surface->pos(), {0, -60}, {}, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(view.Zoom(), std::sqrt(2.0));
    Wheel(surface, pointer - surface->pos(), {0, -60}, {}, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(view.Zoom(), 1.0);
    // A fast spin delivers two notches in one event: two rungs.
    Wheel(viewport, pointer, {0, 240}, {}, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(view.Zoom(), 2.0);
}

TEST_F(PhotoViewportTest, ArrowStepsMoveByTheBarsStepAndStopAtTheirEnds) {
    Open({2000, 1500});
    view.ArrowStep(1, 2);
    EXPECT_EQ(h->value(), 500);
    EXPECT_EQ(v->value(), 1000);
    EXPECT_EQ(surface->pos(), QPoint(-33, -67));  // 500 and 1000 twips, rounded
    view.ArrowStep(-5, 0);
    EXPECT_EQ(h->value(), 0);
    Open({300, 200});  // nothing to scroll
    view.ArrowStep(1, 1);
    EXPECT_EQ(h->value(), 0);
    EXPECT_EQ(surface->pos(), QPoint(0, 0));
}

}  // namespace
}  // namespace vardesca
