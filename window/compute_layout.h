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
    // Both scroll bars are shown by every pass.
    bool scrollBarsVisible = true;
};

inline constexpr float kMinOuterWidth = 10800;
inline constexpr float kMinOuterHeight = 3000;

// The layout for an outer window size in twips (frame and title bar included):
// the viewport grows with the window, the scroll bars run along its right and
// bottom sides, the results box is a fixed-width column on the right with the
// export button under it, and the five other buttons form a row of fixed
// positions under the horizontal scroll bar.
[[nodiscard]] WindowLayout ComputeLayout(float outerWidth, float outerHeight);

}  // namespace vardesca
