// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/zoom.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace vardesca {

namespace {

// 2^(k/2) for k = -10 … 8.
constexpr std::size_t kRungs = 19;

std::array<double, kRungs> MakeLadder() {
    std::array<double, kRungs> ladder{};
    for (std::size_t i = 0; i < kRungs; ++i) {
        const int k = static_cast<int>(i) - 10;
        // Whole powers of two exactly, so 1 and 2 are 1 and 2.
        ladder[i] = k % 2 == 0 ? std::ldexp(1.0, k / 2) : std::ldexp(std::sqrt(2.0), (k - 1) / 2);
    }
    return ladder;
}

const std::array<double, kRungs>& Ladder() {
    static const std::array<double, kRungs> ladder = MakeLadder();
    return ladder;
}

// Rungs a hair apart count as one, so a zoom reached by arithmetic still steps.
constexpr double kSame = 1e-9;

}  // namespace

std::span<const double> ZoomLadder() {
    return Ladder();
}

double ClampZoom(double zoom) {
    if (!(zoom > 0)) {  // NaN too
        return 1.0;
    }
    return std::clamp(zoom, kMinZoom, kMaxZoom);
}

double ZoomIn(double zoom) {
    for (const double rung : Ladder()) {
        if (rung > zoom * (1 + kSame)) {
            return rung;
        }
    }
    return kMaxZoom;
}

double ZoomOut(double zoom) {
    const auto& ladder = Ladder();
    for (auto it = ladder.rbegin(); it != ladder.rend(); ++it) {
        if (*it < zoom * (1 - kSame)) {
            return *it;
        }
    }
    return kMinZoom;
}

double FitZoom(double pictureWidth, double pictureHeight, double viewportWidth,
               double viewportHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || viewportWidth <= 0 || viewportHeight <= 0) {
        return 1.0;
    }
    return ClampZoom(std::min(viewportWidth / pictureWidth, viewportHeight / pictureHeight));
}

double AnchoredOffset(double offset, double anchor, double oldZoom, double newZoom) {
    return anchor - (anchor - offset) * (newZoom / oldZoom);
}

}  // namespace vardesca
