// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/photo_viewport.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <QNativeGestureEvent>
#include <QWheelEvent>
#include <cmath>
#include <string>

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
    // Back to 100 % within the usual limits, and fitted: centred, bars off.
    view.NaturalSize();
    EXPECT_EQ(view.Zoom(), 1.0);
    EXPECT_EQ(h->minimum(), 0);
    EXPECT_EQ(h->maximum(), (2000 - 600) * 15);
    view.Fit();
    EXPECT_FALSE(h->isEnabled());
    EXPECT_NEAR(surface->geometry().center().x(), 300, 1);
}

// The screen position (viewport pixels) of picture pixel `p` as shown now.
QPointF Shown(const ImageSurface& surface, QPointF p) {
    return QPointF(surface.pos()) + p * surface.Zoom();
}

TEST_F(PhotoViewportTest, CtrlWheelKeepsThePointedPointFromAnyViewAtEveryStep) {
    const QPoint pointers[] = {{3, 3}, {597, 3}, {300, 200}, {3, 397}, {597, 397}};
    const auto notch = [this](QPoint at, bool in) {
        Wheel(viewport, at, {0, in ? 120 : -120}, {}, Qt::ControlModifier);
    };
    // A landscape and a portrait photo: fitted, grey bands beside them.
    for (const QSize photo : {QSize(1600, 1200), QSize(500, 1500)}) {
        const std::string name = std::to_string(photo.width()) + "x" + std::to_string(photo.height());
        Open(photo);
        // Four notches in and four out from the fitted view, from any point of it.
        for (const QPoint at : pointers) {
            view.Fit();
            const QPointF held = Under(at);
            for (const bool in : {true, true, true, true, false, false, false, false}) {
                notch(at, in);
                const QPointF now = Shown(*surface, held);
                ASSERT_NEAR(now.x(), at.x(), 1.0) << name << " at " << at.x() << "," << at.y();
                ASSERT_NEAR(now.y(), at.y(), 1.0) << name << " at " << at.x() << "," << at.y();
            }
        }
        // One notch either way from every rung, the picture at each corner.
        for (const double rung : ZoomLadder()) {
            for (const bool right : {false, true}) {
                for (const bool bottom : {false, true}) {
                    for (const QPoint at : pointers) {
                        for (const bool in : {true, false}) {
                            view.NaturalSize();
                            view.ZoomAround(rung, {300, 200});
                            view.FollowViewport();  // the usual limits, as a user finds them
                            h->setValue(right ? h->maximum() : h->minimum());
                            v->setValue(bottom ? v->maximum() : v->minimum());
                            const QPointF held = Under(at);
                            notch(at, in);
                            const QPointF now = Shown(*surface, held);
                            ASSERT_NEAR(now.x(), at.x(), 1.0) << name << " from " << rung;
                            ASSERT_NEAR(now.y(), at.y(), 1.0) << name << " from " << rung;
                        }
                    }
                }
            }
        }
    }
}

TEST_F(PhotoViewportTest, BeyondThePicturesEdgeUntilAScrollBringsItBackOrAFitOr100) {
    Open({1600, 1200});  // fits at 1/3: grey bands left and right
    view.Fit();
    const QPoint nearRightEdge(540, 200);
    const QPointF held = Under(nearRightEdge);
    const auto twoNotches = [&] {
        Wheel(viewport, nearRightEdge, {0, 240}, {}, Qt::ControlModifier);  // 1/3 → 1/2
    };
    twoNotches();
    ASSERT_NEAR(Shown(*surface, held).x(), 540, 1.0);
    // 800 pixels wide now, its right edge left of the viewport's: grey beyond
    // it, and the bar reaches as far as the picture stands.
    const int usualMax = static_cast<int>(view.HRange().max);
    ASSERT_EQ(usualMax, (800 - 600) * 15);
    ASSERT_GT(h->value(), usualMax);
    EXPECT_EQ(h->maximum(), h->value());
    EXPECT_NEAR(surface->pos().x() * 15, -h->value(), 15);
    // Scrolling further out does nothing; one step back in is within the
    // usual limits, and they hold again.
    const int out = h->value();
    view.ArrowStep(1, 0);
    EXPECT_EQ(h->value(), out);
    view.ArrowStep(-1, 0);
    EXPECT_EQ(h->value(), out - 500);
    EXPECT_EQ(h->maximum(), usualMax);
    EXPECT_EQ(h->minimum(), 0);
    EXPECT_NEAR(surface->pos().x() * 15, -h->value(), 15);

    // Ctrl+0 and Ctrl+1 bring the usual limits back at once.
    view.Fit();
    twoNotches();
    ASSERT_GT(h->maximum(), view.HRange().max);
    view.Fit();
    EXPECT_FALSE(h->isEnabled());
    EXPECT_NEAR(surface->geometry().center().x(), 300, 1);
    twoNotches();
    view.NaturalSize();
    EXPECT_EQ(h->maximum(), view.HRange().max);
    EXPECT_GE(h->value(), 0);
    EXPECT_NEAR(surface->pos().x() * 15, -h->value(), 15);
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

TEST_F(PhotoViewportTest, APinchZoomsByTheWheelsRungsAroundTheFingers) {
    Open({2000, 1500});
    const QPointF fingers(420, 130);
    const QPointF under = Under(fingers.toPoint());
    const auto pinch = [this, fingers](Qt::NativeGestureType type, double value) {
        QNativeGestureEvent event(type, QPointingDevice::primaryPointingDevice(), 2, fingers,
                                  fingers, viewport->mapToGlobal(fingers), value, {});
        QCoreApplication::sendEvent(viewport, &event);
    };
    pinch(Qt::BeginNativeGesture, 0);
    pinch(Qt::ZoomNativeGesture, 0.2);
    EXPECT_EQ(view.Zoom(), 1.0) << "less than a rung";
    pinch(Qt::ZoomNativeGesture, 0.2);  // 1.44: past √2
    EXPECT_DOUBLE_EQ(view.Zoom(), std::sqrt(2.0));
    const QPointF still = Shown(*surface, under);
    EXPECT_NEAR(still.x(), fingers.x(), 1.0);
    EXPECT_NEAR(still.y(), fingers.y(), 1.0);
    // A new pinch starts from nothing; closing the fingers zooms out.
    pinch(Qt::EndNativeGesture, 0);
    pinch(Qt::BeginNativeGesture, 0);
    pinch(Qt::ZoomNativeGesture, -0.2);
    EXPECT_DOUBLE_EQ(view.Zoom(), std::sqrt(2.0));
    pinch(Qt::ZoomNativeGesture, -0.2);  // 0.64: past 1/√2
    EXPECT_DOUBLE_EQ(view.Zoom(), 1.0);
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
