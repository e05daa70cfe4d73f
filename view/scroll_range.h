// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cmath>
#include <cstdint>

namespace vardesca {

// What a load does to one scroll bar: enabled only when the picture is strictly
// larger than the viewport in that direction, and reaching w − W (rounded, halves
// to even) either way — zero or negative for a disabled bar. Not limited to 16
// bits: a large photo scrolls all the way.
struct ScrollRange {
    bool enabled = false;
    std::int64_t max = 0;
    bool operator==(const ScrollRange&) const = default;
};

[[nodiscard]] inline ScrollRange ComputeScrollRange(double pictureTwips, double viewportTwips) {
    return {pictureTwips > viewportTwips,
            static_cast<std::int64_t>(std::nearbyint(pictureTwips - viewportTwips))};
}

}  // namespace vardesca
