// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

#include "engine/result_line.h"

namespace vardesca {

// The scale of a finished calibration, for the caption.
struct CaptionScale {
    double pixelsPerCm;
    // The two references' own scales: the caption says how far each lies from
    // their mean, |s1 − s2| / (s1 + s2).
    double reference1;
    double reference2;
};

// The window's caption: "Vardesca" with no picture; "Vardesca [file]" with one;
// then " — 25 %" when the zoom is not 100 % (one decimal below 10 %), then,
// while measuring, " — 45,00 px/cm, riferimenti ±11,1 %", numbers in the
// user's conventions; while calibrating, which click comes next (`nextClick`
// 0 to 3: " — riferimento 1: primo punto" … " — riferimento 2: secondo punto");
// while a measurement's point is dragged, the length it would have
// (" — 12,35 cm").
[[nodiscard]] QString Caption(const QString& file, double zoom,
                              const std::optional<CaptionScale>& scale, const LocaleNumbers& locale,
                              std::optional<int> nextClick = std::nullopt,
                              std::optional<double> draggedLength = std::nullopt);

}  // namespace vardesca
