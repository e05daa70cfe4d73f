// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointF>
#include <QRect>
#include <QWidget>

namespace vardesca {

class ImageSurface;

// A magnified inset of the photo around the pointer: 25 × 25 screen pixels shown
// eight times larger, marks included, with a crosshair on the point a click
// there would record. It sits in the viewport's corner away from the pointer and
// lets every mouse event through to the photo.
class Loupe : public QWidget {
  public:
    static constexpr int kArea = 25;
    static constexpr int kMagnification = 8;
    static constexpr int kSide = kArea * kMagnification + 2;  // with its frame

    Loupe(ImageSurface& surface, QWidget* viewport);

    // The pointer at `onSurface` (surface pixels): placed and repainted, or hidden
    // when the viewport has no corner for it that leaves the pointer free.
    void Follow(QPointF onSurface);

    // Where the loupe goes in a viewport of `viewport` size for a pointer at
    // `pointer` (viewport pixels); an empty rectangle when no corner will do.
    [[nodiscard]] static QRect PlaceFor(QSize viewport, QPointF pointer);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    ImageSurface& surface_;
    QPointF centre_;  // surface pixels
};

}  // namespace vardesca
