// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/caption.h"

#include <cmath>
#include <cstdio>

#include "text/ui_text.h"
#include "window/app_text.h"

namespace vardesca {

namespace {

// `value` with a fixed number of decimals, the separator the user's.
QString Fixed(double value, int decimals, const LocaleNumbers& locale) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return QString::fromStdString(PointToDecimal(text, locale));
}

}  // namespace

QString Caption(const QString& file, double zoom, const std::optional<CaptionScale>& scale,
                const LocaleNumbers& locale, std::optional<int> nextClick,
                std::optional<double> draggedLength) {
    if (file.isEmpty()) {
        return QString::fromUtf8(app_text::kAppTitle);
    }
    QString caption = QString::fromUtf8(app_text::kCaptionFile).arg(file);
    if (zoom != 1.0) {
        // Whole percents but for the smallest zooms: "25", "141", "3,1".
        const double percent = zoom * 100.0;
        caption += UiText(app_text::kCaptionZoom).arg(Fixed(percent, percent < 10 ? 1 : 0, locale));
    }
    if (scale) {
        const double sum = scale->reference1 + scale->reference2;
        const double spread =
            sum > 0 ? std::abs(scale->reference1 - scale->reference2) / sum * 100.0 : 0.0;
        caption += UiText(app_text::kCaptionScale)
                       .arg(Fixed(scale->pixelsPerCm, 2, locale), Fixed(spread, 1, locale));
    }
    if (nextClick && *nextClick >= 0 && *nextClick < 4) {
        caption += UiText(app_text::kCaptionCalibration[*nextClick]);
    }
    if (draggedLength) {
        // As the line would write it.
        caption += UiText(app_text::kCaptionLength)
                       .arg(QString::fromStdString(
                           PointToDecimal(NumberText(RoundToHundredths(*draggedLength)), locale)));
    }
    return caption;
}

}  // namespace vardesca
