// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vardesca {

// Left, Top, Width, Height in twips, relative to the window's client area.
struct ControlGeometry {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
    bool operator==(const ControlGeometry&) const = default;
};

// Where the ten laid-out controls of the main window go for one outer window size.
struct WindowLayout {
    float width = 0;   // outer width after the minimum is applied
    float height = 0;  // outer height after the minimum is applied
    ControlGeometry picContainer, vScroll1, hScroll1, text1, copiaDati;
    ControlGeometry cmdOpen, inizia, resetta, info, esci;
    // The gap between the vertical scroll bar and the results box, where the
    // handle that widens the box lies.
    ControlGeometry columnGap;
    // Both scroll bars are shown by every pass.
    bool scrollBarsVisible = true;
};

inline constexpr float kMinOuterWidth = 10800;
inline constexpr float kMinOuterHeight = 3000;
// The window's first size (its client area): at it and below, the results
// box keeps its fixed width.
inline constexpr float kDefaultWidth = 12120;
inline constexpr float kDefaultHeight = 8385;

// The layout for an outer window size in twips (frame and title bar included):
// the viewport grows with the window, the scroll bars run along its right and
// bottom sides, the results box is a fixed-width column on the right with the
// export button under it, and the five other buttons form a row of fixed
// positions under the horizontal scroll bar. `boxWider` twips are taken from
// the viewport and given to the results box (the user's handle, above the
// window's first width).
[[nodiscard]] WindowLayout ComputeLayout(float outerWidth, float outerHeight, float boxWider = 0);

// How much wider than its fixed width the results box is when it takes `share`
// (0 to 1; anything else is the default quarter) of what the client area has
// beyond the window's first width.
[[nodiscard]] float BoxWider(float clientWidth, double share);
inline constexpr double kDefaultBoxShare = 0.25;

// The share that puts the gap's centre, the handle, at `handleCentre` twips.
[[nodiscard]] double BoxShareAt(float outerWidth, float clientWidth, float handleCentre);

}  // namespace vardesca
