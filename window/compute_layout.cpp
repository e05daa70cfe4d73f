// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/compute_layout.h"

#include <initializer_list>

namespace vardesca {

namespace {
constexpr float kMargin = 150;          // viewport's Left and Top; gaps between controls
constexpr float kScrollBar = 300;       // thickness of both scroll bars
constexpr float kWidthReserve = 2050;   // right-hand column and right margin
constexpr float kHeightReserve = 1050;  // button row and bottom margin
constexpr float kResultsWidth = 1600;
constexpr float kButtonHeight = 375;
}  // namespace

WindowLayout ComputeLayout(float outerWidth, float outerHeight, float boxWider) {
    WindowLayout l;
    // std::max would keep a NaN; a size that is not a number gets the minimum.
    l.width = outerWidth >= kMinOuterWidth ? outerWidth : kMinOuterWidth;
    l.height = outerHeight >= kMinOuterHeight ? outerHeight : kMinOuterHeight;

    const float cw = l.width - (kWidthReserve + kScrollBar) - kMargin - boxWider;
    const float ch = l.height - (kHeightReserve + kScrollBar) - kMargin;
    l.picContainer = {kMargin, kMargin, cw, ch};
    l.vScroll1 = {cw + kMargin, kMargin, kScrollBar, ch};
    l.hScroll1 = {kMargin, ch + kMargin, cw, kScrollBar};
    l.text1 = {cw + kMargin + kMargin + kScrollBar, kMargin, kResultsWidth + boxWider,
               ch + kScrollBar};
    l.columnGap = {cw + kMargin + kScrollBar, kMargin, kMargin, ch + kScrollBar};

    // The row's Top leaves out the viewport's Top, so the buttons stand 150 twips
    // below the horizontal scroll bar.
    const float rowTop = ch + kScrollBar + kScrollBar;
    l.copiaDati = {l.text1.left, rowTop, kResultsWidth, kButtonHeight};
    float left = kMargin;
    for (ControlGeometry* button : {&l.cmdOpen, &l.inizia, &l.resetta, &l.info, &l.esci}) {
        *button = {left, rowTop, kResultsWidth, kButtonHeight};
        left += kResultsWidth + kMargin;
    }
    return l;
}

float BoxWider(float clientWidth, double share) {
    if (!(share >= 0 && share <= 1)) {
        share = kDefaultBoxShare;
    }
    const float beyond = clientWidth - kDefaultWidth;
    return beyond > 0 ? static_cast<float>(beyond * share) : 0;
}

double BoxShareAt(float outerWidth, float clientWidth, float handleCentre) {
    const float beyond = clientWidth - kDefaultWidth;
    if (!(beyond > 0)) {
        return kDefaultBoxShare;
    }
    // Where the handle stands with the box at its fixed width: each twip
    // left of it is a twip more for the box.
    const float atZero = ComputeLayout(outerWidth, kMinOuterHeight).columnGap.left + kMargin / 2;
    const double share = (atZero - handleCentre) / beyond;
    return share < 0 ? 0.0 : (share > 1 ? 1.0 : share);
}

}  // namespace vardesca
