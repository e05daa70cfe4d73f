// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointF>
#include <QRect>
#include <QSize>
#include <cmath>

class QScreen;

namespace vardesca {

// The one place where twips (1/1440 inch) meet screen pixels. The program keeps
// geometry, mouse positions and picture sizes in twips; Qt wants pixels.
class TwipsScale {
  public:
    explicit TwipsScale(double twipsPerPixel = 15.0) : twipsPerPixel_(twipsPerPixel) {}

    // 1440 twips per logical inch of the screen: 15 twips a pixel at 96 dpi.
    [[nodiscard]] static TwipsScale ForScreen(const QScreen* screen);

    [[nodiscard]] double TwipsPerPixel() const { return twipsPerPixel_; }

    [[nodiscard]] double ToPixelsF(double twips) const { return twips / twipsPerPixel_; }
    [[nodiscard]] int ToPixels(double twips) const {
        return static_cast<int>(std::lround(twips / twipsPerPixel_));
    }
    [[nodiscard]] QPointF ToPixels(double xTwips, double yTwips) const {
        return {ToPixelsF(xTwips), ToPixelsF(yTwips)};
    }
    [[nodiscard]] QRect ToPixels(double left, double top, double width, double height) const {
        // Edges are rounded, not sizes, so neighbouring controls keep their gaps.
        const int l = ToPixels(left);
        const int t = ToPixels(top);
        return {l, t, ToPixels(left + width) - l, ToPixels(top + height) - t};
    }

    [[nodiscard]] double ToTwips(double pixels) const { return pixels * twipsPerPixel_; }
    [[nodiscard]] QSize ToPixelSize(double widthTwips, double heightTwips) const {
        return {ToPixels(widthTwips), ToPixels(heightTwips)};
    }

  private:
    double twipsPerPixel_;
};

}  // namespace vardesca
