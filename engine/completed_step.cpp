// SPDX-License-Identifier: GPL-3.0-or-later
#include "completed_step.h"

namespace vardesca {

CompletedStep WhatCompleted(const EngineState& before, const EngineState& after) {
    if (after.n < before.n) {
        return CompletedStep::MeasurementUndone;
    }
    // A redo after an undo gives the number back as a click does.
    if (after.azione == MeasureEngine::Measuring && after.n == before.n + 1) {
        return CompletedStep::Measurement;
    }
    if (before.azione != MeasureEngine::Calibrating) {
        return CompletedStep::Nothing;
    }
    // The first pair's length typed: the count goes from its second click (1)
    // to 2. The second pair's ends the calibration from its fourth click (3).
    if (before.punti == 1 && after.azione == MeasureEngine::Calibrating && after.punti == 2) {
        return CompletedStep::FirstReference;
    }
    if (before.punti == 3 && after.azione == MeasureEngine::Measuring) {
        return CompletedStep::SecondReference;
    }
    return CompletedStep::Nothing;
}

}  // namespace vardesca
