// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointF>
#include <QScrollBar>
#include <QWidget>
#include <functional>
#include <optional>

#include "view/image_surface.h"
#include "view/scroll_range.h"
#include "view/twips.h"

class QWheelEvent;

namespace vardesca {

// The photo's place in the viewport: the zoom, whether the view is fitted, the
// two scroll bars' ranges and values, where the surface stands, the wheel over
// the photo and the arrow steps. The window lays the viewport and the bars out;
// everything that moves the picture inside them happens here.
//
// The bars count in twips of the zoomed picture and the surface stands at
// Left = −value, exactly as at 100 %, where a load shows the picture at the top
// left and the bars get the ranges the viewport allows at that moment.
class PhotoViewport : public QObject {
    Q_OBJECT

  public:
    // Runs what it is given, turning an exception that escapes it into a message;
    // the wheel is handled inside Qt's event delivery, where none may escape.
    using Guard = std::function<void(const std::function<void()>&)>;

    PhotoViewport(QWidget& viewport, ImageSurface& surface, QScrollBar& hBar, QScrollBar& vBar,
                  const TwipsScale& scale, Guard guard);

    [[nodiscard]] double Zoom() const { return surface_.Zoom(); }
    [[nodiscard]] bool Fitted() const { return fitted_; }
    // What each bar was last given (Max may be zero or negative for a disabled
    // bar, which a Qt scroll bar cannot hold).
    [[nodiscard]] ScrollRange HRange() const { return hRange_; }
    [[nodiscard]] ScrollRange VRange() const { return vRange_; }

    // A picture just put on the surface: at 100 %, at the top left, the bars'
    // ranges from the viewport as it is on the screen now.
    void ShowNewPicture();

    // Zooms to `zoom` (held within the ladder) keeping the picture point under
    // `anchor` (viewport pixels) in place; nothing without a picture. Where the
    // picture would have to stand beyond its usual limits for that, it does:
    // the bars reach as far, grey shows beyond its edge, and the first scroll
    // back within the limits (or a fit, 100 %, a resize, a load) ends it.
    void ZoomAround(double zoom, QPointF anchor);
    void ZoomInStep();   // around the viewport's centre
    void ZoomOutStep();
    void Fit();           // the whole picture, centred; followed on resizes
    void NaturalSize();   // back to 100 %, within the usual limits

    // After the viewport changed size: the ranges follow it, a value that no
    // longer fits is clamped and the picture follows it; a fitted view is fitted
    // again.
    void FollowViewport();

    // A bar's value changed (by the user or by the code): the surface follows.
    void HorizontalBarMoved();
    void VerticalBarMoved();

    // Arrow keys: `dx`, `dy` arrow steps of the bars (500 twips each).
    void ArrowStep(int dx, int dy);

    // The wheel over the photo, at `inViewport` (viewport pixels): Ctrl zooms
    // around the pointer, Shift scrolls sideways, a touchpad moves by its pixels.
    void Wheel(const QWheelEvent& event, QPointF inViewport);
    // A touchpad's pinch (`value`: the spread since the last event, as Qt's
    // zoom gesture gives it), around the fingers, in the wheel's rungs.
    void Pinch(Qt::NativeGestureType type, double value, QPointF inViewport);

  signals:
    void ZoomChanged(double zoom);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    [[nodiscard]] bool HasPicture() const { return !surface_.Picture().isNull(); }
    void ApplyScrollRange(QScrollBar& bar, const ScrollRange& range);
    // The ranges of both bars for the picture at its zoom in the viewport as it is.
    void ComputeZoomedRanges();
    // The bar's values (twips; the surface's edge at −value) that the usual
    // rules allow on one axis: the bar's range, or the one place of a picture
    // that fits (centred, or at the top left at 100 %).
    struct UsualValues {
        double lo = 0;
        double hi = 0;
    };
    [[nodiscard]] UsualValues Usual(Qt::Orientation axis) const;
    void ZoomTo(double zoom, QPointF anchor, bool keepPoint);
    // Puts the picture's edge at `edge` (viewport pixels): exactly when
    // `keepPoint`, else as far as the usual limits allow.
    void PlaceSurface(QPointF edge, bool keepPoint);
    // A bar moved while the picture stood beyond its usual limits: the value
    // where the picture now stands, the limits back once it is within them.
    double ComeBack(QScrollBar& bar, const ScrollRange& range, UsualValues usual, bool& beyond);
    void ScrollBy(QScrollBar& bar, double twips);

    QWidget& viewport_;
    ImageSurface& surface_;
    QScrollBar& hBar_;
    QScrollBar& vBar_;
    const TwipsScale& scale_;
    Guard guard_;
    ScrollRange hRange_;
    ScrollRange vRange_;
    bool fitted_ = false;
    // The picture stands beyond the usual limits on that axis, after a zoom
    // that kept a point in place.
    bool hBeyond_ = false;
    bool vBeyond_ = false;
    // Where the last zoom that kept a point was pointed, until the picture moves
    // by other means.
    std::optional<QPointF> heldAnchor_;
    int zoomWheel_ = 0;
    double pinchScale_ = 1.0;  // the pinch's spread not yet turned into a rung  // Ctrl+wheel eighths of a degree not yet turned into a step
};

}  // namespace vardesca
