// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointF>
#include <QRect>
#include <QWidget>
#include <optional>

namespace vardesca {

class ImageSurface;

// A magnified inset of the photo around the pointer: 25 × 25 screen pixels shown
// eight times larger, marks included, with a crosshair on the point a click
// there would record. It sits in the viewport's corner away from the pointer and
// lets every mouse event through to the photo.
//
// It follows the pointer over the surface and the surface's own moves (a
// scroll, a zoom) by itself; L switches it on and off for the session.
class Loupe : public QWidget {
  public:
    static constexpr int kArea = 25;
    static constexpr int kMagnification = 8;
    static constexpr int kSide = kArea * kMagnification + 2;  // with its frame

    Loupe(ImageSurface& surface, QWidget* viewport);

    [[nodiscard]] bool Enabled() const { return enabled_; }
    void Toggle();
    void SetOn(bool on) {
        if (on != enabled_) {
            Toggle();
        }
    }
    // Placed and repainted for where the pointer is now over the surface, or
    // hidden when it is off, the pointer is not over the picture, or the
    // viewport has no corner for it that leaves the pointer free. After anything
    // that changes what the surface shows (a mark, a new picture).
    void Refresh();

    // While a point is dragged the loupe shows it (surface pixels) rather than
    // what lies under the pointer; nothing: the pointer again.
    void Follow(std::optional<QPointF> point) {
        point_ = point;
        Refresh();
    }

    // Where the loupe goes in a viewport of `viewport` size for a pointer at
    // `pointer` (viewport pixels); an empty rectangle when no corner will do.
    [[nodiscard]] static QRect PlaceFor(QSize viewport, QPointF pointer);

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    ImageSurface& surface_;
    bool enabled_ = true;
    // The last pointer position over the surface, in viewport pixels, so that
    // after a scroll the loupe shows what is now under it.
    std::optional<QPointF> pointer_;
    QPointF centre_;                // surface pixels
    std::optional<QPointF> point_;  // a dragged point, shown instead
};

}  // namespace vardesca
