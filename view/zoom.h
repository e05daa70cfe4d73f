// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <span>

namespace vardesca {

// How much larger than its natural size a picture is shown: 1 is the natural
// size, where one picture pixel is one screen pixel. The ladder goes in steps of
// √2 from 1/32 to 16, so two steps double the size and 1 is on it.
inline constexpr double kMinZoom = 1.0 / 32.0;
inline constexpr double kMaxZoom = 16.0;

[[nodiscard]] std::span<const double> ZoomLadder();

// The zoom the picture is held at: within the ladder's ends.
[[nodiscard]] double ClampZoom(double zoom);

// The next rung above (or below) `zoom`; from a zoom between two rungs (a fitted
// view) the nearest rung in that direction. At an end of the ladder, that end.
[[nodiscard]] double ZoomIn(double zoom);
[[nodiscard]] double ZoomOut(double zoom);

// The largest zoom that shows the whole picture in the viewport (sizes in
// pixels), within the ladder's ends.
[[nodiscard]] double FitZoom(double pictureWidth, double pictureHeight, double viewportWidth,
                             double viewportHeight);

// Where the picture's edge must stand on one axis, after a zoom change, for the
// picture point under `anchor` to stay under it. Positions in screen pixels of
// the viewport; `offset` is the picture's edge (zero or negative once scrolled).
[[nodiscard]] double AnchoredOffset(double offset, double anchor, double oldZoom, double newZoom);

// A position on the shown picture (screen pixels from its edge) as picture twips.
// Picture twips are what the engine measures in, so a click on one photo point
// gives the same twips at every zoom.
[[nodiscard]] inline double ScreenToPictureTwips(double screenPx, double zoom,
                                                 double twipsPerPixel) {
    return screenPx / zoom * twipsPerPixel;
}

}  // namespace vardesca
