// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "measure_engine.h"

namespace vardesca {

// What a click, an undo or a redo completed, told from the engine's state just
// before and just after it: the window puts a label where something completed
// and takes one away where a measurement was undone.
struct EngineState {
    std::int16_t azione;
    std::int16_t punti;
    std::int16_t n;
    bool operator==(const EngineState&) const = default;
};

[[nodiscard]] inline EngineState StateOf(const MeasureEngine& engine) {
    return {engine.azione(), engine.punti(), engine.n()};
}

enum class CompletedStep {
    Nothing,             // a first point, a refused reply, nothing changed
    Measurement,         // a pair measured: its line is number `after.n`
    MeasurementUndone,   // measurement `before.n` taken back
    FirstReference,      // the first reference given its length
    SecondReference,     // the second one: the calibration is over
};

[[nodiscard]] CompletedStep WhatCompleted(const EngineState& before, const EngineState& after);

}  // namespace vardesca
