// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/completed_labels.h"

#include "text/ui_text.h"
#include "window/app_text.h"

namespace vardesca {

void LabelWhatCompleted(ImageSurface& surface, const MeasureEngine& engine,
                        const EngineState& before, const LocaleNumbers& locale) {
    const auto segment = [&](const QString& text, std::uint32_t colour, int key) {
        surface.AddLabel(static_cast<float>(engine.x0()), static_cast<float>(engine.y0()),
                         static_cast<float>(engine.x1()), static_cast<float>(engine.y1()), text,
                         colour, key);
    };
    const auto reference = [&](std::size_t which) {
        const float length = engine.ReferenceLengths()[which];
        const std::string number =
            QString::number(static_cast<double>(length), 'g', 6).toStdString();
        segment(UiText(app_text::kReferenceLabel)
                    .arg(QString::fromStdString(PointToDecimal(number, locale))),
                kCalibrationColour, 0);
    };
    switch (WhatCompleted(before, StateOf(engine))) {
        case CompletedStep::MeasurementUndone:
            surface.RemoveLabel(before.n);
            break;
        case CompletedStep::Measurement:
            segment(QString::number(engine.n()), kMeasureColour, engine.n());
            break;
        case CompletedStep::FirstReference:
            reference(0);
            break;
        case CompletedStep::SecondReference:
            reference(1);
            break;
        case CompletedStep::Nothing:
            break;
    }
}

}  // namespace vardesca
