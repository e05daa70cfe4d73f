// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointF>
#include <QScrollBar>
#include <QWidget>
#include <functional>

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
    // `anchor` (viewport pixels) in place; nothing without a picture.
    void ZoomAround(double zoom, QPointF anchor);
    void ZoomInStep();   // around the viewport's centre
    void ZoomOutStep();
    void Fit();           // the whole picture, centred; followed on resizes
    void NaturalSize();   // back to 100 %

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

  signals:
    void ZoomChanged(double zoom);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    [[nodiscard]] bool HasPicture() const { return !surface_.Picture().isNull(); }
    void ApplyScrollRange(QScrollBar& bar, const ScrollRange& range);
    // The ranges of both bars for the picture at its zoom in the viewport as it is.
    void ComputeZoomedRanges();
    // Puts the picture's edge at `edge` (viewport pixels) as far as the bars
    // allow; an axis on which the zoomed picture fits is centred.
    void PlaceSurface(QPointF edge);
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
    int zoomWheel_ = 0;  // Ctrl+wheel eighths of a degree not yet turned into a step
};

}  // namespace vardesca
